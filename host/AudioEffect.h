// SPDX-License-Identifier: MIT
// The basic plug-in interface class: owns the host record, keeps the host callback, sample
// rate and block size, and answers the basic opcodes. The host record's function entries are
// static functions that find the object through the record's `object` field.
#pragma once

#include "AEffEditor.h"
#include "VstInterface.h"

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Opcodes 0..24 and every opcode no subclass handles (those answer 0). [any]
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);

    virtual void open() {}                                                      // [ui]
    virtual void close() {}                                                     // [ui]
    virtual void suspend() {}                                                   // [ui]
    virtual void resume() {}                                                    // [ui]
    virtual void setSampleRate(float sampleRate) { m_sampleRate = sampleRate; } // [ui]
    virtual void setBlockSize(VstInt32 blockSize) { m_blockSize = blockSize; }  // [ui]
    virtual void processReplacing(float** /*inputs*/, float** /*outputs*/,
                                  VstInt32 /*sampleFrames*/) {} // [audio]
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                        VstInt32 /*sampleFrames*/) {} // [audio]
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {} // [any]
    virtual float getParameter(VstInt32 /*index*/) { return 0.0f; }   // [any]
    // setParameter, then tells the host with audioMasterAutomate. [ui]
    virtual void setParameterAutomated(VstInt32 index, float value);
    virtual VstInt32 getProgram() { return m_curProgram; }
    // Only the existing programs 0..numPrograms-1 can be selected.
    virtual void setProgram(VstInt32 program);
    virtual void setProgramName(const char* /*name*/) {}
    virtual void getProgramName(char* name) { name[0] = '\0'; }
    virtual void getParameterLabel(VstInt32 /*index*/, char* label) { label[0] = '\0'; }
    virtual void getParameterDisplay(VstInt32 /*index*/, char* text) { text[0] = '\0'; }
    virtual void getParameterName(VstInt32 /*index*/, char* text) { text[0] = '\0'; }
    virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/) {
        return 0;
    }
    virtual void setUniqueID(VstInt32 id) { m_cEffect.uniqueID = id; }
    virtual void setNumInputs(VstInt32 inputs) { m_cEffect.numInputs = inputs; }
    virtual void setNumOutputs(VstInt32 outputs) { m_cEffect.numOutputs = outputs; }
    virtual void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
    virtual void canDoubleReplacing(bool state = true) {
        setFlag(effFlagsCanDoubleReplacing, state);
    }
    virtual void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
    // Writes the record's initialDelay; the host reads it when it next looks. [any]
    virtual void setInitialDelay(VstInt32 delay) { m_cEffect.initialDelay = delay; }
    virtual AEffEditor* getEditor() { return m_editor; }
    // Makes `editor` this plug-in's editor (owned from now on) and tells the host through the
    // has-editor flag. Only the editor-enabled library ever sets one. [ui]
    virtual void setEditor(AEffEditor* editor);
    virtual AEffect* getAeffect() { return &m_cEffect; }
    virtual float getSampleRate() { return m_sampleRate; }
    virtual VstInt32 getBlockSize() { return m_blockSize; }
    // The accumulating process call of older hosts: nothing to do.
    virtual void process(float** /*inputs*/, float** /*outputs*/, VstInt32 /*sampleFrames*/) {}

    // Calls the host; a null callback counts as answered 0.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    VstInt32 numInputs() const noexcept { return m_cEffect.numInputs; }

protected:
    void setFlag(VstInt32 flag, bool state) noexcept;

    audioMasterCallback m_audioMaster = nullptr;
    AEffEditor* m_editor = nullptr;
    float m_sampleRate = 44100.0f;
    VstInt32 m_blockSize = 1024;
    VstInt32 m_numPrograms = 0;
    VstInt32 m_numParams = 0;
    VstInt32 m_curProgram = 0;
    AEffect m_cEffect{};
};
