// The built plug-in module driven exactly as a host drives it: loaded by path
// through the render host's module loader, instantiated through its exported
// entry point, opened, resumed, fed events and rendered, closed, unloaded.
#include "tools/render/plugin_host.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "tools/render/demo_phrase.h"
#include "tools/render/event_schedule.h"
#include "tools/render/offline_renderer.h"
#include "tools/render/plugin_chunk.h"
#include "tools/render/plugin_info.h"
#include "tools/render/plugin_module.h"
#include "tools/render/tempo_map.h"

namespace vt::render {
namespace {

class MemorySink : public SampleSink {
public:
  bool write(const float* l, const float* r, int frames) override {
    left.insert(left.end(), l, l + frames);
    right.insert(right.end(), r, r + frames);
    return true;
  }
  bool close() override { return true; }
  std::vector<float> left, right;
};

class LoadedPlugin : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(module.load(VT7000_MODULE_PATH, error)) << error;
  }
  PluginModule module;
};

TEST_F(LoadedPlugin, EntryPointGivesTheDescriptorAHostExpects) {
  EXPECT_STREQ(module.entryName(), "main");
  PluginHost host;
  std::string error;
  ASSERT_TRUE(host.instantiate(module.entryPoint(), error)) << error;
  vst2::AEffect* effect = host.effect();
  EXPECT_EQ(effect->magic, vst2::kEffectMagic);
  EXPECT_EQ(effect->numPrograms, 1);
  EXPECT_EQ(effect->numParams, 173);
  EXPECT_EQ(effect->numInputs, 0);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_EQ(effect->flags, 0x139);
  EXPECT_EQ(effect->uniqueID, vst2::fourCharCode('V', 't', 'V', '7'));
  EXPECT_NE(effect->processReplacing, nullptr);
  EXPECT_EQ(host.requestText(vst2::effGetEffectName), "VT7000");
  EXPECT_EQ(host.requestText(vst2::effGetVendorString), "Tarnwick");
  EXPECT_EQ(host.canDo("receiveVstMidiEvent"), 1);
  EXPECT_EQ(host.canDo("receiveVstMidiEvents"), -1);
  EXPECT_EQ(host.dispatch(vst2::effGetVstVersion), 2400);
  host.close();
  EXPECT_EQ(host.effect(), nullptr);
}

TEST_F(LoadedPlugin, RendersBlocksWithEventsAndTransport) {
  PluginHost host;
  std::string error;
  ASSERT_TRUE(host.instantiate(module.entryPoint(), error)) << error;
  host.open(48000.0, 256);

  const MidiSequence demo = demoPhrase();
  const TempoMap tempo(demo, 100.0);
  EventSchedule schedule;
  ASSERT_TRUE(buildEventSchedule(demo, tempo, 48000.0, schedule, error));
  MemorySink sink;
  RenderStatistics statistics;
  const std::int64_t frames = 48000 * 3 + 17;  // three seconds and a short last block
  ASSERT_TRUE(renderOffline(host, schedule, tempo, frames, sink, statistics, error)) << error;

  EXPECT_EQ(statistics.frames, frames);
  EXPECT_EQ(statistics.blocks, static_cast<int>((frames + 255) / 256));
  EXPECT_GT(statistics.eventsSent, 20);
  ASSERT_EQ(sink.left.size(), static_cast<std::size_t>(frames));
  for (std::size_t i = 0; i < sink.left.size(); ++i) {
    ASSERT_TRUE(std::isfinite(sink.left[i]) && std::isfinite(sink.right[i])) << i;
    ASSERT_LE(std::fabs(sink.left[i]), 16.0f) << i;
  }
  // The plug-in asked for MIDI on resume and polled the transport, which
  // reported the last block's position.
  EXPECT_GE(host.wantMidiRequests, 1);
  EXPECT_GT(host.timeRequests, 0);
  const double lastStart = static_cast<double>((frames - 1) / 256 * 256);
  EXPECT_DOUBLE_EQ(host.timeInfo().samplePos, lastStart);
  EXPECT_DOUBLE_EQ(host.timeInfo().tempo, 100.0);
  EXPECT_NEAR(host.timeInfo().ppqPos, lastStart / 48000.0 * 100.0 / 60.0, 1e-9);
  EXPECT_EQ(host.timeInfo().flags & (vst2::kVstTempoValid | vst2::kVstPpqPosValid),
            vst2::kVstTempoValid | vst2::kVstPpqPosValid);
  host.close();
}

TEST_F(LoadedPlugin, TwoInstancesEachTalkToTheirOwnHost) {
  PluginHost first, second;
  std::string error;
  ASSERT_TRUE(first.instantiate(module.entryPoint(), error)) << error;
  ASSERT_TRUE(second.instantiate(module.entryPoint(), error)) << error;
  ASSERT_NE(first.effect(), second.effect());
  first.open(44100.0, 64);
  second.open(44100.0, 64);
  first.resume();
  const int firstBefore = first.wantMidiRequests, secondBefore = second.wantMidiRequests;
  second.resume();
  EXPECT_EQ(first.wantMidiRequests, firstBefore);
  EXPECT_EQ(second.wantMidiRequests, secondBefore + 1);
  second.close();
  first.close();
}

TEST_F(LoadedPlugin, InfoReportListsEveryParameterAndTheCanDoAnswers) {
  PluginHost host;
  std::string error;
  ASSERT_TRUE(host.instantiate(module.entryPoint(), error)) << error;
  host.open(44100.0, 512);
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  printPluginInfo(host, file);
  std::rewind(file);
  std::string text;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof(buffer), file)) > 0;) text.append(buffer, got);
  std::fclose(file);

  EXPECT_NE(text.find("unique id: VtV7 (0x56745637)\n"), std::string::npos);
  EXPECT_NE(text.find("flags: 0x139 (HasEditor CanMono CanReplacing ProgramChunks IsSynth)\n"), std::string::npos);
  EXPECT_NE(text.find("vendor: \"Tarnwick\"\n"), std::string::npos);
  EXPECT_NE(text.find("canDo \"receiveVstTimeInfo\": 1\n"), std::string::npos);
  EXPECT_NE(text.find("canDo \"sendVstEvents\": -1\n"), std::string::npos);
  EXPECT_NE(text.find("output 0: \"VT 1\" flags 0x3\n"), std::string::npos);
  EXPECT_NE(text.find("output 2: none\n"), std::string::npos);
  std::istringstream lines(text.substr(text.find("parameter list")));
  std::string line;
  std::getline(lines, line);
  int listed = 0;
  while (std::getline(lines, line)) {
    char prefix[16];
    std::snprintf(prefix, sizeof(prefix), "%4d: ", listed);
    EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
    EXPECT_NE(line.find(" = "), std::string::npos) << line;
    ++listed;
  }
  EXPECT_EQ(listed, 173);
}

TEST_F(LoadedPlugin, ChunkRoundTripsByteExactThroughFilesAndTheDispatcher) {
  PluginHost host;
  std::string error;
  ASSERT_TRUE(host.instantiate(module.entryPoint(), error)) << error;
  host.open(44100.0, 512);
  const std::string base = ::testing::TempDir() + "vt7000_chunk_" + std::to_string(static_cast<long>(getpid()));
  const std::string first = base + "_a.bin", second = base + "_b.bin";

  std::size_t size = 0;
  ASSERT_TRUE(saveChunkToFile(host, first, size, error)) << error;
  ASSERT_GT(size, 0u);
  std::ifstream saved(first, std::ios::binary | std::ios::ate);
  EXPECT_EQ(static_cast<std::size_t>(saved.tellg()), size);

  // Change the sound, restore the saved chunk: every parameter comes back and
  // the plug-in consumes exactly the bytes it wrote.
  const float cutoff = host.effect()->getParameter(host.effect(), 57);
  host.effect()->setParameter(host.effect(), 57, cutoff > 0.5f ? 0.1f : 0.9f);
  host.effect()->setParameter(host.effect(), 47, 0.123f);
  long long consumed = -1;
  std::size_t fileSize = 0;
  ASSERT_TRUE(restoreChunkFromFile(host, first, consumed, fileSize, error)) << error;
  EXPECT_EQ(fileSize, size);
  EXPECT_EQ(consumed, static_cast<long long>(size));
  EXPECT_FLOAT_EQ(host.effect()->getParameter(host.effect(), 57), cutoff);

  std::size_t secondSize = 0;
  ASSERT_TRUE(saveChunkToFile(host, second, secondSize, error)) << error;
  ASSERT_EQ(secondSize, size);
  std::ifstream a(first, std::ios::binary), b(second, std::ios::binary);
  const std::string bytesA((std::istreambuf_iterator<char>(a)), std::istreambuf_iterator<char>());
  const std::string bytesB((std::istreambuf_iterator<char>(b)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(bytesA == bytesB);

  // An empty file never reaches the plug-in.
  { std::ofstream empty(second, std::ios::binary | std::ios::trunc); }
  EXPECT_FALSE(restoreChunkFromFile(host, second, consumed, fileSize, error));
  EXPECT_NE(error.find("empty"), std::string::npos);
  std::remove(first.c_str());
  std::remove(second.c_str());
}

TEST(PluginModule, RefusesMissingFilesAndFilesThatAreNoModule) {
  PluginModule module;
  std::string error;
  EXPECT_FALSE(module.load("/nonexistent/VT7000.so", error));
  EXPECT_FALSE(module.isLoaded());
  EXPECT_NE(error.find("cannot load"), std::string::npos);

  const std::string path = ::testing::TempDir() + "vt7000_not_a_module.so";
  std::ofstream(path) << "not a shared library";
  EXPECT_FALSE(module.load(path, error));
  EXPECT_EQ(module.entryPoint(), nullptr);
  std::remove(path.c_str());
}

TEST(PluginHostCallback, AnswersVersionTimeAndMidiWishBeforeAndAfterInstantiation) {
  // A module that refuses to be created: the host reports it and holds nothing.
  PluginHost host;
  std::string error;
  EXPECT_FALSE(host.instantiate([](vst2::HostCallback) -> vst2::AEffect* { return nullptr; }, error));
  EXPECT_EQ(host.effect(), nullptr);
  EXPECT_NE(error.find("no plug-in"), std::string::npos);

  // A descriptor with the wrong magic is not taken.
  static vst2::AEffect fake{};
  static vst2::HostCallback seen = nullptr;
  EXPECT_FALSE(host.instantiate(
      [](vst2::HostCallback master) -> vst2::AEffect* {
        seen = master;
        return &fake;
      },
      error));
  ASSERT_NE(seen, nullptr);
  // The callback answers even when asked without a descriptor (during the entry call).
  EXPECT_EQ(seen(nullptr, vst2::audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
}

}  // namespace
}  // namespace vt::render
