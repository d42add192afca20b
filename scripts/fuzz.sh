#!/usr/bin/env bash
# Builds the fuzz targets with clang into build/fuzz and runs each for a
# bounded time from its checked-in corpus (fuzz/corpus/TARGET). Fails when a
# target finds a crash, a leak or a broken check; the input that did it is
# left in build/fuzz/findings.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-12}"
shift || true
dir="$root/build/fuzz"

"$root/scripts/install-deps.sh"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14)
if command -v ccache >/dev/null 2>&1; then
  options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root/fuzz" -B "$dir" -G Ninja "${options[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(LegacyQuestionFileFuzz IniFileFuzz ConnectionStringFuzz HtmlEncodeFuzz DateTimeFuzz SqlRewriteFuzz)
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
mkdir -p "$dir/findings"
failed=()
for target in "${targets[@]}"; do
  # New inputs go to a scratch copy: the checked-in corpus stays small.
  work="$dir/corpus/$target"
  mkdir -p "$work"
  echo "== $target (${seconds} s)"
  if ! "$dir/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
      -artifact_prefix="$dir/findings/$target-" -print_final_stats=1 \
      "$work" "$root/fuzz/corpus/$target" 2>"$dir/$target.log"; then
    tail -n 60 "$dir/$target.log"
    failed+=("$target")
  else
    grep -E "^stat::number_of_executed_units|^Done" "$dir/$target.log" || true
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: ${#targets[@]} targets passed"
