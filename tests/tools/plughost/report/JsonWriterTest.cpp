// SPDX-License-Identifier: MIT
// The JSON writer on its own.
#include "report/JsonWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace plughost {
namespace {

TEST(JsonWriter, NestsEscapesAndWritesNullForWhatJsonCannotHold) {
    JsonWriter json;
    json.beginObject();
    json.key("name").value("a \"quoted\"\\ name\n\x01");
    json.key("list").beginArray().value(1).value(0.25).value(true).null().endArray();
    json.key("empty").beginObject().endObject();
    json.key("level").value(-std::numeric_limits<double>::infinity());
    json.key("nan").value(std::nan(""));
    json.endObject();
    EXPECT_EQ(json.text(), "{\n"
                           "  \"name\": \"a \\\"quoted\\\"\\\\ name\\n\\u0001\",\n"
                           "  \"list\": [\n"
                           "    1,\n"
                           "    0.25,\n"
                           "    true,\n"
                           "    null\n"
                           "  ],\n"
                           "  \"empty\": {},\n"
                           "  \"level\": null,\n"
                           "  \"nan\": null\n"
                           "}\n");
}

// Texts are written as valid UTF-8 whatever a plug-in gave: UTF-8 stays as it is, anything
// else is read as Latin-1 ("\xB5s" is "µs" there); carriage returns and DEL are escaped.
TEST(JsonWriter, WritesValidUtf8AndOneLineContainers) {
    for (const auto& [text, written] : {
             std::pair{"10 \xC2\xB5s, 90\xC2\xB0", "\"10 \xC2\xB5s, 90\xC2\xB0\""},
             std::pair{"10 \xB5s, 90\xB0", "\"10 \xC2\xB5s, 90\xC2\xB0\""},
             std::pair{"\xE0\x80\x80 overlong", "\"\xC3\xA0\xC2\x80\xC2\x80 overlong\""},
             std::pair{"\xED\xA0\x80 surrogate", "\"\xC3\xAD\xC2\xA0\xC2\x80 surrogate\""},
             std::pair{"line\r\n\x7F", "\"line\\r\\n\\u007f\""}}) {
        EXPECT_EQ(jsonString(text), written) << text;
        EXPECT_TRUE(isUtf8(jsonString(text))) << text;
    }
    JsonWriter json;
    json.beginArray();
    json.beginObject(JsonWriter::Layout::OneLine);
    json.key("a").value(1).key("b").beginArray().value("x").endArray();
    json.endObject();
    json.raw("{\n  \"c\": 2\n}\n");
    json.endArray();
    EXPECT_EQ(json.text(), "[\n  {\"a\": 1, \"b\": [\"x\"]},\n  {\n    \"c\": 2\n  }\n]\n");
}

} // namespace
} // namespace plughost
