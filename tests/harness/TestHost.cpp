// SPDX-License-Identifier: MIT
#include "TestHost.h"

#include "EntryCall.h"

#include "core/Failure.h"

#include <cstring>

namespace testhost {

namespace {
// The callback has no user pointer: the test in progress owns the one active host.
TestHost* g_activeHost = nullptr;
} // namespace

std::string pluginPath(const std::string& fileName) {
    return executableFolder() + "../plugin/" + fileName;
}

std::string trimmerPath() {
    return pluginPath(QT_TRIMMER_FILE_NAME);
}

TestHost::TestHost(const std::string& library) {
    try {
        m_library = std::make_unique<plughost::PluginLibrary>(library);
    } catch (const plughost::Failure& failure) {
        m_loadError = failure.what();
    }
    g_activeHost = this;
    timeInfo.sampleRate = 48000.0;
    timeInfo.tempo = 120.0;
    timeInfo.timeSigNumerator = 4;
    timeInfo.timeSigDenominator = 4;
    timeInfo.flags = kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid;
    calls.reserve(1024);
}

TestHost::~TestHost() {
    for (AEffect* effect : m_open)
        dispatch(effect, effClose);
    if (g_activeHost == this) g_activeHost = nullptr;
}

AEffect* TestHost::create(const char* entry) {
    return createWithCallback(entry, &callback);
}

AEffect* TestHost::createWithCallback(const char* entry, audioMasterCallback hostCallback) {
    const VstPluginMainProc main = m_library ? m_library->entry(entry) : nullptr;
    if (main == nullptr) return nullptr;
    g_activeHost = this;
    AEffect* effect = callEntry(main, hostCallback);
    if (effect != nullptr) m_open.push_back(effect);
    return effect;
}

VstIntPtr TestHost::dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                             void* ptr, float opt) {
    return callEntry(effect->dispatcher, effect, opcode, index, value, ptr, opt);
}

std::string TestHost::text(AEffect* effect, VstInt32 opcode, VstInt32 index) {
    char buffer[256];
    std::memset(buffer, 'X', sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    dispatch(effect, opcode, index, 0, buffer);
    return std::string(buffer);
}

VstIntPtr TestHost::close(AEffect* effect) {
    for (auto it = m_open.begin(); it != m_open.end(); ++it) {
        if (*it == effect) {
            m_open.erase(it);
            break;
        }
    }
    return dispatch(effect, effClose);
}

void TestHost::start(AEffect* effect, float sampleRate, VstIntPtr blockSize) {
    dispatch(effect, effOpen);
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effect, effSetBlockSize, 0, blockSize);
    dispatch(effect, effMainsChanged, 0, 1);
}

int TestHost::count(VstInt32 opcode) const {
    return opcode >= 0 && opcode < static_cast<VstInt32>(m_opcodeCounts.size())
               ? m_opcodeCounts[static_cast<std::size_t>(opcode)]
               : 0;
}

int TestHost::count(VstInt32 opcode, VstIntPtr value) const {
    int n = 0;
    for (const HostCall& call : calls)
        if (call.opcode == opcode && call.value == value) ++n;
    return n;
}

void TestHost::clearCalls() {
    calls.clear();
    m_opcodeCounts.fill(0);
}

VstIntPtr VSTCALLBACK TestHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                         VstIntPtr value, void*, float opt) {
    return g_activeHost != nullptr ? g_activeHost->answer(effect, opcode, index, value, opt) : 0;
}

VstIntPtr TestHost::answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                           float opt) {
    if (opcode >= 0 && opcode < static_cast<VstInt32>(m_opcodeCounts.size()))
        ++m_opcodeCounts[static_cast<std::size_t>(opcode)];
    if (recordCalls) calls.push_back(HostCall{effect != nullptr, opcode, index, value, opt});
    switch (opcode) {
    case audioMasterVersion:
        return versionAnswer;
    case audioMasterGetTime:
        return giveTimeInfo ? reinterpret_cast<VstIntPtr>(&timeInfo) : 0;
    case audioMasterUpdateDisplay:
        return updateDisplayAnswer;
    default:
        return 0;
    }
}

} // namespace testhost
