// A folder lister over folders described in memory: each folder lists its
// entries exactly in the order they were added, so tests can check that scans
// keep the enumeration order and can use names no disk would hold.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/folder_enumeration.h"

namespace vt::test {

class FakeFolderLister final : public FolderLister {
public:
  void addFolder(const std::string& folder, const std::string& name) { entries[folder].push_back({name, true}); }
  void addFile(const std::string& folder, const std::string& name) { entries[folder].push_back({name, false}); }

  bool listEntries(const char* folder, FolderEntryVisitor& visitor) const override {
    const auto found = entries.find(folder);
    if (found == entries.end()) return false;
    ++visits;
    for (const auto& entry : found->second)
      if (!visitor.visitEntry(entry.first.c_str(), entry.second)) break;
    return true;
  }
  char separator() const override { return '/'; }

  mutable int visits = 0;

private:
  std::map<std::string, std::vector<std::pair<std::string, bool>>> entries;
};

}  // namespace vt::test
