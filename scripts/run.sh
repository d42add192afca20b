#!/usr/bin/env bash
# Installs what is missing, builds Baltero in release mode, creates the
# delivered database and settings file beside the program when they are
# absent, and starts the program (arguments are passed on).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" release

bin="$root/build/release/app"
# A new database comes with the example questionnaire, so a compilation can
# be filled in as soon as a child and an educator are added.
[ -e "$bin/Baltero.mdb" ] || "$bin/baltero-db" create "$bin/Baltero.mdb" --with-example-questionnaire
[ -e "$bin/Baltero.ini" ] || "$bin/baltero-db" create-settings "$bin/Baltero.ini"

exec "$bin/Baltero" "$@"
