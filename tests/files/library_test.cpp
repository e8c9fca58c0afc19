// The instrument and voice libraries over real folder trees, and the library paths.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "files/instrument_library.h"
#include "files/library_paths.h"
#include "files/voice_library.h"
#include "tests/support/fake_folder_lister.h"
#include "tests/support/temp_folder.h"

namespace vt {
namespace {

std::string factoryRootOf(const test::TempFolder& temp) {
  char root[kLibraryPathSize];
  EXPECT_TRUE(factoryInstrumentRoot(temp.string().c_str(), '/', root, sizeof(root)));
  return root;
}

TEST(LibraryPaths, AreBuiltBesideTheModuleWithTheGivenSeparator) {
  char path[kLibraryPathSize];
  ASSERT_TRUE(factoryInstrumentRoot("C:\\Plugins", '\\', path, sizeof(path)));
  EXPECT_STREQ(path, "C:\\Plugins\\Veltrane7000Data\\Instruments-Factory");
  ASSERT_TRUE(voiceRoot("/opt/vst", '/', path, sizeof(path)));
  EXPECT_STREQ(path, "/opt/vst/Veltrane7000Data/Voices");
  ASSERT_TRUE(resetFilePath("/opt/vst", '/', path, sizeof(path)));
  EXPECT_STREQ(path, "/opt/vst/Reset.v7i");
  ASSERT_TRUE(voiceMenuPath("/v", '/', "Pianos", "Grand", path, sizeof(path)));
  EXPECT_STREQ(path, "/v/Pianos/Grand.v7v");
  ASSERT_TRUE(voiceMenuPath("/v", '/', nullptr, "Grand", path, sizeof(path)));
  EXPECT_STREQ(path, "/v/Grand.v7v");
}

TEST(LibraryPaths, RefuseAnUnknownRootAndPathsThatDoNotFit) {
  char path[32] = "untouched";
  EXPECT_FALSE(resetFilePath("", '/', path, sizeof(path)));
  EXPECT_STREQ(path, "");
  EXPECT_FALSE(resetFilePath(nullptr, '/', path, sizeof(path)));
  EXPECT_FALSE(voiceMenuPath("/v", '/', "Pianos", "", path, sizeof(path)));

  // "/12345678901234567890/Reset.v7i" is 31 characters: with its zero it just fits in 32 bytes.
  EXPECT_FALSE(resetFilePath("/123456789012345678901", '/', path, sizeof(path)));
  EXPECT_STREQ(path, "");
  EXPECT_TRUE(resetFilePath("/12345678901234567890", '/', path, sizeof(path)));
  EXPECT_STREQ(path, "/12345678901234567890/Reset.v7i");
}

TEST(InstrumentLibrary, RescanListsCategoriesAndTheirInstrumentsAndBuildsPaths) {
  test::TempFolder temp;
  const std::string root = factoryRootOf(temp);
  temp.writeFile("Veltrane7000Data/Instruments-Factory/Pianos/Grand.v7i");
  temp.writeFile("Veltrane7000Data/Instruments-Factory/Pianos/Upright.V7I");
  temp.writeFile("Veltrane7000Data/Instruments-Factory/Pianos/notes.txt");
  temp.writeFile("Veltrane7000Data/Instruments-Factory/Basses/Finger.v7i");
  temp.makeFolder("Veltrane7000Data/Instruments-Factory/Empty");
  temp.makeFolder("Veltrane7000Data/Instruments-Factory/.cache");

  InstrumentLibrary library;
  ASSERT_TRUE(library.isValid());
  EXPECT_EQ(library.categoryCount(), 0);
  library.rescan(SystemFolderLister(), root.c_str());
  ASSERT_EQ(library.categoryCount(), 3);
  EXPECT_STREQ(library.categoryName(0), "Basses");
  EXPECT_STREQ(library.categoryName(1), "Empty");
  EXPECT_STREQ(library.categoryName(2), "Pianos");
  EXPECT_EQ(library.instrumentCount(0), 1);
  EXPECT_EQ(library.instrumentCount(1), 0);
  ASSERT_EQ(library.instrumentCount(2), 2);
  EXPECT_STREQ(library.instrumentName(2, 1), "Upright");

  char path[kLibraryPathSize];
  ASSERT_TRUE(library.instrumentPath(0, 0, path, sizeof(path)));
  EXPECT_EQ(std::string(path), root + "/Basses/Finger.v7i");
  EXPECT_TRUE(std::filesystem::exists(path));
  // The path keeps the file's own spelling of the extension, so it opens where case counts.
  ASSERT_TRUE(library.instrumentPath(2, 1, path, sizeof(path)));
  EXPECT_EQ(std::string(path), root + "/Pianos/Upright.V7I");
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_FALSE(library.instrumentPath(1, 0, path, sizeof(path)));
  EXPECT_FALSE(library.instrumentPath(3, 0, path, sizeof(path)));
  EXPECT_FALSE(library.instrumentPath(-1, 0, path, sizeof(path)));
  EXPECT_STREQ(path, "");
  EXPECT_STREQ(library.instrumentName(5, 0), "");

  // A rescan replaces what an earlier one found.
  std::filesystem::remove_all(temp.path() / "Veltrane7000Data/Instruments-Factory/Basses");
  library.rescan(SystemFolderLister(), root.c_str());
  EXPECT_EQ(library.categoryCount(), 2);
  EXPECT_STREQ(library.categoryName(0), "Empty");
  EXPECT_EQ(library.instrumentCount(1), 2);
}

TEST(InstrumentLibrary, AMissingRootLeavesTheLibraryEmpty) {
  test::TempFolder temp;
  InstrumentLibrary library;
  library.rescan(SystemFolderLister(), factoryRootOf(temp).c_str());
  EXPECT_EQ(library.categoryCount(), 0);
  char path[kLibraryPathSize];
  EXPECT_FALSE(library.instrumentPath(0, 0, path, sizeof(path)));
  library.rescan(SystemFolderLister(), "");
  EXPECT_EQ(library.categoryCount(), 0);
}

TEST(InstrumentLibrary, HoldsAtMost64CategoriesOf128Instruments) {
  test::FakeFolderLister lister;
  for (int c = 0; c < 70; ++c) {
    const std::string category = "C" + std::to_string(c);
    lister.addFolder("/f", category);
    for (int i = 0; i < (c == 0 ? 130 : 1); ++i) lister.addFile("/f/" + category, "i" + std::to_string(i) + ".v7i");
  }
  InstrumentLibrary library;
  library.rescan(lister, "/f");
  EXPECT_EQ(library.categoryCount(), 64);
  EXPECT_EQ(library.instrumentCount(0), 128);
  EXPECT_EQ(library.instrumentCount(63), 1);
  EXPECT_EQ(library.instrumentCount(64), 0);
}

TEST(InstrumentLibrary, CategoryNumbersFollowTheNamedCategories) {
  EXPECT_EQ(instrumentCategoryNumber("Basses"), 1);
  EXPECT_EQ(instrumentCategoryNumber("Brass-Winds"), 2);
  EXPECT_EQ(instrumentCategoryNumber("Pianos"), 6);
  EXPECT_EQ(instrumentCategoryNumber("Synth Pads"), 9);
  EXPECT_EQ(instrumentCategoryNumber("Voices"), 10);
  EXPECT_EQ(instrumentCategoryNumber("pianos"), 0);
  EXPECT_EQ(instrumentCategoryNumber("Bells"), 0);
  EXPECT_EQ(instrumentCategoryNumber(""), 0);
  EXPECT_EQ(instrumentCategoryNumber(nullptr), 0);
}

TEST(VoiceLibrary, ListsCategoriesOrTopLevelVoicesAndResolvesMenuChoices) {
  test::TempFolder temp;
  char root[kLibraryPathSize];
  ASSERT_TRUE(voiceRoot(temp.string().c_str(), '/', root, sizeof(root)));
  temp.writeFile("Veltrane7000Data/Voices/Loose.v7v");
  temp.writeFile("Veltrane7000Data/Voices/Pianos/Piano.V7V");
  temp.writeFile("Veltrane7000Data/Voices/Pianos/Cello.old.v7v");
  temp.writeFile("Veltrane7000Data/Voices/Strings/Cello.v7v");

  VoiceLibrary library;
  ASSERT_TRUE(library.isValid());
  library.rescan(SystemFolderLister(), root);
  ASSERT_EQ(library.categoryCount(), 2);
  EXPECT_EQ(library.topLevelCount(), 0);  // listed only when there are no categories
  ASSERT_EQ(library.voiceCount(0), 1);
  EXPECT_STREQ(library.voiceName(0, 0), "Piano");
  char path[kLibraryPathSize];
  ASSERT_TRUE(library.voicePath(0, 0, path, sizeof(path)));
  EXPECT_TRUE(std::filesystem::exists(path)) << path;
  ASSERT_TRUE(library.voicePath(1, 0, path, sizeof(path)));
  EXPECT_EQ(std::string(path), std::string(root) + "/Strings/Cello.v7v");

  std::filesystem::remove_all(temp.path() / "Veltrane7000Data/Voices/Pianos");
  std::filesystem::remove_all(temp.path() / "Veltrane7000Data/Voices/Strings");
  library.rescan(SystemFolderLister(), root);
  EXPECT_EQ(library.categoryCount(), 0);
  ASSERT_EQ(library.topLevelCount(), 1);
  ASSERT_TRUE(library.topLevelVoicePath(0, path, sizeof(path)));
  EXPECT_EQ(std::string(path), std::string(root) + "/Loose.v7v");
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_FALSE(library.topLevelVoicePath(1, path, sizeof(path)));
  EXPECT_FALSE(library.voicePath(0, 0, path, sizeof(path)));
}

}  // namespace
}  // namespace vt
