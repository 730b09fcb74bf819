// SPDX-License-Identifier: MIT
// A small writer of JSON text for plughost's machine-readable reports: objects and arrays
// nested in order, keys and values escaped, numbers that JSON cannot hold (infinities, NaN)
// written as null.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plughost {

class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
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

    // The text so far, with a final newline once every object and array is closed.
    std::string text() const;

private:
    void beforeValue();
    void open(char bracket);
    void close(char bracket);

    std::string m_text;
    std::vector<bool> m_first; // per open object or array: nothing written in it yet
    bool m_afterKey = false;
};

// text in quotes with JSON's escapes.
std::string jsonString(const std::string& text);

} // namespace plughost
