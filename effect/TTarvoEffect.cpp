// SPDX-License-Identifier: MIT
#include "TTarvoEffect.h"

#include "host/HostQueries.h"
#include "runtime/platform/TarvoPlatform.h"

#include <cmath>
#include <string>

namespace {

constexpr const char* kEffectName = "Qualtrevin_multi-channel_level_trimmer_4x_stereo";
constexpr const char* kVendor = "Qualtrevin";
constexpr std::int32_t kVendorVersion = 1000;

// The display-update request is passed on at most once per this many seconds.
constexpr double kDisplayCheckInterval = 0.25;
// Slider values moved by the serialize hook: 1 to this.
constexpr double kSerializedSliders = 64.0;
// Translated loops end after this many rounds whatever their condition says.
constexpr int kMaxLoopRounds = 1000000;

// The drawing section's text size: 13 scaled by 0.85, and that size divided by 0.85 again, as
// the doubles the script's arithmetic gives.
constexpr double kFontSize = 11.049999999999999;
constexpr double kFontBaseSize = 12.999999999999998;
constexpr const char* kFallbackFace = "verdana";

// Truncation toward zero to 64 bits; values beyond that range saturate instead of being
// undefined.
std::int64_t TruncToInt64(double x) noexcept {
    if (x >= 9223372036854775807.0) return INT64_MAX;
    if (x <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<std::int64_t>(x);
}

// A colour component 0..1 as a byte: scaled, converted as script values are, clamped.
std::int32_t ComponentByte(double component) noexcept {
    const std::int32_t value = TruncToInt(component * 255.0);
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

} // namespace

TTarvoEffect::TTarvoEffect() {
    m_effectName = kEffectName;
    m_productString = kEffectName;
    m_programName = kEffectName;
    m_vendorString = kVendor;
    m_vendorVersion = kVendorVersion;
    m_uniqueId = 0;
    m_channelCount = kChannels;
    for (int k = 1; k <= 4; ++k) {
        SliderRecord slider;
        slider.sliderNumber = k;
        slider.name = "level stereo ";
        slider.name += static_cast<char>('0' + k);
        slider.minimum = -12.0;
        slider.maximum = 12.0;
        slider.step = 0.1;
        slider.defaultValue = 0.0;
        AddSlider(std::move(slider));
    }
}

TTarvoEffect::~TTarvoEffect() = default;

double TTarvoEffect::Gain(int pair) const noexcept {
    switch (pair) {
    case 1:
        return gain1;
    case 2:
        return gain2;
    case 3:
        return gain3;
    case 4:
        return gain4;
    default:
        return 0.0;
    }
}

void TTarvoEffect::ClearVariables() noexcept {
    for (double* variable : {&gain1,
                             &gain2,
                             &gain3,
                             &gain4,
                             &sampleRate,
                             &channelCount,
                             &blockSize,
                             &tempo,
                             &timeSigNumerator,
                             &timeSigDenominator,
                             &playState,
                             &beatPosition,
                             &latencyRequest,
                             &latencyReported,
                             &displayUpdateRequest,
                             &lastDisplayCheck,
                             &serializeIndex,
                             &paintRed,
                             &paintGreen,
                             &paintBlue,
                             &paintAlpha,
                             &paintMode,
                             &areaWidth,
                             &areaHeight,
                             &viewMouseButtons,
                             &viewMouseX,
                             &viewMouseY,
                             &backgroundColor})
        *variable = 0.0;
}

void TTarvoEffect::OnReset() {
    TTarvo::OnReset();
    ClearVariables();
    backgroundColor = Sanitize(m_resetBackgroundColor);
    StringAt(kStringFontName) = "Courier New";
    UpdateStringCount();
}

void TTarvoEffect::OnDraw() {
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (Canvas<&CanvasInterface::canvasEditorSize>(&width, &height) == 1) {
        areaWidth = Sanitize(width);
        areaHeight = Sanitize(height);
    }
    viewMouseButtons = Sanitize(MouseButtons());
    viewMouseX = Sanitize(MouseX());
    viewMouseY = Sanitize(MouseY());

    if (IsTrue(backgroundColor)) {
        const auto n = static_cast<std::uint32_t>(TruncToInt64(backgroundColor));
        paintRed = Sanitize((n & 0xFF) / 255.0);
        paintGreen = Sanitize(((n >> 8) & 0xFF) / 255.0);
        paintBlue = Sanitize(((n >> 16) & 0xFF) / 255.0);
        paintAlpha = 1.0;
        SetDrawPosition(Sanitize(areaWidth + 0.0), Sanitize(areaHeight + 0.0));
        Canvas<&CanvasInterface::canvasSetFillColor>(
            ComponentByte(paintRed), ComponentByte(paintGreen), ComponentByte(paintBlue),
            ComponentByte(paintAlpha));
        Canvas<&CanvasInterface::canvasSetDrawMode>(0);
        Canvas<&CanvasInterface::canvasRect>(0.0, 0.0, std::floor(DrawX()), std::floor(DrawY()), 1);
    }

    paintBlue = 0.0;
    paintGreen = 0.0;
    paintRed = 0.0;
    SetDrawPosition(0.0, 0.0);
    paintAlpha = 1.0;
    paintMode = 0.0;

    SetFontBaseSize(kFontBaseSize);
    FontRecord& font = FontAt(0);
    const std::string& face = StringAt(kStringFontName);
    UpdateStringCount();
    font.name = face;
    font.size = kFontSize;
    font.style = 0;
    const std::int32_t size = TruncToInt(font.size);
    if (Canvas<&CanvasInterface::canvasSetFont>(font.name.c_str(), size, 0) == 0)
        Canvas<&CanvasInterface::canvasSetFont>(kFallbackFace, size, 0);
}

void TTarvoEffect::OnInit() {
    SetRedrawRate(30.0);
    CVeST* shell = Shell();
    sampleRate = Sanitize(hostSampleRate(shell));
    channelCount = Sanitize(hostChannelCount(shell));
    blockSize = Sanitize(hostBlockSize(shell));
    tempo = Sanitize(hostTempo(shell));
}

void TTarvoEffect::OnSliderChange() {
    gain1 = Sanitize(std::pow(10.0, SliderValue(1) / 20.0));
    gain2 = Sanitize(std::pow(10.0, SliderValue(2) / 20.0));
    gain3 = Sanitize(std::pow(10.0, SliderValue(3) / 20.0));
    gain4 = Sanitize(std::pow(10.0, SliderValue(4) / 20.0));
}

void TTarvoEffect::OnBlock() {
    CVeST* shell = Shell();

    if (tarvo_platform::timeOfDaySeconds() - lastDisplayCheck > kDisplayCheckInterval) {
        if (IsTrue(displayUpdateRequest)) {
            displayUpdateRequest = 0.0;
            hostUpdateDisplay(shell);
        }
        lastDisplayCheck = Sanitize(tarvo_platform::timeOfDaySeconds());
    }

    if (!ValuesEqual(latencyRequest, latencyReported)) {
        latencyReported = latencyRequest;
        hostSetLatency(shell, TruncToInt(latencyRequest));
    }

    // Without time information from the host these read as 0.0 for this block.
    double hostTempoValue = 0.0;
    double numerator = 0.0;
    double denominator = 0.0;
    hostTempoAndTimeSig(shell, &hostTempoValue, &numerator, &denominator);
    tempo = Sanitize(hostTempoValue);
    timeSigNumerator = Sanitize(numerator);
    timeSigDenominator = Sanitize(denominator);
    const double playing = hostIsPlaying(shell);
    const double recording = hostIsRecording(shell);
    playState = Sanitize(playing + 4.0 * recording);
    beatPosition = Sanitize(hostPpqPos(shell));
}

void TTarvoEffect::OnSerialize() {
    serializeIndex = 1.0;
    for (int round = 0; round < kMaxLoopRounds; ++round) {
        FileVar(kSerializeSlot, SliderValue(TruncToInt(serializeIndex) & 0x7F));
        serializeIndex = Sanitize(serializeIndex + 1.0);
        if (serializeIndex > kSerializedSliders) break;
    }
}
