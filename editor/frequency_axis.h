// The horizontal axis of the frequency displays (noise spectrum, formant
// curve): position p (0..1 across the plot) and frequency in Hz related by a
// piecewise-linear map through (0, 20 Hz), (0.75, 5000 Hz), (1, 22000 Hz),
// clamped at the ends. A curve point's x is its frequency / 22050.
#pragma once

namespace vt {

constexpr float kAxisLowHz = 20.0f;
constexpr float kAxisKneeHz = 5000.0f;
constexpr float kAxisHighHz = 22000.0f;
constexpr float kAxisKneePosition = 0.75f;
constexpr float kCurveNyquistHz = 22050.0f;

float frequencyAtPosition(float p);
float positionOfFrequency(float hz);

}  // namespace vt
