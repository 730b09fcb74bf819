// SPDX-License-Identifier: MIT
// The draw context's call-level rules, seen through the recording back end.
#include "toolkit/CDrawContext.h"
#include "RecordingBackend.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/CView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace VSTGUI::test {
namespace {

using Calls = std::vector<std::string>;

class DrawContextTest : public testing::Test {
protected:
    DrawContextTest() {
        window = backend->makeWindow({100, 50, 500, 350});
        context = new CDrawContext(nullptr, nullptr, window);
        backend->clearLog();
    }
    ~DrawContextTest() override { context->release(); }

    ScopedRecordingBackend backend;
    platform::WindowHandle window = nullptr;
    CDrawContext* context = nullptr;
};

TEST(DrawContextCreation, WindowContextFetchesItsDeviceContextAndAppliesTheInitialState) {
    ScopedRecordingBackend backend;
    auto window = backend->makeWindow({100, 50, 500, 350});
    auto* context = new CDrawContext(nullptr, nullptr, window);
    EXPECT_EQ(backend->calls, (Calls{
                                  "getWindowDeviceContext(window1) -> dc1",
                                  "createGraphicsFromDeviceContext(dc1) -> g1",
                                  "setInterpolationMode(g1, 1)",
                                  "setPageUnit(g1, 2)",
                                  "setPixelOffsetMode(g1, 3)",
                                  "createPen(0xff000000, 1, 0) -> pen1",
                                  "createSolidFill(0xff000000) -> brush1",
                                  "createSolidFill(0xff000000) -> brush2",
                                  "setPenColor(pen1, 0xffffffff)",
                                  "setPenDashStyle(pen1, 0)",
                                  "setPenWidth(pen1, 1)",
                                  "setSolidFillColor(brush1, 0xff000000)",
                                  "setSolidFillColor(brush2, 0xffffffff)",
                                  "setSmoothingMode(g1, 3)",
                              }));
    EXPECT_EQ(context->getFont(), kDefaultFont);
    EXPECT_EQ(context->getScreenOffset(), CCoordPoint(100, 50));
    CCoordRect clip;
    EXPECT_EQ(context->getClipRect(clip), CCoordRect(0, 0, 1000, 1000));
    backend->clearLog();
    context->release();
    EXPECT_EQ(backend->calls, (Calls{
                                  "deleteBrush(brush2)",
                                  "deleteBrush(brush1)",
                                  "deletePen(pen1)",
                                  "deleteGraphics(g1)",
                                  "releaseWindowDeviceContext(window1, dc1)",
                              }));
    EXPECT_EQ(backend->live["g"], 0);
    EXPECT_EQ(backend->live["pen"], 0);
    EXPECT_EQ(backend->live["brush"], 0);
}

TEST(DrawContextCreation, WithoutDeviceContextOrWindowStoresStateButDrawsNothing) {
    ScopedRecordingBackend backend;
    auto* context = new CDrawContext(nullptr, nullptr, nullptr);
    EXPECT_EQ(context->getGraphics(), nullptr);
    EXPECT_EQ(backend->count("setSmoothingMode"), 0u);
    backend->clearLog();
    context->setDrawMode(kDrawModeAntialias);
    EXPECT_EQ(context->getDrawMode(), kDrawModeAntialias);
    context->drawRect(CCoordRect(0, 0, 10, 10), kDrawFilledAndStroked);
    context->lineTo(CCoordPoint(5, 5));
    context->drawArc(CCoordRect(0, 0, 10, 10), 0, 90, kDrawFilled);
    context->drawString("x", CCoordPoint(1, 1));
    EXPECT_TRUE(backend->calls.empty());
    EXPECT_EQ(context->getStringWidth("abc"), -1);
    context->release();
}

TEST_F(DrawContextTest, SameFrameOrFillColourTwiceIsOneCallButFontColourAlwaysCalls) {
    const CRgbaColor red{255, 0, 0, 255};
    context->setFrameColor(red);
    context->setFrameColor(red);
    context->setFillColor(red);
    context->setFillColor(red);
    context->setFontColor(red);
    context->setFontColor(red);
    EXPECT_EQ(backend->calls, (Calls{
                                  "setPenColor(pen1, 0xffff0000)",
                                  "setSolidFillColor(brush1, 0xffff0000)",
                                  "setSolidFillColor(brush2, 0xffff0000)",
                                  "setSolidFillColor(brush2, 0xffff0000)",
                              }));
    // Only alpha differs: a different colour.
    context->setFrameColor(CRgbaColor{255, 0, 0, 254});
    EXPECT_EQ(backend->calls.back(), "setPenColor(pen1, 0xfeff0000)");
}

TEST_F(DrawContextTest, LineWidthStyleAndDrawModeSetters) {
    context->setLineWidth(1);          // plain form: always a call
    context->setLineWidthIfChanged(1); // same width: none
    context->setLineWidth(2.5);
    context->setLineStyle(kLineDotted);
    context->setLineStyle(kLineDotted);
    context->setLineStyle(7); // any other value is solid
    context->setDrawMode(kDrawModeAntialias);
    context->setDrawMode(kDrawModeAntialias);
    context->setDrawMode(1); // draws like plain
    EXPECT_EQ(backend->calls, (Calls{
                                  "setPenWidth(pen1, 1)",
                                  "setPenWidth(pen1, 2.5)",
                                  "setPenDashStyle(pen1, 2)",
                                  "setPenDashStyle(pen1, 0)",
                                  "setSmoothingMode(g1, 4)",
                                  "setSmoothingMode(g1, 3)",
                              }));
}

TEST_F(DrawContextTest, SetClipRectWithTheCurrentClipMakesNoCall) {
    context->setClipRect(CCoordRect(0, 0, 1000, 1000));
    EXPECT_TRUE(backend->calls.empty());
    context->setOffset(CCoordPoint(10.7, 20.2));
    context->setClipRect(CCoordRect(1.5, 2.5, 31.9, 12.9));
    EXPECT_EQ(backend->calls, (Calls{"setClipRectI(g1, 12, 22, 30, 10, 0)"}));
    CCoordRect clip;
    context->getClipRect(clip);
    EXPECT_DOUBLE_EQ(clip.left, 1.5);
    EXPECT_DOUBLE_EQ(clip.bottom, 12.9);
    context->setClipRect(CCoordRect(1.5, 2.5, 31.9, 12.9));
    EXPECT_EQ(backend->calls.size(), 1u);
}

TEST_F(DrawContextTest, RectanglesFillFullSizeAndOutlineOneLessAfterFloatConversion) {
    context->drawRect(CCoordRect(0, 0, 10, 10), kDrawFilledAndStroked);
    // Reversed: the same calls.
    context->drawRect(CCoordRect(10, 10, 0, 0), kDrawFilledAndStroked);
    // 1.00000001 is 1 as a 32-bit float: the -1 after conversion gives 0, not 1e-08.
    context->drawRect(CCoordRect(0, 0, 1.00000001, 3.5), kDrawStroked);
    context->fillRect(CCoordRect(5, 5, 1, 1));
    EXPECT_EQ(backend->calls, (Calls{
                                  "fillRectangle(g1, brush1, 0, 0, 10, 10)",
                                  "drawRectangle(g1, pen1, 0, 0, 9, 9)",
                                  "fillRectangle(g1, brush1, 0, 0, 10, 10)",
                                  "drawRectangle(g1, pen1, 0, 0, 9, 9)",
                                  "drawRectangle(g1, pen1, 0, 0, 0, 2.5)",
                                  "fillRectangle(g1, brush1, 1, 1, 4, 4)",
                              }));
}

TEST_F(DrawContextTest, LineToTruncatesAndKeepsThePenAtTheFullPosition) {
    context->moveTo(CCoordPoint(0.9, 0.9));
    context->lineTo(CCoordPoint(10.7, 0.2));
    context->lineTo(CCoordPoint(-3.7, 5.9));
    EXPECT_EQ(backend->calls, (Calls{
                                  "drawLineI(g1, pen1, 0, 0, 10, 0)",
                                  "drawLineI(g1, pen1, 10, 0, -3, 5)",
                              }));
    context->setOffset(CCoordPoint(0.5, 0.5));
    context->moveTo(CCoordPoint(0.5, 0.5));
    context->lineTo(CCoordPoint(2.4, 2.4));
    EXPECT_EQ(backend->calls.back(), "drawLineI(g1, pen1, 1, 1, 2, 2)");
}

TEST_F(DrawContextTest, EllipsesTruncateTheOrderedRectangleMinusOne) {
    context->setOffset(CCoordPoint(0.5, 0));
    context->drawEllipse(CCoordRect(10.9, 20, 0.2, 5.5), kDrawFilledAndStroked);
    context->fillEllipse(CCoordRect(0, 0, 4, 4));
    EXPECT_EQ(backend->calls, (Calls{
                                  "fillEllipseI(g1, brush1, 0, 5, 9, 13)",
                                  "drawEllipseI(g1, pen1, 0, 5, 9, 13)",
                                  "fillEllipseI(g1, brush1, 0, 0, 3, 3)",
                              }));
}

TEST_F(DrawContextTest, ArcSweepsWrapAroundAndKeepReversedRectangles) {
    context->drawArc(CCoordRect(0, 0, 20, 10), 350, 10, kDrawStroked);
    context->drawArc(CCoordRect(0, 0, 20, 10), 10, 350, kDrawFilled);
    context->drawArc(CCoordRect(20, 10, 0, 0), 45, 45, kDrawFilledAndStroked);
    EXPECT_EQ(backend->calls, (Calls{
                                  "createPath(0) -> path1",
                                  "addPathArc(path1, 0, 0, 20, 10, 350, 20)",
                                  "drawPath(g1, pen1, path1)",
                                  "deletePath(path1)",
                                  "createPath(0) -> path2",
                                  "addPathArc(path2, 0, 0, 20, 10, 10, 340)",
                                  "fillPath(g1, brush1, path2)",
                                  "deletePath(path2)",
                                  "createPath(0) -> path3",
                                  "addPathArc(path3, 20, 10, -20, -10, 45, 0)",
                                  "fillPath(g1, brush1, path3)",
                                  "drawPath(g1, pen1, path3)",
                                  "deletePath(path3)",
                              }));
}

TEST_F(DrawContextTest, DrawPointUsesAOnePixelLineAndRestoresWidthAndColour) {
    context->setLineWidth(3);
    backend->clearLog();
    context->drawPoint(CCoordPoint(4.2, 7.8), CRgbaColor{0, 255, 0, 255});
    EXPECT_EQ(backend->calls, (Calls{
                                  "setPenWidth(pen1, 1)",
                                  "setPenColor(pen1, 0xff00ff00)",
                                  "drawLineI(g1, pen1, 4, 7, 5, 7)",
                                  "setPenColor(pen1, 0xffffffff)",
                                  "setPenWidth(pen1, 3)",
                              }));
    EXPECT_EQ(context->getLineWidth(), 3);
    EXPECT_EQ(context->getPoint(CCoordPoint(1, 1)), kBlackCColor);
}

TEST_F(DrawContextTest, PolygonsAndLinesConvertPointsWithTheOffset) {
    context->setOffset(CCoordPoint(1, 2));
    const CCoordPoint points[] = {{0, 0}, {10, 0}, {10, 10}};
    context->drawPolygon(points, 3, kDrawFilledAndStroked, true);
    context->drawPolygon(points, 3, kDrawStroked, false);
    context->fillPolygon(points, 3);
    const CCoordPoint segments[] = {{0, 0}, {1, 1}, {5, 5}, {6, 5}};
    context->drawLines(segments, 4);
    EXPECT_EQ(backend->calls, (Calls{
                                  "fillPolygon(g1, brush1, 1,2 11,2 11,12, 0)",
                                  "drawPolygon(g1, pen1, 1,2 11,2 11,12)",
                                  "drawLines(g1, pen1, 1,2 11,2 11,12)",
                                  "fillPolygon(g1, brush1, 1,2 11,2 11,12, 0)",
                                  "drawLineI(g1, pen1, 1, 2, 2, 3)",
                                  "drawLineI(g1, pen1, 6, 7, 7, 7)",
                              }));
}

TEST_F(DrawContextTest, FailingCallsAreRecordedAsTheObjectsLastStatus) {
    backend->failNext("setPenColor", 7);
    backend->failNext("fillRectangle", 3);
    context->setFrameColor(CRgbaColor{1, 2, 3, 255});
    context->drawRect(CCoordRect(0, 0, 1, 1), kDrawFilled);
    context->drawRect(CCoordRect(0, 0, 1, 1), kDrawFilled);
    EXPECT_EQ(context->getPen()->lastStatus, 7);
    EXPECT_EQ(context->getGraphics()->lastStatus, 3);
    EXPECT_EQ(context->getFillBrush()->lastStatus, 0);
    // The colour is stored all the same.
    EXPECT_EQ(context->getFrameColor(), (CRgbaColor{1, 2, 3, 255}));
}

TEST_F(DrawContextTest, DrawStringAtAPointNamesTheBaseLine) {
    backend->fontHeight = 14;
    context->setOffset(CCoordPoint(5, 5));
    context->drawString("Hi", CCoordPoint(10, 20), true);
    context->drawString("Lo", CCoordPoint(10, 20), false);
    EXPECT_EQ(backend->callsOf("setTextRenderingHint"),
              (Calls{"setTextRenderingHint(g1, 5)", "setTextRenderingHint(g1, 0)"}));
    // y = (5 + 20) + 1 - 14
    EXPECT_EQ(backend->callsOf("drawString"),
              (Calls{"drawString(g1, \"Hi\", -1, font1, 15, 12, 0, 0, brush2)",
                     "drawString(g1, \"Lo\", -1, font1, 15, 12, 0, 0, brush2)"}));
    EXPECT_EQ(backend->callsOf("getFontHeightGivenDpi"),
              (Calls{"getFontHeightGivenDpi(font1, 96)", "getFontHeightGivenDpi(font1, 96)"}));
}

TEST_F(DrawContextTest, DrawStringInARectangleCentresOnTheNominalSizeAndRestoresTheClip) {
    backend->fontHeight = 14;
    backend->measuredWidth = 50;
    const CCoordRect rect(0, 0, 100, 20);
    // Base line = 20 - (10 - 6 + 1) = 15 (font size 12); layout top = 15 + 1 - 14 = 2.
    context->drawString("L", rect, kAlignLeft, true);
    context->drawString("C", rect, kAlignCenter, true);
    context->drawString("R", rect, kAlignRight, false);
    context->drawString("U", rect, std::int16_t{0}, kAlignCenter);
    EXPECT_EQ(backend->callsOf("drawString"),
              (Calls{"drawString(g1, \"L\", -1, font1, 0, 2, 0, 0, brush2)",
                     "drawString(g1, \"C\", -1, font1, 25, 2, 0, 0, brush2)",
                     "drawString(g1, \"R\", -1, font1, 50, 2, 0, 0, brush2)",
                     "drawString(g1, \"U\", -1, font1, 25, 2, 0, 0, brush2)"}));
    EXPECT_EQ(backend->callsOf("setTextRenderingHint").at(2), "setTextRenderingHint(g1, 0)");
    EXPECT_EQ(backend->callsOf("setTextRenderingHint").at(3), "setTextRenderingHint(g1, 5)");
    const Calls clips = backend->callsOf("setClipRectI");
    ASSERT_EQ(clips.size(), 8u);
    EXPECT_EQ(clips[0], "setClipRectI(g1, 0, 0, 100, 20, 0)");
    EXPECT_EQ(clips[1], "setClipRectI(g1, 0, 0, 1000, 1000, 0)");
    CCoordRect clip;
    EXPECT_EQ(context->getClipRect(clip), CCoordRect(0, 0, 1000, 1000));
}

TEST_F(DrawContextTest, CentredTextWiderThanItsRectangleStartsLeftOfIt) {
    backend->measuredWidth = 300;
    context->drawString("wide", CCoordRect(100, 0, 200, 20), kAlignCenter, true);
    // x = 100 + 50 - 150
    EXPECT_EQ(backend->callsOf("drawString").at(0),
              "drawString(g1, \"wide\", -1, font1, 0, 2, 0, 0, brush2)");
}

TEST_F(DrawContextTest, StringWidthMeasuresUtf16WithAZeroLayout) {
    backend->measuredWidth = 42.5f;
    EXPECT_EQ(context->getStringWidth("h\xC3\xA9llo"), 42.5);
    EXPECT_EQ(backend->callsOf("measureString"),
              (Calls{"measureString(g1, \"h?llo\", -1, font1, 0, 0, 0, 0)"}));
    EXPECT_EQ(context->getStringWidth(nullptr), -1);
    backend->failNext("measureString", 1);
    EXPECT_EQ(context->getStringWidth("x"), 0);
}

TEST_F(DrawContextTest, MissingFamilyMeasuresZeroAndDrawsNothingVisible) {
    auto* font = new CFontDesc("No Such Family", 12);
    context->setFont(font);
    EXPECT_EQ(context->getStringWidth("abc"), 0);
    context->drawString("abc", CCoordPoint(0, 10));
    EXPECT_EQ(backend->callsOf("drawString"),
              (Calls{"drawString(g1, \"abc\", -1, none, 0, 11, 0, 0, brush2)"}));
    context->setFont(kDefaultFont);
    font->release();
}

TEST_F(DrawContextTest, SetFontTakesTheGivenObjectOrMakesADescription) {
    auto* font = new CFontDesc("Arial", 12, kFontBold);
    context->setFont(font, 0, -1);
    EXPECT_EQ(context->getFont(), font);
    EXPECT_EQ(font->referenceCount(), 2);
    context->setFont(font, 12, kFontBold); // same size and style: the same object
    EXPECT_EQ(context->getFont(), font);
    EXPECT_EQ(font->referenceCount(), 2);
    context->setFont(font, 20, -1);
    EXPECT_NE(context->getFont(), font);
    EXPECT_EQ(context->getFont()->getSize(), 20);
    EXPECT_EQ(context->getFont()->getStyle(), kFontBold);
    EXPECT_STREQ(context->getFont()->getName(), "Arial");
    EXPECT_EQ(font->referenceCount(), 1);
    context->setFont(font, 0, kFontItalic);
    EXPECT_EQ(context->getFont()->getSize(), 12);
    EXPECT_EQ(context->getFont()->getStyle(), kFontItalic);
    context->setFont(nullptr, 0, -1); // ignored
    EXPECT_EQ(context->getFont()->getStyle(), kFontItalic);
    // The current font passed again while the context holds its only reference.
    CFontDesc* own = context->getFont();
    context->setFont(own, 0, -1);
    EXPECT_EQ(context->getFont(), own);
    EXPECT_EQ(own->referenceCount(), 1);
    font->release();
}

TEST_F(DrawContextTest, MouseLocationIsRelativeToTheWindowOrigin) {
    backend->cursor = {130, 95};
    CCoordPoint where;
    context->getMouseLocation(where);
    EXPECT_EQ(where, CCoordPoint(30, 45));
    backend->pressedNow = {platform::PolledKey::leftButton, platform::PolledKey::alt};
    EXPECT_EQ(context->getMouseButtons(), kButtonLeft | kModAlt);
}

TEST_F(DrawContextTest, WaitDoubleClickTakesAWaitingPressInsideTheBox) {
    backend->msgTime = 1000;
    backend->dblClickTime = 500;
    backend->ticks = {1100, 1200, 1300};
    backend->pendingLeftDowns = 1;
    EXPECT_TRUE(context->waitDoubleClick());
    EXPECT_EQ(backend->pendingLeftDowns, 0);
    // Deadline already passed.
    backend->ticks = {1500};
    backend->pendingLeftDowns = 1;
    EXPECT_FALSE(context->waitDoubleClick());
    // Pointer leaves the box (x + 2 is outside).
    backend->ticks = {1100};
    backend->cursor = {10, 10};
    backend->cursorPath = {{10, 10}, {12, 10}};
    EXPECT_FALSE(context->waitDoubleClick());
    EXPECT_EQ(backend->pendingLeftDowns, 1);
    // Time runs out while waiting.
    backend->ticks = {1100, 1300, 1499, 1500};
    backend->pendingLeftDowns = 0;
    EXPECT_FALSE(context->waitDoubleClick());
}

TEST(OffscreenContext, MakesItsBitmapAndAGraphicsObjectOnIt) {
    ScopedRecordingBackend backend;
    auto* offscreen = new COffscreenContext(nullptr, 40, 30, CRgbaColor{1, 2, 3, 255});
    EXPECT_EQ(backend->calls, (Calls{
                                  "createPen(0xff000000, 1, 0) -> pen1",
                                  "createSolidFill(0xff000000) -> brush1",
                                  "createSolidFill(0xff000000) -> brush2",
                                  "setPenColor(pen1, 0xffffffff)",
                                  "setPenDashStyle(pen1, 0)",
                                  "setPenWidth(pen1, 1)",
                                  "setSolidFillColor(brush1, 0xff000000)",
                                  "setSolidFillColor(brush2, 0xffffffff)",
                                  "startup()",
                                  "createBitmapFromScan0(40, 30, 0, 0x0026200a, none) -> image1",
                                  "createGraphicsOnImage(image1) -> g1",
                                  "setInterpolationMode(g1, 1)",
                                  "setPageUnit(g1, 2)",
                              }));
    CCoordRect clip;
    EXPECT_EQ(offscreen->getClipRect(clip), CCoordRect(0, 0, 40, 30));
    EXPECT_EQ(offscreen->getBitmap()->getWidth(), 40);
    EXPECT_EQ(offscreen->getDrawMode(), kDrawModePlain);
    offscreen->setDrawMode(kDrawModeAntialias);
    EXPECT_EQ(backend->calls.back(), "setSmoothingMode(g1, 4)");
    backend->clearLog();
    // Its bitmap holds the library's last reference: every object of the library goes first.
    offscreen->release();
    EXPECT_EQ(backend->calls, (Calls{
                                  "deleteBrush(brush2)",
                                  "deleteBrush(brush1)",
                                  "deletePen(pen1)",
                                  "deleteGraphics(g1)",
                                  "disposeImage(image1)",
                                  "shutdown(0x0000070c)",
                              }));
}

} // namespace
} // namespace VSTGUI::test
