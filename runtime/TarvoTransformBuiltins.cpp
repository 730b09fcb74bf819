// SPDX-License-Identifier: MIT
// The transform built-ins over the effect's memory.
#include "CTarvoMemory.h"
#include "TarvoTransformsInternal.h"
#include "TarvoValues.h"

using transform_detail::kMaxLog2Mdct;
using transform_detail::kMinLog2Mdct;

namespace {

// Number of times s halves before it reaches 1.
int halvings(std::int32_t s) {
    int b = 0;
    while (s > 1) {
        s >>= 1;
        ++b;
    }
    return b;
}

} // namespace

void BuiltinFft(CTarvoMemory& memory, double index, double size, double mode) {
    const std::int32_t s = TruncToInt(size);
    const int b = halvings(s);
    if (s <= 1 || b < 4 || b > TransformTables::kMaxLog2Size) return;
    double* data = memory.MemoryRun(TruncToInt(index), std::int64_t{2} << b);
    if (data == nullptr) return;
    fftRun(b, data, TruncToInt(mode));
}

void BuiltinMdct(CTarvoMemory& memory, double index, double size, double inverse) {
    const int b = halvings(TruncToInt(size));
    if (b < kMinLog2Mdct || b > kMaxLog2Mdct) return;
    const std::int32_t n = 1 << b;
    double* data = memory.MemoryRun(TruncToInt(index), n);
    if (data == nullptr) return;
    const MdctSetup* setup = mdctSharedSetup(n);
    if (setup == nullptr) return;
    // Scratch on the caller's stack: every call has its own, so built-ins running on several
    // threads never share it, and no per-thread storage has to outlive an unloaded library.
    double scratch[1 << kMaxLog2Mdct];
    if (TruncToInt(inverse) != 0) {
        mdctInverse(*setup, data, scratch);
        mdctWindow(*setup, scratch, data);
    } else {
        mdctWindow(*setup, data, scratch);
        mdctForward(*setup, scratch, data);
    }
}

void BuiltinComplexMul(CTarvoMemory& memory, double destIndex, double srcIndex, double count) {
    std::int32_t n = TruncToInt(count);
    n -= n % 2;
    if (n <= 0) return;
    double* dest = memory.MemoryRun(TruncToInt(destIndex), std::int64_t{2} * n);
    if (dest == nullptr) return;
    const double* src = memory.MemoryRun(TruncToInt(srcIndex), std::int64_t{2} * n);
    if (src == nullptr) return;
    complexMulInPlace(dest, src, n);
}
