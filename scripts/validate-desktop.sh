#!/usr/bin/env bash
# Checks the desktop entry and the AppStream metainfo as they are installed:
# installs into a scratch prefix from the test build and runs the two
# validators on what landed there (no network: the screenshot address is
# not fetched).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/test}"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
desktop=("$prefix"/share/applications/*.desktop)
metainfo=("$prefix"/share/metainfo/*.metainfo.xml)
desktop-file-validate "${desktop[@]}"
appstreamcli validate --no-net "${metainfo[@]}"
for size in 16x16 24x24 32x32 48x48 64x64 128x128 256x256 scalable; do
  ls "$prefix/share/icons/hicolor/$size/apps/"baltero.* >/dev/null
done
test -x "$prefix/bin/Baltero" && test -x "$prefix/bin/baltero-db"
test -f "$prefix/share/baltero/questionario-esempio.txt"
test -f "$prefix/share/baltero/Baltero - Manuale utente.pdf"
echo "desktop: the desktop entry, the metainfo and the installed files are valid"
