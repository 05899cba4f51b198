#!/usr/bin/env bash
# Installs what the tests need, builds, and runs every test (unit, GL, fuzz corpora, desktop),
# builds the Debian package and tries it as installed, then runs the whole suite again in a
# build with AddressSanitizer and UndefinedBehaviorSanitizer.
#
#   scripts/test.sh            everything: 17 to 20 minutes on two busy cores from a clean
#                              clone (each build 5 to 7.5 minutes, each suite 2 to 3, the
#                              package 3)
#   scripts/test.sh --quick    the normal build's suite only (no package, no sanitizers)
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
case ${1:-} in
  --quick) quick=1 ;;
  "") ;;
  -h | --help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "test.sh: unknown argument $1 (try --help)" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh --test
bash scripts/build.sh -DVELMORA_TESTS=ON -DVELMORA_BENCH=ON
(cd build && ctest --output-on-failure -j"$(nproc)" --timeout 900)
if [ "$quick" -eq 0 ]; then
  # The Debian package: built, checked by lintian, installed, run under XScreenSaver, purged.
  bash scripts/package.sh --install
  bash scripts/sanitize.sh
fi
