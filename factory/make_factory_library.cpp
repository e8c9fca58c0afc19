// Writes a factory library into a folder:
//
//   vt7000-factory --voices <voice folder> <folder>
//
// puts the shipped library together from voices analysed from recordings
// (factory/build_library.py runs it; it prints the loudness table), and
//
//   vt7000-factory <folder>
//
// writes the synthetic additive library of the recipe (the same bytes on every
// run), which the tests use as a library that needs no recordings.
#include <cstdio>
#include <string>
#include <vector>

#include "factory/factory_recipe.h"
#include "factory/recorded_library.h"

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--voices") {
    std::string error;
    if (!vt::writeRecordedLibrary(argv[2], argv[3], stdout, &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n       %s --voices <voice folder> <folder>\n", argv[0], argv[0]);
    return 2;
  }
  std::vector<std::string> written;
  std::string error;
  if (!vt::writeFactoryLibrary(argv[1], &written, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  for (const std::string& file : written) std::printf("%s\n", file.c_str());
  return 0;
}
