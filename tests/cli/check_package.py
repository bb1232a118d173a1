#!/usr/bin/env python3
"""The Debian package of glyphcensus: built by cpack from the build folder,
then inspected with dpkg-deb.

Usage: check_package.py BUILD_DIR
Checks: the package holds the binary in /usr/bin and the gzipped manual page
in section 1, nothing from the tests; its Depends names the runtime libraries
the binary links and no -dev package; the binary it holds runs.
"""
import glob
import os
import re
import subprocess
import sys
import tempfile

# Packages of the libraries the binary links, found through dpkg-shlibdeps.
NEEDED_DEPENDS = ("libc6", "libstdc++6", "libfreetype6", "libbrotli1", "zlib1g")
# The woff2 decoder is built from source and linked in (Debian's prints notes
# on stderr): its library package must not be needed.
UNWANTED_DEPENDS = ("libwoff1",)


def run(*command, cwd=None):
    return subprocess.run(command, check=True, capture_output=True, text=True, cwd=cwd).stdout


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

        contents = run("dpkg-deb", "--contents", deb)
        files = sorted(line.split()[-1] for line in contents.splitlines()
                       if not line.startswith("d"))
        expected = ["./usr/bin/glyphcensus", "./usr/share/man/man1/glyphcensus.1.gz"]
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

    for failure in failures:
        print("check_package:", failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
