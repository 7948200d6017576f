#!/usr/bin/env bash
# Plays the real program under a window manager (openbox) on Xvfb screens of
# today's common sizes: full screen fills the screen at the picture's shape and
# stays sharp, the window never outgrows the screen, full screen and back keeps
# the window's place, Escape leaves full screen, + shows the new level.
#   run_screens.sh BUILD_DIR   (the folder holding clankora, sprites/ and sounds/)
# With MEASURE=1 it checks nothing and prints the share of each screen the full
# screen covers, and the processor use in full screen against the 2x window.
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/clankora-screens-XXXXXX)
. "$(dirname "$0")/../support/x11_game.sh"
wm_pid=""
stop_all() {
  stop_player
  [ -n "$wm_pid" ] && { kill "$wm_pid" 2>/dev/null; wait "$wm_pid" 2>/dev/null; } || true
  wm_pid=""
}
trap 'stop_all; [ -n "${KEEP_WORK:-}" ] && cp -r "$work" "$KEEP_WORK"; rm -rf "$work"' EXIT

start_screen() { # WIDTHxHEIGHT: a display of that size with openbox managing it
  stop_all
  start_display "$1"
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  wait_until 30 wm_runs && kill -0 "$wm_pid" 2>/dev/null || { cat "$work/openbox.log"; fail "openbox did not start"; }
}
wm_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window; }
# The frame the window manager put around the window: LEFT RIGHT TOP BOTTOM,
# nothing before it has framed the window.
frame_extents() { xprop -id "$win" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr ',' ' '; }
framed() { [ -n "$(frame_extents)" ]; }

start_game() { # DIR [ARGS...]
  local dir=$1; shift
  (cd "$dir" && QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy exec ./clankora "$@" >"$work/game.log" 2>&1) &
  game_pid=$!
  win=$(find_window '^Clankora!$') || { cat "$work/game.log"; fail "the main window did not open"; }
  wait_until 30 framed || { cat "$work/openbox.log"; fail "the window manager did not frame the window"; }
}

fresh_game() { # NAME: the game installed in a folder of its own, with no settings yet
  game="$work/$1"
  mkdir -p "$game"
  cp "$build/clankora" "$game/"
  cp -r "$build/sprites" "$build/sounds" "$game/"
}

# The rest after the keys is a hand's pace between presses, not a wait for what they do.
key() { xdotool key --window "$win" "$@" 2>/dev/null || true; sleep 0.3; }
# The window's client area on the screen, as X itself tells it (a window
# manager's frame around it is not counted).
geometry() { window_geometry "$win"; }
shot_root() { xwd -root -silent | "$convert" xwd:- "$work/$1.png"; }
# The box of what is not black on the screen: the picture in full screen.
picture_box() { "$convert" "$work/$1.png" -bordercolor black -border 1 -format '%@' info: | awk -F'[x+]' '{ printf "%dx%d+%d+%d", $1, $2, $3 - 1, $4 - 1 }'; }
# BOX: the screen, pictured as "full", shows the picture in BOX (a pattern).
full_screen_shows() { shot_root full && [[ "$(picture_box full)" == $1 ]]; }
shot_window() { shot_picture "$win" "$work/$1.png"; } # NAME: the window's 640 x 480 picture at 1x

# The largest size of 4:3 that fits W x H, each side rounded to the nearest pixel.
fit_size() {
  local w=$1 h=$2 fw fh
  fw=$(( (h * 4 + 1) / 3 )); fh=$h
  if [ "$fw" -gt "$w" ]; then fw=$w; fh=$(( (w * 3 + 2) / 4 )); fi
  echo "${fw}x${fh}"
}

# FIT REFERENCE: the screen pixels of FIT more than half a screen pixel from
# the edge of a game pixel hold exactly that pixel of the 640 x 480 REFERENCE.
# Looks at the rows of game pixels 40 to 200 (the title and the line under it,
# full of fine detail), as the whole picture takes ImageMagick too long.
# Prints how many of them differ.
flat_inside() {
  local W H y0 y1
  read -r W H <<<"$("$convert" "$work/$1.png" -format '%w %h' info:)"
  y0=$(( 40 * H / 480 )); y1=$(( 200 * H / 480 ))
  "$convert" "$work/$1.png" -crop "${W}x$((y1 - y0))+0+${y0}" +repage "$work/$1-band.png"
  "$convert" "$work/$1-band.png" "$work/$2.png" -fx \
    "sx = $W / 640; sy = $H / 480; gx = (i + 0.5) / sx; gy = (j + $y0 + 0.5) / sy;
     ex = min(gx - floor(gx), ceil(gx) - gx); ey = min(gy - floor(gy), ceil(gy) - gy);
     (ex >= 0.5 / sx && ey >= 0.5 / sy) ? (abs(u - v.p{floor(gx), floor(gy)}) > 0.002) : 0" \
    -format '%[fx:round(mean * w * h)]' info:
}

check_screen() { # WIDTHxHEIGHT
  local size=$1 sw sh
  sw=${size%x*}; sh=${size#*x}
  step "$size: the fitted full screen, its sharpness, Escape, the level and twenty round trips"
  start_screen "$size"
  fresh_game "game-$size"
  start_game "$game"
  key ctrl+minus ctrl+minus ctrl+minus
  wait_for_window_size "$win" 640x480 30 || true # the check below tells the size
  [ "$(geometry | cut -d+ -f1)" = 640x480 ] || fail "Ctrl+Minus did not give a 1x window ($(geometry))"
  wait_for_picture "$win" "$game/sprites/1st_screen.png" 30 || fail "the 1x window does not show the start screen"
  shot_window reference

  local windowed; windowed=$(geometry)
  local fit box
  fit=$(fit_size "$sw" "$sh")
  local fw=${fit%x*} fh=${fit#*x}
  local centred="${fit}+$(( (sw - fw) / 2 ))+$(( (sh - fh) / 2 ))"
  key F11
  wait_for_window_size "$win" "${size}+0+0" 30 || fail "F11 gave a window at $(geometry), not the whole screen"
  wait_until 30 full_screen_shows "$centred" || true # the check below tells where the picture is
  box=$(picture_box full)
  [ "$box" = "$centred" ] ||
    fail "full screen on $size shows the picture at $box, not $fit centred"
  echo "full screen on $size: picture $box, $(( fw * fh * 100 / (sw * sh) )) % of the screen"
  "$convert" "$work/full.png" -crop "$box" +repage "$work/fitted.png"
  local off; off=$(flat_inside fitted reference)
  [ "$off" -eq 0 ] || fail "$off screen pixels inside the game's pixels are not the pixel's colour"

  # Escape leaves full screen and pauses the running game; Space plays on.
  key space
  sleep 0.5 # playing a moment
  key Escape
  wait_for_window_size "$win" "$windowed" 30 || true # the check below tells where the window went
  [ "$(geometry)" = "$windowed" ] || fail "Escape left full screen for $(geometry), not the window at $windowed"
  kill -0 "$game_pid" 2>/dev/null || fail "Escape in full screen ended the program"
  wait_for_paused "$win" 30 || fail "Escape in full screen did not pause the game"
  shot_window paused
  sleep 0.7 # the time in which nothing may move
  shot_window still
  [ "$(differing "$work/paused.png" "$work/still.png")" -eq 0 ] || fail "the game ran on after Escape"
  key space
  wait_for_picture_change "$win" "$work/paused.png" 30 || true # the check below tells how far
  shot_window running
  [ "$(differing "$work/paused.png" "$work/running.png")" -gt 100 ] || fail "Space did not play on after Escape"

  # + shows the new level at the right end of the status line.
  key p
  wait_for_paused "$win" 30 || fail "P did not pause the game"
  shot_window level-before
  key plus
  wait_for_picture_change "$win" "$work/level-before.png" 30 || true # the check below looks at the level
  shot_window level-after
  "$convert" "$work/level-before.png" -crop 140x40+500+0 +repage "$work/lb.png"
  "$convert" "$work/level-after.png" -crop 140x40+500+0 +repage "$work/la.png"
  [ "$(differing "$work/lb.png" "$work/la.png")" -gt 20 ] || fail "+ left the level shown as it was"

  windowed=$(geometry)
  # The trips follow at a quick hand's pace, as they are pressed.
  for _ in $(seq 1 20); do
    xdotool key --window "$win" F11; sleep 0.25
    xdotool key --window "$win" F11; sleep 0.25
  done
  wait_for_window_size "$win" "$windowed" 30 || true # the check below tells where the window went
  [ "$(geometry)" = "$windowed" ] || fail "twenty trips to full screen and back moved the window from $windowed to $(geometry)"
  key_closing "$win" Escape
  wait_exit 30 || fail "Escape in the window did not end the program"
}

differing() { pixels_differing "$1" "$2"; }

measure() {
  for size in 1280x800 1366x768 1920x1080 3840x2160; do
    start_screen "$size"
    fresh_game "cover-$size"
    start_game "$game"
    key F11
    wait_for_window_size "$win" "${size}+0+0" 30 || fail "F11 did not fill the $size screen"
    wait_until 30 full_screen_shows "$(fit_size "${size%x*}" "${size#*x}")+*" || true
    shot_root cover
    box=$(picture_box cover)
    awk -v b="$box" -v s="$size" 'BEGIN { split(b, p, /[x+]/); split(s, q, "x");
      printf "coverage %s: picture %s, %.0f %% of the screen\n", s, b, 100 * p[1] * p[2] / (q[1] * q[2]) }'
  done
  start_screen 1920x1080
  fresh_game cpu
  for mode in "FullScreen=1" "FullScreen=0"; do
    printf '[Tinvell: 01h]\nZoom=2\n%s\n' "$mode" > "$game/clankora.ini"
    (cd "$game" && QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy timeout 60 ./clankora --measure 8 2>/dev/null) |
      grep -E 'cpu:|changed pictures' | sed "s/^/[$mode] /"
  done
}
if [ "${MEASURE:-}" = 1 ]; then
  measure
  exit 0
fi

check_screen 1280x800
check_screen 1920x1080

step "1366x768: Ctrl+Plus ten times keeps the whole window on the screen"
start_screen 1366x768
fresh_game small
start_game "$game"
for _ in $(seq 1 10); do
  key ctrl+plus
done
# The whole window, its frame included, as the window manager placed it
# (start_game waited for the frame).
read -r left right top bottom <<<"$(frame_extents)"
read -r WIDTH HEIGHT X Y <<<"$(geometry | tr 'x+' '  ')"
X=$((X - left)); Y=$((Y - top)); WIDTH=$((WIDTH + left + right)); HEIGHT=$((HEIGHT + top + bottom))
[ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le 1366 ] && [ $((Y + HEIGHT)) -le 768 ] ||
  fail "after ten Ctrl+Plus the window with its frame is ${WIDTH}x${HEIGHT}+${X}+${Y} on a 1366x768 screen"
key_closing "$win" Escape
wait_exit 30 || fail "Escape did not end the program"
grep -qx 'Zoom=1' "$game/clankora.ini" || { cat "$game/clankora.ini"; fail "the zoom saved is not the one that fits"; }

echo "screens: all steps passed"
