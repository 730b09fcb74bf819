// SPDX-License-Identifier: MIT
// Library loading through LoadLibraryA.
#include "DynamicLibrary.h"

#include <windows.h>

namespace hostkit {

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        close();
        m_handle = other.m_handle;
        other.m_handle = nullptr;
    }
    return *this;
}

bool DynamicLibrary::open(const std::string& path, std::string& error) {
    close();
    // No "file not found" dialog boxes from the loader: a host reports, it does not ask.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(path.c_str());
    const DWORD code = GetLastError();
    SetErrorMode(previous);
    if (module == nullptr) {
        char text[512] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       text, sizeof text, nullptr);
        error = "LoadLibrary failed (error " + std::to_string(code) + ")";
        if (text[0] != '\0') {
            std::string reason(text);
            while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
                reason.pop_back();
            error += ": " + reason;
        }
        return false;
    }
    m_handle = reinterpret_cast<void*>(module);
    return true;
}

void DynamicLibrary::close() {
    if (m_handle != nullptr) {
        FreeLibrary(reinterpret_cast<HMODULE>(m_handle));
        m_handle = nullptr;
    }
}

void* DynamicLibrary::symbol(const char* name) const {
    if (m_handle == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(m_handle), name));
}

const char* DynamicLibrary::suffix() {
    return ".dll";
}

} // namespace hostkit
