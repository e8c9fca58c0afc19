// Encodings of the byte stream, its bounds and the whole-file reads.
#include "files/byte_stream.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/breakpoint_curve.h"

namespace vt {
namespace {

std::vector<std::uint8_t> bytesOf(const ByteStream& s) {
  return std::vector<std::uint8_t>(s.data(), s.data() + s.getPosition());
}

TEST(ByteStreamEncoding, IntegersAndFloatsAreLittleEndian) {
  std::vector<std::uint8_t> buffer(64);
  ByteStream s;
  ASSERT_TRUE(s.openMemoryForWriting(buffer.data(), 64));
  EXPECT_EQ(s.writeInt(65538), 4);
  EXPECT_EQ(s.writeFloat(1.0f), 8);
  EXPECT_EQ(s.writeInt(-2), 12);
  EXPECT_EQ(s.writeBool(true), 16);
  const std::vector<std::uint8_t> expected = {0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x80, 0x3F,
                                              0xFE, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00};
  EXPECT_EQ(bytesOf(s), expected);

  ByteStream r;
  ASSERT_TRUE(r.openMemoryForReading(buffer.data(), 16));
  EXPECT_EQ(r.readInt(), 65538);
  EXPECT_EQ(r.readFloat(), 1.0f);
  EXPECT_EQ(r.readInt(), -2);
  EXPECT_TRUE(r.readBool());
  EXPECT_EQ(r.remaining(), 0);
  EXPECT_FALSE(r.failed());
}

TEST(ByteStreamEncoding, BoolReadsAnyNonZeroAsTrue) {
  const std::uint8_t data[] = {0, 0, 0, 0, 0, 1, 0, 0};
  ByteStream r;
  r.openMemoryForReading(data, 8);
  EXPECT_FALSE(r.readBool());
  EXPECT_TRUE(r.readBool());
}

TEST(ByteStreamEncoding, Strings) {
  std::vector<std::uint8_t> buffer(32, 0xAA);
  ByteStream s;
  s.openMemoryForWriting(buffer.data(), 32);
  EXPECT_EQ(s.writeString(""), 1);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(s.writeString("Cello"), 7);
  EXPECT_EQ(s.writeString(nullptr), 8);

  ByteStream r;
  r.openMemoryForReading(buffer.data(), 8);
  char text[16] = "junk";
  ASSERT_TRUE(r.readString(text, sizeof(text)));
  EXPECT_STREQ(text, "");
  EXPECT_EQ(r.getPosition(), 1);
  ASSERT_TRUE(r.readString(text, 4));  // truncated to the destination, stream moves past the whole string
  EXPECT_STREQ(text, "Cel");
  EXPECT_EQ(r.getPosition(), 7);
}

TEST(ByteStreamEncoding, UnterminatedStringFails) {
  const char data[] = {'a', 'b', 'c'};
  ByteStream r;
  r.openMemoryForReading(data, 3);
  char text[8] = "junk";
  EXPECT_FALSE(r.readString(text, sizeof(text)));
  EXPECT_STREQ(text, "");
  EXPECT_TRUE(r.failed());
}

TEST(ByteStreamBounds, ReadsPastSizeFail) {
  const std::uint8_t data[6] = {1, 0, 0, 0, 9, 9};
  ByteStream r;
  r.openMemoryForReading(data, 6);
  EXPECT_EQ(r.readInt(), 1);
  EXPECT_FALSE(r.failed());
  EXPECT_EQ(r.readInt(), 0);  // only two bytes left
  EXPECT_TRUE(r.failed());
  EXPECT_EQ(r.getPosition(), 4);
}

TEST(ByteStreamBounds, WritesPastCapacityFail) {
  std::uint8_t buffer[10] = {};
  ByteStream s;
  s.openMemoryForWriting(buffer, 6);
  s.writeInt(7);
  EXPECT_FALSE(s.failed());
  EXPECT_EQ(s.writeInt(8), 4);
  EXPECT_TRUE(s.failed());
  EXPECT_EQ(buffer[4], 0);
  s.openMemoryForWriting(buffer, 6);
  EXPECT_EQ(s.writeString("abcdef"), 0);  // needs 7 bytes
  EXPECT_TRUE(s.failed());
}

TEST(ByteStreamBounds, SixteenMegabytesOfWritesFitAndNoMore) {
  std::vector<std::uint8_t> buffer(ByteStream::kCapacity + 16);
  ByteStream s;
  s.openMemoryForWriting(buffer.data(), ByteStream::kCapacity + 16);  // capped at 16 MB
  for (int i = 0; i < ByteStream::kCapacity / 4; ++i) s.writeInt(i);
  EXPECT_FALSE(s.failed());
  EXPECT_EQ(s.getPosition(), ByteStream::kCapacity);
  s.writeInt(1);
  EXPECT_TRUE(s.failed());
}

TEST(ByteStreamLists, SizesAndRoundTrip) {
  std::vector<std::uint8_t> buffer(4096);
  BreakpointCurve empty;
  BreakpointCurve full;
  for (int i = 0; i < 128; ++i) full.add(i * 0.5f, i * 0.25f);

  ByteStream s;
  s.openMemoryForWriting(buffer.data(), 4096);
  ASSERT_TRUE(s.writeBreakpointList(empty));
  EXPECT_EQ(s.getPosition(), 4);
  ASSERT_TRUE(s.writeBreakpointList(full));
  EXPECT_EQ(s.getPosition(), 4 + 4 + 1024);
  // All x values come before all y values.
  ByteStream peek;
  peek.openMemoryForReading(buffer.data() + 4, 1028);
  EXPECT_EQ(peek.readInt(), 128);
  EXPECT_EQ(peek.readFloat(), 0.0f);
  EXPECT_EQ(peek.readFloat(), 0.5f);

  ByteStream r;
  r.openMemoryForReading(buffer.data(), s.getPosition());
  BreakpointCurve a;
  a.add(1.0f, 1.0f);
  ASSERT_TRUE(r.readBreakpointList(a));
  EXPECT_EQ(a.count(), 0);
  EXPECT_TRUE(a.empty());
  BreakpointCurve b;
  ASSERT_TRUE(r.readBreakpointList(b));
  ASSERT_EQ(b.count(), 128);
  EXPECT_FALSE(b.empty());
  EXPECT_EQ(b.x(127), 63.5f);
  EXPECT_EQ(b.y(127), 31.75f);
}

TEST(ByteStreamLists, CountsOutsideTheRangeAreRefused) {
  for (std::int32_t n : {129, -1, 0x7fffffff}) {
    std::vector<std::uint8_t> buffer(4 + 8 * 129);
    ByteStream s;
    s.openMemoryForWriting(buffer.data(), static_cast<std::int32_t>(buffer.size()));
    s.writeInt(n);
    ByteStream r;
    r.openMemoryForReading(buffer.data(), static_cast<std::int32_t>(buffer.size()));
    BreakpointCurve c;
    c.add(1.0f, 2.0f);
    EXPECT_FALSE(r.readBreakpointList(c)) << n;
    EXPECT_EQ(c.count(), 0);
    EXPECT_TRUE(c.empty());
  }
}

TEST(ByteStreamLists, ShortListFailsWithoutReadingPastTheEnd) {
  std::uint8_t buffer[4 + 8 * 3] = {};
  ByteStream s;
  s.openMemoryForWriting(buffer, sizeof(buffer));
  s.writeInt(3);
  ByteStream r;
  r.openMemoryForReading(buffer, sizeof(buffer) - 1);  // one byte short
  BreakpointCurve c;
  EXPECT_FALSE(r.readBreakpointList(c));
  EXPECT_TRUE(r.failed());
  EXPECT_EQ(c.count(), 0);
}

TEST(ByteStreamLists, SharingCurveConsumesTheXValues) {
  std::uint8_t buffer[64] = {};
  ByteStream s;
  s.openMemoryForWriting(buffer, sizeof(buffer));
  s.writeInt(2);
  s.writeFloat(7.0f);
  s.writeFloat(8.0f);
  s.writeFloat(0.25f);
  s.writeFloat(0.5f);
  s.writeInt(12345);
  BreakpointCurve owner;
  owner.add(1.0f, 0.0f);
  owner.add(2.0f, 0.0f);
  BreakpointCurve sharer;
  sharer.shareAxisOf(owner);
  ByteStream r;
  r.openMemoryForReading(buffer, s.getPosition());
  ASSERT_TRUE(r.readBreakpointList(sharer));
  EXPECT_EQ(owner.x(0), 1.0f);  // the shared axis is not overwritten
  EXPECT_EQ(sharer.y(1), 0.5f);
  EXPECT_EQ(r.readInt(), 12345);
}

class ByteStreamFile : public ::testing::Test {
protected:
  // One file per test and process: suites run in parallel, here and in other checkouts.
  std::string path = ::testing::TempDir() + "vt7000_byte_stream_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                     std::to_string(static_cast<long>(getpid())) + ".bin";
  void writeFile(std::size_t bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::vector<std::uint8_t> data(bytes, 0x5A);
    if (bytes) {
      ASSERT_EQ(std::fwrite(data.data(), 1, bytes, f), bytes);
    }
    std::fclose(f);
  }
  void TearDown() override { std::remove(path.c_str()); }
};

TEST_F(ByteStreamFile, SizeLimits) {
  ByteStream s;
  writeFile(16 * 1048576);
  EXPECT_FALSE(s.openFileForReading(path.c_str()));
  s.release();
  writeFile(16 * 1048576 - 1);
  ASSERT_TRUE(s.openFileForReading(path.c_str()));
  EXPECT_EQ(s.getSize(), 16 * 1048576 - 1);
  EXPECT_EQ(s.getPosition(), 0);
  EXPECT_TRUE(s.close());
  s.release();
  writeFile(0);
  EXPECT_FALSE(s.openFileForReading(path.c_str()));
  s.release();
  EXPECT_FALSE(s.openFileForReading((path + ".missing").c_str()));
  EXPECT_FALSE(s.openFileForReading(nullptr));
}

TEST_F(ByteStreamFile, WriteFileThenReadItBack) {
  {
    ByteStream w;
    ASSERT_TRUE(w.openFileForWriting(path.c_str()));
    w.writeInt(65538);
    w.writeString("Pad");
    EXPECT_TRUE(w.close());
    w.release();
  }
  ByteStream r;
  ASSERT_TRUE(r.openFileForReading(path.c_str()));
  EXPECT_EQ(r.getSize(), 8);
  EXPECT_EQ(r.readInt(), 65538);
  char name[8];
  EXPECT_TRUE(r.readString(name, sizeof(name)));
  EXPECT_STREQ(name, "Pad");
  r.close();
  r.release();
}

TEST_F(ByteStreamFile, ARecordThatDoesNotFitLeavesTheOldFileAsItWas) {
  writeFile(100);
  ByteStream w;
  ASSERT_TRUE(w.openFileForWriting(path.c_str()));
  for (int i = 0; i < ByteStream::kCapacity / 4; ++i) w.writeInt(i);  // fills all 16 MB
  EXPECT_FALSE(w.failed());
  w.writeInt(1);  // one word too many
  EXPECT_TRUE(w.failed());
  EXPECT_FALSE(w.close());
  w.release();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<std::uint8_t> content(200);
  const std::size_t size = std::fread(content.data(), 1, content.size(), f);
  std::fclose(f);
  EXPECT_EQ(size, 100u);
  EXPECT_EQ(content[0], 0x5A);
  EXPECT_EQ(content[99], 0x5A);
}

}  // namespace
}  // namespace vt
