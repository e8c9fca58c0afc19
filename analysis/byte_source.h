// Bounded random-access reading of a file or of bytes in memory: every read
// names its offset and length and fails, reading nothing, when that range is
// not wholly inside the source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace vt::analysis {

class ByteSource {
public:
  ByteSource() = default;
  ~ByteSource() { close(); }
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;

  // Opens a file read-only; false when it cannot be opened or sized.
  bool openFile(const char* path);
  // Reads from 'size' bytes at 'data', which must outlive the source.
  void openMemory(const std::uint8_t* data, std::size_t size);
  void close();

  bool isOpen() const { return file != nullptr || memory != nullptr; }
  std::uint64_t size() const { return length; }

  // Copies bytes [offset, offset + count) to 'destination'; false when the
  // range reaches past the end or the file read fails.
  bool read(std::uint64_t offset, void* destination, std::size_t count);

private:
  std::FILE* file = nullptr;
  const std::uint8_t* memory = nullptr;
  std::uint64_t length = 0;
  std::uint64_t filePosition = 0;  // where the next fread starts
};

}  // namespace vt::analysis
