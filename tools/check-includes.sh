#!/usr/bin/env bash
# Includes run one way: the portable core (engine/ and recording/, which records what the key
# events play) includes nothing of the window program (app/), the console tool (cli/) or the
# synthesizer (synth/); the synthesizer uses only the core's platform seam and file messages, and
# never app/ or cli/; those two build on the core and the synthesizer and never on each other. Tests (cli/tests/ beside the tool) may include what
# they test and the shared test helpers. A file that breaks this fails the run.
set -uo pipefail
cd "$(dirname "$0")/.."
allowed() { # folder -> the project folders its files may include
  case "$1" in
    engine | recording) echo "engine recording" ;;
    synth) echo "engine recording synth" ;;
    app) echo "engine recording synth app resources" ;;
    cli) echo "engine recording synth cli" ;;
  esac
}
passed=0 failed=0
for folder in engine recording synth app cli; do
  [ -d "$folder" ] || continue
  bad=$(grep -rnoE --exclude-dir=tests '#include +"[a-z_]+/' "$folder" | while IFS=: read -r file line include; do
    target=${include#*\"}; target=${target%/}
    [[ " $(allowed "$folder") " == *" $target "* ]] || echo "$file:$line includes $target/"
  done)
  if [ -n "$bad" ]; then
    echo "$bad"; failed=$((failed + 1))
  else
    passed=$((passed + 1))
  fi
done
echo "includes: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
