// SPDX-License-Identifier: MIT
// Module entry of the Windows library: on every load notification it keeps its own instance
// handle, from which the library finds its folder (data files live next to it).
#include "runtime/platform/TarvoPlatform.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    (void)reason; // the handle is the same for every notification
    tarvo_platform::setModuleHandle(instance);
    return TRUE;
}
