// Host requests answered by the plug-in object: capabilities, pins, programs,
// events, transport polling, the render entry and the editor reports.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor/plugin_editor.h"
#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"
#include "plugin/host_transport.h"
#include "plugin/plugin_effect.h"
#include "tests/support/fake_host.h"

namespace vt {
namespace {

using test::FakeHost;
using test::MidiEventList;

// Stands in for the editor to record what the plug-in reports to it.
class RecordingEditor : public PluginEditor {
public:
  RecordingEditor(vst2::AudioEffect* effect, SynthEngine* engine) : PluginEditor(effect, engine) {}
  void setParameter(int index, float value) override { received.emplace_back(index, value); }
  bool onWheel(float distance) override {
    wheel = distance;
    return true;
  }
  std::vector<std::pair<int, float>> received;
  float wheel = 0.0f;
};

class PluginRequests : public ::testing::Test {
protected:
  PluginRequests() {
    effect = createPluginInstance(FakeHost::callback());
    plugin = static_cast<PluginEffect*>(effect->object);
  }
  ~PluginRequests() override { effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f); }

  vst2::IntPtr dispatch(vst2::Int32 op, vst2::Int32 index = 0, vst2::IntPtr value = 0, void* ptr = nullptr,
                        float opt = 0.0f) {
    return effect->dispatcher(effect, op, index, value, ptr, opt);
  }
  vst2::IntPtr canDo(const char* text) {
    std::string copy(text);
    return dispatch(vst2::effCanDo, 0, 0, copy.data());
  }
  RecordingEditor* installRecordingEditor() {
    delete plugin->getEditor();
    return new RecordingEditor(plugin, plugin->getEngine());
  }

  FakeHost host;
  vst2::AEffect* effect = nullptr;
  PluginEffect* plugin = nullptr;
};

TEST_F(PluginRequests, CanDoMatchesOnlyWholeCaseSensitiveNames) {
  EXPECT_EQ(canDo("receiveVstEvents"), 1);
  EXPECT_EQ(canDo("receiveVstMidiEvent"), 1);
  EXPECT_EQ(canDo("receiveVstTimeInfo"), 1);
  EXPECT_EQ(canDo("sendVstEvents"), -1);
  EXPECT_EQ(canDo(""), -1);
  EXPECT_EQ(canDo("receiveVstEventsX"), -1);
  EXPECT_EQ(canDo("receiveVst"), -1);
  EXPECT_EQ(canDo("ReceiveVstEvents"), -1);
  EXPECT_EQ(dispatch(vst2::effCanDo, 0, 0, nullptr), 0);
}

TEST_F(PluginRequests, OutputPinsAreTwoActiveStereoOutputs) {
  vst2::VstPinProperties pin;
  std::memset(&pin, 0, sizeof(pin));
  EXPECT_EQ(dispatch(vst2::effGetOutputProperties, 0, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "VT 1");
  EXPECT_EQ(pin.flags, 3);
  EXPECT_EQ(dispatch(vst2::effGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "VT 2");
  EXPECT_EQ(dispatch(vst2::effGetOutputProperties, 2, 0, &pin), 0);
  EXPECT_EQ(dispatch(vst2::effGetOutputProperties, -1, 0, &pin), 0);
  EXPECT_EQ(dispatch(vst2::effGetInputProperties, 0, 0, &pin), 0);
}

TEST_F(PluginRequests, OneProgramNamedInit) {
  char name[vst2::kVstMaxProgNameLen] = {};
  dispatch(vst2::effGetProgramName, 0, 0, name);
  EXPECT_STREQ(name, "Init 1");
  dispatch(vst2::effSetProgram, 0, 5);
  EXPECT_EQ(dispatch(vst2::effGetProgram), 0);

  EXPECT_EQ(dispatch(vst2::effGetProgramNameIndexed, 0, 0, name), 1);
  EXPECT_STREQ(name, "Init");
  EXPECT_EQ(dispatch(vst2::effGetProgramNameIndexed, 1, 0, name), 0);
  EXPECT_EQ(dispatch(vst2::effCopyProgram, 1), 0);
  EXPECT_EQ(dispatch(vst2::effCopyProgram, 0), 1);

  char lead[] = "Lead";
  dispatch(vst2::effSetProgramName, 0, 0, lead);
  dispatch(vst2::effGetProgramName, 0, 0, name);
  EXPECT_STREQ(name, "Lead");

  char tooLong[] = "A name far longer than twenty-three characters";
  dispatch(vst2::effSetProgramName, 0, 0, tooLong);
  dispatch(vst2::effGetProgramName, 0, 0, name);
  EXPECT_EQ(std::strlen(name), 23u);
  EXPECT_EQ(std::string(name), std::string(tooLong).substr(0, 23));
}

TEST_F(PluginRequests, ParameterRequestsGoThroughTheEngineAndReachTheEditor) {
  RecordingEditor* editor = installRecordingEditor();
  effect->setParameter(effect, FilterCutoff, 0.25f);
  EXPECT_FLOAT_EQ(effect->getParameter(effect, FilterCutoff), 0.25f);
  ASSERT_EQ(editor->received.size(), 1u);
  EXPECT_EQ(editor->received[0], std::make_pair(int(FilterCutoff), 0.25f));

  char text[64];
  dispatch(vst2::effGetParamName, 160, 0, text);
  EXPECT_STREQ(text, "Lfo2Rate");
  dispatch(vst2::effGetParamLabel, 5, 0, text);
  EXPECT_STREQ(text, "%");
  dispatch(vst2::effGetParamDisplay, FilterCutoff, 0, text);
  EXPECT_STREQ(text, "25");
  EXPECT_EQ(dispatch(vst2::effCanBeAutomated, 3), 1);
}

TEST_F(PluginRequests, ProcessAndProcessReplacingOverwriteIdentically) {
  std::vector<float> l1(512, 1.0f), r1(512, -1.0f), l2(512, 9.0f), r2(512, 9.0f);
  float* out1[2] = {l1.data(), r1.data()};
  float* out2[2] = {l2.data(), r2.data()};
  effect->process(effect, nullptr, out1, 512);
  effect->processReplacing(effect, nullptr, out2, 512);
  EXPECT_EQ(l1, l2);
  EXPECT_EQ(r1, r2);
  EXPECT_EQ(l1[0], 0.0f);
  // A missing output array is ignored rather than dereferenced.
  effect->processReplacing(effect, nullptr, nullptr, 512);
}

TEST_F(PluginRequests, EngineChangesReachTheEditorOnceAfterTheBlockWithTheEndValue) {
  RecordingEditor* editor = installRecordingEditor();
  SynthEngine* engine = plugin->getEngine();
  struct Changer : RenderObserver {
    SynthEngine* engine;
    void voiceSubBlock(float*, int offset, int) override {
      engine->setParameter(ChorusRate, 0.1f + offset * 0.001f);
      engine->markParameterChanged(ChorusRate);
      if (offset == 0) {
        engine->setParameter(Distortion, 0.7f);
        engine->markParameterChanged(Distortion);
      }
    }
    void eventHandled(const std::uint8_t*, int) override {}
  } changer;
  changer.engine = engine;
  engine->setRenderObserver(&changer);
  std::vector<float> l(600), r(600);
  float* out[2] = {l.data(), r.data()};
  effect->processReplacing(effect, nullptr, out, 600);  // sub-blocks at 0, 256, 512
  engine->setRenderObserver(nullptr);

  ASSERT_EQ(editor->received.size(), 2u);
  EXPECT_EQ(editor->received[0], std::make_pair(int(Distortion), 0.7f));
  EXPECT_EQ(editor->received[1], std::make_pair(int(ChorusRate), 0.1f + 512 * 0.001f));
  for (int i = 0; i < kNumParameters; ++i) EXPECT_FALSE(engine->parameterChanged(i));
  editor->received.clear();
  effect->processReplacing(effect, nullptr, out, 600);
  EXPECT_TRUE(editor->received.empty());
}

TEST_F(PluginRequests, ProcessEventsQueuesMidiAtItsOffsets) {
  MidiEventList list;
  list.add(10, 0x90, 60, 100);
  list.add(20, 0xC0, 3, 0);  // program change: dropped at intake
  list.add(30, 0x80, 60, 0);
  list.add(40, 0x40, 1, 2);  // a data byte, not a status: filtered before intake
  EXPECT_EQ(dispatch(vst2::effProcessEvents, 0, 0, list.events()), 1);
  const EventQueue& queue = plugin->getEngine()->voiceEvents();
  ASSERT_EQ(queue.count, 2);
  EXPECT_EQ(queue.deltaFrames[0], 10);
  EXPECT_EQ(queue.bytes[0][1], 60);
  EXPECT_EQ(queue.deltaFrames[1], 30);

  // A sysex entry in the list is skipped without being read as MIDI.
  vst2::VstEvent sysex;
  std::memset(&sysex, 0, sizeof(sysex));
  sysex.type = vst2::kVstSysExType;
  vst2::VstEvents one;
  one.numEvents = 1;
  one.reserved = 0;
  one.events[0] = &sysex;
  dispatch(vst2::effProcessEvents, 0, 0, &one);
  EXPECT_EQ(queue.count, 2);

  dispatch(vst2::effMainsChanged, 0, 1);  // resume empties the queues and asks for MIDI
  EXPECT_EQ(queue.count, 0);
  EXPECT_GE(host.wantMidiRequests, 1);
}

TEST_F(PluginRequests, TransportIsPolledEveryCallWhileRunningAndEveryTwentiethWhileStopped) {
  host.time.tempo = 96.0;
  host.time.ppqPos = 10.0;
  dispatch(vst2::effProcessEvents, 0, 0, MidiEventList().events());
  EXPECT_EQ(host.timeRequests, 1);
  EXPECT_FLOAT_EQ(plugin->getEngine()->getTempo(), 96.0f);
  EXPECT_FLOAT_EQ(plugin->getEngine()->getSongPosition(), 10.0f);

  // Stopped transport: the next poll comes twenty calls later.
  MidiEventList empty;
  for (int i = 0; i < 19; ++i) dispatch(vst2::effProcessEvents, 0, 0, empty.events());
  EXPECT_EQ(host.timeRequests, 1);
  dispatch(vst2::effProcessEvents, 0, 0, empty.events());
  EXPECT_EQ(host.timeRequests, 2);

  // Running transport: a moved position makes every following call poll.
  host.time.ppqPos = 11.0;
  for (int i = 0; i < 20; ++i) dispatch(vst2::effProcessEvents, 0, 0, empty.events());
  const int before = host.timeRequests;
  host.time.ppqPos = 12.0;
  dispatch(vst2::effProcessEvents, 0, 0, empty.events());
  host.time.ppqPos = 13.0;
  dispatch(vst2::effProcessEvents, 0, 0, empty.events());
  EXPECT_EQ(host.timeRequests, before + 2);
  EXPECT_FLOAT_EQ(plugin->getEngine()->getSongPosition(), 13.0f);

  // A host without transport leaves the last values in place.
  host.hasTime = false;
  for (int i = 0; i < 25; ++i) dispatch(vst2::effProcessEvents, 0, 0, empty.events());
  EXPECT_FLOAT_EQ(plugin->getEngine()->getTempo(), 96.0f);
}

TEST_F(PluginRequests, SampleRateReachesTheEngineButNotTheBaseClass) {
  dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
  EXPECT_FLOAT_EQ(plugin->getSampleRateSeen(), 48000.0f);
  EXPECT_FLOAT_EQ(plugin->getEngine()->getSampleRate(), 48000.0f);
  EXPECT_FLOAT_EQ(plugin->getSampleRate(), 44100.0f);
  dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 0.0f);
  EXPECT_FLOAT_EQ(plugin->getEngine()->getSampleRate(), 48000.0f);
}

TEST_F(PluginRequests, EditorRectangleAndWheelRequest) {
  vst2::ERect* rect = nullptr;
  EXPECT_EQ(dispatch(vst2::effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, 800);
  EXPECT_EQ(rect->bottom - rect->top, 550);

  RecordingEditor* editor = installRecordingEditor();
  const vst2::Int32 vendor = vst2::fourCharCode('s', 't', 'C', 'A');
  const vst2::Int32 wheel = vst2::fourCharCode('W', 'h', 'e', 'e');
  EXPECT_EQ(dispatch(vst2::effVendorSpecific, vendor, wheel, nullptr, 2.0f), 1);
  EXPECT_FLOAT_EQ(editor->wheel, 2.0f);
  EXPECT_EQ(dispatch(vst2::effVendorSpecific, vendor, 0, nullptr, 2.0f), 0);
  EXPECT_EQ(dispatch(vst2::effVendorSpecific, 0, wheel, nullptr, 2.0f), 0);
}

TEST_F(PluginRequests, ChunkRequestsWithoutDataAreRefused) {
  EXPECT_EQ(dispatch(vst2::effSetChunk, 0, 0, nullptr), 0);
  char byte = 0;
  EXPECT_EQ(dispatch(vst2::effSetChunk, 0, 0, &byte), 0);
  EXPECT_EQ(dispatch(vst2::effSetChunk, 0, -4, &byte), 0);
  EXPECT_EQ(dispatch(vst2::effGetChunk, 0, 0, nullptr), 0);
}

}  // namespace
}  // namespace vt
