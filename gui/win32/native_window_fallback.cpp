#include "gui/platform_window.h"

namespace vt::gui {

// Until the Win32 backend (a child window of class "Plugin%08x", DIB blits,
// TrackPopupMenu, the native EDIT box, OLE drops) takes this place, a Windows
// build has no native window: the editor reports that it cannot open.
PlatformWindow* createNativeWindow(Frame&, void*) { return nullptr; }

}  // namespace vt::gui
