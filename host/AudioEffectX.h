// SPDX-License-Identifier: MIT
// The extended plug-in interface class: opcodes 25..79, identity texts, capabilities, events,
// time information and display updates.
#pragma once

#include "AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
    using AudioEffect::AudioEffect;

    // Opcodes 25..79; anything else goes to the basic interface. [any]
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;

    // Asks the host for MIDI events when the plug-in is a synthesizer or can receive MIDI
    // events. [ui]
    void resume() override;

    virtual bool getProgramNameIndexed(VstInt32 /*category*/, VstInt32 /*index*/, char* /*text*/) {
        return false;
    }
    // The host's time information for the fields in `filter`, or null. [audio]
    virtual VstTimeInfo* getTimeInfo(VstInt32 filter);
    virtual VstInt32 processEvents(VstEvents* /*events*/) { return 0; }
    virtual void isSynth(bool state = true) { setFlag(effFlagsIsSynth, state); }
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    // 1 yes, -1 no, 0 don't know.
    virtual VstInt32 canDo(const char* /*text*/) { return 0; }
    virtual VstInt32 getPlugCategory();
    // Asks the host to refresh its display of the plug-in; true when the host says done.
    virtual bool updateDisplay();
    // Tells the host the plug-in wants MIDI events.
    virtual void wantEvents(VstInt32 filter = 1);
};
