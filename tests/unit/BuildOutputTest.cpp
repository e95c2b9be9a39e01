// What a build writes beyond the classic layout: the same bytes for the same inputs (with and
// without SOURCE_DATE_EPOCH, on one thread or several), sources that change while they are
// packed, and the author's signing command.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <sstream>

#include "CabinetListing.h"
#include "TestSupport.h"
#include "builder/SetupBuilder.h"
#include "cli/corvane-build/BuildCommand.h"
#include "model/Project.h"

namespace corvane::builder {
namespace {

namespace fs = std::filesystem;
using model::Project;

constexpr std::time_t kNewestInput = 1234567890;  // 2009-02-13, long before any test runs
constexpr std::time_t kEpoch = 1700000000;

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

void setModified(const fs::path& file, std::time_t moment) {
    const struct timespec times[2] = {{moment, 0}, {moment, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0) << file;
}

std::time_t modifiedAt(const fs::path& file) {
    struct stat status {};
    ::stat(file.c_str(), &status);
    return status.st_mtime;
}

// A moment as a cabinet stores it: local DOS date and time, written out from the format's rule.
std::pair<std::uint16_t, std::uint16_t> dosStamp(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return {static_cast<std::uint16_t>((local.tm_year + 1900 - 1980) << 9 | (local.tm_mon + 1) << 5 |
                                       local.tm_mday),
            static_cast<std::uint16_t>(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2)};
}

// Text that compresses, in many blocks, different for every seed.
std::string compressible(std::size_t size, unsigned seed) {
    std::string text;
    for (unsigned i = 0; text.size() < size; ++i)
        text += "line " + std::to_string(i * seed % 9973) + " of file " + std::to_string(seed) + "\r\n";
    text.resize(size);
    return text;
}

class BuildOutputTest : public ::testing::Test {
protected:
    BuildOutputTest() {
        test::writeFile(m_program / "Setup.exe", "MZ" + std::string(3000, 'S'));
        test::writeFile(m_program / "Uninstall.exe", "MZ uninstaller " + std::string(5000, 'U'));
        test::writeFile(m_program / "Languages" / "English.lng", "[Language]\r\nName=English\r\n");
        test::writeFile(m_program / "Wizard_0.bmp", "BM wizard");
        test::writeFile(m_program / "Header_0.bmp", "BM header");
        test::writeFile(m_payload / "license.txt", "License text");
        // File 4 is long enough to be compressed as several jobs, by LZX and by MSZIP.
        for (unsigned k = 0; k < 6; ++k)
            test::writeFile(source(k), compressible(k == 4       ? 2300000
                                                    : k % 2 == 0 ? 150000
                                                                 : 3000 + k,
                                                    k + 1));
        // Every input is old, one of them the newest: a stamp taken from the clock shows.
        std::time_t moment = kNewestInput - 1000;
        for (const auto& entry : fs::recursive_directory_iterator(m_program.path()))
            if (entry.is_regular_file()) setModified(entry.path(), moment += 2);
        for (const auto& entry : fs::directory_iterator(m_payload.path()))
            setModified(entry.path(), moment += 2);
        setModified(source(3), kNewestInput);
    }

    fs::path source(unsigned k) const { return m_payload / ("file" + std::to_string(k) + ".txt"); }
    fs::path setup() const { return m_out / "Setup.exe"; }

    Project makeProject(int compression = model::kMaximalCompression) const {
        Project p(m_program.folder(), setup().string());
        p.settings.compressionType = compression;
        p.settings.wizard = (m_program / "Wizard_0.bmp").string();
        p.settings.header = (m_program / "Header_0.bmp").string();
        p.settings.protect = true;
        p.settings.password = "open sesame";
        p.setLanguageSelected(0, true);
        p.rebuildDocumentLists();
        p.licenses[0].file = (m_payload / "license.txt").string();
        for (unsigned k = 0; k < 6; ++k)
            p.files.push_back(
                {source(k).string(), "", "<InstallDir>\\f" + std::to_string(k) + ".txt", "Overwrite", "Yes"});
        p.setUninstall(true);
        return p;
    }

    BuildResult build(const Project& p, const std::function<void(SetupBuilder&)>& configure = {},
                      const BuildCallbacks& callbacks = {}) {
        SetupBuilder builder(p, m_program.folder(), m_work.folder());
        if (configure) configure(builder);
        return builder.run(callbacks);
    }

    // The setup's bytes after a build that must succeed.
    std::string built(const Project& p, const std::function<void(SetupBuilder&)>& configure = {}) {
        const BuildResult result = build(p, configure);
        EXPECT_EQ(result.outcome, BuildResult::Outcome::Succeeded) << result.message;
        return test::readFile(setup());
    }

    // The entry of one member of the description cabinet, found from the trailer.
    static test::ListedFile descriptionMember(const std::string& setupBytes, const std::string& name) {
        const std::size_t length = std::stoul(setupBytes.substr(setupBytes.size() - 10));
        const std::string cab = setupBytes.substr(setupBytes.size() - 10 - length, length);
        for (const test::ListedFile& file :
             test::listCabinet(std::vector<std::uint8_t>(cab.begin(), cab.end())).files)
            if (file.name == name) return file;
        ADD_FAILURE() << name << " is not in the description";
        return {};
    }

    // Nothing of a failed build is left beside the setup, and the previous setup is whole.
    void expectPreviousSetupKept() {
        EXPECT_EQ(test::readFile(setup()), "the previous setup");
        EXPECT_EQ(std::distance(fs::directory_iterator(m_out.path()), {}), 1) << "a partial setup was left";
    }

    test::TempDir m_program, m_payload, m_work, m_out;
};

TEST_F(BuildOutputTest, TheSameInputsGiveTheSameBytes) {
    const Project p = makeProject();
    {
        const ScopedEnv unset("SOURCE_DATE_EPOCH", nullptr);
        const std::string first = built(p);
        EXPECT_EQ(built(p), first) << "two builds differ";
        const test::ListedFile ini = descriptionMember(first, "zansetup.ini");
        EXPECT_EQ(std::pair(ini.date, ini.time), dosStamp(kNewestInput))
            << "the description takes the newest input's time";
    }
    {
        const ScopedEnv epoch("SOURCE_DATE_EPOCH", std::to_string(kEpoch).c_str());
        const std::string first = built(p);
        EXPECT_EQ(built(p), first) << "two builds with SOURCE_DATE_EPOCH differ";
        const test::ListedFile ini = descriptionMember(first, "zansetup.ini");
        EXPECT_EQ(std::pair(ini.date, ini.time), dosStamp(kEpoch));
        // Sources keep their own stamps.
        const test::ListedFile license = descriptionMember(first, "L(Default).rtf");
        EXPECT_EQ(std::pair(license.date, license.time), dosStamp(modifiedAt(m_payload / "license.txt")));
    }
}

TEST_F(BuildOutputTest, AMalformedSourceDateEpochStopsTheBuild) {
    test::writeFile(setup(), "the previous setup");
    for (const char* value : {"yesterday", "17e8", "-5", "1700000000 "}) {
        const ScopedEnv epoch("SOURCE_DATE_EPOCH", value);
        const BuildResult result = build(makeProject());
        EXPECT_EQ(result.outcome, BuildResult::Outcome::Failed) << value;
        EXPECT_NE(result.message.find(
                      std::string("SOURCE_DATE_EPOCH must be a whole number of seconds since 1970, not \"") +
                      value + "\""),
                  std::string::npos)
            << result.message;
        expectPreviousSetupKept();
    }
}

TEST_F(BuildOutputTest, JobsChangeNeitherTheBytesNorWhatTheAuthorSees) {
    // One file long enough to be compressed in several parts, by LZX and by MSZIP.
    test::writeFile(source(6), compressible(4300000, 7));
    for (const int compression : {model::kNormalCompression, model::kMaximalCompression}) {
        SCOPED_TRACE(compression);
        Project p = makeProject(compression);
        p.files.push_back({source(6).string(), "", "<InstallDir>\\large.txt", "Overwrite", "Yes"});
        const auto run = [&](unsigned jobs, std::string& log) {
            BuildCallbacks callbacks;
            callbacks.status = [&](const std::string& text) { log += "status " + text + "\n"; };
            callbacks.progress = [&](int position) { log += "progress " + std::to_string(position) + "\n"; };
            callbacks.pump = [&] { log += "pump\n"; };
            callbacks.cancelRequested = [&] { return log += "cancel?\n", false; };
            const BuildResult result = build(
                p, [jobs](SetupBuilder& b) { b.setJobs(jobs); }, callbacks);
            EXPECT_EQ(result.outcome, BuildResult::Outcome::Succeeded) << result.message;
            return test::readFile(setup());
        };
        std::string oneLog, fourLog;
        const std::string one = run(1, oneLog);
        const std::string four = run(4, fourLog);
        EXPECT_TRUE(one == four) << "-j1 and -j4 setups differ";
        EXPECT_GT(std::count(oneLog.begin(), oneLog.end(), '?'), 30)
            << "a cancel check for every compressed block";
        // The author sees the same; how often Cancel is polled while a part is compressed
        // depends on the clock.
        const auto seen = [](const std::string& log) {
            std::string kept;
            std::istringstream lines(log);
            for (std::string line; std::getline(lines, line);)
                if (line != "cancel?") kept += line + "\n";
            return kept;
        };
        EXPECT_EQ(seen(oneLog), seen(fourLog));
    }
}

TEST_F(BuildOutputTest, ASourceChangedWhilePackedFailsTheBuildNamingIt) {
    test::writeFile(setup(), "the previous setup");
    const Project p = makeProject();
    struct Change {
        const char* what;
        std::function<void(const fs::path&)> apply;
    };
    const Change changes[] = {
        {"truncated", [](const fs::path& f) { fs::resize_file(f, fs::file_size(f) / 2); }},
        {"rewritten, same size",
         [](const fs::path& f) {
             test::writeFile(f, std::string(fs::file_size(f), 'x'));
             setModified(f, kNewestInput + 10);
         }},
        {"touched only", [](const fs::path& f) { setModified(f, kNewestInput + 20); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        test::writeFile(source(2), compressible(150000, 3));
        const BuildResult result = build(p, [&](SetupBuilder& b) {
            b.setJobs(3);
            b.setAfterSourcePacked([&](std::size_t row) {
                if (row == 2) change.apply(source(2));
            });
        });
        EXPECT_EQ(result.outcome, BuildResult::Outcome::Failed);
        EXPECT_EQ(result.message, "File changed while it was packed: " + source(2).string());
        expectPreviousSetupKept();
    }
}

TEST_F(BuildOutputTest, TheFirstFailingRowIsReportedWhicheverFailsFirst) {
    // Row 0 fails only once it is packed; row 4 fails at once, on another thread. One thread
    // would never reach row 4, so neither may several.
    test::writeFile(setup(), "the previous setup");
    Project p = makeProject();
    p.files[4].source = (m_payload / "missing.txt").string();
    const BuildResult result = build(p, [&](SetupBuilder& b) {
        b.setJobs(4);
        b.setAfterSourcePacked([&](std::size_t row) {
            if (row == 0) fs::resize_file(source(0), 10);
        });
    });
    EXPECT_EQ(result.outcome, BuildResult::Outcome::Failed);
    EXPECT_EQ(result.message, "File changed while it was packed: " + source(0).string());
    expectPreviousSetupKept();
}

class SigningTest : public BuildOutputTest {
protected:
    // A work folder whose name needs quoting in a shell.
    SigningTest() : m_quotedWork(m_work / "it's a work folder") { fs::create_directories(m_quotedWork); }

    BuildResult buildSigned(const Project& p, const std::string& command) {
        SetupBuilder builder(p, m_program.folder(), m_quotedWork.string() + "/");
        builder.setSigningCommand(command);
        return builder.run({});
    }
    bool signingLeftovers() const {
        for (const auto& entry : fs::directory_iterator(m_quotedWork))
            if (entry.path().filename().string().rfind("corvane-sign-", 0) == 0) return true;
        return false;
    }

    fs::path m_quotedWork;
};

TEST_F(SigningTest, SignsAPrivateUninstallerAndTheFinishedSetup) {
    const Project p = makeProject(model::kNoCompression);
    const std::string uninstaller = test::readFile(m_program / "Uninstall.exe");
    const fs::path log = m_out.path().parent_path() / (m_out.path().filename().string() + ".log");
    const BuildResult result =
        buildSigned(p, "printf '%s\\n' {} >> '" + log.string() + "' && printf SIGNED >> {}");
    ASSERT_EQ(result.outcome, BuildResult::Outcome::Succeeded) << result.message;

    std::istringstream lines(test::readFile(log));
    fs::remove(log);
    std::string signedCopy, signedSetup, extra;
    std::getline(lines, signedCopy);
    std::getline(lines, signedSetup);
    EXPECT_FALSE(std::getline(lines, extra)) << "signed more than twice: " << extra;
    EXPECT_EQ(fs::path(signedCopy).filename(), "Uninstall.exe");
    EXPECT_EQ(signedCopy.rfind(m_quotedWork.string(), 0), 0u) << signedCopy << " is no private copy";
    EXPECT_EQ(signedSetup.rfind(setup().string() + ".part", 0), 0u)
        << "the setup is signed before it takes its place";

    EXPECT_EQ(test::readFile(m_program / "Uninstall.exe"), uninstaller)
        << "the author's uninstaller was changed";
    const std::string bytes = test::readFile(setup());
    EXPECT_EQ(bytes.substr(bytes.size() - 6), "SIGNED");
    // Stored, so the signed uninstaller lies in the setup as it is, with its source's stamp.
    EXPECT_NE(bytes.find(uninstaller + "SIGNED"), std::string::npos)
        << "the packed uninstaller is not the signed one";
    const std::size_t end = bytes.size() - 6;  // without what signing the setup appended
    const std::size_t description = end - 10 - std::stoul(bytes.substr(end - 10, 10));
    const std::size_t last =
        bytes.rfind("MSCF", description - 1);  // the uninstaller's cabinet, the last row's
    const test::ListedFile member =
        test::listCabinet(std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(last),
                                                    bytes.begin() + static_cast<std::ptrdiff_t>(description)))
            .files.at(0);
    EXPECT_EQ(member.name, "Uninstall.exe");
    EXPECT_EQ(std::pair(member.date, member.time), dosStamp(modifiedAt(m_program / "Uninstall.exe")));
    EXPECT_FALSE(signingLeftovers());
}

TEST_F(SigningTest, AFailingCommandLeavesNoSetup) {
    test::writeFile(setup(), "the previous setup");
    const Project p = makeProject();
    BuildResult result = buildSigned(p, "echo no key for {} >&2; exit 3");
    EXPECT_EQ(result.outcome, BuildResult::Outcome::Failed);
    EXPECT_EQ(result.message.rfind("Signing " + (m_program / "Uninstall.exe").string() +
                                       " failed: the command exited with status 3:\nno key for ",
                                   0),
              0u)
        << result.message;
    expectPreviousSetupKept();
    EXPECT_FALSE(signingLeftovers());

    // Signing only the finished setup fails: the message names the setup, not its partial name.
    result = buildSigned(p, "case {} in *.part-*) exit 4;; esac");
    EXPECT_EQ(result.outcome, BuildResult::Outcome::Failed);
    EXPECT_EQ(result.message, "Signing " + setup().string() + " failed: the command exited with status 4");
    expectPreviousSetupKept();

    // A signing tool stopped by the author's Ctrl+C fails; the build counts as cancelled.
    const fs::path interrupted = m_out.path().parent_path() / (m_out.path().filename().string() + ".stop");
    BuildCallbacks callbacks;
    callbacks.cancelRequested = [&] { return fs::exists(interrupted); };
    SetupBuilder builder(p, m_program.folder(), m_quotedWork.string() + "/");
    builder.setSigningCommand("case {} in *.part-*) touch '" + interrupted.string() +
                              "'; kill -INT $$;; esac");
    result = builder.run(callbacks);
    fs::remove(interrupted);
    EXPECT_EQ(result.outcome, BuildResult::Outcome::Cancelled) << result.message;
    expectPreviousSetupKept();

    result = buildSigned(p, "sign-it --in-place");
    EXPECT_EQ(result.outcome, BuildResult::Outcome::Failed);
    EXPECT_EQ(result.message, "The signing command must contain {} where the file to sign goes.");
    expectPreviousSetupKept();
}

struct CommandResult {
    int code;
    std::string out, err;
};

CommandResult runCommand(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = cli::runBuildCommand(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(BuildCommandOptions, JobsAndSigningAreCheckedBeforeAnythingIsRead) {
    const ScopedEnv unset("CORVANE_JOBS", nullptr);
    const struct {
        std::vector<std::string> args;
        const char* said;
    } cases[] = {
        {{"-j", "0", "x.zan"}, "-j takes a number of jobs from 1 to 256, not '0'"},
        {{"--jobs", "many", "x.zan"}, "--jobs takes a number of jobs from 1 to 256, not 'many'"},
        {{"-j", "257", "x.zan"}, "not '257'"},
        {{"--sign", "signtool sign", "x.zan"},
         "--sign: The signing command must contain {} where the file to sign goes."},
        {{"--sign", "", "x.zan"}, "--sign: The signing command is empty."},
    };
    for (const auto& c : cases) {
        const CommandResult r = runCommand(c.args);
        EXPECT_EQ(r.code, 2) << c.said;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
    const ScopedEnv jobs("CORVANE_JOBS", "all");
    const CommandResult r = runCommand({"x.zan"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("CORVANE_JOBS takes a number of jobs from 1 to 256, not 'all'"), std::string::npos)
        << r.err;
}

}  // namespace
}  // namespace corvane::builder
