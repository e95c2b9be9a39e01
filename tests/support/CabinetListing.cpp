#include "CabinetListing.h"

#include "TestSupport.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace corvane::test {

namespace {

class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    std::uint8_t u8() {
        need(1);
        return m_bytes[m_at++];
    }
    std::uint16_t u16() { return static_cast<std::uint16_t>(u8() | u8() << 8); }
    std::uint32_t u32() { return u16() | std::uint32_t{u16()} << 16; }
    std::string cString() {
        std::string text;
        for (char c = static_cast<char>(u8()); c != 0; c = static_cast<char>(u8()))
            text += c;
        return text;
    }
    void skip(std::size_t count) {
        need(count);
        m_at += count;
    }
    std::size_t at() const { return m_at; }

private:
    void need(std::size_t count) const {
        if (m_at + count > m_bytes.size()) throw std::runtime_error("cabinet structure runs past its end");
    }
    const std::vector<std::uint8_t>& m_bytes;
    std::size_t m_at = 0;
};

}  // namespace

CabinetListing listCabinet(const std::vector<std::uint8_t>& bytes) {
    Reader in(bytes);
    if (in.u32() != 0x4643534D) throw std::runtime_error("no MSCF signature");
    CabinetListing cab;
    in.u32();
    cab.cabinetSize = in.u32();
    in.u32();
    const std::uint32_t filesOffset = in.u32();
    in.u32();
    if (in.u8() != 3 || in.u8() != 1) throw std::runtime_error("version is not 1.3");
    const std::uint16_t folderCount = in.u16();
    const std::uint16_t fileCount = in.u16();
    cab.flags = in.u16();
    cab.setID = in.u16();
    cab.index = in.u16();
    if (cab.flags & 4) {
        cab.headerReserve = in.u16();
        cab.folderReserve = in.u8();
        cab.dataReserve = in.u8();
        in.skip(cab.headerReserve);
    }
    if (cab.flags & 1) {
        cab.prevCabinet = in.cString();
        cab.prevDisk = in.cString();
    }
    if (cab.flags & 2) {
        cab.nextCabinet = in.cString();
        cab.nextDisk = in.cString();
    }
    for (int i = 0; i < folderCount; ++i) {
        ListedFolder folder;
        folder.dataOffset = in.u32();
        folder.dataCount = in.u16();
        folder.typeCompress = in.u16();
        in.skip(cab.folderReserve);
        cab.folders.push_back(folder);
    }
    if (in.at() != filesOffset) throw std::runtime_error("coffFiles does not follow the folders");
    for (int i = 0; i < fileCount; ++i) {
        ListedFile file;
        file.size = in.u32();
        file.folderOffset = in.u32();
        file.folder = in.u16();
        file.date = in.u16();
        file.time = in.u16();
        file.attribs = in.u16();
        file.name = in.cString();
        cab.files.push_back(file);
    }
    if (cab.cabinetSize != bytes.size()) throw std::runtime_error("cbCabinet is not the file's length");
    return cab;
}

CabinetListing listCabinet(const std::filesystem::path& path) {
    return listCabinet(readBytes(path));
}

}  // namespace corvane::test
