#include "tools/render/midi_file_reader.h"

#include <algorithm>
#include <cstring>

#include "tools/render/file_bytes.h"

namespace vt::render {

namespace {

constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::uint32_t kMinHeaderLength = 6;
constexpr int kMaxVlqBytes = 4;  // 28 bits: the largest number the format allows
constexpr std::uint8_t kMetaEvent = 0xFF;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint8_t kMetaTempo = 0x51;
constexpr std::uint8_t kSysEx = 0xF0;
constexpr std::uint8_t kSysExContinuation = 0xF7;

// A bounds-checked cursor over a byte range: every read reports whether the
// bytes were there.
class ByteCursor {
public:
  ByteCursor(const std::uint8_t* bytes, std::size_t size, std::size_t base) : bytes(bytes), size(size), base(base) {}

  std::size_t remaining() const { return size - position; }
  // Offset of the cursor within the whole file, for messages.
  std::size_t fileOffset() const { return base + position; }
  const std::uint8_t* current() const { return bytes + position; }

  bool readByte(std::uint8_t& value) {
    if (position >= size) return false;
    value = bytes[position++];
    return true;
  }
  bool readBigEndian(int count, std::uint32_t& value) {
    if (remaining() < static_cast<std::size_t>(count)) return false;
    value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | bytes[position++];
    return true;
  }
  bool skip(std::size_t count) {
    if (count > remaining()) return false;
    position += count;
    return true;
  }
  // Variable-length quantity: seven bits per byte, high bit set on all but the
  // last. 'tooLong' tells a fifth continuation apart from running out of bytes.
  bool readVariableLength(std::uint32_t& value, bool& tooLong) {
    value = 0;
    tooLong = false;
    for (int i = 0; i < kMaxVlqBytes; ++i) {
      std::uint8_t b;
      if (!readByte(b)) return false;
      value = (value << 7) | (b & 0x7Fu);
      if (!(b & 0x80)) return true;
    }
    tooLong = true;
    return false;
  }

private:
  const std::uint8_t* bytes;
  std::size_t size;
  std::size_t base;
  std::size_t position = 0;
};

std::string hexByte(std::uint8_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text = "0x";
  text += kDigits[value >> 4];
  text += kDigits[value & 15];
  return text;
}

// Data bytes that follow a channel status: two for all but program change
// and channel pressure.
int channelDataBytes(std::uint8_t status) {
  const std::uint8_t kind = status & 0xF0;
  return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

struct TrackResult {
  std::uint64_t endTick = 0;
};

class TrackParser {
public:
  TrackParser(int trackNumber, MidiSequence& sequence, std::string& error)
      : trackNumber(trackNumber), sequence(sequence), error(error) {}

  bool parse(ByteCursor cursor, TrackResult& result) {
    std::uint64_t tick = 0;
    std::uint8_t runningStatus = 0;
    while (cursor.remaining() > 0) {
      std::uint32_t delta;
      bool tooLong;
      if (!cursor.readVariableLength(delta, tooLong))
        return fail(cursor, tooLong ? "delta time longer than four bytes" : "truncated delta time");
      tick += delta;

      std::uint8_t lead;
      if (!cursor.readByte(lead)) return fail(cursor, "truncated event");

      if (lead == kMetaEvent) {
        runningStatus = 0;
        std::uint8_t type;
        std::uint32_t length;
        if (!cursor.readByte(type)) return fail(cursor, "truncated meta event");
        if (!cursor.readVariableLength(length, tooLong))
          return fail(cursor, tooLong ? "meta event length longer than four bytes" : "truncated meta event");
        if (length > cursor.remaining()) return fail(cursor, "meta event runs past the end of its track");
        if (type == kMetaEndOfTrack) break;
        if (type == kMetaTempo && length >= 3) {
          const std::uint8_t* p = cursor.current();
          const std::uint32_t microseconds = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
          // A zero tempo would put every later event at one instant; ignore it.
          if (microseconds > 0) sequence.tempoChanges.push_back(TempoChange{tick, microseconds});
        }
        cursor.skip(length);
      } else if (lead == kSysEx || lead == kSysExContinuation) {
        runningStatus = 0;
        std::uint32_t length;
        if (!cursor.readVariableLength(length, tooLong))
          return fail(cursor,
                      tooLong ? "system exclusive length longer than four bytes" : "truncated system exclusive event");
        if (!cursor.skip(length)) return fail(cursor, "system exclusive event runs past the end of its track");
      } else if (lead >= 0xF0) {
        return fail(cursor, "unexpected system message " + hexByte(lead));
      } else {
        MidiEvent event;
        event.tick = tick;
        int index = 1;
        if (lead & 0x80) {
          runningStatus = lead;
          event.bytes[0] = lead;
        } else {
          if (!runningStatus) return fail(cursor, "data byte " + hexByte(lead) + " without a status");
          event.bytes[0] = runningStatus;
          event.bytes[1] = lead;
          index = 2;
        }
        const int size = 1 + channelDataBytes(event.bytes[0]);
        for (; index < size; ++index) {
          std::uint8_t data;
          if (!cursor.readByte(data)) return fail(cursor, "truncated channel message");
          if (data & 0x80) return fail(cursor, "status byte " + hexByte(data) + " inside a channel message");
          event.bytes[index] = data;
        }
        event.size = static_cast<std::uint8_t>(size);
        if (sequence.events.size() >= kMaxMidiEvents)
          return fail(cursor, "more than " + std::to_string(kMaxMidiEvents) + " events");
        sequence.events.push_back(event);
      }
    }
    result.endTick = tick;
    return true;
  }

private:
  bool fail(const ByteCursor& cursor, const std::string& what) {
    error =
        "track " + std::to_string(trackNumber) + ": " + what + " (byte " + std::to_string(cursor.fileOffset()) + ")";
    return false;
  }

  int trackNumber;
  MidiSequence& sequence;
  std::string& error;
};

bool parseTimeDivision(std::uint32_t division, MidiSequence& sequence, std::string& error) {
  if (division & 0x8000) {
    // SMPTE: the high byte is minus the frame rate, the low byte ticks per frame.
    const int framesPerSecond = -static_cast<int>(static_cast<std::int8_t>(division >> 8));
    const int ticksPerFrame = static_cast<int>(division & 0xFF);
    if ((framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 && framesPerSecond != 30) ||
        ticksPerFrame == 0) {
      error = "unsupported SMPTE time division " + std::to_string(division);
      return false;
    }
    const double rate = framesPerSecond == 29 ? 29.97 : framesPerSecond;
    sequence.ticksPerQuarter = 0;
    sequence.smpteTicksPerSecond = rate * ticksPerFrame;
    return true;
  }
  if (division == 0) {
    error = "time division of zero ticks per quarter note";
    return false;
  }
  sequence.ticksPerQuarter = static_cast<int>(division);
  sequence.smpteTicksPerSecond = 0.0;
  return true;
}

bool parseInto(const std::uint8_t* data, std::size_t size, MidiSequence& sequence, std::string& error) {
  if (!data && size) {
    error = "no data";
    return false;
  }
  ByteCursor file(data, size, 0);
  std::uint32_t length = 0;
  if (size < kChunkHeaderBytes || std::memcmp(data, "MThd", 4) != 0) {
    error = "not a Standard MIDI File (no MThd header)";
    return false;
  }
  file.skip(4);
  file.readBigEndian(4, length);
  if (length < kMinHeaderLength || length > file.remaining()) {
    error = "header chunk of " + std::to_string(length) + " bytes does not fit the file";
    return false;
  }
  std::uint32_t format, trackCount, division;
  file.readBigEndian(2, format);
  file.readBigEndian(2, trackCount);
  file.readBigEndian(2, division);
  file.skip(length - kMinHeaderLength);

  if (format > 1) {
    error = "format " + std::to_string(format) + " is not supported (only formats 0 and 1)";
    return false;
  }
  if (trackCount == 0) {
    error = "the file declares no tracks";
    return false;
  }
  if (format == 0 && trackCount != 1) {
    error = "format 0 file declares " + std::to_string(trackCount) + " tracks";
    return false;
  }
  if (!parseTimeDivision(division, sequence, error)) return false;
  sequence.format = static_cast<int>(format);
  sequence.trackCount = static_cast<int>(trackCount);

  std::uint32_t tracksRead = 0;
  while (tracksRead < trackCount) {
    if (file.remaining() < kChunkHeaderBytes) {
      error = "file ends after " + std::to_string(tracksRead) + " of " + std::to_string(trackCount) + " tracks";
      return false;
    }
    const std::size_t chunkOffset = file.fileOffset();
    const bool isTrack = std::memcmp(file.current(), "MTrk", 4) == 0;
    file.skip(4);
    file.readBigEndian(4, length);
    if (length > file.remaining()) {
      error = "chunk at byte " + std::to_string(chunkOffset) + " claims " + std::to_string(length) +
              " bytes but only " + std::to_string(file.remaining()) + " remain";
      return false;
    }
    if (isTrack) {
      TrackParser parser(static_cast<int>(tracksRead) + 1, sequence, error);
      TrackResult result;
      if (!parser.parse(ByteCursor(file.current(), length, file.fileOffset()), result)) return false;
      sequence.endTick = std::max(sequence.endTick, result.endTick);
      ++tracksRead;
    }
    // Chunks of unknown type are skipped, as the format asks of readers.
    file.skip(length);
  }

  // Tracks were appended one after the other: a stable sort by tick merges
  // them and keeps track and file order among messages at the same tick.
  std::stable_sort(sequence.events.begin(), sequence.events.end(),
                   [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
  std::stable_sort(sequence.tempoChanges.begin(), sequence.tempoChanges.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  return true;
}

}  // namespace

bool parseMidiFile(const std::uint8_t* data, std::size_t size, MidiSequence& sequence, std::string& error) {
  sequence = MidiSequence();
  if (parseInto(data, size, sequence, error)) return true;
  sequence = MidiSequence();
  return false;
}

bool readMidiFile(const std::string& path, MidiSequence& sequence, std::string& error) {
  std::vector<std::uint8_t> bytes;
  if (!readFileBytes(path, kMaxMidiFileBytes, bytes, error)) {
    sequence = MidiSequence();
    return false;
  }
  if (!parseMidiFile(bytes.data(), bytes.size(), sequence, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

}  // namespace vt::render
