// The X11 backend: a child window of the window id the host passes to
// effEditOpen, on the editor's own display connection. The surface reaches the
// screen with XPutImage, or XShmPutImage where MIT-SHM works. Events are pumped
// when the host calls idle; drags grab the pointer; pop-up menus are drawn by
// the framework in override-redirect windows; text entry is the framework's
// own with keyboard focus; files and text are received through XDND. Every
// request runs under an error trap, so a parent the host destroyed first does
// not end the host. The X server applies the user's button mapping (swapped
// buttons) before events reach us, so button 1 is always the primary button.
#pragma once

#include <X11/Xlib.h>

#include "gui/drop_list.h"
#include "gui/platform_window.h"
#include "gui/popup_menu.h"

namespace vt::gui {

class X11Window : public PlatformWindow {
public:
  // allowSharedMemory false: always XPutImage (for tests of that path).
  X11Window(Frame& frame, void* parentWindow, bool allowSharedMemory = true);
  ~X11Window() override;

  bool isValid() const override { return window != 0; }
  void blit(const Surface& surface, const Rect* rects, int count) override;
  void flush() override;
  void pumpEvents() override;
  void captureMouse() override;
  void releaseMouse() override;
  bool showPopupMenu(OptionMenu& menu, const Rect& anchor) override;
  void cancelPopupMenu() override;
  void takeKeyboardFocus() override;
  void releaseKeyboardFocus() override;
  unsigned long milliseconds() const override;

  Display* display() const { return connection; }
  Window windowId() const { return window; }
  // True when blits go through MIT-SHM (else XPutImage).
  bool usesSharedMemory() const { return shared; }

private:
  struct Atoms;
  void handleEvent(XEvent& event);
  void handlePopupEvent(XEvent& event);
  void handleClientMessage(const XClientMessageEvent& message);
  void handleSelection(const XSelectionEvent& selection);
  void finishDrop(bool accepted);
  void createImage();
  void destroyImage();
  void putRect(const Surface& surface, const Rect& r);
  void syncPopupWindows();
  void drawPopupLevel(int level);
  void closePopup(bool chosen);
  int keyEventFrom(XKeyEvent& event, struct KeyEvent& key);

  Frame& owner;
  Display* connection = nullptr;
  Window parent = 0;
  Window window = 0;
  GC gc = nullptr;
  Visual* visual = nullptr;
  int depth = 0;
  XImage* image = nullptr;
  bool directImage = false;  // the surface's pixel layout is the visual's: no conversion
  bool shared = false;
  bool sharedAllowed = true;
  void* shmInfo = nullptr;  // XShmSegmentInfo when MIT-SHM is in use
  Atoms* atoms = nullptr;
  unsigned long lastEventTime = 0;
  bool grabbed = false;
  bool focused = false;

  // XDND state.
  Window dropSource = 0;
  unsigned long dropType = 0;  // Atom of the chosen target type
  int dropVersion = 0;
  Point dropPoint;
  bool dropAccepted = false;
  DropList dropList;

  // Pop-up menu.
  PopupMenu popup;
  OptionMenu* popupTop = nullptr;
  Window popupWindows[PopupMenu::kMaxLevels] = {};
  Rect popupRects[PopupMenu::kMaxLevels];
  Surface popupSurface;
  int popupOpenTicks = 0;
};

}  // namespace vt::gui
