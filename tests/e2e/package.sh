# The Debian package of the build under test: made by scripts/package, passed by lintian and
# the desktop validators, holding what `cmake --install` lays out, and, unpacked into a
# private root, a program that answers on the terminal and opens its browser window with the
# help and placeholder pictures of that root.
source "$(dirname "$0")/lib.bash"

source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="$(cd "$(dirname "$program")" && pwd)"

deb=$("$source_dir/scripts/package" "$build_dir" "$work/dist") || fail "scripts/package failed"
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "glimra_${version}_${arch}.deb" ] || fail "package named $(basename "$deb")"

# lintian: no errors; its warnings and notes stay in the log.
status=0
lintian --fail-on error --display-info "$deb" >"$work/lintian.log" 2>&1 || status=$?
grep -v '^running with root' "$work/lintian.log" >&2 || true
[ "$status" = 0 ] || fail "lintian reports errors"

# The libraries come from dpkg-shlibdeps; what the program loads at run time is named by hand.
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
for needed in libqt6widgets6 libgstreamer1.0-0 libgraphicsmagick-q16-3 \
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good; do
    grep -qE "(^|[ ,|])$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
for wanted in gstreamer1.0-plugins-bad fluid-soundfont-gm fonts-urw-base35; do
    grep -qE "(^|[ ,|])$wanted( |,|$)" <<<"$recommends" ||
        fail "Recommends lacks $wanted: $recommends"
done
# Every dependency names a package Debian has: apt can install the package here. A simulation
# changes nothing, so it need not wait for another apt's lock.
apt-get install --simulate --no-install-recommends -o Debug::NoLocking=1 "$deb" \
    >"$work/apt.log" 2>&1 ||
    fail "apt cannot satisfy the dependencies: $(cat "$work/apt.log")"

root="$work/root"
dpkg-deb -x "$deb" "$root"

# The package holds exactly what installing the build under a prefix lays out.
cmake --install "$build_dir" --prefix "$work/prefix" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; fail "cmake --install failed"; }
diff <(cd "$work/prefix" && find . -type f | sort) <(cd "$root/usr" && find . -type f | sort) >&2 ||
    fail "the package's files differ from those cmake --install lays out"
# Every helper program the build makes is in the package.
while read -r helper; do
    found=$(find "$root/usr" -type f -name "$(basename "$helper")" -perm -u+x)
    [ -n "$found" ] || fail "the package lacks the helper $(basename "$helper")"
done < <(find "$build_dir" -maxdepth 2 -type f -perm -u+x -name 'glimra-*')

desktop-file-validate "$root/usr/share/applications/glimra.desktop" ||
    fail "desktop-file-validate refuses the desktop entry"
metainfo=$(find "$root/usr/share/metainfo" -name '*.metainfo.xml')
[ "$(wc -l <<<"$metainfo")" = 1 ] || fail "not one metainfo file: $metainfo"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    fail "appstreamcli refuses $metainfo: $(cat "$work/appstream.log")"
# The metadata offers the media types the desktop entry opens, names this release, and shows
# screenshots that the repository has.
entry_types=$(sed -n 's/^MimeType=//p' "$root/usr/share/applications/glimra.desktop" | tr ';' '\n' |
    sed '/^$/d' | sort)
meta_types=$(grep -o '<mediatype>[^<]*' "$metainfo" | sed 's/<mediatype>//' | sort)
[ "$meta_types" = "$entry_types" ] || fail "metainfo media types '$meta_types' are not the entry's"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo names no release $version"
screenshots=$(grep -o '<image[^>]*>[^<]*' "$metainfo" | sed 's/.*>//')
[ -n "$screenshots" ] || fail "the metainfo has no screenshots"
for url in $screenshots; do
    [ -f "$source_dir/docs/screenshots/$(basename "$url")" ] ||
        fail "screenshot $url is not one of docs/screenshots"
done

# The manual page renders without complaint and describes each variable the program reads.
manual="$root/usr/share/man/man1/glimra.1.gz"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manual" 2>"$work/man.log" >"$work/man.txt" ||
    fail "man cannot show $manual"
[ ! -s "$work/man.log" ] || fail "the manual page has faults: $(cat "$work/man.log")"
grep -q 'GLIM.INI' "$work/man.txt" || fail "the manual page does not name GLIM.INI"
# Switches for the tests alone (GLIMRA_*TEST*) are not for users.
for variable in $(grep -rhoE '"GLIMRA_[A-Z_]+"' "$source_dir/src" | tr -d '"' | grep -v TEST | sort -u); do
    grep -qw -- "$variable" "$work/man.txt" ||
        fail "the program reads $variable, which desktop/glimra.1.in does not describe"
done
[ -s "$root/usr/share/doc/glimra/copyright" ] || fail "no copyright file"
zcat "$root/usr/share/doc/glimra/changelog.gz" | head -n 1 | grep -qF "glimra ($version)" ||
    fail "the changelog does not start with version $version"

# The unpacked copy, started from elsewhere, prints the package's version and names the help
# file of its own tree.
installed="$root/usr/bin/glimra"
data="$root/usr/share/glimra"
mkdir -p "$work/elsewhere"
cd "$work/elsewhere"
printed=$("$installed" --version)
[ "$printed" = "Glimra Version $version" ] || fail "--version printed '$printed', the package is $version"
"$installed" --help >"$work/help.txt"
grep -qx "Help file: $data/Glim.hlp" "$work/help.txt" ||
    fail "help file not found: $(grep '^Help file' "$work/help.txt")"

# The unpacked tree's help and sound placeholder are marked, so the window can only show them
# if it found them in this tree: a topic title of its own, a placeholder of one colour. A PCX
# picture is read by the decoder helper, which must be the unpacked tree's too.
sed -i 's/^<!-- topic 1: Browsing with Glimra -->$/<!-- topic 1: Browsing with the unpacked Glimra -->/' \
    "$data/Glim.hlp"
grep -q 'Browsing with the unpacked Glimra' "$data/Glim.hlp" || fail "Glim.hlp has no browsing topic"
mark='rgb(250,0,200)'
convert -size 40x30 "xc:$mark" -type TrueColor "BMP3:$data/Wave.bmp"
files="$work/files"
mkdir -p "$files"
picture='rgb(20,200,230)'
convert -size 50x20 "xc:$picture" "PCX:$files/a.pcx"
sox -n -r 8000 -c 1 "$files/b.wav" synth 0.5 sine 440

# pixels COLOUR: how many pixels of the browser window on screen have exactly that colour,
# waiting up to ten seconds for there to be EXPECTED of them.
pixels() {
    local colour="$1" expected="$2" shown=0
    for _ in $(seq 50); do
        import -window "$win" "$work/shot.png"
        shown=$(convert "$work/shot.png" -alpha off -fill black +opaque "$colour" -fill white \
            -opaque "$colour" -format '%[fx:round(mean*w*h)]' info:)
        [ "$shown" = "$expected" ] && break
        sleep 0.2
    done
    echo "$shown"
}

program="$installed"
start "$files"
win=$(window_with_title "Glimra v$version")
activate "$win"
xdotool key Down # the file list has the keyboard: the picture is selected
shown=$(pixels "$picture" 1000)
[ "$shown" = 1000 ] || fail "the preview shows $shown pixels of the PCX picture, not 1000"
helpers_run=""
for child in $(pgrep -P "$pid"); do
    helpers_run+="$(readlink "/proc/$child/exe") "
done
for helper in $helpers_run; do
    [[ "$helper" == "$root/usr/libexec/glimra/"* ]] ||
        fail "the unpacked program runs the helper $helper, not the unpacked tree's"
done
[ -n "$helpers_run" ] || fail "no decoder helper runs after a PCX picture was shown"

xdotool key Down # the sound is selected and played
shown=$(pixels "$mark" 1200)
[ "$shown" = 1200 ] || fail "the preview shows $shown pixels of the unpacked placeholder, not 1200"

help=$(key_opens "$win" F1 "Glimra Help - Browsing with the unpacked Glimra")
close_window "$help"
close_and_wait "$win"
echo "ok"
