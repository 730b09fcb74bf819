// SPDX-License-Identifier: MIT
// The one writer of JSON text for plughost's machine-readable reports: objects and arrays
// nested in order, each value on a line of its own or, for a container opened on one line,
// all of it on one line; numbers that JSON cannot hold (infinities, NaN) written as null.
// The text is always valid UTF-8: a text that is not (a plug-in's name in Latin-1, say) is read
// as Latin-1, and control characters are escaped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plughost {

class JsonWriter {
public:
    enum class Layout { Lines, OneLine };

    JsonWriter& beginObject(Layout layout = Layout::Lines);
    JsonWriter& endObject();
    JsonWriter& beginArray(Layout layout = Layout::Lines);
    JsonWriter& endArray();
    // The key of the next value inside an object.
    JsonWriter& key(const std::string& name);

    JsonWriter& value(const std::string& text);
    JsonWriter& value(const char* text) { return value(std::string(text)); }
    JsonWriter& value(double number);
    JsonWriter& value(std::int64_t number);
    JsonWriter& value(int number) { return value(static_cast<std::int64_t>(number)); }
    JsonWriter& value(bool flag);
    JsonWriter& null();
    // A value written by another JsonWriter (its text), indented to fit here.
    JsonWriter& raw(const std::string& json);

    // The text so far, with a final newline once every object and array is closed.
    std::string text() const;

private:
    struct Level {
        bool first = true;
        bool oneLine = false;
    };
    void beforeValue();
    void open(char bracket, Layout layout);
    void close(char bracket);
    void newLine();

    std::string m_text;
    std::vector<Level> m_levels; // the open objects and arrays
    bool m_afterKey = false;
};

// text in quotes with JSON's escapes, as valid UTF-8 (see above).
std::string jsonString(const std::string& text);

// Whether text is valid UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isUtf8(const std::string& text);

} // namespace plughost
