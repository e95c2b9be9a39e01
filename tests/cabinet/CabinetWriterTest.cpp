#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "CabinetListing.h"
#include "TestData.h"
#include "TestSupport.h"
#include "cabinet/ByteSink.h"
#include "cabinet/CabinetFormat.h"
#include "cabinet/ESTCabinet.h"
#include "cabinet/TSTCabWriter.h"

namespace corvane::cabinet {
namespace {

namespace fs = std::filesystem;
using test::listCabinet;

class CabinetWriterTest : public ::testing::Test {
protected:
    std::string source(const std::string& name, std::size_t size) {
        const fs::path path = m_folder / "src" / name;
        test::writeBytes(path, test::textBytes(size, size));
        return path.string();
    }

    test::TempDir m_temp;
    const fs::path m_folder = m_temp.path();
};

TEST_F(CabinetWriterTest, DefaultsMakeOneCabinetWithOneFolder) {
    TSTCabWriter writer;
    EXPECT_EQ(writer.CompressionType(), cctLzx);
    EXPECT_EQ(writer.CompressionLzxLevel(), 21);
    EXPECT_EQ(writer.CabinetSizeThreshold(), 0u);
    EXPECT_EQ(writer.SetID(), 0);
    writer.setCompressionType(cctMsZip);
    writer.Open((m_folder / "out" / "one.cab").string());
    EXPECT_STREQ(writer.currentCabinet().szDisk, "Disk1");
    EXPECT_EQ(writer.currentCabinet().cb, 0x7FFFFFFFu);
    EXPECT_EQ(writer.currentCabinet().cbFolderThresh, 0x7FFFFFFFu);
    for (int i = 0; i < 4; ++i)
        writer.AddFile(source("f" + std::to_string(i), 50000), "\\f" + std::to_string(i), false);
    writer.Close(true);
    const test::CabinetListing cab = listCabinet(m_folder / "out" / "one.cab");
    EXPECT_EQ(cab.folders.size(), 1u);
    EXPECT_EQ(cab.flags, 0);
    EXPECT_EQ(cab.setID, 0);
    ASSERT_EQ(cab.files.size(), 4u);
    EXPECT_EQ(cab.files[0].name, "f0");  // the leading backslash is dropped
    EXPECT_EQ(cab.files[3].folderOffset, 150000u);
    EXPECT_EQ(cab.folders[0].typeCompress, kCompressMsZip);
}

struct CodeCase {
    TSTCabCompressionType type;
    int level;
    std::uint16_t code;
};

class CompressionCode : public ::testing::TestWithParam<CodeCase> {};

TEST_P(CompressionCode, FollowsTypeAndLevel) {
    TSTCabWriter writer;
    writer.setCompressionLzxLevel(GetParam().level);
    writer.setCompressionType(GetParam().type);
    EXPECT_EQ(writer.compressionCode(), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Table, CompressionCode,
                         ::testing::Values(CodeCase{cctNone, 21, 0}, CodeCase{cctMsZip, 15, 1},
                                           CodeCase{cctLzx, 15, 0x0F03}, CodeCase{cctLzx, 18, 0x1203},
                                           CodeCase{cctLzx, 21, 0x1503}, CodeCase{cctLzx, 22, 15},
                                           CodeCase{cctLzx, 14, 15},
                                           CodeCase{static_cast<TSTCabCompressionType>(3), 21, 15}));

struct NameCase {
    std::string first, nameTemplate, pathTemplate, labelTemplate;
    int number;
    std::string name, path, label;
};

class CabinetNaming : public ::testing::TestWithParam<NameCase> {};

TEST_P(CabinetNaming, FollowsTemplatesOrTheFirstCabinet) {
    const NameCase& c = GetParam();
    TSTCabWriter writer;
    writer.setCabinetNameTemplate(c.nameTemplate);
    writer.setCabinetPathTemplate(c.pathTemplate);
    writer.setDiskLabelTemplate(c.labelTemplate);
    writer.OnGetNextCabinet = [](TSTCabWriter&, TCCAB&, std::uint32_t, bool& abort) { abort = true; };
    writer.Open(c.first);  // aborted: names are fixed, nothing is created
    EXPECT_FALSE(writer.isOpen());
    EXPECT_EQ(writer.CabinetName(c.number), c.name);
    EXPECT_EQ(writer.CabinetPath(c.number), c.path);
    EXPECT_EQ(writer.DiskLabel(c.number), c.label);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CabinetNaming,
    ::testing::Values(NameCase{"/w/setup.cab", "", "", "", 1, "setup1.cab", "/w/", "Disk1"},
                      NameCase{"/w/0.cab", "", "", "", 2, "02.cab", "/w/", "Disk2"},
                      NameCase{"/w/x/archive", "", "", "", 3, "archive3", "/w/x/", "Disk3"},
                      NameCase{"/w/a.b.cab", "", "", "", 12, "a.b12.cab", "/w/", "Disk12"},
                      NameCase{"/w/s.cab", "part*_*.cab", "/media/disk*", "Volume *", 4, "part4_4.cab",
                               "/media/disk4/", "Volume 4"},
                      NameCase{"/w/s.cab", "fixed.cab", "/out/", "Label", 5, "fixed.cab", "/out/", "Label"}));

TEST_F(CabinetWriterTest, MissingSourceNamesErrorTwo) {
    TSTCabWriter writer;
    writer.setCompressionType(cctNone);
    writer.Open((m_folder / "m.cab").string());
    try {
        writer.AddFile((m_folder / "absent.txt").string(), "absent.txt", false);
        FAIL() << "no exception";
    } catch (const ESTCabinet& e) {
        EXPECT_EQ(std::string(e.what()), "Failure opening file to be stored in cabinet [0x0001].\r\n" +
                                             ESTCabinet::systemMessage(2) + " [0x0002].");
        EXPECT_EQ(ESTCabinet::systemMessage(2), "No such file or directory");
        EXPECT_EQ(e.ErrorCode(), 1);
        EXPECT_EQ(e.ErrorType(), 2);
        EXPECT_TRUE(e.HasError());
        EXPECT_TRUE(e.IsCompressor());
    }
}

TEST_F(CabinetWriterTest, ClosedWriterRefusesFiles) {
    TSTCabWriter writer;
    EXPECT_THROW(writer.AddFile(source("a", 10), "a", false), ESTCabinet);
    writer.OnGetNextCabinet = [](TSTCabWriter&, TCCAB&, std::uint32_t, bool& abort) { abort = true; };
    writer.Open((m_folder / "aborted.cab").string());
    EXPECT_THROW(writer.AddFile(source("a", 10), "a", false), ESTCabinet);
    EXPECT_THROW(writer.FlushCabinet(false), ESTCabinet);
    writer.Close(true);  // nothing open: nothing to do
    EXPECT_FALSE(fs::exists(m_folder / "aborted.cab"));
}

TEST_F(CabinetWriterTest, CloseWithoutFlushLeavesNoCabinet) {
    TSTCabWriter writer;
    writer.setCompressionType(cctMsZip);
    writer.Open((m_folder / "dropped.cab").string());
    writer.AddFile(source("a", 100000), "a", false);
    writer.Close(false);
    EXPECT_FALSE(fs::exists(m_folder / "dropped.cab"));
    {
        TSTCabWriter destroyed;
        destroyed.setCompressionType(cctNone);
        destroyed.Open((m_folder / "destroyed.cab").string());
        destroyed.AddFile(source("b", 10), "b", false);
    }
    EXPECT_FALSE(fs::exists(m_folder / "destroyed.cab"));
}

TEST_F(CabinetWriterTest, LzxLevelOutsideItsRangeFailsCleanly) {
    TSTCabWriter writer;
    writer.setCompressionLzxLevel(22);
    writer.Open((m_folder / "lzx.cab").string());
    try {
        writer.AddFile(source("a", 1000), "a", false);
        FAIL() << "no exception";
    } catch (const ESTCabinet& e) {
        EXPECT_EQ(e.ErrorCode(), 5);
        EXPECT_EQ(std::string(e.what()), "Unknown compression type [0x0005]");
    }
    writer.Close(true);
    EXPECT_FALSE(fs::exists(m_folder / "lzx.cab"));
}

// A sink that fails as a full disk does and tells the test, after its end, what happened.
class ObservedSink final : public ByteSink {
public:
    ObservedSink(std::uint64_t limit, bool& discarded) : m_inner(limit), m_discarded(discarded) {}
    bool write(std::span<const std::uint8_t> bytes) override {
        const bool ok = m_inner.write(bytes);
        m_lastError = m_inner.lastError();
        return ok;
    }
    bool finish() override { return true; }
    void discard() override { m_discarded = true; }

private:
    FailingSink m_inner;
    bool& m_discarded;
};

TEST_F(CabinetWriterTest, FailedWriteReportsTheSystemErrorAndRemovesTheCabinet) {
    TSTCabWriter writer;
    writer.setCompressionType(cctNone);
    bool discarded = false;
    writer.setSinkFactory(
        [&](const std::string&, int&) { return std::make_unique<ObservedSink>(5000, discarded); });
    writer.Open((m_folder / "full.cab").string());
    writer.AddFile(source("a", 100000), "a", false);
    try {
        writer.Close(true);
        FAIL() << "no exception";
    } catch (const ESTCabinet& e) {
        EXPECT_EQ(e.ErrorCode(), 6);
        EXPECT_EQ(e.ErrorType(), ENOSPC);
    }
    EXPECT_TRUE(discarded);
}

TEST_F(CabinetWriterTest, FileTooLargeForTheFormatIsRefusedBeforeReading) {
    const fs::path huge = m_folder / "huge.bin";
    { std::ofstream(huge.string()).put('x'); }
    fs::resize_file(huge, kMaxFileBytes + 1);  // sparse: no disk space used
    TSTCabWriter writer;
    writer.setCompressionType(cctMsZip);
    writer.Open((m_folder / "huge.cab").string());
    try {
        writer.AddFile(huge.string(), "huge.bin", false);
        FAIL() << "no exception";
    } catch (const ESTCabinet& e) {
        EXPECT_EQ(e.ErrorCode(), 9);
        EXPECT_NE(std::string(e.what()).find(huge.string()), std::string::npos) << e.what();
    }
    writer.AddFile(source("small", 10), "small", false);  // the writer stays usable
    writer.Close(true);
    EXPECT_EQ(listCabinet(m_folder / "huge.cab").files.size(), 1u);
}

TEST_F(CabinetWriterTest, ProgressOnTheSecondBlockAndEveryNinthAfter) {
    TSTCabWriter writer;
    writer.setCompressionType(cctNone);
    int reports = 0;
    std::vector<int> progressAt;
    writer.OnFileStatus = [&](TSTCabWriter&, std::uint32_t, std::uint32_t, bool&) { ++reports; };
    writer.OnProgress = [&](TSTCabWriter&, bool&) { progressAt.push_back(reports); };
    writer.Open((m_folder / "progress.cab").string());
    writer.AddFile(source("a", 30 * kBlockSize), "a", false);
    writer.Close(true);
    EXPECT_EQ(reports, 30);
    EXPECT_EQ(progressAt, (std::vector<int>{2, 11, 20, 29}));
}

TEST_F(CabinetWriterTest, AbortFromAnEventEndsTheOperation) {
    TSTCabWriter writer;
    writer.setCompressionType(cctNone);
    writer.OnProgress = [](TSTCabWriter&, bool& abort) { abort = true; };
    writer.Open((m_folder / "abort.cab").string());
    try {
        writer.AddFile(source("a", 3 * kBlockSize), "a", false);
        FAIL() << "no exception";
    } catch (const ESTCabinet& e) {
        EXPECT_EQ(e.ErrorCode(), 7);
    }
}

TEST_F(CabinetWriterTest, EventsSeeSkippedAndContinuedFiles) {
    TSTCabWriter writer;
    writer.setCompressionType(cctNone);
    writer.setCabinetSizeThreshold(40000);
    std::vector<std::string> placed;
    writer.OnBeforeFileAdd = [](TSTCabWriter&, const std::string& name, bool& skip) {
        skip = name.find("skip") != std::string::npos;
    };
    writer.OnFilePlaced = [&](TSTCabWriter&, const TCCAB& ccab, const std::string& name, std::int64_t,
                              bool continuation, bool&) {
        placed.push_back(std::string(ccab.szCab) + ":" + name + (continuation ? "+" : ""));
    };
    writer.Open((m_folder / "ev.cab").string());
    writer.AddFile(source("a", 10), "a", false);
    writer.AddFile(source("skip", 10), "skip", false);
    writer.AddFile(source("big", 50000), "big", false);
    writer.Close(true);
    EXPECT_EQ(placed, (std::vector<std::string>{"ev.cab:a", "ev.cab:big", "ev1.cab:big+"}));
}

TEST_F(CabinetWriterTest, AnnouncedCabinetWithoutSuccessorEndsTheSet) {
    TSTCabWriter writer;
    writer.setCompressionType(cctMsZip);
    writer.Open((m_folder / "s.cab").string());
    writer.AddFile(source("a", 1000), "a", false);
    writer.FlushCabinet(true);
    writer.Close(true);
    const test::CabinetListing cab = listCabinet(m_folder / "s.cab");
    EXPECT_EQ(cab.flags, 0);  // no successor named that was never written
    EXPECT_FALSE(fs::exists(m_folder / "s1.cab"));
}

TEST_F(CabinetWriterTest, FolderThresholdsStartNewFolders) {
    TSTCabWriter writer;
    writer.setCompressionType(cctMsZip);
    writer.setFolderFileCountThreshold(2);
    writer.Open((m_folder / "folders.cab").string());
    for (int i = 0; i < 5; ++i)
        writer.AddFile(source("f" + std::to_string(i), 100 + i), "f" + std::to_string(i), false);
    writer.setCompressionType(cctNone);  // a new type starts a new folder too
    writer.AddFile(source("g", 10), "g", false);
    writer.Close(true);
    const test::CabinetListing cab = listCabinet(m_folder / "folders.cab");
    ASSERT_EQ(cab.folders.size(), 4u);
    EXPECT_EQ(cab.folders[3].typeCompress, kCompressNone);
    EXPECT_EQ(cab.files[4].folder, 2);
    EXPECT_EQ(cab.files[4].folderOffset, 0u);
}

TEST_F(CabinetWriterTest, ReservesBeyondTheFormatAreRefused) {
    TSTCabWriter writer;
    writer.setReservePerDataSize(256);
    EXPECT_THROW(writer.Open((m_folder / "r.cab").string()), ESTCabinet);
    EXPECT_FALSE(writer.isOpen());
}

}  // namespace
}  // namespace corvane::cabinet
