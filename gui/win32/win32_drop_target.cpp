#include "gui/win32/win32_drop_target.h"

#include <shlobj.h>

#include <cstring>

#include "gui/frame.h"

namespace vt::gui {

namespace {

FORMATETC formatOf(CLIPFORMAT format) { return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool offers(IDataObject* data, CLIPFORMAT format) {
  FORMATETC f = formatOf(format);
  return data && data->QueryGetData(&f) == S_OK;
}

// The shortcut's target path in target (capacity bytes); false when it cannot be resolved.
bool resolveShortcut(const char* path, char* target, int capacity) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))) ||
      !link)
    return false;
  bool ok = false;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) && file) {
    WCHAR wide[DropList::kNameLength];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, DropList::kNameLength) > 0 &&
        SUCCEEDED(file->Load(wide, STGM_READ))) {
      target[0] = 0;
      ok = SUCCEEDED(link->GetPath(target, capacity, nullptr, 0)) && target[0] != 0;
    }
    file->Release();
  }
  link->Release();
  return ok;
}

}  // namespace

bool isShortcutName(const char* name) {
  if (!name) return false;
  const std::size_t n = std::strlen(name);
  if (n < 4) return false;
  const char* tail = name + n - 4;
  const char* want = ".lnk";
  for (int i = 0; i < 4; ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != want[i]) return false;
  }
  return true;
}

int collectDroppedFiles(HDROP files, DropList& list) {
  if (!files) return 0;
  const UINT count = DragQueryFileA(files, 0xFFFFFFFFu, nullptr, 0);
  int added = 0;
  char name[DropList::kNameLength];
  char target[DropList::kNameLength];
  for (UINT i = 0; i < count; ++i) {
    // The length without the terminator; longer names than a slot holds are skipped.
    const UINT length = DragQueryFileA(files, i, nullptr, 0);
    if (length == 0 || length >= static_cast<UINT>(DropList::kNameLength)) continue;
    if (DragQueryFileA(files, i, name, sizeof(name)) != length) continue;
    const char* chosen = name;
    if (isShortcutName(name) && resolveShortcut(name, target, static_cast<int>(sizeof(target)))) chosen = target;
    if (list.addPath(chosen)) ++added;
  }
  return added;
}

Win32DropTarget::Win32DropTarget(Frame& frame, HWND w) : owner(&frame), window(w) {}

void Win32DropTarget::detach() {
  owner = nullptr;
  window = nullptr;
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::QueryInterface(REFIID id, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE Win32DropTarget::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references)); }

ULONG STDMETHODCALLTYPE Win32DropTarget::Release() {
  const LONG left = InterlockedDecrement(&references);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

bool Win32DropTarget::accepts() const { return offered && owner && owner->getDropHandler(); }

HRESULT STDMETHODCALLTYPE Win32DropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  offered = offers(data, CF_HDROP) || offers(data, CF_TEXT);
  if (effect) *effect = accepts() ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (effect) *effect = accepts() ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::DragLeave() {
  offered = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::Drop(IDataObject* data, DWORD, POINTL where, DWORD* effect) {
  offered = false;
  if (effect) *effect = DROPEFFECT_NONE;
  if (!data || !owner || !owner->getDropHandler() || !window) return S_OK;
  POINT p{where.x, where.y};
  ScreenToClient(window, &p);
  DropList list;
  STGMEDIUM medium{};
  FORMATETC files = formatOf(CF_HDROP);
  FORMATETC text = formatOf(CF_TEXT);
  bool delivered = false;
  if (data->GetData(&files, &medium) == S_OK) {
    // File lists first: a shell drag offers text names as well.
    // The global block is the shell's file list handle itself.
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal)
      delivered = collectDroppedFiles(static_cast<HDROP>(medium.hGlobal), list) > 0;
    ReleaseStgMedium(&medium);
  } else if (data->GetData(&text, &medium) == S_OK) {
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
      const char* bytes = static_cast<const char*>(GlobalLock(medium.hGlobal));
      if (bytes) {
        // Never past the block, even when the text has no terminator.
        const SIZE_T size = GlobalSize(medium.hGlobal);
        std::size_t length = 0;
        while (length < size && bytes[length]) ++length;
        delivered = list.setText(bytes, length);
        GlobalUnlock(medium.hGlobal);
      }
    }
    ReleaseStgMedium(&medium);
  }
  if (delivered) {
    if (effect) *effect = DROPEFFECT_COPY;
    owner->drop(list.data(), Point(p.x, p.y));
  }
  return S_OK;
}

}  // namespace vt::gui
