// The editor's own open-file dialog, for systems without a desktop dialog: a
// panel drawn over the whole window listing the folders and the matching files
// of one folder. A click on a folder enters it ("..": the parent), a click on a
// file chooses it, "Cancel" (or Escape-free: a click outside the panel) ends it
// without a choice. The wheel scrolls the list. It behaves like any other
// chooser: start puts the panel up, poll reports the end, cancel removes it.
#pragma once

#include <string>
#include <vector>

#include "gui/view.h"
#include "platform/file_chooser.h"

namespace vt::gui {
class BitmapFont;
class Frame;
}  // namespace vt::gui

namespace vt {

class FileBrowserView;

class FileBrowser : public FileChooser {
public:
  static constexpr int kRows = 20;
  static constexpr int kRowHeight = 16;

  FileBrowser(gui::Frame& frame, const gui::BitmapFont* font);
  ~FileBrowser() override;

  bool start(const FileRequest& request) override;
  State poll(char* path, std::size_t size) override;
  void cancel() override;

  // What the panel lists (folders first, each group in name order).
  const std::string& folder() const { return currentFolder; }
  int entryCount() const { return static_cast<int>(entries.size()); }
  const std::string& entryName(int i) const { return entries[static_cast<std::size_t>(i)].name; }
  bool entryIsFolder(int i) const { return entries[static_cast<std::size_t>(i)].folder; }
  // Where entry i (of those in view) sits in frame coordinates; the cancel button.
  gui::Rect entryRect(int row) const;
  gui::Rect cancelRect() const;
  gui::Rect panelRect() const;

  // The panel's actions (also used by its view).
  void openFolder(const std::string& path);
  void pick(int entry);
  void finish(State end);
  void scroll(int rows);
  int firstShown() const { return first; }
  void draw(gui::DrawContext& context) const;

private:
  struct Entry {
    std::string name;
    bool folder;
  };
  void removeView();

  gui::Frame& frame;
  const gui::BitmapFont* font;
  FileBrowserView* view = nullptr;
  FileRequest request;
  std::string extension;
  std::string currentFolder;
  std::string chosenPath;
  std::vector<Entry> entries;
  int first = 0;
  State state = State::Idle;
};

}  // namespace vt
