// SPDX-License-Identifier: MIT
// Numbered file slots holding 32-bit float values. Slot 0 is the serialize stream: the state
// chunk passes through it, and one operation (FileVar) both writes a variable while saving and
// reads it back while loading, so one serialize hook serves both directions.
#pragma once

#include "CTarvoStrings.h"

#include <vector>

enum TarvoFileMode : std::int32_t {
    kFileClosed = 0,
    kFileReading = 1,
    kFileWriting = 2,
};

struct FileRecord {
    std::string name;          // relative to the library's folder; empty for slot 0
    std::int32_t position = 0; // next value to read or write
    std::vector<float> data;   // the slot's values
    std::int32_t mode = kFileClosed;
};

// First value of every state chunk.
constexpr float kStateMarker = -1000.0f;

class CTarvoFiles : public CTarvoStrings {
public:
    static constexpr std::int32_t kSerializeSlot = 0;

    // Slot `slot`, or null.
    FileRecord* FileSlot(std::int32_t slot) noexcept;
    std::int32_t FileSlotCount() const noexcept {
        return static_cast<std::int32_t>(m_files.size());
    }

    // Adds a slot open for writing under `name`; its values go to that data file (one byte per
    // value) when it is closed or when the runtime is destroyed. Answers the slot number.
    std::int32_t OpenFileForWriting(std::string name);

    // One value in or out at the slot's position: writing stores the variable as a float
    // (growing the data with zeros as needed), reading sets the variable from the value if one
    // is left (non-finite values read as 0.0); a closed or missing slot does nothing.
    void FileVar(std::int32_t slot, double& variable);

    // Writes a named slot open for writing to its data file, then empties it and closes it.
    void CloseFile(std::int32_t slot);

    // Serialize stream: closed, reopened for writing, holding the marker; position 1.
    void BeginSerializeWrite();
    // Serialize stream: closed, reopened for reading with floor(length / 4) floats of `chunk`.
    // Answers true when the first value is exactly the state marker (position then 1).
    bool BeginSerializeRead(const void* chunk, std::int32_t length);

protected:
    CTarvoFiles();
    ~CTarvoFiles();

private:
    std::vector<FileRecord> m_files;
};
