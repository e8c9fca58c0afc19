// How a parameter value is read as a switch or as a choice among n entries.
#pragma once

namespace vt {

constexpr float kChoiceEpsilon = 0.001f;

// A switch is on above 0.5.
inline bool switchOn(float x) { return x > 0.5f; }

// int(x * n + 0.001) limited to 0..n-1; NaN counts as 0.
inline int parameterChoice(float x, int n) {
  const float v = x * static_cast<float>(n) + kChoiceEpsilon;
  if (!(v >= 1.0f)) return 0;
  if (v >= static_cast<float>(n - 1)) return n - 1;
  return static_cast<int>(v);
}

}  // namespace vt
