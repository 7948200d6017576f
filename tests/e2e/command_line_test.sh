#!/usr/bin/env bash
# Runs the real program with options that ask for no game: help and version
# answer on standard output with 0, a line it cannot follow is refused on
# standard error with 2, and a recording onto the game's own files is refused.
# There is no display (and no platform asked for): a window would end the
# program with Qt's own failure instead. No settings file may appear.
# The manual page and the README name every option that the help names.
#   command_line_test.sh BUILD_DIR VERSION SOURCE_DIR
#   (BUILD_DIR: the folder holding clankora, sprites/ and sounds/)
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/clankora-cmdline-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

game="$work/game"
mkdir -p "$game" "$work/home"
cp "$build/clankora" "$game/"
cp -r "$build/sprites" "$build/sounds" "$game/"

run() { # EXPECTED-CODE ARGS...: output in $work/out and $work/err
  local expected=$1 code=0; shift
  (cd "$work" && env -i HOME="$work/home" PATH=/usr/bin:/bin timeout 20 "$game/clankora" "$@" \
     >"$work/out" 2>"$work/err") || code=$?
  [ "$code" -eq "$expected" ] || { cat "$work/out" "$work/err"; fail "clankora $* exited with $code, not $expected"; }
  local ini
  ini=$(find "$work" -name '*.ini')
  [ -z "$ini" ] || fail "clankora $* wrote settings: $ini"
}

options=(--record --replay --verify --measure -h --help -V --version)
for help in --help -h; do
  run 0 "$help"
  for o in "${options[@]}"; do
    grep -q -- "$o\b" "$work/out" || fail "$help does not name $o"
  done
  [ ! -s "$work/err" ] || fail "$help wrote to standard error: $(cat "$work/err")"
done
# Every option the help lists, as the manual page (groff's "\-") and the README spell it.
for o in $(grep -E '^ +-' "$work/out" | grep -oE -- '-{1,2}[a-zA-Z]+\b' | sort -u); do
  grep -qF -- "$(echo "$o" | sed 's/-/\\-/g')" "$3/packaging/clankora.6.in" || fail "the manual page does not name $o"
  grep -qF -- "\`$o" "$3/README.md" || fail "the README does not name $o"
done
for version in --version -V; do
  run 0 "$version"
  [ "$(cat "$work/out")" = "clankora $2" ] || fail "$version printed '$(cat "$work/out")', not 'clankora $2'"
done

refused() { # REASON ARGS...: exit 2, the reason on the first line of standard error, then the usage
  local reason=$1; shift
  run 2 "$@"
  [ ! -s "$work/out" ] || fail "clankora $* wrote to standard output"
  [ "$(head -n 1 "$work/err")" = "clankora: $reason" ] || fail "clankora $* said '$(head -n 1 "$work/err")'"
}
refused "unknown option '--bogus'" --bogus
refused "--record needs FILE" --record
refused "--record needs FILE" --record --verify
refused "--verify needs --replay FILE" --verify
refused "--record and --replay cannot be used together" --record a.rec --replay b.rec
[ ! -e "$work/--verify" ] && [ ! -e "$work/a.rec" ] || fail "a refused line left a file behind"
grep -q -- '--record FILE' "$work/err" || fail "a refused line does not show the usage"

# The settings file beside the program, and the data folder, are no place for a recording.
printf '[Tinvell: 01h]\nStartLevel=7\n' >"$work/kept"
cp "$work/kept" "$game/clankora.ini"
ln -s "$game/clankora.ini" "$work/link.rec"
for target in "$game/clankora.ini" "$work/link.rec" "$game/sprites/odd.rec"; do
  code=0
  (cd "$work" && env -i HOME="$work/home" PATH=/usr/bin:/bin timeout 20 "$game/clankora" --record "$target" \
     >"$work/out" 2>"$work/err") || code=$?
  [ "$code" -eq 2 ] || fail "--record $target exited with $code, not 2"
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "--record $target said more than one line: $(cat "$work/err")"
  cmp -s "$work/kept" "$game/clankora.ini" || fail "--record $target changed the settings file"
done
[ ! -e "$game/sprites/odd.rec" ] || fail "a recording was made in the data folder"

# Nor is the records folder: the table and the recordings behind its records.
records="$work/home/.local/share/clankora"
mkdir -p "$records"
printf 'kept\n' >"$work/kept-record"
for name in records 1-0-20261211-101500.rec; do
  cp "$work/kept-record" "$records/$name"
  code=0
  (cd "$work" && env -i HOME="$work/home" PATH=/usr/bin:/bin timeout 20 "$game/clankora" --record "$records/$name" \
     >"$work/out" 2>"$work/err") || code=$?
  [ "$code" -eq 2 ] || fail "--record onto the records folder's $name exited with $code, not 2"
  grep -q "records folder" "$work/err" || fail "--record onto $name did not say why: $(cat "$work/err")"
  cmp -s "$work/kept-record" "$records/$name" || fail "--record onto $name changed it"
done
echo "command line: all steps passed"
