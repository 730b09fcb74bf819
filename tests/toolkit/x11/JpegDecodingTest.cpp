// SPDX-License-Identifier: MIT
// JPEG images on the Linux back end: streams made here with libjpeg's own compressor (colour,
// grey, CMYK and YCCK), decoded through the back end's encoded-bytes entry and drawn through
// the toolkit's bitmap; truncated and corrupt streams refused without ending the process.
#include "toolkit/CBitmap.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/GDIPlusGlobals.h"

#include "X11TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>

using namespace VSTGUI;

namespace {

// A colour made of three 8-bit channels.
struct Rgb {
    unsigned red, green, blue;
};

struct Stream {
    J_COLOR_SPACE input = JCS_RGB; // what `samples` hold, row by row
    int components = 3;
    J_COLOR_SPACE stored = JCS_YCbCr; // the colour space written into the file
    bool adobeMarker = true;          // for CMYK and YCCK: written as Adobe applications do
    int width = 0;
    int height = 0;
    std::vector<unsigned char> samples;
};

// The stream's bytes, compressed at quality 95 without chroma subsampling.
std::string compress(const Stream& s) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(s.width);
    info.image_height = static_cast<JDIMENSION>(s.height);
    info.input_components = s.components;
    info.in_color_space = s.input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, s.stored);
    if (!s.adobeMarker) info.write_Adobe_marker = FALSE;
    for (int c = 0; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::size_t rowBytes = static_cast<std::size_t>(s.width) * s.components;
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPLE*>(s.samples.data() + info.next_scanline * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

// Three upright stripes, 8 pixels wide each (one JPEG block), 10 rows: a height that is not a
// whole number of blocks.
constexpr Rgb kStripes[] = {{230, 20, 30}, {20, 200, 40}, {30, 40, 220}};
constexpr int kStripeWidth = 8;
constexpr int kRows = 10;

Stream stripes() {
    Stream s;
    s.width = 3 * kStripeWidth;
    s.height = kRows;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const Rgb& c = kStripes[x / kStripeWidth];
            s.samples.insert(s.samples.end(), {static_cast<unsigned char>(c.red),
                                               static_cast<unsigned char>(c.green),
                                               static_cast<unsigned char>(c.blue)});
        }
    return s;
}

// Every block here is one flat colour, which quality 95 without subsampling keeps within a
// level (seen with libjpeg-turbo 2.1.5: no channel more than 1 off); other builds of the
// library may round their transforms differently, so 4 levels are allowed.
constexpr int kTolerance = 4;

::testing::AssertionResult near(std::uint32_t argb, const Rgb& expected) {
    const int channels[] = {static_cast<int>((argb >> 16) & 0xFF),
                            static_cast<int>((argb >> 8) & 0xFF), static_cast<int>(argb & 0xFF)};
    const int wanted[] = {static_cast<int>(expected.red), static_cast<int>(expected.green),
                          static_cast<int>(expected.blue)};
    if ((argb >> 24) != 0xFF)
        return ::testing::AssertionFailure() << "not opaque: " << std::hex << argb;
    for (int i = 0; i < 3; ++i)
        if (std::abs(channels[i] - wanted[i]) > kTolerance)
            return ::testing::AssertionFailure()
                   << std::hex << "0x" << argb << std::dec << " is not near " << wanted[0] << ","
                   << wanted[1] << "," << wanted[2];
    return ::testing::AssertionSuccess();
}

class JpegDecodingTest : public testing::Test {
protected:
    void SetUp() override { GDIPlusGlobals::enter(); }
    void TearDown() override { GDIPlusGlobals::exit(); }

    static platform::Status decode(const std::string& bytes, platform::ImageHandle& image) {
        image = nullptr;
        return VSTGUI::platform::drawing2d::createBitmapFromEncodedBytes(
            bytes.data(), static_cast<std::uint32_t>(bytes.size()), image);
    }

    static std::uint32_t pixel(platform::ImageHandle image, int x, int y) {
        std::uint32_t argb = 0;
        EXPECT_EQ(VSTGUI::x11::pixelOf(image, x, y, argb), platform::kOk);
        return argb;
    }

    // Every pixel of the decoded stripes near its stripe's colour.
    static void expectStripes(platform::ImageHandle image) {
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < 3 * kStripeWidth; ++x)
                EXPECT_TRUE(near(pixel(image, x, y), kStripes[x / kStripeWidth]))
                    << "at " << x << "," << y;
    }

    static void expectRefused(const std::string& bytes, const char* what) {
        platform::ImageHandle image = nullptr;
        EXPECT_NE(decode(bytes, image), platform::kOk) << what;
        EXPECT_EQ(image, nullptr) << what;
        if (image != nullptr) VSTGUI::platform::drawing2d::disposeImage(image);
    }
};

TEST_F(JpegDecodingTest, ColourStreamGivesAnOpaqueBitmapOfItsSizeAndColours) {
    const std::string bytes = compress(stripes());
    platform::ImageHandle decoded = nullptr;
    ASSERT_EQ(decode(bytes, decoded), platform::kOk);
    expectStripes(decoded);

    // The toolkit's bitmap takes the image like a PNG one, and draws it.
    auto* bitmap = new CBitmap(decoded);
    VSTGUI::platform::drawing2d::disposeImage(decoded);
    EXPECT_EQ(bitmap->getWidth(), 24.0);
    EXPECT_EQ(bitmap->getHeight(), 10.0);
    auto* context = new COffscreenContext(nullptr, 40, 20, kWhiteCColor);
    bitmap->draw(context, CCoordRect(10, 5, 34, 15));
    const platform::ImageHandle drawn = context->getBitmap()->getPlatformBitmap()->handle;
    EXPECT_TRUE(near(pixel(drawn, 10 + 4, 5 + 4), kStripes[0]));
    EXPECT_TRUE(near(pixel(drawn, 10 + 20, 5 + 9), kStripes[2]));
    context->release();
    bitmap->release();
}

// The bytes tell the format: a PNG still goes to the PNG reader, and a JPEG stream behind a
// PNG signature is not taken for a JPEG.
TEST_F(JpegDecodingTest, PngStillDecodesAndSignaturesAreNotMixedUp) {
    platform::ImageHandle image = nullptr;
    ASSERT_EQ(decode(x11_test::readFile(QT_TEST_IMAGE_FILE), image), platform::kOk);
    EXPECT_EQ(pixel(image, 0, 0), 0xFFFF0000u);
    VSTGUI::platform::drawing2d::disposeImage(image);

    expectRefused(std::string("\x89PNG\r\n\x1A\n", 8) + compress(stripes()),
                  "JPEG after a PNG signature");
}

TEST_F(JpegDecodingTest, GreyStreamGivesGreyPixels) {
    Stream s;
    s.input = JCS_GRAYSCALE;
    s.components = 1;
    s.stored = JCS_GRAYSCALE;
    s.width = 16;
    s.height = 5;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            s.samples.push_back(x < 8 ? 40 : 200);
    platform::ImageHandle image = nullptr;
    ASSERT_EQ(decode(compress(s), image), platform::kOk);
    std::uint32_t width = 0, height = 0;
    EXPECT_EQ(VSTGUI::platform::drawing2d::getImageWidth(image, width), platform::kOk);
    EXPECT_EQ(VSTGUI::platform::drawing2d::getImageHeight(image, height), platform::kOk);
    EXPECT_EQ(width, 16u);
    EXPECT_EQ(height, 5u);
    EXPECT_TRUE(near(pixel(image, 2, 2), {40, 40, 40}));
    EXPECT_TRUE(near(pixel(image, 13, 4), {200, 200, 200}));
    VSTGUI::platform::drawing2d::disposeImage(image);
}

// Files from Adobe applications (marked as such, as libjpeg marks every CMYK file it writes
// unless told not to) hold inverted inks: 255 is no ink. Stored as CMYK and as YCCK, with the
// marker and without, the stripes come back in their colours.
TEST_F(JpegDecodingTest, CmykAndYcckStreamsGiveTheirColours) {
    Stream s;
    s.input = JCS_CMYK;
    s.components = 4;
    s.width = 3 * kStripeWidth;
    s.height = kRows;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const Rgb& c = kStripes[x / kStripeWidth];
            // No black ink; inverted cyan, magenta and yellow are the red, green and blue.
            s.samples.insert(s.samples.end(), {static_cast<unsigned char>(c.red),
                                               static_cast<unsigned char>(c.green),
                                               static_cast<unsigned char>(c.blue), 255});
        }
    for (J_COLOR_SPACE stored : {JCS_CMYK, JCS_YCCK}) {
        s.stored = stored;
        platform::ImageHandle image = nullptr;
        ASSERT_EQ(decode(compress(s), image), platform::kOk) << stored;
        expectStripes(image);
        VSTGUI::platform::drawing2d::disposeImage(image);
    }

    // Without the marker the inks are taken as they are: 255 is full ink.
    for (std::size_t i = 0; i < s.samples.size(); ++i)
        s.samples[i] = static_cast<unsigned char>(255 - s.samples[i]);
    s.stored = JCS_CMYK;
    s.adobeMarker = false;
    platform::ImageHandle image = nullptr;
    ASSERT_EQ(decode(compress(s), image), platform::kOk);
    expectStripes(image);
    VSTGUI::platform::drawing2d::disposeImage(image);
}

TEST_F(JpegDecodingTest, TruncatedStreamsAreRefusedAtEveryLength) {
    const std::string bytes = compress(stripes());
    ASSERT_GT(bytes.size(), 300u);
    // From the bare start-of-image marker up to the stream without its end marker.
    for (std::size_t length = 3; length < bytes.size() - 1; ++length)
        expectRefused(bytes.substr(0, length), ("first " + std::to_string(length)).c_str());
}

TEST_F(JpegDecodingTest, CorruptStreamsAreRefused) {
    const std::string good = compress(stripes());

    // Random bytes after the start-of-image marker.
    std::mt19937 random(2026);
    std::string garbage = "\xFF\xD8\xFF";
    for (int i = 0; i < 2000; ++i)
        garbage.push_back(static_cast<char>(random() & 0xFF));
    expectRefused(garbage, "random bytes");

    // A frame header claiming no rows.
    std::string empty = good;
    const std::size_t frame = empty.find("\xFF\xC0", 0, 2);
    ASSERT_NE(frame, std::string::npos);
    empty[frame + 5] = 0; // height, high byte
    empty[frame + 6] = 0;
    expectRefused(empty, "zero rows");

    // A frame header claiming more pixels than any picture the editor shows.
    std::string huge = good;
    huge[frame + 5] = '\xFF';
    huge[frame + 6] = '\xD0';
    huge[frame + 7] = '\xFF';
    huge[frame + 8] = '\xD0';
    expectRefused(huge, "65,488 x 65,488 pixels");

    // An end-of-image marker in the middle of the coded data.
    std::string cut = good;
    const std::size_t scan = cut.find("\xFF\xDA", 0, 2);
    ASSERT_NE(scan, std::string::npos);
    cut[scan + 40] = '\xFF';
    cut[scan + 41] = '\xD9';
    expectRefused(cut, "early end marker");

    // Not a JPEG start at all.
    expectRefused(std::string("\xFF\xD8", 2), "two bytes");
    expectRefused(std::string("GIF89a and some more bytes"), "GIF signature");
}

} // namespace
