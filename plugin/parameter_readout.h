// The editor read-out of each parameter: the formatter its knob shows.
#pragma once

#include <cstddef>

namespace vt {

// Writes the read-out of 'value' for parameter 'index' (the percent read-out
// for parameters without a formatter of their own).
void parameterReadout(int index, float value, char* text, std::size_t size);

}  // namespace vt
