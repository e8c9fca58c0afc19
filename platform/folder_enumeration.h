// Lists the entries of a folder on disk. The library scans in files/ see the
// disk only through the abstract FolderLister, so they include no OS header
// and tests can hand them folder listings of their own.
#pragma once

namespace vt {

// Receives the entries of one folder, one call per entry.
class FolderEntryVisitor {
public:
  // 'name' is the bare entry name (no folder part); return false to stop the listing.
  virtual bool visitEntry(const char* name, bool isDirectory) = 0;

protected:
  ~FolderEntryVisitor() = default;
};

class FolderLister {
public:
  virtual ~FolderLister() = default;

  // Hands every entry of 'folder' (including "." and ".." where the system
  // reports them) to 'visitor' in enumeration order; false when the folder
  // cannot be read.
  virtual bool listEntries(const char* folder, FolderEntryVisitor& visitor) const = 0;
  // The separator used when joining folder and entry names into paths.
  virtual char separator() const = 0;
};

// The operating system's folders. Windows keeps the order in which the file
// system enumerates a folder (name order on NTFS); POSIX systems enumerate in
// an order that depends on the file system (hash order on ext4), so there the
// entries are sorted by name, compared case-insensitively as NTFS does, so that
// menus and the startup instrument are the same on every machine.
class SystemFolderLister final : public FolderLister {
public:
  bool listEntries(const char* folder, FolderEntryVisitor& visitor) const override;
  char separator() const override;
};

}  // namespace vt
