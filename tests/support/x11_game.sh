# Shared by the end-to-end, install and package tests: a display of their own
# under Xvfb, the game's window found and pictured with xdotool, and the
# game's end awaited. Source it after setting "work" (a temporary folder the
# test removes); start the game in the background with its pid in game_pid.
#
# A test never sleeps a fixed time before it looks: it waits until what it
# looks for is there (the picture has changed, the window has its size, the
# file is written, the program has ended), or until a time limit has passed.
# The limits are generous, for a busy machine: they are reached only when
# something is wrong, and an idle machine never waits for them.

xvfb_pid=""
game_pid=""
game_status=""
displays_started=0
convert=/usr/bin/convert
compare=/usr/bin/compare

# A script may define on_fail, run before a failure ends it.
fail() {
  echo "FAIL: $*" >&2
  if declare -F on_fail >/dev/null; then on_fail; fi
  exit 1
}
step() { echo "-- $*"; }

now_ms() { local t=${EPOCHREALTIME/[.,]/}; echo $((t / 1000)); }

# SECONDS COMMAND...: runs COMMAND a tenth of a second apart until it
# succeeds; returns 1 once SECONDS (whole) have passed without.
wait_until() {
  local end=$(($(now_ms) + $1 * 1000))
  shift
  until "$@"; do
    [ "$(now_ms)" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# Waits for both to end: an X server still shutting down removes its socket
# files, which may by then be those of the next test's server of the same number.
stop_player() {
  [ -n "$game_pid" ] && { kill "$game_pid" 2>/dev/null; wait "$game_pid" 2>/dev/null; } || true
  [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; } || true
  game_pid="" xvfb_pid=""
}

# FILE SECONDS: until FILE is there and not empty.
wait_for_file() { wait_until "$2" test -s "$1"; }
file_size() { stat -c %s "$1" 2>/dev/null || echo 0; } # FILE: its bytes, 0 when it is not there
file_past() { [ "$(file_size "$1")" -gt "$2" ]; }     # FILE BYTES: FILE holds more than BYTES
# FILE BYTES SECONDS: until FILE holds more than BYTES.
wait_for_file_past() { wait_until "$3" file_past "$1" "$2"; }

# [WIDTHxHEIGHT]: a display of our own, 1024x768 unless told; Xvfb picks a
# free number itself, so tests running side by side never meet. Sets DISPLAY
# and xvfb_pid. An X server starts afresh whenever its last client leaves
# (each look with xdotool, a game that ended), and refuses the clients that
# come meanwhile, which takes long enough on a busy machine for a game or a
# window manager to find no display: -noreset keeps it as it is.
start_display() {
  displays_started=$((displays_started + 1))
  local fd_file="$work/display-$displays_started"
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset 3>"$fd_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  wait_for_file "$fd_file" 30 || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$fd_file")"
  wait_until 30 display_answers || fail "no display at $DISPLAY"
}
display_answers() { xdotool getdisplaygeometry >/dev/null 2>&1; }

# NAME-REGEX: prints the first visible window of that name once there is one;
# fails when the game has ended first or after 30 s.
find_window() {
  local id="" end=$(($(now_ms) + 30000))
  while :; do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$game_pid" 2>/dev/null || return 1
    [ "$(now_ms)" -lt "$end" ] || return 1
    sleep 0.1
  done
}
# WINDOW KEY: presses KEY in a window that closes on the press (a dialog's
# Return, the game's Escape). xdotool presses the key on the keyboard itself
# for the window that has the keyboard, and sends the release to the window,
# which by then may be gone: the key would stay held and repeat, after the
# keyboard's delay, into whichever window has the keyboard next. It is let go
# of on the keyboard here (letting go of a key that is up does nothing).
key_closing() {
  xdotool key --window "$1" "$2" 2>/dev/null || true
  xdotool keyup "$2" 2>/dev/null || true
}
window_gone() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; } # NAME-REGEX
# NAME-REGEX SECONDS: until no window of that name is visible.
wait_for_window_gone() { wait_until "$2" window_gone "$1"; }

# WINDOW: its client area on the screen as X itself tells it, WIDTHxHEIGHT+X+Y
# (a window manager's frame around it is not counted).
window_geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { if (w) printf "%dx%d+%d+%d", w, h, x, y }'
}
window_has() { # WINDOW WIDTHxHEIGHT[+X+Y]
  local at; at=$(window_geometry "$1")
  case $2 in *+*) [ "$at" = "$2" ] ;; *) [ "${at%%+*}" = "$2" ] ;; esac
}
# WINDOW WIDTHxHEIGHT[+X+Y] SECONDS: until the window has that size (and place).
wait_for_window_size() { wait_until "$3" window_has "$1" "$2"; }

# WINDOW FILE: the game's 640 x 480 picture (the window at 1x), cut out of the whole screen.
shot_picture() {
  local at; at=$(window_geometry "$1")
  [ -n "$at" ] || return 1
  xwd -root -silent | "$convert" xwd:- -crop "640x480+${at#*+}" +repage "$2"
}
# WINDOW FILE: the window's whole picture, at whatever size it has.
shot_window_picture() {
  local at; at=$(window_geometry "$1")
  [ -n "$at" ] || return 1
  xwd -root -silent | "$convert" xwd:- -crop "$at" +repage "$2"
}

# PICTURE OTHER: how many pixels differ; pictures of two sizes differ in all.
# (compare itself would measure the smaller inside the larger).
pixels_differing() {
  local sizes a b; sizes=$("$convert" "$1" "$2" -format '%wx%h ' info: 2>/dev/null) || { echo 999999999; return; }
  read -r a b <<<"$sizes"
  [ "$a" = "$b" ] || { echo 999999999; return; }
  { "$compare" -metric AE "$1" "$2" null: 2>&1 || true; } | awk '$1 + 0 == $1 { printf "%d\n", $1; ok = 1 } END { if (!ok) print 999999999 }'
}

# WINDOW PICTURE SECONDS [MOST]: until the window shows PICTURE, at most MOST
# pixels (50 unless told) apart.
wait_for_picture() { wait_until "$3" window_shows "$1" "$2" "${4:-50}"; }
window_shows() { # WINDOW PICTURE MOST
  shot_window_picture "$1" "$work/.seen.png" && [ "$(pixels_differing "$work/.seen.png" "$2")" -le "$3" ]
}
# WINDOW BEFORE SECONDS: until the window's picture is no longer BEFORE (a
# picture taken by shot_window_picture, or one of the window's size).
wait_for_picture_change() { wait_until "$3" window_changed "$1" "$2"; }
window_changed() { # WINDOW BEFORE
  shot_window_picture "$1" "$work/.seen.png" && [ "$(pixels_differing "$work/.seen.png" "$2")" -gt 0 ]
}

# The "Paused" text is pure yellow in the middle of the game's 640 x 480
# picture. The yard, and the lose screen a quick defeat may bring, hold shaded
# yellows there but next to none of that pure colour.
paused_text_mask() { # FILE MASK: MASK is white where the middle of FILE is the text's yellow
  "$convert" "$1" -crop 240x80+200+200 +repage -fuzz 5% -fill white -opaque yellow \
    -fill black +opaque white "$2"
}
count_white() { "$convert" "$@" -format '%[fx:round(mean*w*h)]' info:; }
paused_text_pixels() { # FILE
  paused_text_mask "$1" "$work/.mask-a.png" && count_white "$work/.mask-a.png"
}
paused_text_pixels_kept() { # BEFORE AFTER: how many text pixels of BEFORE are text pixels in AFTER
  paused_text_mask "$1" "$work/.mask-a.png" && paused_text_mask "$2" "$work/.mask-b.png" &&
    count_white "$work/.mask-a.png" "$work/.mask-b.png" -compose multiply -composite
}
# WINDOW SECONDS: until the game's picture (at 1x) shows the paused text.
wait_for_paused() { wait_until "$2" shows_paused "$1"; }
shows_paused() { shot_picture "$1" "$work/.seen.png" && [ "$(paused_text_pixels "$work/.seen.png")" -gt 60 ]; }
# WINDOW PAUSED SECONDS: until most of the paused text of the picture PAUSED is gone.
wait_for_resumed() { wait_until "$3" shows_resumed "$1" "$2"; }
shows_resumed() { # WINDOW PAUSED
  shot_picture "$1" "$work/.seen.png" &&
    [ "$(paused_text_pixels_kept "$2" "$work/.seen.png")" -lt $(($(paused_text_pixels "$2") / 4)) ]
}

game_ended() { ! kill -0 "$game_pid" 2>/dev/null; }
wait_exit() { # SECONDS; the program's exit code is then in game_status
  wait_until "$1" game_ended || return 1
  game_status=0
  wait "$game_pid" 2>/dev/null || game_status=$?
  game_pid=""
}
