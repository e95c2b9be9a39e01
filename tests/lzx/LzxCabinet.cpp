#include "LzxCabinet.h"

#include <algorithm>
#include <memory>

#include "TestSupport.h"
#include "cabinet/TSTCabWriter.h"

namespace corvane::test {

namespace {

// Passes the stream on in pieces of `feed` bytes and keeps a copy of every block.
class RecordingCompressor final : public cabinet::FolderCompressor {
public:
    RecordingCompressor(std::unique_ptr<cabinet::FolderCompressor> inner, std::size_t feed,
                        std::vector<cabinet::DataBlock>& record)
        : m_inner(std::move(inner)), m_feed(std::max<std::size_t>(feed, 1)), m_record(record) {}

    void write(std::span<const std::uint8_t> data, std::vector<cabinet::DataBlock>& out) override {
        while (!data.empty()) {
            const std::size_t n = std::min(m_feed, data.size());
            forward(out, [&] { m_inner->write(data.first(n), out); });
            data = data.subspan(n);
        }
    }
    void finish(std::vector<cabinet::DataBlock>& out) override {
        forward(out, [&] { m_inner->finish(out); });
    }

private:
    template <class Call>
    void forward(std::vector<cabinet::DataBlock>& out, Call call) {
        const std::size_t before = out.size();
        call();
        m_record.insert(m_record.end(), out.begin() + static_cast<std::ptrdiff_t>(before), out.end());
    }

    std::unique_ptr<cabinet::FolderCompressor> m_inner;
    std::size_t m_feed;
    std::vector<cabinet::DataBlock>& m_record;
};

}  // namespace

LzxCabinet writeLzxCabinet(const std::vector<std::uint8_t>& data, const cabinet::LzxOptions& options,
                           const std::filesystem::path& folder, const std::string& name, std::size_t feed) {
    LzxCabinet result;
    result.cabinet = folder / name;
    const std::filesystem::path source = folder / (name + ".source");
    writeBytes(source, data);

    cabinet::TSTCabWriter writer;
    writer.setCompressionType(cabinet::cctLzx);
    writer.setCompressionLzxLevel(options.windowBits);
    writer.setCompressorFactory([&](std::uint16_t) -> std::unique_ptr<cabinet::FolderCompressor> {
        return std::make_unique<RecordingCompressor>(cabinet::makeLzxCompressor(options), feed,
                                                     result.blocks);
    });
    writer.Open(result.cabinet.string());
    writer.AddFile(source.string(), kPayloadName, false);
    writer.Close(true);
    std::filesystem::remove(source);
    return result;
}

}  // namespace corvane::test
