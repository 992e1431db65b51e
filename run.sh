#!/usr/bin/env bash
# Installs what is missing, builds Release into build/ and starts Nodalux
# from its program folder build/dist/.
set -euo pipefail
cd "$(dirname "$0")"
tools/install_deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec build/dist/nodalux "$@"
