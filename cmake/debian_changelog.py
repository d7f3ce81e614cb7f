"""Writes the Debian changelog of a package from CHANGELOG.md, one entry per release:

    debian_changelog.py CHANGELOG.md PACKAGE "MAINTAINER <MAIL>" OUTPUT

A release is a heading "## VERSION (YYYY-MM-DD)"; its "### " headings become the entry's
items and their list items the item's sub-items, its other paragraphs items of their own.
The entry's date is the release's day, so that rebuilding gives the same bytes."""
import datetime
import email.utils
import re
import sys
import textwrap

WIDTH = 79  # lintian wants at most 80 columns


def wrapped(text, first, rest):
    return textwrap.wrap(text.replace("`", ""), WIDTH, initial_indent=first,
                         subsequent_indent=rest, break_on_hyphens=False)


def paragraphs(body):
    """The release's parts: ("section", heading), ("item", text) and ("text", text)."""
    for block in re.split(r"\n(?=### |- )|\n\n+", body.strip()):
        block = " ".join(block.split())
        if block.startswith("### "):
            yield "section", block[4:]
        elif block.startswith("- "):
            yield "item", block[2:]
        elif block:
            yield "text", block


def entry(package, maintainer, version, day, body):
    lines = [f"{package} ({version}) unstable; urgency=medium", ""]
    for kind, text in paragraphs(body):
        if kind == "item":
            lines += wrapped(text, "    - ", "      ")
        else:
            lines += wrapped(text + (":" if kind == "section" else ""), "  * ", "    ")
    noon = datetime.datetime.fromisoformat(day + "T12:00:00+00:00")
    return "\n".join(lines + ["", f" -- {maintainer}  {email.utils.format_datetime(noon)}", ""])


def main():
    source, package, maintainer, output = sys.argv[1:5]
    releases = re.findall(r"^## (\S+) \((\d{4}-\d\d-\d\d)\)\n(.*?)(?=^## |\Z)",
                          open(source, encoding="utf-8").read(), re.M | re.S)
    if not releases:
        sys.exit(f"{source}: no release heading \"## VERSION (YYYY-MM-DD)\"")
    with open(output, "w", encoding="utf-8") as changelog:
        changelog.write("\n".join(entry(package, maintainer, *release) for release in releases))


if __name__ == "__main__":
    main()
