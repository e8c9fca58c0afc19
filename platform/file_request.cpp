#include <cctype>
#include <cstring>

#include "platform/file_chooser.h"

namespace vt {

namespace {

const char* const kAudioPatterns[] = {"wav", "aif", "aiff"};

bool sameIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  return *a == *b;
}

}  // namespace

FileRequest fileRequestFor(const char* extension) {
  FileRequest request;
  request.extension = extension ? extension : "";
  if (sameIgnoringCase(request.extension, "wav")) {
    // Import reads AIFF as well as WAV, so the dialog offers both.
    for (const char* pattern : kAudioPatterns) request.patterns[request.patternCount++] = pattern;
  } else {
    request.patterns[request.patternCount++] = request.extension;
  }
  return request;
}

bool fileMatchesRequest(const char* name, const FileRequest& request) {
  if (!name) return false;
  const char* dot = std::strrchr(name, '.');
  if (!dot) return false;
  for (int i = 0; i < request.patternCount; ++i)
    if (request.patterns[i] && sameIgnoringCase(dot + 1, request.patterns[i])) return true;
  return false;
}

}  // namespace vt
