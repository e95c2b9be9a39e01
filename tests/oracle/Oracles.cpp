#include "Oracles.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include <mspack.h>

#include "TestSupport.h"

namespace corvane::test {

namespace fs = std::filesystem;

namespace {

std::string quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string windowsFolder(const fs::path& folder) {
    std::string text = "Z:" + folder.string();
    for (char& c : text)
        if (c == '/') c = '\\';
    if (text.back() != '\\') text += '\\';
    return text;
}

void compareTree(const std::string& oracle, const OracleJob& job, const fs::path& folder,
                 std::vector<std::string>& problems) {
    const FileTree actual = readTree(folder);
    for (const auto& [name, bytes] : job.expected) {
        const auto found = actual.find(name);
        if (found == actual.end())
            problems.push_back(oracle + ": " + job.firstCabinet.filename().string() + ": " + name +
                               " missing");
        else if (found->second != bytes)
            problems.push_back(oracle + ": " + job.firstCabinet.filename().string() + ": " + name +
                               " differs (" + std::to_string(found->second.size()) + " bytes, expected " +
                               std::to_string(bytes.size()) + ")");
    }
    for (const auto& [name, bytes] : actual)
        if (!job.expected.count(name))
            problems.push_back(oracle + ": " + job.firstCabinet.filename().string() + ": unexpected " + name);
}

void runOracle(const std::string& oracle, const std::string& command, const OracleJob& job,
               const fs::path& out, std::vector<std::string>& problems) {
    fs::create_directories(out);
    const CommandResult result = runCommand(command);
    if (result.exitCode != 0) {
        problems.push_back(oracle + ": " + job.firstCabinet.filename().string() + ": exit " +
                           std::to_string(result.exitCode) + ": " + result.output);
        return;
    }
    compareTree(oracle, job, out, problems);
}

}  // namespace

// Output goes to a file, not a pipe: the first wine run in a fresh server starts wine's services,
// which inherit the run's output and live until the server ends a minute later. Reading a pipe
// to its end would wait for them.
CommandResult runCommand(const std::string& commandLine) {
    CommandResult result;
    char outputPath[] = "/tmp/corvane-oracle-output-XXXXXX";
    const int output = ::mkstemp(outputPath);
    if (output < 0) return result;
    ::close(output);
    const int status = std::system((commandLine + " >" + quote(outputPath) + " 2>&1 </dev/null").c_str());
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.output = readFile(outputPath);
    ::unlink(outputPath);
    return result;
}

FileTree readTree(const fs::path& folder) {
    FileTree tree;
    if (!fs::exists(folder)) return tree;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            tree[entry.path().lexically_relative(folder).generic_string()] = readBytes(entry);
    return tree;
}

namespace {

std::vector<std::string> missingTools(std::initializer_list<const char*> tools) {
    std::vector<std::string> problems;
    for (const char* tool : tools)
        if (!fs::exists(tool))
            problems.push_back(std::string("oracle missing: ") + tool + " (run scripts/install-deps.sh)");
    return problems;
}

void runProgramOracles(const OracleJob& job, const fs::path& base, std::vector<std::string>& problems) {
    const std::string cab = quote(job.firstCabinet.string());
    runOracle("cabextract",
              std::string(CORVANE_CABEXTRACT) + " -q -d " + quote((base / "cabextract").string()) + " " + cab,
              job, base / "cabextract", problems);
    // 7-Zip names files in the locale's encoding: a UTF-8 one keeps non-ASCII names intact.
    runOracle("7z",
              "LC_ALL=C.UTF-8 " + std::string(CORVANE_7Z) + " x -y -bd -o" + quote((base / "7z").string()) +
                  " " + cab,
              job, base / "7z", problems);
    if (job.cabinets.size() == 1)
        runOracle("gcab", std::string(CORVANE_GCAB) + " -x -C " + quote((base / "gcab").string()) + " " + cab,
                  job, base / "gcab", problems);
}

}  // namespace

std::vector<std::string> checkWithProgramOracles(const std::vector<OracleJob>& jobs,
                                                 const fs::path& scratch) {
    std::vector<std::string> problems = missingTools({CORVANE_CABEXTRACT, CORVANE_7Z, CORVANE_GCAB});
    if (!problems.empty()) return problems;
    for (std::size_t i = 0; i < jobs.size(); ++i)
        runProgramOracles(jobs[i], scratch / ("job" + std::to_string(i)), problems);
    return problems;
}

std::vector<std::string> checkWithOracles(const std::vector<OracleJob>& jobs, const fs::path& scratch,
                                          std::map<std::string, FdiFileInfo>* fdiInfo) {
    std::vector<std::string> problems =
        missingTools({CORVANE_CABEXTRACT, CORVANE_7Z, CORVANE_GCAB, CORVANE_WINE, CORVANE_FDIEXTRACT});
    if (!problems.empty()) return problems;

    std::string wineArguments;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const OracleJob& job = jobs[i];
        const fs::path base = scratch / ("job" + std::to_string(i));
        runProgramOracles(job, base, problems);
        fs::create_directories(base / "fdi");
        for (const fs::path& cabinet : job.cabinets)
            wineArguments += " " + quote(windowsFolder(cabinet.parent_path())) + " " +
                             quote(cabinet.filename().string()) + " " + quote(windowsFolder(base / "fdi"));
    }

    const std::string fdiCommand =
        "WINEPREFIX=" + quote(CORVANE_WINE_PREFIX) +
        " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' " + CORVANE_WINE + " " +
        quote(CORVANE_FDIEXTRACT) + wineArguments;
    CommandResult wine = runCommand(fdiCommand);
    // The probe reports every failure of its own on stderr. A failure with no word at all is wine
    // not starting (a client meeting the lingering server as it shuts down, on a busy machine):
    // that is no verdict on the cabinet, so it is tried again.
    for (int retry = 0; retry < 2 && wine.exitCode != 0 && wine.output.empty(); ++retry) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        wine = runCommand(fdiCommand);
    }
    if (wine.exitCode != 0) {
        problems.push_back("fdi: exit " + std::to_string(wine.exitCode) + ": " + wine.output);
        return problems;
    }
    for (std::size_t i = 0; i < jobs.size(); ++i)
        compareTree("fdi", jobs[i], scratch / ("job" + std::to_string(i)) / "fdi", problems);
    if (fdiInfo) {
        std::istringstream lines(wine.output);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind("FILE ", 0) != 0) continue;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::istringstream fields(line.substr(5));
            std::string name, date, time, attribs;
            std::getline(fields, name, '|');
            std::getline(fields, date, '|');
            std::getline(fields, time, '|');
            std::getline(fields, attribs, '|');
            (*fdiInfo)[name] = {static_cast<std::uint16_t>(std::stoul(date)),
                                static_cast<std::uint16_t>(std::stoul(time)),
                                static_cast<std::uint16_t>(std::stoul(attribs))};
        }
    }
    return problems;
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
            result = readBytes(out);
    }
    if (cabinet != nullptr) cabd->close(cabd, cabinet);
    mspack_destroy_cab_decompressor(cabd);
    return result;
}

}  // namespace corvane::test
