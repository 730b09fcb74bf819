// SPDX-License-Identifier: MIT
// The table of plain functions through which the shell drives the effect. The shell never
// touches the effect's classes: each of its operations that concerns the effect calls one
// entry with the shell first. An empty entry makes that operation do nothing (answer 0).
#pragma once

#include <cstdint>

class CVeST;

struct HostBridgeTable {
    void (*create)(CVeST* shell);  //  0 end of shell construction
    void (*destroy)(CVeST* shell); //  1 shell destruction: deletes the effect
    void (*open)(CVeST* shell);    //  2 effOpen
    void (*suspend)(CVeST* shell); //  3 effMainsChanged 0
    void (*resume)(CVeST* shell);  //  4 effMainsChanged != 0
    void (*idle)(CVeST* shell);    //  5 editor idle tick
    void (*close)(CVeST* shell);   //  6 effClose
    void (*draw)(CVeST* shell, double width, double height);           //  7 view draw
    void (*mouseDown)(CVeST* shell, double x, double y, int buttons);  //  8
    void (*mouseUp)(CVeST* shell, double x, double y, int buttons);    //  9
    void (*mouseMoved)(CVeST* shell, double x, double y, int buttons); // 10
    void (*keyDown)(CVeST* shell, int character, std::uint8_t modifier,
                    std::uint8_t virtualKey); // 11
    void (*keyUp)(CVeST* shell, int character, std::uint8_t modifier,
                  std::uint8_t virtualKey);                     // 12
    std::int32_t (*getVendorVersion)(CVeST* shell);             // 13
    std::int32_t (*getVendorString)(CVeST* shell, char* text);  // 14
    std::int32_t (*getProductString)(CVeST* shell, char* text); // 15
    std::int32_t (*getEffectName)(CVeST* shell, char* text);    // 16
    void (*getProgramName)(CVeST* shell, char* text);           // 17
    void (*setProgramName)(CVeST* shell, const char* text);     // 18
    std::int32_t (*getProgramNameIndexed)(CVeST* shell, std::int32_t category, std::int32_t index,
                                          char* text);                         // 19
    double (*getParameter)(CVeST* shell, std::int32_t index);                  // 20
    void (*setParameter)(CVeST* shell, std::int32_t index, double value);      // 21
    void (*getParameterName)(CVeST* shell, std::int32_t index, char* text);    // 22
    void (*getParameterLabel)(CVeST* shell, std::int32_t index, char* text);   // 23
    void (*getParameterDisplay)(CVeST* shell, std::int32_t index, char* text); // 24
    void (*processReplacing)(CVeST* shell, float** inputs, float** outputs,
                             std::int32_t frames); // 25
    void (*processDoubleReplacing)(CVeST* shell, double** inputs, double** outputs,
                                   std::int32_t frames);                                  // 26
    std::int32_t (*getChunk)(CVeST* shell, void** data, bool isPreset);                   // 27
    std::int32_t (*setChunk)(CVeST* shell, void* data, std::int32_t size, bool isPreset); // 28
};

static_assert(sizeof(HostBridgeTable) == 29 * sizeof(void (*)()), "29 function entries");
