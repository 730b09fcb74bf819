// SPDX-License-Identifier: MIT
// Calls into a loaded plug-in the way the hosts it must survive do. A 32-bit Windows host built
// by another compiler keeps only 4-byte stack alignment, so on 32-bit targets every entry is
// called with the stack pointer 4 bytes off the 16-byte alignment GCC code expects: code in the
// plug-in that relies on an aligned stack (aligned spills of SSE registers) then faults in the
// tests instead of in a user's host. On 64-bit targets the alignment is the ABI's and the call
// is a plain one.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace testhost {

// Copies `bytes` of stacked arguments below a stack pointer 4 bytes off 16-byte alignment and
// calls `entry` (cdecl); the entry's return value (eax, edx or st0) is left as it came. Defined
// in assembly for 32-bit x86 only; the declared type is a placeholder for the caller's cast.
extern "C" void qt_call_off_aligned();

inline constexpr bool kEntriesCalledOffAligned = sizeof(void*) == 4;

template <class Result, class... Args>
Result callEntry(Result (*entry)(Args...), std::type_identity_t<Args>... args) {
    if constexpr (kEntriesCalledOffAligned) {
        static_assert(((sizeof(Args) == 4) && ...), "32-bit entries take 4-byte arguments");
        std::array<std::uint32_t, sizeof...(Args)> stacked{};
        std::size_t slot = 0;
        ((std::memcpy(&stacked[slot++], &args, 4)), ...);
        using Thunk = Result (*)(Result(*)(Args...), const void*, unsigned);
        const auto thunk = reinterpret_cast<Thunk>(&qt_call_off_aligned);
        return thunk(entry, stacked.data(), static_cast<unsigned>(sizeof stacked));
    } else {
        return entry(args...);
    }
}

} // namespace testhost
