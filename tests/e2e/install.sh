# Installing into a prefix puts the program, its help and data, the desktop entry and the
# icons in place, and the installed program, started from another folder, finds its help.
source "$(dirname "$0")/lib.bash"

source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="$(cd "$(dirname "$program")" && pwd)"
prefix="$work/prefix"
cmake --install "$build_dir" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; fail "cmake --install failed"; }

installed="$prefix/bin/glimra"
[ -x "$installed" ] || fail "no program at $installed"
data="$prefix/share/glimra"
for file in "$source_dir"/data/*; do
    cmp -s "$file" "$data/$(basename "$file")" || fail "$(basename "$file") not installed in $data"
done

# The decoder helpers go to libexec/glimra, where the installed program looks first, with the
# font map the metafile helper needs.
for helper in glimra-decoder glimra-decoder-emf glimra-decoder-modern; do
    [ -x "$prefix/libexec/glimra/$helper" ] || fail "no $helper in $prefix/libexec/glimra"
done
[ -s "$data/graphicsmagick/type.mgk" ] || fail "no font map in $data/graphicsmagick"

entry="$prefix/share/applications/glimra.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate refuses $entry"
grep -q '^Exec=glimra %[fFuU]$' "$entry" || fail "the desktop entry cannot hand Glimra a folder"
grep -q '^MimeType=.*inode/directory;' "$entry" || fail "the desktop entry opens no folders"
# It offers itself for the picture types it reads, today's included.
for type in image/jpeg image/webp image/avif image/heic image/jxl image/svg+xml image/x-canon-cr2; do
    grep -q "^MimeType=.*$type;" "$entry" || fail "the desktop entry does not offer $type"
done
for size in 16 22 24 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/glimra.png"
    [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}" ] ||
        fail "no ${size}x${size} icon at $icon"
done
[ -s "$prefix/share/icons/hicolor/scalable/apps/glimra.svg" ] || fail "no scalable icon"

# Started from elsewhere, the installed program answers on the terminal and names the help
# file in its own data folder.
mkdir -p "$work/elsewhere"
cd "$work/elsewhere"
version=$("$installed" --version)
[ "$version" = "Glimra Version 2.0" ] || fail "--version printed '$version'"
"$installed" --help >"$work/help.txt"
grep -q '^Usage: glimra \[DIRECTORY\]$' "$work/help.txt" || fail "--help printed no usage"
grep -qx "Help file: $data/Glim.hlp" "$work/help.txt" ||
    fail "help file not found: $(grep '^Help file' "$work/help.txt")"

# F1 in its browser window opens the help file's topic for that window.
program="$installed"
start
win=$(window_with_title "Glimra v2.0")
help=$(key_opens "$win" F1 "Glimra Help - Browsing with Glimra")
close_window "$help"
close_and_wait "$win"
echo "ok"
