#!/usr/bin/env bash
# Installs what is needed, builds, starts the simulated controller on a
# pseudo-terminal and the station with port 1 pointed at it. To use a real
# controller instead, name its serial device: ZC4160_PORT1=/dev/ttyUSB0 ./run.sh
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh build

sim_pid=
if [ -z "${ZC4160_PORT1:-}" ]; then
  line_dir=$(mktemp -d "${TMPDIR:-/tmp}/zc4160.XXXXXX")
  export ZC4160_PORT1="$line_dir/ttyZC4160"
  build/sim/zc4160-sim --link "$ZC4160_PORT1" &
  sim_pid=$!
  trap 'kill $sim_pid 2>/dev/null; rm -rf "$line_dir"' EXIT
  for _ in $(seq 50); do [ -e "$ZC4160_PORT1" ] && break; sleep 0.1; done
  echo "Simulated controller on $ZC4160_PORT1 (port 1, station 1)"
fi

build/src/zc4160-station "$@"
