#!/bin/sh
# screenshot_test.sh METAINFO FOLDER: every screenshot the metadata names is a
# picture in FOLDER of the width and height the metadata gives.
set -eu
images=$(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">.*/\([^/<]*\)</image>.*|\1x\2 \3|p' "$1")
[ -n "$images" ] || { echo "FAIL: the metadata names no screenshot with its size"; exit 1; }
echo "$images" | {
  while read -r size name; do
    [ -f "$2/$name" ] || { echo "FAIL: $name is not in $2"; exit 1; }
    actual=$(identify -format '%wx%h' "$2/$name")
    [ "$actual" = "$size" ] || { echo "FAIL: $name is $actual, the metadata says $size"; exit 1; }
    echo "$name: $size"
  done
}
