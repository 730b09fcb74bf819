// SPDX-License-Identifier: MIT
#include "CTarvoDescription.h"

#include "DataPaths.h"
#include "TarvoValues.h"

#include <charconv>
#include <cmath>

namespace {
const std::string kEmptyText;
} // namespace

std::string FormatTwoDecimals(double value) {
    // Room for the longest fixed-point double: 309 integer digits, sign, point, two decimals.
    char text[330];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    if (result.ec != std::errc()) return std::string();
    return std::string(text, result.ptr);
}

bool CTarvoDescription::AddSlider(SliderRecord record) {
    if (!IsSliderNumber(record.sliderNumber)) return false;
    SliderValue(record.sliderNumber) = Sanitize(record.defaultValue);
    m_sliderRecords.push_back(std::move(record));

    SliderRecord& added = m_sliderRecords.back();
    if (added.optionsLoaded) return true;
    added.optionsLoaded = true;
    if (added.folder.empty()) return true;

    ListDataFiles(DataPath(added.folder), added);
    if (added.optionTexts.empty()) added.optionTexts.emplace_back(kNoDataFilesOption);
    added.minimum = 0.0;
    added.maximum = static_cast<double>(added.optionTexts.size() - 1);
    added.defaultValue = 0.0;
    // Half a step, so that a host value lands on the nearest option.
    added.step = 0.5;
    return true;
}

const SliderRecord* CTarvoDescription::SliderRecordAt(std::int32_t p) const noexcept {
    if (p < 0 || p >= SliderRecordCount()) return nullptr;
    return &m_sliderRecords[static_cast<std::size_t>(p)];
}

double CTarvoDescription::ParameterValue(std::int32_t p) const noexcept {
    const SliderRecord* record = SliderRecordAt(p);
    if (record == nullptr) return 0.0;
    const double range = record->maximum - record->minimum;
    if (range == 0.0) return 0.0;
    return (SliderValue(record->sliderNumber) - record->minimum) / range;
}

void CTarvoDescription::SetParameterValue(std::int32_t p, double x) {
    const SliderRecord* record = SliderRecordAt(p);
    if (record == nullptr) return;
    const double range = record->maximum - record->minimum;
    const double raw = record->minimum + x * range;
    double snapped = raw;
    // Without a step or a range there is no grid: the value is stored as computed.
    if (record->step != 0.0 && range != 0.0) {
        const double quotient = (raw + record->step * 0.5) / record->step;
        snapped = record->step * std::floor(quotient);
    }
    double& value = SliderValue(record->sliderNumber);
    if (ValuesEqual(snapped, value)) return;
    value = Sanitize(snapped);
    if (record->mirror != nullptr) *record->mirror = value;
    OnSliderChange();
}

std::string CTarvoDescription::ParameterDisplay(std::int32_t p) const {
    const SliderRecord* record = SliderRecordAt(p);
    if (record == nullptr) return std::string();
    const double value = SliderValue(record->sliderNumber);
    const std::size_t count = record->optionTexts.size();
    if (count == 0) return FormatTwoDecimals(value);

    const double range = record->maximum - record->minimum;
    double position = 0.0;
    if (range != 0.0) position = (value - record->minimum) * static_cast<double>(count - 1) / range;
    std::size_t index = 0;
    // Compared as doubles first: NaN and out-of-range positions never reach the conversion.
    if (position >= static_cast<double>(count - 1))
        index = count - 1;
    else if (position >= 1.0)
        index = static_cast<std::size_t>(position);
    return record->optionTexts[index];
}

const std::string& CTarvoDescription::ParameterName(std::int32_t p) const noexcept {
    const SliderRecord* record = SliderRecordAt(p);
    return record != nullptr ? record->name : kEmptyText;
}

const std::string& CTarvoDescription::ParameterLabel(std::int32_t p) const noexcept {
    const SliderRecord* record = SliderRecordAt(p);
    return record != nullptr ? record->label : kEmptyText;
}
