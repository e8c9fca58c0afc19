#include "gui/drop_list.h"

#include <cstring>
#include <new>

namespace vt::gui {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool startsWithNoCase(const char* s, std::size_t n, const char* prefix) {
  const std::size_t p = std::strlen(prefix);
  if (n < p) return false;
  for (std::size_t i = 0; i < p; ++i) {
    char a = s[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != prefix[i]) return false;
  }
  return true;
}

}  // namespace

DropList::DropList() {
  for (char*& n : names) n = nullptr;
}

DropList::~DropList() { clear(); }

void DropList::clear() {
  for (int i = 0; i < nameCount; ++i) {
    delete[] names[i];
    names[i] = nullptr;
  }
  nameCount = 0;
  delete[] text;
  text = nullptr;
}

bool DropList::addUri(const char* uri, std::size_t length) {
  if (nameCount >= kMaxNames || !startsWithNoCase(uri, length, "file:")) return false;
  std::size_t i = 5;
  if (length >= i + 2 && uri[i] == '/' && uri[i + 1] == '/') {
    // file://host/path: only this machine's files.
    i += 2;
    const std::size_t hostStart = i;
    while (i < length && uri[i] != '/') ++i;
    const std::size_t hostLength = i - hostStart;
    if (hostLength != 0 && !(hostLength == 9 && startsWithNoCase(uri + hostStart, hostLength, "localhost")))
      return false;
  }
  if (i >= length || uri[i] != '/') return false;
  char* name = new (std::nothrow) char[kNameLength];
  if (!name) return false;
  std::size_t out = 0;
  for (; i < length && out + 1 < static_cast<std::size_t>(kNameLength); ++i) {
    char c = uri[i];
    if (c == '%' && i + 2 < length && hexValue(uri[i + 1]) >= 0 && hexValue(uri[i + 2]) >= 0) {
      c = static_cast<char>(hexValue(uri[i + 1]) * 16 + hexValue(uri[i + 2]));
      i += 2;
    }
    if (c == 0) break;  // an encoded NUL would cut the name anyway
    name[out++] = c;
  }
  name[out] = 0;
  names[nameCount++] = name;
  return true;
}

int DropList::parseUriList(const char* data, std::size_t size) {
  clear();
  if (!data) return 0;
  std::size_t start = 0;
  while (start < size) {
    std::size_t end = start;
    while (end < size && data[end] != '\n' && data[end] != '\r' && data[end] != 0) ++end;
    std::size_t a = start, b = end;
    while (a < b && (data[a] == ' ' || data[a] == '\t')) ++a;
    while (b > a && (data[b - 1] == ' ' || data[b - 1] == '\t')) --b;
    if (b > a && data[a] != '#') addUri(data + a, b - a);
    if (end < size && data[end] == 0) break;
    start = end + 1;
  }
  return nameCount;
}

bool DropList::setText(const char* data, std::size_t size) {
  clear();
  if (!data) return false;
  if (size > kMaxText - 1) size = kMaxText - 1;
  text = new (std::nothrow) char[size + 1];
  if (!text) return false;
  std::memcpy(text, data, size);
  text[size] = 0;
  return true;
}

DropData DropList::data() const {
  DropData d;
  if (text) {
    d.kind = DropData::Kind::Text;
    d.text = text;
  } else {
    d.kind = DropData::Kind::Files;
    d.names = names;
    d.count = nameCount;
  }
  return d;
}

}  // namespace vt::gui
