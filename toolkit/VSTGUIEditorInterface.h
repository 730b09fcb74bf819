// SPDX-License-Identifier: MIT
// What the frame asks of the editor that owns it. Every call has a default that does nothing,
// so an editor overrides only what it serves.
#pragma once

#include <cstdint>

namespace VSTGUI {

class CFrame;

class VSTGUIEditorInterface {
public:
    virtual ~VSTGUIEditorInterface() = default;

    // The editor's idle work (called while the frame waits on the mouse).
    virtual void doIdleStuff() {}
    virtual std::int32_t getKnobMode() const { return 0; }
    virtual void beginEdit(std::int32_t /*index*/) {}
    virtual void endEdit(std::int32_t /*index*/) {}

    CFrame* getFrame() const { return m_frame; }
    void setFrame(CFrame* frame) { m_frame = frame; }

protected:
    CFrame* m_frame = nullptr;
};

} // namespace VSTGUI
