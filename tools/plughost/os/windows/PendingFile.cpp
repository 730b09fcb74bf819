// SPDX-License-Identifier: MIT
// Pending files on Windows: the temporary file is created shared for deletion and handed to the
// C runtime as a descriptor (which then works like the POSIX one) and moved over the final name
// with MoveFileEx. A read-only file is replaced only when asked for; its attribute is cleared
// first, since Windows does not replace a read-only file.
#include "os/PendingFile.h"

#include "core/Failure.h"
#include "os/SignalCleanup.h"
#include "os/windows/WindowsError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <io.h>
#include <sys/stat.h>
#include <utility>
#include <windows.h>

namespace plughost {

PendingFile::PendingFile(std::string finalPath, bool replaceReadOnly)
    : m_finalPath(std::move(finalPath)), m_targetPath(m_finalPath) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory(m_targetPath, error))
        throw Failure("cannot write " + quote(m_finalPath) + ": it is a folder");
    const DWORD attributes = GetFileAttributesA(m_targetPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        !replaceReadOnly)
        throw Failure("cannot write " + quote(m_finalPath) +
                      ": the file is write-protected (give --force to replace it)");
    const fs::path target(m_targetPath);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // ".out.wav.plughost-XXXXXX", a name no other run picks (created exclusively).
    std::string hiddenName(".");
    hiddenName.append(target.filename().string()).append(".plughost-");
    const std::string stem = (folder / hiddenName).string();
    const unsigned long long seed = GetTickCount64() ^ (GetCurrentProcessId() * 2654435761ull);
    for (unsigned attempt = 0; attempt < 100 && m_descriptor < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%06llx", (seed + attempt * 7919ull) & 0xFFFFFFull);
        const std::string candidate = stem + suffix;
        // Shared for deletion, so that the crash handler can remove it while it is open.
        const HANDLE file = CreateFileA(candidate.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            throw Failure("cannot write " + quote(m_finalPath) + ": " + lastWindowsError());
        }
        const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY);
        if (descriptor < 0) {
            CloseHandle(file);
            DeleteFileA(candidate.c_str());
            throw Failure("cannot write " + quote(m_finalPath) + ": " + std::strerror(errno));
        }
        m_descriptor = descriptor;
        m_temporaryPath = candidate;
    }
    if (m_descriptor < 0)
        throw Failure("cannot write " + quote(m_finalPath) + ": no free temporary name");
    m_slot = removeOnSignal(m_temporaryPath);
}

PendingFile::~PendingFile() {
    if (m_descriptor >= 0) _close(m_descriptor);
    if (!m_committed) std::remove(m_temporaryPath.c_str());
    forgetRemoval(m_slot);
}

int PendingFile::takeDescriptor() {
    return std::exchange(m_descriptor, -1);
}

void PendingFile::commit() {
    if (m_descriptor >= 0 && _close(std::exchange(m_descriptor, -1)) != 0)
        throw Failure("cannot write " + quote(m_finalPath) + ": " + std::strerror(errno));
    const DWORD attributes = GetFileAttributesA(m_targetPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        SetFileAttributesA(m_targetPath.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    if (!MoveFileExA(m_temporaryPath.c_str(), m_targetPath.c_str(), MOVEFILE_REPLACE_EXISTING))
        throw Failure("cannot write " + quote(m_finalPath) + ": " + lastWindowsError());
    m_committed = true;
    forgetRemoval(m_slot);
    m_slot = -1;
}

void PendingFile::writeBytes(const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
        const int written = _write(m_descriptor, data, chunk);
        if (written <= 0)
            throw Failure("cannot write " + quote(m_finalPath) + ": " + std::strerror(errno));
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void PendingFile::writeBytesAt(std::uint64_t offset, const unsigned char* data, std::size_t size) {
    const long long end = _lseeki64(m_descriptor, 0, SEEK_END);
    if (end < 0 || _lseeki64(m_descriptor, static_cast<long long>(offset), SEEK_SET) < 0)
        throw Failure("cannot write " + quote(m_finalPath) + ": " + std::strerror(errno));
    writeBytes(data, size);
    if (_lseeki64(m_descriptor, end, SEEK_SET) < 0)
        throw Failure("cannot write " + quote(m_finalPath) + ": " + std::strerror(errno));
}

} // namespace plughost
