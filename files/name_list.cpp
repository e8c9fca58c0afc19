#include "files/name_list.h"

#include <cstring>
#include <new>

namespace vt {

bool NameList::reserve(int capacity) {
  if (storage) return capacity <= maxCount;
  if (capacity <= 0) return false;
  storage = new (std::nothrow) char[static_cast<std::size_t>(capacity) * kNameSize];
  if (storage) maxCount = capacity;
  return storage != nullptr;
}

NameList::~NameList() { delete[] storage; }

const char* NameList::name(int index) const {
  if (index < 0 || index >= used) return "";
  return storage + static_cast<std::size_t>(index) * kNameSize;
}

int NameList::find(const char* text) const {
  if (!text) return -1;
  for (int i = 0; i < used; ++i)
    if (std::strcmp(name(i), text) == 0) return i;
  return -1;
}

bool NameList::add(const char* text, std::size_t length) {
  if (!text || isFull() || length > static_cast<std::size_t>(kMaxNameLength)) return false;
  char* slot = storage + static_cast<std::size_t>(used) * kNameSize;
  std::memcpy(slot, text, length);
  slot[length] = 0;
  ++used;
  return true;
}

}  // namespace vt
