// The software surface: transparent-colour and alpha blits, clipping that
// never writes outside the clip (whatever the coordinates), anti-aliased lines
// that are symmetric and end where they should, text, and offscreen copies.
#include "gui/surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gui/draw_context.h"
#include "gui/gui_bitmap.h"

namespace vt::gui {
namespace {

constexpr Color kGround = rgb(10, 20, 30);

Surface filled(int w, int h, Color c) {
  Surface s(w, h);
  s.fillRect(s.bounds(), c);
  return s;
}

int countNot(const Surface& s, Color c, const Rect& area) {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) n += s.pixel(x, y) != c;
  return n;
}

TEST(SurfaceTest, TransparentColourAndAlphaBlits) {
  Surface image(4, 1);
  image.row(0)[0] = rgb(255, 0, 255);  // the transparent colour
  image.row(0)[1] = rgb(200, 100, 0);
  image.row(0)[2] = rgba(255, 255, 255, 128);
  image.row(0)[3] = rgba(0, 0, 0, 0);
  GuiBitmap bitmap(1, std::move(image));
  bitmap.setTransparentColor(rgb(255, 0, 255));
  EXPECT_TRUE(bitmap.hasAlpha());
  Surface target = filled(6, 3, kGround);
  DrawContext context(target);
  context.setOffset(Point(1, 1));
  context.drawBitmap(bitmap, Rect(0, 0, 4, 1));
  EXPECT_EQ(target.pixel(1, 1), kGround);
  EXPECT_EQ(target.pixel(2, 1), rgb(200, 100, 0));
  EXPECT_EQ(target.pixel(3, 1), rgb((255 * 128 + 10 * 127 + 127) / 255, (255 * 128 + 20 * 127 + 127) / 255,
                                    (255 * 128 + 30 * 127 + 127) / 255));
  EXPECT_EQ(target.pixel(4, 1), kGround);
  EXPECT_EQ(countNot(target, kGround, Rect(0, 0, 6, 1)), 0);
  // A source part outside the image draws nothing and reads nothing outside it.
  context.drawBitmap(bitmap, Rect(0, 0, 4, 1), Point(10, 10));
  context.drawBitmap(bitmap, Rect(0, 0, 4, 1), Point(-5, 0));
  EXPECT_EQ(target.pixel(2, 1), rgb(200, 100, 0));
}

TEST(SurfaceTest, NothingIsWrittenOutsideTheClipWhateverTheCoordinates) {
  Surface s = filled(40, 30, kGround);
  s.setClip(Rect(10, 10, 20, 20));
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  s.drawLine(-1e9f, -1e9f, 1e9f, 1e9f, kWhite, 3.0f);
  s.drawLine(0.0f, 15.0f, 39.0f, 15.0f, kWhite, 5.0f);
  s.drawLine(nan, 0.0f, 5.0f, 5.0f, kWhite);
  s.drawLine(0.0f, inf, 5.0f, 5.0f, kWhite);
  s.fillRect(Rect(-100, -100, 1000, 1000), rgb(1, 2, 3));
  s.blit(filled(5, 5, kWhite), 0, 0, Rect(-2, -2, 100, 100));
  s.drawText(-3, 12, "clipped text", builtinFont(), kWhite);
  s.setClip(Rect(-5, -5, 5000, 5000));
  EXPECT_EQ(s.clip(), s.bounds());
  int outside = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      if (!Rect(10, 10, 20, 20).contains(Point(x, y))) outside += s.pixel(x, y) != kGround;
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(s.pixel(15, 15), rgb(1, 2, 3));
}

TEST(SurfaceTest, AntiAliasedLinesAreSymmetricAndStopAtTheirEnds) {
  Surface s = filled(41, 41, kBlack);
  s.drawLine(5.0f, 20.0f, 35.0f, 20.0f, kWhite, 1.0f);
  EXPECT_EQ(s.pixel(20, 20), kWhite);
  EXPECT_EQ(s.pixel(20, 19), kBlack);
  EXPECT_EQ(s.pixel(2, 20), kBlack);
  EXPECT_EQ(s.pixel(38, 20), kBlack);
  Surface d = filled(41, 41, kBlack);
  d.drawLine(5.0f, 5.0f, 35.0f, 33.0f, kWhite, 2.0f);
  // Point symmetry about the line's midpoint.
  for (int y = 0; y < 41; ++y)
    for (int x = 0; x < 41; ++x) {
      const int mx = 40 - x, my = 38 - y;
      if (my < 0 || my > 40) continue;
      ASSERT_NEAR(redOf(d.pixel(x, y)), redOf(d.pixel(mx, my)), 1) << x << "," << y;
    }
  int partial = 0;
  for (int y = 0; y < 41; ++y)
    for (int x = 0; x < 41; ++x) partial += redOf(d.pixel(x, y)) > 0 && redOf(d.pixel(x, y)) < 255;
  EXPECT_GT(partial, 30) << "edges are anti-aliased";
}

TEST(SurfaceTest, OffscreenDrawingIsCopiedInOneBlock) {
  OffscreenContext offscreen(20, 10);
  ASSERT_TRUE(offscreen.isValid());
  offscreen.setFillColor(rgb(0, 200, 0));
  offscreen.fillRect(Rect(0, 0, 20, 10));
  offscreen.setFontColor(kWhite);
  offscreen.drawString("Hi", Rect(0, 0, 20, 10));
  Surface window = filled(50, 50, kGround);
  DrawContext context(window);
  context.setOffset(Point(5, 5));
  offscreen.copyTo(context, Rect(10, 10, 30, 20));
  EXPECT_EQ(window.pixel(15, 15), rgb(0, 200, 0));
  EXPECT_EQ(window.pixel(14, 15), kGround);
  EXPECT_EQ(window.pixel(35, 25), kGround);
  EXPECT_GT(countNot(window, rgb(0, 200, 0), Rect(15, 15, 35, 25)), 5) << "the text came along";
  EXPECT_GT(builtinFont().textWidth("Hi"), 5);
}

}  // namespace
}  // namespace vt::gui
