#!/usr/bin/env bash
# Runs every libFuzzer target for a given time each (default 600 s) and
# prints its executions and findings. Builds them first, with clang, in
# build-fuzz/ (-DZEL_FUZZ=ON); clang and libclang-rt-14-dev come from
# `scripts/setup --fuzz`. Usage: bench/fuzz.sh [seconds] [target...]
# Corpora stay in build-fuzz/corpus/<target>, so a later run goes on from
# there; a crash, leak, sanitizer report or hang (10 s for one input) is
# written to build-fuzz/findings/<target>/ and the script exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
shift || true

if [ ! -f build-fuzz/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZEL_FUZZ=ON -DZEL_BUILD_TESTS=OFF >/dev/null
fi
nice -n 15 cmake --build build-fuzz -j2 --target fuzzers >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in build-fuzz/fuzz/fuzz_*; do [ -f "$f" ] && [ -x "$f" ] && targets+=("$(basename "$f")"); done
fi

export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
failed=0
printf '%-22s %8s %14s %10s %s\n' target seconds executions exec/s findings
for t in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$t" findings="build-fuzz/findings/$t"
  mkdir -p "$corpus" "$findings"
  log="build-fuzz/findings/$t.log"
  status=0
  nice -n 15 "build-fuzz/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  found=$(find "$findings" -type f | wc -l)
  [ "$status" -ne 0 ] || [ "$found" -ne 0 ] && failed=1
  printf '%-22s %8s %14s %10s %s\n' "$t" "$seconds" "${runs:-?}" \
    "$(( ${runs:-0} / (seconds > 0 ? seconds : 1) ))" "$found"
done
exit $failed
