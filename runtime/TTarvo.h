// SPDX-License-Identifier: MIT
// The runtime base of every translated effect.
//
// Lifecycle: the entry point constructs the effect (all runtime layers, then the effect's own
// description and sliders) and links it to the shell. Host open runs OnReset; every resume runs
// OnResume (OnInit, then OnSliderChange); each processing call runs OnBlock once and OnSample
// per frame; a host parameter change runs OnSliderChange; get-chunk runs SaveState and
// set-chunk LoadState, which run OnSerialize (and, on the first load, OnInit through
// EnsureInit); suspend and close run OnSuspend and OnClose; the shell's destructor deletes the
// effect. The hooks are declared in slot order after those of the lower layers
// (OnSliderChange, OnBlock, OnSample).
#pragma once

#include "CTarvoMouse.h"

class TTarvo : public CTarvoMouse {
public:
    virtual ~TTarvo();

    // Host open. Empties memory and the string table, string count 0.0, last redraw tick 0.
    virtual void OnReset();
    virtual void OnClose() {}
    virtual void OnSuspend() {}
    // Host resume: OnInit, then OnSliderChange. Runs again on every resume.
    virtual void OnResume();
    virtual void OnInit() {}
    // OnInit on the first call only; counts its own calls (OnResume does not touch the count).
    virtual void EnsureInit();
    virtual void OnDraw() {}
    // Editor idle tick: asks for a redraw of the editor's view when more than 1000 / rate
    // clock ticks have passed since the last one (never with a rate of 0 or less), counted
    // across the clock's wrap from 2^31 - 1 to 0.
    virtual void OnRedrawTick();
    virtual void OnSerialize() {}
    // Restores state from a chunk: when it begins with the state marker, EnsureInit,
    // OnSerialize (reading), OnSliderChange. Answers the given length (0 for a null chunk or a
    // negative length, which change nothing).
    virtual std::int32_t LoadState(const void* data, std::int32_t length, bool isPreset);
    // Produces the state chunk through OnSerialize (writing). Sets *data to the chunk, which
    // stays owned by the serialize stream until the next save or load, and answers its size in
    // bytes; answers 0 and leaves *data alone when nothing was serialized.
    virtual std::int32_t SaveState(void** data, bool isPreset);

    std::int32_t InitCount() const noexcept { return m_initCounter; }
    std::int32_t LastRedrawTick() const noexcept { return m_lastRedrawTick; }

    // The clock the redraw timer reads (the processor clock, 1,000 ticks per second); tests
    // give their own.
    using ClockSource = std::int32_t (*)() noexcept;
    void SetClockSource(ClockSource clock) noexcept { m_clock = clock; }

protected:
    TTarvo();

private:
    void ResetRuntime();

    std::int32_t m_lastRedrawTick = 0;
    std::int32_t m_initCounter = 0;
    ClockSource m_clock;
};
