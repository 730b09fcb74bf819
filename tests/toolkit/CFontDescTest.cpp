// SPDX-License-Identifier: MIT
// Font descriptions: the platform font made on demand, kept or dropped by changes, one
// platform style, and family names decoded as UTF-8 into a bounded, terminated buffer.
#include "toolkit/CFontDesc.h"
#include "RecordingBackend.h"
#include "toolkit/TextConversion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace VSTGUI::test {
namespace {

using Calls = std::vector<std::string>;

TEST(FontDesc, MakesThePlatformFontOnFirstUseInPixels) {
    ScopedRecordingBackend backend;
    auto* font = new CFontDesc("Arial", 13.5, 0);
    EXPECT_FALSE(font->hasPlatformFont());
    EXPECT_TRUE(backend->calls.empty());
    PlatformFont* platformFont = font->getPlatformFont();
    ASSERT_NE(platformFont, nullptr);
    EXPECT_EQ(font->getPlatformFont(), platformFont);
    EXPECT_EQ(backend->calls, (Calls{
                                  "createFontFamily(\"Arial\") -> family1",
                                  "createFont(family1, 13.5, 0, 2) -> font1",
                                  "deleteFontFamily(family1)",
                              }));
    backend->clearLog();
    font->release();
    EXPECT_EQ(backend->calls, (Calls{"deleteFont(font1)"}));
}

TEST(FontDesc, OnePlatformStyleByPriority) {
    ScopedRecordingBackend backend;
    const std::vector<std::pair<std::int32_t, std::string>> cases = {
        {0, "0"},
        {kFontBold, "1"},
        {kFontItalic, "2"},
        {kFontBold | kFontItalic, "2"},
        {kFontUnderline, "4"},
        {kFontBold | kFontUnderline, "4"},
        {7, "4"},
    };
    for (const auto& [style, expected] : cases) {
        backend->clearLog();
        CFontDesc font("Arial", 10, style);
        font.getPlatformFont();
        const Calls created = backend->callsOf("createFont");
        ASSERT_EQ(created.size(), 1u);
        EXPECT_NE(created[0].find(", 10, " + expected + ", 2)"), std::string::npos)
            << "style " << style << ": " << created[0];
    }
}

TEST(FontDesc, SameNameKeepsThePlatformFontSizeOrStyleDropsIt) {
    ScopedRecordingBackend backend;
    auto* font = new CFontDesc("Arial", 12);
    font->getPlatformFont();
    std::string sameText = "Arial"; // another buffer, same bytes
    font->setName(sameText.c_str());
    EXPECT_TRUE(font->hasPlatformFont());
    font->setSize(12);
    EXPECT_FALSE(font->hasPlatformFont());
    font->getPlatformFont();
    font->setStyle(0);
    EXPECT_FALSE(font->hasPlatformFont());
    font->getPlatformFont();
    font->setName("Symbol");
    EXPECT_FALSE(font->hasPlatformFont());
    EXPECT_STREQ(font->getName(), "Symbol");
    font->setName(nullptr);
    EXPECT_EQ(font->getName(), nullptr);
    EXPECT_EQ(backend->count("deleteFont"), 3u);
    font->release();
    EXPECT_EQ(backend->live["font"], 0);
}

TEST(FontDesc, MissingFamilyStillStoresAPlatformFontWithoutNativeFont) {
    ScopedRecordingBackend backend;
    CFontDesc font("Nowhere Sans", 12);
    PlatformFont* platformFont = font.getPlatformFont();
    ASSERT_NE(platformFont, nullptr);
    EXPECT_EQ(platformFont->handle(), nullptr);
    EXPECT_EQ(backend->count("createFont"), 0u);
    EXPECT_EQ(font.getPlatformFont(), platformFont); // not looked up again
    EXPECT_EQ(backend->count("createFontFamily"), 1u);
}

TEST(FontDesc, CopyAndEquality) {
    ScopedRecordingBackend backend;
    CFontDesc original("Arial", 14, kFontItalic);
    original.getPlatformFont();
    CFontDesc copy(original);
    EXPECT_FALSE(copy.hasPlatformFont());
    EXPECT_EQ(copy.referenceCount(), 1);
    EXPECT_TRUE(copy == original);
    copy.setStyle(kFontBold);
    EXPECT_FALSE(copy == original);
    CFontDesc other("Arial ", 14, kFontItalic);
    EXPECT_FALSE(other == original);
}

TEST(FontDesc, BuiltInDescriptions) {
    const struct {
        CFontDesc* font;
        const char* family;
        double size;
    } builtIns[] = {
        {kDefaultFont, "Arial", 12},  {kFontVeryBig, "Arial", 18}, {kFontBig, "Arial", 14},
        {kFontNormal, "Arial", 12},   {kFontSmall, "Arial", 11},   {kFontSmaller, "Arial", 10},
        {kFontVerySmall, "Arial", 9}, {kFontSymbol, "Symbol", 13},
    };
    for (const auto& b : builtIns) {
        EXPECT_STREQ(b.font->getName(), b.family);
        EXPECT_EQ(b.font->getSize(), b.size);
        EXPECT_EQ(b.font->getStyle(), 0);
        EXPECT_GE(b.font->referenceCount(), 1);
    }
}

TEST(FontDesc, FamilyNamesAreUtf8AndCutToTwoHundredUnits) {
    ScopedRecordingBackend backend;
    // "Ünïcode": decoded as UTF-8, the family lookup gets 7 UTF-16 units.
    backend->installedFamilies.insert(u"\u00DCn\u00EFcode");
    CFontDesc utf8("\xC3\x9Cn\xC3\xAF"
                   "code",
                   12);
    EXPECT_NE(utf8.getPlatformFont()->handle(), nullptr);

    const std::string longName(450, 'x');
    backend->installedFamilies.insert(std::u16string(200, u'x'));
    CFontDesc longFont(longName.c_str(), 12);
    EXPECT_NE(longFont.getPlatformFont()->handle(), nullptr);
}

TEST(TextConversion, BoundedConversionAlwaysTerminatesAndKeepsPairsWhole) {
    char16_t buffer[6];
    for (char16_t& unit : buffer)
        unit = u'#';
    EXPECT_EQ(utf8ToUtf16Bounded("abcdefgh", buffer, 4), 3u);
    EXPECT_EQ(std::u16string(buffer), u"abc");
    EXPECT_EQ(buffer[4], u'#'); // nothing written past the capacity
    // U+1F600 is a surrogate pair; with room for 3 units it would be split after "a".
    EXPECT_EQ(utf8ToUtf16Bounded("ab\xF0\x9F\x98\x80", buffer, 4), 2u);
    EXPECT_EQ(std::u16string(buffer), u"ab");
    EXPECT_EQ(utf8ToUtf16Bounded("", buffer, 1), 0u);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(utf8ToUtf16Bounded("abc", buffer, 0), 0u);
}

TEST(TextConversion, RoundTripsAndReplacesMalformedInput) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    const std::u16string wide = utf8ToUtf16(text);
    EXPECT_EQ(wide, u"a\u00E9\u20AC\U0001F600");
    EXPECT_EQ(utf16ToUtf8(wide), text);
    EXPECT_EQ(utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(utf8ToUtf16("\xE2\x82"), u"\uFFFD\uFFFD");                  // cut sequence
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");                  // overlong
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD"); // lone surrogate
}

} // namespace
} // namespace VSTGUI::test
