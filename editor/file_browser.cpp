#include "editor/file_browser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "editor/editor_palette.h"
#include "gui/draw_context.h"
#include "gui/frame.h"
#include "platform/folder_enumeration.h"

namespace vt {

namespace {

constexpr int kPanelLeft = 150;
constexpr int kPanelTop = 60;
constexpr int kPanelRight = 650;
constexpr int kListTop = kPanelTop + 44;
constexpr int kButtonHeight = 20;

class Collector final : public FolderEntryVisitor {
public:
  Collector(const FileRequest& wanted, std::vector<std::string>& folderNames, std::vector<std::string>& fileNames)
      : request(wanted), folders(folderNames), files(fileNames) {}
  bool visitEntry(const char* name, bool isDirectory) override {
    if (!name || name[0] == '.') return true;  // ".", "..", hidden entries
    if (isDirectory)
      folders.emplace_back(name);
    else if (fileMatchesRequest(name, request))
      files.emplace_back(name);
    return folders.size() + files.size() < 4096;
  }

private:
  const FileRequest& request;
  std::vector<std::string>& folders;
  std::vector<std::string>& files;
};

}  // namespace

// The panel on the frame: it takes every press, so nothing behind it reacts.
class FileBrowserView final : public gui::View {
public:
  explicit FileBrowserView(FileBrowser& owner) : View(gui::Rect(0, 0, 800, 550)), browser(owner) {}

  void draw(gui::DrawContext& context) override { browser.draw(context); }

  gui::MouseResult onMouseDown(const gui::MouseEvent& event) override {
    const gui::Point p = event.where;
    if (browser.cancelRect().contains(p) || !browser.panelRect().contains(p)) {
      browser.finish(FileChooser::State::Cancelled);
      return gui::MouseResult::Handled;
    }
    for (int row = 0; row < FileBrowser::kRows; ++row)
      if (browser.entryRect(row).contains(p)) {
        browser.pick(browser.firstShown() + row);
        break;
      }
    return gui::MouseResult::Handled;
  }

  bool onWheel(gui::Point /*where*/, float distance, int /*modifiers*/) override {
    browser.scroll(distance > 0.0f ? -3 : 3);
    return true;
  }

private:
  FileBrowser& browser;
};

FileBrowser::FileBrowser(gui::Frame& owningFrame, const gui::BitmapFont* textFont)
    : frame(owningFrame), font(textFont) {}

FileBrowser::~FileBrowser() { removeView(); }

gui::Rect FileBrowser::panelRect() const {
  return gui::Rect(kPanelLeft, kPanelTop, kPanelRight, kListTop + kRows * kRowHeight + kButtonHeight + 16);
}

gui::Rect FileBrowser::entryRect(int row) const {
  const int top = kListTop + row * kRowHeight;
  return gui::Rect(kPanelLeft + 8, top, kPanelRight - 8, top + kRowHeight);
}

gui::Rect FileBrowser::cancelRect() const {
  const int top = kListTop + kRows * kRowHeight + 8;
  return gui::Rect(kPanelRight - 88, top, kPanelRight - 8, top + kButtonHeight);
}

bool FileBrowser::start(const FileRequest& wanted) {
  if (state == State::Running) return false;
  extension = wanted.extension ? wanted.extension : "";
  request = wanted;
  const char* home = std::getenv("PWD");
  if (!home || !*home) home = std::getenv("HOME");
  view = new (std::nothrow) FileBrowserView(*this);
  if (!view || !frame.addView(view)) {
    view = nullptr;  // the frame destroys what it cannot hold
    return false;
  }
  state = State::Running;
  openFolder(home && *home ? home : ".");
  return true;
}

void FileBrowser::openFolder(const std::string& path) {
  std::vector<std::string> folders, files;
  Collector collector(request, folders, files);
  if (!SystemFolderLister().listEntries(path.c_str(), collector)) return;  // stays where it was
  currentFolder = path;
  entries.clear();
  entries.push_back(Entry{"..", true});
  for (const std::string& f : folders) entries.push_back(Entry{f, true});
  for (const std::string& f : files) entries.push_back(Entry{f, false});
  first = 0;
  if (view) view->setDirty();
}

void FileBrowser::pick(int entry) {
  if (entry < 0 || entry >= entryCount()) return;
  const char separator = SystemFolderLister().separator();
  const Entry chosen = entries[static_cast<std::size_t>(entry)];
  if (chosen.name == "..") {
    std::string parent = currentFolder;
    while (parent.size() > 1 && parent.back() == separator) parent.pop_back();
    const std::size_t cut = parent.rfind(separator);
    if (cut == std::string::npos) return;
    openFolder(cut == 0 ? std::string(1, separator) : parent.substr(0, cut));
    return;
  }
  std::string path = currentFolder;
  if (path.empty() || path.back() != separator) path += separator;
  path += chosen.name;
  if (chosen.folder) {
    openFolder(path);
  } else {
    chosenPath = path;
    finish(State::Chosen);
  }
}

void FileBrowser::scroll(int rows) {
  const int last = std::max(0, entryCount() - kRows);
  first = std::min(std::max(0, first + rows), last);
  if (view) view->setDirty();
}

void FileBrowser::finish(State end) {
  if (state != State::Running) return;
  state = end;
  if (end != State::Chosen) chosenPath.clear();
  // The view goes at the next poll: this may run inside its own mouse handler.
  if (view) view->setVisible(false);
}

FileChooser::State FileBrowser::poll(char* path, std::size_t size) {
  if (state == State::Running || state == State::Idle) return state;
  const State answer = state;
  state = State::Idle;
  removeView();
  if (answer == State::Chosen) {
    if (!path || chosenPath.size() >= size) return State::Cancelled;
    std::memcpy(path, chosenPath.c_str(), chosenPath.size() + 1);
  }
  return answer;
}

void FileBrowser::cancel() {
  state = State::Idle;
  removeView();
}

void FileBrowser::removeView() {
  if (!view) return;
  if (frame.containsView(view)) frame.removeView(view, false);
  view = nullptr;
  frame.setDirty();
}

void FileBrowser::draw(gui::DrawContext& context) const {
  const gui::Rect panel = panelRect();
  context.setFont(nullptr);
  context.setFillColor(gui::rgb(32, 36, 44));
  context.fillRect(panel);
  context.setFrameColor(gui::rgb(150, 160, 180));
  context.drawRect(panel);
  context.setFontColor(gui::rgb(235, 235, 235));
  const std::string title = "Load " + extension + " File";
  context.drawString(title.c_str(), gui::Rect(panel.left, panel.top + 4, panel.right, panel.top + 20));
  context.setFontColor(gui::rgb(170, 180, 200));
  context.drawString(currentFolder.c_str(), gui::Rect(panel.left + 8, panel.top + 22, panel.right - 8, kListTop - 4),
                     gui::HoriAlign::Left);
  for (int row = 0; row < kRows && first + row < entryCount(); ++row) {
    const Entry& e = entries[static_cast<std::size_t>(first + row)];
    const std::string label = e.folder ? "[" + e.name + "]" : e.name;
    context.setFontColor(e.folder ? gui::rgb(150, 200, 255) : gui::rgb(235, 235, 235));
    context.drawString(label.c_str(), entryRect(row).inset(4, 0), gui::HoriAlign::Left);
  }
  const gui::Rect button = cancelRect();
  context.setFillColor(gui::rgb(70, 76, 90));
  context.fillRect(button);
  context.drawRect(button);
  context.setFontColor(gui::rgb(235, 235, 235));
  context.drawString("Cancel", button);
  (void)font;
}

}  // namespace vt
