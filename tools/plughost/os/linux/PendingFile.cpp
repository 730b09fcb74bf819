// SPDX-License-Identifier: MIT
#include "os/PendingFile.h"

#include "core/Failure.h"
#include "os/SignalCleanup.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace plughost {

namespace {

// The path with symbolic links at its end followed, also to a file that does not exist yet.
std::filesystem::path throughLinks(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    constexpr int kMaxLinks = 40; // the kernel's own limit
    fs::path target = path;
    std::error_code error;
    for (int i = 0; i < kMaxLinks && fs::is_symlink(fs::symlink_status(target, error)); ++i) {
        const fs::path next = fs::read_symlink(target, error);
        if (error) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

} // namespace

PendingFile::PendingFile(std::string finalPath, bool replaceReadOnly)
    : m_finalPath(std::move(finalPath)) {
    namespace fs = std::filesystem;
    const fs::path target = throughLinks(m_finalPath);
    m_targetPath = target.string();
    std::error_code error;
    if (fs::is_directory(target, error))
        throw Failure("cannot write " + quote(m_finalPath) + ": it is a folder");
    struct stat existing {};
    const bool replacing = stat(m_targetPath.c_str(), &existing) == 0;
    // A file can be renamed over whatever its own permissions say, so they are checked here.
    // The mode bits count as well as access(): it answers yes to every request of root's.
    if (replacing && !replaceReadOnly &&
        (access(m_targetPath.c_str(), W_OK) != 0 || (existing.st_mode & 0222) == 0))
        throw Failure("cannot write " + quote(m_finalPath) +
                      ": the file is write-protected (give --force to replace it)");
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // A hidden name: ".out.wav.plughost-XXXXXX".
    std::string hiddenName(".");
    hiddenName.append(target.filename().string()).append(".plughost-XXXXXX");
    std::string pattern = (folder / hiddenName).string();
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0)
        throw Failure("cannot write " + quote(m_finalPath) + ": " + std::strerror(errno));
    // mkstemp makes the file private; the result gets the permissions of the file it replaces,
    // or those of any new file.
    if (replacing) {
        fchmod(descriptor, existing.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(descriptor, static_cast<mode_t>(0666 & ~mask));
    }
    m_descriptor = descriptor;
    m_temporaryPath = pattern;
    m_slot = removeOnSignal(m_temporaryPath);
}

PendingFile::~PendingFile() {
    if (m_descriptor >= 0) close(m_descriptor);
    if (!m_committed) std::remove(m_temporaryPath.c_str());
    forgetRemoval(m_slot);
}

int PendingFile::takeDescriptor() {
    return std::exchange(m_descriptor, -1);
}

void PendingFile::commit() {
    if (m_descriptor >= 0 && close(std::exchange(m_descriptor, -1)) != 0)
        throw Failure("cannot write " + quote(m_finalPath) + ": " + std::strerror(errno));
    if (std::rename(m_temporaryPath.c_str(), m_targetPath.c_str()) != 0)
        throw Failure("cannot write " + quote(m_finalPath) + ": " + std::strerror(errno));
    m_committed = true;
    forgetRemoval(m_slot);
    m_slot = -1;
}

void PendingFile::writeBytes(const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(m_descriptor, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0)
            throw Failure("cannot write " + quote(m_finalPath) + ": " + std::strerror(errno));
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void PendingFile::writeBytesAt(std::uint64_t offset, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = pwrite(m_descriptor, data, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0)
            throw Failure("cannot write " + quote(m_finalPath) + ": " + std::strerror(errno));
        data += written;
        offset += static_cast<std::uint64_t>(written);
        size -= static_cast<std::size_t>(written);
    }
}

} // namespace plughost
