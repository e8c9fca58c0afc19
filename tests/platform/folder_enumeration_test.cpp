// The operating system's folder lister: names, directory flags, order, failures.
#include "platform/folder_enumeration.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_folder.h"

namespace vt {
namespace {

struct Recorder final : FolderEntryVisitor {
  std::vector<std::pair<std::string, bool>> entries;
  int stopAfter = -1;
  bool visitEntry(const char* name, bool isDirectory) override {
    entries.push_back({name, isDirectory});
    return stopAfter < 0 || static_cast<int>(entries.size()) < stopAfter;
  }
};

TEST(SystemFolderLister, ListsNamesWithDirectoryFlagsInCaseInsensitiveNameOrder) {
  test::TempFolder temp;
  temp.writeFile("b.v7i");
  temp.writeFile("A.v7i");
  temp.makeFolder("c");
  temp.writeFile("_x");
  temp.writeFile("a2");
  temp.makeFolder("B2");
  std::filesystem::create_directory_symlink(temp.path() / "c", temp.path() / "linked");

  Recorder recorder;
  SystemFolderLister lister;
  ASSERT_TRUE(lister.listEntries(temp.string().c_str(), recorder));
  const std::vector<std::pair<std::string, bool>> expected = {{".", true},   {"..", true},     {"A.v7i", false},
                                                              {"a2", false}, {"b.v7i", false}, {"B2", true},
                                                              {"c", true},   {"linked", true}, {"_x", false}};
  EXPECT_EQ(recorder.entries, expected);
  EXPECT_EQ(lister.separator(), '/');
}

TEST(SystemFolderLister, NamesDifferingOnlyInCaseKeepAStableOrder) {
  test::TempFolder temp;
  temp.writeFile("piano");
  temp.writeFile("Piano");
  Recorder recorder;
  ASSERT_TRUE(SystemFolderLister().listEntries(temp.string().c_str(), recorder));
  ASSERT_EQ(recorder.entries.size(), 4u);
  EXPECT_EQ(recorder.entries[2].first, "Piano");
  EXPECT_EQ(recorder.entries[3].first, "piano");
}

TEST(SystemFolderLister, StopsWhenTheVisitorSaysSo) {
  test::TempFolder temp;
  for (const char* name : {"a", "b", "c", "d"}) temp.writeFile(name);
  Recorder recorder;
  recorder.stopAfter = 3;
  ASSERT_TRUE(SystemFolderLister().listEntries(temp.string().c_str(), recorder));
  EXPECT_EQ(recorder.entries.size(), 3u);
}

TEST(SystemFolderLister, MissingEmptyOrFileFoldersFail) {
  test::TempFolder temp;
  temp.writeFile("plain");
  Recorder recorder;
  SystemFolderLister lister;
  EXPECT_FALSE(lister.listEntries((temp.string() + "/missing").c_str(), recorder));
  EXPECT_FALSE(lister.listEntries((temp.string() + "/plain").c_str(), recorder));
  EXPECT_FALSE(lister.listEntries("", recorder));
  EXPECT_FALSE(lister.listEntries(nullptr, recorder));
  EXPECT_TRUE(recorder.entries.empty());
}

}  // namespace
}  // namespace vt
