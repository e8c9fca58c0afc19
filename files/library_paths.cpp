#include "files/library_paths.h"

#include <cstring>

namespace vt {

namespace {

// Appends 'text' at 'length'; false when it would not fit with its terminating zero.
bool append(char* out, int size, int& length, const char* text) {
  const std::size_t n = std::strlen(text);
  if (static_cast<std::size_t>(length) + n + 1 > static_cast<std::size_t>(size)) return false;
  std::memcpy(out + length, text, n + 1);
  length += static_cast<int>(n);
  return true;
}

bool appendSeparator(char* out, int size, int& length, char separator) {
  const char text[2] = {separator, 0};
  return append(out, size, length, text);
}

bool isGiven(const char* part) { return part && part[0]; }

}  // namespace

bool joinLibraryPath(char* out, int size, char separator, const char* first, const char* second, const char* third,
                     const char* extension) {
  if (!out || size <= 0) return false;
  out[0] = 0;
  if (!isGiven(first) || !isGiven(second) || (third && !third[0]) || (extension && !extension[0])) return false;
  int length = 0;
  bool fits = append(out, size, length, first) && appendSeparator(out, size, length, separator) &&
              append(out, size, length, second);
  if (fits && third) fits = appendSeparator(out, size, length, separator) && append(out, size, length, third);
  if (fits && extension) fits = append(out, size, length, ".") && append(out, size, length, extension);
  if (!fits) out[0] = 0;
  return fits;
}

bool factoryInstrumentRoot(const char* dataRoot, char separator, char* out, int size) {
  return joinLibraryPath(out, size, separator, dataRoot, kDataFolderName, kFactoryInstrumentsFolderName);
}

bool voiceRoot(const char* dataRoot, char separator, char* out, int size) {
  return joinLibraryPath(out, size, separator, dataRoot, kDataFolderName, kVoicesFolderName);
}

bool resetFilePath(const char* dataRoot, char separator, char* out, int size) {
  return joinLibraryPath(out, size, separator, dataRoot, kResetFileName);
}

bool voiceMenuPath(const char* voicesRoot, char separator, const char* category, const char* item, char* out, int size,
                   const char* extension) {
  if (!isGiven(extension)) extension = kVoiceExtension;
  if (isGiven(category)) return joinLibraryPath(out, size, separator, voicesRoot, category, item, extension);
  return joinLibraryPath(out, size, separator, voicesRoot, item, nullptr, extension);
}

}  // namespace vt
