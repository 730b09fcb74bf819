// SPDX-License-Identifier: MIT
// A plug-in whose editor tests how a host sizes its window. The editor makes no window of its
// own: the host's window shows its own background at the size the host gave it. Two inputs and
// outputs passed through. With PLUGHOST_SIZING_EDITOR set to
//   late    effEditGetRect gives no size until the editor is open, then 320 x 200
//   resize  240 x 120 from the start; in its fifth idle tick the editor asks the host to resize
//           its window to 300 x 150 (audioMasterSizeWindow) and gives that size from then on
#include "host/VstInterface.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Sizing {
    AEffect record{};
    audioMasterCallback host = nullptr;
    ERect rect{};
    bool open = false;
    int ticks = 0;
};

Sizing* of(AEffect* effect) {
    return static_cast<Sizing*>(effect->object);
}

bool mode(const char* name) {
    const char* value = std::getenv("PLUGHOST_SIZING_EDITOR");
    return value != nullptr && std::strcmp(value, name) == 0;
}

void setSize(Sizing& plugin, short width, short height) {
    plugin.rect = ERect{0, 0, height, width};
}

VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    Sizing* plugin = of(effect);
    switch (opcode) {
    case effClose:
        delete plugin;
        return 1;
    case effEditGetRect:
        if (ptr == nullptr) return 0;
        if (mode("late") && !plugin->open) {
            *static_cast<ERect**>(ptr) = nullptr;
            return 0;
        }
        *static_cast<ERect**>(ptr) = &plugin->rect;
        return 1;
    case effEditOpen:
        plugin->open = true;
        plugin->ticks = 0;
        if (mode("late")) setSize(*plugin, 320, 200);
        return 1;
    case effEditIdle:
        if (plugin->open && mode("resize") && ++plugin->ticks == 5) {
            setSize(*plugin, 300, 150);
            plugin->host(effect, audioMasterSizeWindow, 300, 150, nullptr, 0.0f);
        }
        return 0;
    case effEditClose:
        plugin->open = false;
        return 1;
    case effGetEffectName:
        std::snprintf(static_cast<char*>(ptr), 32, "plughost sizing editor");
        return 1;
    default:
        return 0;
    }
}

void processReplacing(AEffect*, float** inputs, float** outputs, VstInt32 frames) {
    for (int c = 0; c < 2; ++c)
        std::memcpy(outputs[c], inputs[c], sizeof(float) * static_cast<std::size_t>(frames));
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    auto* plugin = new Sizing;
    plugin->host = host;
    setSize(*plugin, 240, 120);
    AEffect& record = plugin->record;
    record.magic = kEffectMagic;
    record.dispatcher = dispatcher;
    record.numInputs = 2;
    record.numOutputs = 2;
    record.flags = effFlagsCanReplacing | effFlagsHasEditor;
    record.object = plugin;
    record.uniqueID = 0x53697A65; // "Size"
    record.version = 1;
    record.processReplacing = processReplacing;
    return &record;
}
