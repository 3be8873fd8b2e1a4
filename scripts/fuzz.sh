#!/usr/bin/env bash
# Builds the fuzz configuration (clang; libkiv with the fuzzer's counters, AddressSanitizer and
# UndefinedBehaviorSanitizer), runs every fuzz target for the given seconds (default 60) on its
# corpus, merges the new inputs that reach new coverage into fuzz/corpus/<target>/, and prints one
# line per target: runs, coverage counters reached, corpus size, findings.
#
#   scripts/fuzz.sh [seconds-per-target] [target...]
#
# Targets run one after the other, each in one process at a time, and keep going after a finding
# (libFuzzer's fork mode); each distinct finding is written to build-fuzz/findings/<target>/.
# Replay one with build-fuzz/fuzz/fuzz_<target> <file>.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: scripts/fuzz.sh [seconds-per-target] [target...]" >&2
  exit 2
fi

bash scripts/install-deps.sh
mkdir -p build-fuzz
cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIV_BUILD_FUZZ=ON -DKIV_BUILD_TESTS=OFF -DKIV_BUILD_BENCH=OFF \
  > build-fuzz/configure.log
cmake --build build-fuzz -j "$(nproc)" --target fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*.cpp; do
    name=$(basename "$f" .cpp)
    [ "$name" = ReplayMain ] || targets+=("$name")
  done
fi

# The targets write their scratch files below TMPDIR: a memory file system when there is one,
# so that the documents they save cost no disk flushes.
base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
scratch=$(mktemp -d "$base/kiv-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}

summary=()
for t in "${targets[@]}"; do
  program=build-fuzz/fuzz/fuzz_$t
  corpus=fuzz/corpus/$t
  findings=build-fuzz/findings/$t
  work=$scratch/$t
  log=build-fuzz/fuzz-$t.log
  if [ ! -x "$program" ]; then
    echo "no fuzz target $t" >&2
    exit 2
  fi
  mkdir -p "$corpus" "$findings" "$work"
  options=(-timeout=10 -rss_limit_mb=2048)
  [ -f "fuzz/dict/$t.dict" ] && options+=("-dict=fuzz/dict/$t.dict")
  before=$(find "$findings" -type f | wc -l)
  touch "$work.start"

  echo "== $t: $seconds s"
  "$program" "${options[@]}" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" -artifact_prefix="$findings/" "$work" "$corpus" > "$log" 2>&1 || true
  # Only inputs that reach coverage the corpus lacks are added, each in its smallest form.
  "$program" "${options[@]}" -merge=1 "$corpus" "$work" >> "$log" 2>&1 || true

  stats=$(grep -E '^#[0-9]+: cov:' "$log" | tail -1 || true)
  runs=$(sed -nE 's/^#([0-9]+):.*/\1/p' <<< "$stats")
  cov=$(sed -nE 's/.* cov: ([0-9]+) .*/\1/p' <<< "$stats")
  size=$(find "$corpus" -type f | wc -l)
  found=$(( $(find "$findings" -type f | wc -l) - before ))
  line=$(printf '%-16s runs: %-10s cov: %-6s corpus: %-5s findings: %s' "$t" "${runs:-0}" \
    "${cov:-0}" "$size" "$found")
  summary+=("$line")
  if [ "$found" -gt 0 ]; then
    # One line per kind of finding (the broken check or the sanitizer's summary), with how
    # many inputs showed it and one of them.
    # The list is taken whole first: a pipeline cut short by head would fail under pipefail.
    mapfile -t inputs < <(find "$findings" -type f -newer "$work.start")
    for input in "${inputs[@]:0:200}"; do
      kind=$(timeout 60 "$program" "$input" 2>&1 |
        grep -m1 -E 'FUZZ CHECK FAILED|SUMMARY: |ERROR: libFuzzer: (timeout|out-of-memory)' || true)
      printf '%s\t%s\n' "${kind:-no longer fails}" "$input"
    done | sort | awk -F'\t' '{ n[$1]++; e[$1] = $2 } END { for (k in n) printf "    %d x %s\n      e.g. %s\n", n[k], k, e[k] }' \
      > "$work.kinds"
    summary+=("$(cat "$work.kinds")")
  fi
done

echo
echo "== Fuzzing, $seconds s per target (findings in build-fuzz/findings/<target>/)"
printf '%s\n' "${summary[@]}"
