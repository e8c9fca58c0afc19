// Whole-file writes that never cost the old file: replaced only by a
// complete new one, kept exactly as it was when anything fails.
#include "platform/atomic_file_write.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/temp_folder.h"

namespace vt {
namespace {

std::string contentOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int entriesIn(const std::filesystem::path& folder) {
  int n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    (void)entry;
    ++n;
  }
  return n;
}

TEST(AtomicFileWrite, ReplacesTheFileAndKeepsItsPermissions) {
  test::TempFolder temp;
  const std::filesystem::path target = temp.writeFile("a.v7i", "old instrument");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  const std::string fresh(300000, 'n');
  ASSERT_TRUE(writeFileAtomically(target.c_str(), fresh.data(), fresh.size()));
  EXPECT_EQ(contentOf(target), fresh);
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(entriesIn(temp.path()), 1);  // no temporary file left behind

  // A new file, and an empty one.
  const std::filesystem::path other = temp.path() / "b.v7v";
  ASSERT_TRUE(writeFileAtomically(other.c_str(), "xy", 2));
  EXPECT_EQ(contentOf(other), "xy");
  ASSERT_TRUE(writeFileAtomically(other.c_str(), nullptr, 0));
  EXPECT_EQ(contentOf(other), "");
}

TEST(AtomicFileWrite, AFailureLeavesTheOldFileUntouched) {
  test::TempFolder temp;
  const std::filesystem::path target = temp.writeFile("a.v7i", "old instrument");

  // The disk refuses the write half-way (a file size limit stands in for a
  // full disk; the signal it raises is ignored, so the write itself fails).
  rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const std::string large(100000, 'n');
  const bool written = writeFileAtomically(target.c_str(), large.data(), large.size());
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_EQ(contentOf(target), "old instrument");
  EXPECT_EQ(entriesIn(temp.path()), 1);

  // A folder that does not exist, a target that is a folder, no path.
  const std::filesystem::path missing = temp.path() / "missing" / "a.v7i";
  EXPECT_FALSE(writeFileAtomically(missing.c_str(), "xy", 2));
  const std::filesystem::path folder = temp.makeFolder("folder");
  EXPECT_FALSE(writeFileAtomically(folder.c_str(), "xy", 2));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_FALSE(writeFileAtomically(nullptr, "xy", 2));
  EXPECT_FALSE(writeFileAtomically("", "xy", 2));
  EXPECT_EQ(entriesIn(temp.path()), 2);
}

}  // namespace
}  // namespace vt
