// SPDX-License-Identifier: MIT
// Keeps the platform 2-D library started while anything needs it: each frame and each bitmap
// enters on creation and exits on destruction; the first entry starts the library, the last
// exit shuts it down. One instance at most exists per process.
#pragma once

#include "toolkit/CBaseObject.h"

#include <cstdint>

namespace VSTGUI {

class GDIPlusGlobals : public CBaseObject {
public:
    static void enter();
    static void exit();
    // The holder in use, or none.
    static GDIPlusGlobals* instance() { return s_instance; }

private:
    GDIPlusGlobals();
    // Frees the built-in fonts' platform fonts, then shuts the library down.
    ~GDIPlusGlobals() override;

    std::uintptr_t m_token = 0;
    bool m_started = false;
    static GDIPlusGlobals* s_instance;
};

} // namespace VSTGUI
