#!/usr/bin/env python3
"""Writes the Windows release zip, GlyphCensus-<version>-win64.zip, whose one
top folder GlyphCensus-<version>/ holds:

  GlyphCensus.exe
  LICENSE.txt               LICENSE
  README.txt                resources/README-windows.txt, {version} filled in
  THIRD-PARTY-NOTICES.txt   THIRD-PARTY-NOTICES.md

The text files get a UTF-8 byte order mark and CR LF line ends, so that every
Notepad shows their Japanese and their lines. The zip is reproducible: the
folder's own entry first, then the members in name order, each dated
SOURCE_DATE_EPOCH (else the time of the source tree's last commit), with
fixed attributes and no extra fields. It is
written beside the output and renamed into place, so a failed run leaves no
half-written zip.

Usage: make_dist.py --exe GlyphCensus.exe --version 1.2.0 --source ROOT --output ZIP
"""
import argparse
import os
import subprocess
import sys
import time
import zipfile

EARLIEST_ZIP_TIME = 315532800  # 1980-01-01, the first date a zip can hold


def source_date_epoch(source):
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        out = subprocess.run(["git", "-C", source, "log", "-1", "--format=%ct"],
                             check=True, capture_output=True, text=True).stdout
        return int(out.strip())
    except (OSError, subprocess.CalledProcessError, ValueError):
        return EARLIEST_ZIP_TIME


def windows_text(text):
    return "\ufeff".encode("utf-8") + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def top_folder(version):
    return f"GlyphCensus-{version}/"


def members(exe, version, source):
    """{name in the zip: bytes}, every name inside the top folder."""
    def read(relative):
        with open(os.path.join(source, relative), encoding="utf-8") as f:
            return f.read()

    with open(exe, "rb") as f:
        program = f.read()
    files = {
        "GlyphCensus.exe": program,
        "LICENSE.txt": windows_text(read("LICENSE")),
        "README.txt": windows_text(read("resources/README-windows.txt").replace("{version}", version)),
        "THIRD-PARTY-NOTICES.txt": windows_text(read("THIRD-PARTY-NOTICES.md")),
    }
    return {top_folder(version) + name: data for name, data in files.items()}


def write_zip(path, folder, files, epoch):
    """The folder's entry (MS-DOS directory attribute, no data), then the files
    in name order, all with one date."""
    date_time = time.gmtime(max(epoch, EARLIEST_ZIP_TIME))[:6]
    with zipfile.ZipFile(path, "w") as archive:
        entry = zipfile.ZipInfo(folder, date_time=date_time)
        entry.create_system = 0  # MS-DOS: no Unix owner or mode bits
        entry.external_attr = 0x10  # the directory attribute only
        archive.writestr(entry, b"", compress_type=zipfile.ZIP_STORED)
        for name in sorted(files):
            info = zipfile.ZipInfo(name, date_time=date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0
            info.external_attr = 0x20  # the archive attribute only
            archive.writestr(info, files[name], compresslevel=9)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--output", required=True)
    args = parser.parse_args()

    files = members(args.exe, args.version, args.source)
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    partial = args.output + ".partial"
    try:
        write_zip(partial, top_folder(args.version), files, source_date_epoch(args.source))
        os.replace(partial, args.output)
    except OSError as error:
        print(f"make_dist: cannot write {args.output}: {error}", file=sys.stderr)
        if os.path.exists(partial):
            os.remove(partial)
        return 1
    print(f"make_dist: wrote {args.output}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
