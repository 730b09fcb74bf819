// SPDX-License-Identifier: MIT
// Time of a full paint of a 400 x 300 frame in an X window whose one view draws 1,000
// primitives (rectangles, lines, ellipses and 100 texts), beside the same primitives drawn with
// plain cairo calls into an image and copied to the same kind of window (the baseline); and of
// an idle tick with nothing dirty (the frame's idle and the event pump), beside a bare check of
// the connection for events. Run under tools/with-xvfb.sh.
#include <benchmark/benchmark.h>

#include "bench/toolkit/PaintScene.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame.h"
#include "toolkit/platform/x11_cairo/X11Backend.h"

#include <X11/Xlib.h>
#include <cairo-xlib.h>
#include <cairo.h>

using namespace VSTGUI;

namespace {

using namespace paint_scene;

// A host's window with the frame inside, on the display of the environment.
struct HostWindow {
    HostWindow() {
        display = XOpenDisplay(nullptr);
        if (!display) return;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kWidth, kHeight, 0,
                                     0, 0);
        XMapWindow(display, window);
        XSync(display, False);
    }
    ~HostWindow() {
        if (!display) return;
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
    platform::WindowHandle handle() const {
        return reinterpret_cast<platform::WindowHandle>(static_cast<std::uintptr_t>(window));
    }
    Display* display = nullptr;
    Window window = 0;
};

void BM_ToolkitFullPaint(benchmark::State& state) {
    HostWindow host;
    if (!host.display) {
        state.SkipWithError("no display (run under tools/with-xvfb.sh)");
        return;
    }
    const CCoordRect area(0, 0, kWidth, kHeight);
    auto* frame = new CFrame(area, host.handle(), nullptr);
    auto* view = new BusyView(area);
    frame->addView(view);
    x11::processEvents();
    const int before = view->paints;
    for (auto _ : state) {
        frame->invalidRect(area);
        x11::processEvents(); // paints the whole frame
    }
    if (view->paints - before != static_cast<int>(state.iterations()))
        state.SkipWithError("the view was not painted once per iteration");
    frame->release();
}
BENCHMARK(BM_ToolkitFullPaint)->Unit(benchmark::kMillisecond);

// The same picture with plain cairo calls into an image, copied to an X window.
void drawBaseline(cairo_t* cr, cairo_scaled_font_t* font) {
    const auto colour = [cr](int r, int g, int b) {
        cairo_set_source_rgb(cr, r / 255.0, g / 255.0, b / 255.0);
    };
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, 1);
    colour(30, 30, 30);
    cairo_rectangle(cr, 0, 0, kWidth, kHeight);
    cairo_fill(cr);
    for (int i = 0; i < kShapes; ++i) {
        const Placement at = place(i);
        const int shade = i % 200 + 40;
        switch (i % 3) {
        case 0:
            colour(shade, 80, 160);
            cairo_rectangle(cr, at.x, at.y, 30, 16);
            cairo_fill(cr);
            colour(255, 255, 255);
            cairo_rectangle(cr, at.x + 0.5, at.y + 0.5, 29, 15);
            cairo_stroke(cr);
            break;
        case 1:
            colour(200, shade, 60);
            cairo_move_to(cr, at.x + 0.5, at.y + 0.5);
            cairo_line_to(cr, at.x + 30.5, at.y + 16.5);
            cairo_stroke(cr);
            break;
        default:
            colour(60, 160, shade);
            cairo_save(cr);
            cairo_translate(cr, at.x + 15, at.y + 8);
            cairo_scale(cr, 14.5, 7.5);
            cairo_arc(cr, 0, 0, 1, 0, 6.283185307179586);
            cairo_restore(cr);
            cairo_fill(cr);
            break;
        }
    }
    cairo_set_scaled_font(cr, font);
    colour(230, 230, 230);
    for (int i = 0; i < kTexts; ++i) {
        const Placement at = place(i * 7 + 3);
        cairo_save(cr);
        cairo_rectangle(cr, at.x, at.y, 60, 14);
        cairo_clip(cr);
        cairo_move_to(cr, at.x + 2, at.y + 11);
        cairo_show_text(cr, kLabels[i % 5]);
        cairo_restore(cr);
    }
}

void BM_PlainCairoFullPaint(benchmark::State& state) {
    HostWindow host;
    if (!host.display) {
        state.SkipWithError("no display (run under tools/with-xvfb.sh)");
        return;
    }
    const Window child =
        XCreateSimpleWindow(host.display, host.window, 0, 0, kWidth, kHeight, 0, 0, 0);
    XMapWindow(host.display, child);
    XSync(host.display, False);
    cairo_surface_t* buffer = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cairo_surface_t* screen = cairo_xlib_surface_create(
        host.display, child, DefaultVisual(host.display, DefaultScreen(host.display)), kWidth,
        kHeight);
    cairo_font_face_t* face = cairo_toy_font_face_create("Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                                                         CAIRO_FONT_WEIGHT_NORMAL);
    cairo_matrix_t size;
    cairo_matrix_t identity;
    cairo_matrix_init_scale(&size, 11, 11);
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_scaled_font_t* font = cairo_scaled_font_create(face, &size, &identity, options);
    for (auto _ : state) {
        cairo_t* cr = cairo_create(buffer);
        drawBaseline(cr, font);
        cairo_destroy(cr);
        cairo_surface_flush(buffer);
        cairo_t* copy = cairo_create(screen);
        cairo_set_source_surface(copy, buffer, 0, 0);
        cairo_set_operator(copy, CAIRO_OPERATOR_SOURCE);
        cairo_paint(copy);
        cairo_destroy(copy);
        cairo_surface_flush(screen);
        XFlush(host.display);
    }
    cairo_scaled_font_destroy(font);
    cairo_font_options_destroy(options);
    cairo_font_face_destroy(face);
    cairo_surface_destroy(screen);
    cairo_surface_destroy(buffer);
    XDestroyWindow(host.display, child);
}
BENCHMARK(BM_PlainCairoFullPaint)->Unit(benchmark::kMillisecond);

void BM_ToolkitIdleTickNothingDirty(benchmark::State& state) {
    HostWindow host;
    if (!host.display) {
        state.SkipWithError("no display (run under tools/with-xvfb.sh)");
        return;
    }
    const CCoordRect area(0, 0, kWidth, kHeight);
    auto* frame = new CFrame(area, host.handle(), nullptr);
    auto* view = new BusyView(area);
    frame->addView(view);
    x11::processEvents();
    const int before = view->paints;
    // What a host's effEditIdle reaches: the frame reads its connection, then redraws nothing.
    for (auto _ : state)
        frame->idle();
    if (view->paints != before) state.SkipWithError("an idle tick with nothing dirty painted");
    frame->release();
}
BENCHMARK(BM_ToolkitIdleTickNothingDirty)->Unit(benchmark::kMicrosecond);

void BM_PlainPendingCheck(benchmark::State& state) {
    HostWindow host;
    if (!host.display) {
        state.SkipWithError("no display (run under tools/with-xvfb.sh)");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(XPending(host.display));
}
BENCHMARK(BM_PlainPendingCheck)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
