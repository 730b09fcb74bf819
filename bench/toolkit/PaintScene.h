// SPDX-License-Identifier: MIT
// The scene of the toolkit's paint benchmarks, the same on every back end: a 400 x 300 view
// drawing 900 shapes (rectangles, lines and ellipses in turn) and 100 texts, and where each
// primitive goes, so that each back end's plain baseline draws the same picture.
#pragma once

#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CView.h"

#include <cstdint>

namespace paint_scene {

using namespace VSTGUI;

constexpr int kWidth = 400;
constexpr int kHeight = 300;
constexpr int kShapes = 900; // rectangles, lines and ellipses in turn
constexpr int kTexts = 100;

// Where primitive `i` goes; the same for the toolkit view and the baseline.
struct Placement {
    int x;
    int y;
};
inline Placement place(int i) {
    return {(i * 37) % (kWidth - 40), (i * 23) % (kHeight - 20)};
}

inline const char* const kLabels[] = {"Trim", "-6.0 dB", "Channel 3", "+12", "Mute"};

class BusyView : public CView {
public:
    explicit BusyView(const CCoordRect& size) : CView(size) {}
    void draw(CDrawContext* context) override {
        ++paints;
        context->setFillColor(CRgbaColor{30, 30, 30, 255});
        context->drawRect(getViewSize(), kDrawFilled);
        context->setFont(kFontSmall);
        context->setFontColor(CRgbaColor{230, 230, 230, 255});
        for (int i = 0; i < kShapes; ++i) {
            const Placement at = place(i);
            const CCoordRect area(at.x, at.y, at.x + 30, at.y + 16);
            const auto shade = static_cast<std::uint8_t>(i % 200 + 40);
            switch (i % 3) {
            case 0:
                context->setFillColor(CRgbaColor{shade, 80, 160, 255});
                context->drawRect(area, kDrawFilledAndStroked);
                break;
            case 1:
                context->setFrameColor(CRgbaColor{200, shade, 60, 255});
                context->moveTo(CCoordPoint(at.x, at.y));
                context->lineTo(CCoordPoint(at.x + 30, at.y + 16));
                break;
            default:
                context->setFillColor(CRgbaColor{60, 160, shade, 255});
                context->drawEllipse(area, kDrawFilled);
                break;
            }
        }
        for (int i = 0; i < kTexts; ++i) {
            const Placement at = place(i * 7 + 3);
            context->drawString(kLabels[i % 5], CCoordRect(at.x, at.y, at.x + 60, at.y + 14),
                                kAlignLeft, true);
        }
        setDirty(false);
    }
    int paints = 0;
};

} // namespace paint_scene
