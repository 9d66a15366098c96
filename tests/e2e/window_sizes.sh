# Window sizes under a real window manager. A tiny picture gets a full-size window wide enough
# for its caption, with the picture in the middle. Saved places that cannot fit the 1280-pixel
# screen (a divider at 3000, a bad width after a good left and top, lost left edges with bad
# tops) leave every window on the screen, and only the windows the user sizes can be maximized.
source "$(dirname "$0")/lib.bash"

read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/{split($2, d, "x"); print d[1], d[2]}')

dir="$work/pictures"
mkdir -p "$dir"
convert -size 32x32 xc:'rgb(230,20,160)' "$dir/dot.png"

cat >"$XDG_CONFIG_HOME/GLIM.INI" <<'EOF'
[Locations]
Splitter1Left=3000
Form1Left=100
Form1Top=50
Form1Width=wide
NavBarLeft=-5000
NavBarTop=oops
Form2Left=-4000
Form2Top=bad
EOF

# The bad width ends the browser's creation before it enters the folder given: it stays in the
# folder it was started in.
cd "$dir"
start
cd - >/dev/null
# Each bad value is reported once, in the standard error box.
for expected in wide oops bad; do
    box=$(visible_window --name '^Glimra Version 2\.0$')
    if [ -z "$box" ]; then
        cat "$work/program.log" >&2
        xdotool search --onlyvisible --name . getwindowname %@ >&2 2>/dev/null || true
        fail "no error box for the bad value '$expected'"
    fi
    xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
    xdotool key Return 2>/dev/null || true
    for _ in $(seq 50); do
        xwininfo -id "$box" 2>/dev/null | grep -q IsViewable || break
        sleep 0.1
    done
done
browser=$(window_with_title "Glimra v2.0")
bar=$(window_with_title "Glimra NavBar")

# on_screen WINDOW: some part of the window's frame lies on the screen.
on_screen() {
    local x y w h
    read -r x y w h < <(outer_geometry "$1")
    [ $((x + w)) -gt 0 ] && [ $((y + h)) -gt 0 ] && [ "$x" -lt "$screen_w" ] && [ "$y" -lt "$screen_h" ]
}

read -r bx by bw bh < <(outer_geometry_settled "$browser" "100 50")
[ "$bx $by" = "100 50" ] || fail "the browser is at $bx,$by: a bad width discarded the left and top"
[ "$bw" -le "$screen_w" ] || fail "the browser is $bw wide on a $screen_w screen"
on_screen "$bar" || fail "the navigation bar is off the screen: $(outer_geometry "$bar")"

# The window manager offers to maximize the windows the user sizes, never the fixed-size bar.
xprop -id "$browser" _NET_WM_ALLOWED_ACTIONS | grep -q _NET_WM_ACTION_MAXIMIZE_HORZ ||
    fail "the browser cannot be maximized"
if xprop -id "$bar" _NET_WM_ALLOWED_ACTIONS | grep -q -e MAXIMIZE -e _NET_WM_ACTION_RESIZE; then
    fail "the navigation bar can be maximized or resized"
fi

activate "$browser"
xdotool key Down
sleep 0.3
full=$(key_opens "$browser" F5 "Glimra Full Size")
sleep 0.5
on_screen "$full" || fail "the full-size window is off the screen: $(outer_geometry "$full")"

# The 32 x 32 picture's window is wide enough for its caption and its buttons.
read -r _ _ fw fh < <(outer_geometry "$full")
[ "$fw" -ge 150 ] || fail "the full-size window is only $fw wide"
[ "$fh" -gt 50 ] || fail "the full-size window is only $fh high"

# The picture sits in the middle of the picture area, above the 18-pixel status line. Both the
# bar and this window were put at the screen's corner: the window is moved clear of the bar,
# which stays above it. The window manager frames the window, then the program sizes it: wait
# for the picture whole.
xdotool windowmove "$full" 400 300
for _ in $(seq 30); do
    import -window "$full" "$work/full.png"
    read -r cw ch <<<"$(identify -format '%w %h' "$work/full.png")"
    bounds=$(convert "$work/full.png" -alpha off -fill black +opaque 'rgb(230,20,160)' -trim \
        -format '%w %h %X %Y' info:)
    read -r pw ph px py <<<"${bounds//+/}"
    [ "$pw x $ph" = "32 x 32" ] && break
    sleep 0.2
done
[ "$pw x $ph" = "32 x 32" ] || fail "the picture shows as $pw x $ph ($bounds)"
area_h=$((ch - 18))
[ $((2 * px + pw - cw)) -ge -2 ] && [ $((2 * px + pw - cw)) -le 2 ] ||
    fail "the picture is at x $px in a $cw-wide window: not centred"
[ $((2 * py + ph - area_h)) -ge -2 ] && [ $((2 * py + ph - area_h)) -le 2 ] ||
    fail "the picture is at y $py in a $area_h-high area: not centred"
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "ok"
