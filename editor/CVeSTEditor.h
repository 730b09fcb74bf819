// SPDX-License-Identifier: MIT
// The plug-in's editor: a frame of the size given at creation with one CVeSTView over all of
// it, and the runtime's redraw timer driven from the host's idle ticks. Made by createEditor;
// owned and destroyed by the shell.
#pragma once

#include "AEffGUIEditor.h"

class CVeST;
class CVeSTView;

class CVeSTEditor : public AEffGUIEditor {
public:
    CVeSTEditor(CVeST* shell, std::int32_t width, std::int32_t height,
                const Services& services = kSystemServices);
    ~CVeSTEditor() override;

    // Makes the frame inside the host's window `ptr` (any frame still open is closed first)
    // with the view; true. The window is not recorded.
    bool open(void* ptr) override;
    void close() override;
    // The runtime's redraw timer (entry `idle`) while open, then the frame's redraw.
    void idle() override;
    // Invalidates the view's whole area; false while closed.
    bool redrawView() override;

    std::int32_t width() const noexcept { return m_width; }
    std::int32_t height() const noexcept { return m_height; }
    CVeSTView* view() const noexcept { return m_view; }

private:
    CVeST* m_shell;              // not owned
    CVeSTView* m_view = nullptr; // owned by the frame
    std::int32_t m_width;
    std::int32_t m_height;
};
