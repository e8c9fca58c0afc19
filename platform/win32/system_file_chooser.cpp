// The system's open-file dialog (GetOpenFileNameA). It is modal: start()
// returns when the user has chosen or cancelled and poll() reports the answer.
#include <windows.h>
// commdlg.h needs windows.h first.
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/file_chooser.h"

namespace vt {

namespace {

class SystemFileChooser : public FileChooser {
public:
  bool start(const FileRequest& request) override {
    if (state != State::Idle) return false;
    char title[128];
    std::snprintf(title, sizeof(title), "Load %s File", request.extension);
    // "NAME (*.a;*.b)\0*.a;*.b\0\0"; the dialog compares patterns without case.
    char patterns[96] = {};
    for (int i = 0; i < request.patternCount; ++i) {
      const std::size_t used = std::strlen(patterns);
      std::snprintf(patterns + used, sizeof(patterns) - used, "%s*.%s", i ? ";" : "", request.patterns[i]);
    }
    char filter[256] = {};
    const int label = std::snprintf(filter, sizeof(filter) - 2, "%s files (%s)", request.extension, patterns);
    if (label < 0 || label + 1 >= static_cast<int>(sizeof(filter)) - 2) return false;
    std::snprintf(filter + label + 1, sizeof(filter) - label - 2, "%s", patterns);
    path[0] = 0;
    OPENFILENAMEA dialog;
    std::memset(&dialog, 0, sizeof(dialog));
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof(path);
    dialog.lpstrTitle = title;
    dialog.lpstrDefExt = request.extension;
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
    state = GetOpenFileNameA(&dialog) ? State::Chosen : State::Cancelled;
    return true;
  }

  State poll(char* out, std::size_t size) override {
    const State answer = state;
    state = State::Idle;
    if (answer == State::Chosen) {
      if (!out || std::strlen(path) >= size) return State::Cancelled;
      std::memcpy(out, path, std::strlen(path) + 1);
    }
    return answer;
  }

  void cancel() override { state = State::Idle; }

private:
  State state = State::Idle;
  char path[512];
};

}  // namespace

FileChooser* createSystemFileChooser() { return new (std::nothrow) SystemFileChooser(); }

}  // namespace vt
