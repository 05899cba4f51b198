#!/usr/bin/env bash
# Configures and builds Velmora into build/ (programs in build/bin, resources in build/share/velmora).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@" > build-configure.log 2>&1 \
  || { cat build-configure.log; exit 1; }
rm -f build-configure.log
cmake --build build -j"$(nproc)"
