// Moving a plug-in's state in and out as its chunk: restoring an instrument
// file through effSetChunk and saving what effGetChunk hands out.
#pragma once

#include <cstddef>
#include <string>

#include "tools/render/plugin_host.h"

namespace vt::render {

// Instrument files larger than this are refused before they reach the plug-in.
constexpr std::size_t kMaxChunkFileBytes = 16u << 20;

// Reads 'path' and gives its bytes to the plug-in as a bank chunk. 'consumed'
// receives the plug-in's answer (the bytes it read), 'size' the file size.
bool restoreChunkFromFile(PluginHost& host, const std::string& path, long long& consumed, std::size_t& size,
                          std::string& error);

// Asks the plug-in for its bank chunk and writes the bytes to 'path'. A
// plug-in that hands out no chunk, or a write that fails, gives false and
// leaves an existing file at 'path' as it was. 'size' receives the byte count.
bool saveChunkToFile(PluginHost& host, const std::string& path, std::size_t& size, std::string& error);

}  // namespace vt::render
