// SPDX-License-Identifier: MIT
// The LV2 bundle as built, read through lilv as LV2 hosts read it, and instances of it.
#pragma once

#include <lilv/lilv.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace testhost {

// The bundle alone in a lilv world, read once per program.
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

// An instance at 48 kHz with its four levels connected, activated; a test that cannot make one
// fails (with an exception, which GoogleTest reports).
struct Lv2Trimmer {
    static void release(LilvInstance* made) {
        lilv_instance_deactivate(made);
        lilv_instance_free(made);
    }
    std::unique_ptr<LilvInstance, void (*)(LilvInstance*)> instance{
        lilv_plugin_instantiate(Lv2Bundle::get().plugin, 48000.0, nullptr), release};
    float levels[4] = {};
    Lv2Trimmer() {
        if (instance == nullptr) throw std::runtime_error("no instance of " QT_LV2_BUNDLE);
        for (std::uint32_t k = 0; k < 4; ++k)
            lilv_instance_connect_port(instance.get(), 16 + k, &levels[k]);
        lilv_instance_activate(instance.get());
    }
    // Runs `frames` frames from frame `start` of each of the eight channels.
    void run(float* const* in, float* const* out, std::uint32_t start, std::uint32_t frames) {
        for (std::uint32_t c = 0; c < 8; ++c) {
            lilv_instance_connect_port(instance.get(), c, in[c] + start);
            lilv_instance_connect_port(instance.get(), 8 + c, out[c] + start);
        }
        lilv_instance_run(instance.get(), frames);
    }
};

} // namespace testhost
