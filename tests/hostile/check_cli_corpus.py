#!/usr/bin/python3
"""Runs `glyphcensus` on every file of the hostile corpus and checks that each
run ends in time, without a signal, within the memory bound, and with the
reaction that manifest.tsv expects:

  report  exit 0, the 16 report lines on stdout, nothing on stderr
  error   exit 1, nothing on stdout, an error line on stderr naming the file
  either  one of those two, or: exit 1 with only the face-name line on stdout
          and an error line (the font engine cannot open what was read)
          or (partial): exit 5, the report on stdout and one warning line naming
          the file (a WOFF2 file the decoder refused after the face's tables)

The --missing runs (which measure a second, unmarked image) are checked for
time, signals and memory, not for their output.

Usage: check_cli_corpus.py GLYPHCENSUS CORPUS_FOLDER [--timeout S] [--max-rss-mib M]
       [--missing] [--only NAME...]
--max-rss-mib 0 turns the memory check off (sanitizer builds).
"""
import argparse
import os
import re
import signal
import subprocess
import sys
import tempfile
import time


def run_measured(command, timeout):
    """(exit status or -signal, stdout, stderr, seconds, peak RSS in KiB, timed out)."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        start = time.monotonic()
        child = subprocess.Popen(command, stdout=out, stderr=err, stdin=subprocess.DEVNULL)
        timed_out = False
        while True:
            pid, status, usage = os.wait4(child.pid, os.WNOHANG)
            if pid != 0:
                break
            if time.monotonic() - start > timeout:
                timed_out = True
                os.kill(child.pid, signal.SIGKILL)
                pid, status, usage = os.wait4(child.pid, 0)
                break
            time.sleep(0.005)
        seconds = time.monotonic() - start
        child.returncode = 0  # reaped above
        code = os.waitstatus_to_exitcode(status)
        out.seek(0)
        err.seek(0)
        return code, out.read().decode("utf-8", "replace"), err.read().decode("utf-8", "replace"), \
            seconds, usage.ru_maxrss, timed_out


def reaction(path, code, stdout, stderr):
    """What the run did: report, name (the face-name line, then an error),
    error, partial, or None when it fits none of them. stderr holds glyphcensus's own
    lines only (no library prints there)."""
    lines = stdout.split("\n")
    errors = stderr.splitlines()
    names_file = bool(errors) and all(e.startswith("glyphcensus: ") for e in errors) and \
        path in errors[-1]
    if code == 0 and len(lines) == 17 and lines[-1] == "" and stderr == "":
        return "report"
    # Every face of a collection: each report introduced by "path (face N of M)"
    # and separated from the next by a blank line.
    # A later face may fail, or faces past the most measured be left out: the
    # reports written stay whole, and the error names the file (exit 1).
    # (Split at the introducing lines: an empty family name is an empty line.)
    intro = re.compile("^" + re.escape(path) + r" \(face \d+ of \d+\)$", re.M)
    starts = [m.start() for m in intro.finditer(stdout)]
    faces = [stdout[a:b] for a, b in zip(starts, starts[1:] + [len(stdout)])]
    if len(faces) > 1 and starts[0] == 0 and all(
            face.rstrip("\n").count("\n") == 16 for face in faces) and (
            (code == 0 and stderr == "") or (code == 1 and names_file)):
        return "report"
    if code == 1 and len(lines) == 2 and lines[-1] == "" and names_file:
        return "name"
    if code == 1 and stdout == "" and names_file:
        return "error"
    # A WOFF2 file the decoder refused after the face's tables: the report, and
    # one warning naming the file (exit 5). Accepted where "either" is expected.
    warning = "glyphcensus: " + path + ": warning: "
    if code == 5 and len(lines) == 17 and stderr.startswith(warning) and stderr.count("\n") == 1:
        return "partial"
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("glyphcensus")
    parser.add_argument("corpus")
    parser.add_argument("--timeout", type=float, default=10.0)
    parser.add_argument("--max-rss-mib", type=float, default=256.0)
    parser.add_argument("--missing", action="store_true", help="also run each file with --missing")
    parser.add_argument("--only", nargs="*")
    args = parser.parse_args()

    rows = []
    with open(os.path.join(args.corpus, "manifest.tsv"), encoding="utf-8") as manifest:
        for line in manifest:
            if line.startswith("#") or not line.strip():
                continue
            fields = line.rstrip("\n").split("\t")
            name, cli, _dialog, why = fields[:4]
            if not args.only or name in args.only:
                rows.append((name, cli, why))

    failures = []
    results = []
    for name, expected, why in rows:
        path = os.path.join(args.corpus, name)
        runs = [([args.glyphcensus, path], True)]
        if args.missing:
            runs.append(([args.glyphcensus, "--missing", path], False))
        for command, check_reaction in runs:
            code, stdout, stderr, seconds, rss, timed_out = run_measured(command, args.timeout)
            label = name + (" --missing" if not check_reaction else "")
            results.append((rss, seconds, label, code))
            problem = None
            if timed_out:
                problem = "did not end within %.0f s" % args.timeout
            elif code < 0 or code > 2 and code != 5:
                problem = "ended by signal or crash (status %d): %s" % (code, stderr.strip()[-400:])
            elif args.max_rss_mib and rss > args.max_rss_mib * 1024:
                problem = "peak RSS %.1f MiB above %.0f MiB" % (rss / 1024, args.max_rss_mib)
            elif check_reaction:
                got = reaction(path, code, stdout, stderr)
                if got is None or (expected != "either" and got != expected):
                    problem = "expected %s, got %s: exit %d, %d stdout lines, stderr %r" % (
                        expected, got, code, stdout.count("\n"), stderr.strip()[-200:])
            elif code not in (0, 1, 5):
                problem = "exit status %d" % code
            if problem:
                failures.append("%s (%s): %s" % (label, why, problem))

    results.sort(reverse=True)
    print("worst peak RSS: %.1f MiB (%s)" % (results[0][0] / 1024, results[0][2]))
    print("%d runs; the heaviest:" % len(results))
    for rss, seconds, label, code in results[:8]:
        print("  %7.1f MiB  %6.2f s  exit %d  %s" % (rss / 1024, seconds, code, label))
    slowest = max(results, key=lambda r: r[1])
    print("slowest: %.2f s  %s" % (slowest[1], slowest[2]))
    for failure in failures:
        print("FAIL " + failure)
    print("%d of %d runs failed" % (len(failures), len(results)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
