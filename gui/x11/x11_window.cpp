#include "gui/x11/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#if VT7000_HAVE_XSHM
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#endif

#include "gui/frame.h"
#include "gui/option_menu.h"
#include "gui/x11/x11_error_trap.h"

namespace vt::gui {

struct X11Window::Atoms {
  Atom xdndAware, xdndEnter, xdndPosition, xdndStatus, xdndLeave, xdndDrop, xdndFinished, xdndSelection, xdndTypeList,
      xdndActionCopy, uriList, textPlain, textPlainUtf8, utf8String, dropProperty;
};

namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                            FocusChangeMask | StructureNotifyMask;
constexpr long kPopupEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr int kXdndVersion = 5;

int modifiersFrom(unsigned int state) {
  int bits = 0;
  if (state & ShiftMask) bits |= kShift;
  if (state & ControlMask) bits |= kControl;
  if (state & Mod1Mask) bits |= kAlt;
  return bits;
}

int buttonsFrom(unsigned int state) {
  int bits = modifiersFrom(state);
  if (state & Button1Mask) bits |= kLeftButton;
  if (state & Button2Mask) bits |= kMiddleButton;
  if (state & Button3Mask) bits |= kRightButton;
  return bits;
}

// A colour as a pixel of a TrueColor visual: each channel scaled into its mask.
unsigned long visualPixel(const Visual* visual, Color c) {
  const unsigned long masks[3] = {visual->red_mask, visual->green_mask, visual->blue_mask};
  const int channels[3] = {redOf(c), greenOf(c), blueOf(c)};
  unsigned long pixel = 0;
  for (int k = 0; k < 3; ++k) {
    const unsigned long mask = masks[k];
    if (!mask) continue;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long top = mask >> shift;
    pixel |= ((static_cast<unsigned long>(channels[k]) * top + 127) / 255) << shift;
  }
  return pixel;
}

// LSBFirst on little-endian machines: then the surface's words are the image's bytes.
int hostByteOrder() {
  const std::uint32_t probe = 1;
  return *reinterpret_cast<const unsigned char*>(&probe) == 1 ? LSBFirst : MSBFirst;
}

int bitOfButton(unsigned int button) {
  switch (button) {
    case Button1:
      return kLeftButton;
    case Button2:
      return kMiddleButton;
    case Button3:
      return kRightButton;
    default:
      return 0;
  }
}

}  // namespace

PlatformWindow* createNativeWindow(Frame& frame, void* parentWindow) {
  X11Window* w = new (std::nothrow) X11Window(frame, parentWindow);
  if (w && !w->isValid()) {
    delete w;
    return nullptr;
  }
  return w;
}

X11Window::X11Window(Frame& frame, void* parentWindow, bool allowSharedMemory)
    : owner(frame), sharedAllowed(allowSharedMemory) {
  parent = static_cast<Window>(reinterpret_cast<std::uintptr_t>(parentWindow));
  if (!parent) return;
  connection = XOpenDisplay(nullptr);
  if (!connection) return;
  atoms = new (std::nothrow) Atoms;
  if (!atoms) return;
  X11ErrorTrap trap(connection);
  const int screen = DefaultScreen(connection);
  visual = DefaultVisual(connection, screen);
  depth = DefaultDepth(connection, screen);
  XSetWindowAttributes attributes{};
  attributes.event_mask = kEventMask;
  attributes.background_pixmap = None;
  attributes.bit_gravity = NorthWestGravity;
  window = XCreateWindow(connection, parent, 0, 0, static_cast<unsigned>(frame.getWidth()),
                         static_cast<unsigned>(frame.getHeight()), 0, depth, InputOutput, visual,
                         CWEventMask | CWBackPixmap | CWBitGravity, &attributes);
  if (trap.failed() || !window) {
    // The parent id was not a window of this display.
    window = 0;
    return;
  }
  gc = XCreateGC(connection, window, 0, nullptr);
  Atoms& a = *atoms;
  a.xdndAware = XInternAtom(connection, "XdndAware", False);
  a.xdndEnter = XInternAtom(connection, "XdndEnter", False);
  a.xdndPosition = XInternAtom(connection, "XdndPosition", False);
  a.xdndStatus = XInternAtom(connection, "XdndStatus", False);
  a.xdndLeave = XInternAtom(connection, "XdndLeave", False);
  a.xdndDrop = XInternAtom(connection, "XdndDrop", False);
  a.xdndFinished = XInternAtom(connection, "XdndFinished", False);
  a.xdndSelection = XInternAtom(connection, "XdndSelection", False);
  a.xdndTypeList = XInternAtom(connection, "XdndTypeList", False);
  a.xdndActionCopy = XInternAtom(connection, "XdndActionCopy", False);
  a.uriList = XInternAtom(connection, "text/uri-list", False);
  a.textPlain = XInternAtom(connection, "text/plain", False);
  a.textPlainUtf8 = XInternAtom(connection, "text/plain;charset=utf-8", False);
  a.utf8String = XInternAtom(connection, "UTF8_STRING", False);
  a.dropProperty = XInternAtom(connection, "VT7000_DROP", False);
  const long version = kXdndVersion;
  XChangeProperty(connection, window, a.xdndAware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&version), 1);
  createImage();
  XMapWindow(connection, window);
  if (trap.failed() || !image) {
    if (image) destroyImage();
    XDestroyWindow(connection, window);
    window = 0;
  }
}

X11Window::~X11Window() {
  if (connection) {
    X11ErrorTrap trap(connection);
    for (Window& w : popupWindows)
      if (w) {
        XDestroyWindow(connection, w);
        w = 0;
      }
    if (grabbed) XUngrabPointer(connection, CurrentTime);
    destroyImage();
    if (gc) XFreeGC(connection, gc);
    if (window) XDestroyWindow(connection, window);  // fails harmlessly when the parent took it along
    XSync(connection, False);
  }
  delete atoms;
  if (connection) XCloseDisplay(connection);
}

// ---- Pixels ----

void X11Window::createImage() {
  const int w = owner.getWidth(), h = owner.getHeight();
  directImage = visual->c_class == TrueColor && visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 &&
                visual->blue_mask == 0xFF && (depth == 24 || depth == 32);
#if VT7000_HAVE_XSHM
  if (sharedAllowed && directImage && XShmQueryExtension(connection)) {
    XShmSegmentInfo* info = new (std::nothrow) XShmSegmentInfo{};
    XImage* img = info ? XShmCreateImage(connection, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, info,
                                         static_cast<unsigned>(w), static_cast<unsigned>(h))
                       : nullptr;
    if (img && img->bits_per_pixel == 32) {
      info->shmid =
          shmget(IPC_PRIVATE, static_cast<size_t>(img->bytes_per_line) * static_cast<size_t>(h), IPC_CREAT | 0600);
      if (info->shmid >= 0) {
        info->shmaddr = img->data = static_cast<char*>(shmat(info->shmid, nullptr, 0));
        info->readOnly = False;
        bool attached = false;
        if (info->shmaddr != reinterpret_cast<char*>(-1)) {
          X11ErrorTrap trap(connection);  // a remote display refuses the segment
          XShmAttach(connection, info);
          attached = !trap.failed();
        }
        shmctl(info->shmid, IPC_RMID, nullptr);  // freed once both sides detach
        if (attached) {
          image = img;
          shmInfo = info;
          shared = true;
          return;
        }
        if (info->shmaddr != reinterpret_cast<char*>(-1)) shmdt(info->shmaddr);
      }
    }
    if (img) {
      img->data = nullptr;
      XDestroyImage(img);
    }
    delete info;
  }
#endif
  // A plain client-side image of the window's size.
  const int bytesPerPixel = 4;
  char* data = static_cast<char*>(std::malloc(static_cast<size_t>(w) * static_cast<size_t>(h) * bytesPerPixel));
  if (!data) return;
  image = XCreateImage(connection, visual, static_cast<unsigned>(depth), ZPixmap, 0, data, static_cast<unsigned>(w),
                       static_cast<unsigned>(h), 32, 0);
  if (!image) std::free(data);
}

void X11Window::destroyImage() {
  if (!image) return;
#if VT7000_HAVE_XSHM
  if (shared) {
    XShmSegmentInfo* info = static_cast<XShmSegmentInfo*>(shmInfo);
    XShmDetach(connection, info);
    XSync(connection, False);
    shmdt(info->shmaddr);
    image->data = nullptr;
    delete info;
    shmInfo = nullptr;
    shared = false;
  }
#endif
  XDestroyImage(image);  // frees the malloc'd pixels of a plain image
  image = nullptr;
}

void X11Window::putRect(const Surface& surface, const Rect& r) {
  for (int y = r.top; y < r.bottom; ++y) {
    const std::uint32_t* src = surface.row(y);
    if (directImage && image->bits_per_pixel == 32 && image->byte_order == hostByteOrder()) {
      char* dst = image->data + static_cast<size_t>(y) * static_cast<size_t>(image->bytes_per_line);
      std::memcpy(dst + static_cast<size_t>(r.left) * 4, src + r.left, static_cast<size_t>(r.width()) * 4);
    } else {
      for (int x = r.left; x < r.right; ++x) {
        const unsigned long pixel = visualPixel(visual, src[x]);
        XPutPixel(image, x, y, pixel);
      }
    }
  }
#if VT7000_HAVE_XSHM
  if (shared) {
    XShmPutImage(connection, window, gc, image, r.left, r.top, r.left, r.top, static_cast<unsigned>(r.width()),
                 static_cast<unsigned>(r.height()), False);
    return;
  }
#endif
  XPutImage(connection, window, gc, image, r.left, r.top, r.left, r.top, static_cast<unsigned>(r.width()),
            static_cast<unsigned>(r.height()));
}

void X11Window::blit(const Surface& surface, const Rect* rects, int count) {
  if (!window || !image) return;
  X11ErrorTrap trap(connection);
  const Rect all(0, 0, owner.getWidth(), owner.getHeight());
  for (int i = 0; i < count; ++i) {
    const Rect r = rects[i].intersect(all).intersect(surface.bounds());
    if (!r.isEmpty()) putRect(surface, r);
  }
}

void X11Window::flush() {
  if (!connection) return;
  X11ErrorTrap trap(connection);
  XSync(connection, False);
}

unsigned long X11Window::milliseconds() const { return lastEventTime ? lastEventTime : PlatformWindow::milliseconds(); }

// ---- Pointer and keyboard ----

void X11Window::captureMouse() {
  if (!window || grabbed) return;
  X11ErrorTrap trap(connection);
  grabbed = XGrabPointer(connection, window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                         GrabModeAsync, GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
}

void X11Window::releaseMouse() {
  if (!grabbed) return;
  X11ErrorTrap trap(connection);
  XUngrabPointer(connection, CurrentTime);
  grabbed = false;
}

void X11Window::takeKeyboardFocus() {
  if (!window) return;
  X11ErrorTrap trap(connection);
  XSetInputFocus(connection, window, RevertToParent, CurrentTime);
  focused = true;
}

void X11Window::releaseKeyboardFocus() {
  if (!window || !focused) return;
  focused = false;
  X11ErrorTrap trap(connection);
  // Back to the host's window that holds us.
  XSetInputFocus(connection, parent, RevertToParent, CurrentTime);
}

int X11Window::keyEventFrom(XKeyEvent& event, KeyEvent& key) {
  char text[8] = {};
  KeySym sym = NoSymbol;
  const int n = XLookupString(&event, text, sizeof(text) - 1, &sym, nullptr);
  key.modifiers = modifiersFrom(event.state);
  switch (sym) {
    case XK_BackSpace:
      key.key = VirtualKey::Backspace;
      break;
    case XK_Tab:
      key.key = VirtualKey::Tab;
      break;
    case XK_Return:
    case XK_KP_Enter:
      key.key = VirtualKey::Return;
      break;
    case XK_Escape:
      key.key = VirtualKey::Escape;
      break;
    case XK_Delete:
    case XK_KP_Delete:
      key.key = VirtualKey::Delete;
      break;
    case XK_Left:
    case XK_KP_Left:
      key.key = VirtualKey::Left;
      break;
    case XK_Right:
    case XK_KP_Right:
      key.key = VirtualKey::Right;
      break;
    case XK_Up:
    case XK_KP_Up:
      key.key = VirtualKey::Up;
      break;
    case XK_Down:
    case XK_KP_Down:
      key.key = VirtualKey::Down;
      break;
    case XK_Home:
    case XK_KP_Home:
      key.key = VirtualKey::Home;
      break;
    case XK_End:
    case XK_KP_End:
      key.key = VirtualKey::End;
      break;
    case XK_Page_Up:
    case XK_KP_Page_Up:
      key.key = VirtualKey::PageUp;
      break;
    case XK_Page_Down:
    case XK_KP_Page_Down:
      key.key = VirtualKey::PageDown;
      break;
    default:
      // Latin-1 characters are their own keysyms.
      if (sym >= 0x20 && sym <= 0xFF)
        key.character = static_cast<int>(sym);
      else if (n == 1)
        key.character = static_cast<unsigned char>(text[0]);
      break;
  }
  if (key.key == VirtualKey::NoKey && n == 1 && static_cast<unsigned char>(text[0]) >= 0x20 && key.character == 0)
    key.character = static_cast<unsigned char>(text[0]);
  if (sym >= 0x20 && sym <= 0xFF && n == 1) key.character = static_cast<unsigned char>(text[0]);
  return n;
}

// ---- Events ----

void X11Window::pumpEvents() {
  if (!connection) return;
  X11ErrorTrap trap(connection);
  while (window && XPending(connection) > 0) {
    XEvent event;
    XNextEvent(connection, &event);
    handleEvent(event);
  }
  if (popupTop) {
    // Arrow rows scroll while the pointer rests on them.
    popup.tick();
    syncPopupWindows();
  }
}

void X11Window::handleEvent(XEvent& event) {
  if (popupTop) {
    for (Window w : popupWindows)
      if (w && event.xany.window == w) return handlePopupEvent(event);
    if (event.type == ButtonPress || event.type == ButtonRelease || event.type == MotionNotify ||
        event.type == KeyPress)
      return handlePopupEvent(event);  // the grab sends everything to the pop-up
  }
  if (event.xany.window != window) return;
  switch (event.type) {
    case Expose:
      owner.paint(Rect::fromSize(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height));
      break;
    case ButtonPress: {
      lastEventTime = event.xbutton.time;
      const Point p(event.xbutton.x, event.xbutton.y);
      if (event.xbutton.button == Button4 || event.xbutton.button == Button5) {
        owner.wheel(p, event.xbutton.button == Button4 ? 1.0f : -1.0f, modifiersFrom(event.xbutton.state));
        break;
      }
      const int bit = bitOfButton(event.xbutton.button);
      if (bit) owner.mouseDown(p, bit | modifiersFrom(event.xbutton.state));
      break;
    }
    case ButtonRelease: {
      lastEventTime = event.xbutton.time;
      const int bit = bitOfButton(event.xbutton.button);
      if (!bit) break;
      // The state holds the buttons before the release.
      owner.mouseUp(Point(event.xbutton.x, event.xbutton.y), buttonsFrom(event.xbutton.state) & ~bit);
      break;
    }
    case MotionNotify: {
      // Only the latest position matters.
      while (XCheckTypedWindowEvent(connection, window, MotionNotify, &event)) {
      }
      lastEventTime = event.xmotion.time;
      owner.mouseMoved(Point(event.xmotion.x, event.xmotion.y), buttonsFrom(event.xmotion.state));
      break;
    }
    case KeyPress: {
      KeyEvent key;
      keyEventFrom(event.xkey, key);
      owner.keyDown(key);
      break;
    }
    case FocusOut:
      if (event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyInferior &&
          event.xfocus.detail != NotifyPointer) {
        focused = false;
        owner.focusLost();
      }
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == window) {
        // The host destroyed its window (and ours with it) before closing the editor.
        owner.cancelMouse();
        window = 0;
      }
      break;
    case UnmapNotify:
      owner.cancelMouse();
      break;
    case ClientMessage:
      handleClientMessage(event.xclient);
      break;
    case SelectionNotify:
      handleSelection(event.xselection);
      break;
    default:
      break;
  }
}

// ---- XDND: receiving drops ----

void X11Window::handleClientMessage(const XClientMessageEvent& message) {
  const Atoms& a = *atoms;
  const long* l = message.data.l;
  if (message.message_type == a.xdndEnter) {
    dropSource = static_cast<Window>(l[0]);
    dropVersion = static_cast<int>((static_cast<unsigned long>(l[1]) >> 24) & 0xFF);
    dropType = 0;
    Atom offered[64];
    int n = 0;
    if (l[1] & 1) {
      // More than three types: the source's XdndTypeList.
      Atom type;
      int format;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(connection, dropSource, a.xdndTypeList, 0, 64, False, XA_ATOM, &type, &format, &count,
                             &after, &data) == Success &&
          data && format == 32) {
        const long* types = reinterpret_cast<const long*>(data);  // format 32 arrives as longs
        for (unsigned long i = 0; i < count && n < 64; ++i) offered[n++] = static_cast<Atom>(types[i]);
      }
      if (data) XFree(data);
    } else {
      for (int i = 2; i < 5; ++i)
        if (l[i]) offered[n++] = static_cast<Atom>(l[i]);
    }
    // File lists first, then text.
    const Atom preferred[] = {a.uriList, a.utf8String, a.textPlainUtf8, a.textPlain, XA_STRING};
    for (Atom want : preferred) {
      for (int i = 0; i < n && !dropType; ++i)
        if (offered[i] == want) dropType = want;
      if (dropType) break;
    }
    return;
  }
  if (message.message_type == a.xdndPosition) {
    if (static_cast<Window>(l[0]) != dropSource) return;
    const int rootX = static_cast<int>((static_cast<unsigned long>(l[2]) >> 16) & 0xFFFF);
    const int rootY = static_cast<int>(static_cast<unsigned long>(l[2]) & 0xFFFF);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(connection, DefaultRootWindow(connection), window, rootX, rootY, &x, &y, &child);
    dropPoint = Point(x, y);
    dropAccepted = dropType != 0 && owner.getDropHandler() != nullptr;
    XEvent reply{};
    reply.xclient.type = ClientMessage;
    reply.xclient.display = connection;
    reply.xclient.window = dropSource;
    reply.xclient.message_type = a.xdndStatus;
    reply.xclient.format = 32;
    reply.xclient.data.l[0] = static_cast<long>(window);
    reply.xclient.data.l[1] = dropAccepted ? 3 : 2;  // accept; send positions even inside this rectangle
    reply.xclient.data.l[4] = dropAccepted ? static_cast<long>(a.xdndActionCopy) : 0;
    XSendEvent(connection, dropSource, False, NoEventMask, &reply);
    return;
  }
  if (message.message_type == a.xdndLeave) {
    dropSource = 0;
    dropType = 0;
    return;
  }
  if (message.message_type == a.xdndDrop) {
    if (static_cast<Window>(l[0]) != dropSource) return;
    if (!dropAccepted) return finishDrop(false);
    const Time time = dropVersion >= 1 ? static_cast<Time>(l[2]) : CurrentTime;
    XConvertSelection(connection, a.xdndSelection, dropType, a.dropProperty, window, time);
    return;  // the data arrives as SelectionNotify
  }
}

void X11Window::handleSelection(const XSelectionEvent& selection) {
  const Atoms& a = *atoms;
  if (selection.selection != a.xdndSelection || !dropSource) return;
  if (selection.property == None) return finishDrop(false);
  Atom type;
  int format;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  // At most 1 MB of names or text (the length is in 32-bit units).
  const bool ok = XGetWindowProperty(connection, window, a.dropProperty, 0, 262144, True, AnyPropertyType, &type,
                                     &format, &count, &after, &data) == Success &&
                  data && format == 8;
  bool delivered = false;
  if (ok) {
    const char* bytes = reinterpret_cast<const char*>(data);
    if (dropType == a.uriList) {
      if (dropList.parseUriList(bytes, count) > 0) delivered = true;
    } else {
      delivered = dropList.setText(bytes, count);
    }
    if (delivered) owner.drop(dropList.data(), dropPoint);
    dropList.clear();
  }
  if (data) XFree(data);
  finishDrop(delivered);
}

void X11Window::finishDrop(bool accepted) {
  XEvent reply{};
  reply.xclient.type = ClientMessage;
  reply.xclient.display = connection;
  reply.xclient.window = dropSource;
  reply.xclient.message_type = atoms->xdndFinished;
  reply.xclient.format = 32;
  reply.xclient.data.l[0] = static_cast<long>(window);
  reply.xclient.data.l[1] = accepted ? 1 : 0;
  reply.xclient.data.l[2] = accepted ? static_cast<long>(atoms->xdndActionCopy) : 0;
  XSendEvent(connection, dropSource, False, NoEventMask, &reply);
  dropSource = 0;
  dropType = 0;
}

// ---- Pop-up menus ----

bool X11Window::showPopupMenu(OptionMenu& menu, const Rect& anchor) {
  if (!window) return false;
  if (popupTop) closePopup(false);
  X11ErrorTrap trap(connection);
  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(connection, window, DefaultRootWindow(connection), anchor.left, anchor.top, &rootX, &rootY,
                        &child);
  const int screen = DefaultScreen(connection);
  const Rect screenRect(0, 0, DisplayWidth(connection, screen), DisplayHeight(connection, screen));
  popup.open(menu, anchor.offset(rootX - anchor.left, rootY - anchor.top), screenRect);
  popupTop = &menu;
  if (grabbed) {
    XUngrabPointer(connection, CurrentTime);
    grabbed = false;
  }
  syncPopupWindows();
  if (!popupWindows[0]) {
    popupTop = nullptr;
    popup.close();
    return false;
  }
  // Everything the pointer and keyboard do goes to the menu until it closes.
  XGrabPointer(connection, popupWindows[0], True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
               GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  XGrabKeyboard(connection, popupWindows[0], True, GrabModeAsync, GrabModeAsync, CurrentTime);
  return !trap.failed() || popupWindows[0] != 0;
}

void X11Window::syncPopupWindows() {
  const int levels = popup.state() == PopupMenu::State::Open ? popup.levels() : 0;
  for (int i = 0; i < PopupMenu::kMaxLevels; ++i) {
    if (i >= levels) {
      if (popupWindows[i]) {
        XDestroyWindow(connection, popupWindows[i]);
        popupWindows[i] = 0;
      }
      continue;
    }
    const Rect r = popup.levelRect(i);
    if (popupWindows[i] && popupRects[i] != r) {
      XDestroyWindow(connection, popupWindows[i]);
      popupWindows[i] = 0;
    }
    if (!popupWindows[i]) {
      XSetWindowAttributes attributes{};
      attributes.override_redirect = True;
      attributes.event_mask = kPopupEventMask;
      attributes.save_under = True;
      popupWindows[i] = XCreateWindow(connection, DefaultRootWindow(connection), r.left, r.top,
                                      static_cast<unsigned>(r.width()), static_cast<unsigned>(r.height()), 1, depth,
                                      InputOutput, visual, CWOverrideRedirect | CWEventMask | CWSaveUnder, &attributes);
      popupRects[i] = r;
      XMapRaised(connection, popupWindows[i]);
    }
    drawPopupLevel(i);
  }
  XFlush(connection);
}

void X11Window::drawPopupLevel(int level) {
  const Rect r = popup.levelRect(level);
  if (!popupWindows[level] || r.isEmpty()) return;
  if (popupSurface.width() != r.width() || popupSurface.height() != r.height())
    if (!popupSurface.resize(r.width(), r.height())) return;
  popup.draw(level, popupSurface);
  const int w = r.width(), h = r.height();
  char* data = static_cast<char*>(std::malloc(static_cast<size_t>(w) * static_cast<size_t>(h) * 4));
  if (!data) return;
  XImage* img = XCreateImage(connection, visual, static_cast<unsigned>(depth), ZPixmap, 0, data,
                             static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
  if (!img) {
    std::free(data);
    return;
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Color c = popupSurface.row(y)[x];
      XPutPixel(img, x, y, visualPixel(visual, c));
    }
  XPutImage(connection, popupWindows[level], gc, img, 0, 0, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h));
  XDestroyImage(img);
}

void X11Window::handlePopupEvent(XEvent& event) {
  switch (event.type) {
    case Expose:
      for (int i = 0; i < PopupMenu::kMaxLevels; ++i)
        if (popupWindows[i] == event.xexpose.window && event.xexpose.count == 0) drawPopupLevel(i);
      return;
    case MotionNotify:
      popup.pointerMoved(Point(event.xmotion.x_root, event.xmotion.y_root));
      break;
    case ButtonPress:
      if (event.xbutton.button == Button4 || event.xbutton.button == Button5)
        popup.wheel(Point(event.xbutton.x_root, event.xbutton.y_root), event.xbutton.button == Button4 ? -3 : 3);
      else
        popup.pointerPressed(Point(event.xbutton.x_root, event.xbutton.y_root));
      break;
    case ButtonRelease:
      if (event.xbutton.button <= Button3) popup.pointerReleased(Point(event.xbutton.x_root, event.xbutton.y_root));
      break;
    case KeyPress: {
      KeyEvent key;
      keyEventFrom(event.xkey, key);
      popup.keyPressed(key);
      break;
    }
    default:
      return;
  }
  if (popup.state() == PopupMenu::State::Open)
    syncPopupWindows();
  else
    closePopup(popup.state() == PopupMenu::State::Chosen);
}

void X11Window::closePopup(bool chosen) {
  OptionMenu* top = popupTop;
  OptionMenu* menu = chosen ? popup.chosenMenu() : nullptr;
  const int index = popup.chosenIndex();
  popupTop = nullptr;
  popup.close();
  {
    X11ErrorTrap trap(connection);
    XUngrabPointer(connection, CurrentTime);
    XUngrabKeyboard(connection, CurrentTime);
    syncPopupWindows();
  }
  if (top) owner.menuChosen(*top, menu, index);
}

void X11Window::cancelPopupMenu() {
  if (!popupTop) return;
  popupTop = nullptr;  // the control is going away: no answer
  popup.close();
  X11ErrorTrap trap(connection);
  XUngrabPointer(connection, CurrentTime);
  XUngrabKeyboard(connection, CurrentTime);
  syncPopupWindows();
}

}  // namespace vt::gui
