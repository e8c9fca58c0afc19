// Values the engine's parameter array takes at construction, before every
// host parameter is applied once through the write path.
#pragma once

namespace vt {

// Fills all 245 values: 0 except the parameters that start elsewhere.
void fillParameterDefaults(float* parameters);

}  // namespace vt
