#include "analysis/byte_source.h"

#include <cstring>

namespace vt::analysis {

namespace {

// Large-file seeking and telling: long is 32 bits on Windows.
bool seekTo(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool seekToEnd(std::FILE* file, std::uint64_t* size) {
#ifdef _WIN32
  if (_fseeki64(file, 0, SEEK_END) != 0) return false;
  const __int64 end = _ftelli64(file);
#else
  if (fseeko(file, 0, SEEK_END) != 0) return false;
  const off_t end = ftello(file);
#endif
  if (end < 0) return false;
  *size = static_cast<std::uint64_t>(end);
  return true;
}

}  // namespace

bool ByteSource::openFile(const char* path) {
  close();
  if (path == nullptr) return false;
  file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  std::uint64_t end = 0;
  if (!seekToEnd(file, &end) || !seekTo(file, 0)) {
    close();
    return false;
  }
  length = end;
  filePosition = 0;
  return true;
}

void ByteSource::openMemory(const std::uint8_t* data, std::size_t size) {
  close();
  static const std::uint8_t kNothing = 0;
  memory = data != nullptr ? data : &kNothing;
  length = data != nullptr ? size : 0;
}

void ByteSource::close() {
  if (file != nullptr) std::fclose(file);
  file = nullptr;
  memory = nullptr;
  length = 0;
  filePosition = 0;
}

bool ByteSource::read(std::uint64_t offset, void* destination, std::size_t count) {
  if (!isOpen() || offset > length || count > length - offset) return false;
  if (count == 0) return true;
  if (memory != nullptr) {
    std::memcpy(destination, memory + offset, count);
    return true;
  }
  if (offset != filePosition && !seekTo(file, offset)) return false;
  const std::size_t got = std::fread(destination, 1, count, file);
  filePosition = offset + got;
  if (got != count) {
    // Leave the stream in a known place after a short read.
    std::clearerr(file);
    filePosition = ~std::uint64_t{0};
    return false;
  }
  return true;
}

}  // namespace vt::analysis
