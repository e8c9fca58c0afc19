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
#include <cstdint>
#include <thread>

#include "editor/control_registry.h"
#include "editor/display_binding.h"
#include "editor/editor_images.h"
#include "engine/random_source.h"
#include "gui/control.h"
#include "gui/gui_editor.h"
#include "gui/gui_events.h"
#include "platform/file_chooser.h"

namespace vt::gui {
class ViewContainer;
}

namespace vt {

class AudioImporter;
class DisplayEditBuffers;
class FileBrowser;
class EditorOwner;
class SynthEngine;
class InstrumentLibrary;
class VoiceLibrary;

class PluginEditor : public gui::GuiEditor,
                     public gui::ControlListener,
                     public DisplayEditListener,
                     public gui::DropHandler {
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

  // The one place where the editor reacts to a parameter write (from its own
  // controls through the host, from the host, or from the engine): the index
  // becomes the MIDI-learn target, the value is mirrored into every control
  // showing the index, and what the index asks for (a command, a rebinding, a
  // snap-back) runs on the UI thread: at once when called there, else at the
  // next idle. Any thread.
  virtual void setParameter(int index, float value);
  // Shows the engine again after a load: the multisample counts, names and
  // root notes of the voices, then every index mirrored (commands that load,
  // import or randomise are not run again).
  void refreshAll();
  // The same, kept for the plug-in's chunk loads.
  virtual void refreshFromEngine() { refreshAll(); }

  // Drops on the window: audio files, voices and blocks on a voice page,
  // instruments anywhere (extensions compared without case).
  void onDrop(const gui::DropData& data, gui::Point where) override;
  // Loads a file as its extension says into the voice of the page on show
  // (its selected multisample and layer); instruments on any page. False
  // when the file is of no known kind, not for this page, or unreadable.
  bool loadDroppedFile(const char* path);

  // The dialog behind the load commands (null: the system's, else the
  // editor's own browser). Not owned; set before the first command.
  void setFileChooser(FileChooser* chooser) { injectedChooser = chooser; }
  bool fileChoiceRunning() const { return chooserAction != FileAction::None; }
  // The audio import behind commands 205-208 and dropped audio (default: the
  // analysis with the desktop's progress window). Not owned.
  void setAudioImporter(AudioImporter* importer) { audioImporter = importer; }
  AudioImporter* activeImporter() const { return audioImporter ? audioImporter : ownImporter; }

  // The selection context of a voice as the parameters give it.
  int selectedMultisample(int voice);
  int selectedLayer(int voice);

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
  // After an instrument load: the host reads the parameters again.
  void tellHostParametersChanged();
  // Scans the voice folders again (once the voice library exists).
  void rescanVoices();

  SynthEngine* engine;
  EditorOwner* owner;
  InstrumentLibrary* library = nullptr;
  VoiceLibrary* voices = nullptr;         // made when the window first opens
  DisplayEditBuffers* buffers = nullptr;  // made when the window first opens
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

  // What a chosen file is for.
  enum class FileAction { None, ImportAudio, LoadVoice, LoadInstrument, LoadHarmonics, LoadNoise };
  void markPending(int index, float value);
  void dispatchPending();
  void perform(int index, float value);
  void performVoiceParameter(int index, float value);
  void performCommand(int index, float value);
  void writeParameter(int index, float value);
  void showRootNote(int voice, bool writeParameterToo);
  void setRootNote(int voice, float value);
  void copyVoiceName(int voice);
  void chooseFile(FileAction action, int voice);
  void pollFileChoice();
  void endFileChoice();
  bool runFileAction(FileAction action, int voice, const char* path);
  void loadInstrumentPath(const char* path);
  void loadChosenVoice(int voice);
  bool onUiThread() const { return std::this_thread::get_id() == uiThread; }

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

  // Writes waiting for the UI thread: one bit per index and the latest value.
  static constexpr int kPendingWords = (kNumParameters + 31) / 32;
  std::atomic<std::uint32_t> pendingBits[kPendingWords] = {};
  std::atomic<float> pendingValues[kNumParameters] = {};
  std::thread::id uiThread;
  bool dispatching = false;             // UI thread only
  std::atomic<bool> refreshing{false};  // read by writes on any thread

  FileChooser* injectedChooser = nullptr;
  FileChooser* systemChooser = nullptr;  // owned
  bool systemChooserTried = false;
  FileBrowser* browser = nullptr;  // the editor's own dialog while shown
  FileChooser* activeChooser = nullptr;
  FileAction chooserAction = FileAction::None;
  int chooserVoice = 0;
  AudioImporter* audioImporter = nullptr;
  AudioImporter* ownImporter = nullptr;  // owned
};

}  // namespace vt
