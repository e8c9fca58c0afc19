// What the user sees while a recording is analysed into a voice, and when a
// recording cannot be read: a small "Analyzing Audio" window with a progress
// bar, and a message box. Behind one interface so that the analysis command
// can be driven and checked headless.
#pragma once

#include <memory>

namespace vt {

// The open progress window; destroying it closes the window.
class ProgressIndicator {
public:
  virtual ~ProgressIndicator() = default;
  // share of the work done, 0 .. 1; may be called from any thread.
  virtual void setProgress(double share) = 0;
};

class AnalysisFeedback {
public:
  virtual ~AnalysisFeedback() = default;
  // Opens the progress window (title "Analyzing Audio", 300 x 100 at
  // (100, 100), "Please wait..." at (10, 10)). It paints itself from a thread
  // of its own for as long as it is open, whatever the caller's thread does.
  // Null when no window can be shown (no display): the work goes on without.
  virtual std::unique_ptr<ProgressIndicator> openProgress() = 0;
  // A message with one OK button. On X11 it returns at once (the box has a
  // thread of its own); on Windows it is the system's modal box, whose own
  // message loop keeps the host's windows serviced until OK.
  virtual void showMessage(const char* text, const char* title) = 0;
};

// The desktop's own windows (X11 on Linux, Win32 on Windows). X11 message
// boxes still open are closed when the module is unloaded.
AnalysisFeedback& desktopFeedback();

// The texts and geometry both implementations show.
namespace analysis_window {
constexpr const char* kTitle = "Analyzing Audio";
constexpr const char* kText = "Please wait...";
constexpr int kLeft = 100, kTop = 100, kWidth = 300, kHeight = 100;
constexpr int kTextX = 10, kTextY = 10;
}  // namespace analysis_window

}  // namespace vt
