// SPDX-License-Identifier: MIT
// An output file that appears only when it is complete: the content goes to a hidden temporary
// file in the same folder, which commit() renames over the final name. A pending file that is
// destroyed uncommitted is removed, and so is one whose process ends by a signal
// (SignalCleanup.h).
#pragma once

#include <cstddef>
#include <string>

namespace plughost {

class PendingFile {
public:
    // Creates the temporary file next to finalPath; throws Failure if the folder cannot take it.
    explicit PendingFile(std::string finalPath);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::string& temporaryPath() const { return m_temporaryPath; }
    const std::string& finalPath() const { return m_finalPath; }

    // The open descriptor of the temporary file, handed over to a writer that closes it. The
    // file is written through this descriptor rather than opened again: opening it again with
    // truncation makes ext4 push the whole file to disk when it is closed.
    int takeDescriptor();

    // Writes the whole content of the temporary file at once; throws Failure.
    void writeBytes(const unsigned char* data, std::size_t size);

    // Moves the finished file to its final name; throws Failure.
    void commit();

private:
    std::string m_finalPath;
    std::string m_temporaryPath;
    int m_descriptor = -1;
    int m_slot = -1;
    bool m_committed = false;
};

} // namespace plughost
