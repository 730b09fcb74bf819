// SPDX-License-Identifier: MIT
#include "CTarvoMemory.h"

double& CTarvoMemory::MemoryAt(std::int32_t index) {
    const std::int32_t block = index >> kBlockShift;
    const std::int32_t position = index & (kBlockSize - 1);
    std::vector<double>& storage = m_memoryBlocks[block];
    if (storage.size() < static_cast<std::size_t>(kBlockSize))
        storage.resize(static_cast<std::size_t>(kBlockSize), 0.0);
    return storage[static_cast<std::size_t>(position)];
}

double* CTarvoMemory::MemoryRun(std::int32_t index, std::int64_t count) {
    if (count <= 0) return nullptr;
    const std::int64_t position = index & (kBlockSize - 1);
    if (position + count > kBlockSize) return nullptr;
    return &MemoryAt(index);
}
