#include "files/byte_stream.h"

#include <cmath>
#include <cstring>
#include <new>

#include "engine/breakpoint_curve.h"

namespace vt {

namespace {

constexpr std::int32_t kWordBytes = 4;

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

float finiteOrZero(float value) { return std::isfinite(value) ? value : 0.0f; }

}  // namespace

ByteStream::~ByteStream() {
  if (file) std::fclose(file);
  file = nullptr;
  release();
}

void ByteStream::reset() {
  file = nullptr;
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
  file = std::fopen(path, "rb");
  if (!file) return false;
  buffer = new (std::nothrow) std::uint8_t[kCapacity];
  ownsBuffer = buffer != nullptr;
  const std::size_t got = buffer ? std::fread(buffer, 1, kCapacity, file) : 0;
  if (got < 1 || got >= static_cast<std::size_t>(kCapacity)) {
    // Empty, unreadable or 1 MB and more: nothing is parsed.
    std::fclose(file);
    file = nullptr;
    release();
    return false;
  }
  size = static_cast<std::int32_t>(got);
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
  buffer = new (std::nothrow) std::uint8_t[kCapacity];
  if (!buffer) return false;
  ownsBuffer = true;
  file = std::fopen(path, "wb");
  if (!file) {
    release();
    return false;
  }
  capacity = kCapacity;
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
  if (mode == WriteFile && file && buffer && position > 0)
    ok = std::fwrite(buffer, 1, static_cast<std::size_t>(position), file) == static_cast<std::size_t>(position);
  if (file) {
    if (std::fclose(file) != 0) ok = false;
    file = nullptr;
  }
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

bool ByteStream::canWrite(std::int32_t bytes) {
  if (!buffer || !isWriting() || bytes < 0 || position < 0 || bytes > capacity - position) {
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

bool ByteStream::readBreakpointList(BreakpointCurve& curve) {
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
  // A NaN or infinite value would poison every sum it reaches (and the effect
  // units' memories after it); it is read as 0.
  for (std::int32_t i = 0; i < n; ++i) xValues[i] = finiteOrZero(readFloat());
  for (std::int32_t i = 0; i < n; ++i) yValues[i] = finiteOrZero(readFloat());
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
