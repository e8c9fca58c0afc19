// Folder scans: which entries are listed, under which names, in which order and how many.
#include "files/folder_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_folder_lister.h"
#include "tests/support/temp_folder.h"

namespace vt {
namespace {

std::vector<std::string> namesOf(const NameList& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.count(); ++i) names.push_back(list.name(i));
  return names;
}

TEST(FolderScan, FilesAreListedByTheirNameBeforeTheFirstDotWhenTheRestMatchesInLowerCase) {
  test::TempFolder temp;
  for (const char* name :
       {"Piano.V7V", "Cello.old.v7v", "Harp.v7v", "Organ.v7i", "README", "Flute.v7v.bak", ".v7v", "Viola.v7V"})
    temp.writeFile(std::string("Voices/") + name);
  temp.makeFolder("Voices/Folder.v7v");  // a folder with the extension counts as a file entry

  SystemFolderLister lister;
  NameList names(128);
  const int count = listFiles(lister, (temp.string() + "/Voices").c_str(), "v7v", names);
  EXPECT_EQ(count, 4);
  const std::vector<std::string> expected = {"Folder", "Harp", "Piano", "Viola"};
  EXPECT_EQ(namesOf(names), expected);
  EXPECT_STREQ(names.extension(2), "V7V");  // the file's own spelling, for building its path
  EXPECT_STREQ(names.extension(3), "v7V");
}

TEST(FolderScan, SubfoldersSkipDotNamesAndFiles) {
  test::TempFolder temp;
  temp.makeFolder("Root/Pianos");
  temp.makeFolder("Root/.git");
  temp.makeFolder("Root/Basses");
  temp.writeFile("Root/Strings");  // a file, not a folder
  SystemFolderLister lister;
  NameList names(64);
  EXPECT_EQ(listSubfolders(lister, (temp.string() + "/Root").c_str(), names), 2);
  const std::vector<std::string> expected = {"Basses", "Pianos"};
  EXPECT_EQ(namesOf(names), expected);
}

TEST(FolderScan, KeepsTheListersOrderAndReplacesEarlierNames) {
  test::FakeFolderLister lister;
  for (const char* name : {"Zither.v7v", "Banjo.v7v", "Mandolin.v7v"}) lister.addFile("/v", name);
  for (const char* name : {"Strings", "Basses", "Organs"}) lister.addFolder("/r", name);

  NameList names(8);
  names.add("Stale", 5);
  EXPECT_EQ(listFiles(lister, "/v", "v7v", names), 3);
  EXPECT_EQ(namesOf(names), (std::vector<std::string>{"Zither", "Banjo", "Mandolin"}));
  EXPECT_EQ(listSubfolders(lister, "/r", names), 3);
  EXPECT_EQ(namesOf(names), (std::vector<std::string>{"Strings", "Basses", "Organs"}));
  EXPECT_EQ(listSubfolders(lister, "/missing", names), 0);
  EXPECT_EQ(names.count(), 0);
}

TEST(FolderScan, NamesOf255CharactersOrMoreAreSkipped) {
  test::FakeFolderLister lister;
  const std::string longest(254, 'a');
  const std::string tooLong(255, 'b');
  lister.addFile("/v", tooLong + ".v7v");
  lister.addFile("/v", longest + ".v7v");
  lister.addFolder("/r", tooLong);
  lister.addFolder("/r", longest);

  NameList names(8);
  EXPECT_EQ(listFiles(lister, "/v", "v7v", names), 1);
  EXPECT_EQ(names.name(0), longest);
  EXPECT_EQ(listSubfolders(lister, "/r", names), 1);
  EXPECT_EQ(names.name(0), longest);
}

TEST(FolderScan, StopsAtTheListsCapacity) {
  test::FakeFolderLister lister;
  for (int i = 0; i < 200; ++i) {
    lister.addFile("/v", "voice" + std::to_string(i) + ".v7v");
    lister.addFolder("/r", "category" + std::to_string(i));
  }
  NameList voices(128);
  NameList categories(64);
  EXPECT_EQ(listFiles(lister, "/v", "v7v", voices), 128);
  EXPECT_STREQ(voices.name(127), "voice127");
  EXPECT_EQ(listSubfolders(lister, "/r", categories), 64);
  EXPECT_STREQ(categories.name(63), "category63");

  NameList none(0);
  EXPECT_EQ(listFiles(lister, "/v", "v7v", none), 0);
}

TEST(NameList, OutOfRangeIndicesGiveEmptyNames) {
  NameList names(2);
  EXPECT_TRUE(names.add("ab", 2));
  EXPECT_TRUE(names.add("cdef", 3));
  EXPECT_FALSE(names.add("g", 1));
  EXPECT_STREQ(names.name(1), "cde");
  EXPECT_STREQ(names.name(2), "");
  EXPECT_STREQ(names.name(-1), "");
  EXPECT_EQ(names.find("cde"), 1);
  EXPECT_EQ(names.find("x"), -1);
}

}  // namespace
}  // namespace vt
