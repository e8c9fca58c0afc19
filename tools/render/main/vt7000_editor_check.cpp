// vt7000-editor-check (Windows only): drives the module's Win32 editor window
// with real window messages and checks what a host relies on.
//   vt7000-editor-check VT7000.dll
// The editor's child window has class "Plugin%08x" (the module's instance
// handle) and title "Window" and leads to its frame through its user data; a
// knob drag holds the mouse capture and moves the value linearly; a
// Ctrl-click sets the default; a pop-up menu choice shows on its control; a
// text field opens an EDIT box that Enter and Escape close; closing removes the child and the window class; reopening
// works; a host that destroys its window before closing the editor survives;
// the OLE drop target hands file lists (shortcuts resolved) and text to the
// frame's drop handler.
// Prints one line per check and exits 0 when all pass.
#include <ole2.h>
#include <shlobj.h>
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/parameter_ids.h"
#include "gui/frame.h"
#include "gui/win32/win32_drop_target.h"
#include "tools/render/editor_session.h"
#include "tools/render/editor_window.h"
#include "tools/render/plugin_host.h"
#include "tools/render/plugin_module.h"

namespace {

using namespace vt;
using namespace vt::render;

// The master tune knob (every page): 35 x 35 at (35, 494), so its centre.
constexpr int kKnobX = 35 + 17;
constexpr int kKnobY = 494 + 17;
// The voice name field on the first voice page (page area at (16, 92)).
constexpr int kNameX = 16 + 16 + 30;
constexpr int kNameY = 92 + 11 + 8;
constexpr int kLinearKnobMode = 2;
// The instrument category menu (every page): (330, 15) to (477, 34).
constexpr int kCategoryX = 400;
constexpr int kCategoryY = 24;

int failures = 0;

void check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
  if (!ok) ++failures;
}

LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

void pump(EditorWindow& window, PluginHost& host) {
  window.processEvents();
  host.dispatch(vst2::effEditIdle);
  window.processEvents();
}

HWND editorChild(HWND parent) { return FindWindowExA(parent, nullptr, nullptr, nullptr); }

// What the frame's drop handler received.
struct DropRecorder : gui::DropHandler {
  int drops = 0;
  gui::DropData::Kind kind = gui::DropData::Kind::Text;
  std::vector<std::string> names;
  std::string text;
  gui::Point where;
  void onDrop(const gui::DropData& data, gui::Point p) override {
    ++drops;
    kind = data.kind;
    names.clear();
    for (int i = 0; i < data.count; ++i) names.push_back(data.names[i]);
    text = data.text ? data.text : "";
    where = p;
  }
};

bool sameFile(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// Drops a clipboard's worth of data (the system's own data object) on the
// frame's drop target at a screen point.
void dropClipboard(gui::Win32DropTarget& target, POINTL at, DWORD& entered) {
  IDataObject* data = nullptr;
  if (FAILED(OleGetClipboard(&data)) || !data) return;
  entered = DROPEFFECT_NONE;
  target.DragEnter(data, MK_LBUTTON, at, &entered);
  DWORD effect = DROPEFFECT_COPY;
  target.DragOver(MK_LBUTTON, at, &effect);
  effect = DROPEFFECT_COPY;
  target.Drop(data, 0, at, &effect);
  data->Release();
}

// A file list (the shell's DROPFILES block) on the clipboard.
bool putFilesOnClipboard(HWND owner, const std::vector<std::string>& files) {
  std::size_t bytes = sizeof(DROPFILES) + 1;
  for (const std::string& f : files) bytes += f.size() + 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (!block) return false;
  char* p = static_cast<char*>(GlobalLock(block));
  reinterpret_cast<DROPFILES*>(p)->pFiles = sizeof(DROPFILES);
  char* out = p + sizeof(DROPFILES);
  for (const std::string& f : files) {
    std::memcpy(out, f.c_str(), f.size() + 1);
    out += f.size() + 1;
  }
  GlobalUnlock(block);
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_HDROP, block) != nullptr;
  CloseClipboard();
  return ok;
}

bool putTextOnClipboard(HWND owner, const char* text) {
  const std::size_t n = std::strlen(text) + 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n);
  if (!block) return false;
  std::memcpy(GlobalLock(block), text, n);
  GlobalUnlock(block);
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_TEXT, block) != nullptr;
  CloseClipboard();
  return ok;
}

// Saves a shell shortcut at link pointing to target.
bool makeShortcut(const std::string& link, const std::string& target) {
  IShellLinkA* shell = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shell))))
    return false;
  bool ok = false;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shell->SetPath(target.c_str())) &&
      SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    ok = SUCCEEDED(file->Save(wide, TRUE));
    file->Release();
  }
  shell->Release();
  return ok;
}

// The OLE drop target with data the system made: a file list (a shortcut
// among the files is resolved, its name compared without case) and plain text.
void checkDrops(HWND window) {
  if (FAILED(OleInitialize(nullptr))) {
    check(false, "OLE starts for the drop checks");
    return;
  }
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string base = std::string(folder) + "vt7000-drop-check";
  CreateDirectoryA(base.c_str(), nullptr);
  const std::string plain = base + "\\plain.aif", target = base + "\\target.wav", link = base + "\\Target.LNK";
  for (const std::string* f : {&plain, &target}) {
    HANDLE h = CreateFileA(f->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  check(makeShortcut(link, target), "a shortcut can be made for the drop check");
  gui::Frame frame(gui::Rect(0, 0, 800, 550), nullptr);
  DropRecorder recorder;
  gui::Win32DropTarget* dropTarget = new gui::Win32DropTarget(frame, window);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  const POINTL at{origin.x + 120, origin.y + 45};
  DWORD entered = 0;

  putFilesOnClipboard(window, {plain, link});
  dropClipboard(*dropTarget, at, entered);
  check(recorder.drops == 0 && entered == DROPEFFECT_NONE, "without a drop handler nothing is accepted");
  frame.setDropHandler(&recorder);
  dropClipboard(*dropTarget, at, entered);
  check(entered == DROPEFFECT_COPY, "a file list is accepted as a copy");
  check(recorder.drops == 1 && recorder.kind == gui::DropData::Kind::Files && recorder.names.size() == 2,
        "a dropped file list reaches the drop handler");
  if (recorder.names.size() == 2) {
    std::printf("   dropped: %s | %s\n", recorder.names[0].c_str(), recorder.names[1].c_str());
    check(sameFile(recorder.names[0], plain), "a plain file arrives by its name");
    check(sameFile(recorder.names[1], target), "a \".LNK\" shortcut arrives as its target");
  }
  check(recorder.where.x == 120 && recorder.where.y == 45, "the drop point is in window coordinates");

  putTextOnClipboard(window, "dropped words");
  dropClipboard(*dropTarget, at, entered);
  check(recorder.drops == 2 && recorder.kind == gui::DropData::Kind::Text && recorder.text == "dropped words",
        "dropped text reaches the drop handler");
  dropTarget->detach();
  dropClipboard(*dropTarget, at, entered);
  check(recorder.drops == 2, "a detached drop target delivers nothing");
  dropTarget->Release();
  DeleteFileA(link.c_str());
  DeleteFileA(target.c_str());
  DeleteFileA(plain.c_str());
  RemoveDirectoryA(base.c_str());
  OleUninitialize();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vt7000-editor-check VT7000.dll\n");
    return 2;
  }
  PluginModule module;
  PluginHost host;
  std::string error;
  if (!module.load(argv[1], error) || !host.instantiate(module.entryPoint(), error)) {
    std::fprintf(stderr, "vt7000-editor-check: %s\n", error.c_str());
    return 2;
  }
  host.open(44100, 512);
  vst2::AEffect* effect = host.effect();
  std::unique_ptr<EditorWindow> window = EditorWindow::create(800, 550, "VT7000 editor check", error);
  if (!window) {
    std::fprintf(stderr, "vt7000-editor-check: %s\n", error.c_str());
    return 2;
  }
  HWND parent = static_cast<HWND>(window->nativeHandle());
  host.dispatch(vst2::effSetEditKnobMode, 0, kLinearKnobMode);
  check(host.dispatch(vst2::effEditOpen, 0, 0, parent) != 0, "the editor opens in the host's window");
  HWND child = editorChild(parent);
  check(child != nullptr, "the editor is a child window of the host's window");
  char expectedClass[32], className[64] = {}, title[64] = {};
  const HMODULE instance = GetModuleHandleA("VT7000.dll");
  std::snprintf(expectedClass, sizeof(expectedClass), "Plugin%08x",
                static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(instance)));
  GetClassNameA(child, className, sizeof(className));
  GetWindowTextA(child, title, sizeof(title));
  check(std::string(className) == expectedClass, "its class is Plugin%08x of the module's instance handle");
  check(std::string(title) == "Window", "its title is \"Window\"");
  check(GetWindowLongPtrA(child, GWLP_USERDATA) != 0, "its user data leads to the frame");
  RECT r{};
  GetClientRect(child, &r);
  check(r.right == 800 && r.bottom == 550, "it is 800 x 550");
  pump(*window, host);

  // A linear drag: 40 pixels up is a fifth of the range.
  const float before = effect->getParameter(effect, MasterDetune);
  SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, at(kKnobX, kKnobY));
  check(GetCapture() == child, "a knob press captures the mouse");
  for (int step = 1; step <= 4; ++step) SendMessageA(child, WM_MOUSEMOVE, MK_LBUTTON, at(kKnobX, kKnobY - 10 * step));
  SendMessageA(child, WM_LBUTTONUP, 0, at(kKnobX, kKnobY - 40));
  check(GetCapture() != child, "the release gives the capture back");
  const float dragged = effect->getParameter(effect, MasterDetune);
  const float expected = before + 0.2f > 1.0f ? 1.0f : before + 0.2f;
  std::printf("   master tune %.4f -> %.4f (expected %.4f)\n", before, dragged, expected);
  check(std::fabs(dragged - expected) < 0.01f, "the drag moves the knob linearly");
  // Moves without a drag change nothing.
  SendMessageA(child, WM_MOUSEMOVE, 0, at(kKnobX, kKnobY - 80));
  check(effect->getParameter(effect, MasterDetune) == dragged, "moves without a press change nothing");
  SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, at(kKnobX, kKnobY));
  SendMessageA(child, WM_LBUTTONUP, MK_CONTROL, at(kKnobX, kKnobY));
  const float reset = effect->getParameter(effect, MasterDetune);
  std::printf("   Ctrl-click: %.4f\n", reset);
  check(reset != dragged && reset >= 0.0f && reset <= 1.0f, "a Ctrl-click sets the default value");
  pump(*window, host);

  // The instrument category menu: keys waiting in the queue drive the pop-up's
  // own loop (TrackPopupMenu), which picks the second entry.
  std::vector<std::uint32_t> shown, chosen;
  int w = 0, h = 0;
  window->capture(shown, w, h);
  PostMessageA(child, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(child, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(child, WM_KEYDOWN, VK_RETURN, 0);
  SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, at(kCategoryX, kCategoryY));
  SendMessageA(child, WM_LBUTTONUP, 0, at(kCategoryX, kCategoryY));
  pump(*window, host);
  window->capture(chosen, w, h);
  int changed = 0;
  for (int y = 15; y < 34 && !shown.empty() && shown.size() == chosen.size(); ++y)
    for (int x = 330; x < 477; ++x) changed += shown[y * w + x] != chosen[y * w + x];
  std::printf("   category menu: %d pixels changed\n", changed);
  check(changed > 20, "a pop-up menu choice shows on its control");

  // Text entry on the first voice page.
  effect->setParameter(effect, EditorSessionOptions::kPageTabsParameter, 0.0f);
  pump(*window, host);
  SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, at(kNameX, kNameY));
  SendMessageA(child, WM_LBUTTONUP, 0, at(kNameX, kNameY));
  HWND edit = FindWindowExA(child, nullptr, "EDIT", nullptr);
  check(edit != nullptr, "a click on a text field opens an EDIT box over it");
  if (edit) {
    check(GetFocus() == edit, "the EDIT box has the keyboard");
    check((SendMessageA(edit, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS) != 0, "the EDIT box wants all keys");
    SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    pump(*window, host);
    check(!IsWindow(edit), "Escape closes the EDIT box");
    SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, at(kNameX, kNameY));
    SendMessageA(child, WM_LBUTTONUP, 0, at(kNameX, kNameY));
    edit = FindWindowExA(child, nullptr, "EDIT", nullptr);
    if (edit) {
      SetWindowTextA(edit, "Checked");
      SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
      pump(*window, host);
    }
    check(edit && !IsWindow(edit), "Enter closes the EDIT box");
  }

  // Close, reopen, close: nothing left behind.
  host.dispatch(vst2::effEditClose);
  WNDCLASSA info{};
  check(!IsWindow(child), "closing removes the child window");
  check(!GetClassInfoA(instance, expectedClass, &info), "closing the last editor unregisters the window class");
  check(host.dispatch(vst2::effEditOpen, 0, 0, parent) != 0 && editorChild(parent) != nullptr,
        "the editor opens again");
  pump(*window, host);
  host.dispatch(vst2::effEditClose);

  // The host destroys its window first, then idles and closes the editor.
  {
    std::unique_ptr<EditorWindow> doomed = EditorWindow::create(800, 550, "VT7000 editor check 2", error);
    if (doomed) {
      HWND p = static_cast<HWND>(doomed->nativeHandle());
      host.dispatch(vst2::effEditOpen, 0, 0, p);
      HWND c = editorChild(p);
      SendMessageA(c, WM_LBUTTONDOWN, MK_LBUTTON, at(kKnobX, kKnobY));  // a drag in progress
      DestroyWindow(p);
      doomed->processEvents();
      host.dispatch(vst2::effEditIdle);
      host.dispatch(vst2::effEditClose);
      check(!IsWindow(c), "a host window destroyed before the editor closes is survived");
    }
  }
  checkDrops(parent);
  host.close();
  std::printf("%s\n", failures ? "editor check FAILED" : "editor check passed");
  return failures ? 1 : 0;
}
