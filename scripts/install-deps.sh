#!/usr/bin/env bash
# Installs the Debian 12 packages Baltero needs to build, test and run,
# asking apt only for the ones that are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-translations-l10n libqt6printsupport6
  libsqlcipher-dev sqlcipher libssl-dev
  # the school's shared register on a server: the client library, and the
  # server the tests start a throw-away cluster of
  libpq-dev postgresql-15
  # Qt Charts (a child's progress window); its CMake files need Qt OpenGL's
  qt6-charts-dev libqt6opengl6-dev
  libgtest-dev googletest libbenchmark-dev
  xvfb xauth
  # pdftotext and pdftoppm: the printout and PDF report tests read the PDF back
  poppler-utils
  # a font with Chinese and Japanese glyphs: names in any script reach the PDFs
  fonts-wqy-microhei
  # strace: the interrupted-compaction tests kill the tool at a chosen system call
  strace
  # the validators of the desktop entry and the AppStream metainfo
  desktop-file-utils appstream
  # scripts/package.sh: dpkg-shlibdeps reads the package's dependencies
  dpkg-dev
  # clang with libFuzzer: scripts/fuzz.sh builds the fuzz targets with it
  clang-14 libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
