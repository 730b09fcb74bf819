// SPDX-License-Identifier: MIT
// An optional listener the frame tells about the mouse entering and leaving views, moving and
// pressing.
#pragma once

#include "toolkit/CView.h"

namespace VSTGUI {

class CMouseObserver {
public:
    virtual ~CMouseObserver() = default;
    virtual void onMouseEntered(CView* view, CFrame* frame) = 0;
    virtual void onMouseExited(CView* view, CFrame* frame) = 0;
    virtual void onMouseMoved(CFrame* frame, const CCoordPoint& where) = 0;
    virtual void onMouseDown(CFrame* frame, const CCoordPoint& where) = 0;
};

} // namespace VSTGUI
