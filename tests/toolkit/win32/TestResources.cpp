// SPDX-License-Identifier: MIT
// A library that carries test images as resources and nothing else.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
