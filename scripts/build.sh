#!/usr/bin/env bash
# Configures and builds FolhaZorvan into build/ (binaries in build/bin/).
set -euo pipefail
cd "$(dirname "$0")/.."
"$PWD/scripts/deps.sh"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
