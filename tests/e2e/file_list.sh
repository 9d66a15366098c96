# The real program started with a directory lists that directory's files that match the mask,
# sorted without regard to case, hidden files and folders left out, unusual names included;
# read back through the accessibility bus as a screen reader reads them. Selecting a row whose
# name is no UTF-8 keeps the program running.
source "$(dirname "$0")/lib.bash"

dir="$work/pictures"
mkdir -p "$dir/folder.jpg" "$dir/.hidden" "$dir/Sub"
for name in b.JPG a.png c.txt .hidden.png "my photo.gif" -dash.bmp "it's \"q\".tif" song.WAV \
    clip.avi notes.rmi.txt; do
    : >"$dir/$name"
done
: >"$dir/$(printf 'new\nline.jpg')"
: >"$dir/$(printf '\377\376.png')"

expected='"-dash.bmp"
"a.png"
"b.JPG"
"clip.avi"
"it'"'"'s \"q\".tif"
"my photo.gif"
"new\nline.jpg"
"song.WAV"
"\ufffd\ufffd.png"'

start_accessibility
start "$dir"
window_with_title "Glimra v2.0" >/dev/null

rows=""
for _ in $(seq 50); do
    rows=$(accessible rows Files) || fail "the file list is not published"
    [ "$rows" = "$expected" ] && break
    sleep 0.2
done
[ "$rows" = "$expected" ] || fail "the file list shows
$rows
instead of
$expected"

# The directory list shows the start directory as its current, selected row.
[ "$(accessible selected Folders)" = '"pictures"' ] ||
    fail "the directory list selects $(accessible selected Folders)"
folders=$(accessible rows Folders)
printf '%s\n' "$folders" | tail -n 1 | grep -qx '"Sub"' || fail "no Sub folder in
$folders"
printf '%s\n' "$folders" | grep -q 'hidden' && fail "a hidden folder is listed"

# Every row can be selected, the one with the undecodable name too.
accessible select Files 8 || fail "row 8 cannot be selected"
[ "$(accessible selected Files)" = '"\ufffd\ufffd.png"' ] ||
    fail "selected $(accessible selected Files)"
accessible select Files 6 || fail "row 6 cannot be selected"
sleep 0.3
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "ok"
