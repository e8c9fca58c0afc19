// Unsigned integers of either byte order from raw file bytes.
#pragma once

#include <cstdint>

namespace vt::analysis {

inline std::uint16_t loadUint16(const std::uint8_t* p, bool bigEndian) {
  return bigEndian ? static_cast<std::uint16_t>(p[0] << 8 | p[1]) : static_cast<std::uint16_t>(p[1] << 8 | p[0]);
}

inline std::uint32_t loadUint32(const std::uint8_t* p, bool bigEndian) {
  return bigEndian ? (std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3])
                   : (std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0]);
}

inline std::uint64_t loadUint64(const std::uint8_t* p, bool bigEndian) {
  const std::uint64_t first = loadUint32(p, bigEndian), second = loadUint32(p + 4, bigEndian);
  return bigEndian ? first << 32 | second : second << 32 | first;
}

}  // namespace vt::analysis
