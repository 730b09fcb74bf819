// SPDX-License-Identifier: MIT
// A font by family name, size in pixels and style. The matching platform font is made the
// first time text is measured or drawn with the description and dropped by any change.
#pragma once

#include "toolkit/CBaseObject.h"
#include "toolkit/platform/Drawing2D.h"

#include <cstdint>
#include <memory>

namespace VSTGUI {

inline constexpr std::int32_t kFontBold = 0x1;
inline constexpr std::int32_t kFontItalic = 0x2;
inline constexpr std::int32_t kFontUnderline = 0x4;

// Family names longer than this many UTF-16 units are cut.
inline constexpr std::size_t kFontFamilyNameCapacity = 200;

// The platform font; its handle is none when the family was not found (text drawn with it
// then measures 0 and does not appear).
class PlatformFont {
public:
    explicit PlatformFont(platform::FontHandle handle) : m_handle(handle) {}
    ~PlatformFont();
    PlatformFont(const PlatformFont&) = delete;
    PlatformFont& operator=(const PlatformFont&) = delete;

    platform::FontHandle handle() const { return m_handle; }
    platform::Status record(platform::Status status) {
        if (status != platform::kOk) m_lastStatus = status;
        return status;
    }
    platform::Status lastStatus() const { return m_lastStatus; }

private:
    platform::FontHandle m_handle;
    platform::Status m_lastStatus = platform::kOk;
};

class CFontDesc : public CBaseObject {
public:
    CFontDesc(const char* name, double size, std::int32_t style = 0);
    // Name, size and style of `other`; no platform font.
    explicit CFontDesc(const CFontDesc& other);
    ~CFontDesc() override;
    CFontDesc& operator=(const CFontDesc&) = delete;

    // The same text (byte comparison) changes nothing; anything else replaces the name and
    // drops the platform font. Null clears the name.
    void setName(const char* name);
    void setSize(double size);
    void setStyle(std::int32_t style);
    const char* getName() const { return m_name.get(); }
    double getSize() const { return m_size; }
    std::int32_t getStyle() const { return m_style; }

    bool operator==(const CFontDesc& other) const;

    // The platform font, made first if there is none.
    PlatformFont* getPlatformFont();
    // True while a platform font exists.
    bool hasPlatformFont() const { return m_platformFont != nullptr; }
    void freePlatformFont();

    // Frees the platform fonts of the eight built-in descriptions (they outlive the 2-D
    // library, which must still be up).
    static void freeBuiltInPlatformFonts();

private:
    std::unique_ptr<char[]> m_name;
    double m_size = 0.0;
    std::int32_t m_style = 0;
    std::unique_ptr<PlatformFont> m_platformFont;
};

// The built-in descriptions, alive for the whole life of the module.
extern CFontDesc* const kDefaultFont;   // "Arial" 12
extern CFontDesc* const kFontVeryBig;   // "Arial" 18
extern CFontDesc* const kFontBig;       // "Arial" 14
extern CFontDesc* const kFontNormal;    // "Arial" 12
extern CFontDesc* const kFontSmall;     // "Arial" 11
extern CFontDesc* const kFontSmaller;   // "Arial" 10
extern CFontDesc* const kFontVerySmall; // "Arial" 9
extern CFontDesc* const kFontSymbol;    // "Symbol" 13

} // namespace VSTGUI
