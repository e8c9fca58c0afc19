// Input as the framework sees it, whatever the backend: mouse presses, moves
// and releases with the button/modifier bit set, keys, wheel steps and drops.
#pragma once

#include "gui/gui_types.h"

namespace vt::gui {

// The mouse button state bits: buttons and modifier keys. With the system's
// buttons swapped the backend reports the physical left button as kRight and
// vice versa, so the bits always mean the primary/secondary button.
enum ButtonBits : int {
  kLeftButton = 1,
  kMiddleButton = 2,
  kRightButton = 4,
  kShift = 8,
  kControl = 16,
  kAlt = 32,
  kDoubleClick = 64,  // set on the press that completes a double click
};
constexpr int kButtonMask = kLeftButton | kMiddleButton | kRightButton;
constexpr int kModifierMask = kShift | kControl | kAlt;

struct MouseEvent {
  Point where;      // in the coordinates of the view that receives the event
  int buttons = 0;  // ButtonBits: buttons held (for a press: the pressed one) plus modifiers
  bool isDoubleClick() const { return (buttons & kDoubleClick) != 0; }
};

// Keys that have no character of their own.
enum class VirtualKey : int {
  NoKey = 0,
  Backspace,
  Tab,
  Return,
  Escape,
  Space,
  Delete,
  Left,
  Right,
  Up,
  Down,
  Home,
  End,
  PageUp,
  PageDown,
};

struct KeyEvent {
  int character = 0;  // the typed character (Latin-1), 0 for none
  VirtualKey key = VirtualKey::NoKey;
  int modifiers = 0;  // kShift, kControl, kAlt
};

// What a drop carries: file names (already decoded to local paths) or text.
struct DropData {
  enum class Kind { Files, Text };
  Kind kind = Kind::Files;
  const char* const* names = nullptr;  // Files: count paths
  int count = 0;
  const char* text = nullptr;  // Text
};

// Receives drops on the frame: the data and the drop point in frame coordinates.
class DropHandler {
public:
  virtual ~DropHandler() = default;
  virtual void onDrop(const DropData& data, Point where) = 0;
};

}  // namespace vt::gui
