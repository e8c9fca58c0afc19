// A new editor scans the factory instrument library beside the module and loads
// the first instrument of the first category into the engine.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "editor/display_edit_buffers.h"
#include "editor/image_ids.h"
#include "editor/plugin_editor.h"
#include "engine/parameter_defaults.h"
#include "engine/synth_engine.h"
#include "files/instrument_library.h"
#include "gui/gui_bitmap.h"
#include "gui/headless/headless_window.h"
#include "tests/support/record_builder.h"
#include "tests/support/temp_folder.h"

namespace vt {
namespace {

const std::string kFactory = "Veltrane7000Data/Instruments-Factory/";

void writeInstrument(const test::TempFolder& temp, const std::string& relative, const std::string& name) {
  const test::RecordBuilder record = test::instrumentRecord(name, std::vector<float>(173, 0.25f), 0.5f);
  temp.writeFile(relative, std::string(record.data.begin(), record.data.end()));
}

std::unique_ptr<SynthEngine> engineAt(const test::TempFolder& temp) {
  auto engine = std::make_unique<SynthEngine>();
  engine->setDataFolder(temp.string().c_str());
  return engine;
}

TEST(StartupLoad, LoadsTheFirstInstrumentOfTheFirstCategory) {
  test::TempFolder temp;
  writeInstrument(temp, kFactory + "Pianos/Grand.v7i", "Grand");
  writeInstrument(temp, kFactory + "Basses/Zed.v7i", "Zed");
  writeInstrument(temp, kFactory + "Basses/Alpha.V7I", "Alpha");
  auto engine = engineAt(temp);
  PluginEditor editor(nullptr, engine.get());
  ASSERT_NE(editor.instrumentLibrary(), nullptr);
  EXPECT_EQ(editor.instrumentLibrary()->categoryCount(), 2);
  EXPECT_STREQ(engine->getInstrumentName(), "Alpha");
  EXPECT_FLOAT_EQ(engine->getParameter(Volume), 0.25f);
  EXPECT_STREQ(engine->slot(0).name, "AAlpha");
}

TEST(StartupLoad, AnEmptyMissingOrUnreadableLibraryKeepsTheConstructionDefaults) {
  float defaults[kNumParameters];
  fillParameterDefaults(defaults);
  test::TempFolder temp;
  auto expectDefaults = [&](const SynthEngine& engine) {
    EXPECT_STREQ(engine.getInstrumentName(), "");
    for (int i = 0; i < kNumHostParameters; ++i) ASSERT_EQ(engine.getParameter(i), defaults[i]) << i;
  };
  {
    auto engine = engineAt(temp);  // no Veltrane7000Data at all
    PluginEditor editor(nullptr, engine.get());
    expectDefaults(*engine);
  }
  temp.makeFolder(kFactory + "Empty");
  writeInstrument(temp, kFactory + "Later/Second.v7i", "Second");
  {
    auto engine = engineAt(temp);  // the first category holds no instrument
    PluginEditor editor(nullptr, engine.get());
    expectDefaults(*engine);
  }
  temp.writeFile(kFactory + "Empty/Blank.v7i", "");
  {
    auto engine = engineAt(temp);  // an empty file does not open
    PluginEditor editor(nullptr, engine.get());
    expectDefaults(*engine);
  }
}

TEST(StartupLoad, RandomVoicesFollowsTheFirstInstrumentCategoryWithoutAWindow) {
  test::TempFolder temp;
  writeInstrument(temp, kFactory + "Pianos/Grand.v7i", "Grand");
  test::RecordBuilder voice;
  voice.voice("Felt", 1, 2, 0.5f);
  temp.writeFile("Veltrane7000Data/Voices/Pianos/Felt.v7v", std::string(voice.data.begin(), voice.data.end()));
  auto engine = engineAt(temp);
  PluginEditor editor(nullptr, engine.get());
  editor.seedRandom(3);
  engine->setParameter(GlobalLoopOn, 1.0f);
  editor.randomVoices();
  for (int s = 0; s < kNumSlots; ++s) EXPECT_STREQ(engine->slot(s).name, "Felt");
  EXPECT_EQ(engine->getParameter(GlobalLoopOn), 0.0f);  // pianos never loop
}

TEST(StartupLoad, TheRandomCommandsGeneratorCanBeSeeded) {
  test::TempFolder temp;
  auto engine = engineAt(temp);
  PluginEditor first(nullptr, engine.get());
  PluginEditor second(nullptr, engine.get());
  first.seedRandom(5);
  second.seedRandom(5);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(first.randomSource().next(), second.randomSource().next());
}

// What only the window needs is made when it first opens: a host that never
// opens the editor pays for no decoded image and no editing copies.
TEST(StartupLoad, TheEditorTakesItsSizeFromTheBackgroundAndDecodesNothingUntilItOpens) {
  test::TempFolder temp;
  writeInstrument(temp, kFactory + "Basses/Alpha.v7i", "Alpha");
  auto engine = engineAt(temp);
  PluginEditor editor(nullptr, engine.get());
  EXPECT_FALSE(editor.editorImages().isLoaded(kImageBackground));
  EXPECT_EQ(editor.editBuffers(), nullptr);
  vst2::ERect* rect = nullptr;
  ASSERT_TRUE(editor.getRect(&rect));
  const gui::GuiBitmap background(kImageBackground);
  ASSERT_TRUE(background.isLoaded());
  EXPECT_EQ(rect->right - rect->left, background.getWidth());
  EXPECT_EQ(rect->bottom - rect->top, background.getHeight());

  editor.setWindowFactory(
      [](gui::Frame& frame, void*) -> gui::PlatformWindow* { return new gui::HeadlessWindow(frame); });
  int parent = 0;
  ASSERT_TRUE(editor.open(&parent));
  EXPECT_TRUE(editor.editorImages().isLoaded(kImageBackground));
  ASSERT_NE(editor.editBuffers(), nullptr);
  EXPECT_TRUE(editor.editBuffers()->valid());
  ASSERT_NE(editor.voiceLibrary(), nullptr);
  editor.close();
}

}  // namespace
}  // namespace vt
