// SPDX-License-Identifier: MIT
// The toolkit-based editor: a toolkit frame inside the host's window, the editor rectangle the
// host asks for, the module-wide knob mode, and the idle pass the frame runs while it tracks
// the pointer.
//
// Lifecycle: constructed for a shell (it becomes the shell's editor, which sets the has-editor
// flag, and the thread's use of the window system begins) → opened into a host window (a
// frame is made) → closed (the frame is released) → opened again as often as the host likes →
// destroyed with the shell (a frame still open is closed first; the thread's use ends if it
// began).
// Everything runs on the host's user-interface thread.                             [ui]
#pragma once

#include "host/AEffEditor.h"
#include "toolkit/VSTGUIEditorInterface.h"

#include <cstdint>

class AEffGUIEditor : public AEffEditor, public VSTGUI::VSTGUIEditorInterface {
public:
    // The system services of the idle pass; tests give their own.
    struct Services {
        std::uint32_t (*tickCount)();              // milliseconds, wrapping
        void (*sleep)(std::uint32_t milliseconds); // pauses the thread
        void (*dispatchPendingPaint)();            // handles one waiting paint message
        bool (*beginThreadUse)();                  // true: endThreadUse must follow
        void (*endThreadUse)();
    };
    static const Services kSystemServices;

    // A full idle pass runs at most every kIdleInterval ms; a call up to kIdleEarly ms early
    // runs one after a kIdleSleep ms pause, an earlier one only pauses.
    static constexpr std::uint32_t kIdleInterval = 100;
    static constexpr std::uint32_t kIdleEarly = 50;
    static constexpr std::uint32_t kIdleSleep = 4;

    explicit AEffGUIEditor(AudioEffect* effect, const Services& services = kSystemServices);
    ~AEffGUIEditor() override;

    bool getRect(ERect** rect) override;          // the editor rectangle; true
    void close() override;                        // releases the frame, if any
    void idle() override;                         // the frame redraws what is dirty
    bool onKeyDown(VstKeyCode& keyCode) override; // to the frame; false without one
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(float distance) override;    // at the pointer, with the polled buttons
    bool setKnobMode(VstInt32 mode) override; // the module-wide mode; true

    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
    // Redraws `rect` (each pair of edges in any order) or, with null, the whole frame.
    virtual void draw(ERect* rect);
    // One idle pass, at most every kIdleInterval ms: the editor's idle, one waiting paint, the
    // host's idle. Called by the frame while it tracks the pointer.
    void doIdleStuff() override;
    std::int32_t getKnobMode() const override;
    // Tell the host that the user begins or ends changing parameter `index`.
    void beginEdit(std::int32_t index) override;
    void endEdit(std::int32_t index) override;

    // The last host answer of beginEdit or endEdit, as a truth value.
    bool lastEditAnswer() const noexcept { return m_lastEditAnswer; }
    std::uint32_t idleDeadline() const noexcept { return m_idleDeadline; }

protected:
    // The editor rectangle as the host reads it: (0, 0) to (width, height), cut to 16 bits.
    void setRectSize(std::int32_t width, std::int32_t height) noexcept;

    ERect m_rect{};
    std::uint32_t m_idleDeadline;
    bool m_inIdleStuff = false;
    Services m_services;

private:
    bool m_threadUseBegun;
    bool m_lastEditAnswer = false;
};
