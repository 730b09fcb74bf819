// SPDX-License-Identifier: MIT
// The toolkit's Windows back end: the flat GDI+ API for drawing and images
// (GdiplusDrawing.cpp), Win32 for the frame's child window, pointer, keys and module resources
// (Win32Window.cpp), and OLE for dropped data (Win32Drop.cpp). Each seam operation is one thin
// call of the system, except for the rules of Windows hosts that live here: the host's window
// chain grown with the frame (stopping at an MDI client), the caption style of an editor's
// outer window, composited windows from Windows Vista on, and OLE for the drop target. This
// header holds what the back end's files share and what tests may ask of it beyond the seam.
//
// Lifecycle: GDI+ is up between `startup` and `shutdown`; the frame window class is registered
// between `registerFrameWindowClass` and `unregisterFrameWindowClass`; a drop target lives from
// `registerDropTarget` until it is revoked.                                          [ui]
#pragma once

#include <windows.h>

namespace VSTGUI::win32 {

// The module whose resources `findDataResource` and `createBitmapFromModuleResource` read:
// by default the module (DLL or program) this back end is linked into; null returns to it.
void setResourceModule(HMODULE module);
HMODULE resourceModule();
// The module the back end's code lives in (the frame window class belongs to it).
HMODULE ownModule();
// Name of the frame window class ("Plugin" and the module handle), made once.
const wchar_t* frameWindowClassName();

} // namespace VSTGUI::win32
