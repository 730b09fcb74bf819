// SPDX-License-Identifier: MIT
#include "CTarvoFiles.h"

#include "DataPaths.h"
#include "TarvoValues.h"

#include <cstdio>
#include <cstring>

namespace {

// A data file holds one byte per value: the low eight bits of the value's integer conversion.
// A file that cannot be opened drops the data silently.
void writeDataFile(const FileRecord& file) {
    std::FILE* out = std::fopen(DataPath(file.name).c_str(), "wb");
    if (out == nullptr) return;
    for (float value : file.data)
        std::fputc(TruncToInt(value) & 0xFF, out);
    std::fclose(out);
}

} // namespace

CTarvoFiles::CTarvoFiles() : m_files(1) {}

CTarvoFiles::~CTarvoFiles() {
    for (const FileRecord& file : m_files)
        if (file.mode == kFileWriting && !file.name.empty()) writeDataFile(file);
}

FileRecord* CTarvoFiles::FileSlot(std::int32_t slot) noexcept {
    if (slot < 0 || slot >= FileSlotCount()) return nullptr;
    return &m_files[static_cast<std::size_t>(slot)];
}

std::int32_t CTarvoFiles::OpenFileForWriting(std::string name) {
    FileRecord file;
    file.name = std::move(name);
    file.mode = kFileWriting;
    m_files.push_back(std::move(file));
    return FileSlotCount() - 1;
}

void CTarvoFiles::FileVar(std::int32_t slot, double& variable) {
    FileRecord* file = FileSlot(slot);
    if (file == nullptr || file->position < 0) return;
    const auto position = static_cast<std::size_t>(file->position);
    if (file->mode == kFileWriting) {
        if (file->data.size() < position + 1) file->data.resize(position + 1, 0.0f);
        file->data[position] = static_cast<float>(variable);
        ++file->position;
    } else if (file->mode == kFileReading) {
        if (position < file->data.size()) {
            variable = Sanitize(static_cast<double>(file->data[position]));
            ++file->position;
        }
    }
}

void CTarvoFiles::CloseFile(std::int32_t slot) {
    FileRecord* file = FileSlot(slot);
    if (file == nullptr) return;
    if (file->mode == kFileWriting && !file->name.empty()) writeDataFile(*file);
    file->name.clear();
    file->position = 0;
    file->data.clear();
    file->mode = kFileClosed;
}

void CTarvoFiles::BeginSerializeWrite() {
    CloseFile(kSerializeSlot);
    FileRecord& stream = m_files[kSerializeSlot];
    stream.mode = kFileWriting;
    stream.data.push_back(kStateMarker);
    stream.position = 1;
}

bool CTarvoFiles::BeginSerializeRead(const void* chunk, std::int32_t length) {
    CloseFile(kSerializeSlot);
    FileRecord& stream = m_files[kSerializeSlot];
    stream.mode = kFileReading;
    if (chunk == nullptr || length < 4) return false;
    stream.data.resize(static_cast<std::size_t>(length) / sizeof(float));
    std::memcpy(stream.data.data(), chunk, stream.data.size() * sizeof(float));
    stream.position = 1;
    return stream.data[0] == kStateMarker;
}
