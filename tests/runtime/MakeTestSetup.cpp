// Assembles a setup file the way Corvane's build lays it out, for the runtime's end-to-end
// tests: the stub, one cabinet per Files row (made with gcab, stored under the destination's
// file name), the description cabinet zansetup.cab and the 10-digit trailer. The description is
// written by the project's own SetupDescriptionWriter.
//
// usage: corvane_make_test_setup PROJECT.zan OUTPUT.exe PROGRAM_DIR

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "builder/SetupDescription.h"
#include "model/Project.h"
#include "project/ProjectFileReader.h"

namespace fs = std::filesystem;

namespace {

std::string quoted(const fs::path& p) {
    std::string out = "'";
    for (const char c : p.string()) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

void run(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

std::string fileNamePart(const std::string& windowsPath) { return windowsPath.substr(windowsPath.find_last_of("\\/") + 1); }

void append(std::ofstream& out, const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    out << in.rdbuf();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PROJECT.zan OUTPUT.exe PROGRAM_DIR\n", argv[0]);
        return 2;
    }
    const fs::path zan = fs::absolute(argv[1]), output = fs::absolute(argv[2]);
    std::string programDir = fs::absolute(argv[3]).string();
    if (programDir.back() != '/') programDir += '/';

    corvane::model::Project project(programDir, (output.parent_path() / "Setup.exe").string());
    corvane::project::readProjectFile(project, zan);
    project.projectPath = zan.string();

    const fs::path work = output.string() + ".work";
    fs::remove_all(work);
    fs::create_directories(work);
    const fs::path stub = fs::path(programDir) / "Setup.exe";
    const bool compress = project.settings.compressionType != 0;

    corvane::builder::SetupDescriptionWriter description(work / "zansetup.ini");
    description.writeSettings(project, fs::file_size(stub));
    std::vector<fs::path> cabinets;
    for (std::size_t k = 0; k < project.files.size(); ++k) {
        const auto& row = project.files[k];
        const fs::path stage = work / ("f" + std::to_string(k));
        fs::create_directories(stage);
        const fs::path staged = stage / fileNamePart(row.installTo);
        fs::copy_file(project.resolvePath(row.source), staged);
        const fs::path cab = work / (std::to_string(k) + ".cab");
        run("gcab -c -n " + std::string(compress ? "-z " : "") + quoted(cab) + " " + quoted(staged));
        description.writeFileLine(row, fs::file_size(cab));
        cabinets.push_back(cab);
    }
    description.writeOtherSections(project);
    description.close();

    // The description cabinet's members, in the builder's order.
    const fs::path members = work / "description";
    fs::create_directories(members);
    std::vector<fs::path> order;
    auto stageMember = [&](const fs::path& source, const std::string& name) {
        fs::copy_file(source, members / name, fs::copy_options::overwrite_existing);
        order.push_back(members / name);
    };
    for (const std::string& language : project.selectedLanguages())
        stageMember(fs::path(programDir) / "Languages" / (language + ".lng"), language + ".lng");
    for (const auto& row : project.licenses)
        if (!row.file.empty()) stageMember(project.resolvePath(row.file), "L" + row.language + ".rtf");
    for (const auto& row : project.readmes)
        if (!row.file.empty()) stageMember(project.resolvePath(row.file), "R" + row.language + ".rtf");
    stageMember(work / "zansetup.ini", "zansetup.ini");
    stageMember(project.resolvePath(project.settings.wizard), "zanwizard.bmp");
    stageMember(project.resolvePath(project.settings.header), "zanheader.bmp");
    std::string command = "gcab -c -n -z " + quoted(work / "zansetup.cab");
    for (const fs::path& m : order) command += " " + quoted(m);
    run(command);

    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    append(out, stub);
    for (const fs::path& cab : cabinets) append(out, cab);
    append(out, work / "zansetup.cab");
    char trailer[16];
    std::snprintf(trailer, sizeof trailer, "%010llu", static_cast<unsigned long long>(fs::file_size(work / "zansetup.cab")));
    out.write(trailer, 10);
    return out ? 0 : 1;
}
