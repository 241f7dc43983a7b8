#!/usr/bin/env bash
# Times the scan that reads an NTFS volume's master file table against the
# folder walk, on an NTFS image holding the benchmark tree (about 200 000
# files in 20 000 folders, make-bench-tree.sh), and prints the figures and
# the ratios:
#  - host: dravon-scan --mft IMAGE against du -s --apparent-size of the
#    mounted volume (ntfs-3g, read-only) and dravon-scan --walk of it;
#  - floor: the table's bytes alone, read sequentially from the image by dd
#    in 4 MiB blocks, warm, into one reused buffer: what any reader of the
#    table pays before it looks at a byte (a system call and a copy out of
#    the page cache per block, and dd's own start). The table scan pays the
#    same and then parses, orders and builds the tree; the aim is that it
#    stays within twice this;
#  - Wine (when the Windows tree has dravon-scan.exe): dravon-scan.exe --mft
#    D:\ (D: the mounted volume, its device D:: the image) against
#    dravon-scan.exe --walk W:\ (W: the same tree on the host's own file
#    system), in a private prefix.
# Warm cache: one unmeasured run of each, then RUNS rounds (default 7) that
# run the commands compared in turn, so a change in the machine's load falls
# on each alike; the medians of each and of the per-round ratios.
# The image is made once (a few minutes: every file goes through FUSE) and
# kept beside the tree with a .complete marker. Needs root and FUSE.
#
#   tools/bench/mft-bench.sh [TREE_DIR]     (default /tmp/dravon-bench-tree)
#   HOST_ONLY=1 leaves out the Wine half (minutes: the walks under Wine).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tree=${1:-/tmp/dravon-bench-tree}
image=$tree.ntfs
mount=$tree.ntfs-mount
runs=${RUNS:-7}
scan=$top/build/host/bin/dravon-scan
winscan=$top/build/win/tests/dravon-scan.exe
[ -x "$scan" ] || { echo "build the host tree first: tools/build.sh host" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }

"$top/tools/bench/make-bench-tree.sh" "$tree"
"$top/tools/bench/make-bench-image.sh" "$tree"
mkdir -p "$mount"
mountpoint -q "$mount" && fusermount -u "$mount"
ntfs-3g -o ro "$image" "$mount"
prefix=$(mktemp -d)
. "$top/tools/bench/timing.sh"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$prefix" "$timing"; fusermount -u "$mount" 2>/dev/null || true' EXIT

# alternate NAME:LABEL...: for each NAME an array cmd_NAME holds the command.
# Sets NAME_wall and NAME_cpu to the medians, and NAME_rounds to the walls of
# each round (one a line) for round_ratio.
alternate() {
  local spec name
  for spec in "$@"; do
    local -n cmd="cmd_${spec%%:*}"
    "${cmd[@]}" >/dev/null 2>&1 || true
    unset -n cmd
  done
  local -A out=()
  for _ in $(seq "$runs"); do
    for spec in "$@"; do
      name=${spec%%:*}
      local -n cmd="cmd_$name"
      out[$name]+="$(measure "${cmd[@]}")"$'\n'
      unset -n cmd
    done
  done
  local wall cpu
  for spec in "$@"; do
    name=${spec%%:*}
    wall=$(printf '%s' "${out[$name]}" | awk '{print $1}' | median)
    cpu=$(printf '%s' "${out[$name]}" | awk '{print $2}' | median)
    printf '%-52s wall %6d ms  CPU %6d ms\n' "${spec#*:}" "$wall" "$cpu"
    printf -v "${name}_wall" '%s' "$wall"
    printf -v "${name}_cpu" '%s' "$cpu"
    printf -v "${name}_rounds" '%s' "$(printf '%s' "${out[$name]}" | awk '{print $1}')"
  done
}
ratio() { awk -v a="$2" -v b="$3" -v l="$1" 'BEGIN {if (b > 0) printf "%-52s %.2f\n", l, a / b}'; }
# The median of A/B over the rounds, each pair measured side by side.
round_ratio() {
  paste <(printf '%s\n' "$2") <(printf '%s\n' "$3") |
    awk '$2 > 0 {printf "%.4f\n", $1 / $2}' | median |
    awk -v l="$1" '{printf "%-52s %.2f\n", l, $1}'
}

# The table's place and size, from the boot sector and record 0.
read -r table_offset table_bytes < <(python3 - "$image" <<'PY'
import struct, sys
with open(sys.argv[1], 'rb') as f:
    b = f.read(512)
    sector, = struct.unpack_from('<H', b, 11)
    cluster = sector * b[13]
    offset = struct.unpack_from('<Q', b, 0x30)[0] * cluster
    f.seek(offset)
    r = f.read(1024)
at = struct.unpack_from('<H', r, 20)[0]
while True:
    kind, length = struct.unpack_from('<II', r, at)
    if kind == 0xFFFFFFFF: break
    if kind == 0x80 and r[at + 9] == 0: size = struct.unpack_from('<Q', r, at + 48)[0]
    at += length
print(offset, size)
PY
)

echo "Tree: $tree; image: $image (table $((table_bytes / 1048576)) MiB); load: $(cut -d' ' -f1-3 /proc/loadavg)"
# The totals must agree before the times mean anything.
a=$("$scan" --mft --bytes "$image" | awk '$1 == "bytes" {print $2}')
b=$("$scan" --walk --bytes "$mount" | awk '$1 == "bytes" {print $2}')
c=$(du -s -B1 --apparent-size "$mount" | awk '{print $1}')
echo "bytes: table $a, walk $b, du $c (du counts the folders too)"
[ "$a" = "$b" ] || { echo "the table and the walk disagree" >&2; exit 1; }

echo "median of $runs rounds, each running the commands of a group in turn:"
cmd_floor=(dd if="$image" of=/dev/null bs=4M iflag=skip_bytes,count_bytes skip="$table_offset" count="$table_bytes")
cmd_mft=("$scan" --mft "$image")
alternate "floor:the table's bytes read (dd, 4 MiB blocks): floor" "mft:dravon-scan --mft IMAGE"
cmd_walk=("$scan" --walk "$mount")
cmd_du=(du -s --apparent-size "$mount")
alternate "walk:dravon-scan --walk of the mounted volume" "du:du -s --apparent-size of the mounted volume"
# On a busy machine the wall times follow the load; the CPU times less so.
ratio "walk / table scan (wall)" "$walk_wall" "$mft_wall"
ratio "du / table scan (wall)" "$du_wall" "$mft_wall"
ratio "table scan / bytes read (wall)" "$mft_wall" "$floor_wall"
round_ratio "table scan / bytes read (wall, per round)" "$mft_rounds" "$floor_rounds"
ratio "walk / table scan (CPU)" "$walk_cpu" "$mft_cpu"
ratio "table scan / bytes read (CPU)" "$mft_cpu" "$floor_cpu"

if [ -x "$winscan" ] && [ -z "${HOST_ONLY:-}" ]; then
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
  wineboot -i >/dev/null 2>&1 || true
  ln -sfn "$mount" "$prefix/dosdevices/d:"
  ln -sfn "$image" "$prefix/dosdevices/d::"
  ln -sfn "$tree" "$prefix/dosdevices/w:"
  wa=$(wine "$winscan" --mft --bytes 'D:\' 2>/dev/null | tr -d '\r' | awk '$1 == "bytes" {print $2}')
  echo "bytes under Wine: table $wa"
  [ "$wa" = "$a" ] || { echo "the table under Wine disagrees" >&2; exit 1; }
  cmd_wmft=(wine "$winscan" --mft 'D:\')
  cmd_wwalk=(wine "$winscan" --walk 'W:\')
  cmd_wdwalk=(wine "$winscan" --walk 'D:\')
  cmd_wstart=(wine "$winscan" --walk 'C:\users\Public\Music\')
  alternate 'wmft:dravon-scan.exe --mft D:\ (Wine)' 'wwalk:dravon-scan.exe --walk W:\ (Wine, host file system)' \
    'wstart:dravon-scan.exe of an empty folder (Wine start-up)'
  alternate 'wdwalk:dravon-scan.exe --walk D:\ (Wine, the mounted volume)'
  # Wine's start-up (over a second on a busy machine) is most of the table
  # scan's wall time: also the scan alone, as dravon-scan --stats times it.
  scan_seconds() { wine "$winscan" --stats "$@" 2>&1 >/dev/null | tr -d '\r' | awk '{for (i = 1; i < NF; i++) if ($i == "seconds") print $(i + 1) * 1000}'; }
  inner_mft="" inner_walk=""
  for _ in $(seq "$runs"); do
    inner_mft+="$(scan_seconds --mft 'D:\')"$'\n'
    inner_walk+="$(scan_seconds --walk 'W:\')"$'\n'
  done
  inner_mft=$(printf '%s' "$inner_mft" | median)
  inner_walk=$(printf '%s' "$inner_walk" | median)
  printf '%-52s %6.0f ms\n' 'dravon-scan.exe --mft D:\ (Wine), the scan alone' "$inner_mft" \
    'dravon-scan.exe --walk W:\ (Wine), the scan alone' "$inner_walk"
  ratio "Wine: walk of W: / table scan of D: (the scans alone)" "$inner_walk" "$inner_mft"
  ratio "Wine: walk of W: / table scan of D: (wall)" "$wwalk_wall" "$wmft_wall"
  round_ratio "Wine: walk of W: / table scan of D: (wall, per round)" "$wwalk_rounds" "$wmft_rounds"
  ratio "Wine: walk of W: / table scan of D: (CPU)" "$wwalk_cpu" "$wmft_cpu"
  ratio "Wine: walk of D: / table scan of D: (wall)" "$wdwalk_wall" "$wmft_wall"
  ratio "Wine, less start-up: walk of W: / table scan" "$((wwalk_wall - wstart_wall))" "$((wmft_wall - wstart_wall))"
fi
