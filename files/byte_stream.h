// A cursor over a whole buffer of at most 16 MB holding little-endian 32-bit
// integers and floats, zero-terminated strings and breakpoint lists. Every
// file and the host chunk are read and written through it.
//
// The stream never reads past 'size' and never writes past its capacity: such
// a read returns 0 (an empty string, a refused list) and such a write stores
// nothing; either sets the stream's failed flag, which the reader or writer of
// the enclosing object turns into a failed read or write. A file is read whole
// into a buffer of its own size; a file being written collects its bytes in a
// buffer that grows as needed and reaches the disk on close(), in one piece
// and only if every write succeeded, replacing the old file in one step
// (platform/atomic_file_write.h) so that a failed write never costs it.
#pragma once

#include <cstdint>

#include "files/file_value_limits.h"

namespace vt {

class BreakpointCurve;

class ByteStream {
public:
  // 16 MB in every mode: room for the largest instrument (four voices of 8 x 2
  // full multisamples, about 12.7 MB) with a margin.
  static constexpr std::int32_t kCapacity = 16 * 1048576;
  static constexpr int kMaxListPoints = 128;  // points of one breakpoint list

  enum Mode : std::int32_t { ReadFile = 0, WriteFile = 1, ReadMemory = 2, WriteMemory = 3 };

  ByteStream() = default;
  ~ByteStream();  // closes a file still open and frees an owned buffer

  ByteStream(const ByteStream&) = delete;
  ByteStream& operator=(const ByteStream&) = delete;

  // Forgets everything without freeing (use on a fresh or released stream).
  void reset();

  // Reads the whole file into a freshly allocated buffer of the file's size.
  // Fails for a file that cannot be opened or read, is empty, or holds 16 MB
  // or more.
  bool openFileForReading(const char* path);
  // Collects written bytes (up to 16 MB) in a buffer that grows as needed;
  // close() writes them to the file.
  bool openFileForWriting(const char* path);
  // Reads 'byteCount' bytes at 'data' (borrowed, never freed by the stream).
  bool openMemoryForReading(const void* data, std::int32_t byteCount);
  // Writes to 'data' (borrowed), which holds 'capacity' bytes (at most 16 MB).
  bool openMemoryForWriting(void* data, std::int32_t capacity = kCapacity);

  // In write-file mode replaces the file with the collected bytes, all or
  // nothing: false, with the old file untouched, when a write was refused or
  // the file cannot be written. Frees an owned buffer, forgets a borrowed one.
  bool close();
  // Frees the buffer if the stream still holds one (after a failed open, at the end of every use).
  void release();

  std::int32_t writeInt(std::int32_t value);  // returns the new position
  std::int32_t writeFloat(float value);
  std::int32_t writeBool(bool value);
  std::int32_t writeString(const char* text);  // characters and one zero byte

  std::int32_t readInt();
  float readFloat();
  bool readBool();  // true for any non-zero value
  // Copies up to the first zero byte into 'text' (at most textSize - 1
  // characters, always terminated) and moves past the zero byte. A string
  // without a zero byte before 'size' fails and yields "".
  bool readString(char* text, int textSize);

  // n, then n x values, then n y values. n outside 0..128 fails with the curve
  // left empty. A curve that shares another curve's x axis still consumes its
  // n x values from the stream. The values are limited to 'limits' (finite,
  // inside the box, x non-decreasing; files/file_value_limits.h).
  bool readBreakpointList(BreakpointCurve& curve, const CurveLimits& limits = kAnyFiniteCurve);
  bool writeBreakpointList(const BreakpointCurve& curve);

  std::int32_t remaining() const { return size - position; }
  std::int32_t getPosition() const { return position; }
  std::int32_t getSize() const { return size; }
  Mode getMode() const { return mode; }
  const std::uint8_t* data() const { return buffer; }

  // True once a read past 'size' or a write past the capacity was refused.
  bool failed() const { return hasFailed; }

private:
  bool canRead(std::int32_t bytes);
  bool canWrite(std::int32_t bytes);
  bool grow(std::int32_t needed);  // write-file mode: room for 'needed' bytes in all
  bool isWriting() const { return mode == WriteFile || mode == WriteMemory; }

  char* filePath = nullptr;  // write-file mode: where close() puts the bytes
  std::int32_t position = 0;
  std::int32_t size = 0;
  std::uint8_t* buffer = nullptr;
  Mode mode = ReadFile;
  std::int32_t capacity = 0;
  bool ownsBuffer = false;
  bool hasFailed = false;
};

}  // namespace vt
