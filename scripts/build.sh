#!/usr/bin/env bash
# Configures and builds FolhaZorvan into build/ (binaries in build/bin/): the
# two programs only, `folha` and `FolhaZorvan`. The tests are built by
# ./test.sh (in build-asan/) and the benchmarks by `cmake --build build
# --target bench_backends` and the like.
set -euo pipefail
cd "$(dirname "$0")/.."
"$PWD/scripts/deps.sh"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target folha FolhaZorvan
