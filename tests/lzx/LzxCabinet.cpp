#include "LzxCabinet.h"

#include <algorithm>
#include <memory>

#include "TestSupport.h"
#include "cabinet/TSTCabWriter.h"

namespace corvane::test {

namespace {

// Passes the stream on in pieces of `feed` bytes and keeps a copy of every block.
class RecordingCompressor final : public codec::FolderCompressor {
public:
    RecordingCompressor(std::unique_ptr<codec::FolderCompressor> inner, std::size_t feed,
                        std::vector<codec::DataBlock>& record)
        : m_inner(std::move(inner)), m_feed(std::max<std::size_t>(feed, 1)), m_record(record) {}

    void write(std::span<const std::uint8_t> data, std::vector<codec::DataBlock>& out) override {
        while (!data.empty()) {
            const std::size_t n = std::min(m_feed, data.size());
            forward(out, [&] { m_inner->write(data.first(n), out); });
            data = data.subspan(n);
        }
    }
    void finish(std::vector<codec::DataBlock>& out) override {
        forward(out, [&] { m_inner->finish(out); });
    }

private:
    template <class Call>
    void forward(std::vector<codec::DataBlock>& out, Call call) {
        const std::size_t before = out.size();
        call();
        m_record.insert(m_record.end(), out.begin() + static_cast<std::ptrdiff_t>(before), out.end());
    }

    std::unique_ptr<codec::FolderCompressor> m_inner;
    std::size_t m_feed;
    std::vector<codec::DataBlock>& m_record;
};

}  // namespace

LzxCabinet writeLzxCabinet(const std::vector<std::uint8_t>& data, const lzx::LzxOptions& options,
                           const std::filesystem::path& folder, const std::string& name, std::size_t feed) {
    LzxCabinet result;
    result.cabinet = folder / name;
    const std::filesystem::path source = folder / (name + ".source");
    writeBytes(source, data);

    cabinet::TSTCabWriter writer;
    writer.setCompressionType(cabinet::cctLzx);
    writer.setCompressionLzxLevel(options.windowBits);
    writer.setCompressorFactory([&](std::uint16_t) -> std::unique_ptr<codec::FolderCompressor> {
        return std::make_unique<RecordingCompressor>(lzx::makeLzxCompressor(options), feed, result.blocks);
    });
    writer.Open(result.cabinet.string());
    writer.AddFile(source.string(), kPayloadName, false);
    writer.Close(true);
    std::filesystem::remove(source);
    return result;
}

}  // namespace corvane::test
