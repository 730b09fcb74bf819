// SPDX-License-Identifier: MIT
// The effect's description: its identity texts and numbers and one record per slider. Host
// parameter p is described by slider record p; its value lives at the slider number that
// record names. This layer also maps host parameters (normalised 0..1) onto slider values.
#pragma once

#include "CTarvoSamples.h"

#include <string>
#include <vector>

struct SliderRecord {
    std::vector<std::string> optionTexts; // empty for a numeric slider
    bool optionsLoaded = false;           // post-processing done (set by AddSlider)
    std::int32_t sliderNumber = 0;        // index into the slider values, 0..127
    double* mirror = nullptr;             // effect variable that receives host-set values too
    double defaultValue = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
    double step = 0.0;
    std::string folder; // file slider: data folder relative to the library's folder
    std::string label;
    std::string name;
};

// The only option of a file slider whose folder lists no files.
inline constexpr const char* kNoDataFilesOption = "(No Data Files)";

class CTarvoDescription : public CTarvoSamples {
public:
    // Appends a slider and stores its default value. A file slider (non-empty folder) gets the
    // regular files of its folder as options, range 0..count-1 and step 0.5. A record whose
    // slider number lies outside 0..127 is refused (answer false, nothing changes).
    bool AddSlider(SliderRecord record);

    std::int32_t SliderRecordCount() const noexcept {
        return static_cast<std::int32_t>(m_sliderRecords.size());
    }
    // Record of parameter p, or null when p is not a parameter.
    const SliderRecord* SliderRecordAt(std::int32_t p) const noexcept;

    // ---- host parameters ---------------------------------------------------------------------
    // Out-of-range parameters read 0.0, ignore sets and have empty texts.

    // (value - minimum) / (maximum - minimum), not clamped; 0.0 for an empty range.
    double ParameterValue(std::int32_t p) const noexcept;
    // Sets parameter p from normalised x: snapped to multiples of the step (counted from 0,
    // halfway goes up), ignored when within 0.00001 of the current value, otherwise stored
    // (into the mirror too) and followed by OnSliderChange. A zero step or an empty range
    // stores the value as computed. Non-finite results are stored as 0.0 like every other
    // store.
    void SetParameterValue(std::int32_t p, double x);
    // "%.2f" of the value (always with a point), or the selected option text.
    std::string ParameterDisplay(std::int32_t p) const;
    const std::string& ParameterName(std::int32_t p) const noexcept;
    const std::string& ParameterLabel(std::int32_t p) const noexcept;

    // ---- identity ----------------------------------------------------------------------------
    const std::string& EffectName() const noexcept { return m_effectName; }
    const std::string& ProductString() const noexcept { return m_productString; }
    const std::string& VendorString() const noexcept { return m_vendorString; }
    const std::string& ProgramName() const noexcept { return m_programName; }
    std::int32_t VendorVersion() const noexcept { return m_vendorVersion; }
    std::int32_t UniqueId() const noexcept { return m_uniqueId; }
    std::int32_t ChannelCount() const noexcept { return m_channelCount; }

    void SetProgramName(std::string name) { m_programName = std::move(name); }

protected:
    CTarvoDescription() = default;
    ~CTarvoDescription() = default;

    std::vector<SliderRecord> m_sliderRecords;
    std::string m_effectName;
    std::string m_productString;
    std::string m_vendorString;
    std::string m_programName;
    std::int32_t m_vendorVersion = 0;
    std::int32_t m_uniqueId = 0;
    std::int32_t m_channelCount = 0;
};

// Formats a value like "%.2f" in the C locale, whatever locale the host has set.
std::string FormatTwoDecimals(double value);
