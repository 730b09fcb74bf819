// SPDX-License-Identifier: MIT
// The host side shared by the fuzz targets: the trimmer created in the same process (its code
// is linked in, so the fuzzer sees its coverage), a host callback that answers like a host,
// and checks whose failure is reported to the fuzzer as a crash.
#pragma once

#include "host/VstInterface.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzzhost {

// A new, opened and resumed instance of the trimmer at 44.1 kHz with blocks of up to
// maxBlock frames.
AEffect* createOpened(VstInt32 maxBlock = 4096);
VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f);
// Suspends and closes; the record is gone afterwards.
void close(AEffect* effect);

// The state chunk copied out.
std::vector<unsigned char> chunk(AEffect* effect);

// Ends the run as a crash, with the reason on standard error.
[[noreturn]] void fault(const char* reason);

} // namespace fuzzhost
