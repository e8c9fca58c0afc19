#include "platform/atomic_file_write.h"

#include <windows.h>

#include <cstring>

namespace vt {

namespace {

// The largest piece handed to one WriteFile call.
constexpr DWORD kWritePiece = 1u << 20;

// The folder part of 'path' ("." when it has none), false when it does not fit.
bool folderOf(const char* path, char* folder, std::size_t folderSize) {
  const char* slash = nullptr;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') slash = p;
  if (!slash) {
    if (folderSize < 2) return false;
    std::strcpy(folder, ".");
    return true;
  }
  std::size_t length = static_cast<std::size_t>(slash - path);
  if (length == 0 || (length == 2 && path[1] == ':')) ++length;  // keep the root's separator
  if (length + 1 > folderSize) return false;
  std::memcpy(folder, path, length);
  folder[length] = 0;
  return true;
}

bool writeAll(HANDLE file, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD piece = size < kWritePiece ? static_cast<DWORD>(size) : kWritePiece;
    DWORD written = 0;
    if (!WriteFile(file, bytes, piece, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

}  // namespace

bool writeFileAtomically(const char* path, const void* data, std::size_t size) {
  if (!path || !path[0] || (size > 0 && !data)) return false;
  char folder[MAX_PATH];
  if (!folderOf(path, folder, sizeof(folder))) return false;

  // GetTempFileNameA creates the (empty) temporary file in the target's folder.
  char temporary[MAX_PATH];
  if (GetTempFileNameA(folder, "vt7", 0, temporary) == 0) return false;

  HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileA(temporary);
    return false;
  }
  bool ok = writeAll(file, data, size) && FlushFileBuffers(file);
  if (!CloseHandle(file)) ok = false;
  // A plain rename fails over an existing file on Windows; this replaces it.
  if (ok) ok = MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) {
    DeleteFileA(temporary);
    return false;
  }
  return true;
}

}  // namespace vt
