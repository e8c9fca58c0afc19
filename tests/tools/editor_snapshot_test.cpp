// The render host opens the module's editor through the VST 2 ABI in a window
// of its own and saves its picture (X server needed: the test starts a private
// Xvfb when none is set, and skips without one).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "gui/png_codec.h"
#include "tools/render/editor_session.h"
#include "tools/render/plugin_host.h"
#include "tools/render/plugin_module.h"

// Xlib last: its macros would break the headers above.
#include "tests/support/x_test_server.h"

namespace vt::render {
namespace {

TEST(EditorSnapshot, SavesTheEditorPictureOfTheChosenPageAndReopens) {
  if (!gui::test::XTestServer::instance().available()) GTEST_SKIP() << "no X server";
  PluginModule module;
  std::string error;
  ASSERT_TRUE(module.load(VT7000_MODULE_PATH, error)) << error;
  PluginHost host;
  ASSERT_TRUE(host.instantiate(module.entryPoint(), error)) << error;
  host.open(44100, 512);
  const std::string base = ::testing::TempDir() + "vt7000_snapshot_" + std::to_string(getpid());
  gui::Surface pictures[2];
  const int pages[2] = {0, 7};
  for (int i = 0; i < 2; ++i) {
    EditorSessionOptions options;
    options.snapshotPath = base + std::to_string(pages[i]) + ".png";
    options.page = pages[i];
    ASSERT_TRUE(runEditorSession(host, options, error)) << error;
    std::FILE* f = std::fopen(options.snapshotPath.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::string bytes;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof(buffer), f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
    std::remove(options.snapshotPath.c_str());
    ASSERT_TRUE(gui::decodePng(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), pictures[i]));
    ASSERT_EQ(pictures[i].width(), 800);
    ASSERT_EQ(pictures[i].height(), 550);
  }
  // The title strip is the same on every page; the page area differs.
  int headerDifferences = 0, pageDifferences = 0;
  for (int y = 0; y < 550; ++y)
    for (int x = 0; x < 800; ++x) {
      const bool differs = pictures[0].pixel(x, y) != pictures[1].pixel(x, y);
      if (y < 60) headerDifferences += differs;
      if (y >= 100 && y < 470) pageDifferences += differs;
    }
  EXPECT_EQ(headerDifferences, 0);
  EXPECT_GT(pageDifferences, 10000);
  // Not one flat colour: the editor really drew.
  int distinct = 0;
  for (int x = 0; x < 800; x += 7)
    if (pictures[1].pixel(x, 300) != pictures[1].pixel(0, 300)) ++distinct;
  EXPECT_GT(distinct, 10);
  host.close();
}

}  // namespace
}  // namespace vt::render
