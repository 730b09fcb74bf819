// SPDX-License-Identifier: MIT
#include "toolkit/GDIPlusGlobals.h"

#include "toolkit/CFontDesc.h"
#include "toolkit/platform/Drawing2D.h"

namespace VSTGUI {

namespace draw2d = platform::drawing2d;

GDIPlusGlobals* GDIPlusGlobals::s_instance = nullptr;

GDIPlusGlobals::GDIPlusGlobals() {
    m_started = draw2d::startup(m_token) == platform::kOk;
}

GDIPlusGlobals::~GDIPlusGlobals() {
    CFontDesc::freeBuiltInPlatformFonts();
    // A library that did not start is not shut down.
    if (m_started) draw2d::shutdown(m_token);
}

void GDIPlusGlobals::enter() {
    if (s_instance)
        s_instance->retain();
    else
        s_instance = new GDIPlusGlobals();
}

void GDIPlusGlobals::exit() {
    if (!s_instance) return;
    if (s_instance->referenceCount() == 1) {
        GDIPlusGlobals* last = s_instance;
        s_instance = nullptr;
        last->release();
    } else {
        s_instance->release();
    }
}

} // namespace VSTGUI
