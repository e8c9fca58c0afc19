// Where the plug-in module lives on disk: its directory is the data root from
// which the library folders and the reset instrument are found.
#pragma once

#include <cstddef>

namespace vt {

// The platform's path separator ('\\' on Windows, '/' elsewhere).
char pathSeparator();

// Writes the directory that holds this module (without a trailing separator)
// into 'out'; false, with 'out' empty, when it cannot be determined or does not fit.
bool moduleDirectory(char* out, std::size_t size);

}  // namespace vt
