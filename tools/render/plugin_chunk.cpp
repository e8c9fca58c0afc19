#include "tools/render/plugin_chunk.h"

#include <cstdint>
#include <vector>

#include "tools/render/file_bytes.h"

namespace vt::render {

namespace {

constexpr vst2::Int32 kBankChunk = 0;  // effGet/SetChunk index: 0 = whole bank, 1 = current program

}  // namespace

bool restoreChunkFromFile(PluginHost& host, const std::string& path, long long& consumed, std::size_t& size,
                          std::string& error) {
  consumed = 0;
  size = 0;
  std::vector<std::uint8_t> bytes;
  if (!readFileBytes(path, kMaxChunkFileBytes, bytes, error)) return false;
  size = bytes.size();
  if (bytes.empty()) {
    error = path + " is empty";
    return false;
  }
  consumed = static_cast<long long>(
      host.dispatch(vst2::effSetChunk, kBankChunk, static_cast<vst2::IntPtr>(bytes.size()), bytes.data()));
  return true;
}

bool saveChunkToFile(PluginHost& host, const std::string& path, std::size_t& size, std::string& error) {
  void* data = nullptr;
  const vst2::IntPtr length = host.dispatch(vst2::effGetChunk, kBankChunk, 0, &data);
  size = (length > 0 && data) ? static_cast<std::size_t>(length) : 0;
  if (size == 0) {
    // Nothing to save is a failure: an existing file keeps its instrument.
    error = "the plug-in handed out no chunk; " + path + " is left as it was";
    return false;
  }
  return writeFileBytes(path, data, size, error);
}

}  // namespace vt::render
