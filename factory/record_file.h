// Writes one record (voice or instrument) into a new file, making its folders first.
#pragma once

#include <filesystem>
#include <functional>

namespace vt {

class ByteStream;

bool writeRecordFile(const std::filesystem::path& path, const std::function<bool(ByteStream&)>& write);

}  // namespace vt
