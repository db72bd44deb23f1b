# To be sourced by a benchmark script: a scratch folder `work`, and the
# processes it starts, whose ids it adds to `pids`; at exit each is killed
# and reaped, and the folder goes.
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
