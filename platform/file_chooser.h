// The system's open-file dialog, driven without blocking the host's interface:
// start() puts the dialog up, poll() at idle tells when the user has chosen or
// cancelled, cancel() takes it down (the editor closing). A chooser that shows
// a modal dialog answers at once from start(). One request at a time.
#pragma once

#include <cstddef>

namespace vt {

// What a load asks for: the title shows the extension ("Load v7v File"); the
// filter lists the patterns ("*.v7v", or "*.wav *.aif *.aiff" for audio).
struct FileRequest {
  static constexpr int kMaxPatterns = 3;
  const char* extension = "";               // "v7v", "v7i", "v7h", "v7n", or "wav" for audio
  const char* patterns[kMaxPatterns] = {};  // without the "*." prefix, compared without case
  int patternCount = 0;
};

// The patterns of a request's extension: the audio import ("wav") lists
// wav, aif and aiff; every other extension only itself.
FileRequest fileRequestFor(const char* extension);
// True when name ends in "." plus one of the request's patterns, in any letter case.
bool fileMatchesRequest(const char* name, const FileRequest& request);

class FileChooser {
public:
  enum class State { Idle, Running, Chosen, Cancelled };

  virtual ~FileChooser() = default;
  // False when no dialog could be shown (nothing is running then).
  virtual bool start(const FileRequest& request) = 0;
  // Running while the dialog is up; Chosen (path copied, once) or Cancelled
  // (once) when it ended, then Idle.
  virtual State poll(char* path, std::size_t size) = 0;
  virtual void cancel() = 0;
};

// The platform's dialog: GetOpenFileNameA on Windows; elsewhere zenity or
// kdialog as a child process. Null when the platform has none (then the
// editor shows its own browser).
FileChooser* createSystemFileChooser();

}  // namespace vt
