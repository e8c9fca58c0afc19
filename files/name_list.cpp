#include "files/name_list.h"

#include <cstring>
#include <new>

namespace vt {

bool NameList::reserve(int capacity) {
  if (storage) return capacity <= maxCount;
  if (capacity <= 0) return false;
  storage = new (std::nothrow) char[static_cast<std::size_t>(capacity) * kNameSize];
  extensions = new (std::nothrow) char[static_cast<std::size_t>(capacity) * kExtensionSize];
  if (!storage || !extensions) {
    delete[] storage;
    delete[] extensions;
    storage = nullptr;
    extensions = nullptr;
    return false;
  }
  maxCount = capacity;
  return true;
}

NameList::~NameList() {
  delete[] storage;
  delete[] extensions;
}

const char* NameList::name(int index) const {
  if (index < 0 || index >= used) return "";
  return storage + static_cast<std::size_t>(index) * kNameSize;
}

const char* NameList::extension(int index) const {
  if (index < 0 || index >= used) return "";
  return extensions + static_cast<std::size_t>(index) * kExtensionSize;
}

int NameList::find(const char* text) const {
  if (!text) return -1;
  for (int i = 0; i < used; ++i)
    if (std::strcmp(name(i), text) == 0) return i;
  return -1;
}

bool NameList::add(const char* text, std::size_t length, const char* fileExtension) {
  if (!text || isFull() || length > static_cast<std::size_t>(kMaxNameLength)) return false;
  char* slot = storage + static_cast<std::size_t>(used) * kNameSize;
  std::memcpy(slot, text, length);
  slot[length] = 0;
  char* extensionSlot = extensions + static_cast<std::size_t>(used) * kExtensionSize;
  extensionSlot[0] = 0;
  if (fileExtension && std::strlen(fileExtension) < static_cast<std::size_t>(kExtensionSize))
    std::memcpy(extensionSlot, fileExtension, std::strlen(fileExtension) + 1);
  ++used;
  return true;
}

}  // namespace vt
