#!/usr/bin/env python3
"""The manual page glyphcensus(1) is in step with `glyphcensus --help`.

Usage: check_man_page.py GLYPHCENSUS MAN_PAGE
Fails when an option of --help is missing from the page, when the page lacks
its NAME, SYNOPSIS, OPTIONS-or-DESCRIPTION, EXIT STATUS or EXAMPLES section, or
when an example uses an option that --help does not list.
"""
import re
import subprocess
import sys

# An option token: "-x" or "--long-name", not the hyphen inside a word ("1-2",
# "regular-use") and not a lone "-" or "--".
OPTION = re.compile(r"(?<![\w-])(--?[A-Za-z][A-Za-z0-9-]*)")


def plain_text(roff):
    """The page's text with escapes and font changes undone."""
    text = roff.replace("\\-", "-").replace("\\(em", "-")
    text = re.sub(r"\\f[BIRP]", "", text)
    return re.sub(r"\\&", "", text)


def sections(roff):
    """Section name -> the page's text in that section."""
    found = {}
    name = None
    for line in roff.splitlines():
        match = re.match(r'\.SH\s+"?([^"]+)"?\s*$', line)
        if match:
            name = match.group(1).strip()
            found[name] = ""
        elif name is not None:
            found[name] += line + "\n"
    return found


def main():
    program, man_page = sys.argv[1], sys.argv[2]
    help_text = subprocess.run([program, "--help"], check=True, capture_output=True,
                               text=True).stdout
    with open(man_page, encoding="utf-8") as page:
        roff = page.read()
    text = plain_text(roff)
    by_section = {name: plain_text(body) for name, body in sections(roff).items()}
    failures = []

    help_options = set(OPTION.findall(help_text))
    if not help_options:
        failures.append("--help lists no option")
    for option in sorted(help_options):
        if not re.search(r"(?<![\w-])" + re.escape(option) + r"(?![\w-])", text):
            failures.append(f"option {option} of --help is not in the page")

    for needed in ("NAME", "SYNOPSIS", "EXIT STATUS", "EXAMPLES"):
        if not by_section.get(needed, "").strip():
            failures.append(f"section {needed} is missing or empty")
    if not (by_section.get("OPTIONS", "") + by_section.get("DESCRIPTION", "")).strip():
        failures.append("neither OPTIONS nor DESCRIPTION has text")
    exit_status = by_section.get("EXIT STATUS", "")
    for status in ("0", "1", "2", "3", "4", "5", "130"):
        if not re.search(r"\b" + status + r"\b", exit_status):
            failures.append(f"EXIT STATUS does not mention status {status}")

    for option in sorted(set(OPTION.findall(by_section.get("EXAMPLES", "")))):
        if option not in help_options:
            failures.append(f"an example uses {option}, which --help does not list")

    for failure in failures:
        print("check_man_page:", failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
