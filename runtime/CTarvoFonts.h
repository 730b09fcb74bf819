// SPDX-License-Identifier: MIT
// Font records that the effect's drawing selects by number.
#pragma once

#include "CTarvoFiles.h"

struct FontRecord {
    std::string name;
    double size = 0.0;
    std::int32_t style = 0;
};

class CTarvoFonts : public CTarvoFiles {
public:
    // Font record `number`, created (empty name, size 0.0, style 0) when missing.
    FontRecord& FontAt(std::int32_t number) { return m_fonts[number]; }
    std::size_t FontCount() const noexcept { return m_fonts.size(); }

    // The drawing pass's unscaled font size.
    double FontBaseSize() const noexcept { return m_fontBaseSize; }
    void SetFontBaseSize(double size) noexcept { m_fontBaseSize = size; }

protected:
    CTarvoFonts() = default;
    ~CTarvoFonts() = default;

private:
    std::map<std::int32_t, FontRecord> m_fonts;
    double m_fontBaseSize = 0.0;
};
