// Receiving drops on the editor's window: an OLE drop target (file lists as
// CF_HDROP, plain text as CF_TEXT) and, where OLE is not available on the
// thread, the shell's WM_DROPFILES. File names ending in ".lnk" (any case)
// are shortcuts: they are resolved to their targets through the shell-link
// service. The names or the text and the drop point (window coordinates) go
// to the frame's drop handler.
#pragma once

#include <ole2.h>
#include <shellapi.h>

#include "gui/drop_list.h"

namespace vt::gui {

class Frame;

// Adds the files of a shell file list to list, shortcuts resolved. Returns how many were added.
int collectDroppedFiles(HDROP files, DropList& list);
// True when name ends in ".lnk", compared without case.
bool isShortcutName(const char* name);

class Win32DropTarget final : public IDropTarget {
public:
  // Made with one reference, owned by the caller.
  Win32DropTarget(Frame& frame, HWND window);

  // Ends the link to the frame: later calls (a source still holding a reference) do nothing.
  void detach();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDropTarget
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL where, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL where, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL where, DWORD* effect) override;

private:
  ~Win32DropTarget() = default;
  bool accepts() const;

  LONG references = 1;
  Frame* owner;
  HWND window;
  bool offered = false;  // the data being dragged holds files or text
};

}  // namespace vt::gui
