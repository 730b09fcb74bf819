// SPDX-License-Identifier: MIT
// The current sample frame, one double per channel, and the audio hooks.
#pragma once

#include "CTarvoSliders.h"

class CTarvoSamples : public CTarvoSliders {
public:
    static constexpr std::int32_t kSamplePlaces = 64;

    // Channel c's sample of the frame in progress. The audio bridge fills places
    // 0..channels-1 before OnSample and copies them out after it; nothing clears them between
    // frames.
    double* Samples() noexcept { return m_samples; }
    const double* Samples() const noexcept { return m_samples; }

    // Once at the start of every processing call, before the first frame. [audio]
    virtual void OnBlock() {}
    // Once per sample frame. [audio]
    virtual void OnSample() {}

protected:
    CTarvoSamples() = default;
    ~CTarvoSamples() = default;

    double m_samples[kSamplePlaces] = {};
};
