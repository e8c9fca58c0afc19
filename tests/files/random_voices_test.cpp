// The random voices command over a real voice library.
#include "files/random_voices.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "engine/synth_engine.h"
#include "tests/support/record_builder.h"
#include "tests/support/temp_folder.h"

namespace vt {
namespace {

void writeVoice(const test::TempFolder& temp, const std::string& category, const std::string& name) {
  test::RecordBuilder record;
  record.voice(name, 1, 2, 0.5f);
  temp.writeFile("Veltrane7000Data/Voices/" + category + "/" + name + ".v7v",
                 std::string(record.data.begin(), record.data.end()));
}

TEST(RandomVoices, LoadsFourVoicesOfTheMatchingCategoryAndRandomisesByCategory) {
  test::TempFolder temp;
  writeVoice(temp, "Pianos", "Grand");
  writeVoice(temp, "Pianos", "Upright");
  writeVoice(temp, "Strings", "Cello");
  auto engine = std::make_unique<SynthEngine>();
  engine->setDataFolder(temp.string().c_str());
  engine->setParameter(FormantFilterOn, 1.0f);

  RandomSource random(2024);
  int fromPianos = 0;
  for (int run = 0; run < 10; ++run) {
    EXPECT_EQ(randomVoices(*engine, SystemFolderLister(), "Pianos", random), 4);
    for (int s = 0; s < kNumSlots; ++s) {
      const std::string name = engine->slot(s).name;
      EXPECT_TRUE(name == "Grand" || name == "Upright" || name == "Cello") << name;
      fromPianos += name != "Cello";
    }
    EXPECT_EQ(engine->getParameter(PortamentoOn), 0.0f);
    EXPECT_EQ(engine->getParameter(GlobalLoopOn), 0.0f);
    EXPECT_EQ(engine->getParameter(Attack), 0.0f);
    EXPECT_EQ(engine->getParameter(FormantFilterOn), 0.0f);
    EXPECT_EQ(engine->getParameter(EnvelopeMorphOn), 0.0f);
  }
  EXPECT_GE(fromPianos, 30);  // nine in ten picks take the matching category, and half the rest too
}

TEST(RandomVoices, WithoutALibraryTheSlotsStayAndTheSettingsAreStillRandomised) {
  test::TempFolder temp;
  auto engine = std::make_unique<SynthEngine>();
  engine->setDataFolder(temp.string().c_str());
  engine->setParameter(FormantFilterOn, 1.0f);
  RandomSource random(1);
  EXPECT_EQ(randomVoices(*engine, SystemFolderLister(), "Bells", random), 0);
  EXPECT_STREQ(engine->slot(0).name, "");
  EXPECT_EQ(engine->getParameter(FormantFilterOn), 0.0f);
}

}  // namespace
}  // namespace vt
