// Writes the factory library into a folder:
//
//   vt7000-factory <folder>
//
// The output is the same byte for byte on every run; factory/data holds what
// it wrote last. Files the recipe no longer makes are not removed, so
// regenerate into an empty folder:
//
//   rm -rf factory/data && build/default/out/vt7000-factory factory/data
#include <cstdio>
#include <string>
#include <vector>

#include "factory/factory_recipe.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
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
