// SPDX-License-Identifier: MIT
#include "CTarvoStrings.h"

const std::string* CTarvoStrings::FindString(std::int32_t number) const {
    const auto found = m_strings.find(number);
    return found != m_strings.end() ? &found->second : nullptr;
}
