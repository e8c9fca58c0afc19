// The instrument's editor: an 800 x 550 window of eight pages (voices A-D,
// modulation, morph, main, effects) under a row of page tabs, instrument
// menus and commands. Its constructor also scans the factory instrument
// library and loads the first instrument into the engine, so a new instance
// starts with it.
//
// Every control carries a parameter index as its tag. A gesture goes out as
// an automated parameter write through the owner; every write that reaches
// setParameter (from the editor, the host or the engine) is mirrored into the
// controls showing that index. Values set from any thread only mark controls
// dirty; drawing and page changes happen at idle on the UI thread.
#pragma once

#include <atomic>

#include "editor/control_registry.h"
#include "editor/display_binding.h"
#include "editor/editor_images.h"
#include "engine/random_source.h"
#include "gui/control.h"
#include "gui/gui_editor.h"

namespace vt::gui {
class ViewContainer;
}

namespace vt {

class DisplayEditBuffers;
class EditorOwner;
class SynthEngine;
class InstrumentLibrary;
class VoiceLibrary;

class PluginEditor : public gui::GuiEditor, public gui::ControlListener, public DisplayEditListener {
public:
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 550;
  static constexpr int kPageTabs = 181;
  static constexpr int kFirstPage = 5;  // the morph page is shown first

  // owner gives the parameter road and the host's edit gestures; without one
  // the editor writes the engine directly.
  PluginEditor(vst2::AudioEffect* effect, SynthEngine* engine, EditorOwner* owner = nullptr);
  ~PluginEditor() override;

  void idle() override;

  // Mirrors a parameter write into the controls; a write of the page tabs
  // (181) changes the page at the next idle. Any thread.
  virtual void setParameter(int index, float value);
  // Re-reads every control from the engine (after a chunk or instrument load).
  virtual void refreshFromEngine();

  // ControlListener: a control's gesture becomes an automated parameter write.
  void valueChanged(gui::DrawContext* context, gui::Control* control) override;
  void beginEdit(int tag) override;
  void endEdit(int tag) override;

  // DisplayEditListener: a display's edited copy goes to the engine (applyEdit).
  void editFinished(gui::Control* display) override;
  // Takes fresh copies of the engine data for the editing displays and binds them.
  void rebindDisplays();
  DisplayEditBuffers* editBuffers() { return buffers; }
  const VoiceLibrary* voiceLibrary() const { return voices; }

  // Rescans the factory instrument library and/or loads the selected
  // instrument (the first instrument of the first category while no window
  // is open). A file that does not open changes nothing.
  void rescanAndLoad(bool rescan, bool load);
  const InstrumentLibrary* instrumentLibrary() const { return library; }

  // The random voices command: four voices picked by the selected instrument
  // category (the first category while no window is open), then the morph,
  // tone and effect randomisers for that category; the editor refreshes.
  void randomVoices();

  // The generator behind the random commands (random voices, morph, tone, effects).
  RandomSource& randomSource() { return random; }
  void seedRandom(unsigned seed) { random.seed(seed); }

  // ---- What is on the window (UI thread) ----
  int currentPage() const { return shownPage; }
  // Page p's container while open (whether shown or not), else nullptr.
  gui::ViewContainer* pageView(int page) const;
  const ControlRegistry& controls() const { return registry; }
  EditorImages& editorImages() { return images; }

protected:
  bool buildFrame(gui::Frame& frame) override;
  void frameClosing(gui::Frame& frame) override;

  SynthEngine* engine;
  EditorOwner* owner;
  InstrumentLibrary* library = nullptr;
  VoiceLibrary* voices = nullptr;
  DisplayEditBuffers* buffers = nullptr;
  RandomSource random;
  int selectedCategory = 0;  // 0-based category and item of the instrument menus
  int selectedInstrument = 0;

private:
  struct ReadoutBinding {
    PluginEditor* editor;
    int index;
  };
  static void formatReadout(float value, char* text, void* userData);
  static void* readoutData(int tag, void* context);
  static float readParameter(int index, void* context);

  float parameterValue(int index);
  void showPage(int page);
  void fillMenus();
  void fillInstrumentMenu();
  void loadControlValues();
  void destroyPages();

  EditorImages images;
  ControlRegistry registry;
  gui::ViewContainer* pages[8] = {};
  int shownPage = kFirstPage;
  std::atomic<int> requestedPage{-1};
  std::atomic<bool> windowOpen{false};
  // setParameter calls (from any thread) still walking the controls; closing
  // waits for them before the controls go away.
  std::atomic<int> mirroring{0};
  ReadoutBinding readouts[kNumParameters];
};

}  // namespace vt
