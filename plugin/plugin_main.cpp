// The module's exported entry points. Hosts look for VSTPluginMain or, on
// older hosts and on Windows, main; both hand out one new plug-in instance.
#include "plugin/plugin_effect.h"

#if defined(_WIN32)
#define VT7000_EXPORT extern "C"  // exported by name through vt7000.def
#else
#define VT7000_EXPORT extern "C" __attribute__((visibility("default")))
#endif

VT7000_EXPORT vst2::AEffect* VSTPluginMain(vst2::HostCallback audioMaster);

vst2::AEffect* VSTPluginMain(vst2::HostCallback audioMaster) { return vt::createPluginInstance(audioMaster); }

#if !defined(_WIN32)
// C++ reserves the name main for the program entry, so the ELF symbol is
// given by assembler name; the Windows build exports it through the .def file.
VT7000_EXPORT vst2::AEffect* vt7000LegacyMain(vst2::HostCallback audioMaster) __asm__("main");
vst2::AEffect* vt7000LegacyMain(vst2::HostCallback audioMaster) { return vt::createPluginInstance(audioMaster); }
#endif
