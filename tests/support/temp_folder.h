// A fresh folder under the system's temporary directory, removed with
// everything in it when the object goes away; helpers build file trees in it.
#pragma once

#include <filesystem>
#include <string>

namespace vt::test {

class TempFolder {
public:
  TempFolder();
  ~TempFolder();

  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return root; }
  std::string string() const { return root.string(); }

  // Creates the folder 'relative' (and its parents) inside this folder.
  std::filesystem::path makeFolder(const std::string& relative) const;
  // Writes 'bytes' to the file 'relative', creating its folders.
  std::filesystem::path writeFile(const std::string& relative, const std::string& bytes = "x") const;

private:
  std::filesystem::path root;
};

}  // namespace vt::test
