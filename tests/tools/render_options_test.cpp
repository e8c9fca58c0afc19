// The render host's command line: values, defaults and refusals.
#include "tools/render/render_options.h"

#include <gtest/gtest.h>

namespace vt::render {
namespace {

bool parse(std::vector<std::string> arguments, RenderOptions& options, std::string& error) {
  return parseRenderOptions(arguments, options, error);
}

TEST(RenderOptions, ReadsEveryOption) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(parse({"VT7000.so", "--info", "--out", "a.wav", "--midi", "b.mid", "--rate", "48000", "--block", "300",
                     "--seconds", "0.5", "--tempo", "97.5", "--instrument", "c.v7i", "--chunk-out", "d.bin"},
                    o, error))
      << error;
  EXPECT_EQ(o.modulePath, "VT7000.so");
  EXPECT_TRUE(o.info);
  EXPECT_EQ(o.outPath, "a.wav");
  EXPECT_EQ(o.midiPath, "b.mid");
  EXPECT_EQ(o.sampleRate, 48000);
  EXPECT_EQ(o.blockSize, 300);
  EXPECT_DOUBLE_EQ(o.tailSeconds, 0.5);
  EXPECT_DOUBLE_EQ(o.tempo, 97.5);
  EXPECT_EQ(o.instrumentPath, "c.v7i");
  EXPECT_EQ(o.chunkOutPath, "d.bin");
}

TEST(RenderOptions, DefaultsAndWhatCountsAsSomethingToDo) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(parse({"--out", "x.wav", "m.so"}, o, error)) << error;
  EXPECT_EQ(o.sampleRate, 44100);
  EXPECT_EQ(o.blockSize, 512);
  EXPECT_DOUBLE_EQ(o.tailSeconds, 2.0);
  EXPECT_DOUBLE_EQ(o.tempo, 0.0);  // the sequence's own tempo
  EXPECT_FALSE(o.info);
  EXPECT_TRUE(parse({"m.so", "--chunk-out", "c"}, o, error));
  EXPECT_TRUE(parse({"--help"}, o, error));
  EXPECT_TRUE(o.help);

  EXPECT_FALSE(parse({"m.so"}, o, error));
  EXPECT_NE(error.find("nothing to do"), std::string::npos);
  EXPECT_FALSE(parse({"--info"}, o, error));
  EXPECT_NE(error.find("no plug-in module"), std::string::npos);
}

TEST(RenderOptions, EditorOptions) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(parse({"m.so", "--editor"}, o, error)) << error;
  EXPECT_TRUE(o.editor);
  ASSERT_TRUE(parse({"m.so", "--editor-snapshot", "p.png", "--page", "7"}, o, error)) << error;
  EXPECT_EQ(o.editorSnapshotPath, "p.png");
  EXPECT_EQ(o.page, 7);
  EXPECT_FALSE(parse({"m.so", "--editor-snapshot", "p.png", "--page", "8"}, o, error));
  EXPECT_FALSE(parse({"m.so", "--info", "--page", "3"}, o, error)) << "a page needs a snapshot";
}

TEST(RenderOptions, RefusesMalformedAndOutOfRangeValues) {
  const std::vector<std::vector<std::string>> bad = {
      {"m.so", "--info", "--rate", "44100x"},
      {"m.so", "--info", "--rate", "100"},
      {"m.so", "--info", "--rate", ""},
      {"m.so", "--info", "--block", "0"},
      {"m.so", "--info", "--block", "16385"},
      {"m.so", "--info", "--block", "-5"},
      {"m.so", "--info", "--seconds", "-1"},
      {"m.so", "--info", "--seconds", "nan"},
      {"m.so", "--info", "--tempo", "0"},
      {"m.so", "--info", "--tempo", "inf"},
      {"m.so", "--info", "--out"},
      {"m.so", "--info", "--frobnicate", "1"},
      {"m.so", "n.so", "--info"},
      {"m.so", "--info", "--rate", "99999999999999999999"},
  };
  for (const auto& arguments : bad) {
    RenderOptions o;
    std::string error;
    EXPECT_FALSE(parse(arguments, o, error)) << arguments.back();
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace vt::render
