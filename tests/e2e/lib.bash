# Shared helpers of the end-to-end scripts: a private home, the program started in the
# background, and windows found by their exact title.
set -euo pipefail

program="$1"
work="$(mktemp -d)"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
pid=""
wm=""
helpers=() # further background processes, ended with the test

cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
    for helper in "${helpers[@]}"; do kill "$helper" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A real window manager frames the windows, so outer sizes and closing by the close box are
# tested as a user meets them.
openbox --sm-disable >"$work/wm.log" 2>&1 &
wm=$!
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

# outer_geometry WINDOW: prints "left top width height" of the window with its frame.
outer_geometry() {
    local win="$1" l=0 r=0 t=0 b=0 x y w h
    read -r x y w h < <(xwininfo -id "$win" | awk '/Absolute upper-left X/{x=$4}
        /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
    local extents
    extents=$(xprop -id "$win" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
    if [ -n "$extents" ]; then
        IFS=, read -r l r t b <<<"$extents"
    fi
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

# outer_geometry_settled WINDOW EXPECTED [SECONDS]: waits until the window's outer geometry
# starts with EXPECTED ("left top" or "left top width height"; the window manager frames the
# window, then the program corrects its place), and prints it as it is then, reached or not.
outer_geometry_settled() {
    local win="$1" expected="$2" seconds="${3:-10}" geometry
    for _ in $(seq $((seconds * 10))); do
        geometry=$(outer_geometry "$win")
        [[ "$geometry " == "$expected "* ]] && break
        sleep 0.1
    done
    echo "$geometry"
}

# visible_window XDOTOOL-SEARCH-ARGS...: waits up to 30 seconds for a mapped window that
# xdotool search finds with these arguments and prints its id, or nothing. (A machine busy
# with other tests may take that long to start the program.)
visible_window() {
    local id=""
    for _ in $(seq 300); do
        id=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && break
        sleep 0.1
    done
    echo "$id"
}

# activate WINDOW: makes the window the active one, as a click on it would.
activate() {
    # A loaded machine may map the window late or drop the first request: ask again each second,
    # every other time by giving the window the input focus, which the window manager follows.
    for try in $(seq 12); do
        if [ $((try % 2)) = 1 ]; then
            xdotool windowactivate "$1" >/dev/null 2>&1 || true
        else
            xdotool windowraise "$1" windowfocus "$1" >/dev/null 2>&1 || true
        fi
        for _ in $(seq 10); do
            [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && return 0
            sleep 0.1
        done
    done
    fail "window $1 did not become active"
}

# key_opens WINDOW KEY TITLE: presses KEY in WINDOW until a window titled TITLE shows, and
# prints its id. A key that reaches a busy machine before WINDOW has the keyboard is lost: it is
# sent again after five seconds without the window, four times at most.
key_opens() {
    local win="$1" key="$2" title="$3"
    for _ in $(seq 4); do
        activate "$win"
        xdotool key "$key"
        titled_window "$title" 5 && return 0
    done
    cat "$work/program.log" >&2
    fail "no window titled '$title' after the key $key"
}

# close_window WINDOW: asks the window to close, as its close box does.
close_window() {
    wmctrl -i -c "$1"
}

# start ARGS...: starts the program; its output goes to $work/program.log.
start() {
    "$program" "$@" >"$work/program.log" 2>&1 &
    pid=$!
}

# titled_window TITLE SECONDS: prints the id of the window named exactly TITLE once there is
# one; fails the test when the program ends first, returns 1 when none came within SECONDS.
titled_window() {
    local title="$1" seconds="$2" id
    for _ in $(seq $((seconds * 10))); do
        id=$(xdotool search --name "^$(printf '%s' "$title" | sed 's/[.[\*^$]/\\&/g')\$" 2>/dev/null | head -n 1 || true)
        if [ -n "$id" ] && [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$title" ]; then
            echo "$id"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || { cat "$work/program.log" >&2; fail "program ended early"; }
        sleep 0.1
    done
    return 1
}

# window_with_title TITLE [SECONDS]: prints the id of the window named exactly TITLE.
window_with_title() {
    titled_window "$1" "${2:-20}" && return 0
    cat "$work/program.log" >&2
    fail "no window titled '$1'"
}

# close_and_wait WINDOW: closes the window as its close box does and waits until the program
# has ended. A busy machine may drop the request: it is sent again every five seconds, for 30
# seconds at most.
close_and_wait() {
    for _ in $(seq 6); do
        close_window "$1" >/dev/null 2>&1 || true
        for _ in $(seq 50); do
            if ! kill -0 "$pid" 2>/dev/null; then
                wait "$pid" || fail "program exited with status $?"
                pid=""
                return 0
            fi
            sleep 0.1
        done
    done
    fail "program still running 30 s after its window was closed"
}

# start_accessibility: a session bus with the accessibility bus on it, so that the program
# started next publishes its controls the way a screen reader reads them (AT-SPI). Read them
# with accessible (below).
start_accessibility() {
    eval "$(dbus-launch --sh-syntax </dev/null 2>/dev/null)"
    helpers+=("$DBUS_SESSION_BUS_PID")
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/atspi.log" 2>&1 &
    helpers+=("$!")
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    for _ in $(seq 50); do
        dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
            org.a11y.Bus.GetAddress >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "the accessibility bus did not start"
}

# accessible COMMAND LIST [ARG]: tests/e2e/accessible.py with a Python that has pyatspi.
accessible() {
    local python=/usr/bin/python3
    [ -x "$python" ] || python=python3
    "$python" "$(dirname "${BASH_SOURCE[0]}")/accessible.py" "$@"
}
