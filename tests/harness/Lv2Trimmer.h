// SPDX-License-Identifier: MIT
// The LV2 bundle as built, read through lilv as LV2 hosts read it, and instances of it.
#pragma once

#include <gtest/gtest.h>
#include <lilv/lilv.h>

#include <memory>
#include <string>

namespace testhost {

// A lilv world holding the bundle alone, read once per program.
struct Lv2Bundle {
    using Node = std::unique_ptr<LilvNode, void (*)(LilvNode*)>;
    LilvWorld* world = lilv_world_new();
    const LilvPlugin* plugin = nullptr;
    Lv2Bundle() {
        lilv_world_load_bundle(world, own(lilv_new_file_uri(world, nullptr, QT_LV2_BUNDLE)).get());
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri(QT_LV2_URI).get());
    }
    ~Lv2Bundle() { lilv_world_free(world); }
    static const Lv2Bundle& get() {
        static const Lv2Bundle bundle;
        return bundle;
    }
    static Node own(LilvNode* node) { return Node(node, lilv_node_free); }
    Node uri(const std::string& text) const { return own(lilv_new_uri(world, text.c_str())); }
};

// An instance at 48 kHz with its four levels connected, activated.
struct Lv2Trimmer {
    LilvInstance* instance = lilv_plugin_instantiate(Lv2Bundle::get().plugin, 48000.0, nullptr);
    float levels[4] = {};
    Lv2Trimmer() {
        EXPECT_NE(instance, nullptr) << "no instance of " QT_LV2_BUNDLE;
        for (std::uint32_t k = 0; instance != nullptr && k < 4; ++k)
            lilv_instance_connect_port(instance, 16 + k, &levels[k]);
        if (instance != nullptr) lilv_instance_activate(instance);
    }
    ~Lv2Trimmer() {
        if (instance == nullptr) return;
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
    }
    Lv2Trimmer(const Lv2Trimmer&) = delete;
    Lv2Trimmer& operator=(const Lv2Trimmer&) = delete;
    // Runs `frames` frames from frame `start` of each of the eight channels.
    void run(float* const* in, float* const* out, std::uint32_t start, std::uint32_t frames) {
        for (std::uint32_t c = 0; instance != nullptr && c < 8; ++c) {
            lilv_instance_connect_port(instance, c, in[c] + start);
            lilv_instance_connect_port(instance, 8 + c, out[c] + start);
        }
        if (instance != nullptr) lilv_instance_run(instance, frames);
    }
};

} // namespace testhost
