#!/usr/bin/python3
"""Times whole runs of the measurement and prints the median of each case.

Run through bench/run.sh, which builds the release glyphcensus first.
"""
import argparse
import os
import shlex
import statistics
import subprocess
import sys
import time

IPA_GOTHIC = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
TARGET_MS = 150.0  # Linux, full IPAGothic report, process start included


def make_woff2(work):
    """IPAGothic as WOFF2, made once."""
    path = os.path.join(work, "ipag.woff2")
    if not os.path.exists(path):
        from fontTools.ttLib import TTFont  # needs the brotli module too
        font = TTFont(IPA_GOTHIC)
        font.flavor = "woff2"
        font.save(path)
    return path


def run_once(command):
    """Wall and CPU (user + system) milliseconds of one run, and its output.
    CPU time shows the cost when other work shares the machine."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    output = process.stdout.read()
    _, status, usage = os.wait4(process.pid, 0)
    wall = (time.perf_counter() - start) * 1000
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        raise SystemExit(f"{command[0]} failed with status {process.returncode}")
    return wall, (usage.ru_utime + usage.ru_stime) * 1000, output


def time_runs(command, runs):
    """Wall and CPU times of `runs` runs after one warm-up run, and the output
    of the last run."""
    _, _, output = run_once(command)
    walls, cpus = [], []
    for _ in range(runs):
        wall, cpu, output = run_once(command)
        walls.append(wall)
        cpus.append(cpu)
    return (walls, cpus), output


def report(name, times, output):
    walls, cpus = times
    text = output.decode("utf-8", "replace").replace("\r\n", "\n")
    line = text.split("\n")[8] if text.count("\n") >= 9 else "(no report)"
    print(f"{name:<32} wall median {statistics.median(walls):6.1f} ms "
          f"(min {min(walls):6.1f}, max {max(walls):6.1f})   "
          f"cpu median {statistics.median(cpus):6.1f} ms   [{line}]")
    return statistics.median(walls)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--glyphcensus", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--runs", type=int, default=11)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    woff2 = make_woff2(args.work)

    print(f"{args.runs} runs each, load average {os.getloadavg()[0]:.2f}, "
          f"{os.cpu_count()} CPUs")
    times, output = time_runs([args.glyphcensus, IPA_GOTHIC], args.runs)
    median = report("glyphcensus IPAGothic (TTF)", times, output)
    times, output = time_runs([args.glyphcensus, woff2], args.runs)
    report("glyphcensus IPAGothic (WOFF2)", times, output)

    wine = os.environ.get("GLYPHCENSUS_BENCH_WINE")
    if wine:
        command = [part.replace("{font}", IPA_GOTHIC) for part in shlex.split(wine)]
        times, output = time_runs(command, max(3, args.runs // 2))
        report("GDI under Wine IPAGothic (TTF)", times, output)
    else:
        print("GDI under Wine: skipped (set GLYPHCENSUS_BENCH_WINE)")

    verdict = "met" if median < TARGET_MS else "NOT met"
    print(f"target: Linux IPAGothic report under {TARGET_MS:.0f} ms wall: {verdict}"
          + ("" if median < TARGET_MS or os.getloadavg()[0] < 1 else
             " (the machine is busy; compare the cpu figure)"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
