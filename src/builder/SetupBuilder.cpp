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

#include "builder/BuildInputs.h"
#include "builder/FilePacker.h"
#include "builder/MemberSizes.h"
#include "builder/SetupDescription.h"
#include "builder/SigningCommand.h"
#include "builder/TimeStamps.h"
#include "cabinet/CabinetFormat.h"
#include "cabinet/ESTCabinet.h"
#include "cabinet/TSTCabWriter.h"
#include "contract/DescriptionKeys.h"
#include "contract/DescriptionLimits.h"
#include "model/FormatSize.h"
#include "model/Project.h"
#include "platform/FileProbe.h"
#include "platform/Leftovers.h"

namespace corvane::builder {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kAppendBlock = 2048;  // the unit of appending, and of cancel checks
constexpr int kTrailerDigits = 10;
constexpr int kLzxWindowForMaximal = 21;
// No cabinet is shorter than its header, folder and file entries: its length has two digits at least.
constexpr std::uint64_t kShortestCabinet = 10;
constexpr const char* kWorkFolderPrefix = "corvane-build";  // a build's private folder in the work folder

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

// The partial setup being written. Its errors name the setup file the author chose, not the
// temporary name it is written under.
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
        refuseUnsafeInputs();
        if (const std::string problem = signingCommandProblem(m_options.signingCommand); !problem.empty())
            throw std::runtime_error(problem);
        const std::time_t descriptionStamp = descriptionTimeStamp();
        std::optional<PrivateFolder> signingFolder;
        if (signing()) signingFolder.emplace(m_work);

        SetupDescriptionWriter description(m_work / contract::member::kDescription);
        const fs::path stub = fs::path(m_programFolder) / "Setup.exe";
        std::error_code ec;
        const std::uintmax_t stubSize = fs::file_size(stub, ec);
        if (ec) throw fileError(ec.value(), stub);
        refuseDescriptionTooLarge(stubSize);
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
                // Each compressed block of the row is a chance for the author's Cancel to be heard,
                // and so is every pause between them.
                packer.awaitRow(
                    k,
                    [this] {
                        pump();
                        checkCancel();
                    },
                    [this] { checkCancel(); });
                pump();
                progress(progressPosition(k, n, 0));
                description.writeFileLine(row, fs::file_size(fileCabinet(k)));
            }
        }
        description.writeOtherSections(m_project);
        refuseDescriptionOf(description.profile().text().size(), "");
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
        out.write(trailer, kTrailerDigits, m_setupFile);
        out.finish(m_setupFile);
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

    // Before anything is written: the setup must not replace a file the build reads, and every
    // member of the description must be a regular file that opens, so a FIFO or a missing
    // document fails now, named, instead of after every file was compressed.
    void refuseUnsafeInputs() const {
        const std::vector<BuildInput> inputs = buildInputs(m_project, m_programFolder);
        if (const auto message = setupReplacesInput(inputs, m_setupFile)) throw std::runtime_error(*message);
        for (const BuildInput& input : inputs) {
            if (input.kind != BuildInput::Kind::Member) continue;
            const platform::FileProbe probe = platform::probeFile(input.path);
            if (!probe.readable())
                throw cabinet::ESTCabinet(cabinetErrorNaming(
                    cabinet::ESTCabinet::formatMessage(cabinet::FCIERR_OPEN_SRC, probe.error, true, true),
                    input.path, probe.error));
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
        watchForCancel(writer);
        try {
            writer.Open(cab.string());
            for (const DescriptionMember& member : descriptionMembers(m_project, m_programFolder))
                addMember(writer, member.source.empty() ? descriptionFile : member.source, member.name);
            writer.Close(true);
        } catch (const cabinet::ESTCabinet&) {
            if (m_cancelled) throw BuildCancelled();  // the abort we asked for
            throw;
        }
    }

    // The writer reports every compressed block; that is where the documents and bitmaps give
    // the author's Cancel a chance to be heard.
    void watchForCancel(cabinet::TSTCabWriter& writer) {
        writer.OnFileStatus = [this](cabinet::TSTCabWriter&, std::uint32_t, std::uint32_t, bool& abort) {
            pump();
            if (cancelRequested()) {
                m_cancelled = true;
                abort = true;
            }
        };
    }

    // Setup.exe refuses a description larger than it reads (MemberSizes.h). Before anything is
    // compressed, the least it can be: the settings and other lists as they will be written, and
    // each Files line with the shortest cabinet length. Once written, its real length.
    void refuseDescriptionTooLarge(std::uint64_t stubSize) const {
        SetupDescriptionWriter least;
        least.setSaltSource([] { return PasswordSalt{}; });
        least.writeSettings(m_project, stubSize);
        least.writeOtherSections(m_project);
        std::uint64_t size = least.profile().text().size();
        if (!m_project.files.empty()) size += std::string_view("[Files]\r\n").size();
        for (const model::FileEntry& row : m_project.files)
            size += SetupDescriptionWriter::fileLine(row, kShortestCabinet).size() +
                    std::string_view("=\r\n").size();
        refuseDescriptionOf(size, "at least ");
    }
    static void refuseDescriptionOf(std::uint64_t size, const char* qualifier) {
        if (size > contract::kMaxDescriptionMemberBytes)
            throw std::runtime_error("The setup description would be " + std::string(qualifier) +
                                     std::to_string(size) + " bytes long; a setup reads at most " +
                                     memberLimitText() + " of it. Shorten the longest settings or rows");
    }

    // The cabinet's own error for a file it cannot open or read gives only the system's reason;
    // the author also needs to know which source, language file, document or bitmap it was.
    static void addMember(cabinet::TSTCabWriter& writer, const fs::path& source, const std::string& name) {
        addMemberNamingErrors(writer, source, name, source);
    }

    // The stub goes to a new file beside the target, named with this process's id; the target
    // itself is replaced only by the finished setup. Partial setups of killed builds go first.
    void prepareSetupFile() {
        std::error_code ec;
        const fs::path folder = m_setupFile.parent_path();
        if (!folder.empty()) fs::create_directories(folder, ec);
        platform::removeDeadPartials(m_setupFile);
        m_partialSetup = platform::partialPath(m_setupFile);
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
                out.write(block, got, m_setupFile);
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
    bool m_cancelled = false;  // the description cabinet was aborted for the author's Cancel
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
    // Each build works in a folder of its own, so builds side by side (two editors, the editor
    // and corvane-build) never share a temporary cabinet; it goes when the build ends, however
    // it ends, and those of killed builds go before it is made.
    platform::removeDeadFolders(m_workFolder, kWorkFolderPrefix);
    const platform::OwnedFolder work(m_workFolder, kWorkFolderPrefix);
    if (work.path().empty()) {
        BuildResult result;
        result.setupFile = setupFile;
        result.message = "Cannot create a work folder in " + m_workFolder + ": " + std::strerror(errno);
        return result;
    }
    const RunOptions options{m_jobs, m_signingCommand, m_afterSourcePacked};
    return BuildRun(m_project, m_programFolder, work.path().string(), setupFile, callbacks, options).run();
}

}  // namespace corvane::builder
