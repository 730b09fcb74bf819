// SPDX-License-Identifier: MIT
// An output file that appears only when it is complete: the content goes to a hidden temporary
// file in the same folder, which commit() renames over the final name. A pending file that is
// destroyed uncommitted is removed, and so is one whose process ends by a signal
// (os/SignalCleanup.h).
//
// On POSIX systems, replacing a file keeps what the user set up around it: a symbolic link is
// written through (the file it points to is replaced, the link stays), the replaced file's
// permissions are kept, and a file without write permission is replaced only when that is asked
// for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plughost {

class PendingFile {
public:
    // Creates the temporary file next to the file finalPath names (through symbolic links);
    // throws Failure if the folder cannot take it, or if that file exists without write
    // permission and replaceReadOnly is false.
    explicit PendingFile(std::string finalPath, bool replaceReadOnly = false);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::string& temporaryPath() const { return m_temporaryPath; }
    const std::string& finalPath() const { return m_finalPath; }

    // The open descriptor of the temporary file, handed over to a writer that closes it. The
    // file is written through this descriptor rather than opened again: opening it again with
    // truncation makes ext4 push the whole file to disk when it is closed.
    int takeDescriptor();

    // Appends to the temporary file; throws Failure.
    void writeBytes(const unsigned char* data, std::size_t size);
    void writeText(const std::string& text) {
        writeBytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    }
    // Overwrites bytes already written (a header completed at the end); throws Failure.
    void writeBytesAt(std::uint64_t offset, const unsigned char* data, std::size_t size);

    // Moves the finished file to its final name; throws Failure.
    void commit();

private:
    std::string m_finalPath;  // as given, for messages
    std::string m_targetPath; // the file that is replaced: m_finalPath with links followed
    std::string m_temporaryPath;
    int m_descriptor = -1;
    int m_slot = -1;
    bool m_committed = false;
};

} // namespace plughost
