// A cursor over a whole buffer of at most 1 MB holding little-endian 32-bit
// integers and floats, zero-terminated strings and breakpoint lists. Every
// file and the host chunk are read and written through it.
//
// The stream never reads past 'size' and never writes past its capacity: such
// a read returns 0 (an empty string, a refused list) and such a write stores
// nothing; either sets the stream's failed flag, which the reader or writer of
// the enclosing object turns into a failed read or write. Files are read and
// written with standard C buffered I/O, whole, in one call each.
#pragma once

#include <cstdint>
#include <cstdio>

namespace vt {

class BreakpointCurve;

class ByteStream {
public:
  static constexpr std::int32_t kCapacity = 1048576;  // 1 MB in every mode
  static constexpr int kMaxListPoints = 128;          // points of one breakpoint list

  enum Mode : std::int32_t { ReadFile = 0, WriteFile = 1, ReadMemory = 2, WriteMemory = 3 };

  ByteStream() = default;
  ~ByteStream();  // closes a file still open and frees an owned buffer

  ByteStream(const ByteStream&) = delete;
  ByteStream& operator=(const ByteStream&) = delete;

  // Forgets everything without freeing (use on a fresh or released stream).
  void reset();

  // Reads the whole file into a freshly allocated 1 MB buffer. Fails for a
  // file that cannot be opened, is empty, or holds 1 MB or more.
  bool openFileForReading(const char* path);
  // Collects written bytes in a 1 MB buffer; close() writes them to the file.
  bool openFileForWriting(const char* path);
  // Reads 'byteCount' bytes at 'data' (borrowed, never freed by the stream).
  bool openMemoryForReading(const void* data, std::int32_t byteCount);
  // Writes to 'data' (borrowed), which holds 'capacity' bytes (at most 1 MB).
  bool openMemoryForWriting(void* data, std::int32_t capacity = kCapacity);

  // In write-file mode writes the collected bytes (false when that fails);
  // closes the file, frees an owned buffer and forgets a borrowed one.
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
  // n x values from the stream. A NaN or infinite value is read as 0.
  bool readBreakpointList(BreakpointCurve& curve);
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
  bool isWriting() const { return mode == WriteFile || mode == WriteMemory; }

  std::FILE* file = nullptr;
  std::int32_t position = 0;
  std::int32_t size = 0;
  std::uint8_t* buffer = nullptr;
  Mode mode = ReadFile;
  std::int32_t capacity = 0;
  bool ownsBuffer = false;
  bool hasFailed = false;
};

}  // namespace vt
