// SPDX-License-Identifier: MIT
// plughost's state-file reader on arbitrary bytes: it either throws Failure or answers a state
// that encodes back to a file it reads as the same state.
#include "core/Failure.h"
#include "core/StateFile.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<unsigned char> bytes(data, data + size);
    plughost::PluginState state;
    try {
        state = plughost::decodeState(bytes, "fuzz.state");
    } catch (const plughost::Failure&) {
        return 0;
    }
    const plughost::PluginState again =
        plughost::decodeState(plughost::encodeState(state), "fuzz.state");
    if (!(again.identity == state.identity) || again.chunk != state.chunk) {
        std::fprintf(stderr, "fuzz: a decoded state does not survive encoding\n");
        std::abort();
    }
    return 0;
}
