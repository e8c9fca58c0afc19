// The editor's reactions to parameter writes and gestures: knob drags through
// the host, snap-back of the multisample selection (also for writes from
// another thread, which wait for idle), root-note fields, load buttons acting
// on release through the file chooser, and drops dispatched by extension.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "editor/audio_importer.h"
#include "editor/control_registry.h"
#include "editor/file_browser.h"
#include "editor/nearest_note.h"
#include "editor/number_field.h"
#include "editor/page_layout.h"
#include "editor/plugin_editor.h"
#include "engine/note_frequency_table.h"
#include "engine/synth_engine.h"
#include "gui/frame.h"
#include "gui/headless/headless_window.h"
#include "plugin/plugin_effect.h"
#include "tests/support/fake_host.h"
#include "tests/support/record_builder.h"
#include "tests/support/temp_folder.h"
#include "vst2/aeffect.h"

namespace vt {
namespace {

using K = ControlKind;

gui::PlatformWindow* headless(gui::Frame& frame, void* /*parent*/) { return new gui::HeadlessWindow(frame); }

gui::HeadlessWindow& screenOf(PluginEditor& editor) {
  return *static_cast<gui::HeadlessWindow*>(editor.getFrame()->platformWindow());
}

gui::Control* find(const PluginEditor& editor, int page, int tag, ControlKind kind) {
  const ControlRegistry& r = editor.controls();
  for (int i = r.firstWithTag(tag); i >= 0; i = r.at(i).next)
    if (r.at(i).page == page && r.at(i).kind == kind) return r.at(i).control;
  return nullptr;
}

// A chooser that answers from a script: every start is recorded.
struct ScriptedChooser : FileChooser {
  std::vector<std::string> extensions;
  std::string answer;  // empty: cancelled
  bool running = false;
  bool start(const FileRequest& request) override {
    extensions.push_back(request.extension);
    running = true;
    return true;
  }
  State poll(char* path, std::size_t size) override {
    if (!running) return State::Idle;
    running = false;
    if (answer.empty() || answer.size() >= size) return State::Cancelled;
    std::snprintf(path, size, "%s", answer.c_str());
    return State::Chosen;
  }
  void cancel() override { running = false; }
};

struct RecordingImporter : AudioImporter {
  struct Call {
    std::string path;
    int voice, multisample, layer;
  };
  std::vector<Call> calls;
  bool start(const char* path, int voice, int multisample, int layer) override {
    calls.push_back(Call{path, voice, multisample, layer});
    return true;
  }
  bool isRunning() const override { return false; }
  bool takeFinished() override { return false; }
};

TEST(NearestNote, FollowsTheNoteTableWithItsEdges) {
  const NoteFrequencyTable notes;
  EXPECT_EQ(nearestNote(440.0f, notes), 69);
  EXPECT_EQ(nearestNote(453.0f, notes), 69);  // below the midpoint of 440 and 466.16
  EXPECT_EQ(nearestNote(454.0f, notes), 70);
  EXPECT_EQ(nearestNote(1.0f, notes), 0);
  EXPECT_EQ(nearestNote(20000.0f, notes), 127);
  EXPECT_EQ(nearestNote(std::nanf(""), notes), 0);
  EXPECT_EQ(nearestNote(notes[0], notes), 0);
  EXPECT_EQ(nearestNote(notes[127], notes), 127);
}

TEST(FileRequests, AudioImportOffersWavAndAiffInAnyCase) {
  const FileRequest audio = fileRequestFor("wav");
  for (const char* name : {"a.wav", "b.WAV", "c.aif", "d.AIFF", "e.Aiff"}) EXPECT_TRUE(fileMatchesRequest(name, audio));
  for (const char* name : {"f.mp3", "wav", "g.wav.txt", "h."}) EXPECT_FALSE(fileMatchesRequest(name, audio)) << name;
  const FileRequest voice = fileRequestFor("v7v");
  EXPECT_TRUE(fileMatchesRequest("dir.x/Bell.V7V", voice));
  EXPECT_FALSE(fileMatchesRequest("Bell.wav", voice));
}

// Through the plug-in, so that the host hears the writes.
class HostedEditor : public ::testing::Test {
protected:
  HostedEditor() {
    effect = createPluginInstance(test::FakeHost::callback());
    plugin = static_cast<PluginEffect*>(effect->object);
    editor = plugin->getPluginEditor();
    editor->setWindowFactory(headless);
  }
  ~HostedEditor() override { effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f); }
  bool open() { return effect->dispatcher(effect, vst2::effEditOpen, 0, 0, &parent, 0.0f) == 1; }
  void idle() { effect->dispatcher(effect, vst2::effEditIdle, 0, 0, nullptr, 0.0f); }
  void showPage(int page) {
    effect->setParameter(effect, PluginEditor::kPageTabs, static_cast<float>(page) / 7.0f);
    idle();
  }
  int automatedCount(int index) const {
    int n = 0;
    for (const auto& w : host.automated) n += w.first == index;
    return n;
  }

  test::FakeHost host;
  vst2::AEffect* effect = nullptr;
  PluginEffect* plugin = nullptr;
  PluginEditor* editor = nullptr;
  int parent = 0;
};

TEST_F(HostedEditor, AKnobDragWritesOnceAStepAndBecomesTheLearnTarget) {
  ASSERT_TRUE(open());
  showPage(kEffectsPage);
  ASSERT_EQ(editor->currentPage(), kEffectsPage);
  effect->setParameter(effect, FilterCutoff, 0.5f);
  host.automated.clear();
  gui::Control* knob = find(*editor, kEffectsPage, FilterCutoff, K::FilmKnob);
  gui::Control* readout = find(*editor, kEffectsPage, FilterCutoff, K::ParamDisplay);
  ASSERT_TRUE(knob && readout);
  const gui::Rect r = knob->frameRect();
  const gui::Point centre((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  screenOf(*editor).drag(centre, gui::Point(centre.x + 40, centre.y - 40), gui::kLeftButton, 8);
  idle();
  const float value = plugin->getParameter(FilterCutoff);
  EXPECT_GT(value, 0.5f);
  EXPECT_FLOAT_EQ(knob->getValue(), value);
  EXPECT_FLOAT_EQ(readout->getValue(), value);
  // Each step of the drag is one automated write, never echoed back as a second one.
  const int writes = automatedCount(FilterCutoff);
  EXPECT_GE(writes, 1);
  EXPECT_LE(writes, 8);
  for (std::size_t i = 1; i < host.automated.size(); ++i)
    EXPECT_NE(host.automated[i].second, host.automated[i - 1].second);
  EXPECT_EQ(static_cast<int>(host.automated.size()), writes);  // nothing but the knob was written
  // The index is what the next controller learns.
  SynthEngine& engine = *plugin->synthEngine();
  engine.setLearnArmed(true);
  float learned = 0.0f;
  EXPECT_EQ(engine.resolveController(20, 64, &learned), FilterCutoff);
}

TEST_F(HostedEditor, MultisampleBeyondTheCountSnapsBackAlsoFromAnotherThread) {
  ASSERT_TRUE(open());
  showPage(1);
  effect->setParameter(effect, NumMultisamplesB, 1.0f / 8.0f);  // two multisamples
  effect->setParameter(effect, MultisampleB, 5.0f / 8.0f);
  auto* field = static_cast<NumberField*>(find(*editor, 1, MultisampleB, K::NumberField));
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->currentStep(), 1);
  EXPECT_FLOAT_EQ(plugin->getParameter(MultisampleB), 1.0f / 8.0f);
  // A write on the audio thread is only shown; the snap-back waits for idle.
  std::thread audio([&] { effect->setParameter(effect, MultisampleB, 7.0f / 8.0f); });
  audio.join();
  EXPECT_EQ(field->currentStep(), 7);
  idle();
  EXPECT_EQ(field->currentStep(), 1);
  EXPECT_FLOAT_EQ(plugin->getParameter(MultisampleB), 1.0f / 8.0f);
  // Lowering the count pulls the selection down with it.
  effect->setParameter(effect, NumMultisamplesB, 0.0f);
  EXPECT_EQ(field->currentStep(), 0);
  EXPECT_FLOAT_EQ(plugin->getParameter(MultisampleB), 0.0f);
}

// A bare editor on an engine whose data folder is a temporary library.
class EditorCommands : public ::testing::Test {
protected:
  EditorCommands() {
    engine.setDataFolder(temp.string().c_str());
    writeRecord("Veltrane7000Data/Instruments-Factory/Keys/First.v7i",
                test::instrumentRecord("First", params(0.25f), 0.5f));
  }
  static std::vector<float> params(float v) { return std::vector<float>(173, v); }
  std::string writeRecord(const std::string& relative, const test::RecordBuilder& record) {
    return temp.writeFile(relative, std::string(record.data.begin(), record.data.end())).string();
  }
  void openEditor() {
    editor = std::make_unique<PluginEditor>(nullptr, &engine);
    editor->setWindowFactory(headless);
    editor->setFileChooser(&chooser);
    editor->setAudioImporter(&importer);
    ASSERT_TRUE(editor->open(&parent));
  }
  void showPage(int page) {
    editor->setParameter(PluginEditor::kPageTabs, static_cast<float>(page) / 7.0f);
    editor->idle();
  }
  // A write as a control makes it: the engine, then the editor.
  void write(int index, float value) {
    engine.setParameter(index, value);
    editor->setParameter(index, value);
  }
  void click(int tag, int page) {
    gui::Control* button = find(*editor, page, tag, K::KickButton);
    ASSERT_NE(button, nullptr) << tag;
    const gui::Rect r = button->frameRect();
    const gui::Point p(r.left + 5, r.top + 5);
    screenOf(*editor).press(p);
    pressedStarts = static_cast<int>(chooser.extensions.size());
    screenOf(*editor).release(p);
    editor->idle();
  }

  test::TempFolder temp;
  SynthEngine engine;
  ScriptedChooser chooser;
  RecordingImporter importer;
  std::unique_ptr<PluginEditor> editor;
  int parent = 0;
  int pressedStarts = 0;
};

TEST_F(EditorCommands, RootNoteFieldsShowTheNearestNoteAndSetBothRoots) {
  openEditor();
  {
    // Loaded beside the live slot like any load, then shown again.
    test::RecordBuilder voice;
    voice.voice("Root", 2, 2, 0.5f);
    const std::string path = writeRecord("Root.v7v", voice);
    chooser.answer = path;
    showPage(0);
    click(209, 0);
  }
  ASSERT_STREQ(engine.slot(0).name, "Root");
  auto* root = static_cast<NumberField*>(find(*editor, 0, 224, K::NumberField));
  ASSERT_NE(root, nullptr);
  const int shown = nearestNote(multisampleRoot(engine.slot(0), 0), engine.noteFrequencyTable());
  EXPECT_EQ(root->currentStep(), shown);
  // Choosing note 69 tunes the selected multisample (both layers) to 440 Hz.
  write(MultisampleA, 1.0f / 8.0f);
  write(224, 69.0f / 128.0f);
  EXPECT_FLOAT_EQ(engine.slot(0).harmonics[1][0].baseFrequency, 440.0f);
  EXPECT_FLOAT_EQ(engine.slot(0).harmonics[1][1].baseFrequency, 440.0f);
  EXPECT_NE(engine.slot(0).harmonics[0][0].baseFrequency, 440.0f);
  // Selecting the other multisample shows its own root; back again shows 69.
  write(MultisampleA, 0.0f);
  EXPECT_EQ(root->currentStep(), shown);
  write(MultisampleA, 1.0f / 8.0f);
  EXPECT_EQ(root->currentStep(), 69);
  EXPECT_FLOAT_EQ(engine.getParameter(224), 69.0f / 128.0f);
}

TEST_F(EditorCommands, LoadButtonsActOnReleaseAndCancelChangesNothing) {
  const std::string second = writeRecord("Second.v7i", test::instrumentRecord("Second", params(0.75f), 0.5f));
  openEditor();
  ASSERT_STREQ(engine.getInstrumentName(), "First");
  chooser.answer.clear();  // cancelled
  click(217, ControlRegistry::kFramePage);
  EXPECT_EQ(pressedStarts, 0);  // the press alone opened nothing
  ASSERT_EQ(chooser.extensions.size(), 1u);
  EXPECT_EQ(chooser.extensions[0], "v7i");
  EXPECT_STREQ(engine.getInstrumentName(), "First");
  EXPECT_FALSE(editor->fileChoiceRunning());

  chooser.answer = second;
  click(217, ControlRegistry::kFramePage);
  EXPECT_STREQ(engine.getInstrumentName(), "Second");
  EXPECT_FLOAT_EQ(find(*editor, kMainPage, Volume, K::FilmKnob)->getValue(), 0.75f);  // shown again

  // An unreadable file changes nothing.
  chooser.answer = temp.writeFile("Broken.v7i", "nonsense").string();
  click(217, ControlRegistry::kFramePage);
  EXPECT_STREQ(engine.getInstrumentName(), "Second");

  // The import button asks for audio, and the import gets the voice's selection.
  showPage(2);
  write(SoftLoudButtonC, 1.0f);  // the loud layer
  chooser.answer = "/tmp/take.aiff";
  click(207, 2);
  ASSERT_EQ(chooser.extensions.back(), "wav");
  ASSERT_EQ(importer.calls.size(), 1u);
  EXPECT_EQ(importer.calls[0].voice, 2);
  EXPECT_EQ(importer.calls[0].layer, 1);
  EXPECT_EQ(importer.calls[0].path, "/tmp/take.aiff");
}

TEST_F(EditorCommands, DropsLoadByExtensionWithoutCase) {
  test::RecordBuilder voice;
  voice.voice("Dropped", 1, 1, 0.5f);
  const std::string voicePath = writeRecord("drops/Dropped.V7V", voice);
  const std::string instrumentPath =
      writeRecord("drops/Other.V7I", test::instrumentRecord("Other", params(0.5f), 0.5f));
  const std::string brokenPath = temp.writeFile("drops/Broken.v7v", "??").string();
  openEditor();
  auto drop = [&](const std::string& path) {
    const char* names[] = {path.c_str()};
    screenOf(*editor).dropFiles(names, 1, gui::Point(400, 300));
    editor->idle();
  };
  // On the morph page only instruments are taken.
  drop(voicePath);
  EXPECT_STRNE(engine.slot(0).name, "Dropped");
  drop("/audio/take.WAV");
  EXPECT_TRUE(importer.calls.empty());
  drop(instrumentPath);
  EXPECT_STREQ(engine.getInstrumentName(), "Other");

  showPage(1);
  write(SoftLoudButtonB, 0.0f);
  drop(voicePath);
  EXPECT_STREQ(engine.slot(1).name, "Dropped");
  drop(brokenPath);
  EXPECT_STREQ(engine.slot(1).name, "Dropped");
  drop("/audio/take.Aif");
  ASSERT_EQ(importer.calls.size(), 1u);
  EXPECT_EQ(importer.calls[0].voice, 1);
  EXPECT_EQ(importer.calls[0].multisample, 0);
  EXPECT_EQ(importer.calls[0].layer, 0);
  drop("/notes/readme.txt");
  EXPECT_EQ(importer.calls.size(), 1u);
  EXPECT_STREQ(engine.slot(1).name, "Dropped");
}

}  // namespace
}  // namespace vt

namespace vt {
namespace {

// PATH and PWD for one test, restored afterwards.
struct ScopedEnvironment {
  ScopedEnvironment(const char* name, const std::string& value) : key(name) {
    if (const char* old = std::getenv(name)) previous = old, had = true;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (had)
      setenv(key, previous.c_str(), 1);
    else
      unsetenv(key);
  }
  const char* key;
  std::string previous;
  bool had = false;
};

class SystemDialogs : public ::testing::Test {
protected:
  SystemDialogs() {
    engine.setDataFolder(temp.string().c_str());
    const test::RecordBuilder record = test::instrumentRecord("Other", std::vector<float>(173, 0.5f), 0.5f);
    other = temp.writeFile("files/Other.v7i", std::string(record.data.begin(), record.data.end())).string();
    temp.makeFolder("files/Sub");
    temp.makeFolder("bin");
  }
  void openEditor() {
    editor = std::make_unique<PluginEditor>(nullptr, &engine);
    editor->setWindowFactory(headless);
    ASSERT_TRUE(editor->open(&parent));
  }
  void pressAndRelease(gui::Point p) {
    screenOf(*editor).press(p);
    screenOf(*editor).release(p);
    editor->idle();
  }
  void clickLoadInstrument() {
    const gui::Rect r = find(*editor, ControlRegistry::kFramePage, 217, K::KickButton)->frameRect();
    pressAndRelease(gui::Point(r.left + 5, r.top + 5));
  }
  void writeScript(const std::string& body) {
    const std::string path = (temp.path() / "bin" / "zenity").string();
    temp.writeFile("bin/zenity", "#!/bin/sh\n" + body);
    chmod(path.c_str(), 0755);
  }

  test::TempFolder temp;
  SynthEngine engine;
  std::string other;
  std::unique_ptr<PluginEditor> editor;
  int parent = 0;
};

TEST_F(SystemDialogs, TheDesktopDialogRunsBesideTheEditorAndIsEndedWithIt) {
  ScopedEnvironment path("PATH", (temp.path() / "bin").string() + ":/usr/bin:/bin");
  const std::string args = (temp.path() / "args.txt").string();
  writeScript("printf '%s\\n' \"$@\" > " + args + "\necho " + other + "\n");
  openEditor();
  clickLoadInstrument();
  for (int i = 0; i < 500 && editor->fileChoiceRunning(); ++i) {
    usleep(10000);
    editor->idle();
  }
  EXPECT_STREQ(engine.getInstrumentName(), "Other");
  std::ifstream in(args);
  const std::string given((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(given.find("Load v7i File"), std::string::npos) << given;
  EXPECT_NE(given.find("*.[vV]7[iI]"), std::string::npos) << given;

  // A dialog still up when the editor closes is ended with it.
  const std::string pidFile = (temp.path() / "pid.txt").string();
  writeScript("echo $$ > " + pidFile + "\nexec sleep 30\n");
  clickLoadInstrument();
  ASSERT_TRUE(editor->fileChoiceRunning());
  int pid = 0;
  for (int i = 0; i < 500 && pid == 0; ++i) {
    usleep(10000);
    std::ifstream p(pidFile);
    p >> pid;
  }
  ASSERT_GT(pid, 0);
  editor->idle();
  EXPECT_TRUE(editor->fileChoiceRunning());  // polled, the host's interface keeps running
  editor->close();
  EXPECT_NE(kill(pid, 0), 0);  // gone (and reaped)
}

TEST_F(SystemDialogs, WithoutADesktopDialogTheEditorBrowsesItselfAndCancelChangesNothing) {
  ScopedEnvironment path("PATH", (temp.path() / "bin").string());  // neither zenity nor kdialog
  ScopedEnvironment folder("PWD", (temp.path() / "files").string());
  openEditor();
  const std::string before = engine.getInstrumentName();
  clickLoadInstrument();
  ASSERT_TRUE(editor->fileChoiceRunning());
  // ".." then the folder then the one instrument file.
  FileBrowser probe(*editor->getFrame(), nullptr);
  pressAndRelease(gui::Point((probe.cancelRect().left + probe.cancelRect().right) / 2, probe.cancelRect().top + 5));
  EXPECT_FALSE(editor->fileChoiceRunning());
  EXPECT_EQ(engine.getInstrumentName(), before);

  clickLoadInstrument();
  ASSERT_TRUE(editor->fileChoiceRunning());
  pressAndRelease(gui::Point(probe.entryRect(1).left + 10, probe.entryRect(1).top + 5));  // into Sub
  EXPECT_TRUE(editor->fileChoiceRunning());
  pressAndRelease(gui::Point(probe.entryRect(0).left + 10, probe.entryRect(0).top + 5));  // back up
  pressAndRelease(gui::Point(probe.entryRect(2).left + 10, probe.entryRect(2).top + 5));  // Other.v7i
  EXPECT_FALSE(editor->fileChoiceRunning());
  EXPECT_STREQ(engine.getInstrumentName(), "Other");
}

}  // namespace
}  // namespace vt
