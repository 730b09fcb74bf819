// SPDX-License-Identifier: MIT
// The level trimmer: eight channels as four stereo pairs, each pair scaled by its own gain,
// set in decibels (-12 to +12, step 0.1) by sliders 1 to 4.
//
// The script's variables keep the script's names; like every script value they are doubles
// and every store passes through Sanitize.
#pragma once

#include "runtime/TTarvo.h"
#include "runtime/TarvoValues.h"

class TTarvoEffect final : public TTarvo {
public:
    static constexpr std::int32_t kChannels = 8;
    static constexpr std::int32_t kStringFontName = 10000;
    // OnSample depends on nothing but the frame's samples and the gains, so the frames of a
    // processing chunk may be handed to it in any order.
    static constexpr bool kIndependentFrames = true;

    TTarvoEffect();
    ~TTarvoEffect() override;

    // gainK = 10^(slider K / 20) for the four pairs.
    void OnSliderChange() override;
    // Display-update throttle, latency, transport. [audio]
    void OnBlock() override;
    // Pair k (channels 2k-2, 2k-1) times gain k; non-finite products become 0.0. Defined here
    // so that the frame loop can inline it. Each gain is read once, before any sample is
    // written: the sample stores may alias the gains as far as the compiler knows, so gains
    // read after them would be read again, and a change made by another thread between the
    // two channels of a pair would give them different gains in the same frame. [audio]
    void OnSample() override {
        const double g1 = gain1, g2 = gain2, g3 = gain3, g4 = gain4;
        double* s = m_samples;
        s[0] = Sanitize(s[0] * g1);
        s[1] = Sanitize(s[1] * g1);
        s[2] = Sanitize(s[2] * g2);
        s[3] = Sanitize(s[3] * g2);
        s[4] = Sanitize(s[4] * g3);
        s[5] = Sanitize(s[5] * g3);
        s[6] = Sanitize(s[6] * g4);
        s[7] = Sanitize(s[7] * g4);
    }
    // The runtime's reset, all variables 0.0 except the background colour (the configured
    // one), the font name string entered.
    void OnReset() override;
    // The drawing pass: area size and mouse copies, the background fill when a colour is set,
    // the drawing state reset and the text font selected. [ui]
    void OnDraw() override;
    // The background colour every reset gives, as a packed 0xBBGGRR value; 0.0 (no clearing)
    // unless the entry point configures one.
    void SetResetBackgroundColor(double color) noexcept { m_resetBackgroundColor = color; }
    double BackgroundColor() const noexcept { return backgroundColor; }
    void SetBackgroundColor(double color) noexcept { backgroundColor = Sanitize(color); }
    double AreaWidth() const noexcept { return areaWidth; }
    double AreaHeight() const noexcept { return areaHeight; }
    double ViewMouseButtons() const noexcept { return viewMouseButtons; }
    double PaintAlpha() const noexcept { return paintAlpha; }
    // Redraw rate 30, then sample rate, channel count, block size and tempo from the host.
    void OnInit() override;
    // Slider values 1 to 64 through the serialize stream, in order.
    void OnSerialize() override;

    // Linear gain of stereo pair 1..4 (for inspection).
    double Gain(int pair) const noexcept;

private:
    void ClearVariables() noexcept;

    double gain1 = 0.0;
    double gain2 = 0.0;
    double gain3 = 0.0;
    double gain4 = 0.0;
    double sampleRate = 0.0;
    double channelCount = 0.0;
    double blockSize = 0.0;
    double tempo = 0.0;
    double timeSigNumerator = 0.0;
    double timeSigDenominator = 0.0;
    double playState = 0.0;
    double beatPosition = 0.0;
    double latencyRequest = 0.0;
    double latencyReported = 0.0;
    double displayUpdateRequest = 0.0;
    double lastDisplayCheck = 0.0;
    double serializeIndex = 0.0;
    // Drawing state of the effect's drawing section (zeroed with the rest on reset).
    double paintRed = 0.0;
    double paintGreen = 0.0;
    double paintBlue = 0.0;
    double paintAlpha = 0.0;
    double paintMode = 0.0;
    double areaWidth = 0.0;
    double areaHeight = 0.0;
    double viewMouseButtons = 0.0;
    double viewMouseX = 0.0;
    double viewMouseY = 0.0;
    double backgroundColor = 0.0;
    double m_resetBackgroundColor = 0.0;
};
