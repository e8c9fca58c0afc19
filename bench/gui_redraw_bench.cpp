// Drawing the editor with the framework (headless backend: the software
// surface plus the copy a backend makes of the changed rectangles): a full
// repaint of the 800 x 550 window on the main page, and the redraw of one knob
// whose value changed, as during a drag. Targets: full repaint within 5 ms,
// one knob within 0.2 ms.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "bench/bench_support.h"
#include "editor/plugin_editor.h"
#include "engine/synth_engine.h"
#include "gui/frame.h"
#include "gui/headless/headless_window.h"
#include "gui/knob_base.h"

namespace {

constexpr double kFullRepaintTargetMs = 5.0;
constexpr double kKnobTargetMs = 0.2;
constexpr int kMainPage = 6;
int parentWindow = 0;

// The first knob in the frame's tree (depth first), or nullptr.
vt::gui::KnobBase* findKnob(vt::gui::View* view) {
  if (auto* knob = dynamic_cast<vt::gui::KnobBase*>(view)) return knob->isVisible() ? knob : nullptr;
  if (!view->isContainer()) return nullptr;
  auto* container = static_cast<vt::gui::ViewContainer*>(view);
  for (int i = container->viewCount() - 1; i >= 0; --i)
    if (vt::gui::KnobBase* knob = findKnob(container->viewAt(i))) return knob;
  return nullptr;
}

struct OpenEditor {
  vt::SynthEngine engine;
  vt::PluginEditor editor{nullptr, &engine};
  OpenEditor() {
    editor.setWindowFactory(vt::gui::createHeadlessWindow);
    editor.open(&parentWindow);
    editor.setParameter(181, static_cast<float>(kMainPage) / 7.0f);
    editor.idle();
  }
};

void BM_FullRepaint(benchmark::State& state) {
  OpenEditor open;
  vt::gui::Frame* frame = open.editor.getFrame();
  if (!frame) {
    state.SkipWithError("open failed");
    return;
  }
  for (auto _ : state) {
    frame->setDirty();
    benchmark::DoNotOptimize(frame->redraw());
  }
  state.counters["ms"] = benchmark::Counter(static_cast<double>(state.iterations()) * 1e-3,
                                            benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_KnobRedraw(benchmark::State& state) {
  OpenEditor open;
  vt::gui::Frame* frame = open.editor.getFrame();
  vt::gui::KnobBase* knob = frame ? findKnob(frame) : nullptr;
  if (!knob) {
    state.SkipWithError("no knob on the page");
    return;
  }
  float value = 0.0f;
  for (auto _ : state) {
    value = value > 0.9f ? 0.0f : value + 0.013f;
    knob->setValue(value);
    if (frame->redraw() != 1) state.SkipWithError("more than the knob was drawn");
  }
  state.counters["ms"] = benchmark::Counter(static_cast<double>(state.iterations()) * 1e-3,
                                            benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_KnobRedraw)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  vt::bench::SummaryReporter reporter;
  if (!vt::bench::runBenchmarks(argc, argv, reporter)) return 1;
  const double full = reporter.get("BM_FullRepaint", "ms");
  const double knob = reporter.get("BM_KnobRedraw", "ms");
  std::printf("full repaint %.3f ms (target %.1f ms, ratio %.2f); one knob %.4f ms (target %.1f ms, ratio %.2f)\n",
              full, kFullRepaintTargetMs, full / kFullRepaintTargetMs, knob, kKnobTargetMs, knob / kKnobTargetMs);
  return 0;
}
