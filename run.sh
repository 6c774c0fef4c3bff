#!/usr/bin/env bash
# Sets up and starts Lumograph: installs what is missing, builds, runs the program.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target lumograph
exec build/app/lumograph
