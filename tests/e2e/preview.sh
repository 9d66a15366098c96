# Started on a folder of pictures, the browser's file list has the keyboard: Down twice selects
# the second file, and the status line, the file-size line and the preview all show it, read
# back through the accessibility bus and from the pixels of the window on screen.
source "$(dirname "$0")/lib.bash"

dir="$work/pictures"
mkdir -p "$dir"
# Colours that nothing else in the window uses, one per file.
first='rgb(230,20,160)' second='rgb(40,210,60)' third='rgb(240,200,10)'
convert -size 120x80 "xc:$first" "$dir/a.png"
convert -size 90x60 "xc:$second" -type TrueColor "BMP3:$dir/b.bmp"
convert -size 60x90 "xc:$third" "$dir/c.png"

start_accessibility
start "$dir"
win=$(window_with_title "Glimra v2.0")
for _ in $(seq 50); do
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$win" ] && break
    sleep 0.1
done
[ "$(accessible rows Files | wc -l)" = 3 ] || fail "the file list does not show the three files"

# The keys go to whatever has the focus, as a user's keys do.
xdotool key Down
sleep 0.3
xdotool key Down

status="$dir/b.bmp - Image Size: 90 x 60 Pixels"
size=$(LC_ALL=C awk -v b="$(stat -c %s "$dir/b.bmp")" 'BEGIN { printf "FileSize:  %.1f KB", b / 1024 }')
labels=""
for _ in $(seq 50); do
    labels=$(accessible labels)
    printf '%s\n' "$labels" | grep -qF "\"$status" && break
    sleep 0.2
done
printf '%s\n' "$labels" | grep -qF "\"$status" || fail "the status line does not show b.bmp:
$labels"
printf '%s\n' "$labels" | grep -qxF "\"$size\"" || fail "the file-size line is not '$size':
$labels"
[ "$(accessible selected Files)" = '"b.bmp"' ] || fail "selected $(accessible selected Files)"

# pixels COLOUR: how many pixels of the browser window on screen have exactly that colour.
pixels() {
    convert "$work/shot.png" -alpha off -fill black +opaque "$1" -fill white -opaque "$1" \
        -format '%[fx:round(mean*w*h)]' info:
}
# The pixels are decoded in the background and painted when they arrive: the window is taken
# again until they are there.
for _ in $(seq 25); do
    import -window "$win" "$work/shot.png"
    shown=$(pixels "$second")
    [ "$shown" = 5400 ] && break
    sleep 0.2
done
# The preview shows the 90 x 60 picture at its natural size.
[ "$shown" = 5400 ] || fail "the preview shows $shown pixels of the second picture"
[ "$(pixels "$first")" = 0 ] || fail "the first picture is still on screen"
[ "$(pixels "$third")" = 0 ] || fail "the third picture is on screen"
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "ok"
