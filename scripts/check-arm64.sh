#!/bin/sh
# Runs the same quillo commands with the native build and with the arm64 cross build (under
# qemu), each build against a fresh stand-in IDE of its own, and compares what they print on
# standard output and standard error, byte for byte, and their exit statuses.
#   scripts/check-arm64.sh [NATIVE_BUILD [ARM64_BUILD]]   build and build-arm64 by default
set -eu
native_build="${1:-build}"
arm64_build="${2:-build-arm64}"
for program in "$native_build/quillo" "$native_build/quillo-standin" \
               "$arm64_build/quillo" "$arm64_build/quillo-standin"; do
  [ -x "$program" ] || {
    echo "check-arm64: no $program (make build and make build-arm64 make them)" >&2
    exit 2
  }
done
command -v qemu-aarch64-static >/dev/null 2>&1 || {
  echo "check-arm64: no qemu-aarch64-static (scripts/install-deps.sh arm64 installs it)" >&2
  exit 2
}
# Absolute, as the commands run in the temporary directory.
native="$(cd "$native_build" && pwd)"
arm64="$(cd "$arm64_build" && pwd)"

# The commands, each after the exit status it must give. Every path in them is relative to the
# temporary directory, so that a message naming one reads the same from both builds.
commands='0 ping
0 terminal list
0 --json ping
0 --json terminal list
0 whoami
2 termnal list
1 --socket nothing-listens.sock ping'

. "$(dirname -- "$0")/scratch.sh"
work="$(mktemp -d /tmp/quillo-check-arm64.XXXXXX)"
cd "$work"

# launch BUILD PROGRAM LIMIT ARGS...: replaces the calling (sub)shell with one of a build's
# executables, the arm64 ones under qemu, in the same environment for both builds and stopped
# after LIMIT seconds: a program that hangs under the emulator fails the check rather than
# holding it up, and one that ignores SIGTERM is killed 5 seconds after it.
launch() {
  build=$1 program=$2 limit=$3
  shift 3
  case "$build/$program" in
    native/*) set -- "$native/$program" "$@" ;;
    # quillo is static and needs no libraries.
    arm64/quillo) set -- qemu-aarch64-static "$arm64/quillo" "$@" ;;
    # The stand-in is linked dynamically against the cross compiler's C and C++ libraries, under
    # /usr/aarch64-linux-gnu (-L). Its loader also looks in /lib/aarch64-linux-gnu, where
    # multiarch has put arm64's own C library (uuid-dev:arm64 needs it), of a newer build that does
    # not work with the cross one's loader (the stand-in's thread never starts); so the cross
    # libraries come first.
    arm64/quillo-standin) set -- qemu-aarch64-static -L /usr/aarch64-linux-gnu \
        -E LD_LIBRARY_PATH=/usr/aarch64-linux-gnu/lib "$arm64/quillo-standin" "$@" ;;
  esac
  exec env -i PATH="$PATH" HOME="$work" QUILLO_SOCKET=ide.sock QUILLO_CONTEXT=check-arm64 \
    QUILLO_ROOST=main QUILLO_PROJECT_PATH=/srv/app timeout -k 5 "$limit" "$@"
}

# run_commands BUILD: starts that build's stand-in on ide.sock, runs every command with that
# build's quillo, keeping each one's outputs and status in BUILD/, and stops the stand-in.
run_commands() {
  build=$1
  mkdir "$build"
  rm -f ide.sock
  launch "$build" quillo-standin 600 ide.sock >"$build-standin.log" 2>&1 &
  standin=$!
  tries=0
  until [ -S ide.sock ]; do
    tries=$((tries + 1))
    [ $tries -le 200 ] || {
      echo "check-arm64: the $build stand-in IDE did not start" >&2
      cat "$build-standin.log" >&2
      exit 1
    }
    sleep 0.05
  done
  n=0
  while read -r _ arguments; do
    n=$((n + 1))
    status=0
    set -f
    # shellcheck disable=SC2086 # the arguments are words without spaces
    (launch "$build" quillo 60 $arguments) >"$build/$n.out" 2>"$build/$n.err" </dev/null ||
      status=$?
    set +f
    echo "$status" >"$build/$n.status"
  done <<EOF
$commands
EOF
  stop_standin
}

run_commands native
run_commands arm64

echo "check-arm64: $native_build/quillo natively and $arm64_build/quillo under qemu-aarch64-static," \
  "each against its own build's stand-in"
failures=0
n=0
while read -r expected arguments; do
  n=$((n + 1))
  native_status=$(cat "native/$n.status")
  arm64_status=$(cat "arm64/$n.status")
  if cmp -s "native/$n.out" "arm64/$n.out" && cmp -s "native/$n.err" "arm64/$n.err" &&
     [ "$native_status" = "$arm64_status" ]; then
    if [ "$native_status" = "$expected" ]; then
      echo "  same: quillo $arguments (status $native_status, $(wc -c <"native/$n.out") bytes on" \
        "standard output, $(wc -c <"native/$n.err") on standard error)"
      continue
    fi
    # The same from both, but not what the command gives: the check itself went wrong.
    echo "  WRONG: quillo $arguments gave status $native_status from both builds, not $expected:"
    cat "native/$n.out" "native/$n.err"
  else
    echo "  DIFFERENT: quillo $arguments"
    for stream in out err; do
      diff -u --label "$native_build/quillo $arguments: std$stream" \
        --label "$arm64_build/quillo $arguments: std$stream" "native/$n.$stream" "arm64/$n.$stream" ||
        :
    done
    [ "$native_status" = "$arm64_status" ] ||
      echo "  exit status: $native_status natively, $arm64_status on arm64"
  fi
  failures=$((failures + 1))
done <<EOF
$commands
EOF
if [ "$failures" -ne 0 ]; then
  echo "check-arm64: $failures of $n commands differ between the builds or gave the wrong status" >&2
  exit 1
fi
echo "check-arm64: all $n commands gave the same output and status on both"
