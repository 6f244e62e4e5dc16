#!/usr/bin/env bash
# Non-blank lines of code and of its tests, and the tests' share: the program (app/, engine/,
# recording/, the resource script and identifiers) against tests/ without the benchmarks, the
# console tool (cli/) and the synthesizer (synth/) each against its own tests (cli/tests/,
# synth/tests/), and all together.
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
  git ls-files -- "$@" | grep -E '\.(cpp|cc|c|h|hpp|rc|py|sh)$' | grep -v -E '^(tests/bench|cli/tests|synth/tests)/' |
    xargs -r cat | grep -c -v -E '^\s*$' || true
}
share() { awk -v a="$1" -v b="$2" -v c="$3" -v d="$4" 'BEGIN { printf "%s: %d lines; %s: %d lines = %.1f %%\n", a, b, c, d, 100 * d / b }'; }
program=$(count app engine recording 'resources/*.rc' 'resources/*.h') tests=$(count tests)
own_tests() { git ls-files -- "$1" | grep -E '\.(cpp|h|sh|py)$' | xargs -r cat | grep -c -v -E '^\s*$' || true; }
tool=$(count cli) tool_tests=$(own_tests cli/tests) synth=$(count synth) synth_tests=$(own_tests synth/tests)
share "program" "$program" "tests/" "$tests"
share "tool (cli/)" "$tool" "its tests (cli/tests/)" "$tool_tests"
share "synthesizer (synth/)" "$synth" "its tests (synth/tests/)" "$synth_tests"
share "all" "$((program + tool + synth))" "all tests" "$((tests + tool_tests + synth_tests))"
