#!/usr/bin/env bash
# Fails when a C++ file of the repository is not formatted by its .clang-format: formatting never reaches a
# review. Mend with: clang-format -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."
bad=$(git ls-files -- '*.cpp' '*.h' | while read -r f; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || echo "  $f"; done)
if [ -n "$bad" ]; then
  echo "Not formatted (clang-format -i FILE):"
  echo "$bad"
  exit 1
fi
echo "Formatting: every C++ file as .clang-format has it."
