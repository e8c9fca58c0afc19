// What a backend provides for a frame: the native window inside the host's
// window, copying dirty rectangles of the frame's surface to the screen, the
// mouse capture during drags, pop-up menus, text entry and event pumping.
// The backend turns native input into the frame's events (Frame::mouseDown,
// mouseMoved, mouseUp, keyDown, wheel, drop, paint, focusLost). Backends:
// gui/headless (tests), gui/x11 (Linux), gui/win32 (Windows).
//
// Contract for a backend: create the window as a child of the host's window
// (createNativeWindow); report presses with the pressed button's bit plus the
// modifiers, moves with the held buttons, releases with the buttons still held
// afterwards; during captureMouse every pointer event goes to the frame even
// outside the window; blit may be called for any rectangles of the frame's
// surface at any time on the UI thread; a pop-up may answer before
// showPopupMenu returns (modal native menus) or later from pumpEvents.
#pragma once

#include "gui/gui_types.h"

namespace vt::gui {

class Frame;
class OptionMenu;
class Surface;
class TextEdit;

class PlatformWindow {
public:
  virtual ~PlatformWindow() = default;

  // True once the native window exists.
  virtual bool isValid() const = 0;
  // Copies these rectangles (frame coordinates) of the surface to the window now.
  virtual void blit(const Surface& surface, const Rect* rects, int count) = 0;
  // Waits until the window system has processed everything sent (XSync / GdiFlush).
  virtual void flush() = 0;
  // Delivers pending native events to the frame (called at idle).
  virtual void pumpEvents() = 0;

  // A drag started / ended: route every pointer event to this window meanwhile.
  virtual void captureMouse() = 0;
  virtual void releaseMouse() = 0;

  // Shows the menu as a pop-up below anchor (frame coordinates). The choice, if
  // any, comes back later (or before returning, on systems with modal menus)
  // through Frame::menuChosen. False if no pop-up could be shown.
  virtual bool showPopupMenu(OptionMenu& menu, const Rect& anchor) = 0;
  // Closes a showing pop-up without a choice (its control is going away).
  virtual void cancelPopupMenu() {}

  // A native text entry over the control (the field's text, font, colours and
  // alignment); false means the frame draws its own. When the box reports Enter
  // or loses focus the backend calls Frame::endTextEntry(true) (Escape: false).
  virtual bool beginNativeTextEntry(TextEdit& /*edit*/, const Rect& /*where*/) { return false; }
  // The frame ends the native entry: copy its text (capacity bytes with the
  // terminator) and destroy the box.
  virtual void endNativeTextEntry(char* text, int /*capacity*/) { text[0] = 0; }
  // The frame wants the keyboard (its own text entry is open) or gives it back.
  virtual void takeKeyboardFocus() {}
  virtual void releaseKeyboardFocus() {}

  // The system's double-click interval in milliseconds and distance in pixels.
  virtual int doubleClickTime() const { return 400; }
  virtual int doubleClickDistance() const { return 4; }
  // Milliseconds from an arbitrary start, monotonic (for double clicks and repeats).
  virtual unsigned long milliseconds() const;
};

// Creates the backend window for a frame inside parentWindow (native handle or X11 window id).
using WindowFactory = PlatformWindow* (*)(Frame& frame, void* parentWindow);

// The platform's own backend (X11 on Linux, Win32 on Windows).
PlatformWindow* createNativeWindow(Frame& frame, void* parentWindow);

}  // namespace vt::gui
