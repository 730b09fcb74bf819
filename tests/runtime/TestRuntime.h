// SPDX-License-Identifier: MIT
// A bare runtime object for tests of the runtime layers, counting the hooks it runs.
#pragma once

#include "runtime/TTarvo.h"

class TTestRuntime final : public TTarvo {
public:
    void OnInit() override { ++inits; }
    void OnSliderChange() override { ++sliderChanges; }
    void OnSerialize() override {
        for (double* variable : serialized)
            FileVar(kSerializeSlot, *variable);
    }

    int inits = 0;
    int sliderChanges = 0;
    std::vector<double*> serialized;
};
