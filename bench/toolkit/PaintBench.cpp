// SPDX-License-Identifier: MIT
// Time per call of a full paint of a 400 x 300 frame whose one view draws 1,000 primitives
// (rectangles, lines, ellipses and 100 texts), beside the same primitives drawn with plain
// flat GDI+ calls into the same window (the baseline), and of an idle tick with nothing dirty.
// Usage: toolkit_paint_bench [iterations]   (exit 0 when every path painted what it should)
#include "bench/toolkit/PaintScene.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame.h"

#include <windows.h>

#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace VSTGUI;

namespace {

using namespace paint_scene;

// The same picture with the flat GDI+ API on the window's device context.
void drawBaseline(HDC dc) {
    namespace flat = Gdiplus::DllExports;
    Gdiplus::GpGraphics* graphics = nullptr;
    flat::GdipCreateFromHDC(dc, &graphics);
    flat::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeLowQuality);
    flat::GdipSetPageUnit(graphics, Gdiplus::UnitPixel);
    flat::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeNone);
    Gdiplus::GpPen* pen = nullptr;
    flat::GdipCreatePen1(0xFFFFFFFFu, 1.0f, Gdiplus::UnitWorld, &pen);
    Gdiplus::GpSolidFill* fill = nullptr;
    flat::GdipCreateSolidFill(0xFF1E1E1Eu, &fill);
    Gdiplus::GpSolidFill* text = nullptr;
    flat::GdipCreateSolidFill(0xFFE6E6E6u, &text);
    Gdiplus::GpFontFamily* family = nullptr;
    Gdiplus::GpFont* font = nullptr;
    if (flat::GdipCreateFontFamilyFromName(L"Arial", nullptr, &family) == Gdiplus::Ok) {
        flat::GdipCreateFont(family, 11.0f, 0, Gdiplus::UnitPixel, &font);
        flat::GdipDeleteFontFamily(family);
    }
    flat::GdipFillRectangle(graphics, fill, 0, 0, kWidth, kHeight);
    for (int i = 0; i < kShapes; ++i) {
        const Placement at = place(i);
        const auto shade = static_cast<Gdiplus::ARGB>(i % 200 + 40);
        switch (i % 3) {
        case 0:
            flat::GdipSetSolidFillColor(fill, 0xFF0050A0u | (shade << 16));
            flat::GdipFillRectangle(graphics, fill, static_cast<float>(at.x),
                                    static_cast<float>(at.y), 30.0f, 16.0f);
            flat::GdipDrawRectangle(graphics, pen, static_cast<float>(at.x),
                                    static_cast<float>(at.y), 29.0f, 15.0f);
            break;
        case 1:
            flat::GdipSetPenColor(pen, 0xFFC8003Cu | (shade << 8));
            flat::GdipDrawLineI(graphics, pen, at.x, at.y, at.x + 30, at.y + 16);
            break;
        default:
            flat::GdipSetSolidFillColor(fill, 0xFF3CA000u | shade);
            flat::GdipFillEllipseI(graphics, fill, at.x, at.y, 29, 15);
            break;
        }
    }
    flat::GdipSetTextRenderingHint(graphics, Gdiplus::TextRenderingHintClearTypeGridFit);
    for (int i = 0; i < kTexts; ++i) {
        const Placement at = place(i * 7 + 3);
        const std::string label = kLabels[i % 5];
        const std::wstring wide(label.begin(), label.end());
        const Gdiplus::RectF layout(static_cast<float>(at.x), static_cast<float>(at.y), 0, 0);
        flat::GdipDrawString(graphics, wide.c_str(), -1, font, &layout, nullptr, text);
    }
    if (font != nullptr) flat::GdipDeleteFont(font);
    flat::GdipDeleteBrush(text);
    flat::GdipDeleteBrush(fill);
    flat::GdipDeletePen(pen);
    flat::GdipDeleteGraphics(graphics);
}

double now() {
    LARGE_INTEGER count;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void report(const char* name, double seconds, int calls) {
    std::printf("%-44s %12.3f us per call  (%d calls)\n", name, seconds * 1e6 / calls, calls);
}

HWND makeHost() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QtPaintBenchHost";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, L"QtPaintBenchHost", L"host", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                           kHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

} // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    HWND host = makeHost();
    if (host == nullptr) {
        std::fprintf(stderr, "no window: run under wine with a display driver\n");
        return 1;
    }
    auto* frame = new CFrame(CCoordRect(0, 0, kWidth, kHeight),
                             reinterpret_cast<platform::WindowHandle>(host), nullptr);
    auto* view = new BusyView(CCoordRect(0, 0, kWidth, kHeight));
    frame->addView(view);
    const auto window = reinterpret_cast<HWND>(frame->getWindow());
    UpdateWindow(window);

    // Full paint: the whole frame invalidated, then the paint message handled.
    const int paintsBefore = view->paints;
    double start = now();
    for (int i = 0; i < iterations; ++i) {
        frame->invalid();
        UpdateWindow(window);
    }
    const double paintTime = now() - start;
    const int painted = view->paints - paintsBefore;

    // Baseline: the same primitives with plain GDI+ calls on the window's device context.
    start = now();
    for (int i = 0; i < iterations; ++i) {
        HDC dc = GetDC(window);
        drawBaseline(dc);
        ReleaseDC(window, dc);
    }
    const double baselineTime = now() - start;

    // Idle tick with nothing dirty.
    const int idleCalls = iterations * 100;
    const int paintsBeforeIdle = view->paints;
    start = now();
    for (int i = 0; i < idleCalls; ++i)
        frame->idle();
    const double idleTime = now() - start;
    UpdateWindow(window);
    const bool idlePainted = view->paints != paintsBeforeIdle;

    std::printf("toolkit paint benchmark, frame %d x %d, %d shapes + %d texts per paint\n", kWidth,
                kHeight, kShapes, kTexts);
    report("full paint through the frame", paintTime, iterations);
    report("baseline: same primitives, flat GDI+", baselineTime, iterations);
    std::printf("%-44s %12.2f\n", "ratio frame / baseline", paintTime / baselineTime);
    report("idle tick, nothing dirty", idleTime, idleCalls);

    frame->release();
    DestroyWindow(host);
    if (painted != iterations) {
        std::fprintf(stderr, "expected %d paints, saw %d\n", iterations, painted);
        return 1;
    }
    if (idlePainted) {
        std::fprintf(stderr, "an idle tick with nothing dirty painted\n");
        return 1;
    }
    return 0;
}
