#include "tools/render/file_bytes.h"

#include <cstdio>

#include "platform/atomic_file_write.h"

namespace vt::render {

bool readFileBytes(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes,
                   std::string& error) {
  bytes.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  // Read in pieces rather than trusting a size query: the limit holds for
  // pipes and special files too.
  constexpr std::size_t kPiece = 64 * 1024;
  bool ok = true;
  for (;;) {
    const std::size_t before = bytes.size();
    if (before > maxBytes) {
      error = path + " is larger than " + std::to_string(maxBytes) + " bytes";
      ok = false;
      break;
    }
    bytes.resize(before + kPiece);
    const std::size_t got = std::fread(bytes.data() + before, 1, kPiece, file);
    bytes.resize(before + got);
    if (got < kPiece) {
      if (std::ferror(file)) {
        error = "cannot read " + path;
        ok = false;
      } else if (bytes.size() > maxBytes) {
        error = path + " is larger than " + std::to_string(maxBytes) + " bytes";
        ok = false;
      }
      break;
    }
  }
  std::fclose(file);
  if (!ok) bytes.clear();
  return ok;
}

bool writeFileBytes(const std::string& path, const void* data, std::size_t size, std::string& error) {
  if (!writeFileAtomically(path.c_str(), data, size)) {
    error = "cannot write " + path + " (an existing file there is left as it was)";
    return false;
  }
  return true;
}

}  // namespace vt::render
