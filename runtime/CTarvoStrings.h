// SPDX-License-Identifier: MIT
// The string table: texts addressed by number, with the count of entries as a script value.
#pragma once

#include "CTarvoDescription.h"

#include <map>

class CTarvoStrings : public CTarvoDescription {
public:
    // Text `number`, created empty when missing.
    std::string& StringAt(std::int32_t number) { return m_strings[number]; }
    // Text `number`, or null when missing.
    const std::string* FindString(std::int32_t number) const;

    // The count is the number of entries as of the last update.
    double StringCount() const noexcept { return m_stringCount; }
    void UpdateStringCount() noexcept { m_stringCount = static_cast<double>(m_strings.size()); }

    // Empties the table and sets the count to 0.0.
    void ClearStrings() noexcept {
        m_strings.clear();
        m_stringCount = 0.0;
    }

protected:
    CTarvoStrings() = default;
    ~CTarvoStrings() = default;

private:
    std::map<std::int32_t, std::string> m_strings;
    double m_stringCount = 0.0;
};
