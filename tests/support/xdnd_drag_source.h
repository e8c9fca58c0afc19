// The source side of an XDND drag for tests: a window of its own owns the
// selection and offers text/uri-list; it enters the target at a point, drops
// once the target accepts, answers the target's selection request with the
// URIs and waits for the target's XdndFinished.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace vt::gui::test {

struct XdndDragOutcome {
  bool accepted = false;          // the target's status accepted the drop
  bool finished = false;          // the target sent XdndFinished
  bool finishedAccepted = false;  // ...and reported the drop performed
};

// Drags `uris` (lines ending in "\r\n") onto `target` at (x, y) in the target's
// own coordinates. `pump` runs once per round (the in-process editor's idle);
// each round also handles the pending events and then sleeps 5 ms.
inline XdndDragOutcome dragUrisOnto(Display* display, Window target, int x, int y, const std::string& uris, int rounds,
                                    const std::function<void()>& pump = {}) {
  XdndDragOutcome outcome;
  const Window source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const Atom uriList = XInternAtom(display, "text/uri-list", False);
  const Atom status = XInternAtom(display, "XdndStatus", False);
  const Atom finished = XInternAtom(display, "XdndFinished", False);
  XSetSelectionOwner(display, XInternAtom(display, "XdndSelection", False), source, CurrentTime);
  auto send = [&](const char* name, long l1, long l2, long l3, long l4) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = target;
    e.xclient.message_type = XInternAtom(display, name, False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(source);
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(display, target, False, NoEventMask, &e);
    XFlush(display);
  };
  int rootX = 0, rootY = 0;
  Window unused;
  XTranslateCoordinates(display, target, DefaultRootWindow(display), x, y, &rootX, &rootY, &unused);
  send("XdndEnter", 5L << 24, static_cast<long>(uriList), 0, 0);
  send("XdndPosition", 0, (static_cast<long>(rootX) << 16) | rootY, CurrentTime,
       static_cast<long>(XInternAtom(display, "XdndActionCopy", False)));

  bool dropped = false;
  for (int round = 0; round < rounds && !outcome.finished; ++round) {
    if (pump) pump();
    while (XPending(display)) {
      XEvent e;
      XNextEvent(display, &e);
      if (e.type == ClientMessage && e.xclient.message_type == status) {
        outcome.accepted = (e.xclient.data.l[1] & 1) != 0;
        if (outcome.accepted && !dropped) {
          send("XdndDrop", 0, CurrentTime, 0, 0);
          dropped = true;
        }
      } else if (e.type == SelectionRequest) {
        const XSelectionRequestEvent& r = e.xselectionrequest;
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = r.requestor;
        reply.xselection.selection = r.selection;
        reply.xselection.target = r.target;
        reply.xselection.time = r.time;
        reply.xselection.property = None;
        if (r.target == uriList) {
          XChangeProperty(display, r.requestor, r.property, uriList, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(uris.data()), static_cast<int>(uris.size()));
          reply.xselection.property = r.property;
        }
        XSendEvent(display, r.requestor, False, NoEventMask, &reply);
        XFlush(display);
      } else if (e.type == ClientMessage && e.xclient.message_type == finished) {
        outcome.finished = true;
        outcome.finishedAccepted = (e.xclient.data.l[1] & 1) != 0;
      }
    }
    usleep(5000);
  }
  XDestroyWindow(display, source);
  return outcome;
}

}  // namespace vt::gui::test
