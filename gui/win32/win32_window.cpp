#include "gui/win32/win32_window.h"

#include <windowsx.h>

#include <new>

#include "gui/bitmap_font.h"
#include "gui/frame.h"
#include "gui/option_menu.h"
#include "gui/text_edit.h"
#include "gui/win32/win32_drop_target.h"
#include "gui/win32/win32_window_class.h"

namespace vt::gui {

namespace {

// Posted by the edit box: Enter (lParam 1), Escape (0) or focus loss (1);
// wParam is the entry's generation so that a late message for a box already
// gone does nothing.
constexpr UINT kEntryDone = WM_APP + 0x51;
// Sub-menus nest at most this deep (a menu that holds itself stops here).
constexpr int kMaxMenuDepth = 8;
// Choosable entries of one pop-up, sub-menus included.
constexpr int kMaxMenuChoices = 8 * OptionMenu::kMaxEntries;
// The edit box's font is never smaller than this (pixels).
constexpr int kMinEditFontHeight = 8;

COLORREF colorRef(Color c) { return RGB(redOf(c), greenOf(c), blueOf(c)); }

bool altHeld() { return GetKeyState(VK_MENU) < 0; }

// Buttons and modifiers of a mouse message's key state. The system has
// already applied a button swap to messages: MK_LBUTTON is the primary button.
int bitsFromKeyState(WPARAM keys) {
  int bits = 0;
  if (keys & MK_LBUTTON) bits |= kLeftButton;
  if (keys & MK_MBUTTON) bits |= kMiddleButton;
  if (keys & MK_RBUTTON) bits |= kRightButton;
  if (keys & MK_SHIFT) bits |= kShift;
  if (keys & MK_CONTROL) bits |= kControl;
  if (altHeld()) bits |= kAlt;
  return bits;
}

VirtualKey virtualKeyFrom(WPARAM code) {
  switch (code) {
    case VK_BACK:
      return VirtualKey::Backspace;
    case VK_TAB:
      return VirtualKey::Tab;
    case VK_RETURN:
      return VirtualKey::Return;
    case VK_ESCAPE:
      return VirtualKey::Escape;
    case VK_DELETE:
      return VirtualKey::Delete;
    case VK_LEFT:
      return VirtualKey::Left;
    case VK_RIGHT:
      return VirtualKey::Right;
    case VK_UP:
      return VirtualKey::Up;
    case VK_DOWN:
      return VirtualKey::Down;
    case VK_HOME:
      return VirtualKey::Home;
    case VK_END:
      return VirtualKey::End;
    case VK_PRIOR:
      return VirtualKey::PageUp;
    case VK_NEXT:
      return VirtualKey::PageDown;
    default:
      return VirtualKey::NoKey;
  }
}

int keyModifiers() {
  int bits = 0;
  if (GetKeyState(VK_SHIFT) < 0) bits |= kShift;
  if (GetKeyState(VK_CONTROL) < 0) bits |= kControl;
  if (altHeld()) bits |= kAlt;
  return bits;
}

// The entries of a pop-up that can be chosen, by command id (id = index + 1).
struct MenuChoices {
  struct Choice {
    OptionMenu* menu;
    int index;
  };
  Choice* items = nullptr;
  int count = 0;

  MenuChoices() : items(new (std::nothrow) Choice[kMaxMenuChoices]) {}
  ~MenuChoices() { delete[] items; }
  MenuChoices(const MenuChoices&) = delete;
  MenuChoices& operator=(const MenuChoices&) = delete;

  // A native pop-up for menu and its sub-menus; nullptr when none could be made.
  HMENU build(OptionMenu& menu, int depth) {
    HMENU handle = CreatePopupMenu();
    if (!handle) return nullptr;
    char text[OptionMenu::kEntryLength];
    char shown[2 * OptionMenu::kEntryLength];
    const int current = menu.getCurrent();
    for (int i = 0; i < menu.getNbEntries(); ++i) {
      if (menu.isSeparator(i)) {
        AppendMenuA(handle, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      if (!menu.getDisplayText(i, text)) continue;
      // '&' would underline the next letter: show it as itself.
      int n = 0;
      for (const char* c = text; *c && n + 2 < static_cast<int>(sizeof(shown)); ++c) {
        if (*c == '&') shown[n++] = '&';
        shown[n++] = *c;
      }
      shown[n] = 0;
      if (OptionMenu* sub = menu.getSubMenu(i)) {
        if (depth + 1 >= kMaxMenuDepth) continue;
        HMENU child = build(*sub, depth + 1);
        if (child && !AppendMenuA(handle, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(child), shown))
          DestroyMenu(child);
        continue;
      }
      if (!items || count >= kMaxMenuChoices) break;
      items[count] = Choice{&menu, i};
      ++count;
      AppendMenuA(handle, MF_STRING | (i == current ? MF_CHECKED : MF_UNCHECKED), static_cast<UINT_PTR>(count), shown);
    }
    return handle;
  }
};

}  // namespace

PlatformWindow* createWin32Window(Frame& frame, void* parentWindow) {
  Win32Window* w = new (std::nothrow) Win32Window(frame, static_cast<HWND>(parentWindow));
  if (w && !w->isValid()) {
    delete w;
    return nullptr;
  }
  return w;
}

PlatformWindow* createNativeWindow(Frame& frame, void* parentWindow) { return createWin32Window(frame, parentWindow); }

Win32Window::Win32Window(Frame& frame, HWND parent) : owner(frame) {
  if (!parent || !IsWindow(parent)) return;
  // S_OK and S_FALSE both count and are balanced at the end; a thread already
  // in the multi-threaded apartment refuses, and drops then use WM_DROPFILES.
  oleStarted = SUCCEEDED(OleInitialize(nullptr));
  className = Win32WindowClass::acquire(windowProc);
  if (!className) return;
  CreateWindowExA(0, className, "Window", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                  frame.getWidth(), frame.getHeight(), parent, nullptr, Win32WindowClass::moduleInstance(), this);
  // WM_NCCREATE stored the handle; nothing more to do when creation failed.
  if (!window) return;
  if (oleStarted) {
    dropTarget = new (std::nothrow) Win32DropTarget(frame, window);
    if (dropTarget && FAILED(RegisterDragDrop(window, dropTarget))) {
      dropTarget->detach();
      dropTarget->Release();
      dropTarget = nullptr;
    }
  }
  if (!dropTarget) {
    DragAcceptFiles(window, TRUE);
    shellDrops = true;
  }
}

Win32Window::~Win32Window() {
  if (popupAlive) {
    // Gone while TrackPopupMenu runs: it must not report to us when it returns.
    *popupAlive = false;
    popupAlive = nullptr;
    EndMenu();
  }
  if (window) {
    HWND hwnd = window;
    closeEditBox();
    if (dropTarget) RevokeDragDrop(hwnd);
    if (captured) {
      captured = false;
      if (GetCapture() == hwnd) ReleaseCapture();
    }
    // Our procedure no longer reaches this object.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    window = nullptr;
    DestroyWindow(hwnd);
  }
  if (dropTarget) {
    dropTarget->detach();
    dropTarget->Release();
    dropTarget = nullptr;
  }
  if (className) Win32WindowClass::release();
  if (oleStarted) OleUninitialize();
}

void Win32Window::detach() {
  // The host destroyed its window (and so ours) before closing the editor.
  if (editBox) owner.endTextEntry(true);
  closeEditBox();
  if (dropTarget) {
    RevokeDragDrop(window);
    dropTarget->detach();
    dropTarget->Release();
    dropTarget = nullptr;
  }
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  window = nullptr;
  if (captured) {
    captured = false;
    owner.cancelMouse();
  }
}

// ---- Pixels ----

void Win32Window::blitTo(HDC dc, const Surface& surface, const Rect& r) {
  // The rectangle's rows as a top-down DIB of the surface's width: the
  // surface's 0xAARRGGBB words are the DIB's blue, green, red, unused bytes.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = surface.width();
  info.bmiHeader.biHeight = -r.height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const void* bits = surface.row(r.top);
  const UINT lines = static_cast<UINT>(r.height());
  if (SetDIBitsToDevice(dc, r.left, r.top, static_cast<DWORD>(r.width()), static_cast<DWORD>(r.height()), r.left, 0, 0,
                        lines, bits, &info, DIB_RGB_COLORS) == 0)
    StretchDIBits(dc, r.left, r.top, r.width(), r.height(), r.left, 0, r.width(), r.height(), bits, &info,
                  DIB_RGB_COLORS, SRCCOPY);
}

void Win32Window::blit(const Surface& surface, const Rect* rects, int count) {
  if (!window || !surface.isValid()) return;
  HDC dc = paintDC ? paintDC : GetDC(window);
  if (!dc) return;
  const Rect all(0, 0, owner.getWidth(), owner.getHeight());
  for (int i = 0; i < count; ++i) {
    const Rect r = rects[i].intersect(all).intersect(surface.bounds());
    if (!r.isEmpty()) blitTo(dc, surface, r);
  }
  if (!paintDC) ReleaseDC(window, dc);
}

void Win32Window::flush() { GdiFlush(); }

void Win32Window::paintInvalid() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (!dc) return;
  paintDC = dc;
  owner.paint(Rect(ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom));
  paintDC = nullptr;
  EndPaint(window, &ps);
}

// ---- Input ----

int Win32Window::systemButtonState() {
  // GetAsyncKeyState reports the physical buttons: with swapped buttons the
  // physical right one is the primary.
  const bool swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
  int bits = 0;
  if (GetAsyncKeyState(swapped ? VK_RBUTTON : VK_LBUTTON) < 0) bits |= kLeftButton;
  if (GetAsyncKeyState(VK_MBUTTON) < 0) bits |= kMiddleButton;
  if (GetAsyncKeyState(swapped ? VK_LBUTTON : VK_RBUTTON) < 0) bits |= kRightButton;
  if (GetAsyncKeyState(VK_SHIFT) < 0) bits |= kShift;
  if (GetAsyncKeyState(VK_CONTROL) < 0) bits |= kControl;
  if (GetAsyncKeyState(VK_MENU) < 0) bits |= kAlt;
  return bits;
}

void Win32Window::mouseButton(UINT message, WPARAM wParam, LPARAM lParam) {
  const Point p(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  int bit = 0;
  bool down = false;
  switch (message) {
    case WM_LBUTTONDOWN:
      down = true;
      [[fallthrough]];
    case WM_LBUTTONUP:
      bit = kLeftButton;
      break;
    case WM_MBUTTONDOWN:
      down = true;
      [[fallthrough]];
    case WM_MBUTTONUP:
      bit = kMiddleButton;
      break;
    case WM_RBUTTONDOWN:
      down = true;
      [[fallthrough]];
    case WM_RBUTTONUP:
      bit = kRightButton;
      break;
    default:
      return;
  }
  const int state = bitsFromKeyState(wParam);
  if (down)
    owner.mouseDown(p, bit | (state & kModifierMask));
  else
    owner.mouseUp(p, state & ~bit);  // the buttons still held
}

bool Win32Window::keyMessage(UINT message, WPARAM wParam) {
  KeyEvent key;
  key.modifiers = keyModifiers();
  if (message == WM_CHAR) {
    // Control characters come as their keys (WM_KEYDOWN).
    if (wParam < 0x20 || wParam == 0x7F || wParam > 0xFF) return false;
    key.character = static_cast<int>(wParam);
    if (wParam == ' ') key.key = VirtualKey::Space;
  } else {
    key.key = virtualKeyFrom(wParam);
    if (key.key == VirtualKey::NoKey) return false;
  }
  return owner.keyDown(key);
}

void Win32Window::captureMouse() {
  if (!window) return;
  captured = true;
  SetCapture(window);
}

void Win32Window::releaseMouse() {
  if (!captured) return;
  captured = false;  // first: ReleaseCapture reports WM_CAPTURECHANGED at once
  if (window && GetCapture() == window) ReleaseCapture();
}

void Win32Window::pumpEvents() {
  // The host's message loop delivers our messages. One thing it cannot: a
  // release while another window took the capture without telling us.
  if (captured && window && GetCapture() != window && !(systemButtonState() & kButtonMask)) {
    captured = false;
    owner.cancelMouse();
  }
}

void Win32Window::takeKeyboardFocus() {
  if (window) SetFocus(window);
}

void Win32Window::releaseKeyboardFocus() {}

int Win32Window::doubleClickTime() const { return static_cast<int>(GetDoubleClickTime()); }

int Win32Window::doubleClickDistance() const {
  // The system's double-click rectangle is centred on the first press.
  const int width = GetSystemMetrics(SM_CXDOUBLECLK);
  return width > 1 ? width / 2 : 2;
}

unsigned long Win32Window::milliseconds() const {
  return lastMessageTime ? lastMessageTime : static_cast<unsigned long>(GetTickCount());
}

// ---- Pop-up menus ----

bool Win32Window::showPopupMenu(OptionMenu& menu, const Rect& anchor) {
  if (!window || popupAlive) return false;
  MenuChoices choices;
  if (!choices.items) return false;
  HMENU handle = choices.build(menu, 0);
  if (!handle) return false;
  POINT at{anchor.left, anchor.bottom};
  ClientToScreen(window, &at);
  if (captured) releaseMouse();
  bool alive = true;
  popupAlive = &alive;
  popupTop = &menu;
  // TrackPopupMenu runs its own loop until the menu closes; the host's other
  // windows keep being served meanwhile.
  const int id = static_cast<int>(TrackPopupMenu(
      handle, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTBUTTON | TPM_RIGHTBUTTON, at.x,
      at.y, 0, window, nullptr));
  DestroyMenu(handle);
  if (!alive) return true;  // this window went away while the menu showed
  popupAlive = nullptr;
  OptionMenu* top = popupTop;
  popupTop = nullptr;
  OptionMenu* chosen = nullptr;
  int index = -1;
  if (id > 0 && id <= choices.count) {
    chosen = choices.items[id - 1].menu;
    index = choices.items[id - 1].index;
  }
  if (top) owner.menuChosen(*top, chosen, index);
  return true;
}

void Win32Window::cancelPopupMenu() {
  // The control goes away: the menu closes and its answer is dropped.
  if (!popupTop) return;
  popupTop = nullptr;
  EndMenu();
}

// ---- Text entry ----

bool Win32Window::beginNativeTextEntry(TextEdit& edit, const Rect& where) {
  if (!window) return false;
  closeEditBox();
  DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
  switch (edit.getHoriAlign()) {
    case HoriAlign::Left:
      style |= ES_LEFT;
      break;
    case HoriAlign::Center:
      style |= ES_CENTER;
      break;
    case HoriAlign::Right:
      style |= ES_RIGHT;
      break;
  }
  HWND box = CreateWindowExA(0, "EDIT", edit.getText(), style, where.left, where.top, where.width(), where.height(),
                             window, nullptr, Win32WindowClass::moduleInstance(), nullptr);
  if (!box) return false;
  // A system font of the control's font height.
  const BitmapFont& font = edit.getFont() ? *edit.getFont() : builtinFont();
  int height = font.height();
  if (height > where.height()) height = where.height();
  if (height < kMinEditFontHeight) height = kMinEditFontHeight;
  editFont = CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
  if (editFont) SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(editFont), FALSE);
  editTextColor = colorRef(edit.getFontColor());
  editBackColor = colorRef(edit.getBackColor());
  editBrush = CreateSolidBrush(editBackColor);
  SendMessageA(box, EM_LIMITTEXT, TextEdit::kMaxLength, 0);
  SendMessageA(box, EM_SETSEL, 0, -1);
  // Our procedure in front of the box's: Enter, Escape and focus loss end the entry.
  SetWindowLongPtrA(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  editDefaultProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Window::editProc)));
  editBox = box;
  ++editGeneration;
  focusBeforeEdit = SetFocus(box);
  return true;
}

void Win32Window::endNativeTextEntry(char* text, int capacity) {
  if (text && capacity > 0) {
    text[0] = 0;
    if (editBox) GetWindowTextA(editBox, text, capacity);
  }
  closeEditBox();
}

void Win32Window::closeEditBox() {
  if (!editBox) return;
  HWND box = editBox;
  editBox = nullptr;
  ++editGeneration;
  // The box's own procedure again: its last messages reach nobody here.
  if (editDefaultProc) SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editDefaultProc));
  SetWindowLongPtrA(box, GWLP_USERDATA, 0);
  editDefaultProc = nullptr;
  if (GetFocus() == box) {
    // The keyboard goes back where it was (usually the host's window, whose
    // shortcuts then work again), else to the host's window.
    HWND back = focusBeforeEdit && IsWindow(focusBeforeEdit) ? focusBeforeEdit : (window ? GetParent(window) : nullptr);
    if (back) SetFocus(back);
  }
  focusBeforeEdit = nullptr;
  DestroyWindow(box);
  if (editFont) DeleteObject(editFont);
  if (editBrush) DeleteObject(editBrush);
  editFont = nullptr;
  editBrush = nullptr;
}

LRESULT CALLBACK Win32Window::editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32Window* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self || !self->editDefaultProc) return DefWindowProcA(hwnd, message, wParam, lParam);
  const WNDPROC base = self->editDefaultProc;
  switch (message) {
    case WM_GETDLGCODE:
      // Every key, Enter and Escape included, comes to the box, not to a dialog.
      return CallWindowProcA(base, hwnd, message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
        // Ended from the parent's procedure, not while the box handles its own message.
        PostMessageA(self->window, kEntryDone, self->editGeneration, wParam == VK_RETURN ? 1 : 0);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == '\r' || wParam == '\n' || wParam == 27) return 0;  // no beep
      break;
    case WM_KILLFOCUS:
      PostMessageA(self->window, kEntryDone, self->editGeneration, 1);
      break;
    default:
      break;
  }
  return CallWindowProcA(base, hwnd, message, wParam, lParam);
}

// ---- Messages ----

LRESULT CALLBACK Win32Window::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    Win32Window* self = static_cast<Win32Window*>(create->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self) self->window = hwnd;
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  Win32Window* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self || self->window != hwnd) return DefWindowProcA(hwnd, message, wParam, lParam);
  return self->handleMessage(message, wParam, lParam);
}

LRESULT Win32Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = window;
  switch (message) {
    case WM_PAINT:
      paintInvalid();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // every pixel is painted from the surface
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP:
      lastMessageTime = static_cast<unsigned long>(GetMessageTime());
      mouseButton(message, wParam, lParam);
      return 0;
    case WM_MOUSEMOVE:
      lastMessageTime = static_cast<unsigned long>(GetMessageTime());
      owner.mouseMoved(Point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)), bitsFromKeyState(wParam));
      return 0;
    case WM_MOUSEWHEEL: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};  // screen coordinates
      ScreenToClient(hwnd, &p);
      int modifiers = bitsFromKeyState(GET_KEYSTATE_WPARAM(wParam)) & kModifierMask;
      if (owner.wheel(Point(p.x, p.y), static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA, modifiers))
        return 0;
      break;
    }
    case WM_CAPTURECHANGED:
      if (captured && reinterpret_cast<HWND>(lParam) != hwnd) {
        // Someone else took the mouse: the drag ends where it is.
        captured = false;
        owner.cancelMouse();
      }
      return 0;
    case WM_KEYDOWN:
    case WM_CHAR:
      if (keyMessage(message, wParam)) return 0;
      // Keys the editor does not take are the host's (transport, shortcuts).
      if (HWND parent = GetParent(hwnd)) return SendMessageA(parent, message, wParam, lParam);
      break;
    case WM_KILLFOCUS:
      owner.focusLost();
      return 0;
    case WM_CTLCOLOREDIT:
      if (editBox && reinterpret_cast<HWND>(lParam) == editBox && editBrush) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, editTextColor);
        SetBkColor(dc, editBackColor);
        return reinterpret_cast<LRESULT>(editBrush);
      }
      break;
    case kEntryDone:
      if (editBox && wParam == editGeneration) owner.endTextEntry(lParam != 0);
      return 0;
    case WM_DROPFILES: {
      HDROP files = reinterpret_cast<HDROP>(wParam);
      POINT p{};
      DragQueryPoint(files, &p);  // client coordinates
      if (owner.getDropHandler()) {
        DropList list;
        if (collectDroppedFiles(files, list) > 0) owner.drop(list.data(), Point(p.x, p.y));
      }
      DragFinish(files);
      return 0;
    }
    case WM_DESTROY:
      detach();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace vt::gui
