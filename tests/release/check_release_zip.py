#!/usr/bin/env python3
"""The Windows release zip, unpacked and used as a Windows user would.

Usage: check_release_zip.py --zip ZIP --version V --source ROOT --driver DRIVER.exe
                            --wine-run tools/wine_run.sh --font FONT --family NAME

Checks: one top folder GlyphCensus-<version>/ (its own entry first, a
directory), the members in it in name order, one date, no Unix modes or extra
fields;
the texts (byte order mark, CR LF; LICENSE and the notices as in the source
tree; README.txt in Japanese and English with the version, the keys and the
settings file); the version resource of the exe read with pefile, and no time
stamp in its PE header; then the exe run from the unpacked folder under Wine
on FONT: the report, and the settings file it writes beside itself on Escape.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

import pefile

FILES = ["GlyphCensus.exe", "LICENSE.txt", "README.txt", "THIRD-PARTY-NOTICES.txt"]
README_MUST_SAY = ["GlyphCensus.ini", "SystemSetting", "Enter", "Esc", "←", "Left", "Right",
                   "ドロップ", "drop", "WOFF2", "LICENSE.txt", "THIRD-PARTY-NOTICES.txt"]
REPORT_LABELS = ["英字", "数字", "記号", "ひらがな", "カタカナ", "教育漢字", "常用漢字", "第一水準",
                 "第二水準", "第三水準", "第四水準", "IBM拡張文字", "NEC特殊文字", "ギリシア文字",
                 "キリル文字"]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def top_folder(version):
    return f"GlyphCensus-{version}/"


def check_members(archive, version, failures):
    """Unpacking gives one folder named for the version, holding the files."""
    infos = archive.infolist()
    names = [info.filename for info in infos]
    expected = [top_folder(version)] + [top_folder(version) + name for name in FILES]
    if names != expected:
        failures.append(f"members are {names}, expected {expected}")
    if len({info.date_time for info in infos}) != 1:
        failures.append("the members carry different dates")
    for info in infos:
        if info.create_system != 0 or info.external_attr >> 16 or info.extra:
            failures.append(f"{info.filename}: host {info.create_system}, attributes "
                            f"{info.external_attr:#x}, {len(info.extra)} extra bytes")
        is_folder = info.filename.endswith("/")
        if is_folder != bool(info.external_attr & 0x10) or (is_folder and info.file_size):
            failures.append(f"{info.filename}: directory attribute {info.external_attr & 0x10:#x}, "
                            f"{info.file_size} bytes")


def check_texts(archive, version, source, failures):
    def windows_text(name):
        try:
            data = archive.read(top_folder(version) + name)
        except KeyError:
            failures.append(f"{name} is not in {top_folder(version)}")
            return ""
        if not data.startswith(b"\xef\xbb\xbf") or b"\n" in data.replace(b"\r\n", b""):
            failures.append(f"{name} lacks the byte order mark or CR LF line ends")
        return data.decode("utf-8-sig").replace("\r\n", "\n")

    for member, original in (("LICENSE.txt", "LICENSE"), ("THIRD-PARTY-NOTICES.txt", "THIRD-PARTY-NOTICES.md")):
        with open(os.path.join(source, original), encoding="utf-8") as f:
            if windows_text(member) != f.read():
                failures.append(f"{member} differs from {original}")
    readme = windows_text("README.txt")
    if not readme.startswith(f"GlyphCensus {version}\n"):
        failures.append(f"README.txt does not start with the version: {readme[:40]!r}")
    if "== 日本語 ==" not in readme or "== English ==" not in readme:
        failures.append("README.txt lacks its Japanese or English part")
    for word in README_MUST_SAY + [top_folder(version).rstrip("/")]:
        if word not in readme:
            failures.append(f"README.txt does not mention {word!r}")


def check_version_resource(exe, version, failures):
    pe = pefile.PE(exe)
    if pe.FILE_HEADER.TimeDateStamp != 0:
        failures.append(f"the PE header has a time stamp: {pe.FILE_HEADER.TimeDateStamp:#x}")
    if not hasattr(pe, "VS_FIXEDFILEINFO"):
        failures.append("the exe has no version resource")
        return
    major, minor, patch = (int(part) for part in version.split("."))
    fixed = pe.VS_FIXEDFILEINFO[0]
    for field in ("FileVersion", "ProductVersion"):
        numbers = (getattr(fixed, field + "MS"), getattr(fixed, field + "LS"))
        if numbers != ((major << 16) | minor, patch << 16):
            failures.append(f"fixed {field} is {numbers[0]:#x} {numbers[1]:#x}, not {version}")
    strings = {}
    for info in pe.FileInfo[0]:
        for table in getattr(info, "StringTable", []):
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    expected = {"FileVersion": version, "ProductVersion": version, "ProductName": "GlyphCensus",
                "OriginalFilename": "GlyphCensus.exe"}
    for key, value in expected.items():
        if strings.get(key) != value:
            failures.append(f"version string {key} is {strings.get(key)!r}, not {value!r}")
    if not strings.get("FileDescription"):
        failures.append("the version resource has no description")
    if "The GlyphCensus developers" not in strings.get("LegalCopyright", ""):
        failures.append(f"copyright line is {strings.get('LegalCopyright')!r}")


def run_unpacked(args, folder, failures):
    font_folder = os.path.join(folder, "font")
    os.makedirs(font_folder)
    font = shutil.copy(args.font, font_folder)
    caption = f"(1/1){os.path.basename(font)}"
    run = subprocess.run([args.wine_run, args.driver, windows_path(os.path.join(folder, "GlyphCensus.exe")),
                          windows_path(font), caption], capture_output=True, timeout=300)
    report = run.stdout.decode("utf-8", "replace")
    if run.returncode != 0:
        failures.append(f"the unpacked exe under Wine: status {run.returncode}, "
                        f"{run.stderr.decode('utf-8', 'replace').strip()} {report!r}")
        return
    lines = report.split("\r\n")
    if lines[0] != args.family or [line.split("：")[0] for line in lines[1:16]] != REPORT_LABELS:
        failures.append(f"unexpected report: {report!r}")
    settings = os.path.join(folder, "GlyphCensus.ini")
    if not os.path.exists(settings) or "[SystemSetting]" not in open(settings, encoding="ascii").read():
        failures.append("the exe wrote no settings file beside itself")


def main():
    parser = argparse.ArgumentParser()
    for option in ("--zip", "--version", "--source", "--driver", "--wine-run", "--font", "--family"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    failures = []
    with zipfile.ZipFile(args.zip) as archive:
        check_members(archive, args.version, failures)
        check_texts(archive, args.version, args.source, failures)
        with tempfile.TemporaryDirectory(prefix="release-zip-", dir=os.getcwd()) as scratch:
            archive.extractall(scratch)
            folder = os.path.join(scratch, top_folder(args.version))
            check_version_resource(os.path.join(folder, "GlyphCensus.exe"), args.version, failures)
            run_unpacked(args, folder, failures)
    for failure in failures:
        print("check_release_zip:", failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
