// SPDX-License-Identifier: MIT
// UTF-8 and UTF-16 conversion for the toolkit's texts. Malformed input never fails: each bad
// byte or lone surrogate becomes U+FFFD, as the platform's own converters do.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace VSTGUI {

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

// Writes at most `capacity - 1` UTF-16 units of `text` into `buffer` and always terminates it
// (never splitting a surrogate pair); answers the number of units written. Capacity 0 writes
// nothing.
std::size_t utf8ToUtf16Bounded(std::string_view text, char16_t* buffer, std::size_t capacity);

} // namespace VSTGUI
