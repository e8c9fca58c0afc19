// The block of memory that getChunk hands to the host. It is sized to the
// instrument record being written rather than held at the largest size an
// instrument can reach (16 MB), so that an instance costs only what its
// instrument needs. The host may read the block until the next getChunk.
#pragma once

#include <cstdint>

namespace vt {

class ChunkBuffer {
public:
  ChunkBuffer() = default;
  ~ChunkBuffer();

  ChunkBuffer(const ChunkBuffer&) = delete;
  ChunkBuffer& operator=(const ChunkBuffer&) = delete;

  // Makes room for 'bytes' bytes: a new block when the current one is too
  // small or more than twice as large as needed. False when 'bytes' is not
  // positive or the allocation fails; the current block and its content are
  // kept then.
  bool reserve(std::int32_t bytes);

  unsigned char* data() const { return block; }
  std::int32_t capacity() const { return blockSize; }

private:
  unsigned char* block = nullptr;
  std::int32_t blockSize = 0;
};

}  // namespace vt
