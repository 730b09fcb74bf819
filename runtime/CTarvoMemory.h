// SPDX-License-Identifier: MIT
// Sparse memory of translated effects: 65,536 doubles per block, blocks made on first touch.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

class CTarvoMemory {
public:
    static constexpr std::int32_t kBlockShift = 16;
    static constexpr std::int32_t kBlockSize = 1 << kBlockShift;

    CTarvoMemory() = default;
    CTarvoMemory(const CTarvoMemory&) = delete;
    CTarvoMemory& operator=(const CTarvoMemory&) = delete;

    // Element `index` of memory: block index >> 16 (arithmetic, so negative indexes have
    // negative blocks), position index & 0xFFFF. The block is created, zero-filled, on first use;
    // the reference stays valid until the memory is cleared.
    double& MemoryAt(std::int32_t index);

    // The run of `count` elements starting at `index` as contiguous doubles, or null when the run
    // is empty or does not lie inside one block (runs never cross blocks).
    double* MemoryRun(std::int32_t index, std::int64_t count);

    // Releases every block.
    void ClearMemory() { m_memoryBlocks.clear(); }

    std::size_t MemoryBlockCount() const { return m_memoryBlocks.size(); }

protected:
    ~CTarvoMemory() = default;

private:
    std::map<std::int32_t, std::vector<double>> m_memoryBlocks;
};
