#!/usr/bin/env bash
# Installs what is missing, builds Release into build/ and runs every test
# through CTest.
set -euo pipefail
cd "$(dirname "$0")"
tools/install_deps.sh
cmake --preset release
cmake --build --preset release
ctest --preset release "$@"
