#!/usr/bin/python3
"""Times whole runs of the measurement and prints the median of each case.

Run through bench/run.sh, which builds the release glyphcensus first.

1. IPAGothic: glyphcensus on the TTF, on a WOFF2 of it, with --missing, and
   the GDI report under Wine when a command for it is given.
2. A folder of real Japanese fonts from Debian packages (installed when
   missing and run as root), TrueType and CFF, collections included:
   glyphcensus over all of them, fc-query on every file (cmap only), and a
   fontTools script counting the cmap coverage of the 15 sets; then the single
   fonts and the collections apart.
3. The floors: glyphcensus -j1, default and --ink-test exact, against both
   floors of bench/ink_floor_freetype.cpp (every glyph the sets map to loaded
   once: unhinted and unscaled; or hinted at 15 ppem, as the exact test loads
   it, not drawn) on each font, as ratios of whole-process CPU time, per font
   and in total; and the same totals with glyphcensus's default -j.
4. The fast ink test must agree with the exact one (--ink-test exact) on
   every character of those fonts (tests/cli/check_fast_path.py); with
   --fast-path-only, only that is done (`make check-fast-path`).
5. The reports of those fonts must equal the ones committed under
   bench/references (made by an earlier glyphcensus): a speed-up must not
   change a count. --make-references writes them instead.
"""
import argparse
import os
import shlex
import statistics
import subprocess
import sys
import time

IPA_GOTHIC = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
HINTED_FLOOR_RATIO_TARGET = 1.2  # glyphcensus -j1 CPU / hinted floor CPU, total and IPAGothic
TARGET_MS = 40.0  # Linux, full IPAGothic report, process start included
SINGLE_RATIO_TARGET = 2.0  # glyphcensus / fc-query on the single fonts
MISSING_RATIO_TARGET = 1.2  # --missing / plain report on IPAGothic
EXTENDED_RATIO_TARGET = 1.5  # --sets all / --sets dialog, -j1 CPU
VERTICAL_FORMS_TARGET_MS = 50  # --sets dialog,vertical-forms beyond --sets dialog, -j1 CPU
HERE = os.path.dirname(os.path.abspath(__file__))
REFERENCES = os.path.join(HERE, "references")
CMAP_SCRIPT = os.path.join(HERE, "cmap_coverage.py")
FAST_PATH_SCRIPT = os.path.join(HERE, "..", "tests", "cli", "check_fast_path.py")

# Debian packages of Japanese fonts, and at most how many files of each.
FONT_PACKAGES = [
    "fonts-ipafont-gothic", "fonts-ipafont-mincho", "fonts-ipaexfont-gothic",
    "fonts-ipaexfont-mincho", "fonts-noto-cjk", "fonts-takao-gothic", "fonts-takao-mincho",
    "fonts-vlgothic", "fonts-mplus", "fonts-sawarabi-gothic", "fonts-sawarabi-mincho",
    "fonts-horai-umefont", "fonts-morisawa-bizud-gothic", "fonts-morisawa-bizud-mincho",
    "fonts-migmix", "fonts-umeplus", "fonts-konatu", "fonts-motoya-l-cedar",
    "fonts-motoya-l-maruberi",
]
FILES_PER_PACKAGE = 4
# The peers timed against glyphcensus.
TOOL_PACKAGES = ["fontconfig", "python3-fonttools"]
FONT_EXTENSIONS = (".ttf", ".otf", ".ttc", ".otc")
# A single CFF font: the first face of this collection, written out once.
CFF_SOURCE = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
CFF_SINGLE = "NotoSansCJK-Regular-face0.otf"


def make_woff2(work):
    """IPAGothic as WOFF2, made once."""
    path = os.path.join(work, "ipag.woff2")
    if not os.path.exists(path):
        from fontTools.ttLib import TTFont  # needs the brotli module too
        font = TTFont(IPA_GOTHIC)
        font.flavor = "woff2"
        font.save(path)
    return path


def run_once(command, allowed=(0,)):
    """Wall and CPU (user + system) milliseconds of one run, and its output.
    CPU time shows the cost when other work shares the machine."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    output = process.stdout.read()
    _, status, usage = os.wait4(process.pid, 0)
    wall = (time.perf_counter() - start) * 1000
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode not in allowed:
        raise SystemExit(f"{command[0]} failed with status {process.returncode}")
    return wall, (usage.ru_utime + usage.ru_stime) * 1000, output


def time_runs(command, runs, allowed=(0,)):
    """Wall and CPU times of `runs` runs after one warm-up run, and the output
    of the last run."""
    _, _, output = run_once(command, allowed)
    walls, cpus = [], []
    for _ in range(runs):
        wall, cpu, output = run_once(command, allowed)
        walls.append(wall)
        cpus.append(cpu)
    return (walls, cpus), output


def report(name, times, output=None):
    walls, cpus = times
    line = ""
    if output is not None:
        text = output.decode("utf-8", "replace").replace("\r\n", "\n")
        line = "   [" + (text.split("\n")[8] if text.count("\n") >= 9 else "(no report)") + "]"
    print(f"{name:<36} wall median {statistics.median(walls):8.1f} ms "
          f"(min {min(walls):8.1f}, max {max(walls):8.1f})   "
          f"cpu median {statistics.median(cpus):8.1f} ms{line}")
    return statistics.median(walls)


def install_packages(packages):
    """Installs the missing packages when run as root; returns those present."""
    def installed(package):
        result = subprocess.run(["dpkg-query", "-W", "-f=${Status}", package],
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        return result.stdout.decode() == "install ok installed"
    missing = [p for p in packages if not installed(p)]
    if missing and os.geteuid() == 0:
        print("installing " + " ".join(missing), flush=True)
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        subprocess.run(["apt-get", "install", "-y", "-q"] + missing, env=env,
                       stdout=subprocess.DEVNULL)
    elif missing:
        print("missing (run as root to install): " + " ".join(missing))
    return [p for p in packages if installed(p)]


def gather_fonts(packages, folder):
    """Symbolic links in `folder` to the font files of the packages (at most
    FILES_PER_PACKAGE each, by name) and a single CFF font. Returns the
    paths of the links, by name."""
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        if os.path.islink(os.path.join(folder, name)):
            os.remove(os.path.join(folder, name))
    seen = set()
    for package in packages:
        listing = subprocess.run(["dpkg", "-L", package], stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL).stdout.decode().split("\n")
        files = sorted({os.path.realpath(f) for f in listing
                        if f.lower().endswith(FONT_EXTENSIONS) and os.path.isfile(f)})
        files = [f for f in files if f not in seen][:FILES_PER_PACKAGE]
        for path in files:
            seen.add(path)
            link = os.path.join(folder, os.path.basename(path))
            if os.path.lexists(link):
                link = os.path.join(folder, package + "-" + os.path.basename(path))
            os.symlink(path, link)
    cff_single_face(folder)
    return sorted(os.path.join(folder, n) for n in os.listdir(folder))


def cff_single_face(folder):
    """Noto Sans CJK's first face as a font file of its own in `folder`, made
    with fontTools when missing; None without Noto Sans CJK."""
    cff = os.path.join(folder, CFF_SINGLE)
    if not os.path.exists(cff) and os.path.exists(CFF_SOURCE):
        from fontTools.ttLib import TTCollection
        os.makedirs(folder, exist_ok=True)
        collection = TTCollection(CFF_SOURCE, lazy=True)
        collection.fonts[0].save(cff)
    return cff if os.path.exists(cff) else None


def is_collection(path):
    with open(path, "rb") as font:
        return font.read(4) == b"ttcf"


def median_cpu(command, runs, allowed=(0,)):
    return statistics.median(time_runs(command, runs, allowed)[0][1])


def bench_floor(args, singles, collections):
    """glyphcensus's CPU time (default and --ink-test exact) over both floors'
    (unhinted: every glyph loaded unscaled and unhinted; hinted: every glyph
    loaded hinted at 15 ppem, not drawn), per font and in total. Each font is
    timed alone, glyphcensus with -j1, so all run one thread."""
    runs = max(3, args.runs // 3)
    print(f"\nfloors: CPU time, glyphcensus -j1 default and exact against ink_floor "
          f"hinted and unhinted, median of {runs} runs each")
    totals = {}
    for kind, fonts in (("single fonts", singles), ("collections", collections)):
        sums = [0.0, 0.0, 0.0, 0.0]
        for font in fonts:
            times = [median_cpu([args.glyphcensus, "-j1", font], runs, (0, 1)),
                     median_cpu([args.glyphcensus, "-j1", "--ink-test", "exact", font], runs, (0, 1)),
                     median_cpu([args.ink_floor, "--hinted", font], runs),
                     median_cpu([args.ink_floor, font], runs)]
            sums = [a + b for a, b in zip(sums, times)]
            default, exact, hinted, unhinted = times
            print(f"  {os.path.basename(font):<40} default {default:8.1f} ms  exact {exact:8.1f} ms"
                  f"  hinted floor {hinted:8.1f} ms  unhinted floor {unhinted:8.1f} ms"
                  f"  default/hinted {default / hinted:5.2f}  default/unhinted {default / unhinted:5.2f}"
                  + ("  DEFAULT SLOWER THAN EXACT" if default > exact * 1.05 else ""))
        if fonts:
            default, exact, hinted, unhinted = sums
            print(f"  total, {len(fonts)} {kind:<28} default {default:8.1f} ms  exact {exact:8.1f} ms"
                  f"  hinted floor {hinted:8.1f} ms  unhinted floor {unhinted:8.1f} ms"
                  f"  default/hinted {default / hinted:5.2f}  default/unhinted {default / unhinted:5.2f}")
            # All files in one run with the default -j (every core): the CPU
            # time the threads add.
            parallel = median_cpu([args.glyphcensus] + fonts, runs, (0, 1))
            print(f"  total, {len(fonts)} {kind:<28} glyphcensus default -j {parallel:8.1f} ms cpu"
                  f"  /hinted {parallel / hinted:5.2f}  /unhinted {parallel / unhinted:5.2f}")
            totals[kind] = sums
    if totals:
        default, exact, hinted, unhinted = [sum(t[i] for t in totals.values()) for i in range(4)]
        ratio = default / hinted
        verdict = "met" if ratio <= HINTED_FLOOR_RATIO_TARGET else "NOT met"
        print(f"target: all fonts glyphcensus -j1 <= {HINTED_FLOOR_RATIO_TARGET} x hinted floor: "
              f"{ratio:.2f} x, {verdict} (unhinted floor: {default / unhinted:.2f} x; "
              f"exact: {exact / hinted:.2f} x the hinted floor)")


def check_references(glyphcensus, fonts, make):
    """Compares (or with `make`, writes) the report of every font that
    glyphcensus measures. Returns the number of differences."""
    os.makedirs(REFERENCES, exist_ok=True)
    differences = compared = 0
    for font in fonts:
        name = os.path.basename(font) + ".txt"
        result = subprocess.run([glyphcensus, font], stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL)
        reference = os.path.join(REFERENCES, name)
        if make:
            if result.returncode == 0:
                with open(reference, "wb") as out:
                    out.write(result.stdout)
            continue
        if not os.path.exists(reference):
            continue  # not measured when the references were made
        compared += 1
        with open(reference, "rb") as expected:
            if expected.read() != result.stdout:
                print(f"DIFFERENT REPORT  {os.path.basename(font)} (status {result.returncode})")
                differences += 1
    if not make:
        print(f"reports: {compared - differences} of {compared} fonts as in bench/references")
    return differences


def glyphcensus_command(glyphcensus, folder, fonts):
    """All cores and the folder when glyphcensus can, else the file list."""
    help_text = subprocess.run([glyphcensus, "--help"], stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT).stdout.decode("utf-8", "replace")
    if "--jobs" in help_text:
        return [glyphcensus, "-j", str(os.cpu_count() or 1), folder]
    return [glyphcensus] + fonts


def check_fast_path(glyphcensus, fonts):
    """The fast ink test against the exact one on every font, character by
    character. Returns the number of fonts where they differ."""
    result = subprocess.run(["/usr/bin/python3", FAST_PATH_SCRIPT, glyphcensus] + fonts)
    return 0 if result.returncode == 0 else 1


def bench_folder(args, work):
    install_packages(TOOL_PACKAGES)
    packages = install_packages(FONT_PACKAGES)
    fonts = gather_fonts(packages, os.path.join(work, "fonts"))
    singles = [f for f in fonts if not is_collection(f)]
    collections = [f for f in fonts if is_collection(f)]
    print(f"\nfolder: {len(fonts)} font files ({len(singles)} single, "
          f"{len(collections)} collections) from {len(packages)} packages")
    if args.fast_path_only:
        return check_fast_path(args.glyphcensus, fonts)
    if args.make_references:
        check_references(args.glyphcensus, fonts, True)
        print(f"references written to {REFERENCES}")
        return 0
    runs = max(3, args.runs // 3)
    python = "/usr/bin/python3"
    # glyphcensus exits with 1 when it refuses a file (CFF collections, until
    # it measures them); the others are still measured.
    gc = report("glyphcensus, all files",
                time_runs(glyphcensus_command(args.glyphcensus, os.path.join(work, "fonts"), fonts),
                          runs, (0, 1))[0])
    fc = report("fc-query, all files", time_runs(["fc-query"] + fonts, runs)[0])
    ft = report("fontTools cmap coverage, all files",
                time_runs([python, CMAP_SCRIPT] + fonts, runs)[0])
    print(f"ratios: glyphcensus / fc-query {gc / fc:.2f}, glyphcensus / fontTools {gc / ft:.2f}, "
          f"fontTools / fc-query {ft / fc:.2f}")
    gs = report("glyphcensus, single fonts", time_runs([args.glyphcensus] + singles, runs, (0, 1))[0])
    fs = report("fc-query, single fonts", time_runs(["fc-query"] + singles, runs)[0])
    verdict = "met" if gs <= SINGLE_RATIO_TARGET * fs else "NOT met"
    print(f"target: single fonts glyphcensus <= {SINGLE_RATIO_TARGET:.0f} x fc-query: "
          f"{gs / fs:.2f} x, {verdict}")
    if collections:
        gcol = report("glyphcensus, collections",
                      time_runs([args.glyphcensus] + collections, runs, (0, 1))[0])
        fcol = report("fc-query, collections", time_runs(["fc-query"] + collections, runs)[0])
        print(f"collections: glyphcensus / fc-query {gcol / fcol:.2f}")
    bench_floor(args, singles, collections)
    return check_references(args.glyphcensus, fonts, False) + check_fast_path(args.glyphcensus, fonts)


def bench_extended_sets(args):
    """--sets all against --sets dialog, CPU with -j1, on IPAGothic and on Noto
    Sans CJK's first face, beside the same ratio of the hinted floor with
    --sets (ink_floor: each distinct glyph of the group loaded once, nothing
    drawn): the least an exact test's ratio can be. The four commands take
    turns, so that a machine whose speed drifts times them alike."""
    cff = cff_single_face(os.path.join(args.work, "fonts"))
    for name, font, single in (("IPAGothic", [IPA_GOTHIC], IPA_GOTHIC),
                               ("Noto Sans CJK face 0", ["--face", "0", CFF_SOURCE], cff)):
        commands = [[args.glyphcensus, "-j1", "--sets", "dialog"] + font,
                    [args.glyphcensus, "-j1", "--sets", "all"] + font]
        if single:
            commands += [[args.ink_floor, "--hinted", "--sets", "dialog", single],
                         [args.ink_floor, "--hinted", "--sets", "all", single]]
        for command in commands:
            run_once(command)  # warm-up
        cpu = [[] for _ in commands]
        for _ in range(args.runs):
            for times, command in zip(cpu, commands):
                times.append(run_once(command, (0,))[1])
        medians = [statistics.median(times) for times in cpu]
        dialog, everything = medians[0], medians[1]
        ratio = everything / dialog
        floor = f"; hinted floor {medians[3] / medians[2]:.2f} x" if single else ""
        print(f"target: {name} --sets all cpu {everything:.1f} ms <= {EXTENDED_RATIO_TARGET} x "
              f"--sets dialog {dialog:.1f} ms: {ratio:.2f} x, "
              f"{'met' if ratio <= EXTENDED_RATIO_TARGET else 'NOT met'}{floor}")


def bench_vertical_forms(args):
    """The vertical forms (shaped with HarfBuzz) beyond the plain report, CPU
    with -j1, on IPAGothic."""
    plain = median_cpu([args.glyphcensus, "-j1", IPA_GOTHIC], args.runs)
    vertical = median_cpu([args.glyphcensus, "-j1", "--sets", "dialog,vertical-forms", IPA_GOTHIC], args.runs)
    extra = vertical - plain
    print(f"target: IPAGothic --sets dialog,vertical-forms cpu {vertical:.1f} ms <= plain report "
          f"{plain:.1f} ms + {VERTICAL_FORMS_TARGET_MS} ms: +{extra:.1f} ms, "
          f"{'met' if extra <= VERTICAL_FORMS_TARGET_MS else 'NOT met'}")


def bench_ipagothic(args, work):
    woff2 = make_woff2(work)
    times, output = time_runs([args.glyphcensus, IPA_GOTHIC], args.runs)
    median = report("glyphcensus IPAGothic (TTF)", times, output)
    times, output = time_runs([args.glyphcensus, woff2], args.runs)
    report("glyphcensus IPAGothic (WOFF2)", times, output)
    times, output = time_runs([args.glyphcensus, "--missing", IPA_GOTHIC], args.runs)
    missing = report("glyphcensus --missing IPAGothic", times)
    print(f"--missing / plain report: {missing / median:.2f} "
          f"(target <= {MISSING_RATIO_TARGET})")

    wine = os.environ.get("GLYPHCENSUS_BENCH_WINE")
    if wine:
        command = [part.replace("{font}", IPA_GOTHIC) for part in shlex.split(wine)]
        times, output = time_runs(command, max(3, args.runs // 2))
        report("GDI under Wine IPAGothic (TTF)", times, output)
    else:
        print("GDI under Wine: skipped (set GLYPHCENSUS_BENCH_WINE)")

    floor = median_cpu([args.ink_floor, "--hinted", IPA_GOTHIC], args.runs)
    unhinted_floor = median_cpu([args.ink_floor, IPA_GOTHIC], args.runs)
    one_thread = median_cpu([args.glyphcensus, "-j1", IPA_GOTHIC], args.runs)
    ratio = one_thread / floor
    print(f"target: IPAGothic glyphcensus -j1 cpu {one_thread:.1f} ms <= "
          f"{HINTED_FLOOR_RATIO_TARGET} x hinted floor cpu {floor:.1f} ms: {ratio:.2f} x, "
          f"{'met' if ratio <= HINTED_FLOOR_RATIO_TARGET else 'NOT met'} (unhinted floor "
          f"{unhinted_floor:.1f} ms: {one_thread / unhinted_floor:.2f} x)")

    bench_extended_sets(args)
    bench_vertical_forms(args)

    verdict = "met" if median <= TARGET_MS else "NOT met"
    print(f"target: Linux IPAGothic report at most {TARGET_MS:.0f} ms wall: {verdict}"
          + ("" if median <= TARGET_MS or os.getloadavg()[0] < 1 else
             " (the machine is busy; compare the cpu figure)"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--glyphcensus", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--ink-floor", required=True, help="the floor program (bench/ink_floor_freetype.cpp)")
    parser.add_argument("--runs", type=int, default=11)
    parser.add_argument("--make-references", action="store_true",
                        help="write bench/references with this glyphcensus instead of timing")
    parser.add_argument("--skip-folder", action="store_true")
    parser.add_argument("--fast-path-only", action="store_true",
                        help="only compare the fast ink test with the exact one on the folder's fonts")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)

    print(f"{args.runs} runs each (folder: {max(3, args.runs // 3)}), load average "
          f"{os.getloadavg()[0]:.2f}, {os.cpu_count()} CPUs")
    if not args.make_references and not args.fast_path_only:
        bench_ipagothic(args, args.work)
    differences = 0 if args.skip_folder else bench_folder(args, args.work)
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
