#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "StreamBytes.h"
#include "StreamTestUtil.h"
#include "document/CommandLine.h"

namespace {

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() /
            ("valendra_cli_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  std::string Path(const char* name) const { return (m_dir / name).string(); }

  static void WriteFile(const std::string& path, const std::vector<std::uint8_t>& data) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<long>(data.size()));
  }
  static std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  }

  // The writer the program hands in, as seen from the document: every call is recorded
  // and the bytes land in the file (or the write is refused with a reason).
  DrawingFileWriter Writer() {
    return [this](const std::string& strPath, std::span<const std::uint8_t> bytes,
                  std::string* pReason) {
      m_writes.emplace_back(strPath, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
      if (!m_strRefusal.empty()) {
        *pReason = m_strRefusal;
        return false;
      }
      WriteFile(strPath, m_writes.back().second);
      return true;
    };
  }

  std::filesystem::path m_dir;
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> m_writes;
  std::string m_strRefusal;
};

}  // namespace

TEST_F(CommandLineTest, ConvertPassesEveryStoredValueThrough) {
  CKvillDoc doc;
  RandomDrawing(31).Fill(doc, 30);
  const auto bytes = StoreDoc(doc);
  WriteFile(Path("in.vld"), bytes);
  std::ostringstream out, err;
  EXPECT_EQ(RunConvert(Path("in.vld"), Path("out.vld"), Writer(), out, err), 0) << err.str();
  EXPECT_EQ(ReadFile(Path("out.vld")), bytes);
  EXPECT_TRUE(err.str().empty());
  // The whole file goes to the writer in one piece.
  ASSERT_EQ(m_writes.size(), 1u);
  EXPECT_EQ(m_writes[0].first, Path("out.vld"));
}

TEST_F(CommandLineTest, ConvertReportsAWriteTheWriterRefused) {
  Bytes b;
  b.header().dot(0, 0).end();
  WriteFile(Path("in.vld"), b.v);
  const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
  WriteFile(Path("out.vld"), old);
  m_strRefusal = "Permission denied";
  std::ostringstream out, err;
  EXPECT_EQ(RunConvert(Path("in.vld"), Path("out.vld"), Writer(), out, err), 1);
  EXPECT_EQ(err.str(), "Error: cannot write " + Path("out.vld") + ": Permission denied\n");
  ASSERT_EQ(m_writes.size(), 1u);
  EXPECT_EQ(m_writes[0].second, b.v);
  // Nothing but the writer touches the file.
  EXPECT_EQ(ReadFile(Path("out.vld")), old);
}

TEST_F(CommandLineTest, ConvertUpgradesAnOldFileAndWritesSelectionCountZero) {
  Bytes b;
  b.kvillHeader();
  b.i32(3).f64(1.0).i32(-30).i32(30).i32(30).i32(-30).i32(0).i32(0);
  b.i32(5).f64(2.0).i32(10).i32(90).i32(50).i32(20).i32(33).i32(44);
  b.end();
  b.v.resize(256 + 7, 0xEE);  // trailing junk the scan ignores
  WriteFile(Path("old.kvl"), b.v);
  std::ostringstream out, err;
  ASSERT_EQ(RunConvert(Path("old.kvl"), Path("new.vld"), Writer(), out, err), 0) << err.str();
  const Bytes expected =
      Bytes().header(0).dot(0, 0).common(11, 0, 2.0, 10, 90, 50, 20, 10, 90, 0).end();
  EXPECT_EQ(ReadFile(Path("new.vld")), expected.v);
}

TEST_F(CommandLineTest, IncompatibleInputIsAnErrorWithoutOutput) {
  WriteFile(Path("junk.vld"), std::vector<std::uint8_t>(700, 'x'));
  Bytes cut;
  cut.header().dot(0, 0);  // no end marker
  WriteFile(Path("cut.vld"), cut.v);
  for (const char* name : {"junk.vld", "cut.vld", "missing.vld"}) {
    std::ostringstream out, err;
    EXPECT_NE(RunConvert(Path(name), Path("never.vld"), Writer(), out, err), 0) << name;
    EXPECT_FALSE(std::filesystem::exists(Path("never.vld"))) << name;
    std::ostringstream iout, ierr;
    EXPECT_NE(RunInfo(Path(name), iout, ierr), 0) << name;
    if (std::string(name) != "missing.vld") {
      EXPECT_EQ(err.str(), "Error: Incompatible file.\n");
      EXPECT_EQ(ierr.str(), "Error: Incompatible file.\n");
    }
    EXPECT_TRUE(iout.str().empty());
  }
}

TEST_F(CommandLineTest, InfoCountsKindsAtTopLevelAndInGroupsAndTheNesting) {
  Bytes b;
  b.header(2).dot(0, 0, 1).dot(100, 0, 1);
  b.common(9, 0, 1.0, 0, 0, 0, 0, 0, 0, 0);  // depth 1
  b.common(9, 0, 1.0, 0, 0, 0, 0, 0, 0, 0);  // depth 2
  b.dot(500, 500).dot(600, 600).bond(500, 500, 600, 600);
  b.end();
  b.common(6, 0, 1.0, 0, 100, 100, 0, 100, 0, 0).i32(1).text("C");
  b.end();
  b.bond(0, 0, 100, 0);
  b.end();
  WriteFile(Path("info.vld"), b.v);
  std::ostringstream out, err;
  ASSERT_EQ(RunInfo(Path("info.vld"), out, err), 0) << err.str();
  EXPECT_EQ(out.str(),
            "magic: 8Valendra (Valendra family)\n"
            "selection count: 2\n"
            "objects by kind: top level, in groups\n"
            "  formula (6): 0, 1\n"
            "  dot (8): 2, 2\n"
            "  group (9): 1, 1\n"
            "  ellipse (11): 0, 0\n"
            "  bond (12): 1, 1\n"
            "  plus charge (13): 0, 0\n"
            "  minus charge (14): 0, 0\n"
            "deepest group nesting: 2\n");
}

TEST_F(CommandLineTest, DispatchesOnlyTheDocumentTools) {
  Bytes b;
  b.header().end();
  WriteFile(Path("e.vld"), b.v);
  std::ostringstream out, err;
  EXPECT_EQ(RunDocumentTool({"--help"}, Writer(), out, err), -1);
  EXPECT_EQ(RunDocumentTool({}, Writer(), out, err), -1);
  EXPECT_EQ(RunDocumentTool({"--convert", Path("e.vld")}, Writer(), out, err), 2);
  EXPECT_EQ(err.str(), "Usage: valendra --convert IN OUT\n");
  EXPECT_EQ(RunDocumentTool({"--info", Path("e.vld")}, Writer(), out, err), 0);
  EXPECT_EQ(RunDocumentTool({"--convert", Path("e.vld"), Path("f.vld")}, Writer(), out, err), 0);
  EXPECT_EQ(ReadFile(Path("f.vld")), b.v);
}
