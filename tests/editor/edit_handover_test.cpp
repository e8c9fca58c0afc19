// An edit of a voice's harmonics reaches the engine whole while a note plays:
// the render runs block after block on its own thread while the UI thread
// changes the editor's copy and hands it over again and again. The held note
// keeps its sound; the next note plays the edit.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "editor/control_registry.h"
#include "editor/display_edit_buffers.h"
#include "editor/plugin_editor.h"
#include "engine/harmonic_set.h"
#include "engine/synth_engine.h"
#include "gui/headless/headless_window.h"
#include "tests/engine/voice_test_sounds.h"

namespace vt {
namespace {

constexpr int kBlock = 512;

// An engine that keeps rendering while a load is handed over tells whether it
// is resumed; one without that adopts a load itself when no block came for a
// while and renders silence meanwhile, so a held note may drop out there.
template <typename E, typename = void>
struct HandsOverWhileRendering : std::false_type {};
template <typename E>
struct HandsOverWhileRendering<E, std::void_t<decltype(std::declval<const E&>().isResumed())>> : std::true_type {};
constexpr double kRate = 44100.0;

gui::PlatformWindow* headless(gui::Frame& frame, void* /*parent*/) { return new gui::HeadlessWindow(frame); }

double rms(const std::vector<float>& x) {
  double sum = 0.0;
  for (float v : x) sum += static_cast<double>(v) * v;
  return std::sqrt(sum / static_cast<double>(x.size()));
}

class EditHandover : public ::testing::Test {
protected:
  EditHandover() {
    engine.setParameter(Stretch, 0.5f);
    engine.setParameter(DoMorphing, 0.0f);
    engine.setParameter(GlobalLoopOn, 1.0f);  // the held note sustains however long the edits take
    for (int p : {MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY}) engine.setParameter(p, 0.0f);  // slot A
    test::buildSlot(engine.slot(0), 220.0f, {{1, 0.5f}, {2, 0.2f}}, 30.0f);
    for (int s = 1; s < kNumSlots; ++s) test::buildSlot(engine.slot(s), 110.0f, {{1, 0.3f}}, 2.0f);
    engine.resume();  // as a host does before it asks for audio: loads then wait for a block
  }
  std::vector<float> render(int blocks) {
    std::vector<float> out(static_cast<std::size_t>(blocks) * kBlock), right(kBlock);
    for (int b = 0; b < blocks; ++b) engine.render(&out[static_cast<std::size_t>(b) * kBlock], right.data(), kBlock);
    return out;
  }
  void note(bool on) {
    const std::uint8_t message[3] = {static_cast<std::uint8_t>(on ? 0x90 : 0x80), 57, 100};
    engine.queueMessage(message, 3, 0);
  }
  // Harmonic 2 over harmonic 1 in 0.1 s of steady sound (22 and 44 whole periods).
  static double ratioOfSecondToFirst(const std::vector<float>& x) {
    const int n = 4410;
    const float* tail = x.data() + x.size() - n;
    return test::amplitudeAt(tail, n, 440.0, kRate) / std::max(1e-9, test::amplitudeAt(tail, n, 220.0, kRate));
  }

  SynthEngine engine;
};

TEST_F(EditHandover, AHeldNoteNeverMeetsAHalfEditedListAndTheNextNotePlaysTheEdit) {
  engine.setParameter(SoftLoudButtonA, 1.0f);  // both layers take the edit
  PluginEditor editor(nullptr, &engine);
  editor.setWindowFactory(headless);
  int parent = 0;
  ASSERT_TRUE(editor.open(&parent));
  editor.setParameter(PluginEditor::kPageTabs, 0.0f);  // voice A
  editor.idle();
  const ControlRegistry& r = editor.controls();
  gui::Control* bars = nullptr;
  for (int i = r.firstWithTag(174); i >= 0; i = r.at(i).next)
    if (r.at(i).page == 0) bars = r.at(i).control;
  ASSERT_NE(bars, nullptr);
  ASSERT_NE(editor.editBuffers(), nullptr);

  note(true);
  const std::vector<float> before = render(40);
  const double steady = rms(std::vector<float>(before.end() - 8 * kBlock, before.end()));
  ASSERT_GT(steady, 0.01);
  const double ratioBefore = ratioOfSecondToFirst(before);

  std::atomic<bool> stop{false};
  std::vector<double> blockLevels;
  // Without the hand-over beside a running render the edits are adopted between blocks of this thread.
  const bool concurrent = HandsOverWhileRendering<SynthEngine>::value;
  std::thread audio([&] {
    std::vector<float> left(kBlock), right(kBlock);
    while (concurrent && !stop.load()) {
      // About real time: a free-running loop would play past the end of the held sound.
      std::this_thread::sleep_for(std::chrono::milliseconds(4));
      engine.render(left.data(), right.data(), kBlock);
      blockLevels.push_back(rms(left));
    }
  });
  // The UI thread drags: harmonic 1 down to nothing, harmonic 2 up, a step at a time.
  for (int step = 1; step <= 20; ++step) {
    HarmonicSet& copy = editor.editBuffers()->harmonics(0);
    const float fall = 1.0f - static_cast<float>(step) / 20.0f;
    for (int i = 0; i < copy.amplitude[0].count(); ++i)
      copy.amplitude[0].setY(i, (i == 1 || i == 2) ? 0.5f * fall : 0.0f);
    for (int i = 0; i < copy.amplitude[1].count(); ++i) copy.amplitude[1].setY(i, (i == 1 || i == 2) ? 0.6f : 0.0f);
    editor.editFinished(bars);
  }
  stop.store(true);
  audio.join();
  if (!concurrent) blockLevels.push_back(rms(render(8)));
  ASSERT_FALSE(blockLevels.empty());
  for (double level : blockLevels) {
    ASSERT_TRUE(std::isfinite(level));
    EXPECT_GT(level, 0.5 * steady);  // never torn to silence while held
  }

  note(false);
  render(200);
  note(true);
  const std::vector<float> after = render(40);
  EXPECT_GT(ratioOfSecondToFirst(after), 10.0 * ratioBefore);  // harmonic 1 gone, harmonic 2 louder
  editor.close();
}

}  // namespace
}  // namespace vt
