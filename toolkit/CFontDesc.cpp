// SPDX-License-Identifier: MIT
#include "toolkit/CFontDesc.h"

#include "toolkit/TextConversion.h"

#include <cstring>
#include <string_view>

namespace VSTGUI {

namespace draw2d = platform::drawing2d;

namespace {

std::unique_ptr<char[]> copyText(const char* text) {
    if (!text) return nullptr;
    const std::size_t length = std::strlen(text);
    auto copy = std::make_unique<char[]>(length + 1);
    std::memcpy(copy.get(), text, length + 1);
    return copy;
}

// One platform style: underline before italic before bold.
std::int32_t platformStyle(std::int32_t style) {
    if (style & kFontUnderline) return platform::kFontStyleUnderline;
    if (style & kFontItalic) return platform::kFontStyleItalic;
    if (style & kFontBold) return platform::kFontStyleBold;
    return platform::kFontStyleRegular;
}

CFontDesc g_builtInFonts[] = {
    {"Arial", 12}, {"Arial", 18}, {"Arial", 14}, {"Arial", 12},
    {"Arial", 11}, {"Arial", 10}, {"Arial", 9},  {"Symbol", 13},
};

} // namespace

CFontDesc* const kDefaultFont = &g_builtInFonts[0];
CFontDesc* const kFontVeryBig = &g_builtInFonts[1];
CFontDesc* const kFontBig = &g_builtInFonts[2];
CFontDesc* const kFontNormal = &g_builtInFonts[3];
CFontDesc* const kFontSmall = &g_builtInFonts[4];
CFontDesc* const kFontSmaller = &g_builtInFonts[5];
CFontDesc* const kFontVerySmall = &g_builtInFonts[6];
CFontDesc* const kFontSymbol = &g_builtInFonts[7];

PlatformFont::~PlatformFont() {
    if (m_handle) draw2d::deleteFont(m_handle);
}

CFontDesc::CFontDesc(const char* name, double size, std::int32_t style)
    : m_name(copyText(name)), m_size(size), m_style(style) {}

CFontDesc::CFontDesc(const CFontDesc& other)
    : m_name(copyText(other.m_name.get())), m_size(other.m_size), m_style(other.m_style) {}

CFontDesc::~CFontDesc() {
    freePlatformFont();
}

void CFontDesc::setName(const char* name) {
    const char* current = m_name.get();
    if (current == name) return;
    if (current && name && std::strcmp(current, name) == 0) return;
    m_name = copyText(name);
    freePlatformFont();
}

void CFontDesc::setSize(double size) {
    m_size = size;
    freePlatformFont();
}

void CFontDesc::setStyle(std::int32_t style) {
    m_style = style;
    freePlatformFont();
}

bool CFontDesc::operator==(const CFontDesc& other) const {
    const char* a = m_name.get();
    const char* b = other.m_name.get();
    const bool sameName = (a == nullptr && b == nullptr) || (a && b && std::strcmp(a, b) == 0);
    return sameName && m_size == other.m_size && m_style == other.m_style;
}

PlatformFont* CFontDesc::getPlatformFont() {
    if (m_platformFont) return m_platformFont.get();
    char16_t family[kFontFamilyNameCapacity + 1];
    utf8ToUtf16Bounded(m_name ? std::string_view(m_name.get()) : std::string_view(), family,
                       sizeof family / sizeof family[0]);
    platform::FontFamilyHandle familyHandle = nullptr;
    platform::FontHandle font = nullptr;
    if (draw2d::createFontFamily(family, familyHandle) == platform::kOk && familyHandle) {
        if (draw2d::createFont(familyHandle, static_cast<float>(m_size), platformStyle(m_style),
                               platform::kUnitPixel, font) != platform::kOk)
            font = nullptr;
        draw2d::deleteFontFamily(familyHandle);
    }
    m_platformFont = std::make_unique<PlatformFont>(font);
    return m_platformFont.get();
}

void CFontDesc::freePlatformFont() {
    m_platformFont.reset();
}

void CFontDesc::freeBuiltInPlatformFonts() {
    for (auto& font : g_builtInFonts)
        font.freePlatformFont();
}

} // namespace VSTGUI
