// SPDX-License-Identifier: MIT
#include "TTarvo.h"

#include "TarvoTransforms.h"
#include "host/HostQueries.h"
#include "platform/TarvoPlatform.h"

TTarvo::TTarvo() : m_clock(tarvo_platform::clockTicks) {
    // The transform tables are shared by every runtime object of the library and built once,
    // by the first construction.
    ensureTransformTables();
    ResetRuntime();
}

TTarvo::~TTarvo() = default;

void TTarvo::ResetRuntime() {
    ClearMemory();
    ClearStrings();
    m_lastRedrawTick = 0;
}

void TTarvo::OnReset() {
    ResetRuntime();
}

void TTarvo::OnResume() {
    OnInit();
    OnSliderChange();
}

void TTarvo::EnsureInit() {
    if (m_initCounter == 0) OnInit();
    ++m_initCounter;
}

void TTarvo::OnRedrawTick() {
    const double rate = RedrawRate();
    if (!(rate > 0.0)) return;
    // The clock counts over 31 bits and starts again at 0 every 24.9 days: the difference is
    // taken modulo 2^31, so that the timer goes on across the wrap.
    const std::uint32_t now = static_cast<std::uint32_t>(m_clock());
    const std::uint32_t last = static_cast<std::uint32_t>(m_lastRedrawTick);
    const double elapsed = static_cast<double>((now - last) & 0x7FFFFFFFu);
    if (elapsed > 1000.0 / rate) {
        hostRedraw(Shell());
        m_lastRedrawTick = m_clock();
    }
}

std::int32_t TTarvo::LoadState(const void* data, std::int32_t length, bool /*isPreset*/) {
    if (data == nullptr || length < 0) return 0;
    if (BeginSerializeRead(data, length)) {
        EnsureInit();
        OnSerialize();
        OnSliderChange();
    }
    return length;
}

std::int32_t TTarvo::SaveState(void** data, bool /*isPreset*/) {
    BeginSerializeWrite();
    OnSerialize();
    FileRecord& stream = *FileSlot(kSerializeSlot);
    if (stream.data.size() <= 1 || data == nullptr) return 0;
    *data = stream.data.data();
    return static_cast<std::int32_t>(stream.data.size() * sizeof(float));
}
