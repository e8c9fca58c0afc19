// The Win32 backend: a child window of class "Plugin%08x" titled "Window" in
// the host's window; its user data leads to this object and so to the frame.
// The surface reaches the screen through SetDIBitsToDevice (StretchDIBits
// where a driver refuses it); transparency is the surface's own work, so no
// msimg32 is needed. Mouse messages become frame events with the button bits
// and modifiers; drags hold the mouse capture (no modal loop). Option menus
// are TrackPopupMenu pop-ups with nested sub-menus; text entry is a native
// "EDIT" box that Enter or focus loss ends and Escape cancels; drops arrive
// through an OLE drop target or, without OLE, WM_DROPFILES. The host's
// message loop delivers our messages; idle only checks for a lost release.
// Window procedures and COM methods use the system's calling convention
// (__stdcall on i686).
#pragma once

#include <windows.h>

#include "gui/platform_window.h"

namespace vt::gui {

class Win32DropTarget;

class Win32Window : public PlatformWindow {
public:
  Win32Window(Frame& frame, HWND parent);
  ~Win32Window() override;

  bool isValid() const override { return window != nullptr; }
  void blit(const Surface& surface, const Rect* rects, int count) override;
  void flush() override;
  void pumpEvents() override;
  void captureMouse() override;
  void releaseMouse() override;
  bool showPopupMenu(OptionMenu& menu, const Rect& anchor) override;
  void cancelPopupMenu() override;
  bool beginNativeTextEntry(TextEdit& edit, const Rect& where) override;
  void endNativeTextEntry(char* text, int capacity) override;
  void takeKeyboardFocus() override;
  void releaseKeyboardFocus() override;
  int doubleClickTime() const override;
  int doubleClickDistance() const override;
  unsigned long milliseconds() const override;

  HWND handle() const { return window; }

  // The mouse buttons and modifier keys held now, read from the system
  // (physical buttons mapped through the system's button swap).
  static int systemButtonState();

private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void paintInvalid();
  void blitTo(HDC dc, const Surface& surface, const Rect& r);
  void mouseButton(UINT message, WPARAM wParam, LPARAM lParam);
  bool keyMessage(UINT message, WPARAM wParam);  // true when the frame took the key
  void closeEditBox();
  void detach();  // the window is being destroyed

  Frame& owner;
  HWND window = nullptr;
  const char* className = nullptr;
  bool oleStarted = false;
  Win32DropTarget* dropTarget = nullptr;
  bool shellDrops = false;  // WM_DROPFILES in place of OLE
  HDC paintDC = nullptr;    // set while WM_PAINT draws
  bool captured = false;
  unsigned long lastMessageTime = 0;

  // The pop-up menu while TrackPopupMenu runs.
  OptionMenu* popupTop = nullptr;
  bool* popupAlive = nullptr;  // cleared when this window goes during the menu

  // The native text entry.
  HWND editBox = nullptr;
  WNDPROC editDefaultProc = nullptr;
  HFONT editFont = nullptr;
  HBRUSH editBrush = nullptr;
  COLORREF editTextColor = 0;
  COLORREF editBackColor = 0;
  HWND focusBeforeEdit = nullptr;
  WPARAM editGeneration = 0;  // tells a stale "entry done" message from the current one
};

// Creates the Win32 child window (parent: the host's HWND).
PlatformWindow* createWin32Window(Frame& frame, void* parentWindow);

}  // namespace vt::gui
