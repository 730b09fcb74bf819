// SPDX-License-Identifier: MIT
// A plug-in library loaded the way a host loads it: by path, then its entry point by the names
// hosts look for. A bundle (a folder named Name.vst) stands for the library inside it. Closing
// it unloads the code, so every instance made from it must be closed first.
#pragma once

#include "host/VstInterface.h"
#include "hostkit/DynamicLibrary.h"

#include <string>

namespace plughost {

class PluginLibrary {
public:
    // The names of the entry point, in the order they are looked for.
    static constexpr const char* kEntryNames[] = {"VSTPluginMain", "main", "MAIN"};

    // Loads the library and finds its entry point; throws Failure naming the cause.
    explicit PluginLibrary(const std::string& path);
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const std::string& path() const { return m_path; }
    // The file loaded: path, or the library inside the bundle path names.
    const std::string& file() const { return m_file; }
    // The name the entry point was found under.
    const std::string& entryName() const { return m_entryName; }
    // Another exported entry by name, or null.
    VstPluginMainProc entry(const char* name) const;

    // Calls the entry point with callback; answers what it returned (null when it made
    // nothing). [ui]
    AEffect* create(audioMasterCallback callback) const;

private:
    std::string m_path;
    std::string m_file;
    hostkit::DynamicLibrary m_library;
    VstPluginMainProc m_entry = nullptr;
    std::string m_entryName;
};

} // namespace plughost
