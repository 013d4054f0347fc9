# shellcheck shell=bash
# The one wait of the shell tests and tools, sourced by them.

# Runs a command until it succeeds; false only when a hang's deadline (minutes) has passed.
kx_wait_for() {
  local deadline=$((SECONDS + 300))
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
}
