#!/bin/sh
# The desktop entry passes desktop-file-validate with nothing to say, hints included
# (two main categories, for one, put the app in two menus).
set -u
out=$(desktop-file-validate "$1" 2>&1) || { echo "$out"; exit 1; }
[ -z "$out" ] || { echo "$out"; exit 1; }
exit 0
