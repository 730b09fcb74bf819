// SPDX-License-Identifier: MIT
// Host buffers for a processing call: `channels` channels of `frames` samples each, and the
// array of channel pointers the call takes. A plug-in without channels still gets an array
// (holding one null pointer). Copies point at their own samples.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace plughost {

template <class Sample>
struct ChannelBuffers {
    ChannelBuffers(int channelCount, int frameCount)
        : data(static_cast<std::size_t>(channelCount > 0 ? channelCount : 0),
               std::vector<Sample>(static_cast<std::size_t>(frameCount > 0 ? frameCount : 0))) {
        point();
    }
    ChannelBuffers(const ChannelBuffers& other) : data(other.data) { point(); }
    ChannelBuffers& operator=(const ChannelBuffers& other) {
        data = other.data;
        point();
        return *this;
    }

    Sample** channels() { return pointers.data(); }
    std::size_t count() const { return data.size(); }
    // Silence in the first frames of every channel.
    void clear(std::size_t frames) {
        for (auto& channel : data)
            std::fill_n(channel.data(), std::min(frames, channel.size()), Sample(0));
    }

    std::vector<std::vector<Sample>> data;
    std::vector<Sample*> pointers;

private:
    void point() {
        pointers.clear();
        for (auto& channel : data)
            pointers.push_back(channel.data());
        if (pointers.empty()) pointers.push_back(nullptr);
    }
};

} // namespace plughost
