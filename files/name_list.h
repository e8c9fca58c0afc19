// A list of entry names found by a folder scan, with a capacity fixed when the
// list is made. Names are kept up to 254 characters; the scans do not list
// longer ones.
#pragma once

#include <cstddef>

namespace vt {

class NameList {
public:
  static constexpr int kMaxNameLength = 254;  // a name of 255 characters or more is not listed
  static constexpr int kNameSize = kMaxNameLength + 1;
  static constexpr int kExtensionSize = 16;  // a file's own spelling of its extension, e.g. "V7V"

  NameList() = default;  // holds nothing until reserve()
  // Room for 'capacity' names; a list whose storage could not be had holds none.
  explicit NameList(int capacity) { reserve(capacity); }
  ~NameList();

  NameList(const NameList&) = delete;
  NameList& operator=(const NameList&) = delete;

  int capacity() const { return storage ? maxCount : 0; }
  int count() const { return used; }
  bool isFull() const { return used >= capacity(); }
  // The name at 'index', or "" outside 0..count-1.
  const char* name(int index) const;
  // The extension as the file itself spells it ("" for folders or when not kept);
  // paths are built with it, so a file listed as Piano from Piano.V7V also
  // opens on file systems that tell case apart.
  const char* extension(int index) const;
  // Index of the first entry equal to 'text', or -1.
  int find(const char* text) const;

  // Makes room for 'capacity' names once; false when the storage cannot be had.
  bool reserve(int capacity);
  void clear() { used = 0; }
  // Appends the first 'length' characters of 'text' (and the file's own
  // extension, when given and short enough); false when the list is full or
  // the name is too long.
  bool add(const char* text, std::size_t length, const char* fileExtension = nullptr);

private:
  char* storage = nullptr;
  char* extensions = nullptr;
  int maxCount = 0;
  int used = 0;
};

}  // namespace vt
