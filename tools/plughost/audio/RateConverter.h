// SPDX-License-Identifier: MIT
// The sample-rate converter plughost uses, from a library: libsoxr where the build found it
// (RateConverterSoxr.cpp), else none (RateConverterNone.cpp), chosen by CMake. Resampler
// (Resampler.h) builds the stream with an exact length on top of it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace plughost {

class RateConverter {
public:
    virtual ~RateConverter() = default;
    // Takes up to inFrames interleaved frames from in (used tells how many it took) and writes
    // up to outFrames converted frames to out; answers how many it wrote. in == nullptr: the
    // input has ended, give the frames the converter still holds (0 once it holds none).
    // The converted stream starts at the input's first frame: the converter's own filter
    // delay is taken out. Throws Failure.
    virtual std::size_t convert(const double* in, std::size_t inFrames, std::size_t& used,
                                double* out, std::size_t outFrames) = 0;
};

// What a build without a converter says when asked to resample.
inline constexpr const char* kNoRateConverter =
    "--resample: this plughost was built without a resampler (libsoxr, Debian package "
    "libsoxr-dev); convert the file to the rate first";

// Whether this build has a converter.
bool haveRateConverter();
// The library and setting, for messages and reports ("libsoxr 0.1.3, very high quality
// (28-bit precision, linear phase)"); empty when the build has none.
std::string rateConverterName();
// A converter from fromRate to toRate for channels interleaved channels. Throws Failure when the
// build has none or the library refuses.
std::unique_ptr<RateConverter> makeRateConverter(int fromRate, int toRate, int channels);

} // namespace plughost
