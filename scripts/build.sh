#!/usr/bin/env bash
# Configures and builds Baltero. Usage: scripts/build.sh release|test
# "release" builds build/release; "test" builds build/test with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
kind="${1:-release}"

case "$kind" in
  release) dir="$root/build/release"; options=(-DCMAKE_BUILD_TYPE=Release -DBALTERO_BUILD_TESTS=OFF) ;;
  test)    dir="$root/build/test";    options=(-DCMAKE_BUILD_TYPE=Debug -DBALTERO_SANITIZE=ON -DBALTERO_BUILD_TESTS=ON) ;;
  *) echo "usage: $0 release|test" >&2; exit 2 ;;
esac

# A compiler cache, when the machine has one, makes rebuilds of other
# checkouts of the same sources cheap.
if command -v ccache >/dev/null 2>&1; then
  options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake -S "$root" -B "$dir" -G Ninja "${options[@]}"
cmake --build "$dir" --parallel "$(nproc)"
