// The editor window: every page builds, every control sits at its tag, kind
// and rectangle, values start from the plug-in's parameters and survive
// closing and reopening, and the page tabs switch pages.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "editor/display_edit_buffers.h"
#include "editor/film_knob.h"
#include "editor/frequency_curve_display.h"
#include "editor/harmonic_envelope_display.h"
#include "editor/harmonics_display.h"
#include "editor/morph_envelope_display.h"
#include "editor/morph_pad.h"
#include "editor/noise_envelope_display.h"
#include "editor/number_field.h"
#include "editor/page_layout.h"
#include "editor/plugin_editor.h"
#include "editor/radio_group.h"
#include "editor/voice_list.h"
#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"
#include "engine/voice_slot.h"
#include "gui/frame.h"
#include "gui/h_slider.h"
#include "gui/headless/headless_window.h"
#include "gui/kick_button.h"
#include "gui/multi_switch.h"
#include "gui/on_off_button.h"
#include "gui/option_menu.h"
#include "gui/png_codec.h"
#include "gui/text_edit.h"
#include "gui/view_container.h"
#include "plugin/plugin_effect.h"
#include "tests/support/fake_host.h"

namespace vt {
namespace {

using K = ControlKind;

struct Expected {
  int page;  // -1 frame
  int tag;
  ControlKind kind;
  int left, top, right, bottom;
};

// A knob and its read-out 'below' pixels under the knob's top (0: none).
void knob(std::vector<Expected>& out, int page, int tag, int x, int y, int below = 62) {
  out.push_back({page, tag, K::FilmKnob, x, y, x + 35, y + 35});
  if (below) out.push_back({page, tag, K::ParamDisplay, x - 2, y + below, x + 35, y + below + 11});
}

// The controls as the layout description places them (button sizes are one state of their image).
std::vector<Expected> expectedControls() {
  std::vector<Expected> e;
  const int F = -1;
  e.push_back({F, 181, K::RadioGroup, 13, 66, 788, 87});
  e.push_back({F, 238, K::OptionMenu, 330, 15, 477, 34});
  e.push_back({F, 237, K::OptionMenu, 491, 15, 637, 34});
  e.push_back({F, 239, K::KickButton, 310, 18, 331, 35});
  e.push_back({F, 217, K::KickButton, 325, 35, 391, 60});
  e.push_back({F, 218, K::KickButton, 413, 35, 467, 60});
  e.push_back({F, 244, K::KickButton, 488, 35, 542, 60});
  e.push_back({F, 232, K::KickButton, 562, 35, 613, 60});
  knob(e, F, MasterDetune, 35, 494, 0);
  e.push_back({F, 236, K::OnOffButton, 84, 504, 132, 527});

  for (int v = 0; v < 4; ++v) {
    const int p = v;
    e.push_back({p, 190 + v, K::TextEdit, 16, 11, 86, 28});
    e.push_back({p, 209 + v, K::KickButton, 13, 40, 52, 61});
    e.push_back({p, 213 + v, K::KickButton, 51, 40, 88, 61});
    e.push_back({p, 205 + v, K::KickButton, 13, 67, 89, 90});
    e.push_back({p, SoloButtonA + v, K::OnOffButton, 13, 113, 89, 134});
    e.push_back({p, SoftLoudButtonA + v, K::RadioGroup, 5, 141, 5 + 64 + 25, 163});
    e.push_back({p, NumMultisamplesA + v, K::NumberField, 40, 174, 95, 186});
    e.push_back({p, MultisampleA + v, K::NumberField, 40, 198, 95, 210});
    e.push_back({p, 224 + v, K::NumberField, 40, 224, 95, 236});
    e.push_back({p, Unused1 + v, K::NumberField, 39, 267, 94, 279});
    e.push_back({p, VoiceDetuneA + v, K::NumberField, 40, 291, 95, 303});
    e.push_back({p, 194 + v, K::OnOffButton, 13, 326, 89, 347});
    e.push_back({p, EnvelopeModeA + v, K::MultiSwitch, 3, 353, 96, 375});
    e.push_back({p, 174, K::HarmonicsDisplay, 155, 18, 672, 114});
    e.push_back({p, 175, K::HarmonicEnvelopeDisplay, 158, 125, 671, 176});
    e.push_back({p, 176, K::NoiseSpectrumDisplay, 158, 209, 671, 304});
    e.push_back({p, 177, K::NoiseEnvelopeDisplay, 158, 313, 671, 367});
    e.push_back({p, 228, K::KickButton, 681, 29, 720, 50});
    e.push_back({p, 229, K::KickButton, 720, 29, 757, 50});
    e.push_back({p, NumHarmonicsA + v, K::OnOffButton, 681, 54, 759, 76});
    e.push_back({p, 186 + v, K::OnOffButton, 681, 78, 760, 100});
    e.push_back({p, HarmonizeAOn + v, K::OnOffButton, 682, 102, 760, 124});
    e.push_back({p, 182 + v, K::NumberField, 684, 129, 759, 141});
    knob(e, p, VoiceHarmonicVolumeA + v, 726, 150, 0);
    e.push_back({p, 230, K::KickButton, 681, 220, 720, 241});
    e.push_back({p, 231, K::KickButton, 720, 220, 757, 241});
    knob(e, p, VoiceNoiseVolumeA + v, 726, 342, 0);
  }

  for (int r = 0; r < 8; ++r) {
    const int y = 55 + 31 * r;
    e.push_back({4, ModSource1 + r, K::OptionMenu, 19, y - 20, 173, y});
    e.push_back({4, ModTarget1 + r, K::OptionMenu, 213, y - 20, 365, y});
    e.push_back({4, ModMin1 + r, K::HSlider, 396, y - 21, 396 + 171, y + 1});
    e.push_back({4, ModMax1 + r, K::HSlider, 583, y - 21, 583 + 171, y + 1});
  }
  knob(e, 4, PitchbendRange, 50, 318, 44);
  e.push_back({4, Lfo1Shape, K::RadioGroup, 181, 318, 194, 318 + 44 + 13});
  knob(e, 4, Lfo1Rate, 225, 318, 44);
  e.push_back({4, Lfo2Shape, K::RadioGroup, 320, 318, 333, 318 + 44 + 13});
  knob(e, 4, Lfo2Rate, 364, 318, 44);

  e.push_back({5, 180, K::OnOffButton, 121, 2, 251, 22});
  e.push_back({5, EnvelopeMorphOn, K::OnOffButton, 3, 3, 24, 20});
  e.push_back({5, GlobalSyncOn, K::OnOffButton, 669, 2, 740, 22});
  e.push_back({5, 179, K::MorphEnvelopeDisplay, 9, 29, 757, 110});
  e.push_back({5, 198, K::MorphPad, 148, 158, 359, 369});
  e.push_back({5, MorphModeSelector, K::RadioGroup, 603, 162, 616, 162 + 66 + 13});
  e.push_back({5, 240, K::VoiceList, 9, 157, 145, 176});
  e.push_back({5, 241, K::VoiceList, 379, 157, 515, 176});
  e.push_back({5, 242, K::VoiceList, 9, 351, 145, 370});
  e.push_back({5, 243, K::VoiceList, 379, 351, 515, 370});
  e.push_back({5, 233, K::KickButton, 567, 317, 641, 375});

  for (auto [tag, x, y] : std::vector<std::tuple<int, int, int>>{{Brightness, 48, 170},
                                                                 {HarmAmount, 109, 170},
                                                                 {NoiseAmount, 169, 170},
                                                                 {LfoRate, 334, 170},
                                                                 {LfoVibrato, 394, 170},
                                                                 {LfoTremolo, 455, 170},
                                                                 {PortamentoRate, 623, 170},
                                                                 {Attack, 18, 299},
                                                                 {Stretch, 79, 299},
                                                                 {Release, 139, 299},
                                                                 {Volume, 335, 299},
                                                                 {StereoWidth, 395, 299}})
    knob(e, 6, tag, x, y);
  e.push_back({6, LfoOn, K::OnOffButton, 259, 130, 280, 147});
  e.push_back({6, PortamentoOn, K::OnOffButton, 514, 130, 535, 147});
  e.push_back({6, LfoShape, K::RadioGroup, 289, 172, 302, 240});
  e.push_back({6, GlobalLoopOn, K::OnOffButton, 192, 316, 240, 339});
  e.push_back({6, 234, K::KickButton, 567, 317, 641, 375});

  e.push_back({7, 178, K::FormantCurveDisplay, 10, 30, 757, 112});
  for (auto [tag, x, y] : std::vector<std::tuple<int, int, int>>{{FormantFilterOn, 3, 4},
                                                                 {DistortionOn, 3, 130},
                                                                 {FilterOn, 259, 130},
                                                                 {ChorusOn, 514, 130},
                                                                 {DelayOn, 3, 259},
                                                                 {ReverbOn, 260, 259}})
    e.push_back({7, tag, K::OnOffButton, x, y, x + 21, y + 17});
  for (auto [tag, x, y] : std::vector<std::tuple<int, int, int>>{{Distortion, 18, 170},
                                                                 {Tube, 79, 170},
                                                                 {MBass, 139, 170},
                                                                 {Compress, 200, 170},
                                                                 {FilterCutoff, 334, 170},
                                                                 {FilterRes, 394, 170},
                                                                 {FilterEnv, 455, 170},
                                                                 {ChorusMix, 531, 170},
                                                                 {ChorusRate, 592, 170},
                                                                 {ChorusDelay, 652, 170},
                                                                 {ChorusDepth, 713, 170},
                                                                 {DelayMix, 18, 299},
                                                                 {DelayFeedback, 79, 299},
                                                                 {DelaySyncL, 139, 299},
                                                                 {DelaySyncR, 200, 299},
                                                                 {ReverbMix, 304, 299},
                                                                 {ReverbSize, 364, 299},
                                                                 {ReverbDecay, 425, 299}})
    knob(e, 7, tag, x, y);
  e.push_back({7, FilterMode, K::RadioGroup, 289, 172, 302, 230});
  e.push_back({7, 235, K::KickButton, 567, 317, 641, 375});
  return e;
}

// The framework class each kind must be.
bool isOfKind(gui::Control* c, ControlKind kind) {
  switch (kind) {
    case K::FilmKnob:
      return dynamic_cast<FilmKnob*>(c) != nullptr;
    case K::ParamDisplay:
      return dynamic_cast<gui::ParamDisplay*>(c) && !dynamic_cast<gui::OptionMenu*>(c) &&
             !dynamic_cast<gui::TextEdit*>(c);
    case K::OnOffButton:
      return dynamic_cast<gui::OnOffButton*>(c) != nullptr;
    case K::KickButton:
      return dynamic_cast<gui::KickButton*>(c) != nullptr;
    case K::RadioGroup:
      return dynamic_cast<RadioGroup*>(c) != nullptr;
    case K::NumberField:
      return dynamic_cast<NumberField*>(c) != nullptr;
    case K::MultiSwitch:
      return dynamic_cast<gui::MultiSwitch*>(c) != nullptr;
    case K::TextEdit:
      return dynamic_cast<gui::TextEdit*>(c) != nullptr;
    case K::OptionMenu:
      return dynamic_cast<gui::OptionMenu*>(c) != nullptr;
    case K::VoiceList:
      return dynamic_cast<VoiceList*>(c) != nullptr;
    case K::HSlider:
      return dynamic_cast<gui::HSlider*>(c) != nullptr;
    case K::HarmonicsDisplay:
      return dynamic_cast<HarmonicsDisplay*>(c) != nullptr;
    case K::HarmonicEnvelopeDisplay:
      return dynamic_cast<HarmonicEnvelopeDisplay*>(c) != nullptr;
    case K::NoiseEnvelopeDisplay:
      return dynamic_cast<NoiseEnvelopeDisplay*>(c) != nullptr;
    case K::MorphEnvelopeDisplay:
      return dynamic_cast<MorphEnvelopeDisplay*>(c) != nullptr;
    case K::NoiseSpectrumDisplay:
    case K::FormantCurveDisplay: {
      auto* display = dynamic_cast<FrequencyCurveDisplay*>(c);
      return display && display->range() == (kind == K::NoiseSpectrumDisplay ? 50.0f : 2.0f);
    }
    case K::MorphPad:
      return dynamic_cast<MorphPad*>(c) != nullptr;
    default:
      return false;
  }
}

gui::PlatformWindow* headlessWindow(gui::Frame& frame, void* /*parent*/) { return new gui::HeadlessWindow(frame); }

class EditorWindow : public ::testing::Test {
protected:
  EditorWindow() {
    effect = createPluginInstance(test::FakeHost::callback());
    plugin = static_cast<PluginEffect*>(effect->object);
    editor = plugin->getPluginEditor();
    editor->setWindowFactory(headlessWindow);
  }
  ~EditorWindow() override { effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f); }

  bool open() { return effect->dispatcher(effect, vst2::effEditOpen, 0, 0, &parent, 0.0f) == 1; }
  void close() { effect->dispatcher(effect, vst2::effEditClose, 0, 0, nullptr, 0.0f); }
  void idle() { effect->dispatcher(effect, vst2::effEditIdle, 0, 0, nullptr, 0.0f); }

  gui::Control* find(int page, int tag, ControlKind kind) const {
    const ControlRegistry& r = editor->controls();
    for (int i = r.firstWithTag(tag); i >= 0; i = r.at(i).next)
      if (r.at(i).page == page && r.at(i).kind == kind) return r.at(i).control;
    return nullptr;
  }

  test::FakeHost host;
  vst2::AEffect* effect = nullptr;
  PluginEffect* plugin = nullptr;
  PluginEditor* editor = nullptr;
  int parent = 0;
};

TEST_F(EditorWindow, AnswersItsRectangleAndOpensOnTheMorphPageWithItsTabLit) {
  vst2::ERect* rect = nullptr;
  ASSERT_EQ(effect->dispatcher(effect, vst2::effEditGetRect, 0, 0, &rect, 0.0f), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, 800);
  EXPECT_EQ(rect->bottom - rect->top, 550);

  ASSERT_TRUE(open());
  for (int page = 0; page < kPageCount; ++page) ASSERT_NE(editor->pageView(page), nullptr) << page;
  EXPECT_EQ(editor->currentPage(), kMorphPage);
  gui::Frame* frame = editor->getFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->containsView(editor->pageView(kMorphPage)));
  EXPECT_FALSE(frame->containsView(editor->pageView(kMainPage)));
  auto* tabs = dynamic_cast<RadioGroup*>(find(-1, 181, K::RadioGroup));
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->currentEntry(), 5);
  // The frame shows the embedded artwork: the background is not one flat colour.
  const gui::Surface& s = frame->surface();
  EXPECT_NE(s.pixel(20, 20), s.pixel(400, 300));
}

TEST_F(EditorWindow, EveryControlSitsAtItsTagKindAndRectangle) {
  ASSERT_TRUE(open());
  const std::vector<Expected> expected = expectedControls();
  const ControlRegistry& r = editor->controls();
  EXPECT_EQ(r.count(), static_cast<int>(expected.size()));
  for (const Expected& x : expected) {
    gui::Control* c = find(x.page, x.tag, x.kind);
    ASSERT_NE(c, nullptr) << "page " << x.page << " tag " << x.tag << " " << controlKindName(x.kind);
    EXPECT_TRUE(isOfKind(c, x.kind)) << x.tag;
    EXPECT_EQ(c->getViewSize(), gui::Rect(x.left, x.top, x.right, x.bottom))
        << "page " << x.page << " tag " << x.tag << " " << controlKindName(x.kind);
    // Controls belong to the container of their page (frame controls to the frame).
    const gui::ViewContainer* holder =
        x.page < 0 ? static_cast<gui::ViewContainer*>(editor->getFrame()) : editor->pageView(x.page);
    EXPECT_TRUE(holder->containsView(c)) << x.tag;
  }
  // Only modulation slots 1-8 have controls.
  for (int tag : {ModSource9, ModSource10, ModTarget9, ModTarget10, ModMin9, ModMax10})
    EXPECT_EQ(r.firstWithTag(tag), -1) << tag;
  // The menus list their items: 127 source names and 54 targets by parameter name.
  auto* source = dynamic_cast<gui::OptionMenu*>(find(4, ModSource1, K::OptionMenu));
  auto* target = dynamic_cast<gui::OptionMenu*>(find(4, ModTarget1, K::OptionMenu));
  ASSERT_TRUE(source && target);
  EXPECT_EQ(source->getNbEntries(), 128);
  EXPECT_EQ(target->getNbEntries(), 54);
  char text[256];
  ASSERT_TRUE(source->getEntry(9, text));
  EXPECT_STREQ(text, "1  Modulation wheel");
  ASSERT_TRUE(target->getEntry(24, text));
  EXPECT_STREQ(text, "FilterCutoff");
  ASSERT_TRUE(target->getEntry(0, text));
  EXPECT_STREQ(text, "None");
}

TEST_F(EditorWindow, ControlsStartFromTheParametersAndReopeningRestoresThem) {
  for (int round = 0; round < 3; ++round) {
    const float knobValue = 0.1f + 0.3f * static_cast<float>(round);
    effect->setParameter(effect, FilterCutoff, knobValue);
    effect->setParameter(effect, DelayOn, round % 2 ? 1.0f : 0.0f);
    effect->setParameter(effect, NumMultisamplesB, 3.0f / 8.0f);  // the selection may not pass the count
    effect->setParameter(effect, MultisampleB, 3.0f / 8.0f);
    effect->setParameter(effect, FilterMode, 1.0f);
    effect->setParameter(effect, ModSource3, static_cast<float>(10 + round));
    effect->setParameter(effect, EnvelopeModeC, 0.5f);
    ASSERT_TRUE(open()) << round;
    EXPECT_EQ(editor->currentPage(), kMorphPage);
    EXPECT_FLOAT_EQ(find(7, FilterCutoff, K::FilmKnob)->getValue(), knobValue);
    EXPECT_FLOAT_EQ(find(7, FilterCutoff, K::ParamDisplay)->getValue(), knobValue);
    EXPECT_FLOAT_EQ(find(7, DelayOn, K::OnOffButton)->getValue(), round % 2 ? 1.0f : 0.0f);
    EXPECT_EQ(static_cast<NumberField*>(find(1, MultisampleB, K::NumberField))->currentStep(), 3);
    EXPECT_EQ(static_cast<RadioGroup*>(find(7, FilterMode, K::RadioGroup))->currentEntry(), 2);
    EXPECT_EQ(static_cast<gui::OptionMenu*>(find(4, ModSource3, K::OptionMenu))->getCurrent(), 10 + round);
    EXPECT_EQ(static_cast<gui::MultiSwitch*>(find(2, EnvelopeModeC, K::MultiSwitch))->currentState(), 1);
    // A write while open reaches the knob and its read-out.
    effect->setParameter(effect, ReverbMix, 0.75f);
    EXPECT_FLOAT_EQ(find(7, ReverbMix, K::FilmKnob)->getValue(), 0.75f);
    EXPECT_FLOAT_EQ(find(7, ReverbMix, K::ParamDisplay)->getValue(), 0.75f);
    idle();
    close();
    EXPECT_FALSE(editor->isOpen());
    EXPECT_EQ(editor->pageView(0), nullptr);
    EXPECT_EQ(editor->controls().count(), 0);
    // Writes while closed touch nothing of the window.
    effect->setParameter(effect, ReverbMix, 0.25f);
  }
}

TEST_F(EditorWindow, ThePageTabsChangeThePageAtTheNextIdle) {
  ASSERT_TRUE(open());
  auto* tabs = dynamic_cast<RadioGroup*>(find(-1, 181, K::RadioGroup));
  ASSERT_NE(tabs, nullptr);
  for (int page : {2, 7, 0, 4}) {
    const int before = editor->currentPage();
    effect->setParameter(effect, 181, static_cast<float>(page) / 7.0f);
    EXPECT_EQ(editor->currentPage(), before);
    idle();
    EXPECT_EQ(editor->currentPage(), page);
    EXPECT_EQ(tabs->currentEntry(), page);
    EXPECT_TRUE(editor->getFrame()->containsView(editor->pageView(page)));
  }
  // A click on a tab goes the same road: the host hears the write, the page follows at idle.
  auto* window = static_cast<gui::HeadlessWindow*>(editor->getFrame()->platformWindow());
  const gui::Rect tab6 = tabs->entryRect(6);
  window->press(gui::Point(tab6.left + 10, tab6.top + 5));
  window->release(gui::Point(tab6.left + 10, tab6.top + 5));
  idle();
  EXPECT_EQ(editor->currentPage(), 6);
  close();
}

TEST_F(EditorWindow, WritesFromAnotherThreadMeanwhileOpeningAndClosingAreSafe) {
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    float v = 0.0f;
    while (!stop.load()) {
      editor->setParameter(ReverbMix, v);
      editor->setParameter(181, v);
      v = v > 0.99f ? 0.0f : v + 0.01f;
    }
  });
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(open());
    idle();
    close();
  }
  stop.store(true);
  writer.join();
  ASSERT_TRUE(open());
  EXPECT_EQ(editor->currentPage(), kMorphPage);
  close();
}

// Writes the eight pages as PNGs into the folder named by VT7000_EDITOR_SNAPSHOTS.
TEST_F(EditorWindow, ADisplayEditChangesOnlyItsCopyUntilTheRelease) {
  // Voice A: one harmonic with three times, in both layers of the first multisample.
  SynthEngine& engine = *plugin->getEngine();
  VoiceSlot& slot = engine.slot(0);
  for (int layer = 0; layer < 2; ++layer) {
    HarmonicSet& set = slot.harmonics[0][layer];
    set.reset();
    set.amplitude[0].add(0.0f, 0.0f);
    set.amplitude[0].add(1.0f, 0.5f);
    set.amplitude[0].add(2.0f, 0.0f);
    for (float t : {0.0f, 1.0f, 2.0f}) set.frequency[0].add(t, 1.0f);
    set.buildTotal();
    set.updateDuration();
  }
  ASSERT_TRUE(open());
  effect->setParameter(effect, 181, 0.0f);  // voice A's page
  idle();
  ASSERT_EQ(editor->currentPage(), 0);
  auto* envelope = static_cast<HarmonicEnvelopeDisplay*>(find(0, 175, ControlKind::HarmonicEnvelopeDisplay));
  ASSERT_NE(envelope, nullptr);
  const int layer = engine.getParameter(SoftLoudButtonA) > 0.0f ? 1 : 0;
  const HarmonicSet& live = slot.harmonics[0][layer];
  const HarmonicSet* copy = envelope->boundSet();
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy, &live);
  ASSERT_EQ(envelope->pointCount(), 3);

  // Drag the middle point (the sum 0.5 is a quarter of the plot) up to half the plot.
  const gui::Point page(kPageLeft, kPageTop);
  const gui::Point grab = envelope->pointPosition(1) + page;
  const gui::Rect plot = envelope->plotRect();
  auto& window = *static_cast<gui::HeadlessWindow*>(editor->getFrame()->platformWindow());
  window.press(grab);
  window.move(gui::Point(grab.x, plot.top + plot.height() / 2 + page.y));
  EXPECT_NEAR(copy->amplitude[0].y(1), 1.0f, 0.03f);
  EXPECT_EQ(live.amplitude[0].y(1), 0.5f);  // the engine still plays the old list
  window.release(gui::Point(grab.x, plot.top + plot.height() / 2 + page.y));
  // Released: the copy went to the engine whole through a staged load.
  EXPECT_NEAR(live.amplitude[0].y(1), copy->amplitude[0].y(1), 1e-6f);
  EXPECT_EQ(live.amplitude[0].count(), 3);
  close();
}

TEST_F(EditorWindow, SnapshotsOfEveryPage) {
  const char* folder = std::getenv("VT7000_EDITOR_SNAPSHOTS");
  if (!folder) GTEST_SKIP() << "set VT7000_EDITOR_SNAPSHOTS to a folder to write the pages";
  // The pages as a user first sees them: the first factory instrument loaded.
  plugin->getEngine()->setDataFolder(VT7000_OUTPUT_DIR);
  editor->rescanAndLoad(true, true);
  ASSERT_TRUE(open());
  for (int page = 0; page < kPageCount; ++page) {
    effect->setParameter(effect, 181, static_cast<float>(page) / 7.0f);
    idle();
    idle();
    const std::string path = std::string(folder) + "/page-" + std::to_string(page + 1) + ".png";
    EXPECT_TRUE(gui::writePng(path.c_str(), editor->getFrame()->surface())) << path;
  }
  close();
}

}  // namespace
}  // namespace vt
