#include "tools/render/editor_session.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "tools/render/editor_window.h"
#include "tools/render/png_file.h"

namespace vt::render {

namespace {
constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 550;
constexpr int kMaxSize = 8192;
}  // namespace

bool runEditorSession(PluginHost& host, const EditorSessionOptions& options, std::string& error) {
  vst2::AEffect* effect = host.effect();
  if (!effect || !(effect->flags & vst2::effFlagsHasEditor)) {
    error = "the plug-in has no editor";
    return false;
  }
  int width = kDefaultWidth, height = kDefaultHeight;
  vst2::ERect* rect = nullptr;
  if (host.dispatch(vst2::effEditGetRect, 0, 0, &rect) && rect) {
    const int w = rect->right - rect->left, h = rect->bottom - rect->top;
    if (w > 0 && h > 0 && w <= kMaxSize && h <= kMaxSize) {
      width = w;
      height = h;
    }
  }
  std::unique_ptr<EditorWindow> window = EditorWindow::create(width, height, "VT7000", error);
  if (!window) return false;
  if (!host.dispatch(vst2::effEditOpen, 0, 0, window->nativeHandle())) {
    error = "the plug-in's editor did not open";
    return false;
  }
  bool ok = true;
  if (!options.snapshotPath.empty()) {
    if (options.page >= 0 && effect->setParameter)
      effect->setParameter(effect, EditorSessionOptions::kPageTabsParameter,
                           static_cast<float>(options.page) / static_cast<float>(EditorSessionOptions::kPageCount - 1));
    for (int i = 0; i < 2; ++i) {
      window->processEvents();
      host.dispatch(vst2::effEditIdle);
    }
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    if (!window->capture(pixels, w, h)) {
      error = "cannot read the editor window's pixels";
      ok = false;
    } else if (!writePngFile(options.snapshotPath, pixels, w, h, error)) {
      ok = false;
    } else {
      std::printf("editor snapshot %s: %d x %d%s\n", options.snapshotPath.c_str(), w, h,
                  options.page >= 0 ? (", page " + std::to_string(options.page)).c_str() : "");
    }
  }
  if (options.interactive) {
    while (window->processEvents()) {
      host.dispatch(vst2::effEditIdle);
      std::this_thread::sleep_for(std::chrono::milliseconds(EditorSessionOptions::kIdleMilliseconds));
    }
  }
  host.dispatch(vst2::effEditClose);
  return ok;
}

}  // namespace vt::render
