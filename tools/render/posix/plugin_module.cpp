// Loading a plug-in module with the dynamic linker.
#include "tools/render/plugin_module.h"

#include <dlfcn.h>

namespace vt::render {

PluginModule::~PluginModule() { unload(); }

bool PluginModule::load(const std::string& path, std::string& error) {
  unload();
  // RTLD_LOCAL: the module's symbols must not resolve anything of the host's,
  // nor of another module loaded beside it.
  // A bare file name is a file in the current directory, not a library for
  // the dynamic linker to search for.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* reason = dlerror();
    error = "cannot load " + path + ": " + (reason ? reason : "unknown error");
    return false;
  }
  for (const char* name : kEntryNames) {
    dlerror();
    void* symbol = dlsym(library, name);
    if (symbol && !dlerror()) {
      handle = library;
      entry = reinterpret_cast<PluginEntryProc>(symbol);
      entryNameFound = name;
      return true;
    }
  }
  dlclose(library);
  error = path + " exports neither main nor VSTPluginMain: not a VST 2 module";
  return false;
}

void PluginModule::unload() {
  if (handle) dlclose(handle);
  handle = nullptr;
  entry = nullptr;
  entryNameFound = "";
}

}  // namespace vt::render
