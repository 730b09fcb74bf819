// SPDX-License-Identifier: MIT
// Slider values, addressed by slider number, and the first hook.
#pragma once

#include "CTarvoVeST.h"

#include <array>
#include <cstdint>

class CTarvoSliders : public CTarvoVeST {
public:
    static constexpr std::int32_t kSliderCount = 128;

    CTarvoSliders(const CTarvoSliders&) = delete;
    CTarvoSliders& operator=(const CTarvoSliders&) = delete;

    static constexpr bool IsSliderNumber(std::int32_t number) noexcept {
        return number >= 0 && number < kSliderCount;
    }

    // Slider value `number`; callers pass a checked number (records only hold valid ones).
    double& SliderValue(std::int32_t number) noexcept { return m_sliderValues[number]; }
    double SliderValue(std::int32_t number) const noexcept { return m_sliderValues[number]; }

    // Runs after a slider value changed: a host parameter change that altered a value, the
    // init step of a resume, a state load.
    virtual void OnSliderChange() {}

protected:
    CTarvoSliders() = default;
    ~CTarvoSliders() = default;

private:
    std::array<double, kSliderCount> m_sliderValues{};
};
