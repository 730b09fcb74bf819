// SPDX-License-Identifier: MIT
// Every text handed to the host goes through one bounded copy.
#pragma once

#include "VstInterface.h"

#include <cstddef>
#include <string_view>

// Copies `text` into the host's buffer `out` of `capacity` bytes, cut so that the terminating
// zero always fits: at most capacity - 1 characters and the zero are written, nothing past
// them. A null buffer or a capacity of 0 writes nothing.
void copyHostText(char* out, std::string_view text,
                  std::size_t capacity = kVstMaxHostTextLength) noexcept;
