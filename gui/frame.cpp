#include "gui/frame.h"

#include <cstdlib>

#include "gui/gui_editor.h"
#include "gui/option_menu.h"
#include "gui/platform_window.h"
#include "gui/text_edit.h"

namespace vt::gui {

Frame::Frame(const Rect& size, GuiEditor* owner) : ViewContainer(size), editor(owner) {
  frame = this;
  picture.resize(size.width(), size.height());
}

Frame::~Frame() {
  // A drag in progress ends (its edit closes); views go while the frame they
  // report to is whole; then the window.
  cancelMouse();
  removeAll(false);
  delete window;
  window = nullptr;
  frame = nullptr;  // the base destructors must not report back to a frame that is gone
}

bool Frame::open(void* parentWindow, PlatformWindow* (*factory)(Frame&, void*)) {
  if (!factory) return false;
  return open(factory(*this, parentWindow));
}

bool Frame::open(PlatformWindow* newWindow) {
  if (!newWindow) return false;
  if (!newWindow->isValid() || !picture.isValid()) {
    delete newWindow;
    return false;
  }
  delete window;
  window = newWindow;
  setDirty();
  return true;
}

void Frame::draw(DrawContext& context) { drawArea(context, Rect(0, 0, rect.width(), rect.height())); }

void Frame::drawRegion(const Rect& area) {
  if (!picture.isValid()) return;
  DrawContext context(picture);
  drawArea(context, area);
  // The framework's text entry lies over everything.
  if (entryField && !nativeEntry && entry.area().intersects(area)) {
    context.setSurfaceClip(area);
    entry.draw(context, builtinFont(), rgb(0, 0, 0), rgb(255, 255, 255), HoriAlign::Left);
  }
}

int Frame::redraw() {
  lastCount = 0;
  Rect rects[kMaxDirtyRects];
  int used = 0;
  if (takeDirty()) used = addDirtyRect(rects, kMaxDirtyRects, used, Rect(0, 0, rect.width(), rect.height()));
  used = collectDirty(rects, kMaxDirtyRects, used);
  const Rect all(0, 0, rect.width(), rect.height());
  int n = 0;
  for (int i = 0; i < used; ++i) {
    const Rect r = rects[i].intersect(all);
    if (r.isEmpty()) continue;
    drawRegion(r);
    lastRects[n++] = r;
  }
  lastCount = n;
  if (n > 0 && window) window->blit(picture, lastRects, n);
  return n;
}

void Frame::redrawAll() {
  setDirty();
  redraw();
  if (window) window->flush();
}

void Frame::idle() {
  if (window) window->pumpEvents();
  // Pumping may have closed the window's frame contents; draw what is dirty now.
  redraw();
  if (window) window->flush();
}

void Frame::paint(const Rect& area) {
  const Rect a = area.intersect(Rect(0, 0, rect.width(), rect.height()));
  if (a.isEmpty() || !window) return;
  window->blit(picture, &a, 1);
}

// ---- Mouse ----

void Frame::captureFor(View* view) {
  if (captureView || !view) return;
  captureView = view;
  captureOrigin = view->parentOrigin();
}

void Frame::mouseDown(Point where, int buttons) {
  if (captureView) return;  // a second button during a drag changes nothing
  if (entryField) {
    // A press elsewhere ends the entry, as losing focus does; a press on it keeps it open.
    if (!nativeEntry && entry.area().contains(where)) return;
    endTextEntry(true);
  }
  const int button = buttons & kButtonMask;
  const unsigned long now = window ? window->milliseconds() : 0;
  const int slack = window ? window->doubleClickDistance() : 4;
  const unsigned long limit = static_cast<unsigned long>(window ? window->doubleClickTime() : 400);
  if (havePress && button == lastPressButton && now - lastPressTime <= limit &&
      std::abs(where.x - lastPressPoint.x) <= slack && std::abs(where.y - lastPressPoint.y) <= slack) {
    buttons |= kDoubleClick;
    havePress = false;  // a third press starts a new pair
  } else {
    havePress = true;
    lastPressTime = now;
    lastPressPoint = where;
    lastPressButton = button;
  }
  MouseEvent event;
  event.where = where;
  event.buttons = buttons;
  const MouseResult result = ViewContainer::onMouseDown(event);
  if (result == MouseResult::Captured && captureView) {
    if (window) window->captureMouse();
  } else {
    captureView = nullptr;
  }
}

void Frame::mouseMoved(Point where, int buttons) {
  if (!captureView) return;
  MouseEvent event;
  event.where = where - captureOrigin;
  event.buttons = buttons;
  captureView->onMouseMoved(event);
}

void Frame::mouseUp(Point where, int buttons) {
  if (!captureView) return;
  if (buttons & kButtonMask) {
    mouseMoved(where, buttons);  // another button is still down: the drag goes on
    return;
  }
  View* view = captureView;
  captureView = nullptr;
  if (window) window->releaseMouse();
  MouseEvent event;
  event.where = where - captureOrigin;
  event.buttons = buttons;
  view->onMouseUp(event);
}

void Frame::cancelMouse() {
  if (!captureView) return;
  View* view = captureView;
  captureView = nullptr;
  if (window) window->releaseMouse();
  view->onMouseCancelled();
}

bool Frame::wheel(Point where, float distance, int modifiers) {
  if (captureView) return false;
  return ViewContainer::onWheel(where, distance, modifiers);
}

void Frame::drop(const DropData& data, Point where) {
  if (dropHandler) dropHandler->onDrop(data, where);
}

// ---- Keys and text entry ----

bool Frame::keyDown(const KeyEvent& key) {
  if (!entryField || nativeEntry) return false;
  dispatchEntryKey(key);
  return true;
}

void Frame::dispatchEntryKey(const KeyEvent& key) {
  switch (entry.handleKey(key)) {
    case TextEntry::Result::Commit:
      endTextEntry(true);
      break;
    case TextEntry::Result::Cancel:
      endTextEntry(false);
      break;
    case TextEntry::Result::Changed:
      entryField->setDirty();
      break;
    case TextEntry::Result::Nothing:
      break;
  }
}

bool Frame::beginTextEntry(TextEdit& edit) {
  if (entryField) endTextEntry(true);
  if (edit.getFrame() != this) return false;
  const Rect where = edit.frameRect();
  entryField = &edit;
  edit.entryOpen = true;
  nativeEntry = window && window->beginNativeTextEntry(edit, where);
  if (!nativeEntry) {
    entry.start(edit.getText(), where);
    if (window) window->takeKeyboardFocus();
  }
  edit.setDirty();
  return true;
}

void Frame::endTextEntry(bool commit) {
  TextEdit* field = entryField;
  if (!field) return;
  entryField = nullptr;
  char nativeText[TextEntry::kMaxLength + 1] = {};
  if (window) {
    if (nativeEntry)
      window->endNativeTextEntry(nativeText, static_cast<int>(sizeof(nativeText)));
    else
      window->releaseKeyboardFocus();
  }
  nativeText[TextEntry::kMaxLength] = 0;
  const bool wasNative = nativeEntry;
  nativeEntry = false;
  field->entryFinished(commit, wasNative ? nativeText : entry.text());
}

void Frame::focusLost() {
  if (entryField && !nativeEntry) endTextEntry(true);
}

// ---- Menus ----

bool Frame::popupMenu(OptionMenu& menu) {
  if (!window || menu.getFrame() != this) return false;
  popupOwner = &menu;
  return window->showPopupMenu(menu, menu.frameRect());
}

void Frame::menuChosen(OptionMenu& topMenu, OptionMenu* menu, int index) {
  if (popupOwner != &topMenu) return;  // the control went away meanwhile
  popupOwner = nullptr;
  if (menu) topMenu.takeChoice(menu, index);
}

void Frame::forgetView(View* view) {
  if (view == this) return;
  if (captureView == view) {
    captureView = nullptr;
    if (window) window->releaseMouse();
  }
  if (entryField == view) {
    entryField = nullptr;
    if (window) {
      char discarded[TextEntry::kMaxLength + 1];
      if (nativeEntry)
        window->endNativeTextEntry(discarded, static_cast<int>(sizeof(discarded)));
      else
        window->releaseKeyboardFocus();
    }
    nativeEntry = false;
  }
  if (popupOwner == view) {
    popupOwner = nullptr;
    if (window) window->cancelPopupMenu();
  }
}

}  // namespace vt::gui
