#include "cli/corvane-build/BuildCommand.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "builder/FilePacker.h"
#include "builder/PreBuildChecks.h"
#include "builder/SetupBuilder.h"
#include "builder/SetupDescription.h"
#include "builder/SigningCommand.h"
#include "model/FormatSize.h"
#include "model/Project.h"
#include "platform/FileProbe.h"
#include "platform/Folders.h"
#include "project/ProjectFileReader.h"

namespace corvane::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;  // what shells report for a command stopped by Ctrl+C
constexpr int kBarWidth = 30;

constexpr const char* kUsage =
    "Usage: corvane-build PROJECT.zan [-o SETUP.exe] [-j N] [--sign COMMAND] [--check]\n"
    "                     [--program-dir DIR]\n"
    "       corvane-build --describe PROJECT.zan [--program-dir DIR]\n"
    "\n"
    "Builds the setup of a Corvane project: checks the project as the editor does, compresses\n"
    "every file into its cabinet, and writes the setup file the project names (or SETUP.exe).\n"
    "Relative paths in the project are taken from the project file's folder.\n"
    "\n"
    "Options:\n"
    "  -o, --output SETUP.exe  write the setup here instead of the project's setup file\n"
    "  -j, --jobs N            compress on N threads, several files and the parts of a large\n"
    "                          one at a time (default: CORVANE_JOBS, else the number of\n"
    "                          cores); the setup is the same for any N\n"
    "  --sign COMMAND          sign the uninstaller before it is packed and the finished\n"
    "                          setup with COMMAND, run by /bin/sh, {} standing for the\n"
    "                          file (quoted for you), e.g. \"osslsigncode sign -pkcs12\n"
    "                          my.p12 -in {} -out {}.signed && mv {}.signed {}\"; the\n"
    "                          build fails, writing no setup, when COMMAND fails\n"
    "  --check                 run the checks only; build nothing\n"
    "  --describe              print the setup description (zansetup.ini) the project yields,\n"
    "                          with each file's own size where the built setup holds its\n"
    "                          cabinet's length\n"
    "  --program-dir DIR       take Setup.exe, Languages/ and the default bitmaps from DIR\n"
    "                          instead of the folder of this program\n"
    "  -h, --help              show this help\n"
    "\n"
    "With SOURCE_DATE_EPOCH set, the setup's own time stamps take that moment; two builds of\n"
    "the same inputs are byte-identical with or without it.\n"
    "\n"
    "Exit status: 0 on success, 1 when a check or the build fails, 2 on a usage error,\n"
    "130 when interrupted.\n";

// The editor's messages break the line before a path with a lone carriage return, which a
// terminal line keeps as a blank; the line breaks of a cabinet error stay line breaks.
std::string oneLine(std::string message) {
    std::string line;
    for (std::size_t i = 0; i < message.size(); ++i) {
        if (message[i] != '\r')
            line += message[i];
        else if (i + 1 == message.size() || message[i + 1] != '\n')
            line += ' ';
    }
    return line;
}

struct Options {
    bool help = false;
    bool check = false;
    bool describe = false;
    std::string project;
    std::string output;
    std::string programDir;
    std::string signingCommand;
    unsigned jobs = 0;  // 0: CORVANE_JOBS, else every core
};

std::optional<Options> parseArguments(const std::vector<std::string>& args, std::ostream& err) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 == args.size()) {
                err << "corvane-build: " << arg << " needs a value\n";
                return std::nullopt;
            }
            return args[++i];
        };
        if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "--check") {
            options.check = true;
        } else if (arg == "--describe") {
            options.describe = true;
        } else if (arg == "-o" || arg == "--output") {
            const auto v = value();
            if (!v) return std::nullopt;
            options.output = *v;
        } else if (arg == "-j" || arg == "--jobs") {
            const auto v = value();
            if (!v) return std::nullopt;
            options.jobs = builder::parseJobs(*v);
            if (options.jobs == 0) {
                err << "corvane-build: " << arg << " takes a number of jobs from 1 to " << builder::kMaxJobs
                    << ", not '" << *v << "'\n";
                return std::nullopt;
            }
        } else if (arg == "--sign") {
            const auto v = value();
            if (!v) return std::nullopt;
            if (const std::string problem = builder::signingCommandProblem(*v);
                !problem.empty() || v->empty()) {
                err << "corvane-build: --sign: "
                    << (problem.empty() ? "The signing command is empty." : problem) << "\n";
                return std::nullopt;
            }
            options.signingCommand = *v;
        } else if (arg == "--program-dir") {
            const auto v = value();
            if (!v) return std::nullopt;
            options.programDir = platform::withTrailingSeparator(*v);
        } else if (!arg.empty() && arg[0] == '-') {
            err << "corvane-build: unknown option " << arg << "\n";
            return std::nullopt;
        } else if (options.project.empty()) {
            options.project = arg;
        } else {
            err << "corvane-build: more than one project given (" << options.project << ", " << arg << ")\n";
            return std::nullopt;
        }
    }
    if (!options.help && options.project.empty()) {
        err << "corvane-build: no project given\n";
        return std::nullopt;
    }
    // A mistyped CORVANE_JOBS is named rather than quietly replaced by every core.
    const char* jobs = std::getenv("CORVANE_JOBS");
    if (options.jobs == 0 && jobs != nullptr && *jobs != '\0' && builder::parseJobs(jobs) == 0) {
        err << "corvane-build: CORVANE_JOBS takes a number of jobs from 1 to " << builder::kMaxJobs
            << ", not '" << jobs << "'\n";
        return std::nullopt;
    }
    return options;
}

// The editor's bitmap check shows the field with its path; a terminal line names the file and
// says what is wrong with it (missing, a folder, a FIFO).
std::string bitmapProblem(const model::Project& project, const builder::CheckFailure& failure) {
    const bool wizard = failure.field == builder::CheckedField::Wizard;
    if (!wizard && failure.field != builder::CheckedField::Header) return {};
    const std::string& setting = wizard ? project.settings.wizard : project.settings.header;
    if (setting.empty()) return {};
    const fs::path path = project.resolvePath(setting);
    const platform::FileProbe probe = platform::probeFile(path);
    const char* why = probe.state == platform::FileProbe::State::Missing ? "not found"
                      : probe.error == EISDIR                            ? "a folder"
                      : probe.error == EINVAL                            ? "not a regular file"
                                                                         : std::strerror(probe.error);
    return " (" + path.string() + ": " + why + ")";
}

void describe(const model::Project& project, std::ostream& out) {
    std::error_code ec;
    const auto stubSize = fs::file_size(project.programFolder() + "Setup.exe", ec);
    builder::SetupDescriptionWriter description;
    description.writeSettings(project, ec ? 0 : stubSize);
    for (const model::FileEntry& row : project.files)
        description.writeFileLine(row, static_cast<std::uint64_t>(model::parseSizeField(row.size)));
    description.writeOtherSections(project);
    out << description.profile().text();
}

// Progress as a bar redrawn in place on a terminal, as plain lines elsewhere (logs, CI).
class ProgressPrinter {
public:
    ProgressPrinter(std::ostream& out, bool terminal) : m_out(out), m_terminal(terminal) {}
    ~ProgressPrinter() { endLine(); }

    void status(const std::string& text) {
        m_status = text;
        if (!m_terminal && !text.empty()) m_out << text << "\n";
        draw();
    }
    void progress(int position) {
        m_position = position;
        draw();
    }
    void endLine() {
        if (m_terminal && m_drawn) m_out << "\n";
        m_drawn = false;
    }

private:
    void draw() {
        if (!m_terminal) return;
        const int filled = m_position * kBarWidth / 100;
        m_out << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') << "] " << m_position << "%  "
              << m_status.substr(0, 40) << "\x1b[K" << std::flush;
        m_drawn = true;
    }

    std::ostream& m_out;
    bool m_terminal;
    bool m_drawn = false;
    std::string m_status;
    int m_position = 0;
};

int build(const Options& options, model::Project& project, std::ostream& out, std::ostream& err,
          const CommandEnvironment& environment) {
    builder::SetupBuilder builder(project, project.programFolder(), platform::workFolder());
    if (!options.output.empty()) builder.setSetupFile(fs::absolute(options.output));
    builder.setJobs(options.jobs);
    builder.setSigningCommand(options.signingCommand);

    ProgressPrinter printer(out, environment.terminal);
    builder::BuildCallbacks callbacks;
    callbacks.status = [&](const std::string& text) { printer.status(text); };
    callbacks.progress = [&](int position) { printer.progress(position); };
    callbacks.cancelRequested = [&] {
        return environment.interrupted != nullptr && environment.interrupted->load();
    };
    const builder::BuildResult result = builder.run(callbacks);
    printer.endLine();

    switch (result.outcome) {
        case builder::BuildResult::Outcome::Succeeded:
            out << "Setup was successfully created!\n"
                << result.setupFile.string() << " ("
                << model::formatSize(static_cast<std::int64_t>(result.setupSize)) << ")\n";
            return kExitOk;
        case builder::BuildResult::Outcome::Cancelled:
            err << "corvane-build: cancelled; " << result.setupFile.string() << " was left as it was\n";
            return kExitInterrupted;
        case builder::BuildResult::Outcome::AccessDenied:
            err << "corvane-build: " << oneLine(result.message) << "\n";
            return kExitFailed;
        case builder::BuildResult::Outcome::Failed:
            break;
    }
    err << "corvane-build: " << oneLine(result.message) << "\n";
    return kExitFailed;
}

}  // namespace

int runBuildCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const CommandEnvironment& environment) {
    const std::optional<Options> options = parseArguments(args, err);
    if (!options) {
        err << "Try 'corvane-build --help'.\n";
        return kExitUsage;
    }
    if (options->help) {
        out << kUsage;
        return kExitOk;
    }

    std::error_code ec;
    const fs::path projectFile = fs::absolute(options->project, ec);
    if (ec || !fs::is_regular_file(projectFile, ec)) {
        err << "corvane-build: File not found: " << options->project << "\n";
        return kExitFailed;
    }
    model::Project project(options->programDir.empty() ? platform::programFolder() : options->programDir,
                           platform::defaultSetupFile());
    std::optional<project::LanguageChange> languages;
    try {
        languages = project::readProjectFile(project, projectFile);
    } catch (const std::exception& e) {
        err << "corvane-build: cannot read " << options->project << ": " << e.what() << "\n";
        return kExitFailed;
    }
    project.projectPath = projectFile.string();
    // Languages followed by the names the project stores are worth a note; a project that stores
    // none and no longer matches the program folder, or names a language that is gone, would build
    // a setup with other languages than its author chose.
    if (languages && languages->refusesBuild() && !options->describe) {
        err << "corvane-build: " << options->project << ": " << languages->describe()
            << " Open the project in Corvane, check its languages on the Language tab and save it.\n";
        return kExitFailed;
    }
    if (languages)
        err << "corvane-build: note: " << options->project << ": " << languages->describe() << "\n";

    if (options->describe) {
        describe(project, out);
        return kExitOk;
    }
    if (const auto failure = builder::firstFailedCheck(project)) {
        // The editor shows the first unusable source; here every one of them is worth knowing.
        const std::vector<builder::SourceProblem> problems =
            failure->field == builder::CheckedField::FileSource ? builder::sourceProblems(project)
                                                                : std::vector<builder::SourceProblem>{};
        for (const builder::SourceProblem& problem : problems)
            err << "corvane-build: " << oneLine(problem.message()) << " (Files row " << problem.row + 1
                << ", installs to " << project.files[problem.row].installTo << ")\n";
        if (problems.empty())
            err << "corvane-build: " << oneLine(failure->message) << bitmapProblem(project, *failure) << "\n";
        return kExitFailed;
    }
    if (options->check) {
        out << options->project << ": ready to build\n";
        return kExitOk;
    }
    return build(*options, project, out, err, environment);
}

}  // namespace corvane::cli
