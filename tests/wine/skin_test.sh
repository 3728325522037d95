#!/usr/bin/env bash
# The skinned window of the real exe on Xvfb: the background is drawn, a
# button lights up under the mouse, the About box opens from its button and
# comes back the same, and a right-button drag moves the window.
. "$(dirname "$0")/lib.sh"
quillan=$1 dll=$2
sprites="$QUILLAN_SOURCE_DIR/resources/sprites"

mkdir -p "$WORK/run"
cp "$quillan" "$dll" "$WORK/run/"
printf 'log %s\ndrive 0 0\nvendor "HALVERN "\nproduct "DVD-ROM XD-340  "\n' "$WORK/sim.log" > "$WORK/sim.cfg"
set_windows_version win98
(cd "$WORK/run" && QUILLAN_SIM_CONFIG="$WORK/sim.cfg" start_bg quillan "$RUN" "$WORK/run/quillan.exe")
wait_for 30 main_window || fail "the window did not open"
window=$(main_window)
geometry() { eval "$(xdotool getwindowgeometry --shell "$window")"; }
geometry
shot() { import -window root "$WORK/$1.png"; }
pixel() { convert "$WORK/$1.png" -format "%[pixel:p{$2,$3}]" info:; }
sprite_pixel() { convert "$sprites/$1.ppm" -format "%[pixel:p{$2,$3}]" info:; }

# The pointer starts away from the buttons.
xdotool mousemove $((X + 200)) $((Y + 190))
# The background picture, not the plain window colour, is under the buttons
# (polled: the window may not have painted yet).
navy="srgb(6,32,64)"
drawn() {
  shot plain || return 1
  for spot in "21 20" "49 20" "375 20" "200 180"; do
    set -- $spot
    [ "$(pixel plain $((X + $1)) $((Y + $2)))" != "$navy" ] || return 1
  done
}
wait_for 10 drawn || fail "the background picture is not drawn"

# Hover over the "Start Download" button: its highlight sprite is drawn.
xdotool mousemove $((X + 36 + 13)) $((Y + 8 + 12))
lit() { shot lit && [ "$(pixel lit $((X + 36 + 13)) $((Y + 8 + 5)))" = "$(sprite_pixel image7 13 5)" ]; }
wait_for 5 lit || fail "the button did not light up: $(pixel lit $((X + 49)) $((Y + 13))) vs $(sprite_pixel image7 13 5)"
# Away over the background: the normal face again.
xdotool mousemove $((X + 200)) $((Y + 150))
unlit() { shot unlit && [ "$(pixel unlit $((X + 36 + 13)) $((Y + 8 + 5)))" = "$(sprite_pixel image10 13 5)" ]; }
wait_for 5 unlit || fail "the button stayed lit"

# The About box opens from its button, closes, and opens again the same.
about_box() { xdotool search --onlyvisible --name '^About Quillan$' | head -n 1; }
for round in 1 2; do
  xdotool mousemove $((X + 64 + 13)) $((Y + 8 + 12)) click 1
  wait_for 10 about_box || fail "round $round: the About box did not open"
  sleep 0.5
  box=$(about_box)
  eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/BOX_/')"
  import -window root "$WORK/about$round-full.png"
  convert "$WORK/about$round-full.png" -crop "${BOX_WIDTH}x${BOX_HEIGHT}+${BOX_X}+${BOX_Y}" +repage "$WORK/about$round.png"
  if [ "$round" = 1 ]; then xdotool key Return; else xdotool key alt+F4; fi
  wait_for 10 sh -c "! xdotool search --onlyvisible --name '^About Quillan$' >/dev/null" || fail "round $round: the box did not close"
done
[ "$(compare -metric AE "$WORK/about1.png" "$WORK/about2.png" null: 2>&1)" = 0 ] || fail "the About box changed between showings"

# A right-button drag on the background moves the window by as much.
geometry
before_x=$X before_y=$Y
xdotool mousemove $((X + 300)) $((Y + 185)) mousedown 3
xdotool mousemove $((X + 340)) $((Y + 215))
sleep 0.3
xdotool mouseup 3
moved() { geometry; [ "$X" = $((before_x + 40)) ] && [ "$Y" = $((before_y + 30)) ]; }
wait_for 5 moved || fail "dragged to $X,$Y from $before_x,$before_y"
stop_program "$WORK/run/quillan.exe"
echo "PASS: skinned window under Wine"
