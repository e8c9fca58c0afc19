#include "editor/voice_list.h"

#include <new>

#include "files/voice_library.h"

namespace vt {

VoiceList::VoiceList(const gui::Rect& size, gui::ControlListener* controlListener, int controlTag,
                     const gui::GuiBitmap* backgroundImage)
    : OptionMenu(size, controlListener, controlTag, backgroundImage) {}

void VoiceList::fill(const char* currentName, const VoiceLibrary* library) {
  removeAllEntries();
  addEntry(currentName ? currentName : "");
  topLevel = false;
  if (library && library->isValid()) {
    const int categories = library->categoryCount();
    if (categories == 0) {
      topLevel = true;
      for (int i = 0; i < library->topLevelCount(); ++i) addEntry(library->topLevelName(i));
    }
    for (int c = 0; c < categories; ++c) {
      auto* sub = new (std::nothrow) gui::OptionMenu(getViewSize(), nullptr, getTag());
      if (!sub) break;
      for (int i = 0; i < library->voiceCount(c); ++i) sub->addEntry(library->voiceName(c, i));
      if (!addEntry(sub, library->categoryName(c))) break;  // the menu took the sub-menu either way
    }
  }
  setCurrent(0);
}

bool VoiceList::chosenVoice(int& category, int& item) const {
  const gui::OptionMenu* menu = getLastMenu();
  const int index = getLastIndex();
  if (!menu || index < 0) return false;
  if (menu == this) {
    // The name entry is first; the root's files follow it.
    if (!topLevel || index == 0) return false;
    category = -1;
    item = index - 1;
    return true;
  }
  for (int e = 1; e < getNbEntries(); ++e)
    if (getSubMenu(e) == menu) {
      category = e - 1;
      item = index;
      return true;
    }
  return false;
}

bool VoiceList::chosenPath(const VoiceLibrary& library, char* out, int size) const {
  int category = 0, item = 0;
  if (!chosenVoice(category, item)) return false;
  return category < 0 ? library.topLevelVoicePath(item, out, size) : library.voicePath(category, item, out, size);
}

}  // namespace vt
