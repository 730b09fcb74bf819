// SPDX-License-Identifier: MIT
#include "HostText.h"

#include <cstring>

void copyHostText(char* out, std::string_view text, std::size_t capacity) noexcept {
    if (out == nullptr || capacity == 0) return;
    const std::size_t length = text.size() < capacity - 1 ? text.size() : capacity - 1;
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}
