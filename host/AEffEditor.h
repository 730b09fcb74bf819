// SPDX-License-Identifier: MIT
// The editor as the plug-in shell sees it: the host's editor requests (size, open, close, idle
// ticks, keys, wheel, knob mode) arrive here through the shell's dispatcher. The shell owns
// its editor and deletes it when it is destroyed. Only the editor-enabled library makes one.
#pragma once

#include "VstInterface.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect) noexcept : m_effect(effect) {}
    virtual ~AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect() { return m_effect; }
    // Stores the address of the editor's rectangle in *rect; true when it did. [ui]
    virtual bool getRect(ERect** /*rect*/) { return false; }
    // Opens the editor inside the host's window `ptr`; true when it is open. [ui]
    virtual bool open(void* /*ptr*/) { return false; }
    virtual void close() {}                                     // [ui]
    virtual bool isOpen() { return m_systemWindow != nullptr; } // [ui]
    virtual void idle() {}                                      // host idle tick [ui]
    // Key events; 1 when the editor used the key. [ui]
    virtual bool onKeyDown(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onKeyUp(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onWheel(float /*distance*/) { return false; }
    virtual bool setKnobMode(VstInt32 /*mode*/) { return false; }

    // The runtime's redraw request: asks the editor's view, if it has one, to redraw its whole
    // area; true when a view was asked. [ui]
    virtual bool redrawView() { return false; }

protected:
    AudioEffect* m_effect;          // the shell; not owned
    void* m_systemWindow = nullptr; // the host's window; this editor never records one
};
