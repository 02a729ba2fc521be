#!/bin/sh
# Starts the stand-in IDE on a temporary socket, runs a few quillo commands against it, stops it.
set -eu
build="${1:-build}"
quillo="$build/quillo"
work="$(mktemp -d /tmp/quillo-demo.XXXXXX)"
socket="$work/ide.sock"
"$build/quillo-standin" "$socket" >/dev/null &
standin=$!
trap 'kill $standin 2>/dev/null; wait $standin 2>/dev/null; rm -rf "$work"' EXIT INT TERM
tries=0
until [ -S "$socket" ]; do
  tries=$((tries + 1))
  [ $tries -le 100 ] || { echo "demo: the stand-in IDE did not start" >&2; exit 1; }
  sleep 0.05
done

export QUILLO_SOCKET="$socket" QUILLO_CONTEXT=demo QUILLO_ROOST=main QUILLO_PROJECT_PATH="$PWD"
show() {
  printf '\n$ quillo %s\n' "$*"
  "$quillo" "$@" || printf '(exit status %s)\n' "$?"
}
show ping
show whoami
show help
show --json ping
