// The --info report: what a host learns about a plug-in through the ABI.
#pragma once

#include <cstdio>

#include "tools/render/plugin_host.h"

namespace vt::render {

// The canDo strings the report asks about: the ones an instrument should
// accept and a few it should not.
extern const char* const kReportedCanDos[];
extern const int kReportedCanDoCount;

// Prints the descriptor, identity strings, canDo answers, output pins, the
// program name and every parameter's name, display and label.
void printPluginInfo(PluginHost& host, std::FILE* out);

}  // namespace vt::render
