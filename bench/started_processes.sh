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

# Waits up to ten seconds for the JACK server (JACK_DEFAULT_SERVER) to
# answer a client; when it does not, shows the server's log and exits.
await_jackd() {
  for _ in $(seq 100); do
    jack_lsp >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "jackd did not start:" >&2
  cat "$1" >&2
  exit 1
}
