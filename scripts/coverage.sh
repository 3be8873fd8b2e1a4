#!/usr/bin/env bash
# Builds with clang's source-based coverage, runs the whole test suite and prints the line and
# branch coverage of each folder of src/ and of src/ as a whole, as llvm-cov reports them. The
# per-file report is left in build-coverage/coverage/report.txt. A failing test fails the
# script, after the report.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
out=build-coverage/coverage
cmake -S . -B build-coverage -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug -DKIV_COVERAGE=ON -DKIV_BUILD_BENCH=OFF
cmake --build build-coverage -j "$jobs"

rm -rf "$out"
mkdir -p "$out/profiles"
# Each program merges its counts into one of a few files per binary, so that the hundreds of
# test processes leave a handful of profiles.
export LLVM_PROFILE_FILE="$PWD/$out/profiles/%4m.profraw" QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir build-coverage --output-on-failure -j "$jobs" || status=$?

llvm-profdata merge -sparse "$out"/profiles/*.profraw -o "$out/kiv.profdata"
# The library's code runs in libkiv.so and, for the test programs and fuzz replays that link
# kiv_internal, inside those programs: the report merges them all.
objects=()
while IFS= read -r -d '' program; do
  objects+=(-object "$program")
done < <(find build-coverage/tests build-coverage/fuzz -type f -perm -u+x \
  \( -name 'test_*' -o -name 'replay_*' \) -print0)
llvm-cov report build-coverage/src/libkiv.so "${objects[@]}" -instr-profile="$out/kiv.profdata" \
  > "$out/report.txt"

# Each row of the report: file (relative to the build folder when the programs' own sources are
# in it), regions (3 columns), functions (3), lines (3), branches (3). The rows of the files
# below src/<folder>/ are summed per folder and for src/ as a whole.
echo
echo "== Coverage of src/ by the test suite"
awk -v folders="$(printf '%s ' src/*/)" '
  $1 ~ /^(\.\.\/)?src\// {
    sub(/^\.\.\//, "", $1)
    split($1, part, "/")
    for (k = 0; k < 2; ++k) {
      key = k == 0 ? "src/" part[2] "/" : "total"
      lines[key] += $8; missedLines[key] += $9; branches[key] += $11; missedBranches[key] += $12
    }
  }
  function pct(n, of) { return of ? sprintf("%.2f%%", 100 * n / of) : "-" }
  function row(key) {
    printf "%-16s lines %6d/%-6d %8s   branches %6d/%-6d %8s\n", key,
      lines[key] - missedLines[key], lines[key], pct(lines[key] - missedLines[key], lines[key]),
      branches[key] - missedBranches[key], branches[key],
      pct(branches[key] - missedBranches[key], branches[key])
  }
  END {
    n = split(folders, names, " ")
    for (i = 1; i <= n; ++i) row(names[i])
    row("total")
  }' "$out/report.txt"
exit "$status"
