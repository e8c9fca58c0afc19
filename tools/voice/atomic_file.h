// Writing a whole file so that readers see either the old file or the new
// one: the bytes go to a temporary file in the same folder, which is flushed
// to disk and then renamed over the target. A failed write leaves the old
// file as it was and no temporary file behind.
#pragma once

#include <cstddef>
#include <string>

namespace vt::voice {

bool writeFileAtomically(const std::string& path, const void* data, std::size_t size);

}  // namespace vt::voice
