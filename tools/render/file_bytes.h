// Whole-file reads and writes for the render host's inputs and outputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vt::render {

// Reads the whole file into 'bytes'. Files larger than maxBytes are refused.
bool readFileBytes(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes, std::string& error);

// Writes 'size' bytes to 'path', replacing the file only once the new bytes
// are completely on disk; on failure an existing file stays as it was.
bool writeFileBytes(const std::string& path, const void* data, std::size_t size, std::string& error);

}  // namespace vt::render
