// Standard MIDI File reading: formats 0 and 1, running status, tempo events,
// track merging, and refusal of malformed files without reading out of bounds.
#include "tools/render/midi_file_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "tests/tools/smf_builder.h"
#include "tools/render/file_bytes.h"

namespace vt::render {
namespace {

using test::Bytes;
using test::smfFile;
using test::TrackBody;

bool parse(const Bytes& bytes, MidiSequence& sequence, std::string& error) {
  return parseMidiFile(bytes.data(), bytes.size(), sequence, error);
}

void expectEvent(const MidiEvent& event, std::uint64_t tick, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                 int size) {
  EXPECT_EQ(event.tick, tick);
  EXPECT_EQ(event.bytes[0], b0);
  EXPECT_EQ(event.bytes[1], b1);
  EXPECT_EQ(event.bytes[2], b2);
  EXPECT_EQ(event.size, size);
}

TEST(MidiFileReader, ReadsFormatZeroWithRunningStatus) {
  TrackBody track;
  track.event(0, {0x90, 60, 100})
      .event(0, {64, 90})            // running status: note on
      .event(120, {60, 0})           // note on with velocity 0, still running
      .event(0, {0xC3, 7})           // program change: one data byte
      .event(10, {9})                // running program change
      .event(5, {0xE0, 0x00, 0x60})  // pitch bend
      .event(5, {0xB0, 74, 33})
      .end(100);
  MidiSequence sequence;
  std::string error;
  ASSERT_TRUE(parse(smfFile(0, 1, 480, {track}), sequence, error)) << error;
  EXPECT_EQ(sequence.format, 0);
  EXPECT_EQ(sequence.ticksPerQuarter, 480);
  ASSERT_EQ(sequence.events.size(), 7u);
  expectEvent(sequence.events[0], 0, 0x90, 60, 100, 3);
  expectEvent(sequence.events[1], 0, 0x90, 64, 90, 3);
  expectEvent(sequence.events[2], 120, 0x90, 60, 0, 3);
  expectEvent(sequence.events[3], 120, 0xC3, 7, 0, 2);
  expectEvent(sequence.events[4], 130, 0xC3, 9, 0, 2);
  expectEvent(sequence.events[5], 135, 0xE0, 0x00, 0x60, 3);
  expectEvent(sequence.events[6], 140, 0xB0, 74, 33, 3);
  EXPECT_EQ(sequence.endTick, 240u);
  EXPECT_TRUE(sequence.tempoChanges.empty());
}

TEST(MidiFileReader, MergesFormatOneTracksInTimeKeepingTrackOrderAtEqualTicks) {
  TrackBody conductor;
  conductor.tempo(0, 600000).tempo(960, 300000).end(0);
  TrackBody a, b;
  a.event(0, {0x90, 60, 1}).event(100, {0x80, 60, 0}).end();
  b.event(50, {0x91, 62, 2}).event(50, {0x81, 62, 0}).event(0, {0x91, 64, 3}).end(500);
  MidiSequence sequence;
  std::string error;
  ASSERT_TRUE(parse(smfFile(1, 3, 96, {conductor, a, b}), sequence, error)) << error;
  EXPECT_EQ(sequence.trackCount, 3);
  ASSERT_EQ(sequence.events.size(), 5u);
  expectEvent(sequence.events[0], 0, 0x90, 60, 1, 3);
  expectEvent(sequence.events[1], 50, 0x91, 62, 2, 3);
  expectEvent(sequence.events[2], 100, 0x80, 60, 0, 3);  // track a before track b at tick 100
  expectEvent(sequence.events[3], 100, 0x81, 62, 0, 3);
  expectEvent(sequence.events[4], 100, 0x91, 64, 3, 3);
  ASSERT_EQ(sequence.tempoChanges.size(), 2u);
  EXPECT_EQ(sequence.tempoChanges[0].tick, 0u);
  EXPECT_EQ(sequence.tempoChanges[0].microsecondsPerQuarter, 600000u);
  EXPECT_EQ(sequence.tempoChanges[1].tick, 960u);
  EXPECT_EQ(sequence.tempoChanges[1].microsecondsPerQuarter, 300000u);
  EXPECT_EQ(sequence.endTick, 960u);  // the conductor ends last
}

TEST(MidiFileReader, SkipsSysExMetaAndUnknownChunksAndMetaCancelsRunningStatus) {
  TrackBody track;
  track.event(0, {0xF0, 0x03, 0x7E, 0x7F, 0xF7})
      .event(0, {0xFF, 0x03, 0x04, 'n', 'a', 'm', 'e'})
      .event(0, {0x90, 60, 100})
      .event(0, {0xF7, 0x01, 0x00})  // escaped bytes
      .event(10, {0x80, 60, 0})
      .event(0, {0xFF, 0x51, 0x03, 0x00, 0x00, 0x00})  // a zero tempo is ignored
      .end();
  Bytes file = smfFile(0, 1, 480, {});
  const Bytes alien = test::chunk("XFIH", Bytes{1, 2, 3});
  file.insert(file.end(), alien.begin(), alien.end());
  const Bytes trackChunk = test::chunk("MTrk", track.bytes);
  file.insert(file.end(), trackChunk.begin(), trackChunk.end());
  MidiSequence sequence;
  std::string error;
  ASSERT_TRUE(parse(file, sequence, error)) << error;
  ASSERT_EQ(sequence.events.size(), 2u);
  expectEvent(sequence.events[1], 10, 0x80, 60, 0, 3);
  EXPECT_TRUE(sequence.tempoChanges.empty());

  // A data byte right after a meta event has no status to run on.
  TrackBody broken;
  broken.event(0, {0x90, 60, 100}).event(0, {0xFF, 0x01, 0x00}).event(0, {61, 100}).end();
  EXPECT_FALSE(parse(smfFile(0, 1, 480, {broken}), sequence, error));
  EXPECT_NE(error.find("without a status"), std::string::npos) << error;
}

TEST(MidiFileReader, ReadsSmpteTimeDivision) {
  TrackBody track;
  track.event(0, {0x90, 60, 100}).end(1000);
  MidiSequence sequence;
  std::string error;
  // -25 frames per second, 40 ticks per frame: 1000 ticks a second.
  ASSERT_TRUE(parse(smfFile(0, 1, (0xE7 << 8) | 40, {track}), sequence, error)) << error;
  EXPECT_EQ(sequence.ticksPerQuarter, 0);
  EXPECT_DOUBLE_EQ(sequence.smpteTicksPerSecond, 1000.0);
  // 29 stands for 29.97 frames per second.
  ASSERT_TRUE(parse(smfFile(0, 1, (0xE3 << 8) | 100, {track}), sequence, error)) << error;
  EXPECT_NEAR(sequence.smpteTicksPerSecond, 2997.0, 1e-9);
  EXPECT_FALSE(parse(smfFile(0, 1, (0xE6 << 8) | 40, {track}), sequence, error));  // -26 fps
}

TEST(MidiFileReader, ReadsTheCheckedInTwoTrackFile) {
  const std::string path = std::string(VT7000_TOOLS_TEST_DATA_DIR) + "/two_tracks.mid";
  MidiSequence sequence;
  std::string error;
  ASSERT_TRUE(readMidiFile(path, sequence, error)) << error;
  EXPECT_EQ(sequence.format, 1);
  EXPECT_EQ(sequence.trackCount, 2);
  EXPECT_EQ(sequence.ticksPerQuarter, 96);
  ASSERT_EQ(sequence.events.size(), 20u);
  expectEvent(sequence.events[0], 0, 0xC0, 5, 0, 2);
  expectEvent(sequence.events[2], 0, 0x90, 64, 80, 3);  // running status
  expectEvent(sequence.events[6], 96, 0xB0, 1, 127, 3);
  expectEvent(sequence.events[9], 192, 0x90, 67, 0, 3);
  expectEvent(sequence.events[14], 336, 0xE0, 0x00, 0x40, 3);  // running status after the sysex reset
  expectEvent(sequence.events[19], 816, 0x80, 72, 0, 3);
  ASSERT_EQ(sequence.tempoChanges.size(), 2u);
  EXPECT_EQ(sequence.tempoChanges[1].tick, 384u);
  EXPECT_EQ(sequence.tempoChanges[1].microsecondsPerQuarter, 666666u);
  EXPECT_EQ(sequence.endTick, 1536u);
}

struct MalformedCase {
  const char* name;
  Bytes bytes;
  const char* expected;  // a piece of the message
};

TEST(MidiFileReader, RefusesMalformedFilesWithAReason) {
  TrackBody good;
  good.event(0, {0x90, 60, 100}).end(10);
  const Bytes goodFile = smfFile(0, 1, 480, {good});

  Bytes hugeChunk = goodFile;
  hugeChunk[18] = 0x7F;  // the track chunk's length claims far more than remains
  Bytes hugeHeader = goodFile;
  hugeHeader[4] = 0x10;
  Bytes fiveByteDelta = smfFile(0, 1, 480, {TrackBody{{0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 60, 1}}});
  Bytes longMeta = smfFile(0, 1, 480, {TrackBody{{0x00, 0xFF, 0x01, 0x20, 'a', 'b'}}});
  Bytes truncatedMessage = smfFile(0, 1, 480, {TrackBody{{0x00, 0x90, 60}}});
  Bytes statusInside = smfFile(0, 1, 480, {TrackBody{{0x00, 0x90, 60, 0x90, 0x00, 0x00}}});
  Bytes noStatus = smfFile(0, 1, 480, {TrackBody{{0x00, 60, 100}}});
  Bytes realTime = smfFile(0, 1, 480, {TrackBody{{0x00, 0xF8}}});
  Bytes longSysEx = smfFile(0, 1, 480, {TrackBody{{0x00, 0xF0, 0x7F, 0x01}}});
  Bytes hugeVlqLength = smfFile(0, 1, 480, {TrackBody{{0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}}});
  Bytes missingTrack = smfFile(1, 2, 480, {good});

  const MalformedCase cases[] = {
      {"empty", {}, "not a Standard MIDI File"},
      {"short", Bytes{'M', 'T', 'h', 'd', 0, 0}, "not a Standard MIDI File"},
      {"wrong magic", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0}, "not a Standard MIDI File"},
      {"header too long", hugeHeader, "header chunk"},
      {"header too short", test::chunk("MThd", Bytes{0, 0, 0, 1}), "header chunk"},
      {"format 2", smfFile(2, 1, 480, {good}), "format 2"},
      {"no tracks", smfFile(1, 0, 480, {}), "no tracks"},
      {"format 0 with two tracks", smfFile(0, 2, 480, {good, good}), "format 0"},
      {"zero division", smfFile(0, 1, 0, {good}), "division"},
      {"chunk past the end", hugeChunk, "claims"},
      {"missing track", missingTrack, "1 of 2 tracks"},
      {"delta of five bytes", fiveByteDelta, "longer than four bytes"},
      {"meta past the track", longMeta, "past the end"},
      {"truncated message", truncatedMessage, "truncated channel message"},
      {"status inside a message", statusInside, "inside a channel message"},
      {"data byte without status", noStatus, "without a status"},
      {"real-time byte in a file", realTime, "unexpected system message 0xF8"},
      {"sysex past the track", longSysEx, "past the end"},
      {"sysex length of five bytes", hugeVlqLength, "longer than four bytes"},
  };
  for (const MalformedCase& c : cases) {
    MidiSequence sequence;
    sequence.events.resize(3);
    std::string error;
    EXPECT_FALSE(parse(c.bytes, sequence, error)) << c.name;
    EXPECT_NE(error.find(c.expected), std::string::npos) << c.name << ": " << error;
    EXPECT_TRUE(sequence.events.empty()) << c.name;
  }
}

// Every prefix of a valid file, and many random corruptions of it, is either
// read or refused; under the address sanitizer this also proves that no byte
// outside the buffer is touched. Each piece is copied to a buffer of its own
// size so that a read past it would be seen.
TEST(MidiFileReader, SurvivesEveryTruncationAndRandomCorruption) {
  TrackBody conductor, music;
  conductor.tempo(0, 500000).event(0, {0xFF, 0x03, 2, 'h', 'i'}).tempo(200, 250000).end(10);
  music.event(0, {0xC0, 1})
      .event(0, {0x90, 60, 100})
      .event(0, {64, 100})
      .event(0x3FFF, {0xF0, 0x02, 0x01, 0xF7})
      .event(5, {0xE0, 1, 2})
      .event(5, {3, 4})
      .end();
  const Bytes file = smfFile(1, 2, 96, {conductor, music});
  MidiSequence sequence;
  std::string error;
  ASSERT_TRUE(parse(file, sequence, error)) << error;

  for (std::size_t length = 0; length < file.size(); ++length) {
    std::vector<std::uint8_t> piece(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_FALSE(parseMidiFile(piece.data(), piece.size(), sequence, error)) << "prefix " << length;
  }

  std::mt19937 random(7000);
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    Bytes corrupt = file;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int f = 0; f < flips; ++f) corrupt[random() % corrupt.size()] = static_cast<std::uint8_t>(random());
    if (parseMidiFile(corrupt.data(), corrupt.size(), sequence, error)) {
      ++accepted;
      for (const MidiEvent& e : sequence.events) {
        EXPECT_TRUE(e.bytes[0] & 0x80);
        EXPECT_TRUE(e.size == 2 || e.size == 3);
      }
    }
  }
  EXPECT_GT(accepted, 0);  // corruption of data bytes often leaves a valid file
}

TEST(MidiFileReader, RefusesMissingFilesAndFilesOverTheLimit) {
  MidiSequence sequence;
  std::string error;
  EXPECT_FALSE(readMidiFile("/nonexistent/file.mid", sequence, error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);

  // The size limit holds exactly, whatever the file's reported size.
  const std::string path = ::testing::TempDir() + "vt7000_bytes.bin";
  const std::vector<std::uint8_t> written(100000, 0x5A);
  ASSERT_TRUE(writeFileBytes(path, written.data(), written.size(), error)) << error;
  std::vector<std::uint8_t> read;
  EXPECT_TRUE(readFileBytes(path, written.size(), read, error)) << error;
  EXPECT_EQ(read, written);
  EXPECT_FALSE(readFileBytes(path, written.size() - 1, read, error));
  EXPECT_TRUE(read.empty());
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vt::render
