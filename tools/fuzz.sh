#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for SECONDS each, default 60,
# with AddressSanitizer and UBSan, and prints per target the executions, the
# coverage (edges) at the start and the end, the inputs that added coverage,
# and what was found. Not part of ./test.sh; installs clang's libFuzzer from
# Debian's packages when it is missing and builds build/fuzz.
#
# New inputs gather in build/fuzz/corpus/TARGET (the repository keeps only
# seeds and findings); a finding (crash, broken invariant, sanitizer report,
# hang over 10 s, memory over 2 GB) lands in build/fuzz/findings/TARGET/ and
# makes the run fail. Replay one with build/fuzz/fuzz/fuzz-TARGET FILE.
# Usage: tools/fuzz.sh [SECONDS] [TARGET...]
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${1:-60}
shift || true

need=()
for p in clang-14 libclang-rt-14-dev cmake ninja-build; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq && $sudo apt-get install -y -qq "${need[@]}" >/dev/null || exit 1
fi
tools/build.sh fuzz || exit 1

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for bin in build/fuzz/fuzz/fuzz-*; do targets+=("${bin##*/fuzz-}"); done
fi

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
status=0
total=0
printf '%-16s %12s %10s %14s %8s  %s\n' target executions exec/s "coverage" "new" findings
for t in "${targets[@]}"; do
  bin=build/fuzz/fuzz/fuzz-$t
  [ -x "$bin" ] || { echo "no fuzz target $t" >&2; status=1; continue; }
  work=build/fuzz/corpus/$t
  found=build/fuzz/findings/$t
  log=build/fuzz/logs/$t.log
  mkdir -p "$work" "$found" "$(dirname "$log")"
  "$bin" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$found/" "$work" "fuzz/corpus/$t" >"$log" 2>&1
  rc=$?
  execs=$(awk '/stat::number_of_executed_units/ {print $NF}' "$log" | tail -n 1)
  speed=$(awk '/stat::average_exec_per_sec/ {print $NF}' "$log" | tail -n 1)
  added=$(awk '/stat::new_units_added/ {print $NF}' "$log" | tail -n 1)
  start=$(grep -m 1 -o 'INITED cov: [0-9]*' "$log" | grep -o '[0-9]*$')
  end=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$')
  findings=$(find "$found" -type f | wc -l)
  total=$((total + ${execs:-0}))
  note="$findings"
  if [ "$rc" -ne 0 ] || [ "$findings" -gt 0 ]; then
    status=1
    note="$findings (exit $rc; see $log)"
  fi
  printf '%-16s %12s %10s %14s %8s  %s\n' "$t" "${execs:-?}" "${speed:-?}" \
    "${start:-?} -> ${end:-?}" "${added:-?}" "$note"
done
echo "total executions: $total"
exit $status
