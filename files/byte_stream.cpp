#include "files/byte_stream.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "engine/breakpoint_curve.h"
#include "platform/atomic_file_write.h"

namespace vt {

namespace {

constexpr std::int32_t kWordBytes = 4;
// The first buffer of a file being written; it doubles as the record grows.
constexpr std::int32_t kFirstFileBufferBytes = 64 * 1024;

std::uint32_t floatBits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  return bits;
}

float bitsToFloat(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

}  // namespace

ByteStream::~ByteStream() {
  delete[] filePath;
  filePath = nullptr;
  release();
}

void ByteStream::reset() {
  filePath = nullptr;
  position = 0;
  size = 0;
  buffer = nullptr;
  mode = ReadFile;
  capacity = 0;
  ownsBuffer = false;
  hasFailed = false;
}

bool ByteStream::openFileForReading(const char* path) {
  close();
  release();
  reset();
  mode = ReadFile;
  if (!path) return false;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  // The buffer takes the file's size: 16 MB of room is never held for a small file.
  long length = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
  bool ok = length >= 1 && length < static_cast<long>(kCapacity) && std::fseek(file, 0, SEEK_SET) == 0;
  if (ok) {
    buffer = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(length)];
    ownsBuffer = buffer != nullptr;
    ok = buffer && std::fread(buffer, 1, static_cast<std::size_t>(length), file) == static_cast<std::size_t>(length);
  }
  std::fclose(file);
  if (!ok) {
    // Empty, unreadable or 16 MB and more: nothing is parsed.
    release();
    return false;
  }
  size = static_cast<std::int32_t>(length);
  capacity = size;
  position = 0;
  return true;
}

bool ByteStream::openFileForWriting(const char* path) {
  close();
  release();
  reset();
  mode = WriteFile;
  if (!path) return false;
  const std::size_t length = std::strlen(path);
  filePath = new (std::nothrow) char[length + 1];
  if (!filePath) return false;
  std::memcpy(filePath, path, length + 1);
  ownsBuffer = true;  // the buffer comes with the first write (grow)
  return true;
}

bool ByteStream::openMemoryForReading(const void* data, std::int32_t byteCount) {
  close();
  release();
  reset();
  mode = ReadMemory;
  buffer = static_cast<std::uint8_t*>(const_cast<void*>(data));
  size = (data && byteCount > 0) ? byteCount : 0;
  capacity = size;
  return true;
}

bool ByteStream::openMemoryForWriting(void* data, std::int32_t bufferCapacity) {
  close();
  release();
  reset();
  mode = WriteMemory;
  buffer = static_cast<std::uint8_t*>(data);
  capacity = data ? bufferCapacity : 0;
  if (capacity < 0) capacity = 0;
  if (capacity > kCapacity) capacity = kCapacity;
  return true;
}

bool ByteStream::close() {
  bool ok = true;
  if (mode == WriteFile && filePath) {
    // All or nothing: a record that did not fit is not written at all.
    ok = !hasFailed && writeFileAtomically(filePath, buffer, static_cast<std::size_t>(position));
  }
  delete[] filePath;
  filePath = nullptr;
  if (ownsBuffer) release();
  buffer = nullptr;
  return ok;
}

void ByteStream::release() {
  if (ownsBuffer) delete[] buffer;
  buffer = nullptr;
  ownsBuffer = false;
}

bool ByteStream::canRead(std::int32_t bytes) {
  if (!buffer || isWriting() || bytes < 0 || position < 0 || bytes > size - position) {
    hasFailed = true;
    return false;
  }
  return true;
}

bool ByteStream::grow(std::int32_t needed) {
  if (mode != WriteFile || !ownsBuffer || needed > kCapacity) return false;
  std::int32_t grown = capacity > 0 ? capacity : kFirstFileBufferBytes;
  while (grown < needed) grown = grown > kCapacity / 2 ? kCapacity : 2 * grown;
  std::uint8_t* larger = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(grown)];
  if (!larger) return false;
  if (buffer && position > 0) std::memcpy(larger, buffer, static_cast<std::size_t>(position));
  delete[] buffer;
  buffer = larger;
  capacity = grown;
  return true;
}

bool ByteStream::canWrite(std::int32_t bytes) {
  if (!isWriting() || bytes < 0 || position < 0 || bytes > kCapacity - position) {
    hasFailed = true;
    return false;
  }
  if ((!buffer || bytes > capacity - position) && !grow(position + bytes)) {
    hasFailed = true;
    return false;
  }
  return true;
}

std::int32_t ByteStream::writeInt(std::int32_t value) {
  if (!canWrite(kWordBytes)) return position;
  const std::uint32_t bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < kWordBytes; ++i) buffer[position + i] = static_cast<std::uint8_t>(bits >> (8 * i));
  position += kWordBytes;
  return position;
}

std::int32_t ByteStream::writeFloat(float value) { return writeInt(static_cast<std::int32_t>(floatBits(value))); }

std::int32_t ByteStream::writeBool(bool value) { return writeInt(value ? 1 : 0); }

std::int32_t ByteStream::writeString(const char* text) {
  const std::size_t length = text ? std::strlen(text) : 0;
  if (length >= static_cast<std::size_t>(kCapacity) || !canWrite(static_cast<std::int32_t>(length) + 1)) {
    hasFailed = true;
    return position;
  }
  if (length > 0) std::memcpy(buffer + position, text, length);
  buffer[position + static_cast<std::int32_t>(length)] = 0;
  position += static_cast<std::int32_t>(length) + 1;
  return position;
}

std::int32_t ByteStream::readInt() {
  if (!canRead(kWordBytes)) return 0;
  std::uint32_t bits = 0;
  for (int i = 0; i < kWordBytes; ++i) bits |= static_cast<std::uint32_t>(buffer[position + i]) << (8 * i);
  position += kWordBytes;
  return static_cast<std::int32_t>(bits);
}

float ByteStream::readFloat() { return bitsToFloat(static_cast<std::uint32_t>(readInt())); }

bool ByteStream::readBool() { return readInt() != 0; }

bool ByteStream::readString(char* text, int textSize) {
  if (text && textSize > 0) text[0] = 0;
  if (!canRead(1)) return false;
  const void* end = std::memchr(buffer + position, 0, static_cast<std::size_t>(size - position));
  if (!end) {
    hasFailed = true;
    return false;
  }
  const std::int32_t length = static_cast<std::int32_t>(static_cast<const std::uint8_t*>(end) - (buffer + position));
  if (text && textSize > 0) {
    const std::int32_t kept = length < textSize - 1 ? length : textSize - 1;
    if (kept > 0) std::memcpy(text, buffer + position, static_cast<std::size_t>(kept));
    text[kept] = 0;
  }
  position += length + 1;
  return true;
}

bool ByteStream::readBreakpointList(BreakpointCurve& curve, const CurveLimits& limits) {
  const std::int32_t n = readInt();
  if (hasFailed || n < 0 || n > kMaxListPoints || n > curve.capacity()) {
    curve.reset();
    return false;
  }
  if (!canRead(2 * kWordBytes * n)) {
    curve.reset();
    return false;
  }
  float xValues[kMaxListPoints];
  float yValues[kMaxListPoints];
  // A NaN, infinite or absurd value would poison every sum it reaches (and the
  // effect units' memories after it); every value is limited on the way in.
  const float yFallback = limitFileValue(0.0f, limits.minY, limits.maxY, limits.minY);
  float previousX = limits.minX;
  for (std::int32_t i = 0; i < n; ++i) {
    const float nanX = i > 0 ? previousX : limitFileValue(0.0f, limits.minX, limits.maxX, limits.minX);
    const float x = limitFileValue(readFloat(), previousX, limits.maxX, nanX);
    xValues[i] = x;
    previousX = x;
  }
  for (std::int32_t i = 0; i < n; ++i) yValues[i] = limitFileValue(readFloat(), limits.minY, limits.maxY, yFallback);
  return curve.assign(n, xValues, yValues);
}

bool ByteStream::writeBreakpointList(const BreakpointCurve& curve) {
  const int n = curve.count();
  if (!canWrite(kWordBytes * (1 + 2 * n))) return false;
  writeInt(n);
  for (int i = 0; i < n; ++i) writeFloat(curve.x(i));
  for (int i = 0; i < n; ++i) writeFloat(curve.y(i));
  return true;
}

}  // namespace vt
