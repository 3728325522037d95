#!/usr/bin/env bash
# The skinned window of the real exe on Xvfb, driven as a person drives it:
# the real pointer, mouse buttons and keys (xdotool). One row of the table at
# the end per case, each with a fresh program; every case runs, and the test
# fails when any of them did. Each case leaves a screenshot of its decisive
# moment in $WORK/<case>.png.
. "$(dirname "$0")/lib.sh"
quillan=$1 dll=$2 visible_windows=$3
sprites="$QUILLAN_SOURCE_DIR/resources/sprites"
exe="$WORK/run/quillan.exe"
log="$WORK/sim.log"

mkdir -p "$WORK/run"
cp "$quillan" "$dll" "$WORK/run/"
set_windows_version win98

# The drives behind our ASPI layer: "one", "two", or "slow" (two, the second
# one taking 3 s over every command).
drives() {
  printf 'log %s\ndrive 0 0\nvendor "HALVERN "\nproduct "DVD-ROM XD-340  "\n' "$log"
  [ "$1" = one ] && return
  printf 'drive 0 1\nvendor "HALVERN "\nproduct "CDRW XM-590     "\n'
  [ "$1" = slow ] && printf 'delay-ms 3000\n'
  return 0
}

geometry() { eval "$(xdotool getwindowgeometry --shell "$window")"; }
shot() { import -window root "$WORK/$1.png"; }
pixel() { convert "$WORK/$1.png" -format "%[pixel:p{$2,$3}]" info:; }
sprite_pixel() { convert "$sprites/$1.ppm" -format "%[pixel:p{$2,$3}]" info:; }
# "class TAB text TAB left top right bottom" for each visible top-level window.
windows_on_screen() { "$RUN" "$visible_windows" </dev/null 2>/dev/null | tr -d '\r'; }
# The screen rectangle of a visible window of CLASS showing TEXT.
window_rect() { windows_on_screen | awk -F'\t' -v c="$1" -v t="$2" '$1 == c && $2 == t { print $3; exit }'; }
shown() { [ -n "$(window_rect "$@")" ]; }
not_shown() { [ -z "$(window_rect "$@")" ]; }
about_box() { xdotool search --onlyvisible --name '^About Quillan$' | head -n 1; }
# The start-up face of the "Start Download" button is the background's.
start_lit() { shot lit && [ "$(pixel lit $((X + 36 + 13)) $((Y + 8 + 5)))" = "$(sprite_pixel image7 13 5)" ]; }
start_unlit() { shot unlit && [ "$(pixel unlit $((X + 36 + 13)) $((Y + 8 + 5)))" = "$(sprite_pixel image10 13 5)" ]; }
at() { geometry; [ "$X,$Y" = "$1,$2" ]; }

# The background picture, not the plain window colour, is under the buttons
# and at the bottom.
drawn() {
  shot plain || return 1
  local spot
  for spot in "21 20" "49 20" "375 20" "200 180"; do
    set -- $spot
    [ "$(pixel plain $((X + $1)) $((Y + $2)))" != "srgb(6,32,64)" ] || return 1
  done
}

start_quillan() {
  drives "$1" > "$WORK/sim.cfg"
  rm -f "$log"
  wait_for 10 no_quillan_window || fail "a Quillan window is open before the start: $(all_windows | grep TMainForm)"
  (cd "$WORK/run" && QUILLAN_SIM_CONFIG="$WORK/sim.cfg" start_bg quillan "$RUN" "$exe")
  wait_for 60 main_window || fail "the window did not open: $(why_no_window "$exe" quillan)"
  window=$(main_window)
  geometry
  xdotool mousemove $((X + 200)) $((Y + 190))  # away from the buttons
  wait_for 10 drawn || fail "the background picture is not drawn"
}

# A button lights up under the mouse and goes back to normal over the background.
case_hover() {
  xdotool mousemove $((X + 36 + 13)) $((Y + 8 + 12))
  wait_for 5 start_lit || fail "the button did not light up"
  cp "$WORK/lit.png" "$WORK/hover.png"
  xdotool mousemove $((X + 200)) $((Y + 150))
  wait_for 5 start_unlit || fail "the button stayed lit"
}

# Each button shows its hint once the pointer rests on it, in the standard
# tooltip; leaving the button or pressing it hides the hint.
case_hints() {
  local left hint
  while read -r left hint; do
    xdotool mousemove $((X + left + 13)) $((Y + 8 + 12))
    wait_for 10 shown tooltips_class32 "$hint" || fail "no hint \"$hint\" over the button at $left"
    [ "$hint" = "Exit" ] && shot hints
    xdotool mousemove $((X + 200)) $((Y + 150))
    wait_for 10 not_shown tooltips_class32 "$hint" || fail "the hint \"$hint\" stayed after leaving"
  done <<'BUTTONS'
8 Download File Open
36 Start Download
64 About Quillan
362 Exit
BUTTONS
  # Pressing a button hides its hint (released off it: nothing is clicked).
  xdotool mousemove $((X + 36 + 13)) $((Y + 8 + 12))
  wait_for 10 shown tooltips_class32 "Start Download" || fail "no hint before the press"
  xdotool mousedown 1
  wait_for 10 not_shown tooltips_class32 "Start Download" || fail "the hint stayed while the button was pressed"
  xdotool mousemove $((X + 200)) $((Y + 150)) mouseup 1
}

# The About box opens from its button, closes, and opens again the same.
case_about() {
  local round
  for round in 1 2; do
    xdotool mousemove $((X + 64 + 13)) $((Y + 8 + 12)) click 1
    wait_for 10 about_box || fail "round $round: the About box did not open"
    sleep 0.5
    local box
    box=$(about_box)
    eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/BOX_/')"
    shot "about-full$round"
    convert "$WORK/about-full$round.png" -crop "${BOX_WIDTH}x${BOX_HEIGHT}+${BOX_X}+${BOX_Y}" +repage "$WORK/about$round.png"
    if [ "$round" = 1 ]; then xdotool key Return; else xdotool key alt+F4; fi
    wait_for 10 sh -c "! xdotool search --onlyvisible --name '^About Quillan$' >/dev/null" || fail "round $round: the box did not close"
  done
  [ "$(compare -metric AE "$WORK/about1.png" "$WORK/about2.png" null: 2>&1)" = 0 ] || fail "the About box changed between showings"
}

# After a left-button drag by the background the buttons still work: a click
# on About opens the About box.
# drag BUTTON FROM_X DX DY: presses BUTTON on the background at (FROM_X, 185),
# moves by (DX, DY), waits for the window to follow, and releases. x0 and y0
# are where the window was.
drag() {
  local button=$1 from=$2 dx=$3 dy=$4
  x0=$X y0=$Y
  xdotool mousemove $((X + from)) $((Y + 185)) mousedown "$button"
  xdotool mousemove $((X + from + dx)) $((Y + 185 + dy))
  wait_for 10 at $((x0 + dx)) $((y0 + dy)) || fail "the window did not follow the drag: at $X,$Y from $x0,$y0"
  xdotool mouseup "$button"
}

case_left_drag() {
  local x0 y0
  drag 1 200 30 10
  xdotool mousemove $((X + 64 + 13)) $((Y + 8 + 12)) click 1
  wait_for 10 about_box || fail "the About button did nothing after the drag"
  shot left_drag
  xdotool key Return
}

# A right-button drag moves the window as far as the pointer and stops where
# the button is released: moving on afterwards lights the button under the
# pointer and leaves the window where it is.
case_right_drag() {
  local x0 y0
  drag 3 300 40 30
  xdotool mousemove $((X + 36 + 13)) $((Y + 8 + 12))
  wait_for 10 start_lit || fail "the pointer moved on after the release but the button did not light"
  at $((x0 + 40)) $((y0 + 30)) || fail "the window went on moving after the release: at $X,$Y"
  shot right_drag
}

open_list() {
  xdotool mousemove $((X + 200)) $((Y + 66)) click 1
  wait_for 10 shown ComboLBox "" || fail "the drive list did not open"
  read -r list_left list_top list_right list_bottom <<< "$(window_rect ComboLBox "")"
}

# The open drive list has the list's own colour, not the system's white: the
# second row (the first is the selected one) at its right end, past the text.
case_list_colour() {
  open_list
  shot list_colour
  local colour
  colour=$(pixel list_colour $((list_right - 10)) $((list_bottom - 7)))
  [ "$colour" = "srgb(192,224,255)" ] || fail "the open list is $colour"
  xdotool key Escape
}

# Another drive chosen in the list: once its "Change Drive" box is dismissed,
# the window shows again where the box was while the slow drive is still
# being asked for its identity (the combo box itself has the new drive in it).
case_change_drive() {
  shot before_change
  open_list
  xdotool mousemove $(((list_left + list_right) / 2)) $((list_bottom - 7)) click 1
  wait_for 10 xdotool search --onlyvisible --name '^Change Drive$' || fail "no Change Drive box"
  local box
  box=$(xdotool search --onlyvisible --name '^Change Drive$' | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/BOX_/')"
  # The part of the window under the box.
  local left=$((BOX_X > X ? BOX_X : X)) top=$((BOX_Y > Y ? BOX_Y : Y))
  local right=$((BOX_X + BOX_WIDTH < X + 400 ? BOX_X + BOX_WIDTH : X + 400))
  local bottom=$((BOX_Y + BOX_HEIGHT < Y + 200 ? BOX_Y + BOX_HEIGHT : Y + 200))
  [ "$left" -lt "$right" ] && [ "$top" -lt "$bottom" ] || fail "the box does not cover the window"
  area() {
    convert "$WORK/$1.png" -fill black -draw "rectangle $((X + 115)),$((Y + 52)) $((X + 384)),$((Y + 82))" \
      -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$WORK/$1-area.png"
  }
  area before_change
  box_drawn() { shot box && area box && [ "$(compare -metric AE "$WORK/box-area.png" "$WORK/before_change-area.png" null: 2>&1)" != 0 ]; }
  wait_for 10 box_drawn || fail "the box was never drawn over the window"
  xdotool key Return
  wait_for 10 sh -c "! xdotool search --onlyvisible --name '^Change Drive$' >/dev/null" || fail "the box did not close"
  repainted() { shot change_drive && area change_drive && [ "$(compare -metric AE "$WORK/change_drive-area.png" "$WORK/before_change-area.png" null: 2>&1)" = 0 ]; }
  wait_for 60 repainted || fail "the window still shows the box"
  local asked
  asked=$(grep -c '^exec ha=0 target=1 ' "$log")
  wait_for 60 sh -c "[ \$(grep -c '^exec ha=0 target=1 ' '$log') -gt $asked ]" ||
    fail "the window was drawn again only once the drive had answered"
}

failed=()
while read -r name drive_set; do
  echo "case $name"
  set +e
  (set -e; start_quillan "$drive_set"; "case_$name") </dev/null
  status=$?
  set -e
  [ "$status" = 0 ] || failed+=("$name")
  stop_program "$exe"
done <<'CASES'
hover        one
hints        one
about        one
left_drag    one
right_drag   one
list_colour  two
change_drive slow
CASES
[ "${#failed[@]}" = 0 ] || fail "cases failed: ${failed[*]}"
echo "PASS: skinned window under Wine"
