// SPDX-License-Identifier: MIT
// A host's top-level window for a plug-in editor to open into, on the platform's window system
// (X11 on Linux, Win32 on Windows): what `plughost editor` shows and the editor check of
// `plughost validate` opens editors in. Everything here runs on the one user-interface thread.
#pragma once

#include <memory>
#include <string>

namespace plughost {

class HostWindow {
public:
    virtual ~HostWindow() = default;
    // A window whose inside (client area) is width x height pixels, shown on the display; null,
    // with the reason, when there is no display or no window system in this build.
    static std::unique_ptr<HostWindow> open(int width, int height, const std::string& title,
                                            std::string& reason);

    // The platform handle a plug-in's effEditOpen takes.
    virtual void* handle() const = 0;
    // Handles the window's pending events; answers false once the user has closed it.
    virtual bool pump() = 0;
    // Gives the inside of the window a new size.
    virtual void resize(int width, int height) = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // How many windows the plug-in has put directly inside this one.
    virtual int childWindows() = 0;
    // Saves what the inside of the window shows, child windows included, as PNG; throws
    // Failure.
    virtual void savePicture(const std::string& path) = 0;
};

} // namespace plughost
