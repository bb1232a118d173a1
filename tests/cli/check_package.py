#!/usr/bin/env python3
"""The Debian package of glyphcensus: built by cpack from the build folder,
then inspected with dpkg-deb.

Usage: check_package.py BUILD_DIR
Checks: the package holds the binary in /usr/bin, the gzipped manual page
in section 1, the copyright file and changelog in /usr/share/doc/glyphcensus,
nothing from the tests; its Depends names the runtime libraries the binary
links and no -dev package; its Maintainer has a name and an e-mail address;
the changelog's latest entry is the package's version; the binary it holds
runs; lintian reports no errors.
"""
import glob
import gzip
import os
import re
import subprocess
import sys
import tempfile

# Packages of the libraries the binary links, found through dpkg-shlibdeps.
NEEDED_DEPENDS = ("libc6", "libstdc++6", "libfreetype6", "libharfbuzz0b", "libbrotli1", "zlib1g")
# The woff2 decoder is built from source and linked in (Debian's prints notes
# on stderr): its library package must not be needed.
UNWANTED_DEPENDS = ("libwoff1",)


def run(*command, cwd=None):
    return subprocess.run(command, check=True, capture_output=True, text=True, cwd=cwd).stdout


def check_documents(doc_dir, version):
    """The copyright file is machine-readable; the changelog's first entry is
    this version of the package."""
    failures = []
    with open(os.path.join(doc_dir, "copyright"), encoding="utf-8") as f:
        first_line = f.readline()
    if not first_line.startswith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"):
        failures.append(f"the copyright file is not machine-readable: {first_line!r}")
    with gzip.open(os.path.join(doc_dir, "changelog.gz"), "rt", encoding="utf-8") as f:
        latest = f.readline()
    if not latest.startswith(f"glyphcensus ({version}) "):
        failures.append(f"the changelog's latest entry is {latest.strip()!r}, the package {version}")
    return failures


def run_lintian(deb):
    """lintian's errors (E:) fail the test; its warnings are shown only."""
    result = subprocess.run(["lintian", "--allow-root", "--no-cfg", deb],
                            capture_output=True, text=True)
    lines = result.stdout.splitlines()
    for line in lines:
        print("lintian:", line)
    errors = [line for line in lines if line.startswith("E:")]
    if result.returncode not in (0, 2) and not errors:
        errors.append(f"lintian failed ({result.returncode}): {result.stderr.strip()}")
    return [f"lintian: {error}" for error in errors]


def main():
    build_dir = os.path.abspath(sys.argv[1])
    failures = []
    with tempfile.TemporaryDirectory(prefix="glyphcensus-package-") as scratch:
        run("cpack", "-G", "DEB", "-B", scratch, "--config",
            os.path.join(build_dir, "CPackConfig.cmake"), cwd=scratch)
        debs = glob.glob(os.path.join(scratch, "*.deb"))
        if len(debs) != 1:
            print(f"check_package: expected one .deb, found {debs}", file=sys.stderr)
            return 1
        deb = debs[0]

        info = run("dpkg-deb", "--info", deb)
        fields = dict(re.findall(r"^ (\w[\w-]*): (.*)$", info, re.M))
        if fields.get("Package") != "glyphcensus":
            failures.append(f"Package is {fields.get('Package')!r}")
        depends = [d.strip().split()[0] for d in fields.get("Depends", "").split(",") if d.strip()]
        for needed in NEEDED_DEPENDS:
            if needed not in depends:
                failures.append(f"Depends lacks {needed}: {depends}")
        for dependency in depends:
            if dependency in UNWANTED_DEPENDS:
                failures.append(f"Depends names {dependency}: {depends}")
            if dependency.endswith("-dev"):
                failures.append(f"Depends names a development package: {dependency}")

        if not re.fullmatch(r"[^<>]+ <[^@<>\s]+@[^@<>\s]+\.[^@<>\s]+>", fields.get("Maintainer", "")):
            failures.append(f"Maintainer is not a name and an e-mail address: {fields.get('Maintainer')!r}")

        contents = run("dpkg-deb", "--contents", deb)
        files = sorted(line.split()[-1] for line in contents.splitlines()
                       if not line.startswith("d"))
        expected = ["./usr/bin/glyphcensus", "./usr/share/doc/glyphcensus/changelog.gz",
                    "./usr/share/doc/glyphcensus/copyright",
                    "./usr/share/man/man1/glyphcensus.1.gz"]
        if files != expected:
            failures.append(f"files are {files}, expected {expected}")

        unpacked = os.path.join(scratch, "root")
        run("dpkg-deb", "--extract", deb, unpacked)
        binary = os.path.join(unpacked, "usr/bin/glyphcensus")
        usage = subprocess.run([binary, "--help"], capture_output=True, text=True)
        if usage.returncode != 0 or "glyphcensus" not in usage.stdout:
            failures.append(f"the packaged binary does not run: {usage.returncode}")
        page = run("gzip", "-dc", os.path.join(unpacked, "usr/share/man/man1/glyphcensus.1.gz"))
        if not page.startswith(".\\\"") and ".TH GLYPHCENSUS" not in page:
            failures.append("the packaged manual page is not a man page")
        failures += check_documents(os.path.join(unpacked, "usr/share/doc/glyphcensus"),
                                    fields.get("Version"))
        failures += run_lintian(deb)

    for failure in failures:
        print("check_package:", failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
