// SPDX-License-Identifier: MIT
#include "PluginLibrary.h"

#include "Failure.h"
#include "PluginCalls.h"

#include <filesystem>
#include <system_error>

namespace plughost {

PluginLibrary::PluginLibrary(const std::string& path) : m_path(path) {
    const std::string what = "cannot load plug-in " + quote(path) + ": ";
    std::error_code error;
    if (!std::filesystem::exists(path, error)) throw Failure(what + "no such file");
    if (std::filesystem::is_directory(path, error)) throw Failure(what + "it is a folder");
    std::string reason;
    if (!m_library.open(path, reason)) throw Failure(what + reason);
    for (const char* name : kEntryNames) {
        if ((m_entry = entry(name)) != nullptr) {
            m_entryName = name;
            return;
        }
    }
    throw Failure(what + "no VST entry point (looked for VSTPluginMain, main and MAIN)");
}

VstPluginMainProc PluginLibrary::entry(const char* name) const {
    return reinterpret_cast<VstPluginMainProc>(m_library.symbol(name));
}

AEffect* PluginLibrary::create(audioMasterCallback callback) const {
    const InsidePlugin inside;
    return m_entry(callback);
}

} // namespace plughost
