# The real program opens its browser window under its exact title, at the default place and
# size, and ends when that window is closed, writing nothing to GLIM.INI.
source "$(dirname "$0")/lib.bash"

mkdir -p "$work/pictures"
start "$work/pictures"
win=$(window_with_title "Glimra v2.0")

read -r x y w h < <(outer_geometry_settled "$win" "0 0 516 311" 5)
[ "$x $y" = "0 0" ] || fail "window at $x,$y instead of 0,0"
[ "$w x $h" = "516 x 311" ] || fail "window is $w x $h outside instead of 516 x 311"

close_and_wait "$win"
[ ! -e "$XDG_CONFIG_HOME/GLIM.INI" ] || fail "GLIM.INI was written"
echo "ok"
