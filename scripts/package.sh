#!/usr/bin/env bash
# Builds the Debian package of Baltero: a release build installed under
# /usr, packed by CPack with the dependencies dpkg-shlibdeps reads from the
# program. Leaves build/package/baltero_VERSION_ARCH.deb and prints its name.
# Install it with: sudo apt install ./build/package/baltero_*.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$root/build/package"

"$root/scripts/install-deps.sh"
options=(-DCMAKE_BUILD_TYPE=Release -DBALTERO_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
         -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON)
if command -v ccache >/dev/null 2>&1; then
  options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$dir" -G Ninja "${options[@]}"
cmake --build "$dir" --parallel "$(nproc)" --target Baltero baltero-db baltero-pg baltero-chart baltero-print user-guide
rm -f "$dir"/baltero_*.deb
(cd "$dir" && cpack -G DEB)
ls "$dir"/baltero_*.deb
