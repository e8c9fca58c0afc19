#include "platform/module_path.h"

#include <dlfcn.h>

#include <cstring>

namespace vt {

char pathSeparator() { return '/'; }

bool moduleDirectory(char* out, std::size_t size) {
  if (!out || size == 0) return false;
  out[0] = 0;
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&moduleDirectory), &info) == 0 || !info.dli_fname) return false;
  const char* path = info.dli_fname;
  const char* slash = std::strrchr(path, '/');
  if (!slash) return false;
  const std::size_t length = static_cast<std::size_t>(slash - path);
  if (length + 1 > size) return false;
  std::memcpy(out, path, length);
  out[length] = 0;
  return true;
}

}  // namespace vt
