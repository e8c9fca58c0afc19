// Writing a whole file so that the old one survives every failure. The bytes
// go into a new temporary file in the target's own folder (so that the final
// step stays on one file system), are flushed to the disk, and the temporary
// file is then renamed over the target in one step. A reader therefore finds
// either the complete old file or the complete new one, never a part.
#pragma once

#include <cstddef>

namespace vt {

// Writes 'size' bytes at 'data' to 'path', replacing the file there. On any
// failure (the folder cannot take a new file, the disk is full, the write or
// the rename fails) the temporary file is removed, the file at 'path' is left
// exactly as it was, and false is returned. An existing file's permissions
// are kept where the system has them.
bool writeFileAtomically(const char* path, const void* data, std::size_t size);

}  // namespace vt
