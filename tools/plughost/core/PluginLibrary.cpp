// SPDX-License-Identifier: MIT
#include "PluginLibrary.h"

#include "Failure.h"
#include "PluginCalls.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace plughost {

namespace {

namespace fs = std::filesystem;

// The library inside a bundle folder (Name.vst): the only one there, or the one named after
// the bundle; throws Failure (what: the message's start) when there is none or no such choice.
std::string libraryInBundle(const fs::path& folder, const std::string& what) {
    const std::string suffix = hostkit::DynamicLibrary::suffix();
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error))
        if (it.depth() < 4 && it->path().extension() == suffix && it->is_regular_file(error))
            found.push_back(it->path());
    const std::string named = folder.stem().string() + suffix;
    const auto match = std::find_if(found.begin(), found.end(),
                                    [&](const fs::path& file) { return file.filename() == named; });
    if (found.size() == 1) return found.front().string();
    if (match != found.end()) return match->string();
    if (found.empty()) throw Failure(what + "it is a folder with no " + suffix + " library inside");
    throw Failure(what + "it is a bundle holding " + std::to_string(found.size()) + " " + suffix +
                  " libraries, none named " + quote(named) + "; name the one to load");
}

} // namespace

PluginLibrary::PluginLibrary(const std::string& path) : m_path(path), m_file(path) {
    const std::string what = "cannot load plug-in " + quote(path) + ": ";
    std::error_code error;
    if (!fs::exists(path, error)) throw Failure(what + "no such file");
    if (fs::is_directory(path, error)) {
        fs::path folder(path);
        while (!folder.has_filename() && folder.has_parent_path() && folder != folder.parent_path())
            folder = folder.parent_path(); // "Name.vst/"
        if (folder.extension() != ".vst") throw Failure(what + "it is a folder");
        m_file = libraryInBundle(folder, what);
    }
    std::string reason;
    if (!m_library.open(m_file, reason)) throw Failure(what + reason);
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
