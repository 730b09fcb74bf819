// SPDX-License-Identifier: MIT
// `plughost editor` on a display of its own: the window takes the size an editor gives only
// once it is open, and follows an editor that asks for another size, picture included; and
// validate's editor check.
#include "PlughostRunner.h"

#include <gtest/gtest.h>

namespace plughost::testing {
namespace {

// Width and height from a PNG file's header, 0 x 0 when it is none.
std::pair<int, int> pictureSize(const std::string& path) {
    const std::vector<unsigned char> bytes = readBytes(path);
    if (bytes.size() < 24 || bytes[1] != 'P' || bytes[2] != 'N' || bytes[3] != 'G') return {0, 0};
    const auto number = [&](std::size_t at) {
        return bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
    };
    return {number(16), number(20)};
}

TEST(Editor, WindowFollowsTheEditorsSize) {
    struct Case {
        const char* mode;
        std::pair<int, int> size;
    };
    for (const Case& test : {Case{"late", {320, 200}}, Case{"resize", {300, 150}}}) {
        ScratchFolder folder;
        const std::string picture = folder.path("editor.png");
        runPlughostOk({"editor", SIZING_EDITOR_PLUGIN, "--seconds", "0.3", "--screenshot", picture},
                      std::string("PLUGHOST_SIZING_EDITOR=") + test.mode);
        EXPECT_EQ(pictureSize(picture), test.size) << test.mode;
    }
}

// validate's editor check: an editor that gives neither a size nor a window fails (hosts show
// an empty window), one that gives a size but no window is a warning.
TEST(Editor, ValidateFailsAnEditorWithNeitherSizeNorWindow) {
    for (const auto& [fault, line] : {std::pair{"EditorWithoutSize", "FAIL     editor"},
                                      std::pair{"EditorWithoutWindow", "warning  editor"}}) {
        const RunResult run =
            runPlughost({"validate", BROKEN_PLUGIN, "--only", "editor", "--level", "9"},
                        std::string("PLUGHOST_BROKEN_FAULT=") + fault);
        EXPECT_TRUE(contains(run.out, line)) << run.out;
        EXPECT_EQ(contains(run.out, "gives neither a size nor a window"),
                  std::string(fault) == "EditorWithoutSize")
            << run.out;
    }
}

} // namespace
} // namespace plughost::testing
