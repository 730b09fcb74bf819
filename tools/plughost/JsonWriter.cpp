// SPDX-License-Identifier: MIT
#include "JsonWriter.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace plughost {

std::string jsonString(const std::string& text) {
    std::string quoted(1, '"');
    for (const char c : text) {
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
            if (static_cast<unsigned char>(c) < 0x20) {
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

void JsonWriter::beforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.empty()) {
        if (!m_first.back()) m_text += ",";
        m_first.back() = false;
        m_text += '\n';
        m_text.append(2 * m_first.size(), ' ');
    }
}

void JsonWriter::open(char bracket) {
    beforeValue();
    m_text += bracket;
    m_first.push_back(true);
}

void JsonWriter::close(char bracket) {
    const bool empty = m_first.back();
    m_first.pop_back();
    if (!empty) {
        m_text += '\n';
        m_text.append(2 * m_first.size(), ' ');
    }
    m_text += bracket;
}

JsonWriter& JsonWriter::beginObject() {
    open('{');
    return *this;
}
JsonWriter& JsonWriter::endObject() {
    close('}');
    return *this;
}
JsonWriter& JsonWriter::beginArray() {
    open('[');
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

std::string JsonWriter::text() const {
    std::string text = m_text;
    if (m_first.empty()) text += '\n';
    return text;
}

} // namespace plughost
