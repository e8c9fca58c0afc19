// A plug-in module loaded from disk by path: the shared library and its VST 2
// entry point. The operating-system part (dlopen / LoadLibrary) lives in
// posix/plugin_module.cpp and win32/plugin_module.cpp.
#pragma once

#include <string>

#include "vst2/aeffect.h"

namespace vt::render {

// The entry point every VST 2 module exports: takes the host's callback and
// returns the plug-in's descriptor, or null.
using PluginEntryProc = vst2::AEffect*(VST_CALLBACK*)(vst2::HostCallback audioMaster);

class PluginModule {
public:
  // Names tried in order: older hosts and every Windows module use "main",
  // newer modules also export "VSTPluginMain".
  static constexpr const char* kEntryNames[] = {"main", "VSTPluginMain"};

  PluginModule() = default;
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // Loads the module and finds its entry point. On failure returns false,
  // leaves nothing loaded and describes the reason in 'error'.
  bool load(const std::string& path, std::string& error);
  // Unloads the module; every descriptor it handed out must be closed first.
  void unload();

  bool isLoaded() const { return handle != nullptr; }
  PluginEntryProc entryPoint() const { return entry; }
  // The exported name the entry point was found under.
  const char* entryName() const { return entryNameFound; }

private:
  void* handle = nullptr;
  PluginEntryProc entry = nullptr;
  const char* entryNameFound = "";
};

}  // namespace vt::render
