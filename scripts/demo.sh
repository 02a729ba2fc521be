#!/bin/sh
# Starts the stand-in IDE on a temporary socket, runs a few quillo commands against it, stops it.
set -eu
build="${1:-build}"
quillo="$build/quillo"
. "$(dirname -- "$0")/scratch.sh"
work="$(mktemp -d /tmp/quillo-demo.XXXXXX)"
socket="$work/ide.sock"
"$build/quillo-standin" "$socket" >/dev/null &
standin=$!
tries=0
until [ -S "$socket" ]; do
  tries=$((tries + 1))
  [ $tries -le 100 ] || { echo "demo: the stand-in IDE did not start" >&2; exit 1; }
  sleep 0.05
done

export QUILLO_SOCKET="$socket" QUILLO_CONTEXT=demo QUILLO_ROOST=main QUILLO_PROJECT_PATH="$PWD"
# A closed output ends the script at the next printf, through the PIPE trap or, where SIGPIPE is
# ignored, through set -e; printf's own complaint about the failed write is not shown.
show() {
  line='$ quillo'
  for arg in "$@"; do
    case "$arg" in
      *" "*) line="$line '$arg'" ;;
      *) line="$line $arg" ;;
    esac
  done
  printf '\n%s\n' "$line" 2>/dev/null
  "$quillo" "$@" || printf '(exit status %s)\n' "$?" 2>/dev/null
}
show ping
show whoami
show help
show --json ping
show terminal list
show shelf add src/app --select
show shelf list
show browser open https://docs.example.test/
show browser list
show comments add --file docs/guide.md --line 12 --comment "Typo here"
show comments list
show todo add "Ship it" --body "See notes"
show todo message add todo-1 --text "Done"
show todo show todo-1
show roost list-projects
show help no.such.method
