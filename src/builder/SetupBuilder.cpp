#include "builder/SetupBuilder.h"

#include <stdlib.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <random>
#include <stdexcept>
#include <system_error>

#include "builder/FilePacker.h"
#include "builder/SetupDescription.h"
#include "builder/SigningCommand.h"
#include "builder/TimeStamps.h"
#include "cabinet/CabinetFormat.h"
#include "cabinet/ESTCabinet.h"
#include "cabinet/TSTCabWriter.h"
#include "model/FormatSize.h"
#include "model/Project.h"

namespace corvane::builder {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kAppendBlock = 2048;  // the unit of appending, and of cancel checks
constexpr int kTrailerDigits = 10;
constexpr int kLzxWindowForMaximal = 21;

// Thrown at a check point when the author has confirmed Cancel.
struct BuildCancelled {};
// The setup file could not be prepared.
struct SetupAccessDenied {};

// The classic texts of file errors, with the file named.
std::runtime_error fileError(int error, const fs::path& path) {
    std::string text;
    switch (error) {
        case ENOENT:
            text = "File not found";
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            text = "File access denied";
            break;
        case ENOSPC:
        case EDQUOT:
            text = "Disk full";
            break;
        default:
            text = "I/O error " + std::to_string(error);
    }
    return std::runtime_error(text + ": " + path.string());
}

// The file name part of a Windows destination path.
std::string destinationName(const std::string& installTo) {
    const std::size_t slash = installTo.find_last_of("\\/");
    return slash == std::string::npos ? installTo : installTo.substr(slash + 1);
}

class OutputFile {
public:
    ~OutputFile() { close(); }
    bool open(const fs::path& path) {
        m_file = std::fopen(path.c_str(), "ab");
        return m_file != nullptr;
    }
    void write(const char* data, std::size_t size, const fs::path& path) {
        if (std::fwrite(data, 1, size, m_file) != size) throw fileError(errno, path);
    }
    void finish(const fs::path& path) {
        std::FILE* file = m_file;
        m_file = nullptr;
        if (std::fflush(file) != 0 || std::fclose(file) != 0) throw fileError(errno, path);
    }
    void close() {
        if (m_file != nullptr) std::fclose(m_file);
        m_file = nullptr;
    }

private:
    std::FILE* m_file = nullptr;
};

struct RunOptions {
    unsigned jobs = 0;
    std::string signingCommand;
    std::function<void(std::size_t row)> afterSourcePacked;
};

// A folder of the build's own inside the work folder, for the signing command's files; gone
// when the build ends, however it ends.
class PrivateFolder {
public:
    explicit PrivateFolder(const fs::path& work) {
        std::string pattern = (work / "corvane-sign-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw fileError(errno, work);
        m_path = pattern;
    }
    ~PrivateFolder() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

class BuildRun {
public:
    BuildRun(const model::Project& project, const std::string& programFolder, const std::string& workFolder,
             fs::path setupFile, const BuildCallbacks& callbacks, const RunOptions& options)
        : m_project(project),
          m_programFolder(programFolder),
          m_work(workFolder),
          m_setupFile(std::move(setupFile)),
          m_callbacks(callbacks),
          m_options(options) {}

    BuildResult run() {
        BuildResult result;
        result.setupFile = m_setupFile;
        try {
            build(result);
            result.outcome = BuildResult::Outcome::Succeeded;
        } catch (const BuildCancelled&) {
            result.outcome = BuildResult::Outcome::Cancelled;
        } catch (const SetupAccessDenied&) {
            result.outcome = BuildResult::Outcome::AccessDenied;
            result.message = "File access denied:\r" + m_setupFile.string();
        } catch (const std::exception& e) {
            result.outcome = BuildResult::Outcome::Failed;
            result.message = e.what();
        }
        if (result.outcome != BuildResult::Outcome::Succeeded) discardPartialSetup();
        return result;
    }

private:
    void build(BuildResult& result) {
        status({});
        progress(0);
        refuseFilesTooLarge();
        if (const std::string problem = signingCommandProblem(m_options.signingCommand); !problem.empty())
            throw std::runtime_error(problem);
        const std::time_t descriptionStamp = descriptionTimeStamp();
        std::optional<PrivateFolder> signingFolder;
        if (signing()) signingFolder.emplace(m_work);

        SetupDescriptionWriter description(m_work / "zansetup.ini");
        const fs::path stub = fs::path(m_programFolder) / "Setup.exe";
        std::error_code ec;
        const std::uintmax_t stubSize = fs::file_size(stub, ec);
        if (ec) throw fileError(ec.value(), stub);
        description.writeSettings(m_project, stubSize);

        const std::size_t n = m_project.files.size();
        {
            FilePacker packer(packRequests(),
                              packSettings(signingFolder ? signingFolder->path() : fs::path()));
            for (std::size_t k = 0; k < n; ++k) {
                const model::FileEntry& row = m_project.files[k];
                checkCancel();
                status(fs::path(row.source).filename().string());
                pump();
                // Each compressed block of the row is a chance for the author's Cancel to be heard.
                packer.awaitRow(k, [this] {
                    pump();
                    checkCancel();
                });
                pump();
                progress(progressPosition(k, n, 0));
                description.writeFileLine(row, fs::file_size(fileCabinet(k)));
            }
        }
        description.writeOtherSections(m_project);
        description.close();
        setModificationTime(description.path(), descriptionStamp);

        const fs::path descriptionCab = m_work / "zansetup.cab";
        removeStale(descriptionCab);
        pump();
        writeDescriptionCabinet(descriptionCab, description.path());
        pump();

        prepareSetupFile();
        pump();
        OutputFile out;
        if (!out.open(m_partialSetup)) throw SetupAccessDenied();
        for (std::size_t k = 0; k < n; ++k) {
            append(out, fileCabinet(k), true);
            fs::remove(fileCabinet(k), ec);
            pump();
            progress(progressPosition(k + 1, n, 50));
        }
        const std::uint64_t descriptionSize = append(out, descriptionCab, false);
        char trailer[kTrailerDigits + 1];
        std::snprintf(trailer, sizeof trailer, "%010llu", static_cast<unsigned long long>(descriptionSize));
        out.write(trailer, kTrailerDigits, m_partialSetup);
        out.finish(m_partialSetup);
        if (signing()) {
            try {
                runSigningCommand(m_options.signingCommand, m_partialSetup, m_setupFile,
                                  signingFolder->path());
            } catch (const std::runtime_error&) {
                // Ctrl+C reaches the signing tool too; its death is then the author's cancel.
                checkCancel();
                throw;
            }
        }

        progress(100);
        fs::rename(m_partialSetup, m_setupFile, ec);
        if (ec) throw fileError(ec.value(), m_setupFile);
        m_partialSetup.clear();
        result.setupSize = fs::file_size(m_setupFile);
        status("Setup size: " + model::formatSize(static_cast<std::int64_t>(result.setupSize)));

        fs::remove(descriptionCab, ec);
        fs::remove(description.path(), ec);
    }

    // A file larger than one cabinet folder can hold would fail half-way through the build;
    // it is named before anything is written.
    void refuseFilesTooLarge() const {
        for (const model::FileEntry& row : m_project.files) {
            std::error_code ec;
            const std::uintmax_t size = fs::file_size(m_project.resolvePath(row.source), ec);
            if (!ec && size > cabinet::kMaxFileBytes)
                throw std::runtime_error(row.source + " is " + std::to_string(size) +
                                         " bytes long; a setup can hold files of at most " +
                                         std::to_string(cabinet::kMaxFileBytes) + " bytes");
        }
    }

    bool signing() const { return !m_options.signingCommand.empty(); }

    std::vector<PackRequest> packRequests() const {
        std::vector<PackRequest> requests;
        const std::optional<std::size_t> uninstaller = m_project.uninstallerRow();
        for (std::size_t k = 0; k < m_project.files.size(); ++k) {
            const model::FileEntry& row = m_project.files[k];
            requests.push_back({m_project.resolvePath(row.source), destinationName(row.installTo),
                                fileCabinet(k), signing() && uninstaller == k});
        }
        return requests;
    }

    PackSettings packSettings(const fs::path& signingFolder) const {
        PackSettings settings;
        settings.jobs = m_options.jobs == 0 ? defaultJobs() : m_options.jobs;
        settings.signingCommand = m_options.signingCommand;
        settings.signingFolder = signingFolder;
        settings.afterSourcePacked = m_options.afterSourcePacked;
        switch (m_project.settings.compressionType) {
            case model::kNoCompression:
                settings.compressionType = cabinet::cctNone;
                break;
            case model::kNormalCompression:
                settings.compressionType = cabinet::cctMsZip;
                break;
            default:  // "Maximal", and no choice at all
                settings.compressionType = cabinet::cctLzx;
                settings.lzxLevel = kLzxWindowForMaximal;
        }
        return settings;
    }

    // The description is written by every build; its stamp must not be the moment of writing.
    std::time_t descriptionTimeStamp() const {
        if (const std::optional<std::time_t> epoch = sourceDateEpoch()) return *epoch;
        std::vector<fs::path> inputs{fs::path(m_programFolder) / "Setup.exe",
                                     m_project.resolvePath(m_project.settings.wizard),
                                     m_project.resolvePath(m_project.settings.header)};
        for (const model::FileEntry& row : m_project.files)
            inputs.push_back(m_project.resolvePath(row.source));
        for (const model::LanguageFile& language : m_project.selectedLanguageFiles())
            inputs.push_back(fs::path(m_programFolder) / "Languages" / language.fileName);
        for (const auto* list : {&m_project.licenses, &m_project.readmes})
            for (const model::LanguageDocEntry& row : *list)
                if (!row.file.empty()) inputs.push_back(m_project.resolvePath(row.file));
        return newestModificationTime(inputs);
    }

    void writeDescriptionCabinet(const fs::path& cab, const fs::path& descriptionFile) {
        cabinet::TSTCabWriter writer;
        writer.setCompressionType(cabinet::cctMsZip);
        writer.Open(cab.string());
        // The file the catalogue found, which for English.US.lng is not "English" + ".lng"; the
        // setup knows the language by the member's name.
        for (const model::LanguageFile& language : m_project.selectedLanguageFiles())
            addMember(writer, fs::path(m_programFolder) / "Languages" / language.fileName,
                      language.name + ".lng");
        for (const auto& [list, prefix] :
             {std::pair{&m_project.licenses, "L"}, std::pair{&m_project.readmes, "R"}})
            for (const model::LanguageDocEntry& row : *list)
                if (!row.file.empty())
                    addMember(writer, m_project.resolvePath(row.file), prefix + row.language + ".rtf");
        addMember(writer, descriptionFile, "zansetup.ini");
        addMember(writer, m_project.resolvePath(m_project.settings.wizard), "zanwizard.bmp");
        addMember(writer, m_project.resolvePath(m_project.settings.header), "zanheader.bmp");
        writer.Close(true);
    }

    // The cabinet's own error for a file it cannot open gives only the system's reason; the
    // author also needs to know which language file, document or bitmap it was.
    static void addMember(cabinet::TSTCabWriter& writer, const fs::path& source, const std::string& name) {
        try {
            writer.AddFile(source.string(), name, false);
        } catch (const cabinet::ESTCabinet& e) {
            if (e.ErrorCode() != cabinet::FCIERR_OPEN_SRC) throw;
            throw cabinet::ESTCabinet(std::string(e.what()) + "\r\n" + source.string() + " cannot be packed");
        }
    }

    // The stub goes to a new file beside the target; the target itself is replaced only by the
    // finished setup.
    void prepareSetupFile() {
        std::error_code ec;
        const fs::path folder = m_setupFile.parent_path();
        if (!folder.empty()) fs::create_directories(folder, ec);
        std::random_device seed;
        m_partialSetup = m_setupFile;
        m_partialSetup += ".part-" + std::to_string(seed() % 1000000000u);
        if (!fs::copy_file(fs::path(m_programFolder) / "Setup.exe", m_partialSetup,
                           fs::copy_options::overwrite_existing, ec))
            throw SetupAccessDenied();
    }

    std::uint64_t append(OutputFile& out, const fs::path& source, bool cancellable) {
        std::FILE* in = std::fopen(source.c_str(), "rb");
        if (in == nullptr) throw fileError(errno, source);
        char block[kAppendBlock];
        std::uint64_t total = 0;
        try {
            for (;;) {
                if (cancellable) checkCancel();
                const std::size_t got = std::fread(block, 1, sizeof block, in);
                if (got == 0) break;
                out.write(block, got, m_partialSetup);
                total += got;
                pump();
            }
            if (std::ferror(in)) throw fileError(EIO, source);
        } catch (...) {
            std::fclose(in);
            throw;
        }
        std::fclose(in);
        return total;
    }

    void discardPartialSetup() {
        if (m_partialSetup.empty()) return;
        std::error_code ec;
        fs::remove(m_partialSetup, ec);
    }

    void removeStale(const fs::path& path) const {
        std::error_code ec;
        fs::remove(path, ec);
        if (ec) throw fileError(ec.value(), path);
    }

    fs::path fileCabinet(std::size_t k) const { return m_work / (std::to_string(k) + ".cab"); }

    void checkCancel() {
        if (cancelRequested()) throw BuildCancelled();
    }
    bool cancelRequested() const { return m_callbacks.cancelRequested && m_callbacks.cancelRequested(); }
    void pump() const {
        if (m_callbacks.pump) m_callbacks.pump();
    }
    void status(const std::string& text) const {
        if (m_callbacks.status) m_callbacks.status(text);
    }
    void progress(int position) const {
        if (m_callbacks.progress) m_callbacks.progress(position);
    }

    const model::Project& m_project;
    const std::string& m_programFolder;
    fs::path m_work;
    fs::path m_setupFile;
    fs::path m_partialSetup;
    const BuildCallbacks& m_callbacks;
    const RunOptions& m_options;
};

}  // namespace

int progressPosition(std::size_t k, std::size_t n, int base) {
    // lrint rounds to nearest with ties to even under the default rounding mode.
    return base + static_cast<int>(std::lrint(static_cast<double>(k) * 50.0 / static_cast<double>(n)));
}

SetupBuilder::SetupBuilder(const model::Project& project, std::string programFolder, std::string workFolder)
    : m_project(project), m_programFolder(std::move(programFolder)), m_workFolder(std::move(workFolder)) {}

BuildResult SetupBuilder::run(const BuildCallbacks& callbacks) {
    const fs::path setupFile = m_setupFileOverride.empty()
                                   ? m_project.resolvePath(m_project.settings.setupFile)
                                   : m_setupFileOverride;
    const RunOptions options{m_jobs, m_signingCommand, m_afterSourcePacked};
    return BuildRun(m_project, m_programFolder, m_workFolder, setupFile, callbacks, options).run();
}

}  // namespace corvane::builder
