// SPDX-License-Identifier: MIT
// The converter on libsoxr, at its very high quality recipe: 28-bit precision, linear phase
// (every frequency delayed alike, so an impulse stays symmetric), pass band to 91.3% of the
// lower rate's Nyquist frequency. soxr takes its filter delay out itself and, flushed, ends
// where the input ends; Resampler still holds the stream to its exact length.
#include "RateConverter.h"
#include "core/Failure.h"

#include <soxr.h>

namespace plughost {
namespace {

class SoxrConverter final : public RateConverter {
public:
    SoxrConverter(int fromRate, int toRate, int channels) {
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, SOXR_LINEAR_PHASE);
        const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
        soxr_error_t error = nullptr;
        m_soxr = soxr_create(fromRate, toRate, static_cast<unsigned>(channels), &error, &io,
                             &quality, &runtime);
        if (error != nullptr || m_soxr == nullptr) {
            if (m_soxr != nullptr) soxr_delete(m_soxr);
            throw Failure(std::string("cannot convert ") + std::to_string(fromRate) + " Hz to " +
                          std::to_string(toRate) + " Hz: libsoxr says " + soxr_strerror(error));
        }
    }
    ~SoxrConverter() override { soxr_delete(m_soxr); }
    SoxrConverter(const SoxrConverter&) = delete;
    SoxrConverter& operator=(const SoxrConverter&) = delete;

    std::size_t convert(const double* in, std::size_t inFrames, std::size_t& used, double* out,
                        std::size_t outFrames) override {
        std::size_t done = 0;
        used = 0;
        const soxr_error_t error =
            soxr_process(m_soxr, in, in == nullptr ? 0 : inFrames, in == nullptr ? nullptr : &used,
                         out, outFrames, &done);
        if (error != nullptr)
            throw Failure(std::string("resampling failed: libsoxr says ") + soxr_strerror(error));
        return done;
    }

private:
    soxr_t m_soxr = nullptr;
};

} // namespace

bool haveRateConverter() {
    return true;
}

std::string rateConverterName() {
    std::string version = soxr_version(); // "libsoxr-0.1.3"
    if (version.rfind("libsoxr-", 0) == 0) version = "libsoxr " + version.substr(8);
    return version + ", very high quality (28-bit precision, linear phase)";
}

std::unique_ptr<RateConverter> makeRateConverter(int fromRate, int toRate, int channels) {
    return std::make_unique<SoxrConverter>(fromRate, toRate, channels);
}

} // namespace plughost
