#!/bin/sh
# validate.sh [--silent] TOOL ARGS...: runs a validator of the desktop's own
# files. Skipped (77) with the reason when the tool is missing; with --silent,
# anything the tool prints counts as a fault.
silent=""
if [ "$1" = "--silent" ]; then silent=1; shift; fi
command -v "$1" >/dev/null 2>&1 || { echo "skipped: $1 is not installed (scripts/setup installs it)"; exit 77; }
out=$("$@" 2>&1) || { echo "$out"; exit 1; }
echo "$out"
if [ -n "$silent" ] && [ -n "$out" ]; then exit 1; fi
exit 0
