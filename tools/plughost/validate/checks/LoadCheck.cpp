// SPDX-License-Identifier: MIT
// load: the file is a VST 2.4 library (it loads, has an entry point, which makes a record with
// the magic), and who the plug-in is. Runs before every other check; the record is reported as
// soon as it is accepted, so that a crash afterwards is the plug-in's, not the file's.
#include "validate/CheckSupport.h"

namespace plughost::validate {

void checkLoad(CheckContext& context) {
    Findings& out = context.out;
    out.stage(kLoadingStage);
    const PluginLibrary library(context.plugin);
    out.stage("calling the entry point " + library.entryName());
    Plugin plugin(library);
    plugin.leaveOpen();
    const AEffect& record = plugin.record();
    PluginIdentity identity;
    identity.library = library.file();
    identity.uniqueId = record.uniqueID;
    identity.version = record.version;
    identity.inputs = record.numInputs;
    identity.outputs = record.numOutputs;
    identity.parameters = record.numParams;
    identity.programs = record.numPrograms;
    identity.editor = plugin.hasEditor();
    identity.stateChunk = plugin.programsAreChunks();
    identity.doublePrecision = plugin.canDoubleReplacing();
    out.identity(identity);
    out.stage("asking for the plug-in's names");
    identity.name = plugin.effectName();
    identity.vendor = plugin.vendorString();
    identity.product = plugin.productString();
    identity.vendorVersion = plugin.vendorVersion();
    out.identity(identity);
}

} // namespace plughost::validate
