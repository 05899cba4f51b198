#!/usr/bin/env bash
# Installs what the tests need, builds, and runs every test (unit, GL, fuzz corpora, desktop).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --test
bash scripts/build.sh -DVELMORA_TESTS=ON -DVELMORA_BENCH=ON
cd build
ctest --output-on-failure -j"$(nproc)" --timeout 900
