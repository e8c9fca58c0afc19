#include "tests/support/temp_folder.h"

#include <stdlib.h>

#include <fstream>
#include <system_error>

namespace vt::test {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vt7000-test-XXXXXX").string();
  if (mkdtemp(pattern.data())) root = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!root.empty()) std::filesystem::remove_all(root, ignored);
}

std::filesystem::path TempFolder::makeFolder(const std::string& relative) const {
  const std::filesystem::path folder = root / relative;
  std::filesystem::create_directories(folder);
  return folder;
}

std::filesystem::path TempFolder::writeFile(const std::string& relative, const std::string& bytes) const {
  const std::filesystem::path file = root / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file;
}

}  // namespace vt::test
