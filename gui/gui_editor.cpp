#include "gui/gui_editor.h"

#include <new>

#include "gui/frame.h"

namespace vt::gui {

namespace {

// The VST 2 editor key codes and modifier bits (effEditKeyDown).
enum VstKey : int {
  kVstBack = 1,
  kVstTab = 2,
  kVstReturn = 4,
  kVstEscape = 6,
  kVstSpace = 7,
  kVstEnd = 9,
  kVstHome = 10,
  kVstLeft = 11,
  kVstUp = 12,
  kVstRight = 13,
  kVstDown = 14,
  kVstPageUp = 15,
  kVstPageDown = 16,
  kVstEnter = 19,
  kVstDelete = 22,
};
enum VstModifier : int { kVstShift = 1, kVstAlternate = 2, kVstCommand = 4, kVstControl = 8 };

VirtualKey keyFromVst(int code) {
  switch (code) {
    case kVstBack:
      return VirtualKey::Backspace;
    case kVstTab:
      return VirtualKey::Tab;
    case kVstReturn:
    case kVstEnter:
      return VirtualKey::Return;
    case kVstEscape:
      return VirtualKey::Escape;
    case kVstSpace:
      return VirtualKey::Space;
    case kVstEnd:
      return VirtualKey::End;
    case kVstHome:
      return VirtualKey::Home;
    case kVstLeft:
      return VirtualKey::Left;
    case kVstUp:
      return VirtualKey::Up;
    case kVstRight:
      return VirtualKey::Right;
    case kVstDown:
      return VirtualKey::Down;
    case kVstPageUp:
      return VirtualKey::PageUp;
    case kVstPageDown:
      return VirtualKey::PageDown;
    case kVstDelete:
      return VirtualKey::Delete;
    default:
      return VirtualKey::NoKey;
  }
}

}  // namespace

GuiEditor::GuiEditor(vst2::AudioEffect* effect) : vst2::AEffEditor(effect), windowFactory(createNativeWindow) {}

GuiEditor::~GuiEditor() {
  // A subclass closes in its own destructor (its frameClosing is gone by now);
  // whatever is left is only freed here.
  delete frame;
  frame = nullptr;
}

void GuiEditor::setEditorRect(int width, int height) {
  rectangle.top = 0;
  rectangle.left = 0;
  rectangle.bottom = static_cast<decltype(rectangle.bottom)>(height);
  rectangle.right = static_cast<decltype(rectangle.right)>(width);
}

bool GuiEditor::getRect(vst2::ERect** rect) {
  if (!rect) return false;
  *rect = &rectangle;
  return true;
}

bool GuiEditor::open(void* parentWindow) {
  if (frame) close();
  systemWindow = parentWindow;
  frame =
      new (std::nothrow) Frame(Rect(0, 0, rectangle.right - rectangle.left, rectangle.bottom - rectangle.top), this);
  bool ok = frame && frame->surface().isValid() && buildFrame(*frame);
  ok = ok && frame->open(parentWindow, windowFactory);
  if (!ok) {
    if (frame) {
      frameClosing(*frame);
      delete frame;
      frame = nullptr;
    }
    systemWindow = nullptr;
    return false;
  }
  frame->redrawAll();  // drawn and flushed before the host gets the answer
  return true;
}

void GuiEditor::close() {
  if (frame) {
    frameClosing(*frame);
    delete frame;
    frame = nullptr;
  }
  systemWindow = nullptr;
}

void GuiEditor::idle() {
  if (frame) frame->idle();
}

bool GuiEditor::setKnobMode(int mode) {
  knobMode = mode;
  return true;
}

bool GuiEditor::onKeyDown(int character, int virtualKey, int modifiers) {
  if (!frame) return false;
  KeyEvent key;
  key.character = character;
  key.key = keyFromVst(virtualKey);
  if (modifiers & kVstShift) key.modifiers |= kShift;
  if (modifiers & kVstAlternate) key.modifiers |= kAlt;
  if (modifiers & (kVstControl | kVstCommand)) key.modifiers |= kControl;
  return frame->keyDown(key);
}

bool GuiEditor::onWheel(float) { return false; }

void GuiEditor::beginEdit(int) {}
void GuiEditor::endEdit(int) {}

}  // namespace vt::gui
