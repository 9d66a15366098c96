#!/usr/bin/env bash
# with_xvfb.sh COMMAND...: runs the command inside an X server of its own (Xvfb, 1280 x 1024,
# 24 bits), then stops the server. The server picks a free display itself (-displayfd), so two
# servers starting at once, or the lock file a killed one left behind, can never hand the
# command a display that is someone else's or not there (xvfb-run -a could do both).
set -uo pipefail
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/server.log" &
server=$!
stop() {
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -rf "$work"
}
trap stop EXIT
# The display number is written once the server accepts connections.
for _ in $(seq 300); do
    [ -s "$work/display" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "FAIL: Xvfb did not start" >&2
    cat "$work/server.log" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"
"$@"
