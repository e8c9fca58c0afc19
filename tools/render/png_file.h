// Writes 0xRRGGBB pixels as an RGB PNG, through a temporary file renamed over
// the target (a failed write leaves an older file as it was).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vt::render {

bool writePngFile(const std::string& path, const std::vector<std::uint32_t>& pixels, int width, int height,
                  std::string& error);

}  // namespace vt::render
