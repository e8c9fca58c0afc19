// vt7000-render --chunk-out: the saved chunk replaces a file only when it is
// complete; a failed save exits non-zero and leaves the old file as it was.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
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

// Runs the render tool with '--chunk-out target' under 'limits' (shell
// commands run first); returns its exit status, -1 when it did not exit.
int saveChunk(const std::string& limits, const std::filesystem::path& target) {
  const std::string tool = std::string(VT7000_OUTPUT_DIR) + "/vt7000-render";
  const std::string command = "/bin/sh -c \"" + limits + " exec '" + tool + "' '" + VT7000_MODULE_PATH +
                              "' --chunk-out '" + target.string() + "'\" >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ChunkOut, AFailedSaveExitsNonZeroAndKeepsTheOldFile) {
  if (!std::filesystem::exists(std::string(VT7000_OUTPUT_DIR) + "/vt7000-render")) GTEST_SKIP() << "no render tool";
  test::TempFolder temp;
  const std::filesystem::path target = temp.writeFile("saved.v7i", "old instrument");

  // The disk takes only a few kilobytes (a file size limit; its signal ignored).
  EXPECT_NE(saveChunk("trap '' XFSZ; ulimit -f 16;", target), 0);
  EXPECT_EQ(contentOf(target), "old instrument");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 1);  // no temporary file left

  // A folder that does not exist.
  EXPECT_NE(saveChunk("", temp.path() / "missing" / "saved.v7i"), 0);

  // With room, the chunk replaces the old file.
  EXPECT_EQ(saveChunk("", target), 0);
  const std::string saved = contentOf(target);
  ASSERT_GT(saved.size(), 1000u);
  EXPECT_EQ(saved.substr(0, 4), std::string("\x02\x00\x01\x00", 4));  // version 65538
}

}  // namespace
}  // namespace vt
