// SPDX-License-Identifier: MIT
// Pictures for the Linux back end's tests: read back, loaded from PNG, compared and saved.
#pragma once

#include "toolkit/platform/x11_cairo/X11Backend.h"

#include <cstdint>
#include <string>
#include <vector>

namespace x11_test {

std::string readFile(const char* path);

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb; // straight alpha, row by row
};

Picture pictureOf(VSTGUI::platform::ImageHandle image);
Picture loadPng(const char* path);
// The pixels of [left, right) x [top, bottom).
Picture crop(const Picture& p, int left, int top, int right, int bottom);

struct Comparison {
    int pixels = 0;
    int farOff = 0; // pixels with a channel more than 64 apart
    int largest = 0;
    double meanDifference = 0.0; // over every channel of every pixel
};
Comparison compare(const Picture& a, const Picture& b);

// Writes a, b and their difference (amplified four times) side by side into the test
// pictures folder; answers the file's path, empty on failure.
std::string saveSideBySide(const Picture& a, const Picture& b, const char* name);

} // namespace x11_test
