#!/usr/bin/env python3
"""Checks THIRD-PARTY-NOTICES.md against what a build really uses.

The build's evidence, each file traced to the Debian source package it comes
from (dpkg for installed files, debian/changelog for the unpacked source
packages of the Windows build):
  - every header and source file the compiler read for the programs'
    libraries (the .o.d files of the build folder; tests, GoogleTest and the
    fuzz targets left out), so a header library or a library compiled from a
    source package counts whichever way it is built;
  - the libraries the program links: the NEEDED entries of the Linux binary,
    or the archives the Windows exe takes members from (its link map);
  - the files the table generators read (tools/make_*.py naming /usr/share).
Every such package must be a row of the notices' table, with its upstream
version, marked for this program. With --copyright, every component marked
for glyphcensus must be named in the Debian copyright file.

For the Linux binary, what the notices say about linking must also be what
the binary does: a row that marks glyphcensus "linked" needs a NEEDED entry
from one of its packages, a row that marks it "compiled in" (or "static", or
"tables derived from it") must have none. In the copyright file, a stanza
whose comment says "linked dynamically (Debian package(s) X ...)" needs a
NEEDED entry from each package it names, and one that says "compiled in" or
"compiled into" none from the packages it names.

Usage: check_notices.py --notices FILE --source ROOT --build DIR
                        (--program glyphcensus | --link-map GlyphCensus.map)
                        [--copyright FILE] [--without COMPONENT]
                        [--claim COMPONENT=CLAIM]
--without drops a row first, --claim replaces what a row says about
glyphcensus (e.g. "woff2 (decoder)=linked"): the check must then fail (its
own tests).
"""
import argparse
import os
import re
import subprocess
import sys

# Source packages that need no row: declarations of the kernel's interface,
# which glibc's headers include.
NO_NOTICE_NEEDED = {"linux"}
OWN_PACKAGE = "glyphcensus"
# The table generators and the programs whose tables they write: the extended
# sets are the command's and the page's; the dialog's exe links none of them.
GENERATORS = {
    "tools/make_character_sets.py": ("GlyphCensus.exe", "glyphcensus"),
    "tools/make_jis_tables.py": ("GlyphCensus.exe", "glyphcensus"),
    "tools/make_extended_sets.py": ("glyphcensus",),
}
LEFT_OUT_TARGETS = ("tests", "googletest", "fuzz", "bench")
# The words in parentheses after a program's name in the notices' last column.
DYNAMIC_CLAIMS = ("linked",)
EMBEDDED_CLAIMS = ("compiled in", "static", "tables derived from it")


def read_components(path):
    text = open(path, encoding="utf-8").read()
    table = text.split("<!-- components -->")[1].split("<!-- /components -->")[0]
    rows = []
    for line in table.strip().splitlines()[2:]:
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        rows.append({"name": cells[0], "version": cells[1],
                     "sources": {s.strip() for s in cells[3].split(",")}, "used_by": cells[4]})
    return rows


def program_claims(used_by):
    """{program: claim} from a "Contained in or linked by" cell such as
    "GlyphCensus.exe (static), glyphcensus (linked; not shipped)": the words
    before the first ";" in the parentheses. A name without parentheses shares
    the claim of the next one that has them ("A, B, C (tables derived from it)")."""
    claims, waiting = {}, []
    for entry in re.findall(r"([^,(]+)(?:\(([^)]*)\))?,?", used_by):
        name, claim = entry[0].strip(), entry[1].split(";")[0].strip()
        if not name:
            continue
        waiting.append(name)
        if claim:
            claims.update({each: claim for each in waiting})
            waiting = []
    claims.update({each: "" for each in waiting})
    return claims


def check_linking_claims(components, linked_sources, program_name):
    """A row's claim for the program against the source packages of its
    NEEDED entries."""
    failures = []
    for row in components:
        claim = program_claims(row["used_by"]).get(program_name)
        if claim is None:
            continue
        linked = sorted(row["sources"] & linked_sources)
        if claim in DYNAMIC_CLAIMS and not linked:
            failures.append(f"{row['name']}: the notices say {program_name} is {claim}, but none of its "
                            f"NEEDED libraries comes from {', '.join(sorted(row['sources']))}")
        elif claim in EMBEDDED_CLAIMS and linked:
            failures.append(f"{row['name']}: the notices say {claim}, but {program_name} links a library "
                            f"of {', '.join(linked)} dynamically (NEEDED)")
        elif claim not in DYNAMIC_CLAIMS + EMBEDDED_CLAIMS:
            failures.append(f"{row['name']}: the notices do not say how {program_name} holds it "
                            f"({claim or 'no words'}; expected one of "
                            f"{', '.join(DYNAMIC_CLAIMS + EMBEDDED_CLAIMS)})")
    return failures


def copyright_claims(text):
    """[(files, "dynamic" or "embedded", {package names})] of the copyright
    file's Files stanzas whose comment names Debian packages with one of the
    linking phrases."""
    claims = []
    for stanza in re.split(r"\n\s*\n", text):
        files = re.search(r"^Files:\s*(.*)$", stanza, re.M)
        comment = re.search(r"^Comment:(.*(?:\n[ \t].*)*)", stanza, re.M)
        if not files or not comment:
            continue
        words = " ".join(comment.group(1).split())
        for phrase, kind in (("linked dynamically", "dynamic"), ("compiled in", "embedded")):
            for named in re.findall(phrase + r"[^()]*\(Debian (?:source )?packages? ([^)]*)\)", words):
                packages = {name.strip() for name in re.split(r",|\band\b", named) if name.strip()}
                claims.append((files.group(1).strip(), kind, packages))
    return claims


def check_copyright_linking(copyright_path, needed_packages):
    """needed_packages: the binary and source packages of the NEEDED entries."""
    with open(copyright_path, encoding="utf-8") as f:
        text = f.read()
    failures = []
    for files, kind, packages in copyright_claims(text):
        if kind == "dynamic":
            for package in sorted(packages - needed_packages):
                failures.append(f"{copyright_path}, Files: {files}: says linked dynamically, but no "
                                f"NEEDED library of the binary comes from {package}")
        else:
            for package in sorted(packages & needed_packages):
                failures.append(f"{copyright_path}, Files: {files}: says compiled in, but the binary "
                                f"links a library of {package} dynamically (NEEDED)")
    return failures


def upstream_version(version):
    version = version.split(":", 1)[-1]
    if "-" in version:
        version = version.rsplit("-", 1)[0]
    return re.sub(r"[~+.](dfsg|ds)\d*$", "", version)


def object_depfiles(build):
    """The compiler's .d files of the objects outside the left-out folders
    (os.walk, unlike glob, enters the hidden folder names of .deps)."""
    for folder, subfolders, files in os.walk(build):
        if folder == build:
            subfolders[:] = [name for name in subfolders if name not in LEFT_OUT_TARGETS]
        if f"{os.sep}CMakeFiles{os.sep}" in folder + os.sep:
            yield from (os.path.join(folder, name) for name in files
                        if name.endswith((".o.d", ".obj.d")))


def depfile_paths(build):
    """Every file the compiler read for the non-test targets."""
    paths = set()
    for depfile in object_depfiles(build):
        text = open(depfile, encoding="utf-8", errors="replace").read().replace("\\\n", " ")
        for entry in text.split(":", 1)[1].split() if ":" in text else []:
            paths.add(os.path.normpath(os.path.join(build, entry)))
    return paths


def needed_libraries(program):
    """Paths of the shared libraries the binary itself names (not theirs)."""
    dynamic = subprocess.run(["readelf", "-d", program], check=True, capture_output=True, text=True).stdout
    needed = set(re.findall(r"\(NEEDED\)\s+Shared library: \[(.+?)\]", dynamic))
    resolved = subprocess.run(["ldd", program], check=True, capture_output=True, text=True).stdout
    return {path for name, path in re.findall(r"^\s*(\S+) => (\S+)", resolved, re.M) if name in needed}


def linked_archives(link_map):
    """The archives the linker took members from (paths relative to the folder
    it ran in, the map's)."""
    text = open(link_map, encoding="utf-8", errors="replace").read()
    section = text.split("Archive member included", 1)[-1].split("\n\n", 2)[1] if "Archive member included" in text else ""
    folder = os.path.dirname(os.path.abspath(link_map))
    return {os.path.normpath(os.path.join(folder, m)) for m in re.findall(r"^(\S+?\.a)\(", section, re.M)}


def generator_inputs(source, program_name):
    paths = set()
    for generator, programs in GENERATORS.items():
        if program_name not in programs:
            continue
        paths.update(re.findall(r'"(/usr/share/[^"]+)"', open(os.path.join(source, generator)).read()))
    return paths


def debian_source_tree(path):
    """(package, version) of an unpacked Debian source package holding path;
    wherever it lies (.deps may be inside the checkout). GlyphCensus's own
    package changelog (resources/debian) is no such tree."""
    folder = os.path.dirname(path)
    while folder not in ("/", ""):
        changelog = os.path.join(folder, "debian", "changelog")
        if os.path.isfile(changelog):
            match = re.match(r"(\S+) \((\S+)\)", open(changelog, encoding="utf-8").readline())
            if match and match.group(1) != OWN_PACKAGE:
                return match.group(1), match.group(2)
        folder = os.path.dirname(folder)
    return None


def owning_packages(paths):
    """Maps each path to its binary package, trying the /usr-merged forms."""
    def variants(path):
        real = os.path.realpath(path)
        forms = [path, real]
        for form in (path, real):
            forms.append(form[4:] if form.startswith("/usr/") else "/usr" + form)
        return forms

    owners = {}
    pending = sorted(paths)
    for attempt in range(4):
        queries = {variants(path)[attempt]: path for path in pending}
        if not queries:
            break
        out = subprocess.run(["dpkg", "-S", *queries], capture_output=True, text=True).stdout
        for line in out.splitlines():
            packages, _, found = line.partition(": ")
            if found in queries:
                owners[queries[found]] = packages.split(",")[0].split(":")[0].strip()
        pending = [path for path in pending if path not in owners]
    return owners, pending


def source_packages(binary_packages):
    out = subprocess.run(["dpkg-query", "-W", "-f=${Package}\t${source:Package}\t${Version}\n",
                          *sorted(binary_packages)], check=True, capture_output=True, text=True).stdout
    return {binary: (source, version) for binary, source, version in
            (line.split("\t") for line in out.splitlines())}


def used_packages(evidence, source, build):
    """{source package: (version, [evidence...])}, and the files no package owns."""
    used, installed = {}, {}
    for path, why in evidence.items():
        tree = debian_source_tree(path)
        if tree:
            used.setdefault(tree[0], (tree[1], []))[1].append(why + " " + path)
        elif not (path.startswith(os.path.join(source, "")) or path.startswith(os.path.join(build, ""))):
            installed[path] = why
    owners, unowned = owning_packages(installed)
    sources = source_packages(set(owners.values())) if owners else {}
    for path, binary in owners.items():
        package, version = sources[binary]
        used.setdefault(package, (version, []))[1].append(f"{installed[path]} {path} ({binary})")
    return used, unowned


def check(components, used, program_name):
    failures = []
    for package, (version, reasons) in sorted(used.items()):
        if package in NO_NOTICE_NEEDED:
            continue
        rows = [row for row in components if package in row["sources"]]
        if not rows:
            failures.append(f"{package} {version} is used but not listed ({reasons[0]}, ...)")
            continue
        row = rows[0]
        if row["version"] != upstream_version(version):
            failures.append(f"{row['name']}: listed as {row['version']}, the build uses {version}")
        if program_name not in row["used_by"]:
            failures.append(f"{row['name']}: the row does not name {program_name} ({reasons[0]})")
    return failures


def check_copyright(components, copyright_path):
    text = open(copyright_path, encoding="utf-8").read()
    failures = []
    for row in components:
        if "glyphcensus" in row["used_by"] and row["name"].split()[0] not in text:
            failures.append(f"{row['name']} is in the package but not in {copyright_path}")
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--notices", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--program")
    parser.add_argument("--link-map")
    parser.add_argument("--copyright")
    parser.add_argument("--without")
    parser.add_argument("--claim")
    args = parser.parse_args()
    source, build = os.path.realpath(args.source), os.path.realpath(args.build)

    components = [row for row in read_components(args.notices) if row["name"] != args.without]
    if args.claim:
        name, claim = args.claim.rsplit("=", 1)
        rows = [row for row in components if row["name"] == name]
        if not rows:
            parser.error(f"--claim: no row is named {name!r}")
        for row in rows:
            row["used_by"] = f"glyphcensus ({claim})"
    evidence = {path: "compiled" for path in depfile_paths(build)}
    program_name = "glyphcensus" if args.program else "GlyphCensus.exe"
    evidence.update({path: "read by the table generators"
                     for path in generator_inputs(source, program_name)})
    if args.program:
        evidence.update({path: "linked" for path in needed_libraries(args.program)})
    else:
        evidence.update({path: "linked" for path in linked_archives(args.link_map)})

    used, unowned = used_packages(evidence, source, build)
    failures = [f"no package owns {path} ({evidence[path]})" for path in unowned]
    failures += check(components, used, program_name)
    if args.program:
        linked_paths = needed_libraries(args.program)
        owners, _ = owning_packages(linked_paths)
        binaries = set(owners.values())
        linked_sources = {package for package, _ in source_packages(binaries).values()} if binaries else set()
        failures += check_linking_claims(components, linked_sources, program_name)
        if args.copyright:
            failures += check_copyright_linking(args.copyright, binaries | linked_sources)
    if args.copyright:
        failures += check_copyright(components, args.copyright)
    print(f"check_notices: {program_name} uses " + ", ".join(
        f"{package} {version}" for package, (version, _) in sorted(used.items())))
    for failure in failures:
        print("check_notices:", failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
