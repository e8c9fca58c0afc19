#include "analysis/pitch_detection.h"

namespace vt::analysis {

// placeholder until the detector lands
double detectPitch(const float*, std::size_t, double) { return 0.0; }

}  // namespace vt::analysis
