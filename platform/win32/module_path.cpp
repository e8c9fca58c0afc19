#include "platform/module_path.h"

#include <windows.h>

#include <cstring>

namespace vt {

char pathSeparator() { return '\\'; }

bool moduleDirectory(char* out, std::size_t size) {
  if (!out || size == 0) return false;
  out[0] = 0;
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&moduleDirectory), &module))
    return false;
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  char* cut = std::strrchr(path, '\\');
  char* slash = std::strrchr(path, '/');
  if (slash && (!cut || slash > cut)) cut = slash;
  if (!cut) return false;
  *cut = 0;
  if (std::strlen(path) + 1 > size) return false;
  std::memcpy(out, path, std::strlen(path) + 1);
  return true;
}

}  // namespace vt
