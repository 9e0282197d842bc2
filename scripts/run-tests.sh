#!/usr/bin/env bash
# Runs every test through ctest on a virtual X display (the windows under test need one).
set -euo pipefail
build=${1:-build}
"$(dirname "$0")/check-host.sh"
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  ctest --test-dir "$build" --output-on-failure --timeout 600 -j 2
