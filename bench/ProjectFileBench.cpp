// Save and load times of large projects: N Files rows plus N/10 rows in every other list,
// for N = 10,000 and 100,000, so the growth shows whether both stay linear. Then the setup
// description of 20,000 identical Files rows against 20,000 distinct ones: numbering the
// copies must cost no more than distinct lines do.
// Usage: corvane-bench-project [WORK_FOLDER]   (default: the temporary folder)

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "builder/SetupDescription.h"
#include "model/Project.h"
#include "project/ProjectFileReader.h"
#include "project/ProjectFileWriter.h"

namespace {

using namespace corvane;
using Clock = std::chrono::steady_clock;

constexpr int kPayloadFiles = 1000;  // rows share these sources, each with its own destination

model::Project makeProject(int rows, const std::filesystem::path& folder) {
    model::Project p(folder.string() + "/", (folder / "Setup.exe").string());
    const std::string n = std::to_string(rows);
    for (int i = 0; i < rows; ++i) {
        const std::string k = std::to_string(i);
        p.files.push_back({"payload/f" + std::to_string(i % kPayloadFiles) + ".bin", "1",
                           "<InstallDir>\\sub" + std::to_string(i % 97) + "\\file" + k + ".bin", "Overwrite",
                           "Yes"});
    }
    for (int i = 0; i < rows / 10; ++i) {
        const std::string k = std::to_string(i);
        p.shortcuts.push_back({"<ProgramGroup>", "Shortcut " + k, "<InstallDir>\\file" + k + ".bin",
                               "Description " + k, "/p", "<InstallDir>", "<InstallDir>\\app.exe", "0",
                               "Normal"});
        p.registry.push_back(
            {"HKEY_CURRENT_USER", "Software\\Bench\\" + k, "Value" + k, "String", k, "Yes", "No"});
        p.ini.push_back({"<InstallDir>\\bench.ini", "Section" + k, "Key", k, "Yes", "Yes"});
        p.associations.push_back({".ext" + k, "<InstallDir>\\file" + k + ".bin"});
        p.dlls.push_back({"<InstallDir>\\lib" + k + ".dll"});
    }
    return p;
}

double seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path base =
        (argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path()) /
        "corvane-bench-project";
    std::filesystem::create_directories(base / "payload");
    for (int i = 0; i < kPayloadFiles; ++i)
        std::ofstream(base / "payload" / ("f" + std::to_string(i) + ".bin")) << i;

    std::printf("%-10s %-12s %-10s %-10s %s\n", "rows", "file bytes", "save s", "load s", "rows read");
    for (const int rows : {10000, 100000}) {
        const model::Project project = makeProject(rows, base);
        const std::filesystem::path file = base / ("bench-" + std::to_string(rows) + ".zan");

        auto start = Clock::now();
        project::writeProjectFile(project, file);
        const double save = seconds(start);

        model::Project loaded(base.string() + "/", "");
        start = Clock::now();
        project::readProjectFile(loaded, file);
        const double load = seconds(start);

        std::printf("%-10d %-12ju %-10.3f %-10.3f %zu\n", rows,
                    static_cast<std::uintmax_t>(std::filesystem::file_size(file)), save, load,
                    loaded.files.size());
    }

    constexpr int kDescribedRows = 20000;
    std::printf("\n%-22s %s\n", "Files rows described", "seconds");
    double times[2] = {};
    for (const bool identical : {false, true}) {
        model::Project project(base.string() + "/", "");
        for (int i = 0; i < kDescribedRows; ++i)
            project.files.push_back(
                {"payload/f0.bin", "1",
                 identical ? "<InstallDir>\\same.bin" : "<InstallDir>\\f" + std::to_string(i), "Overwrite",
                 "Yes"});
        builder::SetupDescriptionWriter writer(base / "zansetup.ini");
        const auto start = Clock::now();
        for (const model::FileEntry& row : project.files)
            writer.writeFileLine(row, 100);
        times[identical] = seconds(start);
        std::printf("%-22s %.3f\n", identical ? "20,000 identical" : "20,000 distinct", times[identical]);
    }
    std::printf("%-22s %.2fx\n", "identical / distinct", times[1] / times[0]);
    std::filesystem::remove_all(base);
    return 0;
}
