// SPDX-License-Identifier: MIT
// A library that loads but exports no VST entry point.
extern "C" __attribute__((visibility("default"))) int notAPlugin() {
    return 0;
}
