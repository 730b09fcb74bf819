#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs one 64-bit Windows program under wine64 for CTest: in the project's own wine prefix
# (never ~/.wine), prepared once for headless use, with one persistent wine server, and with
# the program's exit code as this script's exit code. Wine's own background processes would
# keep CTest's output pipes open, so the program's output goes through temporary files.
set -u
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64
if [[ ! -x $wine || ! -x $server ]]; then
    echo "wine-run: $wine is missing; install the Debian package wine64 (tools/setup.sh does)" >&2
    exit 127
fi

export WINEPREFIX=${QT_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/qualtrevin/wine64}
export WINEDEBUG=-all
# No Mono or Gecko installers while the prefix is made.
export WINEDLLOVERRIDES="mscoree=;mshtml="
mkdir -p "$(dirname "$WINEPREFIX")"

# Wine's processes must not inherit the lock descriptor: the server would hold the lock for
# as long as it lives.
quiet() { "$@" >/dev/null 2>&1 9>&-; }
(
    flock 9
    if [[ ! -f $WINEPREFIX/.qualtrevin-ready ]]; then
        quiet "$wine" wineboot -i
        # A crash must end the program, not wait in a debugger or a dialog.
        quiet "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
            /v Debugger /t REG_SZ /d '' /f
        quiet "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD \
            /d 0 /f
        # Windows without a display, and Arial as a font that exists.
        quiet "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f
        quiet "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ \
            /d 'Liberation Sans' /f
        quiet "$server" -k
        quiet "$server" -w
        touch "$WINEPREFIX/.qualtrevin-ready"
    fi
    quiet "$server" -p60
) 9>"$WINEPREFIX.lock"

out=$(mktemp)
err=$(mktemp)
"$wine" "$@" >"$out" 2>"$err" </dev/null
status=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $status
