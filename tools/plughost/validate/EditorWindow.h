// SPDX-License-Identifier: MIT
// A plain top-level window for a plug-in editor to open into, on the platform's display.
#pragma once

#include <memory>
#include <string>

namespace plughost::validate {

class EditorWindow {
public:
    virtual ~EditorWindow() = default;
    // Opens a window of the given size; null with the reason when there is no display.
    static std::unique_ptr<EditorWindow> open(int width, int height, std::string& reason);
    // The platform handle a plug-in's effEditOpen expects.
    virtual void* handle() const = 0;
    // Handles the window's pending events.
    virtual void pump() = 0;
    // How many windows the plug-in has put directly inside this one; -1 where the platform's
    // implementation cannot tell.
    virtual int childWindows() { return -1; }
};

} // namespace plughost::validate
