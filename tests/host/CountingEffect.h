// SPDX-License-Identifier: MIT
// An effect for in-process tests of the shell: one trim-like slider, and counters of the hooks
// the shell and the runtime run.
#pragma once

#include "runtime/TTarvo.h"

class TCountingEffect final : public TTarvo {
public:
    static inline int destroyed = 0;

    TCountingEffect() {
        m_effectName = "counting";
        m_channelCount = 2;
        SliderRecord slider;
        slider.sliderNumber = 1;
        slider.name = "level";
        slider.minimum = -12.0;
        slider.maximum = 12.0;
        slider.step = 0.1;
        slider.mirror = &mirror;
        AddSlider(std::move(slider));
    }
    ~TCountingEffect() override { ++destroyed; }

    void OnSliderChange() override { ++sliderChanges; }
    void OnInit() override { ++inits; }
    void OnBlock() override { ++blocks; }
    void OnSample() override { ++samples; }
    void OnSerialize() override { FileVar(kSerializeSlot, SliderValue(1)); }

    int sliderChanges = 0;
    int inits = 0;
    int blocks = 0;
    int samples = 0;
    double mirror = 0.0;
};
