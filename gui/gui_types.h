// Basic value types of the view framework: points, rectangles and colours.
// Coordinates are integer pixels; a rectangle holds left/top inclusive and
// right/bottom exclusive, so its width is right - left.
#pragma once

#include <cstdint>

namespace vt::gui {

// 0xAARRGGBB; the display ignores alpha, images use it for blending.
using Color = std::uint32_t;

constexpr Color rgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<std::uint32_t>(r & 0xFF) << 16) | (static_cast<std::uint32_t>(g & 0xFF) << 8) |
         static_cast<std::uint32_t>(b & 0xFF);
}
constexpr Color rgba(int r, int g, int b, int a) {
  return (static_cast<std::uint32_t>(a & 0xFF) << 24) | (rgb(r, g, b) & 0xFFFFFFu);
}
constexpr int redOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr int greenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int alphaOf(Color c) { return static_cast<int>(c >> 24); }

constexpr Color kBlack = rgb(0, 0, 0);
constexpr Color kWhite = rgb(255, 255, 255);

struct Point {
  int x = 0;
  int y = 0;
  constexpr Point() = default;
  constexpr Point(int px, int py) : x(px), y(py) {}
  constexpr Point operator+(Point o) const { return {x + o.x, y + o.y}; }
  constexpr Point operator-(Point o) const { return {x - o.x, y - o.y}; }
  constexpr bool operator==(Point o) const { return x == o.x && y == o.y; }
  constexpr bool operator!=(Point o) const { return !(*this == o); }
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  constexpr Rect() = default;
  constexpr Rect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
  static constexpr Rect fromSize(int x, int y, int w, int h) { return Rect(x, y, x + w, y + h); }

  constexpr int width() const { return right - left; }
  constexpr int height() const { return bottom - top; }
  constexpr bool isEmpty() const { return right <= left || bottom <= top; }
  constexpr bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  constexpr Point topLeft() const { return {left, top}; }
  constexpr Rect offset(int dx, int dy) const { return Rect(left + dx, top + dy, right + dx, bottom + dy); }
  constexpr Rect offset(Point d) const { return offset(d.x, d.y); }
  constexpr Rect inset(int dx, int dy) const { return Rect(left + dx, top + dy, right - dx, bottom - dy); }
  constexpr bool intersects(const Rect& o) const {
    return !isEmpty() && !o.isEmpty() && left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
  // The common part (empty when they do not meet).
  constexpr Rect intersect(const Rect& o) const {
    Rect r(left > o.left ? left : o.left, top > o.top ? top : o.top, right < o.right ? right : o.right,
           bottom < o.bottom ? bottom : o.bottom);
    if (r.isEmpty()) return Rect();
    return r;
  }
  // The smallest rectangle holding both (an empty one adds nothing).
  constexpr Rect unite(const Rect& o) const {
    if (isEmpty()) return o;
    if (o.isEmpty()) return *this;
    return Rect(left < o.left ? left : o.left, top < o.top ? top : o.top, right > o.right ? right : o.right,
                bottom > o.bottom ? bottom : o.bottom);
  }
  constexpr bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  constexpr bool operator!=(const Rect& o) const { return !(*this == o); }
};

enum class HoriAlign { Left, Center, Right };

}  // namespace vt::gui
