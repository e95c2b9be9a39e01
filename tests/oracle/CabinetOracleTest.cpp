// Every cabinet here is written by TSTCabWriter and extracted by all four decoders; the files
// they produce must equal the sources byte for byte. The same cases run for every compression.

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "CabinetListing.h"
#include "Oracles.h"
#include "TestData.h"
#include "TestSupport.h"
#include "cabinet/CabinetFormat.h"
#include "cabinet/DosDateTime.h"
#include "cabinet/TSTCabWriter.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using cabinet::TSTCabWriter;

struct Compression {
    const char* name;
    cabinet::TSTCabCompressionType type;
    int lzxLevel;
};

void PrintTo(const Compression& compression, std::ostream* out) {
    *out << compression.name;
}

struct Source {
    std::string nameInCabinet;  // "\" separators
    std::vector<std::uint8_t> bytes;
};

std::string treeName(const std::string& nameInCabinet) {
    std::string name = nameInCabinet;
    for (char& c : name)
        if (c == '\\') c = '/';
    return name;
}

// 7-Zip (seen with 26.02, p7zip-full 16.02+really26.02; its source read at 25.01) decodes some
// LZX matches wrongly that the format allows and that libmspack, gcab and Windows' decoder copy
// right: a match at a distance within 7 bytes of the window size (Corvane goes up to the
// format's limit, window size - 3) whose source lies entirely past the end of the circular
// window. CodeLz (CPP/7zip/Compress/LzxDecoder.cpp, line 1312) then calls CopyLzMatch (line 77)
// with a source 3 to 7 bytes *after* the destination; CopyLzMatch copies in overlapping 4-byte
// words for a source that lies `delta` bytes before it, so it reads back bytes it has just
// written. A byte here and there of a file comes out wrong, its size right. Such distances are
// common only at the smallest window (32 KiB), where repeats a window apart are frequent: the
// random sets meet them (CORVANE_SEED=9184823363802 shows one). The build writes window 21.
//
// Only that shape of disagreement is let pass: 7-Zip alone, a file of the right size with other
// bytes, at window 15. Anything else from 7-Zip (an error, a missing or resized file) fails.
bool isSevenZipNearWindowCopy(const std::string& problem) {
    if (problem.rfind("7z: ", 0) != 0) return false;
    const std::size_t differs = problem.find(" differs (");
    if (differs == std::string::npos) return false;
    const std::string sizes = problem.substr(differs + 10);  // "N bytes, expected N)"
    const std::size_t bytes = sizes.find(" bytes, expected ");
    return bytes != std::string::npos && sizes.substr(0, bytes) + ")" == sizes.substr(bytes + 17);
}

class CabinetOracleTest : public ::testing::TestWithParam<Compression> {
protected:
    // A failed test leaves its cabinets and the decoders' output behind for a look.
    void TearDown() override {
        if (HasFailure()) {
            m_temp.keep();
            std::cout << "kept " << m_folder << "\n";
        }
    }

    void configure(TSTCabWriter& writer) const {
        writer.setCompressionType(GetParam().type);
        writer.setCompressionLzxLevel(GetParam().lzxLevel);
    }

    // Writes sources to disk and packs them into cabinet (relative to the test folder) with
    // writer; returns the job for the oracles, with every cabinet of the set.
    OracleJob pack(TSTCabWriter& writer, const std::string& cabinet, const std::vector<Source>& sources) {
        const fs::path sourceFolder = m_folder / ("src-" + cabinet);
        OracleJob job;
        job.firstCabinet = m_folder / cabinet;
        std::vector<fs::path> placed;
        writer.OnGetNextCabinet = [&](TSTCabWriter&, cabinet::TCCAB& ccab, std::uint32_t, bool&) {
            placed.push_back(fs::path(ccab.szCabPath) / ccab.szCab);
        };
        writer.Open(job.firstCabinet.string());
        for (std::size_t i = 0; i < sources.size(); ++i) {
            const fs::path path = sourceFolder / std::to_string(i);
            writeBytes(path, sources[i].bytes);
            writer.AddFile(path.string(), sources[i].nameInCabinet, false);
            job.expected[treeName(sources[i].nameInCabinet)] = sources[i].bytes;
        }
        writer.Close(true);
        writer.OnGetNextCabinet = nullptr;
        for (const fs::path& cab : placed)
            if (fs::exists(cab)) job.cabinets.push_back(cab);
        return job;
    }

    void expectOraclesAgree(const std::vector<OracleJob>& jobs,
                            std::map<std::string, FdiFileInfo>* fdiInfo = nullptr) {
        for (const std::string& problem : checkWithOracles(jobs, m_folder / "out", fdiInfo))
            ADD_FAILURE() << problem;
    }

    TempDir m_temp;
    const fs::path m_folder = m_temp.path();
};

TEST_P(CabinetOracleTest, EdgeSizesAloneAndTogether) {
    const std::vector<Source> sources = {
        {"empty.txt", {}},
        {"one.bin", {0x42}},
        {"block.bin", textBytes(cabinet::kBlockSize, 1)},
        {"block-and-one.bin", textBytes(cabinet::kBlockSize + 1, 2)},
        {"two-blocks-random.bin", randomBytes(2 * cabinet::kBlockSize, 3)},
    };
    std::vector<OracleJob> jobs;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        TSTCabWriter writer;
        configure(writer);
        jobs.push_back(pack(writer, "alone" + std::to_string(i) + ".cab", {sources[i]}));
    }
    TSTCabWriter writer;
    configure(writer);
    jobs.push_back(pack(writer, "together.cab", sources));
    const CabinetListing together = listCabinet(jobs.back().firstCabinet);
    EXPECT_EQ(together.folders.size(), 1u);
    EXPECT_EQ(together.flags, 0);
    expectOraclesAgree(jobs);
}

TEST_P(CabinetOracleTest, IncompressibleAndMixedData) {
    TSTCabWriter writer;
    configure(writer);
    std::vector<Source> sources = {{"random.bin", randomBytes(5 * cabinet::kBlockSize + 123, 7)},
                                   {"text.txt", textBytes(300000, 8)},
                                   {"random2.bin", randomBytes(40000, 9)}};
    // Random data repeated 16 KiB later, across block boundaries: only history makes it small.
    const std::vector<std::uint8_t> half = randomBytes(cabinet::kBlockSize / 2, 10);
    std::vector<std::uint8_t> repeated;
    for (int i = 0; i < 5; ++i)
        repeated.insert(repeated.end(), half.begin(), half.end());
    sources.push_back({"repeated.bin", repeated});
    const OracleJob job = pack(writer, "mixed.cab", sources);
    if (GetParam().type == cabinet::cctMsZip) {
        // Stored blocks stay within the format's limit; repeated data gets its history.
        EXPECT_LT(fs::file_size(job.firstCabinet), 5 * cabinet::kBlockSize + 300000 / 3 + 40000 + 20000);
    }
    expectOraclesAgree({job});
}

TEST_P(CabinetOracleTest, ManySmallFilesInFolders) {
    TSTCabWriter writer;
    configure(writer);
    std::vector<Source> sources;
    std::mt19937 random(11);
    for (int i = 0; i < 300; ++i) {
        const std::string name = "dir" + std::to_string(i % 7) + "\\sub" + std::to_string(i % 3) + "\\file" +
                                 std::to_string(i) + ".dat";
        const std::size_t size = random() % 3000;
        sources.push_back({name, i % 2 ? textBytes(size, static_cast<std::uint64_t>(i))
                                       : randomBytes(size, static_cast<std::uint64_t>(i))});
    }
    expectOraclesAgree({pack(writer, "many.cab", sources)});
}

TEST_P(CabinetOracleTest, NonAsciiNamesAreMarkedUtf8) {
    TSTCabWriter writer;
    configure(writer);
    const std::vector<Source> sources = {
        {"Gr\xC3\xB6\xC3\x9F"
         "e.txt",
         textBytes(1000, 1)},
        {"\xE6\x97\xA5\xE6\x9C\xAC\\\xE3\x83\x95\xE3\x82\xA1.txt", textBytes(2000, 2)},
        {"plain.txt", textBytes(10, 3)}};
    const OracleJob job = pack(writer, "names.cab", sources);
    const CabinetListing listing = listCabinet(job.firstCabinet);
    ASSERT_EQ(listing.files.size(), 3u);
    EXPECT_EQ(listing.files[0].attribs & cabinet::kAttribNameIsUtf, cabinet::kAttribNameIsUtf);
    EXPECT_EQ(listing.files[1].attribs & cabinet::kAttribNameIsUtf, cabinet::kAttribNameIsUtf);
    EXPECT_EQ(listing.files[2].attribs & cabinet::kAttribNameIsUtf, 0);
    expectOraclesAgree({job});
}

TEST_P(CabinetOracleTest, ReserveAreas) {
    struct Reserves {
        std::uint32_t header, folder, data;
    };
    std::vector<OracleJob> jobs;
    int number = 0;
    for (const Reserves reserves :
         {Reserves{20, 0, 0}, Reserves{0, 7, 0}, Reserves{0, 0, 3}, Reserves{6144, 255, 255}}) {
        TSTCabWriter writer;
        configure(writer);
        writer.setReservePerCabinetSize(reserves.header);
        writer.setReservePerFolderSize(reserves.folder);
        writer.setReservePerDataSize(reserves.data);
        jobs.push_back(pack(writer, "reserve" + std::to_string(number++) + ".cab",
                            {{"a.txt", textBytes(70000, 4)}, {"b.bin", randomBytes(33000, 5)}}));
        const CabinetListing listing = listCabinet(jobs.back().firstCabinet);
        EXPECT_EQ(listing.flags, cabinet::kFlagReservePresent);
        EXPECT_EQ(listing.headerReserve, reserves.header);
        EXPECT_EQ(listing.folderReserve, reserves.folder);
        EXPECT_EQ(listing.dataReserve, reserves.data);
    }
    expectOraclesAgree(jobs);
}

TEST_P(CabinetOracleTest, SetByFileCountNamesCabinetsFromTheFirst) {
    TSTCabWriter writer;
    configure(writer);
    writer.setCabinetFileCountThreshold(2);
    writer.setSetID(4711);
    std::vector<Source> sources;
    for (int i = 0; i < 5; ++i)
        sources.push_back({"f" + std::to_string(i) + ".txt", textBytes(20000 + 1000 * i, i)});
    OracleJob job = pack(writer, "0.cab", sources);
    ASSERT_EQ(job.cabinets.size(), 3u);
    EXPECT_EQ(job.cabinets[1].filename(), "01.cab");
    EXPECT_EQ(job.cabinets[2].filename(), "02.cab");
    EXPECT_FALSE(fs::exists(m_folder / "03.cab"));
    const CabinetListing first = listCabinet(job.cabinets[0]);
    const CabinetListing second = listCabinet(job.cabinets[1]);
    const CabinetListing last = listCabinet(job.cabinets[2]);
    EXPECT_EQ(first.nextCabinet, "01.cab");
    EXPECT_EQ(first.nextDisk, "Disk2");
    EXPECT_EQ(second.prevCabinet, "0.cab");
    EXPECT_EQ(second.nextCabinet, "02.cab");
    EXPECT_EQ(last.prevCabinet, "01.cab");
    EXPECT_EQ(last.flags, cabinet::kFlagPrevCabinet);
    EXPECT_EQ(last.files.size(), 1u);
    EXPECT_EQ(last.setID, 4711);
    EXPECT_EQ(last.index, 2);
    expectOraclesAgree({job});
}

TEST_P(CabinetOracleTest, SetBySizeSplitsAFileAcrossThreeCabinets) {
    TSTCabWriter writer;
    configure(writer);
    writer.setCabinetSizeThreshold(30000);
    const std::vector<Source> sources = {{"head.txt", textBytes(5000, 1)},
                                         {"big.bin", randomBytes(70000, 2)},
                                         {"tail.txt", textBytes(3000, 3)}};
    OracleJob job = pack(writer, "split.cab", sources);
    ASSERT_GE(job.cabinets.size(), 3u);
    int holdingBig = 0;
    for (const fs::path& cab : job.cabinets) {
        EXPECT_LE(fs::file_size(cab), 30000u) << cab;
        for (const ListedFile& file : listCabinet(cab).files)
            holdingBig += file.name == "big.bin";
    }
    EXPECT_GE(holdingBig, 3);
    expectOraclesAgree({job});
}

TEST_P(CabinetOracleTest, RandomSetsRoundTrip) {
    const std::uint64_t seed = testSeed();
    SCOPED_TRACE("CORVANE_SEED=" + std::to_string(seed));
    std::mt19937_64 random(seed);
    std::vector<OracleJob> jobs;
    for (int round = 0; round < 3; ++round) {
        TSTCabWriter writer;
        configure(writer);
        writer.setCabinetSizeThreshold(static_cast<std::uint32_t>(20000 + random() % 100000));
        if (random() % 2) writer.setFolderSizeThreshold(static_cast<std::uint32_t>(10000 + random() % 60000));
        if (random() % 3 == 0) writer.setReservePerDataSize(static_cast<std::uint32_t>(random() % 20));
        std::vector<Source> sources;
        const int count = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) {
            const std::size_t size = random() % 4 == 0 ? random() % 10 : random() % 150000;
            sources.push_back({"r" + std::to_string(i) + ".bin",
                               random() % 2 ? randomBytes(size, random()) : textBytes(size, random())});
        }
        OracleJob job = pack(writer, "random" + std::to_string(round) + ".cab", sources);
        jobs.push_back(std::move(job));
    }
    for (const std::string& problem : checkWithOracles(jobs, m_folder / "out")) {
        if (GetParam().type == cabinet::cctLzx && GetParam().lzxLevel == 15 &&
            isSevenZipNearWindowCopy(problem))
            std::cout << "7-Zip's LZX copy fault at window 15, not Corvane's: " << problem << "\n";
        else
            ADD_FAILURE() << problem;
    }
}

TEST_P(CabinetOracleTest, WindowsSeesDateTimeAndAttributes) {
    const fs::path source = m_folder / "dated.txt";
    writeBytes(source, textBytes(100, 1));
    const auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(source, stamp);
    fs::permissions(source, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    TSTCabWriter writer;
    configure(writer);
    OracleJob job;
    job.firstCabinet = m_folder / "dated.cab";
    job.cabinets = {job.firstCabinet};
    writer.Open(job.firstCabinet.string());
    writer.AddFile(source.string(), "dated.txt", false);
    writer.AddFile(source.string(), "run.txt", true);
    writer.Close(true);
    job.expected = {{"dated.txt", textBytes(100, 1)}, {"run.txt", textBytes(100, 1)}};

    std::map<std::string, FdiFileInfo> info;
    expectOraclesAgree({job}, &info);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        fs::last_write_time(source).time_since_epoch() - fs::file_time_type::clock::now().time_since_epoch());
    const std::time_t mtime = std::time(nullptr) + seconds.count();
    const cabinet::DosDateTime expected = cabinet::toDosDateTime(mtime);
    ASSERT_EQ(info.count("dated.txt"), 1u);
    EXPECT_EQ(info["dated.txt"].date, expected.date);
    // DOS times count two-second steps and Windows may round an odd second the other way; they
    // are compared as seconds of the day, so a minute boundary between the two is no failure.
    const auto secondsOfDay = [](unsigned time) {
        return (time >> 11) * 3600 + ((time >> 5) & 63) * 60 + (time & 31) * 2;
    };
    EXPECT_NEAR(secondsOfDay(info["dated.txt"].time), secondsOfDay(expected.time), 2);
    EXPECT_EQ(info["dated.txt"].attribs, cabinet::kAttribReadOnly | cabinet::kAttribArchive);
    EXPECT_EQ(info["run.txt"].attribs & cabinet::kAttribExecute, cabinet::kAttribExecute);
}

#if !defined(__SANITIZE_ADDRESS__)
// Large enough for many cabinets' worth of records; the sanitizer build leaves it to the release
// build to save time.
TEST_P(CabinetOracleTest, FiftyMegabyteFile) {
    // The LZX suite runs the large file at the window the build uses; the smaller windows meet
    // frame and window ends often enough in the cases above.
    if (GetParam().type == cabinet::cctLzx && GetParam().lzxLevel != 21)
        GTEST_SKIP() << "LZX 21 carries this case";
    constexpr std::size_t kSize = 50 * 1000 * 1000;
    std::vector<std::uint8_t> bytes = textBytes(kSize, 21);
    const std::vector<std::uint8_t> noise = randomBytes(kSize / 4, 22);
    std::copy(noise.begin(), noise.end(), bytes.begin() + kSize / 2);  // a quarter does not compress
    TSTCabWriter writer;
    configure(writer);
    OracleJob job = pack(writer, "large.cab", {{"large.bin", std::move(bytes)}});
    job.cabinets = {job.firstCabinet};
    expectOraclesAgree({job});
}
#endif

INSTANTIATE_TEST_SUITE_P(
    Compressions, CabinetOracleTest,
    ::testing::Values(Compression{"None", cabinet::cctNone, 21}, Compression{"MsZip", cabinet::cctMsZip, 21},
                      Compression{"Lzx15", cabinet::cctLzx, 15}, Compression{"Lzx16", cabinet::cctLzx, 16},
                      Compression{"Lzx17", cabinet::cctLzx, 17}, Compression{"Lzx18", cabinet::cctLzx, 18},
                      Compression{"Lzx19", cabinet::cctLzx, 19}, Compression{"Lzx20", cabinet::cctLzx, 20},
                      Compression{"Lzx21", cabinet::cctLzx, 21}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::test
