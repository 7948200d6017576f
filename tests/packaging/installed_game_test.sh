#!/usr/bin/env bash
# Installs the built game into the prefix ~/.local of a fresh player's home
# (whose name has a space) and starts it as the desktop would, through the
# launcher's Exec= line, from another folder, with a PATH that does not hold
# the games folder: the start screen appears, Escape ends the game, and the
# settings land in the player's home, not in the install tree.
#   installed_game_test.sh BUILD_DIR GAMES_DIR (the program's folder under the prefix)
set -euo pipefail

build=$(cd "$1" && pwd)
games=$2
work=$(mktemp -d /tmp/clankora-install-XXXXXX)
chmod 755 "$work"
. "$(dirname "$0")/player.sh"
trap 'stop_player; rm -rf "$work"' EXIT

home="$work/the player"
prefix="$home/.local"
make_player_home "$home"
step "cmake --install into ~/.local"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "the install failed"; }
for f in "$games/clankora" share/clankora/sprites/1st_screen.png share/clankora/sounds/boom01.wav \
         share/applications/clankora.desktop share/metainfo/org.clankora.clankora.metainfo.xml \
         share/man/man6/clankora.6.gz share/icons/hicolor/48x48/apps/clankora.png; do
  [ -f "$prefix/$f" ] || fail "$f was not installed"
done
[ ! -e "$prefix/$games/sprites" ] || fail "the pictures were installed beside the program"

step "the launcher names the installed program by its full path"
launcher="$prefix/share/applications/clankora.desktop"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$launcher" || fail "the installed launcher is not valid"; fi
command=$(sed -n 's/^Exec=//p' "$launcher")
# The path holds a space and no character the format escapes: it is only quoted.
[ "$command" = "\"$prefix/$games/clankora\"" ] || fail "the launcher's command is $command"
program=${command#\"}
program=${program%\"}

step "the installed game, started through its launcher from another folder by an ordinary player"
start_display
elsewhere="$work/elsewhere"
make_player_home "$elsewhere"
start_as_player "$elsewhere" "$home" "$program"
expect_start_screen_then_escape "$prefix/share/clankora/sprites/1st_screen.png"

step "the settings are in the player's home, nowhere else"
expect_settings_in_home "$home"
stray=$(find "$prefix" "$elsewhere" -name '*.ini')
[ -z "$stray" ] || fail "settings were written elsewhere too: $stray"
echo "installed game: all steps passed"
