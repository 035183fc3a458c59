# Shared by the run_with_* helpers (sourced, not run).

fail() {
  echo "$(basename "$0"): $*" >&2
  exit 1
}

# run_client DEVICE CMD ARGS...: runs CMD with every @PORT@ in ARGS replaced by
# DEVICE; returns CMD's status.
run_client() {
  local device=$1 arg
  shift
  local args=()
  for arg in "$@"; do
    if [ "$arg" = "@PORT@" ]; then args+=("$device"); else args+=("$arg"); fi
  done
  "${args[@]}"
}

# stop_processes PID...: ends the given processes (ours) and reaps them.
stop_processes() {
  local pid
  for pid in "$@"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
