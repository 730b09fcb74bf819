// SPDX-License-Identifier: MIT
// Loading a plug-in library the way a host does: by path, then its exported entry by name.
#pragma once

#include <string>

namespace hostkit {

// An open shared library; closing it unloads the code, so every record obtained from it must
// be closed first.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary() { close(); }
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept : m_handle(other.m_handle) {
        other.m_handle = nullptr;
    }
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

    // Loads the library; on failure answers false and puts the platform's reason in error.
    bool open(const std::string& path, std::string& error);
    void close();
    bool isOpen() const { return m_handle != nullptr; }

    // Address of an exported symbol, or null.
    void* symbol(const char* name) const;

    // How the platform's library files end (".so", ".dll").
    static const char* suffix();

private:
    void* m_handle = nullptr;
};

} // namespace hostkit
