// Loading a plug-in module with the Windows loader.
#include "tools/render/plugin_module.h"

#include <windows.h>

namespace vt::render {

namespace {

std::string lastErrorText() {
  const DWORD code = GetLastError();
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                      text, sizeof(text), nullptr);
  std::string result = length ? std::string(text, length) : "error " + std::to_string(code);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' ')) result.pop_back();
  return result;
}

}  // namespace

PluginModule::~PluginModule() { unload(); }

bool PluginModule::load(const std::string& path, std::string& error) {
  unload();
  HMODULE library = LoadLibraryA(path.c_str());
  if (!library) {
    error = "cannot load " + path + ": " + lastErrorText();
    return false;
  }
  for (const char* name : kEntryNames) {
    FARPROC symbol = GetProcAddress(library, name);
    if (symbol) {
      handle = library;
      entry = reinterpret_cast<PluginEntryProc>(reinterpret_cast<void*>(symbol));
      entryNameFound = name;
      return true;
    }
  }
  FreeLibrary(library);
  error = path + " exports neither main nor VSTPluginMain: not a VST 2 module";
  return false;
}

void PluginModule::unload() {
  if (handle) FreeLibrary(static_cast<HMODULE>(handle));
  handle = nullptr;
  entry = nullptr;
  entryNameFound = "";
}

}  // namespace vt::render
