// SPDX-License-Identifier: MIT
// What `plughost --help` and `plughost --version` print.
#include "CommandLine.h"

namespace plughost {

std::string versionText() {
    return std::string("plughost ") + PLUGHOST_VERSION + "\n";
}

std::string usageText() {
    return R"(plughost: runs a VST 2.4 plug-in offline over audio files

usage:
  plughost info PLUGIN [--json]
  plughost process PLUGIN -i IN -o OUT [PLUGIN SETTINGS] [--block N] [--precision 32|64]
                   [-P PLUGIN [PLUGIN SETTINGS]]...
                   [--tail SECONDS|auto] [--force] [--strict]
                   [--format wav|aiff|flac] [--bits 16|24|32f] [--keep-format]
                   [--dither tpdf|none] [--seed N] [--channels LIST | --map LIST]
                   [--json FILE] [--rate R [--resample]] [--verbose]
    PLUGIN SETTINGS: [--param SETTING]... [--automation FILE] [--state FILE]
                     [--save-state FILE], for the plug-in named last before them
  plughost process PLUGIN -i IN... --out-dir DIR [--jobs N] [options as above]
  plughost gen -o FILE [--channels N] [--seconds S] [--rate R]
  plughost validate PLUGIN [--level 1..10] [--only NAME] [--json FILE] [--seconds S]
                    [--timeout S] [--verbose]
  plughost editor PLUGIN [--seconds S] [--screenshot FILE.png]
  plughost --help | --version

info     Loads the plug-in library and prints its name, vendor, version, unique id, inputs
         and outputs, latency, flags, answers to the usual capability questions, and a table
         of its parameters (index, name, display text, label, normalised value).
  --json                the same as JSON, each parameter also with its display at the
                        normalised values 0, 0.5 and 1

process  Runs the plug-in over IN, writes its outputs to OUT and prints the peak and RMS
         level of every channel before and after, in dBFS. The plug-in runs at IN's sample
         rate (or at --rate R, IN converted to it with --resample). Its delay (latency) is
         taken out: output frame k lines up with input frame k, and OUT is as long as IN
         plus the tail. The delay is read after a short warm-up of silence (then the
         plug-in is suspended and resumed), since many plug-ins announce it only once they
         process, and again after every block: a delay that changes during the run is
         followed from there on and reported in a warning.
  -i, --input IN        audio file to read: WAV, AIFF, FLAC or anything else libsndfile
                        reads (the Windows build: WAV only), any channel count. Its
                        channels go to the plug-in's inputs in order; inputs the file
                        lacks get silence, and file channels beyond the plug-in's
                        inputs are dropped (both are reported).
  -o, --output OUT      file to write, with all of the plug-in's outputs (or those
                        --channels or --map choose) at the rate the plug-in ran at. Unless
                        --format, --bits or --keep-format say otherwise, its
                        extension picks the format: .wav (32-bit float WAV), .aiff
                        or .aif (32-bit float AIFF), .flac (24-bit FLAC).
  -p, --param SETTING   sets a parameter before processing; may be repeated.
                        NAME=VALUE or INDEX=VALUE, where VALUE is one of
                          a normalised value from 0 to 1 (--param 0=0.25)
                          a number as the plug-in displays it, with the
                            parameter's unit (its label or what follows the
                            number in its display; any unit if it names none):
                            --param "level stereo 1=-6dB", --param "mix=50%".
                            A bare number outside 0 to 1 is a display value too
                            when the display is a number (--param ratio=8).
                          a word the plug-in displays (--param bypass=on,
                            --param mode=Peak), ignoring case.
                        Numbers are written as in C (-3.5, 1e-3; no commas).
                        Display values are met exactly where the plug-in can
                        show them (else the nearest it shows), in the middle of
                        the stretch of settings that show them.
                        Names match exactly, else ignoring case.
                        NAME@TIME=VALUE changes the parameter during processing,
                        TIME seconds into the input (2.5, 2.5s or 2500ms): the
                        block is split there, so the change lands on that frame
                        of the input (--param "level stereo 1@2.5s=-6dB").
  --automation FILE     timed changes from a CSV file, one a line: TIME,PARAMETER,VALUE
                        (a header line and lines starting with # are skipped), for the
                        plug-in named last
  --rate R              the sample rate the plug-in must run at: an input at another
                        rate is refused, unless --resample is given
  --resample            with --rate R: an input at another rate is converted to R on its
                        way to the plug-in, block by block (libsoxr, very high quality:
                        28-bit precision, linear phase), and OUT is written at R. N
                        frames at rate F become N*R/F frames, rounded to the nearest
                        (halves up), frame k at time k/R as in IN: the converter's delay
                        is taken out and its end flushed. Times (NAME@TIME, --automation,
                        --tail) are seconds, so they land on the frame at R; the input
                        levels shown are those of the converted signal. An input already
                        at R passes untouched.
  -P, --plugin PLUGIN   another plug-in after the last one: the chain runs in one pass,
                        each plug-in's outputs going to the next one's inputs in
                        order, and the delays of all of them are taken out. --param,
                        --automation, --state and --save-state belong to the plug-in
                        named last before them.
  --out-dir DIR         a batch: every -i (given more than once, or a pattern such as
                        'takes/*.wav' in quotes) is processed on its own into DIR,
                        under its own name (extension from --format, else its own).
                        One line per file, its warnings each on a line of their own,
                        and a total are printed; a file that fails does not stop the
                        others, and the exit status is 1 if any did. --json FILE
                        writes one report with a record per file.
  -j, --jobs N          files processed at once in a batch (default: one per processor)
  -b, --block N         frames per processing call (default 1024)
  --precision 32|64     the plug-in's 32-bit (default) or 64-bit processing; 64 needs a
                        plug-in that offers double-precision processing
  --state FILE          restores a state file into the plug-in named last before
                        processing (--param still applies afterwards): a plughost state
                        file or a program file (.fxp)
  --save-state FILE     saves the state of the plug-in named last to FILE after
                        processing: a program
                        file (.fxp) when FILE ends in .fxp, else a plughost state file.
                        Both hold the plug-in's state chunk, or its parameter values
                        when it keeps no chunk.
  --tail SECONDS|auto   keeps processing silence after IN so that reverb and echo tails
                        are kept (default 0); auto stops once the output has stayed
                        below -120 dBFS for a second, after 30 s at most
  -f, --force           replaces output files without write permission
  --strict              any warning (clipping, non-finite output, a delay that changed,
                        a truncated input, a state of another plug-in version) makes
                        the exit status 1; the outputs are still written
  --json FILE           also writes a JSON report to FILE: settings, levels, clipping,
                        warnings and timing
  --format wav|aiff|flac  the output's format (default: from OUT's extension)
  --bits 16|24|32f      the output's samples: 16- or 24-bit integers or 32-bit float
                        (default 32f; FLAC 24)
  --keep-format         writes the input's format and sample type
  --dither tpdf|none    integer output: triangular dither of two least significant bits
                        (default) or plain rounding; samples the format holds exactly
                        are written unchanged
  --seed N              starts the dither's generator at N (default 1): runs with the
                        same seed write the same file
  --channels LIST       writes only these plug-in outputs, counted from 1 (1-2,5)
  --map LIST            output file channel k carries plug-in output LIST[k], counted
                        from 1, 0 for silence (--map 1,2,0,0)
  -v, --verbose         lifecycle, timing and host-call details on standard error

gen      Writes a test signal: channel k (counted from 1) carries a sine of 220*k Hz at
         -12 dBFS.
  -o, --output FILE     file to write; format from its extension as for process
  --channels N          channel count (default 8)
  --seconds S           length (default 4)
  --rate R              sample rate in Hz (default 48000)

validate Judges the plug-in library (or Name.vst bundle) by a suite of checks, each in a
         process of its own; exit status 3 for a file that is not a VST 2.4 library. See
         plughost validate --help.

editor   Opens the plug-in's editor in a window of its own (X11 or Win32) and sends it
         idle ticks until the window is closed, or for S seconds; --screenshot saves the
         editor's area as PNG after S seconds (default 1). An editor that gives no size
         before it is open gets a 400 x 300 window, sized again once it is open; the
         window follows the editor's own requests to resize it.

Output, state and report files are written under a temporary name and renamed when
complete: a failed run leaves none behind. A file that is replaced keeps its
permissions, a symbolic link is written through, no output may be one of the files
the run reads, and no two outputs may be the same file.
Integer output (FLAC) cannot hold samples above 0 dBFS: they are clipped, counted and
reported in a warning, and the level table shows what was written. A progress bar
appears on standard error when it is a terminal and the work takes more than a second.
Exit status: 0 done, 1 failed (one line on standard error says why) or warnings with
--strict, 2 bad command line or a setting the plug-in cannot take, 128+N the plug-in
crashed with signal N (on Windows: the exception's code, such as 0xC0000005).
)";
}

} // namespace plughost
