#!/usr/bin/env bash
# Installs what is missing, builds the test suite under AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-asan/, apart from the normal build that
# ./run.sh uses) and runs it whole: the engine and command-line tests once on
# SQLite and once on a throwaway PostgreSQL cluster, started here and stopped
# whatever happens.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
# -O1 with line tables: the sanitizers' usual build, and half the compile time.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1 -g1" -DFOLHA_SANITIZE=ON -DFOLHA_TEST_POSTGRES=ON >/dev/null
cmake --build build-asan -j"$(nproc)"
here="$PWD"
cluster="$(mktemp -d /tmp/folha-pg.XXXXXX)"
trap '"$here"/scripts/pgcluster.sh stop "$cluster"' EXIT
FOLHA_TEST_PG="$(scripts/pgcluster.sh start "$cluster")"
export FOLHA_TEST_PG
cd build-asan
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/../scripts/lsan.supp}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 900
