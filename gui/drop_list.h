// The file names or text of a drop, decoded from what the drag source sent:
// a text/uri-list (one URI a line, '#' lines are comments; file:// URIs with
// an empty or "localhost" host become local paths, %XX escapes decoded; other
// URIs are skipped) or plain text. Names longer than 1023 characters and
// lists past kMaxNames are cut; nothing is read past the given size.
#pragma once

#include <cstddef>

#include "gui/gui_events.h"

namespace vt::gui {

class DropList {
public:
  static constexpr int kMaxNames = 256;
  static constexpr int kNameLength = 1024;  // terminator included
  static constexpr std::size_t kMaxText = 65536;

  DropList();
  ~DropList();
  DropList(const DropList&) = delete;
  DropList& operator=(const DropList&) = delete;

  // Parses a uri-list; returns the number of file names found.
  int parseUriList(const char* data, std::size_t size);
  // Takes plain text (cut to kMaxText - 1 bytes).
  bool setText(const char* data, std::size_t size);
  void clear();

  // The drop as the frame's handler receives it.
  DropData data() const;
  int count() const { return nameCount; }
  const char* name(int i) const { return i >= 0 && i < nameCount ? names[i] : nullptr; }

private:
  bool addUri(const char* uri, std::size_t length);

  char* names[kMaxNames];
  int nameCount = 0;
  char* text = nullptr;
};

}  // namespace vt::gui
