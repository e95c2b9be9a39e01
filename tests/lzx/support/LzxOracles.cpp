#include "LzxOracles.h"

#include <mspack.h>

#include <unistd.h>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace corvane::testing {

namespace fs = std::filesystem;

namespace {

// Built by appending: GCC 12 at -O3 misreads "'" + std::string as an overlapping copy
// (a false -Wrestrict).
std::string quoted(const fs::path& p) {
    std::string text(1, '\'');
    text += p.string();
    text += '\'';
    return text;
}

std::optional<std::vector<std::uint8_t>> runAndRead(const std::string& command, const fs::path& result,
                                                    std::string* error) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    if (status != 0) {
        *error = "exit status " + std::to_string(status) + " from: " + command;
        return std::nullopt;
    }
    if (!fs::exists(result)) {
        *error = "no extracted file after: " + command;
        return std::nullopt;
    }
    return readFile(result);
}

}  // namespace

ScratchDir::ScratchDir(const std::string& tag) {
    static std::atomic<unsigned> counter{0};
    m_path = fs::temp_directory_path() /
             ("corvane-lzx-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(m_path);
    fs::create_directories(m_path);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::optional<std::vector<std::uint8_t>> extractWithCabextract(const fs::path& cab, const std::string& name,
                                                               std::string* error) {
    const fs::path dir = cab.parent_path() / "cabextract";
    fs::create_directories(dir);
    return runAndRead("cabextract -q -d " + quoted(dir) + " " + quoted(cab), dir / name, error);
}

std::optional<std::vector<std::uint8_t>> extractWith7Zip(const fs::path& cab, const std::string& name,
                                                         std::string* error) {
    const fs::path dir = cab.parent_path() / "7zip";
    fs::create_directories(dir);
    return runAndRead("7z x -y -bd -o" + quoted(dir) + " " + quoted(cab), dir / name, error);
}

std::optional<std::vector<std::uint8_t>> extractWithLibmspack(const fs::path& cab, std::string* error) {
    mscab_decompressor* cabd = mspack_create_cab_decompressor(nullptr);
    if (cabd == nullptr) {
        *error = "libmspack: no decompressor";
        return std::nullopt;
    }
    std::optional<std::vector<std::uint8_t>> result;
    const std::string cabName = cab.string();
    mscabd_cabinet* cabinet = cabd->open(cabd, cabName.c_str());
    if (cabinet == nullptr || cabinet->files == nullptr) {
        *error = "libmspack: cannot open, error " + std::to_string(cabd->last_error(cabd));
    } else {
        const std::string out = (cab.parent_path() / "libmspack.out").string();
        const int rc = cabd->extract(cabd, cabinet->files, out.c_str());
        if (rc != MSPACK_ERR_OK)
            *error = "libmspack: extract error " + std::to_string(rc);
        else
            result = readFile(out);
    }
    if (cabinet != nullptr) cabd->close(cabd, cabinet);
    mspack_destroy_cab_decompressor(cabd);
    return result;
}

}  // namespace corvane::testing
