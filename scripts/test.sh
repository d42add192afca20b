#!/usr/bin/env bash
# Installs what is missing, builds the sanitized test build and runs every
# test with ctest, the server tests against a throw-away PostgreSQL cluster
# (BALTERO_TEST_PG names it).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" test

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# The server tests run against a throw-away PostgreSQL cluster, stopped
# whatever happens to the run.
eval "$("$root/scripts/pg-test-cluster.sh" start)"
trap '"$root/scripts/pg-test-cluster.sh" stop "$BALTERO_TEST_PG_DIR"' EXIT

cd "$root/build/test"
ctest --output-on-failure --parallel "$(nproc)" "$@"
