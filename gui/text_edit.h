// A text field. A click opens an entry over the field: a native edit box
// where the backend has one (Win32 "EDIT"), else the framework's own entry
// (X11, headless) with keyboard focus. Enter or losing focus takes the text
// (at most 255 characters) and notifies the listener; Escape restores the
// text it had.
#pragma once

#include "gui/param_display.h"

namespace vt::gui {

class TextEdit : public ParamDisplay {
public:
  static constexpr int kMaxLength = 255;

  TextEdit(const Rect& size, ControlListener* listener, int tag, const char* text = "",
           const GuiBitmap* background = nullptr, int style = 0);

  void draw(DrawContext& context) override;
  MouseResult onMouseDown(const MouseEvent& event) override;

  // Sets the text (cut to 255 characters) and marks dirty; no notification. UI thread.
  void setText(const char* text);
  const char* getText() const { return text; }

  // Called by the frame when an entry ends: commit takes newText and notifies.
  void entryFinished(bool commit, const char* newText);
  bool isEditingText() const { return entryOpen; }

private:
  friend class Frame;
  char text[kMaxLength + 1];
  bool entryOpen = false;
};

}  // namespace vt::gui
