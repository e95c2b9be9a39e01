#include "cli/BuildCommand.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "builder/SetupDescription.h"
#include "model/Project.h"
#include "platform/Folders.h"
#include "project/ProjectFileReader.h"

namespace corvane::cli {

namespace {

constexpr const char* kUsage =
    "Usage: corvane-build --describe PROJECT.zan [--program-dir DIR]\n"
    "\n"
    "Reads a Corvane project and prints the setup description (zansetup.ini) it yields.\n"
    "\n"
    "Options:\n"
    "  --describe          print the description instead of building; each Files line shows\n"
    "                      the source file's size where the built setup holds its cabinet's\n"
    "                      length, and FileSize is the length of the program folder's Setup.exe\n"
    "                      (0 when there is none)\n"
    "  --program-dir DIR   take Setup.exe, Languages/ and the bitmaps from DIR instead of the\n"
    "                      folder of this program\n"
    "  -h, --help          show this help\n"
    "\n"
    "Exit status: 0 on success, 1 when the project cannot be read, 2 on a usage error.\n";

struct Options {
    bool help = false;
    bool describe = false;
    std::string project;
    std::string programDir;
};

std::optional<Options> parseArguments(const std::vector<std::string>& args, std::ostream& err) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "--describe") {
            options.describe = true;
        } else if (arg == "--program-dir") {
            if (++i == args.size()) {
                err << "corvane-build: --program-dir needs a folder\n";
                return std::nullopt;
            }
            options.programDir = platform::withTrailingSeparator(args[i]);
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
    return options;
}

int describe(const Options& options, std::ostream& out, std::ostream& err) {
    std::error_code ec;
    const std::filesystem::path projectFile = std::filesystem::absolute(options.project, ec);
    if (ec || !std::filesystem::is_regular_file(projectFile, ec)) {
        err << "corvane-build: File not found: " << options.project << "\n";
        return 1;
    }
    model::Project project(options.programDir.empty() ? platform::programFolder() : options.programDir,
                           platform::defaultSetupFile());
    try {
        project::readProjectFile(project, projectFile);
    } catch (const std::exception& e) {
        err << "corvane-build: cannot read " << options.project << ": " << e.what() << "\n";
        return 1;
    }
    project.projectPath = projectFile.string();

    const auto stubSize = std::filesystem::file_size(project.programFolder() + "Setup.exe", ec);
    builder::SetupDescriptionWriter description(platform::workFolder() + "zansetup-describe.ini");
    description.writeSettings(project, ec ? 0 : stubSize);
    for (const model::FileEntry& row : project.files)
        description.writeFileLine(row, static_cast<std::uint64_t>(model::parseSizeField(row.size)));
    description.writeOtherSections(project);
    out << description.profile().text();
    return 0;
}

}  // namespace

int runBuildCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::optional<Options> options = parseArguments(args, err);
    if (!options) {
        err << "Try 'corvane-build --help'.\n";
        return 2;
    }
    if (options->help) {
        out << kUsage;
        return 0;
    }
    if (options->project.empty() || !options->describe) {
        err << (options->project.empty() ? "corvane-build: no project given\n"
                                         : "corvane-build: building is not available yet; use --describe\n")
            << "Try 'corvane-build --help'.\n";
        return 2;
    }
    return describe(*options, out, err);
}

}  // namespace corvane::cli
