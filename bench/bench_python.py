#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The Python module's figures: a Duration from a label, d + d, and read() of
a 100,000-event EDL beside horodex-tc sum of the same file, with a drop-frame
label parsed by plain Python for comparison. Run from a Release build:

    /usr/bin/python3 bench/bench_python.py [BUILD_DIR]     (default build/)
"""
import os
import pathlib
import resource
import platform
import statistics
import subprocess
import sys
import tempfile
import time
import timeit

ROOT = pathlib.Path(__file__).resolve().parents[1]
BUILD = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "build").resolve()
sys.path.insert(0, str(BUILD / "python"))
import horodex  # noqa: E402

RUNS = 5


def per_call(statement, names, number):
    """The median over RUNS runs of the time per call, in seconds."""
    return statistics.median(t / number for t in timeit.repeat(statement, globals=names, number=number, repeat=RUNS))


def drop_frame_count(label, nominal=30):
    """A drop-frame label 'HH:MM:SS;FF' to its frame count, in plain Python."""
    hours, minutes, seconds, frames = int(label[0:2]), int(label[3:5]), int(label[6:8]), int(label[9:])
    total_minutes = hours * 60 + minutes
    return ((total_minutes * 60 + seconds) * nominal + frames) - nominal // 15 * (total_minutes - total_minutes // 10)


def edl(events):
    """Cuts on V and three audio tracks, a dissolve every tenth event, as bench_list writes them."""
    def tc(f):
        return f"{f // 90000:02d}:{f // 1500 % 60:02d}:{f // 25 % 60:02d}:{f % 25:02d}"
    lines = ["TITLE: BENCH", "FCM: NON-DROP FRAME"]
    tracks = ("V", "A", "A2", "AA/V")
    record = 90000
    for i in range(1, events + 1):
        length = 25 + i % 200
        kind = "D    030" if i % 10 == 0 else "C       "
        lines.append(f"{i % 1000:03d}  TAPE{i % 97}  {tracks[i % 4]}  {kind} {tc(i % 1000 * 25)} "
                     f"{tc(i % 1000 * 25 + length)} {tc(record)} {tc(record + length)}")
        if i % 10 == 0:
            lines.append("* FROM CLIP NAME: TAPE.MOV")
        record += length - (0 if i % 4 == 3 else length // 2)  # tracks overlap
    return "\n".join(lines) + "\n"


def timed(run):
    """Wall time and CPU time (this process's and its children's) of one run."""
    def cpu():
        me, children = resource.getrusage(resource.RUSAGE_SELF), resource.getrusage(resource.RUSAGE_CHILDREN)
        return me.ru_utime + me.ru_stime + children.ru_utime + children.ru_stime
    start, start_cpu = time.perf_counter(), cpu()
    run()
    return time.perf_counter() - start, cpu() - start_cpu


def median_timed(run):
    runs = [timed(run) for _ in range(RUNS)]
    return statistics.median(w for w, _ in runs), statistics.median(c for _, c in runs)


def main():
    tb = horodex.Timebase("29.97df")
    d = horodex.Duration("23:59:59;29", tb)
    names = {"horodex": horodex, "tb": tb, "d": d, "drop_frame_count": drop_frame_count}
    assert drop_frame_count("23:59:59;29") == d.frames == 2589407
    figures = [
        ("Duration('23:59:59;29', tb)", per_call("horodex.Duration('23:59:59;29', tb)", names, 200000), "<= 1 us"),
        ("Duration('23:59:59;29', '29.97df'), rate as text",
         per_call("horodex.Duration('23:59:59;29', '29.97df')", names, 200000), ""),
        ("plain-Python drop-frame parser, same label", per_call("drop_frame_count('23:59:59;29')", names, 200000), ""),
        ("d + d", per_call("d + d", names, 500000), "<= 300 ns"),
        ("d.label", per_call("d.label", names, 500000), ""),
    ]
    tc = BUILD / "cli" / "horodex-tc"
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "bench.edl")
        pathlib.Path(path).write_text(edl(100000))
        size = os.path.getsize(path)
        lst = horodex.read(path, rate="25")
        assert len(lst.entries) == 100000 and lst.ok
        read = median_timed(lambda: horodex.read(path, rate="25"))

        def sum_process(*options):
            with open(os.devnull, "wb") as null:
                subprocess.run([str(tc), "-r", "25", *options, "sum", path], stdout=null, check=True)
        tape = median_timed(sum_process)
        json = median_timed(lambda: sum_process("--json"))
        every = median_timed(lambda: list(lst.entries))
    print(f"{platform.processor() or platform.machine()}, {os.cpu_count()} cores, Python {platform.python_version()}, "
          f"load {' '.join(f'{x:.2f}' for x in os.getloadavg())}; medians of {RUNS} runs")
    for name, seconds, goal in figures:
        print(f"{name:<60} {seconds * 1e9:8.0f} ns  {goal}")
    rows = [
        (f"read() of a 100,000-event EDL ({size / 1e6:.1f} MB)", read),
        ("horodex-tc -r 25 sum, the same file, tape to /dev/null", tape),
        ("horodex-tc -r 25 --json sum, the same file", json),
        ("list(lst.entries): all 100,000 Entry records made", every),
    ]
    print(f"{'':<60} {'wall':>8}  {'CPU':>8}")
    for name, (w, c) in rows:
        print(f"{name:<60} {w * 1e3:6.1f} ms  {c * 1e3:6.1f} ms")
    print(f"read() / sum: {read[0] / tape[0]:.2f} wall, {read[1] / tape[1]:.2f} CPU (goal <= 1.3); "
          f"read() / sum --json: {read[0] / json[0]:.2f} wall, {read[1] / json[1]:.2f} CPU")


if __name__ == "__main__":
    main()
