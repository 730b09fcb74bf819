// SPDX-License-Identifier: MIT
// A build without a converter library: --resample is refused with one line saying so.
#include "RateConverter.h"
#include "core/Failure.h"

namespace plughost {

bool haveRateConverter() {
    return false;
}

std::string rateConverterName() {
    return {};
}

std::unique_ptr<RateConverter> makeRateConverter(int, int, int) {
    throw Failure(kNoRateConverter);
}

} // namespace plughost
