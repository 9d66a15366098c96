# F5 in the browser opens the full-size window on the selected picture; F2 there zooms it to
# 25 %, which renames the window and shrinks it around the smaller picture; the navigation bar
# stays above it all the while. Every key is pressed as a user presses it, on the active window.
source "$(dirname "$0")/lib.bash"

dir="$work/pictures"
mkdir -p "$dir"
convert -size 400x300 gradient:red-blue "$dir/photo.png"

start "$dir"
browser=$(window_with_title "Glimra v2.0")
bar=$(window_with_title "Glimra NavBar")

# press WINDOW KEY: makes the window the active one, then presses the key.
press() {
    activate "$1"
    xdotool key "$2"
}

# above LOWER UPPER: UPPER is higher in the window manager's stacking order than LOWER.
above() {
    local order="" id lower upper
    for id in $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //' | tr ',' ' '); do
        order+="$((id))"$'\n'
    done
    lower=$(printf '%s\n' "$order" | grep -nx "$1" | cut -d: -f1)
    upper=$(printf '%s\n' "$order" | grep -nx "$2" | cut -d: -f1)
    [ -n "$lower" ] && [ -n "$upper" ] && [ "$upper" -gt "$lower" ]
}

press "$browser" Down
press "$browser" F5
full=$(window_with_title "Glimra Full Size" 10)
# The window manager maps the window, then the program sizes it to the picture.
for _ in $(seq 30); do
    read -r _ _ w100 h100 < <(outer_geometry "$full")
    [ "$w100" -ge 400 ] && [ "$h100" -ge 318 ] && break
    sleep 0.1
done
[ "$w100" -ge 400 ] && [ "$h100" -ge 318 ] || fail "the full-size window is $w100 x $h100"
above "$full" "$bar" || fail "the navigation bar is below the full-size window"

press "$full" F2
zoomed=$(window_with_title "Glimra .25x Zoom" 10)
[ "$zoomed" = "$full" ] || fail "F2 opened another window instead of renaming this one"
for _ in $(seq 30); do
    read -r _ _ w25 h25 < <(outer_geometry "$full")
    [ "$w25" -lt "$w100" ] && [ "$h25" -lt "$h100" ] && break
    sleep 0.1
done
[ "$w25" -lt "$w100" ] && [ "$h25" -lt "$h100" ] ||
    fail "at 25 % the window is $w25 x $h25, at 100 % it was $w100 x $h100"
# The picture is 100 x 75 at 25 %, with the 18 high status panel below it.
[ "$h25" -lt "$((h100 - 150))" ] || fail "at 25 % the window is still $w25 x $h25"
above "$full" "$bar" || fail "the navigation bar went below the zoomed window"
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "ok"
