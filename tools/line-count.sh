#!/usr/bin/env bash
# Non-blank lines of the program and of its tests, and the tests' share of the program.
# Program: app/, engine/, recording/, cli/ and the resource script and identifiers; tests: tests/
# without the benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
  git ls-files -- "$@" | grep -E '\.(cpp|cc|c|h|hpp|rc|py|sh)$' | grep -v '^tests/bench/' |
    xargs -r cat | grep -c -v -E '^\s*$' || true
}
program=$(count app engine recording cli 'resources/*.rc' 'resources/*.h')
tests=$(count tests)
echo "program: $program lines; tests: $tests lines = $((100 * tests / program)) % of the program"
