// SPDX-License-Identifier: MIT
#include "TestHost.h"
#include "TestRuntime.h"
#include "runtime/DataPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>

namespace fs = std::filesystem;

namespace {

SliderRecord numeric(std::int32_t number, double minimum, double maximum, double step) {
    SliderRecord record;
    record.sliderNumber = number;
    record.minimum = minimum;
    record.maximum = maximum;
    record.step = step;
    return record;
}

void touch(const fs::path& file) {
    std::ofstream(file) << "x";
}

// A data folder next to the test program, removed again at the end of the test.
struct DataFolder {
    explicit DataFolder(const std::string& name)
        : relative(name + "/"), path(testhost::executableFolder() + name) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~DataFolder() { fs::remove_all(path); }
    std::string relative;
    fs::path path;
};

} // namespace

TEST(Sliders, AddSliderStoresDefaultsAndRefusesBadNumbers) {
    TTestRuntime runtime;
    SliderRecord first = numeric(0, -1.0, 1.0, 0.1);
    first.defaultValue = 0.5;
    EXPECT_TRUE(runtime.AddSlider(first));
    SliderRecord last = numeric(127, 0.0, 10.0, 1.0);
    last.defaultValue = 3.0;
    EXPECT_TRUE(runtime.AddSlider(last));
    EXPECT_FALSE(runtime.AddSlider(numeric(128, 0.0, 1.0, 0.1)));
    EXPECT_FALSE(runtime.AddSlider(numeric(-1, 0.0, 1.0, 0.1)));
    EXPECT_EQ(runtime.SliderRecordCount(), 2);
    EXPECT_EQ(runtime.SliderValue(0), 0.5);
    EXPECT_EQ(runtime.SliderValue(127), 3.0);
    EXPECT_TRUE(runtime.SliderRecordAt(1)->optionsLoaded);
    EXPECT_EQ(runtime.SliderRecordAt(2), nullptr);
    EXPECT_EQ(runtime.SliderRecordAt(-1), nullptr);
}

TEST(Sliders, SettingSnapsToStepsCountedFromZero) {
    TTestRuntime runtime;
    runtime.AddSlider(numeric(1, -12.0, 12.0, 0.1));
    SliderRecord offset = numeric(2, 0.25, 10.25, 1.0);
    offset.defaultValue = 5.0;
    runtime.AddSlider(offset);
    runtime.AddSlider(numeric(3, 0.0, 10.0, 1.0));

    runtime.SetParameterValue(0, 0.75);
    EXPECT_EQ(runtime.SliderValue(1), 6.0);
    runtime.SetParameterValue(0, 0.0);
    EXPECT_EQ(runtime.SliderValue(1), -12.0);
    runtime.SetParameterValue(0, 1.0);
    EXPECT_EQ(runtime.SliderValue(1), 12.0);
    // The grid starts at 0, not at the minimum: 0.25 lands on 0.
    runtime.SetParameterValue(1, 0.0);
    EXPECT_EQ(runtime.SliderValue(2), 0.0);
    EXPECT_EQ(runtime.ParameterValue(1), -0.025);
    // Exactly halfway goes up.
    runtime.SetParameterValue(2, 0.25);
    EXPECT_EQ(runtime.SliderValue(3), 3.0);
    EXPECT_EQ(runtime.sliderChanges, 5);
    runtime.SetParameterValue(2, 0.26);
    EXPECT_EQ(runtime.sliderChanges, 5);
}

TEST(Sliders, DegenerateRangesAndStepsNeverDivideByZero) {
    TTestRuntime runtime;
    runtime.AddSlider(numeric(1, 5.0, 5.0, 0.1));
    runtime.AddSlider(numeric(2, -12.0, 12.0, 0.0));
    SliderRecord options = numeric(3, 2.0, 2.0, 1.0);
    options.optionTexts = {"only", "other"};
    runtime.AddSlider(options);

    EXPECT_EQ(runtime.ParameterValue(0), 0.0);
    runtime.SetParameterValue(0, 0.7);
    EXPECT_EQ(runtime.SliderValue(1), 5.0);
    EXPECT_EQ(runtime.ParameterDisplay(0), "5.00");

    runtime.SetParameterValue(1, 0.3); // no step: stored as computed
    EXPECT_DOUBLE_EQ(runtime.SliderValue(2), -12.0 + 0.3 * 24.0);
    EXPECT_EQ(runtime.ParameterDisplay(1), "-4.80");

    EXPECT_EQ(runtime.ParameterValue(2), 0.0);
    EXPECT_EQ(runtime.ParameterDisplay(2), "only");
}

TEST(Sliders, OptionSlidersShowTheSelectedText) {
    TTestRuntime runtime;
    SliderRecord options = numeric(4, 0.0, 2.0, 1.0);
    options.optionTexts = {"low", "mid", "high"};
    runtime.AddSlider(options);
    const std::pair<double, const char*> cases[] = {
        {0.0, "low"},    {0.99, "low"},
        {1.0, "mid"},    {1.99, "mid"},
        {2.0, "high"},   {5.0, "high"},
        {-1.0, "low"},   {std::numeric_limits<double>::quiet_NaN(), "low"},
        {1e300, "high"}, {-1e300, "low"}};
    for (const auto& [value, text] : cases) {
        runtime.SliderValue(4) = value;
        EXPECT_EQ(runtime.ParameterDisplay(0), text) << value;
    }
}

TEST(Sliders, NumericDisplayHasTwoDecimals) {
    TTestRuntime runtime;
    runtime.AddSlider(numeric(1, -12.0, 12.0, 0.1));
    const std::pair<double, const char*> cases[] = {{-3.5, "-3.50"},   {0.0, "0.00"},
                                                    {-12.0, "-12.00"}, {0.125, "0.12"},
                                                    {2.675, "2.67"},   {1234567.891, "1234567.89"},
                                                    {0.005, "0.01"}};
    for (const auto& [value, text] : cases) {
        runtime.SliderValue(1) = value;
        EXPECT_EQ(runtime.ParameterDisplay(0), text) << value;
    }
    // The longest values still format completely (the host copy cuts them later).
    runtime.SliderValue(1) = -1e300;
    const std::string huge = runtime.ParameterDisplay(0);
    EXPECT_EQ(huge.size(), 305u);
    EXPECT_EQ(huge.substr(0, 3), "-10");
    EXPECT_EQ(huge.substr(huge.size() - 3), ".00");
}

TEST(FileSliders, ListRegularFilesOfTheDataFolder) {
    DataFolder data("rt_slider_data");
    touch(data.path / "a.txt");
    touch(data.path / "b.txt");
    touch(data.path / "c.txt");
    touch(data.path / ".hidden");
    fs::create_directories(data.path / "folder");

    TTestRuntime runtime;
    SliderRecord slider = numeric(7, -5.0, 5.0, 0.1);
    slider.folder = data.relative;
    slider.defaultValue = 1.0;
    ASSERT_TRUE(runtime.AddSlider(slider));
    const SliderRecord& record = *runtime.SliderRecordAt(0);
    std::vector<std::string> names = record.optionTexts;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(record.minimum, 0.0);
    EXPECT_EQ(record.maximum, 2.0);
    EXPECT_EQ(record.step, 0.5);
    EXPECT_EQ(record.defaultValue, 0.0);
    // The value array keeps the default stored before the post-processing.
    EXPECT_EQ(runtime.SliderValue(7), 1.0);

    runtime.SliderValue(7) = 1.5;
    EXPECT_EQ(runtime.ParameterDisplay(0), record.optionTexts[1]);
    runtime.SetParameterValue(0, 1.0);
    EXPECT_EQ(runtime.ParameterDisplay(0), record.optionTexts[2]);

    // A leading separator of the folder text is dropped.
    TTestRuntime again;
    SliderRecord lead = numeric(1, 0.0, 1.0, 0.1);
    lead.folder = "/" + data.relative;
    again.AddSlider(lead);
    EXPECT_EQ(again.SliderRecordAt(0)->optionTexts.size(), 3u);
}

TEST(FileSliders, WithoutFilesThereIsOneOption) {
    TTestRuntime runtime;
    SliderRecord missing = numeric(1, 0.0, 1.0, 0.1);
    missing.folder = "rt_no_such_folder/";
    runtime.AddSlider(missing);
    const SliderRecord& record = *runtime.SliderRecordAt(0);
    EXPECT_EQ(record.optionTexts, (std::vector<std::string>{"(No Data Files)"}));
    EXPECT_EQ(record.minimum, 0.0);
    EXPECT_EQ(record.maximum, 0.0);
    EXPECT_EQ(runtime.ParameterDisplay(0), "(No Data Files)");

    DataFolder empty("rt_empty_data");
    fs::create_directories(empty.path / "only_a_folder");
    SliderRecord none = numeric(2, 0.0, 1.0, 0.1);
    none.folder = empty.relative;
    runtime.AddSlider(none);
    EXPECT_EQ(runtime.SliderRecordAt(1)->optionTexts.size(), 1u);
}

TEST(FileSliders, FolderWithoutSeparatorRunsTheNamesTogether) {
    DataFolder data("rt_joined");
    touch(data.path / "a.txt");
    SliderRecord record;
    ListDataFiles(data.path.string(), record);
    EXPECT_TRUE(record.optionTexts.empty());
    // Only a file named folder + entry makes the entry count.
    touch(data.path.string() + "a.txt");
    ListDataFiles(data.path.string(), record);
    EXPECT_EQ(record.optionTexts, (std::vector<std::string>{"a.txt"}));
    fs::remove(data.path.string() + "a.txt");

    SliderRecord listed;
    ListDataFiles(data.path.string() + "/", listed);
    EXPECT_EQ(listed.optionTexts, (std::vector<std::string>{"a.txt"}));
    SliderRecord nothing;
    ListDataFiles(data.path.string() + "/missing/", nothing);
    EXPECT_TRUE(nothing.optionTexts.empty());
}
