// SPDX-License-Identifier: MIT
// Test plug-in: an effect with one file slider over the data folder "fileslider_data/" next
// to the library, which on close writes the values 1, 2, 255, 256 and -1 to the data file
// "fileslider_out.dat" (one byte each) next to the library.
#include "host/PluginExport.h"
#include "runtime/TTarvo.h"

class TFileSliderEffect final : public TTarvo {
public:
    TFileSliderEffect() {
        m_effectName = "file slider test";
        m_channelCount = 2;
        SliderRecord slider;
        slider.sliderNumber = 1;
        slider.name = "data file";
        slider.folder = "fileslider_data/";
        AddSlider(std::move(slider));
    }

    void OnClose() override {
        const std::int32_t slot = OpenFileForWriting("fileslider_out.dat");
        for (double value : {1.0, 2.0, 255.0, 256.0, -1.0})
            FileVar(slot, value);
        CloseFile(slot);
    }
};

QT_PLUGIN_ENTRY_POINTS(TFileSliderEffect)
