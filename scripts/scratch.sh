# Sourced by the scripts that run a stand-in IDE in a temporary directory: `work` and `standin`
# are theirs to set, and whatever they name is stopped and removed when the script ends, however
# it ends.
work=""
standin=""
# Safe to run twice (a signal, then EXIT).
stop_standin() {
  if [ -n "$standin" ]; then
    kill "$standin" 2>/dev/null || :
    wait "$standin" 2>/dev/null || :
    standin=""
  fi
}
cleanup() {
  stop_standin
  if [ -n "$work" ]; then
    cd /
    rm -rf "$work"
    work=""
  fi
}
# A trapped signal would otherwise only interrupt the current command, and an untrapped SIGPIPE
# (the output pipe closed: `demo.sh | head`) would kill the shell without running the EXIT trap.
trap cleanup EXIT
trap 'cleanup; exit 129' HUP
trap 'cleanup; exit 130' INT
trap 'cleanup; exit 141' PIPE
trap 'cleanup; exit 143' TERM
