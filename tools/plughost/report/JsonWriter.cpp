// SPDX-License-Identifier: MIT
#include "JsonWriter.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace plughost {
namespace {

// The length of the UTF-8 sequence at text[at], or 0 when none starts there.
std::size_t sequenceLength(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF; // the range of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;  // no overlong forms
        if (lead == 0xED) high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

// Each byte as the Latin-1 character it stands for, in UTF-8.
std::string fromLatin1(const std::string& text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

} // namespace

bool isUtf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceLength(text, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string jsonString(const std::string& text) {
    const std::string utf8 = isUtf8(text) ? text : fromLatin1(text);
    std::string quoted(1, '"');
    for (const char c : utf8) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
                quoted += escape;
            } else {
                quoted += c;
            }
        }
    }
    quoted += '"';
    return quoted;
}

void JsonWriter::newLine() {
    m_text += '\n';
    m_text.append(2 * m_levels.size(), ' ');
}

void JsonWriter::beforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_levels.empty()) return;
    Level& level = m_levels.back();
    if (!level.first) m_text += level.oneLine ? ", " : ",";
    if (!level.oneLine) newLine();
    level.first = false;
}

void JsonWriter::open(char bracket, Layout layout) {
    beforeValue();
    m_text += bracket;
    const bool inOneLine = !m_levels.empty() && m_levels.back().oneLine;
    m_levels.push_back({true, inOneLine || layout == Layout::OneLine});
}

void JsonWriter::close(char bracket) {
    const Level level = m_levels.back();
    m_levels.pop_back();
    if (!level.first && !level.oneLine) newLine();
    m_text += bracket;
}

JsonWriter& JsonWriter::beginObject(Layout layout) {
    open('{', layout);
    return *this;
}
JsonWriter& JsonWriter::endObject() {
    close('}');
    return *this;
}
JsonWriter& JsonWriter::beginArray(Layout layout) {
    open('[', layout);
    return *this;
}
JsonWriter& JsonWriter::endArray() {
    close(']');
    return *this;
}

JsonWriter& JsonWriter::key(const std::string& name) {
    beforeValue();
    m_text += jsonString(name);
    m_text += ": ";
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::value(const std::string& text) {
    beforeValue();
    m_text += jsonString(text);
    return *this;
}

JsonWriter& JsonWriter::value(double number) {
    if (!std::isfinite(number)) return null();
    beforeValue();
    // The shortest text that reads back as the same number.
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, number);
    m_text.append(text, error == std::errc() ? end : text);
    return *this;
}

JsonWriter& JsonWriter::value(std::int64_t number) {
    beforeValue();
    m_text += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    beforeValue();
    m_text += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    beforeValue();
    m_text += "null";
    return *this;
}

JsonWriter& JsonWriter::raw(const std::string& json) {
    beforeValue();
    std::string body = json;
    while (!body.empty() && (body.back() == '\n' || body.back() == ' '))
        body.pop_back();
    const std::string indent(2 * m_levels.size(), ' ');
    for (const char c : body) {
        m_text += c;
        if (c == '\n') m_text += indent;
    }
    return *this;
}

std::string JsonWriter::text() const {
    std::string text = m_text;
    if (m_levels.empty()) text += '\n';
    return text;
}

} // namespace plughost
