#!/usr/bin/env bash
# Builds tidemark-send's Debian package the way scripts/package does, then: lintian reports
# neither an error nor a warning, the installed manual page renders without a warning and
# every file it points to is in the package, and the changelog begins with this version.
set -euo pipefail
root=$1 build=$2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTIDEMARK_SENDER_RELEASE=ON >/dev/null
cmake --build "$build" -j2 >/dev/null
rm -f "$build"/tidemark-send_*_amd64.deb  # an earlier version's package may lie there
(cd "$build" && cpack -G DEB >/dev/null 2>&1)
deb=$(ls "$build"/tidemark-send_*_amd64.deb)
lintian_output=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
if grep -E '^(E|W):' <<<"$lintian_output"; then exit 1; fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch"
page=$scratch/usr/share/man/man1/tidemark-send.1.gz
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "man page warnings: $warnings"; exit 1; }
for named in $(zcat "$page" | grep -o '/usr/share/[^ ,]*' | tr -d '\\'); do
  [ -s "$scratch$named" ] || { echo "the manual page names $named, not in the package"; exit 1; }
done
zcat "$scratch/usr/share/doc/tidemark-send/changelog.gz" | sed -n 1p |
  grep -qF "tidemark-send ($(dpkg-deb -f "$deb" Version))" || { echo "changelog: other version"; exit 1; }
echo "lintian: no error or warning; man page: no warning, its files there; changelog: this version"
