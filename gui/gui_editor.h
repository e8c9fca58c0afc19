// The editor base over the VST 2 editor interface. open() creates the Frame
// (the editor rectangle, inside the host's parent window, through the window
// factory), lets the subclass build its views (buildFrame), draws everything
// and flushes before returning; idle() pumps events, redraws what is dirty and
// flushes; close() lets the subclass let go (frameClosing) and destroys the
// frame. It can be opened and closed any number of times.
#pragma once

#include "gui/platform_window.h"
#include "vst2/aeff_editor.h"

namespace vt::gui {

class Frame;

class GuiEditor : public vst2::AEffEditor {
public:
  explicit GuiEditor(vst2::AudioEffect* effect);
  ~GuiEditor() override;

  bool getRect(vst2::ERect** rect) override;
  bool open(void* parentWindow) override;
  void close() override;
  bool isOpen() const override { return frame != nullptr; }
  void idle() override;
  bool setKnobMode(int mode) override;
  bool onKeyDown(int character, int virtualKey, int modifiers) override;
  bool onWheel(float distance) override;

  Frame* getFrame() const { return frame; }
  void* getParentWindow() const { return systemWindow; }
  // The host's knob mode (effSetEditKnobMode): 0 circular, 1 relative circular, 2 linear.
  int getKnobMode() const { return knobMode; }

  // Begin and end of a drag on the control with this tag (the host's begin/end edit).
  virtual void beginEdit(int tag);
  virtual void endEdit(int tag);

  // The backend for the next open (default: the platform's native one; tests use headless).
  void setWindowFactory(WindowFactory factory) { windowFactory = factory; }

protected:
  // Sets the editor rectangle (the frame's size).
  void setEditorRect(int width, int height);
  // Adds the views to a new frame. False makes open fail (the frame is destroyed).
  virtual bool buildFrame(Frame& frame) = 0;
  // Called before the frame is destroyed at close (and after a failed build).
  virtual void frameClosing(Frame& /*frame*/) {}

  Frame* frame = nullptr;
  vst2::ERect rectangle{};

private:
  WindowFactory windowFactory;
  int knobMode = kDefaultKnobMode;
  static constexpr int kDefaultKnobMode = 0;
};

}  // namespace vt::gui
