// The render loop of the host: walks the timeline block by block, updates the
// transport, hands each block's events to the plug-in, has it render, and
// passes the audio on.
#pragma once

#include <cstdint>
#include <string>

#include "tools/render/event_schedule.h"
#include "tools/render/plugin_host.h"
#include "tools/render/sample_sink.h"
#include "tools/render/tempo_map.h"

namespace vt::render {

struct RenderStatistics {
  std::int64_t frames = 0;
  int blocks = 0;
  int eventsSent = 0;
  double audioSeconds = 0.0;
  double processingSeconds = 0.0;  // wall-clock time spent inside the plug-in

  // Seconds of audio per second of processing; 0 when nothing was measurable.
  double realTimeFactor() const { return processingSeconds > 0.0 ? audioSeconds / processingSeconds : 0.0; }
};

// Renders 'totalFrames' frames from an opened plug-in (resuming it first and
// suspending it afterwards). False, with 'error' set, when the plug-in has no
// outputs or the sink fails.
bool renderOffline(PluginHost& host, const EventSchedule& schedule, const TempoMap& tempo, std::int64_t totalFrames,
                   SampleSink& sink, RenderStatistics& statistics, std::string& error);

}  // namespace vt::render
