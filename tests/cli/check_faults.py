#!/usr/bin/python3
"""glyphcensus under hostile use: maps (Ctrl-C, inputs, name clashes, shared
faces, failed writes, empty names, pipes and devices, places refused, output
lost before the map is placed, signals, long names), closed standard
descriptors, lost output, control characters, set names and requirements,
runs without fonts, WOFF2 collections, WOFF2 files the decoder refuses part
way (exit 5).

Usage: check_faults.py GLYPHCENSUS TESTDATA
"""
import json
import shlex
import socket
import stat
import threading
import os
import random
import re
import signal
import subprocess
import sys
import tempfile
import time

from fontTools.ttLib import TTFont
from fontTools.ttLib.ttCollection import TTCollection

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from woff2_collection import woff2_collection_bytes  # noqa: E402

IPAG = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
FORMATS = ("text", "json", "jsonl", "csv", "tsv")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL", message)


def run(*args, **kwargs):
    result = subprocess.run([GLYPHCENSUS, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            timeout=600, **kwargs)
    return result.returncode, result.stdout.decode("utf-8", "replace"), \
        result.stderr.decode("utf-8", "replace")


def records(out):
    """JSON Lines records (split at LF only: a name may hold U+0085 or U+2028)."""
    return [json.loads(line) for line in out.split("\n") if line]


def links_to_ipag(folder, count):
    """`count` differently named links to IPAGothic (a second or so each)."""
    os.makedirs(folder)
    for k in range(count):
        os.symlink(IPAG, os.path.join(folder, "ipag_%02d.ttf" % k))
    return folder


def check_maps_after_ctrl_c(work):
    """Nothing measured after the stop is written: the maps of faces not handed
    on keep their old content, and no temporary file is left behind."""
    fonts = links_to_ipag(os.path.join(work, "many"), 24)
    maps = os.path.join(work, "old_maps")
    os.makedirs(maps)
    for name in os.listdir(fonts):
        with open(os.path.join(maps, name + ".svg"), "w") as f:
            f.write("OLD")
    # Unbuffered: communicate() reads the pipe itself, past any buffer of readline's.
    process = subprocess.Popen([GLYPHCENSUS, "-j", "2", "--format", "jsonl", "--map-dir", maps, fonts],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, bufsize=0)
    first = process.stdout.readline()
    process.send_signal(signal.SIGINT)
    rest, _ = process.communicate(timeout=60)
    written = {os.path.basename(r["map"]) for r in records((first + rest).decode())}
    contents = {name: open(os.path.join(maps, name)).read() for name in os.listdir(maps)}
    check(process.returncode == 130 and 1 <= len(written) < 24, f"Ctrl-C: {process.returncode}, "
          f"{len(written)} maps")
    check(sorted(contents) == sorted(n + ".svg" for n in os.listdir(fonts)),
          f"Ctrl-C leaves only the maps: {sorted(contents)}")
    check(all((text == "OLD") == (name not in written) for name, text in contents.items()),
          "Ctrl-C: a map replaced although its face was not handed on, or one handed on not written")
    check(all(text.startswith("<?xml") or text == "OLD" for text in contents.values()),
          "Ctrl-C: a half map")


def check_maps_spare_inputs(work):
    font = os.path.join(work, "font.ttf")
    with open(os.path.join(DATA, "tt.ttf"), "rb") as f:
        original = f.read()
    with open(font, "wb") as f:
        f.write(original)
    link = os.path.join(work, "link.svg")
    os.symlink(font, link)
    hard = os.path.join(work, "hard.svg")
    os.link(font, hard)
    for map_path in (font, link, hard):
        status, out, err = run("--map", map_path, font)
        check(status == 2 and out == "" and "would replace the input" in err,
              f"--map over the input {map_path}: {status} {err!r}")
    maps = os.path.join(work, "inputs_maps")
    os.makedirs(maps)
    os.symlink(font, os.path.join(maps, "font.ttf.svg"))
    status, out, err = run("--map-dir", maps, font)
    check(status == 2 and out == "" and "would replace the input" in err,
          f"--map-dir over the input: {status} {err!r}")
    with open(font, "rb") as f:
        check(f.read() == original, "the font was changed")


def check_map_names(work):
    """Folders mirrored; a clash is an error naming both; shared faces each
    get their own map; empty names and files as folders refused."""
    fonts = os.path.join(work, "fonts")
    for sub in ("a", "b"):
        os.makedirs(os.path.join(fonts, sub))
        os.symlink(os.path.join(DATA, "tt.ttf"), os.path.join(fonts, sub, "x.ttf"))
    maps = os.path.join(work, "mirrored")
    status, out, err = run("-r", "--format", "jsonl", "--sets", "digits", "--map-dir", maps, fonts)
    check(status == 0 and [r["map"] for r in records(out)] ==
          [os.path.join(maps, "a", "x.ttf.svg"), os.path.join(maps, "b", "x.ttf.svg")]
          and all(os.path.isfile(r["map"]) for r in records(out)), f"mirrored maps: {status} {out} {err!r}")

    clash = os.path.join(work, "clash")
    status, out, err = run("--format", "jsonl", "--sets", "digits", "--map-dir", clash,
                           os.path.join(fonts, "a", "x.ttf"), os.path.join(fonts, "b", "x.ttf"))
    first, second = records(out)
    check(status == 1 and first["map"] == os.path.join(clash, "x.ttf.svg") and "map" not in second
          and "is already that of " + os.path.join(fonts, "a", "x.ttf") in second["map_error"]
          and os.path.join(fonts, "b", "x.ttf") in err and "map_error" not in first,
          f"map clash: {status} {out} {err!r}")
    check(os.listdir(clash) == ["x.ttf.svg"], f"clash leaves {os.listdir(clash)}")

    # A map that cannot be written: its record says why, and the status is 1.
    blocked = os.path.join(work, "blocked")
    os.makedirs(blocked)
    open(os.path.join(blocked, "a"), "w").close()  # a file where the folder a/ belongs
    status, out, err = run("-r", "--format", "jsonl", "--sets", "digits", "--map-dir", blocked, fonts)
    first, second = records(out)
    check(status == 1 and "map" not in first and "cannot" in first.get("map_error", "")
          and second["map"] == os.path.join(blocked, "b", "x.ttf.svg") and "sets" in first
          and first["map_error"] in err, f"failed map write: {status} {out} {err!r}")

    # A collection whose two faces share one table directory.
    with open(os.path.join(DATA, "collection.ttc"), "rb") as f:
        data = bytearray(f.read())
    data[16:20] = data[12:16]
    shared = os.path.join(work, "d.ttc")
    with open(shared, "wb") as f:
        f.write(data)
    maps = os.path.join(work, "shared_maps")
    status, out, _ = run("--format", "jsonl", "--sets", "digits", "--map-dir", maps, shared)
    faces = records(out)
    check(status == 0 and [f["map"] for f in faces] ==
          [os.path.join(maps, "d.ttc.0.svg"), os.path.join(maps, "d.ttc.1.svg")]
          and sorted(os.listdir(maps)) == ["d.ttc.0.svg", "d.ttc.1.svg"],
          f"shared faces: {status} {out} {sorted(os.listdir(maps)) if os.path.isdir(maps) else None}")
    if status == 0 and len(faces) == 2:
        a, b = (open(f["map"]).read() for f in faces)
        check(a == b and a.startswith("<?xml"), "shared faces have the same map")

    font = os.path.join(DATA, "tt.ttf")
    for option in ("--map", "--map-dir"):
        status, out, err = run(option, "", font)
        check(status == 2 and out == "" and "empty" in err, f"{option} '': {status} {err!r}")
    status, _, err = run("--map-dir", font, font)
    check(status == 2 and "not a folder" in err, f"--map-dir on a file: {status} {err!r}")


def is_svg(data):
    return data.startswith(b"<?xml") and data.rstrip().endswith(b"</svg>")


def temporary_files(folder):
    return [os.path.join(top, name) for top, _, names in os.walk(folder) for name in names
            if name.endswith(".tmp")]


def check_maps_into_pipes_and_devices(work):
    """A named pipe, a character device, /dev/stdout and >(...) are written
    into, as tee would; they stay what they were."""
    font = os.path.join(DATA, "tt.ttf")
    fifo = os.path.join(work, "pipe.svg")
    os.mkfifo(fifo)
    received = []
    reader = threading.Thread(target=lambda: received.append(open(fifo, "rb").read()), daemon=True)
    reader.start()
    status, out, err = run("--format", "jsonl", "--sets", "digits", "--map", fifo, font)
    reader.join(timeout=60)
    check(status == 0 and received and is_svg(received[0]) and stat.S_ISFIFO(os.lstat(fifo).st_mode)
          and records(out)[0]["map"] == fifo, f"--map on a named pipe: {status} {err!r}")

    if os.geteuid() == 0:  # mknod needs root
        device = os.path.join(work, "null")
        os.mknod(device, 0o666 | stat.S_IFCHR, os.makedev(1, 3))
        status, out, err = run("--sets", "digits", "--map", device, font)
        check(status == 0 and stat.S_ISCHR(os.lstat(device).st_mode)
              and sorted(os.listdir(work)) == ["null", "pipe.svg"],
              f"--map on a character device: {status} {err!r} {os.listdir(work)}")

    link = os.lstat("/dev/stdout")
    result = subprocess.run([GLYPHCENSUS, "--sets", "digits", "--map", "/dev/stdout", font],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)
    check(result.returncode == 0 and 0 <= result.stdout.find(b"Test Sans") < result.stdout.find(b"<?xml")
          and os.lstat("/dev/stdout") == link, f"--map /dev/stdout: {result.returncode} {result.stderr!r}")
    report = os.path.join(work, "report.txt")
    with open(report, "wb") as f:  # stdout a regular file: appended to, never renamed over
        result = subprocess.run([GLYPHCENSUS, "--sets", "digits", "--map", "/dev/stdout", font],
                                stdout=f, stderr=subprocess.PIPE, timeout=600)
    with open(report, "rb") as f:
        data = f.read()
    check(result.returncode == 0 and data.startswith(b"Test Sans") and data.find(b"<?xml") > 0
          and data.count(b"<?xml") == 1 and os.lstat("/dev/stdout") == link,
          f"--map /dev/stdout on a file: {result.returncode} {result.stderr!r} {data[:40]!r}")

    gzipped = os.path.join(work, "m.svg.gz")
    command = (f"{shlex.quote(GLYPHCENSUS)} --sets digits --map >(gzip > {shlex.quote(gzipped)}) "
               f"{shlex.quote(font)}; status=$?; wait; exit $status")
    result = subprocess.run(["bash", "-c", command], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            timeout=600)
    time.sleep(0.2)
    unpacked = subprocess.run(["gzip", "-dc", gzipped], stdout=subprocess.PIPE).stdout
    check(result.returncode == 0 and is_svg(unpacked), f"--map >(gzip): {result.returncode} {result.stderr!r}")

    maps = os.path.join(work, "maps")
    os.makedirs(maps)
    os.mkfifo(os.path.join(maps, "tt.ttf.svg"))
    received = []
    reader = threading.Thread(
        target=lambda: received.append(open(os.path.join(maps, "tt.ttf.svg"), "rb").read()),
        daemon=True)
    reader.start()
    status, _, err = run("--sets", "digits", "--map-dir", maps, font)
    reader.join(timeout=60)
    check(status == 0 and received and is_svg(received[0]) and os.listdir(maps) == ["tt.ttf.svg"],
          f"--map-dir with a named pipe: {status} {err!r} {os.listdir(maps)}")


def check_map_places_refused(work):
    """A folder, a socket, a block device, or a link to one: refused before
    anything is measured, and left as it was."""
    font = os.path.join(DATA, "tt.ttf")
    folder = os.path.join(work, "folder.svg")
    os.makedirs(folder)
    sock = os.path.join(work, "socket.svg")
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    server.bind(sock)
    link = os.path.join(work, "link.svg")
    os.symlink(folder, link)
    places = [(folder, "a folder"), (sock, "a socket"), (link, "a folder")]
    if os.geteuid() == 0:  # mknod needs root
        block = os.path.join(work, "block.svg")
        os.mknod(block, 0o600 | stat.S_IFBLK, os.makedev(7, 0))
        places.append((block, "a block device"))
    for place, words in places:
        before = os.lstat(place)
        status, out, err = run("--map", place, font)
        check(status == 2 and out == "" and words in err and place in err
              and os.lstat(place) == before, f"--map {place}: {status} {out!r} {err!r}")
    maps = os.path.join(work, "maps")
    os.makedirs(os.path.join(maps, "tt.ttf.svg"))
    status, out, err = run("--map-dir", maps, font)
    check(status == 2 and out == "" and "a folder" in err, f"--map-dir, a folder in place: {status} {err!r}")
    server.close()


def check_map_after_record(work):
    """The old maps stay when the records cannot be written."""
    maps = os.path.join(work, "maps")
    os.makedirs(maps)
    fonts = [os.path.join(DATA, name) for name in ("tt.ttf", "cff.otf")]
    for font in fonts:
        with open(os.path.join(maps, os.path.basename(font) + ".svg"), "w") as f:
            f.write("OLD")
    for fmt in ("text", "jsonl"):
        with open("/dev/full", "w") as full:
            result = subprocess.run([GLYPHCENSUS, "--format", fmt, "--sets", "digits", "--map-dir", maps,
                                     *fonts], stdout=full, stderr=subprocess.PIPE, timeout=600)
        contents = {name: open(os.path.join(maps, name)).read() for name in os.listdir(maps)}
        check(result.returncode == 4 and contents == {"tt.ttf.svg": "OLD", "cff.otf.svg": "OLD"},
              f"/dev/full {fmt}: {result.returncode} {sorted(contents)} "
              f"{[name for name, text in contents.items() if text != 'OLD']} replaced")


def check_signals_leave_no_temporary_maps(work):
    """A run ended by a closed pipe (SIGPIPE at its default), SIGTERM, SIGHUP
    or a second Ctrl-C leaves no temporary map."""
    fonts = links_to_ipag(os.path.join(work, "fonts"), 12)
    maps = os.path.join(work, "piped")
    command = (f"{shlex.quote(GLYPHCENSUS)} -j2 --format jsonl --map-dir {shlex.quote(maps)} "
               f"{shlex.quote(fonts)} | head -1; exit ${{PIPESTATUS[0]}}")
    result = subprocess.run(["bash", "-c", command], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            timeout=600)
    check(result.returncode == 4 and result.stderr == b"" and not temporary_files(maps),
          f"| head -1: {result.returncode} {result.stderr!r} {temporary_files(maps)}")
    for signal_number in (signal.SIGTERM, signal.SIGHUP):
        maps = os.path.join(work, "killed_%d" % signal_number)
        process = subprocess.Popen([GLYPHCENSUS, "-j2", "--format", "jsonl", "--map-dir", maps, fonts],
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, bufsize=0)
        process.stdout.readline()
        process.send_signal(signal_number)
        process.communicate(timeout=60)
        check(process.returncode == -signal_number and not temporary_files(maps),
              f"signal {signal_number}: {process.returncode} {temporary_files(maps)}")
    maps = os.path.join(work, "timeout")
    result = subprocess.run(["timeout", "-s", "TERM", "0.4", GLYPHCENSUS, "-j2", "--map-dir", maps, fonts],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)
    check(result.returncode == 124 and os.path.isdir(maps) and not temporary_files(maps),
          f"timeout -s TERM: {result.returncode} {temporary_files(maps)}")
    # A second Ctrl-C while the map goes into a pipe no one reads.
    fifo = os.path.join(work, "unread.svg")
    os.mkfifo(fifo)
    process = subprocess.Popen([GLYPHCENSUS, "--map", fifo, IPAG], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE)
    time.sleep(3)
    process.send_signal(signal.SIGINT)
    process.communicate(timeout=60)
    check(process.returncode == 130, f"Ctrl-C while waiting for a reader: {process.returncode}")
    maps = os.path.join(work, "twice")
    process = subprocess.Popen([GLYPHCENSUS, "-j2", "--format", "jsonl", "--map-dir", maps, fonts],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, bufsize=0)
    process.stdout.readline()
    process.send_signal(signal.SIGINT)
    process.send_signal(signal.SIGINT)
    process.communicate(timeout=60)
    check(process.returncode in (130, -signal.SIGINT) and not temporary_files(maps),
          f"Ctrl-C twice: {process.returncode} {temporary_files(maps)}")


def check_long_map_names(work):
    """A map name of 251 bytes (255 with .svg) is written, with --map and
    --map-dir; the temporary name fits too."""
    font = os.path.join(work, "f" * 247 + ".ttf")  # 251 bytes, so the map is 255
    os.symlink(os.path.join(DATA, "tt.ttf"), font)
    target = os.path.join(work, "m" * 251 + ".svg")
    status, _, err = run("--sets", "digits", "--map", target, font)
    check(status == 0 and is_svg(open(target, "rb").read()), f"--map, a 255-byte name: {status} {err!r}")
    maps = os.path.join(work, "maps")
    status, _, err = run("--sets", "digits", "--map-dir", maps, font)
    check(status == 0 and os.listdir(maps) == [os.path.basename(font) + ".svg"],
          f"--map-dir, a 255-byte name: {status} {err!r}")


def check_closed_standard_descriptors(work):
    """With 0, 1 or 2 closed, the descriptor is /dev/null while the command
    runs: no map or font is opened in its place, and no message lands in a map."""
    fonts = links_to_ipag(os.path.join(work, "fonts"), 4)
    for number, redirect in ((0, "<&-"), (1, ">&-"), (2, "2>&-")):
        maps = os.path.join(work, "maps_%d" % number)
        command = (f"exec {shlex.quote(GLYPHCENSUS)} -j2 --require nec-special "
                   f"--map-dir {shlex.quote(maps)} {shlex.quote(fonts)} {redirect}")
        process = subprocess.Popen(["bash", "-c", command], stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE)
        seen = None
        # The command's own descriptor, once bash has become it (the dynamic
        # loader may hold it a moment before main runs): /dev/null from then on.
        for _ in range(1000):
            try:
                if os.readlink(f"/proc/{process.pid}/exe").endswith("glyphcensus"):
                    seen = os.readlink(f"/proc/{process.pid}/fd/{number}")
                    if seen == "/dev/null":
                        break
            except OSError:
                pass
            if process.poll() is not None:
                break
            time.sleep(0.002)
        out, err = process.communicate(timeout=600)
        maps_found = sorted(os.listdir(maps)) if os.path.isdir(maps) else []
        clean = all(open(os.path.join(maps, name), "rb").read().find(b"glyphcensus") < 0
                    and is_svg(open(os.path.join(maps, name), "rb").read()) for name in maps_found)
        check(process.returncode == 3 and seen == "/dev/null" and len(maps_found) == 4 and clean,
              f"{redirect}: {process.returncode} fd {number} is {seen} {len(maps_found)} maps clean {clean} {err!r}")


def check_lost_output(work):
    font = os.path.join(DATA, "tt.ttf")
    for fmt in FORMATS:
        with open("/dev/full", "w") as full:
            result = subprocess.run([GLYPHCENSUS, "--format", fmt, font], stdout=full,
                                    stderr=subprocess.PIPE, timeout=60)
        check(result.returncode == 4 and b"cannot write the output: No space left" in result.stderr,
              f"/dev/full {fmt}: {result.returncode} {result.stderr!r}")
    # A reader that goes, with SIGPIPE ignored (kept so by restore_signals=False):
    # the run stops at once, quietly, with 4.
    fonts = links_to_ipag(os.path.join(work, "piped"), 24)
    start = time.monotonic()
    process = subprocess.Popen([GLYPHCENSUS, "-j1", "--format", "jsonl", fonts],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               restore_signals=False)
    process.stdout.read(10)
    process.stdout.close()
    err = process.stderr.read()
    process.wait(timeout=120)
    took = time.monotonic() - start
    check(process.returncode == 4 and err == b"" and took < 12,
          f"closed pipe: {process.returncode} {err!r} {took:.1f} s")


def check_control_characters(work):
    font = TTFont(os.path.join(DATA, "glyphtest_full.ttf"))
    name = "Evil\x1b]0;owned\x07\u202eName\x85"
    font["name"].names = []
    font["name"].setName(name, 1, 3, 1, 0x409)
    path = os.path.join(work, "two\nlines.ttf")
    font.save(path)
    status, out, _ = run(path, os.path.join(DATA, "tt.ttf"))
    lines = out.split("\n")
    check(status == 0 and lines[:2] == ["two<U+000A>lines.ttf".join([work + "/", ""]),
                                        "Evil<U+001B>]0;owned<U+0007><U+202E>Name<U+0085>"]
          and len(lines) == 2 * 17 + 2, f"text: {len(lines)} lines {lines[:3]}")
    check(not any(c < " " and c != "\n" for c in out), "a control character in the text report")
    status, out, err = run("--format", "jsonl", path, os.path.join(work, "none\x1b.ttf"))
    face = records(out)[0]
    check(face["family"] == name and face["path"] == path, f"JSON keeps the name: {face['family']!r}")
    check("none<U+001B>.ttf" in err and "\x1b" not in err, f"stderr: {err!r}")
    for fmt in ("csv", "tsv"):
        status, out, _ = run("--format", fmt, path)
        check("\x1b]0;owned\x07" in out, f"{fmt} keeps the name")


def check_set_names(work):
    font = os.path.join(DATA, "tt.ttf")
    for sub in ("l1", "l2"):
        os.makedirs(os.path.join(work, sub))
        with open(os.path.join(work, sub, "list.txt"), "w") as f:
            f.write("あ" if sub == "l1" else "AV")
    l1, l2 = (os.path.join(work, sub, "list.txt") for sub in ("l1", "l2"))
    builtin = os.path.join(work, "hiragana")
    with open(builtin, "w") as f:
        f.write("A")
    for fmt in FORMATS:
        for chars in ((l1, l2), (builtin,)):
            args = [a for c in chars for a in ("--chars", c)]
            status, out, err = run("--format", fmt, *args, "--require",
                                   os.path.basename(chars[-1]), font)
            check(status == 2 and out == "" and chars[-1] in err, f"{fmt} {chars}: {status} {err!r}")
    status, out, err = run("--chars", l1, "--chars", l2, font)
    check(l1 in err and l2 in err, f"both files named: {err!r}")
    # Without the built-in set of the same name, the --chars set is the only one.
    status, out, _ = run("--format", "jsonl", "--sets", "digits", "--chars", builtin, font)
    check(status == 0 and [s["id"] for s in records(out)[0]["sets"]] == ["digits", "hiragana"],
          f"--sets digits --chars hiragana: {status} {out}")

    # --require with "=" in a set name; counts above the total; no font at all.
    named = os.path.join(work, "chars=v2.txt")
    with open(named, "w") as f:
        f.write("AVB")
    for requirement, expected in (("chars=v2.txt", 3), ("chars=v2.txt=2", 0), ("chars=v2.txt=3", 3)):
        status, _, err = run("--chars", named, "--require", requirement, font)
        check(status == expected, f"--require {requirement}: {status} {err!r}")
    for requirement in ("digits=11", "digits=1000000000", "chars=v2.txt=4"):
        status, _, err = run("--chars", named, "--require", requirement, font)
        check(status == 2 and "too large" in err and "has " in err, f"{requirement}: {status} {err!r}")
    empty = os.path.join(work, "empty")
    os.makedirs(empty)
    for fmt in ("text", "json"):
        status, out, err = run("--format", fmt, "--require", "regular-use-kanji", empty)
        check(status == 1 and "no font file found" in err, f"no fonts ({fmt}): {status} {err!r}")
    check(json.loads(out) == {"schema": 1, "faces": []}, f"no fonts, JSON: {out!r}")


def check_woff2_collections(work):
    """A TrueType and a CFF collection as WOFF2: every face, measured as the
    collection itself is."""
    tt = TTCollection()
    tt.fonts = [TTFont(os.path.join(DATA, "glyphtest_edges.ttf")),
                TTFont(os.path.join(DATA, "glyphtest_full.ttf"))]
    cff = TTCollection()
    cff.fonts = [TTFont(os.path.join(DATA, "glyphtest_cff.otf")), TTFont(os.path.join(DATA, "cff.otf"))]
    for stem, collection in (("tt", tt), ("cff", cff)):
        ttc = os.path.join(work, stem + ".ttc")
        collection.save(ttc)
        woff2 = os.path.join(work, stem + ".woff2")
        with open(ttc, "rb") as f, open(woff2, "wb") as out:
            out.write(woff2_collection_bytes(f.read()))
        results = {}
        for path in (ttc, woff2):
            status, out, err = run("--format", "jsonl", "--missing", path)
            faces = records(out)
            check(status == 0 and len(faces) == 2 and err == "", f"{path}: {status} {err!r}")
            results[path] = [(f["face"], f["faces"], f["family"], f["sets"]) for f in faces]
        check(results[ttc] == results[woff2], f"{stem}: the WOFF2 collection differs from the TTC")
        status, out, _ = run("--face", "1", woff2)
        check(status == 0 and out.count("\n") == 16, f"{stem}: --face 1 of the WOFF2 collection")


def past_size_limit(work, faces, stem):
    """A WOFF2 collection of `faces` with an 18 MiB private table after each
    font's own tables: decoded, it passes the decoder's 30 MiB limit within the
    last font's private table. Repeated random blocks keep the file near 512 KiB
    (the decoder refuses a compression ratio above 100)."""
    collection = TTCollection()
    collection.fonts = [TTFont(os.path.join(DATA, face)) for face in faces]
    ttc = os.path.join(work, stem + ".ttc")
    collection.save(ttc)
    private = random.Random(24).randbytes(1 << 19) * 36
    woff2 = os.path.join(work, stem + ".woff2")
    with open(ttc, "rb") as f, open(woff2, "wb") as out:
        out.write(woff2_collection_bytes(f.read(), [(b"zzzz", private)], quality=2))
    return ttc, woff2


def check_woff2_past_size_limit(work):
    """Faces decoded before the decoder refused the file are measured, as the
    dialog measures them, and the command says the file was measured in part:
    one warning line for the file, a `warning` on each JSON face, exit 5."""
    ttc, woff2 = past_size_limit(work, ["glyphtest_edges.ttf", "glyphtest_full.ttf"], "big")
    _, whole, _ = run(ttc)
    status, out, err = run(woff2)
    warning = (f"glyphcensus: {woff2}: warning: the WOFF2 decoder refused the file: it decodes "
               "to more than 30 MiB, the decoder's limit; only the part it decoded was measured\n")
    check(status == 5 and out == whole.replace(ttc, woff2) and err == warning,
          f"past the limit, text: {status} {err!r}")
    status, out, err = run("--format", "jsonl", woff2)
    faces = records(out)
    _, reference, _ = run("--format", "jsonl", ttc)
    check(status == 5 and err == warning and len(faces) == 2 and
          all(f["warning"] == warning.split(": warning: ")[1].strip() for f in faces) and
          [f["sets"] for f in faces] == [f["sets"] for f in records(reference)],
          f"past the limit, JSON: {status} {err!r} {out[:200]!r}")
    check(all("warning" not in f for f in records(reference)), "a whole file has no warning")
    status, out, err = run("--format", "csv", woff2)
    check(status == 5 and err == warning and out.count("\n") == 3, f"past the limit, CSV: {status}")
    # Its place among the statuses: 1 before 5, 5 before 3.
    status, _, err = run("--require", "hiragana", woff2)
    check(status == 5 and "requirement not met" in err, f"past the limit, unmet: {status} {err!r}")
    missing = os.path.join(work, "missing.ttf")
    status, _, err = run(woff2, missing)
    check(status == 1 and warning in err, f"past the limit and a missing file: {status} {err!r}")
    status, _, err = run("--face", "0", woff2)
    check(status == 5 and err == warning, f"past the limit, --face 0: {status} {err!r}")
    # --help and the README list 5 in its place: after 1, before 3.
    _, helptext, _ = run("--help")
    listed = re.findall(r"^  (\d+)  ", helptext.split("Exit status:")[1], re.M)
    check(listed == ["130", "4", "1", "5", "6", "3", "0", "2"], f"--help lists the statuses {listed}")
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md"),
              encoding="utf-8") as f:
        readme = f.read()
    check("the one listed first: 130, 4, 1, 5, 6, 3, 0)" in readme and "\n| 5 | a file was measured only"
          in readme, "the README lists status 5")
    # Each input is named once, however many of its faces were measured.
    status, out, err = run(woff2, woff2)
    check(status == 5 and err.count("warning") == 2, f"the same file twice: {status} {err!r}")


def main():
    with tempfile.TemporaryDirectory() as work:
        for part in (check_maps_after_ctrl_c, check_maps_spare_inputs, check_map_names,
                     check_maps_into_pipes_and_devices, check_map_places_refused,
                     check_map_after_record, check_signals_leave_no_temporary_maps,
                     check_long_map_names, check_closed_standard_descriptors,
                     check_lost_output, check_control_characters, check_set_names,
                     check_woff2_collections, check_woff2_past_size_limit):
            folder = os.path.join(work, part.__name__)
            os.makedirs(folder)
            part(folder)
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    GLYPHCENSUS, DATA = sys.argv[1], os.path.abspath(sys.argv[2])
    sys.exit(main())
