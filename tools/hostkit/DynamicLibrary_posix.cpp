// SPDX-License-Identifier: MIT
// Library loading through dlopen.
#include "DynamicLibrary.h"

#include <dlfcn.h>

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
    // A bare name would make dlopen search the system folders; a host means the file it names.
    const std::string name = path.find('/') == std::string::npos ? "./" + path : path;
    m_handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : "unknown dlopen failure";
        return false;
    }
    return true;
}

void DynamicLibrary::close() {
    if (m_handle != nullptr) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}

void* DynamicLibrary::symbol(const char* name) const {
    return m_handle != nullptr ? dlsym(m_handle, name) : nullptr;
}

const char* DynamicLibrary::suffix() {
    return ".so";
}

} // namespace hostkit
