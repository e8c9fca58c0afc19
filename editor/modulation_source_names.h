// The texts of the modulation source list, as the source menus show them:
// none, velocity, aftertouch, key position, the two LFOs, two blanks, and the
// 120 MIDI controllers with their standard names.
#pragma once

#include <cstddef>

namespace vt {

constexpr int kModulationSources = 128;  // 0-127 (numbers 6 and 7 name no source)

// Writes the text of source 'number' (0-127); an empty text outside that range.
void modulationSourceName(int number, char* text, std::size_t size);

}  // namespace vt
