// SPDX-License-Identifier: MIT
// The plug-in shell around a translated effect.
//
// Lifecycle: the entry point creates the effect, then this shell around it (which runs the
// bridge entry `create` to publish channel counts, unique id and the program-chunks flag), and
// hands the host the address of the host record. Every host request arrives through that
// record; each shell operation that concerns the effect calls exactly one bridge-table entry.
// effClose runs the entry `close`, after which the record's dispatcher deletes the shell, whose
// destructor releases the font cache and deletes the effect through the entry `destroy`.
#pragma once

#include "AudioEffectX.h"
#include "CanvasInterface.h"
#include "HostBridgeTable.h"

#include <memory>
#include <vector>

class TTarvo;

namespace VSTGUI {
class CBaseObject;
class CDrawContext;
} // namespace VSTGUI

class CVeST : public AudioEffectX {
public:
    static constexpr VstInt32 kMidiRingSize = 1000;

    // Takes ownership of `effect`. The table is copied and never changes afterwards.
    CVeST(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams, TTarvo* effect,
          const HostBridgeTable& bridge);
    ~CVeST() override;

    void open() override;                                                             // [ui]
    void close() override;                                                            // [ui]
    void suspend() override;                                                          // [ui]
    void resume() override;                                                           // [ui]
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override; // [audio]
    void processDoubleReplacing(double** inputs, double** outputs,
                                VstInt32 frames) override;   // [audio]
    void setParameter(VstInt32 index, float value) override; // [any]
    float getParameter(VstInt32 index) override;             // [any]
    void setProgramName(const char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    // Stores the MIDI events of the list in the ring; other event types are skipped. [any]
    VstInt32 processEvents(VstEvents* events) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    // 1 for exactly "receiveVstMidiEvent" (case-sensitive), -1 for every other text.
    VstInt32 canDo(const char* text) override;

    TTarvo* effect() const noexcept { return m_effect; }

    // The draw context of the editor view's paint in progress, null at any other time; the
    // canvas functions draw on it. [ui]
    VSTGUI::CDrawContext* drawContext() const noexcept { return m_drawContext; }
    void setDrawContext(VSTGUI::CDrawContext* context) noexcept { m_drawContext = context; }
    // The canvas and image interface of this library, set once by the entry point; null in a
    // library without an editor.
    const CanvasInterface* canvas() const noexcept { return m_canvas; }
    void setCanvas(const CanvasInterface* canvas) noexcept { m_canvas = canvas; }
    // Toolkit font descriptions by face, oldest first, one reference each; only appended to,
    // released when the shell goes. [ui]
    std::vector<VSTGUI::CBaseObject*>& fontCache() noexcept { return m_fontCache; }
    const HostBridgeTable& bridge() const noexcept { return m_bridge; }

    // MIDI ring: written by processEvents, read by the runtime's MIDI query.
    const VstMidiEvent& midiEvent(VstInt32 slot) const noexcept { return m_midiRing[slot]; }
    VstInt32 midiWriteIndex() const noexcept { return m_midiWriteIndex; }
    VstInt32& midiReadIndex() noexcept { return m_midiReadIndex; }

private:
    TTarvo* m_effect;
    VSTGUI::CDrawContext* m_drawContext = nullptr; // set only while the editor's view draws
    VstInt32 m_midiWriteIndex = 0;
    VstInt32 m_midiReadIndex = 0;
    std::vector<VSTGUI::CBaseObject*> m_fontCache; // toolkit fonts, one reference each
    std::unique_ptr<VstMidiEvent[]> m_midiRing;
    HostBridgeTable m_bridge;
    const CanvasInterface* m_canvas = nullptr;
};
