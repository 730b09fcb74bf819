// SPDX-License-Identifier: MIT
// identity: the record, the texts a host asks for measured in guard-filled buffers, canDo
// answers.
#include "validate/CheckSupport.h"

#include "report/PluginTexts.h"

#include <algorithm>

namespace plughost::validate {
namespace {

constexpr VstInt32 kMaxCount = 10000;
constexpr VstInt32 kMaxNamedPrograms = 128;

// what: "the effect name", "a parameter's name" (where names which).
std::string askText(Findings& out, Plugin& plugin, const std::string& what, VstInt32 opcode,
                    VstInt32 index, std::size_t hostSize, const Case& where = {}) {
    const std::string place = describe(where);
    out.stage("asking for " + what + (place.empty() ? "" : " (" + place + ")"), where);
    return judgeText(out, what, writtenText(plugin, opcode, index), hostSize, where);
}

void checkRecord(Findings& out, const AEffect& record) {
    if (record.processReplacing == nullptr)
        out.fail("the record has no processReplacing entry");
    else if ((record.flags & effFlagsCanReplacing) == 0)
        out.warn("the record's flags do not announce effFlagsCanReplacing");
    if ((record.flags & effFlagsCanDoubleReplacing) != 0 &&
        record.processDoubleReplacing == nullptr)
        out.fail("the flags announce 64-bit processing but the record has no entry for it");
    if (record.numPrograms < 0 || record.numPrograms > kMaxCount)
        out.fail("the record announces " + std::to_string(record.numPrograms) + " programs");
    if (record.numParams > kMaxCount)
        out.fail("the record announces " + std::to_string(record.numParams) + " parameters");
    if (record.numInputs == 0 && record.numOutputs == 0)
        out.warn("the record announces neither inputs nor outputs");
    if (record.uniqueID == 0) out.warn("the unique id is 0: hosts tell plug-ins apart by it");
}

// The texts of the parameters and programs.
void askParameterAndProgramTexts(Findings& out, Plugin& plugin) {
    const AEffect& record = plugin.record();
    const VstInt32 parameters = std::min(record.numParams, kMaxSweptParameters);
    for (VstInt32 i = 0; i < parameters; ++i) {
        Case where;
        where.parameter = i;
        if (askText(out, plugin, "a parameter's name", effGetParamName, i, kParameterTextSize,
                    where)
                .empty())
            out.warn("a parameter has no name", {}, where);
        askText(out, plugin, "a parameter's label", effGetParamLabel, i, kParameterTextSize, where);
        askText(out, plugin, "a parameter's display text", effGetParamDisplay, i,
                kParameterTextSize, where);
    }
    askText(out, plugin, "the program name", effGetProgramName, 0, kProgramNameSize);
    const VstInt32 programs = std::min(record.numPrograms, kMaxNamedPrograms);
    for (VstInt32 i = 0; i < programs; ++i) {
        Case where;
        where.call = "effGetProgramNameIndexed " + std::to_string(i);
        askText(out, plugin, "a program's name", effGetProgramNameIndexed, i, kProgramNameSize,
                where);
    }
}

// Answers the capabilities the plug-in says yes to.
std::string askCanDo(Findings& out, Plugin& plugin) {
    out.stage("asking canDo questions");
    std::string answers;
    for (const char* capability :
         {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents", "sendVstMidiEvent",
          "receiveVstTimeInfo", "offline", "bypass", "noRealTime", "plugAsChannelInsert",
          "plugAsSend", "mixDryWet", "midiProgramNames", "1in1out", "2in2out", "8in8out"}) {
        const VstIntPtr answer = plugin.canDo(capability);
        if (answer < -1 || answer > 1)
            out.warn("canDo " + quote(capability) + " answers " + std::to_string(answer) +
                     " (expected -1, 0 or 1)");
        if (answer == 1) answers += std::string(answers.empty() ? "" : ", ") + capability;
    }
    if (plugin.canDo("plughostNoSuchCapability") == 1)
        out.warn("canDo answers yes to a capability that does not exist");
    return answers.empty() ? "none" : answers;
}

} // namespace

void checkIdentity(CheckContext& context) {
    Findings& out = context.out;
    const CheckedPlugin checked(context);
    Plugin& plugin = *checked;
    const AEffect& record = plugin.record();
    checkRecord(out, record);

    const std::string name =
        askText(out, plugin, "the effect name", effGetEffectName, 0, kEffectNameSize);
    if (name.empty()) out.warn("the effect name is empty");
    const std::string vendor =
        askText(out, plugin, "the vendor text", effGetVendorString, 0, kVendorTextSize);
    const std::string product =
        askText(out, plugin, "the product text", effGetProductString, 0, kVendorTextSize);
    askParameterAndProgramTexts(out, plugin);
    const std::string answers = askCanDo(out, plugin);

    out.stage("asking for the interface version");
    const VstIntPtr version = plugin.vstVersion();
    out.note(quote(name) + " by " + quote(vendor) + " (product " + quote(product) +
             "), unique id " + uniqueIdText(record.uniqueID) + ", version " +
             std::to_string(record.version) + ", interface " + std::to_string(version) + ", " +
             std::to_string(record.numInputs) + " in, " + std::to_string(record.numOutputs) +
             " out, " + std::to_string(record.numParams) + " parameters, " +
             std::to_string(record.numPrograms) + " programs" +
             (plugin.canDoubleReplacing() ? ", 64-bit processing" : "") +
             (plugin.programsAreChunks() ? ", state chunk" : "") +
             (plugin.hasEditor() ? ", editor" : ""));
    out.note("canDo yes: " + answers);
}

} // namespace plughost::validate
