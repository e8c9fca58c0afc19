#include "plugin/chunk_buffer.h"

#include <new>

namespace vt {

ChunkBuffer::~ChunkBuffer() { delete[] block; }

bool ChunkBuffer::reserve(std::int32_t bytes) {
  if (bytes <= 0) return false;
  if (block && bytes <= blockSize && bytes >= blockSize / 2) return true;
  unsigned char* fresh = new (std::nothrow) unsigned char[static_cast<unsigned>(bytes)];
  if (!fresh) return false;
  delete[] block;
  block = fresh;
  blockSize = bytes;
  return true;
}

}  // namespace vt
