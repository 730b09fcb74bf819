// SPDX-License-Identifier: MIT
// The 2-D operations of the Linux back end on cairo, fonts through fontconfig, images decoded
// by cairo's PNG reader and by libjpeg (JpegDecoding.cpp). Each handle is a small record of this
// file; statuses are the values the Windows library answers for the same faults.
#include "JpegDecoding.h"
#include "X11Backend.h"
#include "toolkit/TextConversion.h"
#include "toolkit/platform/Drawing2D.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <strings.h>
#include <vector>

namespace VSTGUI::platform::drawing2d {

namespace {

constexpr Status kOutOfMemory = 3;
constexpr Status kFontFamilyNotFound = 14;
constexpr double kPi = 3.14159265358979323846;
// Integer coordinates name pixel centres: shapes move by half a pixel into cairo's space.
constexpr double kCentre = 0.5;
constexpr float kDefaultDpi = 96.0f;

struct Graphics {
    cairo_t* cr = nullptr;
    std::int32_t smoothing = kSmoothingNone;
    std::int32_t textHint = kTextHintSystemDefault;
};
struct Pen {
    std::uint32_t argb = 0;
    float width = 1.0f;
    std::int32_t dash = kDashSolid;
};
struct Brush {
    std::uint32_t argb = 0;
};
struct FontFamily {
    std::string name; // the installed family the requested name resolved to
};
struct Font {
    cairo_font_face_t* face = nullptr;
    double size = 0.0; // pixels
    std::int32_t style = kFontStyleRegular;
    // [0] without, [1] with anti-aliasing
    std::array<cairo_scaled_font_t*, 2> scaled{};
};
struct Image {
    cairo_surface_t* surface = nullptr;
};
struct Arc {
    float x, y, width, height, start, sweep;
};
struct Path {
    std::int32_t fillMode = kFillModeAlternate;
    std::vector<Arc> arcs;
};
struct ImageAttributes {
    bool enabled = false;
    std::array<float, 25> matrix{};
};

template <typename Record, typename Handle>
Record* record(Handle handle) {
    return reinterpret_cast<Record*>(handle);
}
template <typename Handle, typename Record>
Handle handleOf(Record* value) {
    return reinterpret_cast<Handle>(value);
}

void setSource(cairo_t* cr, std::uint32_t argb) {
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFFu) / 255.0, ((argb >> 8) & 0xFFu) / 255.0,
                          (argb & 0xFFu) / 255.0, ((argb >> 24) & 0xFFu) / 255.0);
}

bool smooth(const Graphics& g) {
    return g.smoothing == kSmoothingAntiAlias;
}

void applyAntialias(const Graphics& g) {
    cairo_set_antialias(g.cr, smooth(g) ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
}

// Pen set-up for a stroke. A thin solid pen covers both end pixels of a line, as the Windows
// library's lines do: its ends are squared by half a pixel.
void applyPen(const Graphics& g, const Pen& pen) {
    applyAntialias(g);
    setSource(g.cr, pen.argb);
    const double width = pen.width > 0.0f ? pen.width : 1.0;
    cairo_set_line_width(g.cr, width);
    cairo_set_line_join(g.cr, CAIRO_LINE_JOIN_MITER);
    const bool thin = width <= 1.5;
    cairo_set_line_cap(g.cr, (thin && pen.dash == kDashSolid) ? CAIRO_LINE_CAP_SQUARE
                                                              : CAIRO_LINE_CAP_BUTT);
    // Dash patterns in pen widths: dash, dot, dash-dot, dash-dot-dot.
    static const double dash[] = {3, 1};
    static const double dot[] = {1, 1};
    static const double dashDot[] = {3, 1, 1, 1};
    static const double dashDotDot[] = {3, 1, 1, 1, 1, 1};
    const double* pattern = nullptr;
    int count = 0;
    switch (pen.dash) {
    case 1:
        pattern = dash;
        count = 2;
        break;
    case kDashDot:
        pattern = dot;
        count = 2;
        break;
    case 3:
        pattern = dashDot;
        count = 4;
        break;
    case 4:
        pattern = dashDotDot;
        count = 6;
        break;
    default:
        break;
    }
    if (pattern == nullptr) {
        cairo_set_dash(g.cr, nullptr, 0, 0.0);
        return;
    }
    double scaled[6] = {};
    for (int i = 0; i < count; ++i)
        scaled[i] = pattern[i] * width;
    cairo_set_dash(g.cr, scaled, count, 0.0);
}

Status finish(cairo_t* cr) {
    return cairo_status(cr) == CAIRO_STATUS_SUCCESS ? kOk : kInvalidParameter;
}

// Ellipse (or arc of one) in the box x, y, width, height; angles in degrees, clockwise from
// the positive x axis, which is cairo's own direction with y pointing down.
void ellipsePath(cairo_t* cr, double x, double y, double width, double height, double start,
                 double sweep, bool whole) {
    if (width <= 0.0 || height <= 0.0) return;
    cairo_save(cr);
    cairo_translate(cr, x + width / 2 + kCentre, y + height / 2 + kCentre);
    cairo_scale(cr, width / 2, height / 2);
    if (whole) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
        cairo_close_path(cr);
    } else {
        sweep = std::clamp(sweep, -360.0, 360.0);
        const double a = start * kPi / 180.0;
        const double b = (start + sweep) * kPi / 180.0;
        if (sweep >= 0)
            cairo_arc(cr, 0, 0, 1, a, b);
        else
            cairo_arc_negative(cr, 0, 0, 1, a, b);
    }
    cairo_restore(cr);
}

void polygonPath(cairo_t* cr, const PointF* points, std::int32_t count, bool close) {
    cairo_new_path(cr);
    for (std::int32_t i = 0; i < count; ++i)
        cairo_line_to(cr, points[i].x + kCentre, points[i].y + kCentre);
    if (close) cairo_close_path(cr);
}

cairo_fill_rule_t fillRule(std::int32_t mode) {
    return mode == kFillModeAlternate ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING;
}

// ---- fonts --------------------------------------------------------------------------------

// Families a Windows system has and Linux systems carry metric-compatible twins of.
struct Twin {
    const char* family;
    const char* twins[2];
};
constexpr Twin kTwins[] = {
    {"Arial", {"Liberation Sans", "Arimo"}},
    {"Helvetica", {"Liberation Sans", "Arimo"}},
    {"Times New Roman", {"Liberation Serif", "Tinos"}},
    {"Times", {"Liberation Serif", "Tinos"}},
    {"Courier New", {"Liberation Mono", "Cousine"}},
    {"Courier", {"Liberation Mono", "Cousine"}},
};

bool familyInstalled(const std::string& name, std::string& found) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    bool ok = false;
    if (fonts != nullptr) {
        for (int i = 0; i < fonts->nfont && !ok; ++i) {
            FcChar8* family = nullptr;
            for (int n = 0;
                 FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &family) == FcResultMatch; ++n) {
                if (strcasecmp(reinterpret_cast<const char*>(family), name.c_str()) == 0) {
                    found = reinterpret_cast<const char*>(family);
                    ok = true;
                    break;
                }
            }
        }
        FcFontSetDestroy(fonts);
    }
    if (objects != nullptr) FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return ok;
}

cairo_scaled_font_t* scaledFont(Font& font, bool antialias) {
    cairo_scaled_font_t*& slot = font.scaled[antialias ? 1 : 0];
    if (slot != nullptr) return slot;
    cairo_matrix_t size;
    cairo_matrix_init_scale(&size, font.size, font.size);
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options,
                                     antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    slot = cairo_scaled_font_create(font.face, &size, &identity, options);
    cairo_font_options_destroy(options);
    return slot;
}

// The Windows library's layout puts a sixth of the em before and after a text.
double padding(const Font& font) {
    return font.size / 6.0;
}

// ---- images -------------------------------------------------------------------------------

cairo_surface_t* asArgb(cairo_surface_t* surface) {
    if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32) return surface;
    cairo_surface_t* copy =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(surface),
                                   cairo_image_surface_get_height(surface));
    cairo_t* cr = cairo_create(copy);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return copy;
}

struct ByteReader {
    const unsigned char* data;
    std::uint32_t size;
    std::uint32_t at;
};

bool looksLikePng(const unsigned char* data, std::uint32_t size) {
    static constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size >= sizeof kSignature && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

cairo_status_t readBytes(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<ByteReader*>(closure);
    if (reader->size - reader->at < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->at, length);
    reader->at += length;
    return CAIRO_STATUS_SUCCESS;
}

Status newImage(cairo_surface_t* surface, ImageHandle& out) {
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return kOutOfMemory;
    }
    auto* image = new (std::nothrow) Image{surface};
    if (image == nullptr) {
        cairo_surface_destroy(surface);
        return kOutOfMemory;
    }
    out = handleOf<ImageHandle>(image);
    return kOk;
}

// A UTF-16 text of `length` units (-1: terminated) as UTF-8.
std::string utf8Of(const char16_t* text, std::int32_t length) {
    if (text == nullptr) return {};
    return utf16ToUtf8(length < 0 ? std::u16string_view(text)
                                  : std::u16string_view(text, static_cast<std::size_t>(length)));
}

} // namespace

// ---- library lifetime -------------------------------------------------------------------

Status startup(std::uintptr_t& token) {
    if (FcInit() == FcFalse) return kOutOfMemory;
    token = 1;
    return kOk;
}

void shutdown(std::uintptr_t /*token*/) {}

// ---- graphics ---------------------------------------------------------------------------

Status createGraphicsFromDeviceContext(DeviceContextHandle dc, GraphicsHandle& out) {
    if (dc == nullptr) return kInvalidParameter;
    auto* surface = reinterpret_cast<cairo_surface_t*>(dc);
    cairo_t* cr = cairo_create(surface);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        return kOutOfMemory;
    }
    out = handleOf<GraphicsHandle>(new Graphics{cr});
    return kOk;
}

Status createGraphicsOnImage(ImageHandle image, GraphicsHandle& out) {
    if (image == nullptr) return kInvalidParameter;
    return createGraphicsFromDeviceContext(
        reinterpret_cast<DeviceContextHandle>(record<Image>(image)->surface), out);
}

Status deleteGraphics(GraphicsHandle graphics) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr) return kInvalidParameter;
    cairo_surface_flush(cairo_get_target(g->cr));
    cairo_destroy(g->cr);
    delete g;
    return kOk;
}

Status setInterpolationMode(GraphicsHandle graphics, std::int32_t /*mode*/) {
    return graphics != nullptr ? kOk : kInvalidParameter;
}

Status setPageUnit(GraphicsHandle graphics, std::int32_t unit) {
    if (graphics == nullptr) return kInvalidParameter;
    // Pixels (and world units, which are pixels without a transform) are all this draws in.
    return unit == kUnitPixel || unit == kUnitWorld ? kOk : kNotImplemented;
}

Status setPixelOffsetMode(GraphicsHandle graphics, std::int32_t /*mode*/) {
    return graphics != nullptr ? kOk : kInvalidParameter;
}

Status setSmoothingMode(GraphicsHandle graphics, std::int32_t mode) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr) return kInvalidParameter;
    g->smoothing = mode;
    return kOk;
}

Status setTextRenderingHint(GraphicsHandle graphics, std::int32_t hint) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr) return kInvalidParameter;
    g->textHint = hint;
    return kOk;
}

Status setClipRectI(GraphicsHandle graphics, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height, std::int32_t combineMode) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr) return kInvalidParameter;
    if (combineMode != kCombineReplace) return kNotImplemented;
    cairo_reset_clip(g->cr);
    cairo_new_path(g->cr);
    const std::int32_t w = std::max(width, 0);
    const std::int32_t h = std::max(height, 0);
    cairo_rectangle(g->cr, x, y, w, h);
    cairo_clip(g->cr);
    return finish(g->cr);
}

Status getDpiY(GraphicsHandle graphics, float& dpi) {
    if (graphics == nullptr) return kInvalidParameter;
    dpi = kDefaultDpi;
    return kOk;
}

// ---- pens and brushes -------------------------------------------------------------------

Status createPen(std::uint32_t argb, float width, std::int32_t /*unit*/, PenHandle& out) {
    out = handleOf<PenHandle>(new Pen{argb, width, kDashSolid});
    return kOk;
}

Status setPenColor(PenHandle pen, std::uint32_t argb) {
    if (pen == nullptr) return kInvalidParameter;
    record<Pen>(pen)->argb = argb;
    return kOk;
}

Status setPenWidth(PenHandle pen, float width) {
    if (pen == nullptr) return kInvalidParameter;
    record<Pen>(pen)->width = width;
    return kOk;
}

Status setPenDashStyle(PenHandle pen, std::int32_t dashStyle) {
    if (pen == nullptr || dashStyle < 0 || dashStyle > 5) return kInvalidParameter;
    record<Pen>(pen)->dash = dashStyle;
    return kOk;
}

Status deletePen(PenHandle pen) {
    if (pen == nullptr) return kInvalidParameter;
    delete record<Pen>(pen);
    return kOk;
}

Status createSolidFill(std::uint32_t argb, BrushHandle& out) {
    out = handleOf<BrushHandle>(new Brush{argb});
    return kOk;
}

Status setSolidFillColor(BrushHandle brush, std::uint32_t argb) {
    if (brush == nullptr) return kInvalidParameter;
    record<Brush>(brush)->argb = argb;
    return kOk;
}

Status deleteBrush(BrushHandle brush) {
    if (brush == nullptr) return kInvalidParameter;
    delete record<Brush>(brush);
    return kOk;
}

// ---- primitives -------------------------------------------------------------------------

Status drawLineI(GraphicsHandle graphics, PenHandle pen, std::int32_t x1, std::int32_t y1,
                 std::int32_t x2, std::int32_t y2) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr || pen == nullptr) return kInvalidParameter;
    applyPen(*g, *record<Pen>(pen));
    cairo_new_path(g->cr);
    cairo_move_to(g->cr, x1 + kCentre, y1 + kCentre);
    cairo_line_to(g->cr, x2 + kCentre, y2 + kCentre);
    cairo_stroke(g->cr);
    return finish(g->cr);
}

Status drawRectangle(GraphicsHandle graphics, PenHandle pen, float x, float y, float width,
                     float height) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr || pen == nullptr) return kInvalidParameter;
    if (width < 0 || height < 0) return kInvalidParameter;
    applyPen(*g, *record<Pen>(pen));
    cairo_set_line_cap(g->cr, CAIRO_LINE_CAP_BUTT);
    cairo_new_path(g->cr);
    cairo_rectangle(g->cr, x + kCentre, y + kCentre, width, height);
    cairo_stroke(g->cr);
    return finish(g->cr);
}

Status fillRectangle(GraphicsHandle graphics, BrushHandle brush, float x, float y, float width,
                     float height) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr || brush == nullptr) return kInvalidParameter;
    if (width < 0 || height < 0) return kInvalidParameter;
    applyAntialias(*g);
    setSource(g->cr, record<Brush>(brush)->argb);
    cairo_new_path(g->cr);
    if (smooth(*g)) {
        // Whole-pixel rectangles stay sharp, as in the Windows library's pictures.
        cairo_rectangle(g->cr, x, y, width, height);
    } else {
        // Pixels whose centres lie in [x, x + width) x [y, y + height).
        const double left = std::ceil(static_cast<double>(x));
        const double top = std::ceil(static_cast<double>(y));
        const double right = std::ceil(static_cast<double>(x) + width);
        const double bottom = std::ceil(static_cast<double>(y) + height);
        cairo_rectangle(g->cr, left, top, right - left, bottom - top);
    }
    cairo_fill(g->cr);
    return finish(g->cr);
}

Status drawEllipseI(GraphicsHandle graphics, PenHandle pen, std::int32_t x, std::int32_t y,
                    std::int32_t width, std::int32_t height) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr || pen == nullptr) return kInvalidParameter;
    applyPen(*g, *record<Pen>(pen));
    cairo_set_line_cap(g->cr, CAIRO_LINE_CAP_BUTT);
    cairo_new_path(g->cr);
    ellipsePath(g->cr, x, y, width, height, 0, 360, true);
    cairo_stroke(g->cr);
    return finish(g->cr);
}

Status fillEllipseI(GraphicsHandle graphics, BrushHandle brush, std::int32_t x, std::int32_t y,
                    std::int32_t width, std::int32_t height) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr || brush == nullptr) return kInvalidParameter;
    applyAntialias(*g);
    setSource(g->cr, record<Brush>(brush)->argb);
    cairo_new_path(g->cr);
    ellipsePath(g->cr, x, y, width, height, 0, 360, true);
    cairo_fill(g->cr);
    return finish(g->cr);
}

Status createPath(std::int32_t fillMode, PathHandle& out) {
    out = handleOf<PathHandle>(new Path{fillMode, {}});
    return kOk;
}

Status addPathArc(PathHandle path, float x, float y, float width, float height, float startAngle,
                  float sweepAngle) {
    if (path == nullptr) return kInvalidParameter;
    record<Path>(path)->arcs.push_back(Arc{x, y, width, height, startAngle, sweepAngle});
    return kOk;
}

namespace {
void replay(cairo_t* cr, const Path& path) {
    cairo_new_path(cr);
    for (const Arc& arc : path.arcs)
        ellipsePath(cr, arc.x, arc.y, arc.width, arc.height, arc.start, arc.sweep, false);
}
} // namespace

Status drawPath(GraphicsHandle graphics, PenHandle pen, PathHandle path) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr || pen == nullptr || path == nullptr) return kInvalidParameter;
    applyPen(*g, *record<Pen>(pen));
    cairo_set_line_cap(g->cr, CAIRO_LINE_CAP_BUTT);
    replay(g->cr, *record<Path>(path));
    cairo_stroke(g->cr);
    return finish(g->cr);
}

Status fillPath(GraphicsHandle graphics, BrushHandle brush, PathHandle path) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr || brush == nullptr || path == nullptr) return kInvalidParameter;
    applyAntialias(*g);
    setSource(g->cr, record<Brush>(brush)->argb);
    replay(g->cr, *record<Path>(path));
    cairo_set_fill_rule(g->cr, fillRule(record<Path>(path)->fillMode));
    cairo_fill(g->cr);
    return finish(g->cr);
}

Status deletePath(PathHandle path) {
    if (path == nullptr) return kInvalidParameter;
    delete record<Path>(path);
    return kOk;
}

Status drawLines(GraphicsHandle graphics, PenHandle pen, const PointF* points, std::int32_t count) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr || pen == nullptr || points == nullptr || count < 2) return kInvalidParameter;
    applyPen(*g, *record<Pen>(pen));
    polygonPath(g->cr, points, count, false);
    cairo_stroke(g->cr);
    return finish(g->cr);
}

Status drawPolygon(GraphicsHandle graphics, PenHandle pen, const PointF* points,
                   std::int32_t count) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr || pen == nullptr || points == nullptr || count < 2) return kInvalidParameter;
    applyPen(*g, *record<Pen>(pen));
    cairo_set_line_cap(g->cr, CAIRO_LINE_CAP_BUTT);
    polygonPath(g->cr, points, count, true);
    cairo_stroke(g->cr);
    return finish(g->cr);
}

Status fillPolygon(GraphicsHandle graphics, BrushHandle brush, const PointF* points,
                   std::int32_t count, std::int32_t fillMode) {
    Graphics* g = record<Graphics>(graphics);
    if (g == nullptr || brush == nullptr || points == nullptr || count < 3)
        return kInvalidParameter;
    applyAntialias(*g);
    setSource(g->cr, record<Brush>(brush)->argb);
    polygonPath(g->cr, points, count, true);
    cairo_set_fill_rule(g->cr, fillRule(fillMode));
    cairo_fill(g->cr);
    return finish(g->cr);
}

// ---- text -------------------------------------------------------------------------------

Status measureString(GraphicsHandle graphics, const char16_t* text, std::int32_t length,
                     FontHandle font, const RectF& layout, RectF& boundingBox) {
    Graphics* g = record<Graphics>(graphics);
    Font* f = record<Font>(font);
    if (g == nullptr || f == nullptr || text == nullptr) return kInvalidParameter;
    const std::string utf8 = utf8Of(text, length);
    cairo_scaled_font_t* scaled = scaledFont(*f, true);
    cairo_font_extents_t line;
    cairo_scaled_font_extents(scaled, &line);
    RectF box;
    box.x = layout.x;
    box.y = layout.y;
    if (!utf8.empty()) {
        cairo_text_extents_t extents;
        cairo_scaled_font_text_extents(scaled, utf8.c_str(), &extents);
        box.width = static_cast<float>(extents.x_advance + 2 * padding(*f));
        box.height = static_cast<float>(line.height);
    }
    boundingBox = box;
    return kOk;
}

Status drawString(GraphicsHandle graphics, const char16_t* text, std::int32_t length,
                  FontHandle font, const RectF& layout, BrushHandle brush) {
    Graphics* g = record<Graphics>(graphics);
    Font* f = record<Font>(font);
    if (g == nullptr || f == nullptr || text == nullptr || brush == nullptr)
        return kInvalidParameter;
    const std::string utf8 = utf8Of(text, length);
    if (utf8.empty()) return kOk;
    const bool antialias = g->textHint != kTextHintSystemDefault || smooth(*g);
    cairo_scaled_font_t* scaled = scaledFont(*f, antialias);
    cairo_font_extents_t line;
    cairo_scaled_font_extents(scaled, &line);
    cairo_set_scaled_font(g->cr, scaled);
    setSource(g->cr, record<Brush>(brush)->argb);
    const double x = layout.x + padding(*f);
    const double baseline = layout.y + line.ascent;
    cairo_new_path(g->cr);
    cairo_move_to(g->cr, x, baseline);
    cairo_show_text(g->cr, utf8.c_str());
    if (f->style == kFontStyleUnderline) {
        cairo_text_extents_t extents;
        cairo_scaled_font_text_extents(scaled, utf8.c_str(), &extents);
        const double thickness = std::max(1.0, std::floor(f->size / 14.0));
        cairo_new_path(g->cr);
        cairo_rectangle(g->cr, x, std::floor(baseline + line.descent / 2), extents.x_advance,
                        thickness);
        cairo_fill(g->cr);
    }
    return finish(g->cr);
}

Status createFontFamily(const char16_t* name, FontFamilyHandle& out) {
    if (name == nullptr) return kInvalidParameter;
    const std::string wanted = utf8Of(name, -1);
    if (wanted.empty()) return kInvalidParameter;
    std::string found;
    bool ok = familyInstalled(wanted, found);
    for (const Twin& twin : kTwins) {
        if (ok) break;
        if (strcasecmp(twin.family, wanted.c_str()) != 0) continue;
        for (const char* candidate : twin.twins)
            if (!ok) ok = familyInstalled(candidate, found);
    }
    if (!ok) return kFontFamilyNotFound;
    out = handleOf<FontFamilyHandle>(new FontFamily{found});
    return kOk;
}

Status deleteFontFamily(FontFamilyHandle family) {
    if (family == nullptr) return kInvalidParameter;
    delete record<FontFamily>(family);
    return kOk;
}

Status createFont(FontFamilyHandle family, float size, std::int32_t style, std::int32_t unit,
                  FontHandle& out) {
    FontFamily* f = record<FontFamily>(family);
    if (f == nullptr || !(size > 0.0f)) return kInvalidParameter;
    // Points are 1/72 inch at 96 pixels per inch; everything else is taken as pixels.
    constexpr std::int32_t kUnitPoint = 3;
    const double pixels = unit == kUnitPoint ? size * 96.0 / 72.0 : size;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return kOutOfMemory;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(f->name.c_str()));
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixels);
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        style == kFontStyleBold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT,
                        style == kFontStyleItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) return kFontFamilyNotFound;
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
    FcPatternDestroy(match);
    if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(face);
        return kOutOfMemory;
    }
    out = handleOf<FontHandle>(new Font{face, pixels, style, {}});
    return kOk;
}

Status deleteFont(FontHandle font) {
    Font* f = record<Font>(font);
    if (f == nullptr) return kInvalidParameter;
    for (cairo_scaled_font_t* scaled : f->scaled)
        if (scaled != nullptr) cairo_scaled_font_destroy(scaled);
    cairo_font_face_destroy(f->face);
    delete f;
    return kOk;
}

Status getFontHeightGivenDpi(FontHandle font, float /*dpi*/, float& height) {
    Font* f = record<Font>(font);
    if (f == nullptr) return kInvalidParameter;
    cairo_font_extents_t line;
    cairo_scaled_font_extents(scaledFont(*f, true), &line);
    height = static_cast<float>(line.height);
    return kOk;
}

// ---- images -----------------------------------------------------------------------------

Status createBitmapFromScan0(std::int32_t width, std::int32_t height, std::int32_t stride,
                             std::int32_t pixelFormat, void* pixels, ImageHandle& out) {
    if (width <= 0 || height <= 0) return kInvalidParameter;
    if (pixelFormat != kPixelFormat32bppARGB && pixelFormat != kPixelFormat32bppPARGB)
        return kNotImplemented;
    if (pixels == nullptr)
        return newImage(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), out);
    if (stride < width * 4) return kInvalidParameter;
    if (pixelFormat == kPixelFormat32bppPARGB)
        // The caller's memory is the image, as in the Windows library.
        return newImage(cairo_image_surface_create_for_data(static_cast<unsigned char*>(pixels),
                                                            CAIRO_FORMAT_ARGB32, width, height,
                                                            stride),
                        out);
    // Straight alpha: copied and premultiplied (later changes to the caller's pixels are not
    // seen).
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        unsigned char* data = cairo_image_surface_get_data(surface);
        const int pitch = cairo_image_surface_get_stride(surface);
        for (std::int32_t y = 0; y < height; ++y) {
            const auto* from =
                reinterpret_cast<const std::uint32_t*>(static_cast<const unsigned char*>(pixels) +
                                                       static_cast<std::ptrdiff_t>(y) * stride);
            auto* to =
                reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * pitch);
            for (std::int32_t x = 0; x < width; ++x) {
                const std::uint32_t p = from[x];
                const std::uint32_t a = p >> 24;
                const auto scale = [a](std::uint32_t c) { return (c * a + 127) / 255; };
                to[x] = (a << 24) | (scale((p >> 16) & 0xFF) << 16) |
                        (scale((p >> 8) & 0xFF) << 8) | scale(p & 0xFF);
            }
        }
        cairo_surface_mark_dirty(surface);
    }
    return newImage(surface, out);
}

Status createBitmapFromEncodedBytes(const void* data, std::uint32_t size, ImageHandle& out) {
    if (data == nullptr || size == 0) return kInvalidParameter;
    const auto* bytes = static_cast<const unsigned char*>(data);
    // The format is told by the first bytes, as the Windows library does.
    if (x11::looksLikeJpeg(bytes, size)) {
        cairo_surface_t* surface = x11::decodeJpeg(bytes, size);
        if (surface == nullptr) return kInvalidParameter;
        return newImage(surface, out);
    }
    if (!looksLikePng(bytes, size)) return kInvalidParameter;
    ByteReader reader{bytes, size, 0};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readBytes, &reader);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return kInvalidParameter;
    }
    return newImage(asArgb(surface), out);
}

Status createBitmapFromModuleResource(const ResourceName& /*name*/, ImageHandle& /*out*/) {
    // Shared objects carry no resources.
    return kNotImplemented;
}

Status createBitmapFromDeviceBitmap(DeviceBitmapHandle /*bitmap*/, ImageHandle& /*out*/) {
    return kNotImplemented;
}

Status cloneBitmapAreaI(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                        std::int32_t pixelFormat, ImageHandle source, ImageHandle& out) {
    Image* from = record<Image>(source);
    if (from == nullptr || width <= 0 || height <= 0 || x < 0 || y < 0) return kInvalidParameter;
    if (pixelFormat != kPixelFormat32bppARGB && pixelFormat != kPixelFormat32bppPARGB)
        return kNotImplemented;
    if (x + width > cairo_image_surface_get_width(from->surface) ||
        y + height > cairo_image_surface_get_height(from->surface))
        return kInvalidParameter;
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(copy);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, from->surface, -x, -y);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(copy);
    return newImage(copy, out);
}

Status getImageWidth(ImageHandle image, std::uint32_t& width) {
    if (image == nullptr) return kInvalidParameter;
    width =
        static_cast<std::uint32_t>(cairo_image_surface_get_width(record<Image>(image)->surface));
    return kOk;
}

Status getImageHeight(ImageHandle image, std::uint32_t& height) {
    if (image == nullptr) return kInvalidParameter;
    height =
        static_cast<std::uint32_t>(cairo_image_surface_get_height(record<Image>(image)->surface));
    return kOk;
}

Status drawImageRectRectI(GraphicsHandle graphics, ImageHandle image, std::int32_t dstX,
                          std::int32_t dstY, std::int32_t dstWidth, std::int32_t dstHeight,
                          std::int32_t srcX, std::int32_t srcY, std::int32_t srcWidth,
                          std::int32_t srcHeight, ImageAttributesHandle attributes) {
    Graphics* g = record<Graphics>(graphics);
    Image* source = record<Image>(image);
    if (g == nullptr || source == nullptr) return kInvalidParameter;
    if (dstWidth <= 0 || dstHeight <= 0 || srcWidth <= 0 || srcHeight <= 0) return kOk;
    double alpha = 1.0;
    if (const ImageAttributes* a = record<ImageAttributes>(attributes); a && a->enabled)
        alpha = std::clamp(static_cast<double>(a->matrix[18]), 0.0, 1.0);
    cairo_t* cr = g->cr;
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, dstX, dstY, dstWidth, dstHeight);
    cairo_clip(cr);
    cairo_translate(cr, dstX, dstY);
    const bool scaled = dstWidth != srcWidth || dstHeight != srcHeight;
    if (scaled)
        cairo_scale(cr, static_cast<double>(dstWidth) / srcWidth,
                    static_cast<double>(dstHeight) / srcHeight);
    cairo_set_source_surface(cr, source->surface, -srcX, -srcY);
    cairo_pattern_t* pattern = cairo_get_source(cr);
    cairo_pattern_set_filter(pattern, scaled ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_NONE); // nothing beyond the image
    if (alpha < 1.0)
        cairo_paint_with_alpha(cr, alpha);
    else
        cairo_paint(cr);
    cairo_restore(cr);
    return finish(cr);
}

Status disposeImage(ImageHandle image) {
    Image* i = record<Image>(image);
    if (i == nullptr) return kInvalidParameter;
    cairo_surface_destroy(i->surface);
    delete i;
    return kOk;
}

Status createImageAttributes(ImageAttributesHandle& out) {
    out = handleOf<ImageAttributesHandle>(new ImageAttributes{});
    return kOk;
}

Status setImageAttributesColorMatrix(ImageAttributesHandle attributes, std::int32_t /*adjustType*/,
                                     bool enabled, const float* matrix, std::int32_t /*flags*/) {
    ImageAttributes* a = record<ImageAttributes>(attributes);
    if (a == nullptr || (enabled && matrix == nullptr)) return kInvalidParameter;
    a->enabled = enabled;
    if (enabled) std::copy(matrix, matrix + 25, a->matrix.begin());
    return kOk;
}

Status disposeImageAttributes(ImageAttributesHandle attributes) {
    if (attributes == nullptr) return kInvalidParameter;
    delete record<ImageAttributes>(attributes);
    return kOk;
}

void deleteDeviceBitmap(DeviceBitmapHandle /*bitmap*/) {}

} // namespace VSTGUI::platform::drawing2d

namespace VSTGUI::x11 {

platform::Status pixelOf(platform::ImageHandle image, std::int32_t x, std::int32_t y,
                         std::uint32_t& argb) {
    using namespace platform;
    using namespace platform::drawing2d;
    Image* i = record<Image>(image);
    if (i == nullptr) return kInvalidParameter;
    cairo_surface_t* s = i->surface;
    if (x < 0 || y < 0 || x >= cairo_image_surface_get_width(s) ||
        y >= cairo_image_surface_get_height(s))
        return kInvalidParameter;
    cairo_surface_flush(s);
    const unsigned char* row = cairo_image_surface_get_data(s) +
                               static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(s);
    const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
    const std::uint32_t a = p >> 24;
    if (a == 0) {
        argb = 0;
        return kOk;
    }
    const auto straight = [a](std::uint32_t c) { return std::min(255u, (c * 255 + a / 2) / a); };
    argb = (a << 24) | (straight((p >> 16) & 0xFF) << 16) | (straight((p >> 8) & 0xFF) << 8) |
           straight(p & 0xFF);
    return kOk;
}

} // namespace VSTGUI::x11
