// Opens a plug-in's editor through the VST 2 ABI in a window of the host:
// interactively (idle pumped until the user closes the window) or for a
// snapshot (the page tabs' parameter set to page / 7, idle twice, the window's
// pixels saved as a PNG).
#pragma once

#include <string>

#include "tools/render/plugin_host.h"

namespace vt::render {

struct EditorSessionOptions {
  static constexpr int kPageTabsParameter = 181;
  static constexpr int kPageCount = 8;
  static constexpr int kIdleMilliseconds = 20;

  bool interactive = false;
  std::string snapshotPath;  // empty: no snapshot
  int page = -1;             // 0..7; -1 leaves the editor's own first page
};

bool runEditorSession(PluginHost& host, const EditorSessionOptions& options, std::string& error);

}  // namespace vt::render
