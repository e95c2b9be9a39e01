#pragma once

// A test-side reader of cabinet structure (header, folders, files), written from the format's
// rules independently of the writer, so tests can check what the writer laid out.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace corvane::test {

struct ListedFolder {
    std::uint32_t dataOffset = 0;
    std::uint16_t dataCount = 0;
    std::uint16_t typeCompress = 0;
};

struct ListedFile {
    std::string name;
    std::uint32_t size = 0;
    std::uint32_t folderOffset = 0;
    std::uint16_t folder = 0;
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::uint16_t attribs = 0;
};

struct CabinetListing {
    std::uint32_t cabinetSize = 0;
    std::uint16_t flags = 0;
    std::uint16_t setID = 0;
    std::uint16_t index = 0;
    std::uint16_t headerReserve = 0;
    std::uint8_t folderReserve = 0;
    std::uint8_t dataReserve = 0;
    std::string prevCabinet, prevDisk, nextCabinet, nextDisk;
    std::vector<ListedFolder> folders;
    std::vector<ListedFile> files;
};

// Throws std::runtime_error when the bytes are not a well-formed cabinet.
CabinetListing listCabinet(const std::vector<std::uint8_t>& bytes);
CabinetListing listCabinet(const std::filesystem::path& path);

}  // namespace corvane::test
