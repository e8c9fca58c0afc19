// vt7000-render: a command-line VST 2 host. Loads an instrument module by
// path, optionally restores an instrument as its chunk, prints what the
// plug-in reports, plays a Standard MIDI File or the demo phrase through it
// into a WAV file and prints the real-time factor.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/render/demo_phrase.h"
#include "tools/render/editor_session.h"
#include "tools/render/event_schedule.h"
#include "tools/render/midi_file_reader.h"
#include "tools/render/offline_renderer.h"
#include "tools/render/plugin_chunk.h"
#include "tools/render/plugin_host.h"
#include "tools/render/plugin_info.h"
#include "tools/render/plugin_module.h"
#include "tools/render/render_options.h"
#include "tools/render/sample_sink.h"
#include "tools/render/tempo_map.h"

namespace {

using namespace vt::render;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int fail(const std::string& message) {
  std::fprintf(stderr, "vt7000-render: %s\n", message.c_str());
  return kExitFailure;
}

bool renderToFile(PluginHost& host, const RenderOptions& options, std::string& error) {
  MidiSequence sequence;
  if (options.midiPath.empty()) {
    sequence = demoPhrase();
  } else if (!readMidiFile(options.midiPath, sequence, error)) {
    return false;
  }
  const TempoMap tempo(sequence, options.tempo);
  EventSchedule schedule;
  if (!buildEventSchedule(sequence, tempo, options.sampleRate, schedule, error)) return false;
  const std::int64_t totalFrames = schedule.endFrame + frameAtSeconds(options.tailSeconds, options.sampleRate);

  std::unique_ptr<SampleSink> sink = openWavOutput(options.outPath, options.sampleRate, error);
  if (!sink) return false;
  RenderStatistics statistics;
  const bool rendered = renderOffline(host, schedule, tempo, totalFrames, *sink, statistics, error);
  if (!sink->close() && rendered) {
    error = "cannot complete " + options.outPath;
    return false;
  }
  if (!rendered) return false;

  std::printf("rendered %s: %.3f s at %d Hz, block %d, %d MIDI events (%s)\n", options.outPath.c_str(),
              statistics.audioSeconds, options.sampleRate, options.blockSize, statistics.eventsSent,
              options.midiPath.empty() ? "demo phrase" : options.midiPath.c_str());
  std::printf("real-time factor: %.1f (%.3f s of processing)\n", statistics.realTimeFactor(),
              statistics.processingSeconds);
  return true;
}

int run(const RenderOptions& options) {
  PluginModule module;
  std::string error;
  if (!module.load(options.modulePath, error)) return fail(error);

  int status = 0;
  {
    PluginHost host;
    if (!host.instantiate(module.entryPoint(), error)) return fail(options.modulePath + ": " + error);
    host.open(options.sampleRate, options.blockSize);

    if (!options.instrumentPath.empty()) {
      long long consumed = 0;
      std::size_t size = 0;
      if (!restoreChunkFromFile(host, options.instrumentPath, consumed, size, error)) return fail(error);
      std::printf("instrument %s: the plug-in took %lld of %zu bytes\n", options.instrumentPath.c_str(), consumed,
                  size);
    }
    if (options.info) printPluginInfo(host, stdout);
    if (options.editor || !options.editorSnapshotPath.empty()) {
      EditorSessionOptions session;
      session.interactive = options.editor;
      session.snapshotPath = options.editorSnapshotPath;
      session.page = options.page;
      if (!runEditorSession(host, session, error)) return fail(error);
    }
    if (!options.outPath.empty() && !renderToFile(host, options, error)) status = fail(error);
    if (status == 0 && !options.chunkOutPath.empty()) {
      std::size_t size = 0;
      if (!saveChunkToFile(host, options.chunkOutPath, size, error))
        status = fail(error);
      else
        std::printf("chunk %s: %zu bytes\n", options.chunkOutPath.c_str(), size);
    }
    host.close();
  }
  module.unload();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  RenderOptions options;
  std::string error;
  if (!parseRenderOptions(arguments, options, error)) {
    std::fprintf(stderr, "vt7000-render: %s\n%s", error.c_str(), renderUsage());
    return kExitUsage;
  }
  if (options.help) {
    std::printf("%s", renderUsage());
    return 0;
  }
  return run(options);
}
