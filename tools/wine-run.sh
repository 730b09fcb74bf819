#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs one Windows program under wine, for CTest and by hand:
#   tools/wine-run.sh PROGRAM.exe [ARGUMENTS...]
#   tools/wine-run.sh --prepare      (only makes the prefix and starts its server)
# The loader goes by the program's width (the machine field of its PE header): wine64 for
# 64-bit programs, wine's 32-bit loader (Debian package wine32) for 32-bit ones; both run in the
# same kind of 64-bit prefix. The prefix is the project's own (QT_WINEPREFIX, never ~/.wine),
# prepared once for headless use, with one persistent wine server, and the program's exit code
# is this script's exit code. Wine's own background processes would keep CTest's output pipes
# open, so the program's output goes through temporary files.
set -u
if (($# == 0)); then
    echo "usage: wine-run.sh PROGRAM.exe [ARGUMENTS...] | --prepare" >&2
    exit 2
fi
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64
if [[ ! -x $wine || ! -x $server ]]; then
    echo "wine-run: $wine is missing; install the Debian package wine64 (tools/setup.sh does)" >&2
    exit 127
fi

# The machine field of a PE file: "014c" for x86, "8664" for x64; nothing for other files
# (a program wine finds by name runs with wine64).
pe_machine() {
    local header # where the PE header starts
    header=$(od -An -tu4 -j60 -N4 -- "$1" 2>/dev/null) && [[ $header == *[0-9]* ]] || return 0
    [[ $(od -An -c -j$((header)) -N4 -- "$1" 2>/dev/null | tr -d ' ') == 'PE\0\0' ]] || return 0
    od -An -tx2 -j$((header + 4)) -N2 -- "$1" | tr -d ' '
}
program_wine=$wine
if [[ $(pe_machine "$1") == 014c ]]; then
    program_wine=/usr/lib/wine/wine
    if [[ ! -x $program_wine ]]; then
        echo "wine-run: $1 is a 32-bit program and $program_wine is missing; install the" \
            "Debian package wine32 (architecture i386; tools/setup.sh does)" >&2
        exit 127
    fi
fi

export WINEPREFIX=${QT_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/qualtrevin/wine64}
export WINEDEBUG=-all
# No Mono or Gecko installers while the prefix is made.
export WINEDLLOVERRIDES="mscoree=;mshtml="
mkdir -p "$(dirname "$WINEPREFIX")"

# Wine's processes must not inherit the lock descriptor: the server would hold the lock for
# as long as it lives.
quiet() { "$@" >/dev/null 2>&1 9>&-; }
# The mark of a prepared prefix is named anew whenever these settings change.
(
    flock 9
    if [[ ! -f $WINEPREFIX/.qualtrevin-ready-2 ]]; then
        quiet "$wine" wineboot -i
        # A crash must end the program, not wait in a debugger or a dialog; 32-bit programs
        # read the 32-bit view of the machine's settings.
        for view in 64 32; do
            quiet "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
                /v Debugger /t REG_SZ /d '' /f /reg:$view
        done
        quiet "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD \
            /d 0 /f
        # Windows without a display, and Arial as a font that exists.
        quiet "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f
        quiet "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ \
            /d 'Liberation Sans' /f
        quiet "$server" -k
        quiet "$server" -w
        touch "$WINEPREFIX/.qualtrevin-ready-2"
    fi
    quiet "$server" -p60
) 9>"$WINEPREFIX.lock"
[[ $1 == --prepare ]] && exit 0

out=$(mktemp)
err=$(mktemp)
"$program_wine" "$@" >"$out" 2>"$err" </dev/null
status=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $status
