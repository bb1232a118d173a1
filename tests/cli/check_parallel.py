#!/usr/bin/python3
"""glyphcensus on several threads: the output does not depend on -j (for a
folder, and for one face whose glyphs several threads judge), and
Ctrl-C ends a long run promptly with whole results and exit status 130.

Usage: check_parallel.py GLYPHCENSUS TESTDATA
"""
import json
import os
import signal
import subprocess
import sys
import time

IPAG = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
NOTO = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"


def run(*args):
    result = subprocess.run([GLYPHCENSUS, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            timeout=900)
    # Only glyphcensus writes on stderr (the woff2 decoder is built without
    # its notes), so its lines compare whole.
    return result.returncode, result.stdout, result.stderr.splitlines()


def main():
    failures = 0
    # The test data folder, walked recursively: fonts, collections, web fonts
    # and the hostile corpus of broken files.
    for fmt in ("text", "jsonl"):
        outcomes = {jobs: run("-r", "-j", jobs, "--missing", "--format", fmt, DATA, IPAG)
                    for jobs in ("1", "4")}
        if outcomes["1"] != outcomes["4"]:
            print(f"FAIL -j 1 and -j 4 differ ({fmt})")
            failures += 1
    # One face alone: the other threads judge its glyphs in advance.
    for args in ([IPAG], ["--face", "0", NOTO]):
        outcomes = {jobs: run("-j", jobs, "--missing", *args) for jobs in ("1", "2", "3")}
        if not outcomes["1"] == outcomes["2"] == outcomes["3"]:
            print(f"FAIL one face: -j 1, 2 and 3 differ for {args}")
            failures += 1
    # Ctrl-C once the first result is out.
    process = subprocess.Popen([GLYPHCENSUS, "-j", "2", "--format", "jsonl"] + [IPAG] * 200,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    first = process.stdout.readline()
    process.send_signal(signal.SIGINT)
    start = time.monotonic()
    rest, err = process.communicate(timeout=60)
    took = time.monotonic() - start
    lines = [first] + rest.splitlines(keepends=True)
    whole = all(line.endswith(b"\n") and json.loads(line)["sets"] for line in lines)
    if process.returncode != 130 or not whole or len(lines) >= 200 or took > 5:
        print(f"FAIL Ctrl-C: exit {process.returncode}, {len(lines)} lines, whole {whole}, "
              f"{took:.1f} s, {err!r}")
        failures += 1
    print(f"{failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    GLYPHCENSUS, DATA = sys.argv[1], sys.argv[2]
    sys.exit(main())
