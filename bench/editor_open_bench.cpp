// Opening the editor window (headless backend, the same pixels as on screen):
// the first open of a new editor, which decodes every embedded image and
// builds the eight pages, and a later open, which reuses the decoded images.
// Targets: first open (with the editor's construction) within 100 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "bench/bench_support.h"
#include "editor/plugin_editor.h"
#include "engine/synth_engine.h"
#include "gui/frame.h"
#include "gui/headless/headless_window.h"

namespace {

constexpr double kFirstOpenTargetMs = 100.0;

vt::gui::PlatformWindow* headlessWindow(vt::gui::Frame& frame, void* /*parent*/) {
  return new vt::gui::HeadlessWindow(frame);
}

int parentWindow = 0;

void BM_EditorFirstOpen(benchmark::State& state) {
  vt::SynthEngine engine;
  for (auto _ : state) {
    auto editor = std::make_unique<vt::PluginEditor>(nullptr, &engine);
    editor->setWindowFactory(headlessWindow);
    if (!editor->open(&parentWindow)) state.SkipWithError("open failed");
    editor->close();
  }
  state.counters["ms"] = benchmark::Counter(1e3 * static_cast<double>(state.iterations()),
                                            benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EditorFirstOpen)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_EditorLaterOpen(benchmark::State& state) {
  vt::SynthEngine engine;
  vt::PluginEditor editor(nullptr, &engine);
  editor.setWindowFactory(headlessWindow);
  editor.open(&parentWindow);
  editor.close();
  for (auto _ : state) {
    if (!editor.open(&parentWindow)) state.SkipWithError("open failed");
    editor.close();
  }
  state.counters["ms"] = benchmark::Counter(1e3 * static_cast<double>(state.iterations()),
                                            benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EditorLaterOpen)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  vt::bench::SummaryReporter reporter;
  if (!vt::bench::runBenchmarks(argc, argv, reporter)) return 1;
  const double first = reporter.get("BM_EditorFirstOpen", "ms");
  const double later = reporter.get("BM_EditorLaterOpen", "ms");
  std::printf("editor first open %.2f ms (target %.0f ms, ratio %.2f), later open %.2f ms\n", first,
              kFirstOpenTargetMs, first / kFirstOpenTargetMs, later);
  return 0;
}
