// SPDX-License-Identifier: MIT
// The canvas, font and image functions on the toolkit, seen through the recording back end.
#include "RecordingBackend.h"
#include "TestHost.h"
#include "editor/EditorConfiguration.h"
#include "editor/TarvoCanvas.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace testhost;
using VSTGUI::test::ScopedRecordingBackend;

namespace {

using Calls = std::vector<std::string>;

// The text with the numbers of handle names ("path2", "g1", "font1") dropped.
std::string withoutHandleNumbers(const std::string& text) {
    static const char* const kinds[] = {"path", "font", "family", "image",
                                        "g",    "pen",  "brush",  "attributes"};
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const bool wordStart = i == 0 || !std::isalnum(static_cast<unsigned char>(text[i - 1]));
        bool dropped = false;
        for (const char* kind : kinds) {
            const std::size_t n = std::strlen(kind);
            std::size_t end = i + n;
            if (!wordStart || text.compare(i, n, kind) != 0 || end >= text.size() ||
                !std::isdigit(static_cast<unsigned char>(text[end])))
                continue;
            while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
                ++end;
            out.append(kind);
            i = end;
            dropped = true;
            break;
        }
        if (!dropped) out.push_back(text[i++]);
    }
    return out;
}

// A trimmer of the editor-enabled configuration, with a draw context on a window of the
// recording back end that the tests make current as the view would.
class Canvas : public testing::Test {
protected:
    void SetUp() override {
        record = createPlugin<TTarvoEffect>(&TestHost::callback, editorConfiguration());
        ASSERT_NE(record, nullptr);
        shell = static_cast<CVeST*>(record->object);
        window = backend->makeWindow({0, 0, 400, 300});
        context = new VSTGUI::CDrawContext(nullptr, nullptr, window);
        backend->clearLog();
    }
    void TearDown() override {
        shell->setDrawContext(nullptr);
        if (context != nullptr) context->release();
        if (record != nullptr) record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    }
    void beginPass() { shell->setDrawContext(context); }
    // The calls one canvas operation makes, with the log emptied before and after, and the
    // numbers of handle names dropped (each operation makes its own objects).
    template <class Operation>
    Calls callsOf(Operation operation) {
        backend->clearLog();
        operation();
        Calls calls = backend->calls;
        backend->clearLog();
        for (std::string& call : calls)
            call = withoutHandleNumbers(call);
        return calls;
    }

    ScopedRecordingBackend backend;
    TestHost host;
    AEffect* record = nullptr;
    CVeST* shell = nullptr;
    VSTGUI::platform::WindowHandle window = nullptr;
    VSTGUI::CDrawContext* context = nullptr;
};

} // namespace

TEST_F(Canvas, OutsideADrawingPassEveryFunctionAnswersZeroAndDrawsNothing) {
    TarvoInt r = -7, g = -7, b = -7, a = -7;
    EXPECT_EQ(canvasSetDrawMode(shell, 1), 0);
    EXPECT_EQ(canvasSetTextColor(shell, 1, 2, 3, 4), 0);
    EXPECT_EQ(canvasSetFillColor(shell, 1, 2, 3, 4), 0);
    EXPECT_EQ(canvasSetLineColor(shell, 1, 2, 3, 4), 0);
    EXPECT_EQ(canvasStringWidth(shell, "text"), 0.0);
    EXPECT_EQ(canvasFontSize(shell), 0);
    EXPECT_EQ(canvasMoveTo(shell, 1, 2), 0);
    EXPECT_EQ(canvasLineTo(shell, 3, 4), 0);
    EXPECT_EQ(canvasArc(shell, 0, 0, 10, 10, 0, 90, 0), 0);
    EXPECT_EQ(canvasRect(shell, 0, 0, 10, 10, 1), 0);
    EXPECT_EQ(canvasEllipse(shell, 0, 0, 10, 10, 2), 0);
    EXPECT_EQ(canvasTextAt(shell, "a", 1, 2, 1), 0);
    EXPECT_EQ(canvasTextAligned(shell, "a", 0, 0, 10, 10, 1, 1), 0);
    EXPECT_EQ(canvasTextInRect(shell, "a", 0, 0, 10, 10, 0, 1), 0);
    EXPECT_EQ(canvasPoint(shell, 1, 1, 1, 2, 3, 4), 0);
    EXPECT_EQ(canvasGetPoint(shell, 1, 1, &r, &g, &b, &a), 0);
    EXPECT_EQ(r, -7);
    EXPECT_EQ(a, -7);
    EXPECT_EQ(canvasSetFont(shell, "verdana", 11, 0), 0);
    EXPECT_TRUE(shell->fontCache().empty());
    EXPECT_TRUE(backend->calls.empty());
    EXPECT_EQ(canvasRect(nullptr, 0, 0, 1, 1, 1), 0);
    EXPECT_EQ(canvasSetFont(nullptr, "verdana", 11, 0), 0);
}

TEST_F(Canvas, ColoursUseTheLowEightBitsOfEachComponent) {
    beginPass();
    EXPECT_EQ(canvasSetFillColor(shell, 300, -1, 0, 255), 1);
    EXPECT_EQ(context->getFillColor(), (VSTGUI::CRgbaColor{44, 255, 0, 255}));
    EXPECT_EQ(canvasSetLineColor(shell, 256, 511, 1, -256), 1);
    EXPECT_EQ(context->getFrameColor(), (VSTGUI::CRgbaColor{0, 255, 1, 0}));
    EXPECT_EQ(canvasSetTextColor(shell, 0x1234, 0x56, 0x78, 0x9A), 1);
    EXPECT_EQ(context->getFontColor(), (VSTGUI::CRgbaColor{0x34, 0x56, 0x78, 0x9A}));
}

TEST_F(Canvas, GetPointAnswersOpaqueBlackWhereverItLooks) {
    beginPass();
    for (double x : {0.0, 399.0, -50.0}) {
        TarvoInt r = -1, g = -1, b = -1, a = -1;
        EXPECT_EQ(canvasGetPoint(shell, x, 10.0, &r, &g, &b, &a), 1);
        EXPECT_EQ(r, 0);
        EXPECT_EQ(g, 0);
        EXPECT_EQ(b, 0);
        EXPECT_EQ(a, 255);
    }
}

TEST_F(Canvas, PrimitivesReachTheDrawContextUnchanged) {
    beginPass();
    const VSTGUI::CCoordRect area(1.5, 2.5, 30.25, 40.75);
    EXPECT_EQ(callsOf([&] { EXPECT_EQ(canvasRect(shell, 1.5, 2.5, 30.25, 40.75, 2), 1); }),
              callsOf([&] { context->drawRect(area, VSTGUI::kDrawFilledAndStroked); }));
    EXPECT_EQ(callsOf([&] { EXPECT_EQ(canvasEllipse(shell, 1.5, 2.5, 30.25, 40.75, 1), 1); }),
              callsOf([&] { context->drawEllipse(area, VSTGUI::kDrawFilled); }));
    EXPECT_EQ(
        callsOf([&] { EXPECT_EQ(canvasArc(shell, 1.5, 2.5, 30.25, 40.75, 10.1, 200.2, 0), 1); }),
        callsOf([&] { context->drawArc(area, 10.1f, 200.2f, VSTGUI::kDrawStroked); }));
    EXPECT_EQ(callsOf([&] {
                  EXPECT_EQ(canvasMoveTo(shell, 3, 4), 1);
                  EXPECT_EQ(canvasLineTo(shell, 50.5, 60.5), 1);
              }),
              callsOf([&] {
                  context->moveTo({3, 4});
                  context->lineTo({50.5, 60.5});
              }));
    const Calls viaCanvas = callsOf([&] { EXPECT_EQ(canvasSetDrawMode(shell, 3), 1); });
    context->setDrawMode(0);
    EXPECT_EQ(viaCanvas, callsOf([&] { context->setDrawMode(3); }));
    EXPECT_EQ(context->getDrawMode(), 3);
}

TEST_F(Canvas, TextInRectIsAlwaysAntiAliasedWithTheAlignmentOfItsLastArgument) {
    beginPass();
    const VSTGUI::CCoordRect area(0, 0, 200, 20);
    context->drawString("level", area, VSTGUI::kAlignRight, true); // makes the platform font
    const Calls right =
        callsOf([&] { context->drawString("level", area, VSTGUI::kAlignRight, true); });
    const Calls left =
        callsOf([&] { context->drawString("level", area, VSTGUI::kAlignLeft, true); });
    ASSERT_NE(right, left);
    for (TarvoInt ignored : {0, 1, 255}) {
        EXPECT_EQ(callsOf([&] { canvasTextInRect(shell, "level", 0, 0, 200, 20, ignored, 2); }),
                  right)
            << ignored;
        EXPECT_EQ(callsOf([&] { canvasTextInRect(shell, "level", 0, 0, 200, 20, ignored, 0); }),
                  left)
            << ignored;
    }
    // Any other alignment centres; the aligned form keeps its own anti-alias flag.
    EXPECT_EQ(callsOf([&] { canvasTextAligned(shell, "level", 0, 0, 200, 20, 7, 0x100); }),
              callsOf([&] { context->drawString("level", area, VSTGUI::kAlignCenter, false); }));
    EXPECT_EQ(callsOf([&] { canvasTextAt(shell, "level", 5, 15, 1); }),
              callsOf([&] { context->drawString("level", VSTGUI::CCoordPoint(5, 15), true); }));
}

TEST_F(Canvas, AMissingFaceOrTextIsTheEmptyOne) {
    beginPass();
    EXPECT_EQ(canvasSetFont(shell, nullptr, 12, 0), 1);
    ASSERT_EQ(shell->fontCache().size(), 1u);
    EXPECT_STREQ(static_cast<VSTGUI::CFontDesc*>(shell->fontCache()[0])->getName(), "");
    canvasSetFont(shell, "Arial", 12, 0);
    context->drawString("x", VSTGUI::CCoordPoint(0, 0), true); // makes the platform font
    const VSTGUI::CCoordRect area(0, 0, 200, 20);
    EXPECT_EQ(callsOf([&] { EXPECT_EQ(canvasTextAt(shell, nullptr, 5, 15, 1), 1); }),
              callsOf([&] { context->drawString("", VSTGUI::CCoordPoint(5, 15), true); }));
    EXPECT_EQ(
        callsOf([&] { EXPECT_EQ(canvasTextAligned(shell, nullptr, 0, 0, 200, 20, 0, 1), 1); }),
        callsOf([&] { context->drawString("", area, VSTGUI::kAlignLeft, true); }));
    EXPECT_EQ(callsOf([&] { EXPECT_EQ(canvasTextInRect(shell, nullptr, 0, 0, 200, 20, 0, 2), 1); }),
              callsOf([&] { context->drawString("", area, VSTGUI::kAlignRight, true); }));
}

TEST_F(Canvas, FontCacheKeepsOneDescriptionPerFaceIgnoringCase) {
    beginPass();
    EXPECT_EQ(canvasSetFont(shell, "verdana", 12, 0), 1);
    EXPECT_EQ(canvasSetFont(shell, "Verdana", 12, 0), 1);
    EXPECT_EQ(shell->fontCache().size(), 1u);
    EXPECT_EQ(canvasSetFont(shell, "VERDANA ", 12, 0), 1); // a different name
    EXPECT_EQ(shell->fontCache().size(), 2u);
}

TEST_F(Canvas, SizeZeroStyleZeroMakesTheCachedDescriptionCurrent) {
    beginPass();
    EXPECT_EQ(canvasSetFont(shell, "Courier New", 0, 0), 1);
    ASSERT_EQ(shell->fontCache().size(), 1u);
    auto* cached = static_cast<VSTGUI::CFontDesc*>(shell->fontCache()[0]);
    EXPECT_EQ(context->getFont(), cached);
    EXPECT_EQ(cached->getSize(), 0.0);
    EXPECT_EQ(canvasFontSize(shell), 0);
}

TEST_F(Canvas, EachSizedSelectionMakesANewDescriptionFromOneCacheEntry) {
    beginPass();
    EXPECT_EQ(canvasSetFont(shell, "Courier New", 11, 0), 1);
    VSTGUI::CFontDesc* first = context->getFont();
    first->retain(); // keep it, so that the next one cannot reuse its address
    EXPECT_EQ(canvasSetFont(shell, "Courier New", 11, 0), 1);
    VSTGUI::CFontDesc* second = context->getFont();
    ASSERT_EQ(shell->fontCache().size(), 1u);
    EXPECT_NE(second, first);
    EXPECT_NE(static_cast<VSTGUI::CBaseObject*>(second), shell->fontCache()[0]);
    EXPECT_STREQ(second->getName(), "Courier New");
    EXPECT_EQ(second->getSize(), 11.0);
    EXPECT_EQ(second->getStyle(), 0);
    EXPECT_EQ(canvasFontSize(shell), 11);
    first->release();
}

TEST_F(Canvas, StringWidthIsWhatTheContextMeasures) {
    beginPass();
    canvasSetFont(shell, "Arial", 12, 0);
    EXPECT_EQ(canvasStringWidth(shell, "abc"), context->getStringWidth("abc"));
    // A missing text is measured as an empty one, not refused with -1.
    backend->measuredWidth = 0.0f;
    backend->clearLog();
    EXPECT_EQ(canvasStringWidth(shell, nullptr), 0.0);
    ASSERT_EQ(backend->count("measureString"), 1u);
    EXPECT_NE(backend->callsOf("measureString")[0].find("\"\", -1"), std::string::npos);
}

TEST_F(Canvas, EditorSizeIsTheCreatedSizeAndASecondEditorIsRefused) {
    TarvoInt width = -1, height = -1;
    EXPECT_EQ(canvasEditorSize(shell, &width, &height), 1);
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
    EXPECT_EQ(createEditor(shell, 10, 10), 0);
    EXPECT_EQ(canvasEditorSize(shell, &width, &height), 1);
    EXPECT_EQ(width, 400);
    EXPECT_EQ(createEditor(nullptr, 10, 10), 0);
    EXPECT_EQ(canvasEditorSize(nullptr, &width, &height), 0);
}

// ---- images -------------------------------------------------------------------------------

TEST_F(Canvas, NullAndEmptyHoldersAnswerZero) {
    TarvoInt r = -1, g = -1, b = -1, a = -1;
    EXPECT_EQ(imageDelete(nullptr), 0);
    EXPECT_EQ(imageLoadFile(nullptr, "x"), 0);
    EXPECT_EQ(imageWidth(nullptr), 0.0);
    TarvoImage* image = imageNew();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(imageWidth(image), 0.0);
    EXPECT_EQ(imageHeight(image), 0.0);
    EXPECT_EQ(imageGetTransparentColor(image, &r, &g, &b, &a), 0);
    EXPECT_EQ(r, -1);
    EXPECT_EQ(imageSetTransparentColor(image, 1, 2, 3, 4), 0);
    EXPECT_EQ(imageGetNoAlpha(image), 0);
    EXPECT_EQ(imageSetNoAlpha(image, 1), 0);
    beginPass();
    EXPECT_EQ(imageDraw(image, shell, 0, 0, 10, 10, 0, 0), 0);
    EXPECT_EQ(imageDelete(image), 1);
}

TEST_F(Canvas, ResourceImagesAreHeldOnlyWithPixels) {
    backend->resourceImages["knob"] = {120, 40};
    backend->resourceImages["nothing"] = {0, 0};
    TarvoImage* image = imageNew();
    EXPECT_EQ(imageLoadResourceName(image, "knob"), 1);
    EXPECT_EQ(imageWidth(image), 120.0);
    EXPECT_EQ(imageHeight(image), 40.0);
    EXPECT_EQ(imageLoadResourceName(image, "nothing"), 0);
    EXPECT_EQ(imageWidth(image), 0.0);
    EXPECT_EQ(imageLoadResourceId(image, 4711), 0);
    EXPECT_EQ(imageDelete(image), 1);
}

TEST_F(Canvas, AlphaUsesItsLowEightBitsAndTransparentDrawsLikeOpaque) {
    backend->resourceImages["knob"] = {120, 40};
    TarvoImage* image = imageNew();
    ASSERT_EQ(imageLoadResourceName(image, "knob"), 1);
    beginPass();
    const auto draw = [&](TarvoInt alpha) {
        return callsOf([&] { imageDrawAlpha(image, shell, 1, 2, 11, 12, 3, 4, alpha); });
    };
    const Calls opaque =
        callsOf([&] { EXPECT_EQ(imageDraw(image, shell, 1, 2, 11, 12, 3, 4), 1); });
    EXPECT_EQ(callsOf([&] { imageDrawTransparent(image, shell, 1, 2, 11, 12, 3, 4); }), opaque);
    EXPECT_EQ(draw(0x1FF), opaque);
    EXPECT_EQ(draw(0x180), draw(0x80));
    EXPECT_NE(draw(0x80), opaque);
    EXPECT_EQ(imageDelete(image), 1);
}

TEST_F(Canvas, AMissingFileEmptiesAHolderThatHeldAnImage) {
    backend->resourceImages["knob"] = {120, 40};
    TarvoImage* image = imageNew();
    ASSERT_EQ(imageLoadResourceName(image, "knob"), 1);
    EXPECT_EQ(imageLoadFile(image, "/nonexistent/folder/knob.png"), 0);
    EXPECT_EQ(imageWidth(image), 0.0);
    EXPECT_EQ(imageDelete(image), 1);
    EXPECT_EQ(backend->live["image"], 0);
}

TEST_F(Canvas, FilesDecodeFromAUtf8Path) {
    // The recording decoder reads width and height as two little-endian 32-bit numbers.
    // The name holds an a-umlaut as UTF-8; the file is made under the same name decoded as
    // UTF-8, so a loader that took the bytes one by one would not find it.
    const std::string path = testing::TempDir() + "canvas-\xC3\xA4-image.bin";
    const std::filesystem::path name(
        std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
    {
        std::ofstream file(name, std::ios::binary);
        const unsigned char bytes[] = {120, 0, 0, 0, 33, 0, 0, 0};
        file.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
        ASSERT_TRUE(file.good());
    }
    TarvoImage* image = imageNew();
    EXPECT_EQ(imageLoadFile(image, path.c_str()), 1);
    EXPECT_EQ(imageWidth(image), 120.0);
    EXPECT_EQ(imageHeight(image), 33.0);
    // The decoded platform image is given back; only the toolkit bitmap's copy stays.
    EXPECT_EQ(backend->live["image"], 1);
    TarvoInt r = 0, g = 0, b = 0, a = 0;
    EXPECT_EQ(imageSetTransparentColor(image, 0x101, 2, 3, 4), 1);
    EXPECT_EQ(imageGetTransparentColor(image, &r, &g, &b, &a), 1);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(a, 4);
    EXPECT_EQ(imageSetNoAlpha(image, 0x100), 1);
    EXPECT_EQ(imageGetNoAlpha(image), 0);
    EXPECT_EQ(imageDraw(image, shell, 0, 0, 10, 10, 0, 0), 0); // no drawing pass
    beginPass();
    EXPECT_EQ(imageDraw(image, shell, 0, 0, 10, 10, 0, 0), 1);
    EXPECT_EQ(imageDrawAlpha(image, shell, 0, 0, 10, 10, 0, 0, 128), 1);
    EXPECT_EQ(imageDrawTransparent(image, shell, 0, 0, 10, 10, 0, 0), 1);
    EXPECT_EQ(imageDelete(image), 1);
    EXPECT_EQ(backend->live["image"], 0);
    std::error_code ignored;
    std::filesystem::remove(name, ignored);
}
