// The analysis windows on Windows: the "WinEx2" progress window, created and
// painted by a thread of its own with its own message loop, and MessageBoxA.
#include "platform/analysis_feedback.h"

#include <windows.h>

#include <atomic>
#include <new>
#include <thread>

namespace vt {

namespace {

constexpr UINT_PTR kRepaintTimer = 1;
constexpr UINT kRepaintMilliseconds = 50;
constexpr const char* kClassName = "WinEx2";

HINSTANCE moduleInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&moduleInstance), &module);
  return module;
}

class Win32Progress final : public ProgressIndicator {
public:
  bool start() {
    std::atomic<int> opened{0};
    painter = std::thread([this, &opened] { run(opened); });
    while (opened.load() == 0) Sleep(1);
    return opened.load() > 0;
  }
  ~Win32Progress() override {
    if (window.load()) PostMessageA(window.load(), WM_CLOSE, 0, 0);
    if (painter.joinable()) painter.join();
  }
  void setProgress(double share) override {
    if (!(share >= 0.0)) share = 0.0;
    progress.store(share > 1.0 ? 1.0 : share);
  }

private:
  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Progress*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        using namespace analysis_window;
        TextOutA(dc, kTextX, kTextY, kText, lstrlenA(kText));
        if (self) {
          RECT client;
          GetClientRect(hwnd, &client);
          RECT bar = {kTextX, 40, client.right - kTextX, 54};
          FrameRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
          RECT done = bar;
          InflateRect(&done, -1, -1);
          done.right = done.left + static_cast<LONG>((done.right - done.left) * self->progress.load());
          HBRUSH fill = CreateSolidBrush(RGB(48, 112, 192));
          FillRect(dc, &done, fill);
          DeleteObject(fill);
        }
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_TIMER:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
  }

  void run(std::atomic<int>& opened) {
    using namespace analysis_window;
    HINSTANCE instance = moduleInstance();
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);  // already registered by an earlier opening: fine
    HWND hwnd = CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, kLeft, kTop, kWidth, kHeight, nullptr,
                                nullptr, instance, nullptr);
    if (!hwnd) {
      opened.store(-1);
      return;
    }
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    SetTimer(hwnd, kRepaintTimer, kRepaintMilliseconds, nullptr);
    window.store(hwnd);
    opened.store(1);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    window.store(nullptr);
  }

  std::thread painter;
  std::atomic<HWND> window{nullptr};
  std::atomic<double> progress{0.0};
};

class DesktopFeedback final : public AnalysisFeedback {
public:
  std::unique_ptr<ProgressIndicator> openProgress() override {
    std::unique_ptr<Win32Progress> window(new (std::nothrow) Win32Progress);
    if (!window || !window->start()) return nullptr;
    return window;
  }
  // The system's box: modal, with its own message loop on the calling thread,
  // so the host's windows stay serviced while it waits for OK.
  void showMessage(const char* text, const char* title) override { MessageBoxA(nullptr, text, title, MB_OK); }
};

}  // namespace

AnalysisFeedback& desktopFeedback() {
  static DesktopFeedback feedback;
  return feedback;
}

}  // namespace vt
