# A video plays in Glimra's own "Glimra Video" window, drawn by a real X video sink, and the
# keyboard stays in the file list: Down on a playing video selects the next file, and the video
# window is gone. The window also goes when the video ends. Focus moving between Glimra's own
# windows never re-reads the lists; coming back from another program does.
source "$(dirname "$0")/lib.bash"
export GLIMRA_VIDEO_SINK="ximagesink"

dir="$work/media"
mkdir -p "$dir"
# A two-second video (160 x 120) and two pictures after it.
gst-launch-1.0 -q videotestsrc num-buffers=40 pattern=ball ! \
    video/x-raw,width=160,height=120,framerate=20/1 ! jpegenc ! avimux ! \
    filesink location="$dir/a.avi" >/dev/null
convert -size 90x60 xc:red "$dir/b.png"
convert -size 60x90 xc:blue "$dir/c.png"

# visible_video: prints the ids of the mapped windows titled "Glimra Video".
visible_video() {
    xdotool search --onlyvisible --name '^Glimra Video$' 2>/dev/null || true
}

# status_shows TEXT: waits until a label of the program starts with TEXT.
status_shows() {
    local labels=""
    for _ in $(seq 50); do
        labels=$(accessible labels)
        printf '%s\n' "$labels" | grep -qF "\"$1" && return 0
        sleep 0.2
    done
    fail "no label starts with '$1':
$labels"
}

# rows: the number of rows of the file list.
rows() {
    accessible rows Files | wc -l
}

start_accessibility
start "$dir"
browser=$(window_with_title "Glimra v2.0")
activate "$browser"
[ "$(rows)" = 3 ] || fail "the file list does not show the three files"

xdotool key Down
status_shows "$dir/a.avi - Playing"
video=$(visible_window --name '^Glimra Video$')
[ -n "$video" ] || fail "the video is not shown in a window titled 'Glimra Video'"
sleep 0.3
[ "$(xdotool getactivewindow)" = "$browser" ] || fail "the video window took the focus"

# The next key still goes to the file list, and the video and its window go.
xdotool key Down
status_shows "$dir/b.png - Image Size: 90 x 60"
[ "$(accessible selected Files)" = '"b.png"' ] || fail "selected $(accessible selected Files)"
sleep 0.5
[ -z "$(visible_video)" ] || fail "a video window remains after the next file was selected"
[ "$(accessible selected Files)" = '"b.png"' ] ||
    fail "the selection moved to $(accessible selected Files): the lists were refreshed"

# Played to its end, the video takes its window with it.
xdotool key Up
status_shows "$dir/a.avi - Playing"
status_shows "$dir/a.avi - Stopped"
[ -z "$(visible_video)" ] || fail "the video window stays after the video ended"

# A file made now shows only after a return from another program: moving between Glimra's
# own windows (full-size window, navigation bar, options) re-reads nothing.
xdotool key Down
status_shows "$dir/b.png - Image Size"
convert -size 10x10 xc:green "$dir/d.png"
xdotool key F5
full=$(window_with_title "Glimra Full Size" 10)
activate "$full"
activate "$(window_with_title "Glimra NavBar")"
activate "$browser"
xdotool key ctrl+o
activate "$(window_with_title "Glimra Options" 10)"
xdotool key Escape
activate "$full"
xdotool key F10
activate "$browser"
sleep 1
[ "$(rows)" = 3 ] || fail "focus moving between Glimra's windows re-read the file list"

xmessage -name other "another program" &
helpers+=("$!")
other=$(visible_window --classname '^other$')
[ -n "$other" ] || fail "the other program's window did not appear"
activate "$other"
sleep 1
activate "$browser"
for _ in $(seq 30); do
    [ "$(rows)" = 4 ] && break
    sleep 0.2
done
[ "$(rows)" = 4 ] || fail "coming back from another program did not re-read the file list"
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "ok"
