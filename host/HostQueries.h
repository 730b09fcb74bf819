// SPDX-License-Identifier: MIT
// What the effect runtime may ask of the shell and, through it, of the host. Every query takes
// the shell the effect is linked to; with no shell it answers 0 (0.0) and does nothing. Time
// queries ask the host anew each time and believe every field it fills, whatever its validity
// bits say.
#pragma once

#include <cstdint>

class CVeST;
struct CanvasInterface;

double hostSampleRate(CVeST* shell);         // stored sample rate (44100 until the host sets it)
std::int32_t hostChannelCount(CVeST* shell); // the host record's numInputs
std::int32_t hostOutputCount(CVeST* shell);  // the host record's numOutputs
std::int32_t hostBlockSize(CVeST* shell);    // stored maximum block size
double hostTempo(CVeST* shell);              // [audio]
// Tempo and time signature through the non-null out pointers; 1 when the host gave time
// information (nothing is written otherwise). [audio]
std::int32_t hostTempoAndTimeSig(CVeST* shell, double* tempo, double* numerator,
                                 double* denominator);
std::int32_t hostIsPlaying(CVeST* shell);   // [audio]
std::int32_t hostIsRecording(CVeST* shell); // [audio]
double hostPpqPos(CVeST* shell);            // [audio]
double hostBarStartPos(CVeST* shell);       // [audio]
// audioMasterUpdateDisplay; 1 when the host answers non-zero. [audio]
std::int32_t hostUpdateDisplay(CVeST* shell);
// Writes the host record's initialDelay; the host is not told (it reads the record). [audio]
std::int32_t hostSetLatency(CVeST* shell, std::int32_t samples);
// Asks the editor's view to redraw its whole area; 0 when there is no editor or view. [ui]
std::int32_t hostRedraw(CVeST* shell);
// The shell's canvas and image interface, or null (no shell, or a library without an editor).
const CanvasInterface* hostCanvas(CVeST* shell);
// Next MIDI event of the shell's ring: delta frames and data bytes 0..2 (as signed bytes);
// 1 when one was read, else 0 with all outs 0. [audio]
std::int32_t hostReadMidi(CVeST* shell, std::int32_t* deltaFrames, std::int32_t* byte0,
                          std::int32_t* byte1, std::int32_t* byte2);
std::int32_t hostSetSynth(CVeST* shell, bool isSynth);
// Sets the parameter and tells the host with audioMasterAutomate. [ui]
std::int32_t hostAutomate(CVeST* shell, std::int32_t index, double value);
std::int32_t hostSetNumInputs(CVeST* shell, std::int32_t inputs);
std::int32_t hostSetNumOutputs(CVeST* shell, std::int32_t outputs);
std::int32_t hostSetUniqueId(CVeST* shell, std::int32_t id);
