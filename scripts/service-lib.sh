# Starting and stopping quendra-service with the samples on a free loopback port, for
# demo.sh and bench-service.sh (sourced; run from the repository's root).
#
# start_service BUILD LOG [options...]: starts BUILD/service/quendra-service with the sample
# catalogue and release, its log in LOG, waits until it says where it listens and sets
# service_pid and service_address ("http://127.0.0.1:PORT"). Fails when it does not start.
# stop_service: ends it (when started) and waits for it.

service_pid=""
service_address=""

start_service() {
  local build=$1 log=$2 started
  shift 2
  started=$(mktemp)
  "$build/service/quendra-service" --catalogue service/samples/catalogue.json \
    --release service/samples/release.json --port 0 "$@" >"$started" 2>"$log" &
  service_pid=$!
  for _ in $(seq 100); do
    [ -s "$started" ] && break
    kill -0 "$service_pid" 2>/dev/null || break
    sleep 0.1
  done
  service_address=$(head -n 1 "$started")
  rm -f "$started"
  if [ -z "$service_address" ]; then
    echo "quendra-service did not start:" >&2
    cat "$log" >&2
    stop_service
    return 1
  fi
}

stop_service() {
  if [ -n "$service_pid" ]; then
    kill "$service_pid" 2>/dev/null || true
    wait "$service_pid" 2>/dev/null || true
  fi
  service_pid=""
}
