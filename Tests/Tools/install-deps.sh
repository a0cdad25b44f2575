#!/bin/sh
# The dependency script as a user who is not root: with no sudo, and with a sudo that
# would ask for a password and no terminal, it names what is missing and how to
# install it, and fails; with a sudo it may use, it installs exactly what is missing, with
# debconf told not to ask although sudo starts apt-get in an environment of its own.
set -u
script="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A machine where nothing is installed yet and the user is uid 1000; apt-get and sudo,
# where present, only record what they were asked, apt-get with its debconf frontend.
mkdir "$work/bin"
ln -s "$(command -v grep)" "$work/bin/grep"
ln -s "$(command -v env)" "$work/bin/env"
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
printf '#!/bin/sh\necho 1000\n' >"$work/bin/id"
printf '#!/bin/sh\necho "${DEBIAN_FRONTEND:-asks} apt-get $*" >>"%s/calls"\n' "$work" >"$work/bin/apt-get"
chmod +x "$work/bin/"*

run() { PATH="$work/bin" "$(command -v bash)" "$script" </dev/null >"$work/out" 2>"$work/err"; }

expect_advice() {
  if run; then echo "$1: succeeded without installing anything"; exit 1; fi
  grep -q 'qt6-base-dev' "$work/err" || { echo "$1: does not name the missing packages: $(cat "$work/err")"; exit 1; }
  grep -q 'apt-get install' "$work/err" || { echo "$1: does not say how to install them"; exit 1; }
  grep -q 'command not found' "$work/err" && { echo "$1: ran a missing command"; exit 1; }
  [ -e "$work/calls" ] && { echo "$1: ran apt-get: $(cat "$work/calls")"; exit 1; }
  return 0
}

expect_advice "without sudo"

printf '#!/bin/sh\n[ "$1" = -n ] && exit 1\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/sudo"
expect_advice "sudo asking for a password"

# Like sudo, it starts the command with a fresh environment.
printf '#!/bin/sh\n[ "$1" = -n ] && exit 0\nexec env -i PATH="$PATH" "$@"\n' >"$work/bin/sudo"
run || { echo "with sudo: failed: $(cat "$work/err")"; exit 1; }
grep -q '^noninteractive apt-get install .*qt6-base-dev' "$work/calls" || { echo "with sudo: installed nothing: $(cat "$work/calls")"; exit 1; }
grep -v -q '^noninteractive ' "$work/calls" && { echo "with sudo: debconf may ask: $(cat "$work/calls")"; exit 1; }
grep -q 'clang' "$work/calls" && { echo "with sudo: installed the fuzzing compiler for a plain build"; exit 1; }
exit 0
