// analysis/pitch_detection.h
#pragma once

#include <cstddef>

namespace vt::analysis {
double detectPitch(const float* samples, std::size_t count, double sampleRate);
}
