#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs one program with a display of its own: starts Xvfb on a free display number (it picks
# one and reports it), runs the program with DISPLAY set to it, stops the server and returns
# the program's exit code. The server does not reset when its last client leaves, so the
# program may close and reopen connections.
set -euo pipefail
if (($# == 0)); then
    echo "usage: with-xvfb.sh PROGRAM [ARGUMENTS...]" >&2
    exit 2
fi
command -v Xvfb >/dev/null || { echo "with-xvfb.sh: Xvfb is not installed (tools/setup.sh)" >&2; exit 2; }
folder=$(mktemp -d)
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$folder"' EXIT
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x768x24 3>"$folder/display" \
    2>"$folder/server.log" &
server=$!
for _ in $(seq 1 200); do
    [[ -s $folder/display ]] && break
    kill -0 "$server" 2>/dev/null || { cat "$folder/server.log" >&2; exit 2; }
    sleep 0.05
done
[[ -s $folder/display ]] || { echo "with-xvfb.sh: Xvfb did not start" >&2; exit 2; }
export DISPLAY=":$(head -n1 "$folder/display")"
set +e
"$@"
status=$?
set -e
exit "$status"
