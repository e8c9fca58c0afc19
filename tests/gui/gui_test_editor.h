// A small editor for the framework's tests: a frame with a painted page and one
// control of each kind, recording what reaches the listener and the host's
// begin/end edits. Opens headless unless a window factory is given.
#pragma once

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gui/frame.h"
#include "gui/gui_bitmap.h"
#include "gui/gui_editor.h"
#include "gui/headless/headless_window.h"
#include "gui/kick_button.h"
#include "gui/knob_base.h"
#include "gui/on_off_button.h"
#include "gui/option_menu.h"
#include "gui/param_display.h"
#include "gui/text_edit.h"
#include "gui/view_container.h"

namespace vt::gui::test {

enum Tags { kKnobTag = 1, kButtonTag = 2, kMenuTag = 3, kTextTag = 4, kKickTag = 5 };

// Page origin in the frame and control places in page coordinates.
constexpr Point kPageOrigin(16, 92);
constexpr Rect kKnobRect = Rect::fromSize(40, 30, 35, 35);
constexpr Rect kButtonRect = Rect::fromSize(100, 30, 21, 17);
constexpr Rect kMenuRect = Rect::fromSize(140, 30, 120, 18);
constexpr Rect kTextRect = Rect::fromSize(140, 60, 120, 16);
constexpr Rect kKickRect = Rect::fromSize(100, 60, 21, 17);
constexpr Rect kReadoutRect = Rect::fromSize(39, 70, 37, 11);

// A picture with gradients, so a wrong row, column or channel shows.
inline Surface paintedSurface(int w, int h, int seed) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.row(y)[x] = rgb((x * 3 + seed) & 255, (y * 5 + seed * 7) & 255, (x + y) & 255);
  return s;
}

class TestEditor : public GuiEditor, public ControlListener {
public:
  TestEditor() : GuiEditor(nullptr) {
    setEditorRect(800, 550);
    setWindowFactory(createHeadlessWindow);
  }
  ~TestEditor() override { close(); }

  void valueChanged(DrawContext*, Control* control) override {
    changes.push_back({control->getTag(), control->getValue()});
  }
  void beginEdit(int tag) override { edits.push_back("begin " + std::to_string(tag)); }
  void endEdit(int tag) override { edits.push_back("end " + std::to_string(tag)); }

  HeadlessWindow& headless() { return *static_cast<HeadlessWindow*>(frame->platformWindow()); }
  Point inFrame(Point pagePoint) const { return pagePoint + kPageOrigin; }
  Point centreOf(const Rect& r) const { return inFrame(Point(r.left + r.width() / 2, r.top + r.height() / 2)); }

  struct Change {
    int tag;
    float value;
  };
  std::vector<Change> changes;
  std::vector<std::string> edits;
  KnobBase* knob = nullptr;
  OnOffButton* button = nullptr;
  OptionMenu* menu = nullptr;
  TextEdit* text = nullptr;
  KickButton* kick = nullptr;
  ParamDisplay* readout = nullptr;
  ViewContainer* page = nullptr;

protected:
  bool buildFrame(Frame& f) override {
    frameBackground.reset(new GuiBitmap(900, paintedSurface(800, 550, 1)));
    pageBackground.reset(new GuiBitmap(901, paintedSurface(771, 387, 2)));
    f.setBackground(frameBackground.get());
    page = new ViewContainer(Rect::fromSize(kPageOrigin.x, kPageOrigin.y, 771, 387));
    page->setBackground(pageBackground.get());
    f.addView(page);
    knob = new KnobBase(kKnobRect, this, kKnobTag);
    knob->setDefaultValue(0.25f);
    knob->setValue(0.5f);
    page->addView(knob);
    button = new OnOffButton(kButtonRect, this, kButtonTag, nullptr);
    page->addView(button);
    menu = new OptionMenu(kMenuRect, this, kMenuTag);
    menu->addEntry("Sine");
    menu->addEntry("Square");
    OptionMenu* sub = new OptionMenu(Rect(), nullptr, -1);
    sub->addEntry("Soft");
    sub->addEntry("Hard");
    menu->addEntry(sub, "Shapes");
    page->addView(menu);
    text = new TextEdit(kTextRect, this, kTextTag, "Voice A");
    text->setHoriAlign(HoriAlign::Left);
    page->addView(text);
    kick = new KickButton(kKickRect, this, kKickTag, nullptr);
    page->addView(kick);
    readout = new ParamDisplay(kReadoutRect);
    page->addView(readout);
    return true;
  }
  void frameClosing(Frame&) override {
    knob = nullptr;
    button = nullptr;
    menu = nullptr;
    text = nullptr;
    kick = nullptr;
    readout = nullptr;
    page = nullptr;
  }

private:
  std::unique_ptr<GuiBitmap> frameBackground;
  std::unique_ptr<GuiBitmap> pageBackground;
};

}  // namespace vt::gui::test
