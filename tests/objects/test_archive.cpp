#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "../document/StreamBytes.h"
#include "objects/CArchive.h"

namespace {

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() /
          (std::string("valendra_archive_") + std::to_string(::getpid()) + name))
      .string();
}

}  // namespace

TEST(CArchive, WritesLittleEndianValuesWithoutPadding) {
  std::vector<std::uint8_t> out;
  {
    CArchive ar(&out);
    EXPECT_TRUE(ar.IsStoring());
    ar.WriteInt32(-2);
    ar.WriteUInt32(0x00332211u);
    ar.WriteDouble(1.0);
    ar.Write("ab", 2);
  }  // the destructor hands the buffer over
  const std::vector<std::uint8_t> expected = {0xFE, 0xFF, 0xFF, 0xFF, 0x11, 0x22, 0x33, 0x00, 0,
                                              0,    0,    0,    0,    0,    0xF0, 0x3F, 'a',  'b'};
  EXPECT_EQ(out, expected);
}

TEST(CArchive, ReadsBackWhatWasWrittenAcrossManyBuffers) {
  std::vector<std::uint8_t> out;
  {
    CArchive ar(&out);
    for (int i = 0; i < 5000; ++i) {
      ar.WriteInt32(i * 7 - 9000);
      ar.WriteDouble(i / 3.0);
    }
    std::string big(9000, 'x');
    ar.Write(big.data(), big.size());
    EXPECT_TRUE(ar.Flush());
  }
  ASSERT_EQ(out.size(), 5000u * 12 + 9000);
  CArchive in{std::span<const std::uint8_t>(out)};
  for (int i = 0; i < 5000; ++i) {
    std::int32_t n = 0;
    double d = 0;
    ASSERT_TRUE(in.ReadInt32(n));
    ASSERT_TRUE(in.ReadDouble(d));
    EXPECT_EQ(n, i * 7 - 9000);
    EXPECT_EQ(d, i / 3.0);
  }
  EXPECT_EQ(in.GetRemaining(), 9000u);
  std::string big(9000, '\0');
  EXPECT_TRUE(in.Read(big.data(), big.size()));
  EXPECT_EQ(big, std::string(9000, 'x'));
  EXPECT_EQ(in.GetRemaining(), 0u);
}

TEST(CArchive, AShortReadFailsKeepsTheValueAndEverythingAfterFails) {
  const std::vector<std::uint8_t> data = {1, 0, 0, 0, 7, 7};
  CArchive ar{std::span<const std::uint8_t>(data)};
  std::int32_t n = 0;
  ASSERT_TRUE(ar.ReadInt32(n));
  EXPECT_EQ(n, 1);
  std::int32_t keep = 42;
  EXPECT_FALSE(ar.ReadInt32(keep));  // two bytes left
  EXPECT_EQ(keep, 42);
  EXPECT_TRUE(ar.IsCutShort());
  EXPECT_EQ(ar.GetRemaining(), 0u);
  std::uint8_t b = 0;
  EXPECT_FALSE(ar.Read(&b, 1));  // the leftover bytes were consumed with the failed read
  double d = 5.0;
  EXPECT_FALSE(ar.ReadDouble(d));
  EXPECT_EQ(d, 5.0);
}

TEST(CArchive, SkipSeekAndCutShort) {
  const Bytes b = Bytes().i32(1).i32(2).i32(3).i32(4);
  CArchive ar{std::span<const std::uint8_t>(b.v)};
  EXPECT_TRUE(ar.Skip(8));
  EXPECT_EQ(ar.GetPosition(), 8u);
  std::int32_t n = 0;
  ASSERT_TRUE(ar.ReadInt32(n));
  EXPECT_EQ(n, 3);
  ar.SetCutShort();
  EXPECT_EQ(ar.GetRemaining(), 0u);
  EXPECT_FALSE(ar.ReadInt32(n));
  EXPECT_EQ(n, 3);
  // Seeking makes the data readable again.
  ASSERT_TRUE(ar.Seek(4));
  ASSERT_TRUE(ar.ReadInt32(n));
  EXPECT_EQ(n, 2);
  EXPECT_FALSE(ar.Seek(17));
  EXPECT_TRUE(ar.Seek(16));
  EXPECT_FALSE(ar.Skip(1));
  EXPECT_TRUE(ar.IsCutShort());
}

TEST(CArchive, FileRoundTripWithSeeksAcrossTheReadBuffer) {
  const std::string path = TempPath("_rt.bin");
  {
    CArchive ar(path, CArchive::store);
    ASSERT_TRUE(ar.IsOpen());
    for (int i = 0; i < 3000; ++i) ar.WriteInt32(i);  // 12000 bytes, three read buffers
    EXPECT_TRUE(ar.Flush());
  }
  {
    CArchive ar(path, CArchive::load);
    ASSERT_TRUE(ar.IsOpen());
    EXPECT_EQ(ar.GetRemaining(), 12000u);
    // Reads that straddle the 4096-byte windows.
    ASSERT_TRUE(ar.Seek(4094));
    std::uint8_t raw[4];
    ASSERT_TRUE(ar.Read(raw, 4));
    std::int32_t n = 0;
    ASSERT_TRUE(ar.Seek(4 * 1023));
    ASSERT_TRUE(ar.ReadInt32(n));
    EXPECT_EQ(n, 1023);
    ASSERT_TRUE(ar.ReadInt32(n));
    EXPECT_EQ(n, 1024);
    ASSERT_TRUE(ar.Skip(4 * 1500));
    ASSERT_TRUE(ar.ReadInt32(n));
    EXPECT_EQ(n, 2525);
    std::vector<std::uint8_t> rest(ar.GetRemaining());
    ASSERT_TRUE(ar.Read(rest.data(), rest.size()));
    EXPECT_EQ(rest.size(), 4u * (3000 - 2526));
    EXPECT_FALSE(ar.ReadInt32(n));
    ASSERT_TRUE(ar.Seek(0));
    ASSERT_TRUE(ar.ReadInt32(n));
    EXPECT_EQ(n, 0);
  }
  std::remove(path.c_str());
}

TEST(CArchive, UnopenableFilesAreReported) {
  CArchive in("/nonexistent-dir/x.vld", CArchive::load);
  EXPECT_FALSE(in.IsOpen());
  std::int32_t n = 0;
  EXPECT_FALSE(in.ReadInt32(n));
  CArchive out("/nonexistent-dir/x.vld", CArchive::store);
  EXPECT_FALSE(out.IsOpen());
  out.WriteInt32(1);
  EXPECT_FALSE(out.Flush());
}
