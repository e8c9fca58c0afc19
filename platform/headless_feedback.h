// An AnalysisFeedback that shows nothing and records what would have been
// shown: for tests and for tools without a desktop.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "platform/analysis_feedback.h"

namespace vt {

class HeadlessFeedback final : public AnalysisFeedback {
public:
  struct Message {
    std::string text, title;
  };

  std::unique_ptr<ProgressIndicator> openProgress() override {
    ++opened;
    return std::unique_ptr<ProgressIndicator>(new Indicator(*this));
  }
  void showMessage(const char* text, const char* title) override {
    std::lock_guard<std::mutex> lock(mutex);
    shown.push_back({text, title});
  }

  int progressWindowsOpened() const { return opened.load(); }
  int progressWindowsOpen() const { return open.load(); }
  double lastProgress() const { return progress.load(); }
  std::vector<Message> messages() const {
    std::lock_guard<std::mutex> lock(mutex);
    return shown;
  }

private:
  class Indicator final : public ProgressIndicator {
  public:
    explicit Indicator(HeadlessFeedback& owner) : owner(owner) { ++owner.open; }
    ~Indicator() override { --owner.open; }
    void setProgress(double share) override { owner.progress.store(share); }

  private:
    HeadlessFeedback& owner;
  };

  std::atomic<int> opened{0}, open{0};
  std::atomic<double> progress{0.0};
  mutable std::mutex mutex;
  std::vector<Message> shown;
};

}  // namespace vt
