#!/usr/bin/env bash
# Sets up and runs the whole test suite: installs what is missing, builds, runs ctest.
# Windows are tested offscreen, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
export QT_QPA_PLATFORM=offscreen
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default -j"$(nproc)"
