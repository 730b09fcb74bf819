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

} // namespace
} // namespace plughost
