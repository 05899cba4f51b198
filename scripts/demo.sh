#!/usr/bin/env bash
# Installs what Velmora needs, builds it, and runs it: in a window when there is a display,
# otherwise a short headless sequence of pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF
if [[ -n "${DISPLAY:-}" && -x build/bin/velmora ]]; then
  exec build/bin/velmora --window
fi
if [[ -x build/bin/velmora-render ]]; then
  out="$PWD/out/demo"
  mkdir -p "$out"
  build/bin/velmora-render --frames 700 --dt 0.0285714 --size 960x540 --out "$out" --every 70 --stats
  echo "No display: the pictures are in $out"
  exit 0
fi
echo "Built; no program to run yet." >&2
