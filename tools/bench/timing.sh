# Sourced by the benchmarks: one timed run and the median of several.
# The caller removes "$timing" when it ends.
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# One run under /usr/bin/time: "wall_ms cpu_ms peak_kib".
timing=$(mktemp)
measure() {
  local t0 t1
  t0=$(date +%s%N)
  /usr/bin/time -o "$timing" -f '%U %S %M' "$@" >/dev/null 2>&1 || true
  t1=$(date +%s%N)
  tail -1 "$timing" | awk -v ms=$(( (t1 - t0) / 1000000 )) '{printf "%d %d %d\n", ms, ($1 + $2) * 1000, $3}'
}
