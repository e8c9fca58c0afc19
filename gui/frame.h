// The top-level container: holds the editor's surface (its whole picture),
// owns the platform window, knows its editor, dispatches input (drag capture,
// keyboard focus, the framework's text entry and pop-up results) and the drop
// handler. Drawing happens on the UI thread only, in redraw(): the dirty views
// are collected, their rectangles redrawn into the surface (background and
// every view that meets them, in order) and just those rectangles are blitted.
#pragma once

#include "gui/text_entry.h"
#include "gui/view_container.h"

namespace vt::gui {

class Control;
class GuiBitmap;
class GuiEditor;
class OptionMenu;
class PlatformWindow;
class TextEdit;

class Frame : public ViewContainer {
public:
  static constexpr int kMaxDirtyRects = 64;

  Frame(const Rect& size, GuiEditor* editor);
  ~Frame() override;  // destroys the views, then the platform window

  // Creates the platform window inside parentWindow through factory; false on failure.
  bool open(void* parentWindow, PlatformWindow* (*factory)(Frame&, void*));
  // Uses a window already made (tests): the frame owns it.
  bool open(PlatformWindow* window);
  bool isOpen() const { return window != nullptr; }
  PlatformWindow* platformWindow() const { return window; }
  GuiEditor* getEditor() const { return editor; }
  Surface& surface() { return picture; }
  const Surface& surface() const { return picture; }

  // Pumps the backend's events, redraws what is dirty and flushes (the editor's idle).
  void idle();
  // Redraws every dirty view into the surface and blits the changed rectangles.
  // Returns how many rectangles were redrawn.
  int redraw();
  // Redraws the whole picture now and blits it (open and expose).
  void redrawAll();
  // Redraws a region (frame coordinates) into the surface without blitting.
  void drawRegion(const Rect& area);
  // The last redraw's rectangles (for tests and benchmarks).
  int lastRedrawCount() const { return lastCount; }
  const Rect* lastRedrawRects() const { return lastRects; }

  void setDropHandler(DropHandler* handler) { dropHandler = handler; }
  DropHandler* getDropHandler() const { return dropHandler; }

  // ---- Input from the backend (frame coordinates, ButtonBits) ----
  void mouseDown(Point where, int buttons);
  void mouseMoved(Point where, int buttons);
  void mouseUp(Point where, int buttons);
  // Any pointer capture ends now (window hidden, grab broken).
  void cancelMouse();
  bool keyDown(const KeyEvent& key);
  bool wheel(Point where, float distance, int modifiers);
  void drop(const DropData& data, Point where);
  // The window needs these pixels again (expose / WM_PAINT): blits from the surface.
  void paint(const Rect& area);
  // The window lost the keyboard: an open text entry commits.
  void focusLost();

  // ---- Services for controls ----
  // The view that follows the current drag (nullptr when none).
  View* mouseCaptureView() const { return captureView; }
  // A press on view asked to follow the drag (the innermost view wins).
  void captureFor(View* view);
  // Pop-up for an option menu at the control (frame coordinates).
  bool popupMenu(OptionMenu& menu);
  // A pop-up choice arrived: menu (the top menu or a sub-menu of it) and its entry;
  // menu nullptr: the pop-up closed without a choice.
  void menuChosen(OptionMenu& topMenu, OptionMenu* menu, int index);
  // Opens the text entry for a field (native or the framework's own).
  bool beginTextEntry(TextEdit& edit);
  // Ends the open text entry: commit takes its text, else the field keeps its old text.
  void endTextEntry(bool commit);
  TextEdit* textEntryField() const { return entryField; }
  const TextEntry& textEntry() const { return entry; }
  // A view is going away: forget it as capture or entry target.
  void forgetView(View* view);

  void draw(DrawContext& context) override;

private:
  void dispatchEntryKey(const KeyEvent& key);

  GuiEditor* editor;
  PlatformWindow* window = nullptr;
  Surface picture;
  DropHandler* dropHandler = nullptr;
  View* captureView = nullptr;
  Point captureOrigin;               // frame offset of the captured view's parent
  OptionMenu* popupOwner = nullptr;  // the menu whose pop-up is showing
  TextEdit* entryField = nullptr;
  bool nativeEntry = false;
  TextEntry entry;
  Rect lastRects[kMaxDirtyRects];
  int lastCount = 0;
  // Double-click detection.
  unsigned long lastPressTime = 0;
  Point lastPressPoint;
  int lastPressButton = 0;
  bool havePress = false;
};

}  // namespace vt::gui
