#!/usr/bin/env python3
"""Where a user-interface stall went: what the threads of the program and of
the Wine server did while the program's user-interface thread did not answer.

  ui-stall-probe.py sample LOG PID...   samples every thread of the PIDs
      every 2 ms (the Linux scheduler's counters: time on a CPU and time
      waiting for one) into LOG until every PID has ended or it is killed.
  ui-stall-probe.py window LOG START_MS LENGTH_MS UI_PID
      prints, for the window (Unix milliseconds, as the driver's scan-bench
      prints the longest stall), per thread: milliseconds on a CPU, waiting
      for a CPU (runnable, not running) and neither (blocked: in a wait or a
      call to the server). UI_PID's main thread is the user-interface thread.

A stall that our code causes shows as CPU time of the user-interface thread;
one the shared CPU causes, as its waiting for a CPU; one the server causes,
as the user-interface thread blocked while the server runs or waits.
"""
import os
import sys
import time


def tasks(pid):
    try:
        return [int(t) for t in os.listdir(f"/proc/{pid}/task")]
    except OSError:
        return []


def schedstat(pid, tid):
    try:
        with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
            cpu, wait, _ = f.read().split()
        return int(cpu), int(wait)
    except (OSError, ValueError):
        return None


def comm(pid, tid):
    try:
        with open(f"/proc/{pid}/task/{tid}/comm") as f:
            return f.read().strip()
    except OSError:
        return "?"


def sample(log, pids):
    names = {}
    with open(log, "w") as out:
        while True:
            now = time.time() * 1000.0
            fields = []
            alive = False
            for pid in pids:
                for tid in tasks(pid):
                    stat = schedstat(pid, tid)
                    if stat is None:
                        continue
                    alive = True
                    if tid not in names:
                        names[tid] = comm(pid, tid)
                        out.write(f"# {pid} {tid} {names[tid]}\n")
                    fields.append(f"{tid}:{stat[0]}:{stat[1]}")
            if not alive:
                return
            out.write(f"{now:.3f} {' '.join(fields)}\n")
            out.flush()
            time.sleep(0.002)


def window(log, start, length, ui_pid):
    end = start + length
    first, last, names, owners = {}, {}, {}, {}
    with open(log) as f:
        for line in f:
            if line.startswith("#"):
                _, pid, tid, name = line.split(None, 3)
                names[int(tid)] = name.strip()
                owners[int(tid)] = int(pid)
                continue
            t, *fields = line.split()
            t = float(t)
            for field in fields:
                tid, cpu, wait = (int(x) for x in field.split(":"))
                sample_ = (t, cpu, wait)
                # The last sample at or before the window's start, the first
                # at or after its end.
                if t <= start or tid not in first:
                    first[tid] = sample_
                if t <= end or tid not in last or last[tid][0] < end:
                    last[tid] = sample_
    print(f"window {length:.0f} ms; per thread: on a CPU / waiting for a CPU / blocked (ms)")
    for tid in sorted(first, key=lambda k: (owners.get(k) != ui_pid, k != ui_pid, k)):
        a, b = first[tid], last[tid]
        span = b[0] - a[0]
        if span <= 0:
            continue
        cpu = (b[1] - a[1]) / 1e6
        wait = (b[2] - a[2]) / 1e6
        if cpu < 0.5 and wait < 0.5 and tid != ui_pid:
            continue
        role = "user-interface thread" if tid == ui_pid else (
            "program" if owners.get(tid) == ui_pid else "server/other")
        print(f"  {tid:>7} {names.get(tid, '?'):<16} {role:<22} {cpu:7.1f} {wait:7.1f} "
              f"{max(0.0, span - cpu - wait):7.1f}  (sampled over {span:.0f} ms)")


def main():
    if len(sys.argv) >= 4 and sys.argv[1] == "sample":
        sample(sys.argv[2], [int(p) for p in sys.argv[3:]])
    elif len(sys.argv) == 6 and sys.argv[1] == "window":
        window(sys.argv[2], float(sys.argv[3]), float(sys.argv[4]), int(sys.argv[5]))
    else:
        print(__doc__, file=sys.stderr)
        sys.exit(2)


if __name__ == "__main__":
    main()
