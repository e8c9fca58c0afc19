// A voice's library menu on the morph page (tag 240 + v): first the voice's
// current name, then one sub-menu per category folder of the voice library
// holding its voice files (names without extension), or, without category
// folders, the voice files of the library's root. Choosing notifies the
// listener; chosenVoice tells which file was picked.
#pragma once

#include "gui/option_menu.h"

namespace vt {

class VoiceLibrary;

class VoiceList : public gui::OptionMenu {
public:
  VoiceList(const gui::Rect& size, gui::ControlListener* listener, int tag, const gui::GuiBitmap* background);

  // Rebuilds the entries; library may be null (the name alone).
  void fill(const char* currentName, const VoiceLibrary* library);
  // The library entry of the last choice: category (-1 for the root's own
  // files) and item; false when the choice was the name entry or nothing.
  bool chosenVoice(int& category, int& item) const;
  // Its path through the library; false when there is none.
  bool chosenPath(const VoiceLibrary& library, char* out, int size) const;

private:
  bool topLevel = false;  // the entries after the name are the root's own files
};

}  // namespace vt
