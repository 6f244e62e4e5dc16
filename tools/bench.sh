#!/usr/bin/env bash
# Builds the host configuration and prints the benchmarks of the recording's bulk operations.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset host >/dev/null
cmake --build --preset host --target tonvira_file_bench
build/host/tonvira_file_bench --benchmark_min_time=1 "$@"
