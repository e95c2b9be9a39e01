#include "cli/corvane-cab/CabCommand.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <thread>

#include "cabinet/CabinetFormat.h"
#include "cabinet/ESTCabinet.h"
#include "cabinet/TSTCabWriter.h"
#include "codec/JobQueue.h"
#include "platform/AtomicFile.h"
#include "platform/FileProbe.h"
#include "platform/Leftovers.h"
#include "platform/TextCase.h"

namespace corvane::cli {

namespace {

namespace fs = std::filesystem;
using cabinet::TSTCabWriter;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr unsigned kMaxJobs = 256;

constexpr const char* kUsage =
    "Usage: corvane-cab [-z none|mszip|lzx[:15-21]] [-j N] [--max-files N] [--max-size BYTES] OUT.cab\n"
    "                   FILE...\n"
    "\n"
    "Writes the files into the cabinet OUT.cab, one folder, names as given with \"\\\" separators\n"
    "(absolute paths and paths with \"..\" keep only their file name).\n"
    "\n"
    "Options:\n"
    "  -z, --compression TYPE  none, mszip (the default) or lzx with an optional window size\n"
    "                          (lzx:15 to lzx:21, 21 when left out)\n"
    "  -j, --jobs N            compress a large file on N threads (default: one per core); the\n"
    "                          cabinet is the same for any N\n"
    "  --max-files N           start a new cabinet of the set after every N files\n"
    "  --max-size BYTES        start a new cabinet before one grows past BYTES; a file may\n"
    "                          continue from one cabinet into the next\n"
    "  -h, --help              show this help\n"
    "\n"
    "Further cabinets of a set are named after OUT.cab with their number before the extension\n"
    "(setup.cab, setup1.cab, setup2.cab, ...).\n"
    "\n"
    "Exit status: 0 on success, 1 when a cabinet cannot be written, 2 on a usage error.\n";

struct Options {
    bool help = false;
    cabinet::TSTCabCompressionType type = cabinet::cctMsZip;
    int lzxLevel = cabinet::kLzxMaxWindowBits;
    unsigned jobs = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxJobs);
    std::uint32_t maxFiles = 0;
    std::uint32_t maxSize = 0;
    std::string output;
    std::vector<std::string> files;
};

std::optional<std::uint32_t> parseNumber(const std::string& text) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

bool parseCompression(const std::string& text, Options& options) {
    if (text == "none") {
        options.type = cabinet::cctNone;
    } else if (text == "mszip") {
        options.type = cabinet::cctMsZip;
    } else if (text == "lzx") {
        options.type = cabinet::cctLzx;
    } else if (text.starts_with("lzx:")) {
        const auto level = parseNumber(text.substr(4));
        if (!level || *level < cabinet::kLzxMinWindowBits || *level > cabinet::kLzxMaxWindowBits)
            return false;
        options.type = cabinet::cctLzx;
        options.lzxLevel = static_cast<int>(*level);
    } else {
        return false;
    }
    return true;
}

std::optional<Options> parseArguments(const std::vector<std::string>& args, std::ostream& err) {
    Options options;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> const std::string* {
            if (i + 1 == args.size()) {
                err << "corvane-cab: " << arg << " needs a value\n";
                return nullptr;
            }
            return &args[++i];
        };
        if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "-z" || arg == "--compression") {
            const std::string* text = value();
            if (!text) return std::nullopt;
            if (!parseCompression(*text, options)) {
                err << "corvane-cab: unknown compression " << *text
                    << " (none, mszip, lzx or lzx:15 to lzx:21)\n";
                return std::nullopt;
            }
        } else if (arg == "-j" || arg == "--jobs") {
            const std::string* text = value();
            if (!text) return std::nullopt;
            const auto number = parseNumber(*text);
            if (!number || *number == 0 || *number > kMaxJobs) {
                err << "corvane-cab: " << arg << " takes a number of jobs from 1 to " << kMaxJobs << ", not "
                    << *text << "\n";
                return std::nullopt;
            }
            options.jobs = *number;
        } else if (arg == "--max-files" || arg == "--max-size") {
            const std::string* text = value();
            if (!text) return std::nullopt;
            const auto number = parseNumber(*text);
            if (!number || *number == 0) {
                err << "corvane-cab: " << arg << " needs a number from 1 to 4294967295, not " << *text
                    << "\n";
                return std::nullopt;
            }
            (arg == "--max-files" ? options.maxFiles : options.maxSize) = *number;
        } else if (arg == "--") {
            positional.insert(positional.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                              args.end());
            break;
        } else if (arg.size() > 1 && arg[0] == '-') {
            err << "corvane-cab: unknown option " << arg << "\n";
            return std::nullopt;
        } else {
            positional.push_back(arg);
        }
    }
    if (options.help) return options;
    if (positional.size() < 2) {
        err << "corvane-cab: give the cabinet and at least one file\n" << kUsage;
        return std::nullopt;
    }
    options.output = positional.front();
    options.files.assign(positional.begin() + 1, positional.end());
    return options;
}

// The name a file gets in the cabinet.
std::string nameInCabinet(const std::string& path) {
    const fs::path given(path);
    bool upward = false;
    for (const fs::path& part : given)
        upward = upward || part == "..";
    std::string name =
        given.is_absolute() || upward ? given.filename().string() : given.lexically_normal().string();
    for (char& c : name)
        if (c == '/') c = '\\';
    return name;
}

// Finds what would make the cabinet fail before anything is written.
bool checkSources(const std::vector<std::string>& files, std::ostream& err) {
    // Cabinet readers look members up without regard to case, so of two members named alike
    // only one could ever be extracted.
    std::map<std::string, const std::string*> names;
    for (const std::string& file : files) {
        std::error_code error;
        const fs::file_status status = fs::status(file, error);
        if (error) {
            err << "corvane-cab: " << file << ": " << error.message() << "\n";
            return false;
        }
        if (!fs::is_regular_file(status)) {
            err << "corvane-cab: " << file << ": not a regular file\n";
            return false;
        }
        const std::uintmax_t size = fs::file_size(file, error);
        if (!error && size > cabinet::kMaxFileBytes) {
            err << "corvane-cab: " << file << ": " << size << " bytes is more than a cabinet can hold ("
                << cabinet::kMaxFileBytes << " bytes per file)\n";
            return false;
        }
        const std::string name = nameInCabinet(file);
        if (name.empty() || name.size() > cabinet::kMaxNameLength) {
            err << "corvane-cab: " << file << ": its name in the cabinet must have 1 to "
                << cabinet::kMaxNameLength << " bytes\n";
            return false;
        }
        const auto [first, added] = names.emplace(platform::foldedCopy(name), &file);
        if (!added) {
            err << "corvane-cab: " << *first->second << " and " << file << " would both be stored as " << name
                << "; a cabinet holds one member of each name\n";
            return false;
        }
    }
    return true;
}

// The input that writing the cabinet file at path would replace (the same file, however
// spelled), or nullptr.
const std::string* inputAt(const fs::path& path, const std::vector<std::string>& files) {
    const auto output = platform::fileIdentity(path);
    if (!output) return nullptr;
    for (const std::string& file : files)
        if (platform::fileIdentity(file) == output) return &file;
    return nullptr;
}

// The cabinets of the set are written into a private folder beside the output and moved into
// place only when all are complete, so a failure (a full disk) leaves the previous cabinets as
// they were. Returns the message of a failure, empty on success.
std::string commitSet(const fs::path& written, const fs::path& folder,
                      const std::vector<std::string>& files) {
    std::vector<fs::path> cabinets;
    std::error_code ec;
    for (fs::directory_iterator it(written, ec), end; !ec && it != end; it.increment(ec))
        cabinets.push_back(it->path());
    if (ec) return written.string() + ": " + ec.message();
    for (const fs::path& cabinet : cabinets)
        if (const std::string* input = inputAt(folder / cabinet.filename(), files))
            return (folder / cabinet.filename()).string() +
                   ": a cabinet of the set would replace the input " + *input + "; nothing was written";
    try {
        for (const fs::path& cabinet : cabinets)
            platform::commitFile(cabinet, platform::writeTarget(folder / cabinet.filename()));
    } catch (const std::system_error& e) {
        return e.what();
    }
    return {};
}

std::string oneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        if (c == '\n')
            line += ' ';
        else if (c != '\r')
            line += c;
    }
    return line;
}

}  // namespace

int runCabCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::optional<Options> options = parseArguments(args, err);
    if (!options) return kExitUsage;
    if (options->help) {
        out << kUsage;
        return kExitOk;
    }
    if (!checkSources(options->files, err)) return kExitFailed;
    const fs::path output = platform::writeTarget(fs::absolute(options->output));
    if (const std::string* input = inputAt(output, options->files)) {
        err << "corvane-cab: the cabinet " << options->output << " is the input " << *input
            << "; writing it would destroy that file\n";
        return kExitFailed;
    }
    const fs::path folder = output.parent_path();
    std::error_code ignored;  // a folder that cannot be made is reported just below
    fs::create_directories(folder, ignored);
    platform::removeDeadPartials(output);
    const platform::OwnedFolder partial(folder, output.filename().string() + ".part");
    if (partial.path().empty()) {
        err << "corvane-cab: " << options->output << ": cannot write in " << folder.string() << ": "
            << std::strerror(errno) << "\n";
        return kExitFailed;
    }

    codec::JobQueue jobs(options->jobs);
    const codec::ServingThreads helpers(jobs);
    TSTCabWriter writer;
    writer.setJobQueue(&jobs);
    writer.setCompressionType(options->type);
    writer.setCompressionLzxLevel(options->lzxLevel);
    writer.setCabinetFileCountThreshold(options->maxFiles);
    writer.setCabinetSizeThreshold(options->maxSize);
    std::string current = options->output;
    try {
        writer.Open((partial.path() / output.filename()).string());
        for (const std::string& file : options->files) {
            current = file;
            writer.AddFile(file, nameInCabinet(file), false);
        }
        current = options->output;
        writer.Close(true);
    } catch (const cabinet::ESTCabinet& e) {
        err << "corvane-cab: " << current << ": " << oneLine(e.what()) << "\n";
        return kExitFailed;
    }
    if (const std::string failure = commitSet(partial.path(), folder, options->files); !failure.empty()) {
        err << "corvane-cab: " << failure << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace corvane::cli
