#!/usr/bin/env bash
# tonvira-tool from the outside: exit statuses, messages, output names, and a recording exported
# and brought back in. Recordings are written by tests/e2e/recording_file.py, not by the tool.
#
#   tests/e2e/tool_commands.sh TOOL
set -uo pipefail
tool="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
root="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
passed=0 failed=0
check() { # description, then a command that must succeed
  local what="$1"
  shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $what"; else failed=$((failed + 1)); echo "FAIL $what"; fi
}
run() { "$tool" "$@" >out.txt 2>err.txt; echo $?; }
byte() { od -An -tx1 -j "$2" -N 1 "$1" | tr -d ' '; }

# D major with automatic bass: A pressed at 1 s for half a second, then Shift+S.
python3 "$root/tests/e2e/recording_file.py" write 歌.qvi 1298 1 \
  "1000 256 30 0" "500 257 30 0" "100 256 31 1" "200 257 31 1"

check "no command: usage error" test "$(run)" = 2
check "the usage text lists import" grep -q "tonvira-tool import" err.txt
check "unknown option: usage error" test "$(run export 歌.qvi --bogus 1)" = 2
check "program 128: usage error" test "$(run export 歌.qvi --program 128)" = 2
check "-o with two inputs: usage error" test "$(run export 歌.qvi 歌.qvi -o x.mid)" = 2
check "a missing file: file error" test "$(run info 无.qvi 歌.qvi)" = 1
check "with the program's own message" grep -qx "不能找到或打开文件无.qvi." err.txt
check "and the other file still described" grep -q "调式: D大调" out.txt
check "info" test "$(run info 歌.qvi)" = 0
check "info: bass, notes, duration, chords" bash -c 'grep -q "自动低音: 开" out.txt &&
  grep -q "事件: 4, 音符: 2" out.txt && grep -q "时长: 0:01.800" out.txt &&
  grep -q "Shift和弦: 有, Ctrl和弦: 无" out.txt'
check "notation" test "$(run notation 歌.qvi)" = 0
check "notation: Shift+S sounds E5" grep -q "^0:01.600  0.200   2     Shift+S   E5$" out.txt
check "export, named after the recording" test "$(run export 歌.qvi --program 33)" = 0
check "format 1 with the bass track, program 33" \
  test "$(byte 歌.mid 9)$(byte 歌.mid 11)$(byte 歌.mid 31)" = 010221
check "export never writes over its input" bash -c "cp 歌.qvi same.mid && test \"\$('$tool' export same.mid 2>/dev/null; echo \$?)\" = 2 && cmp -s 歌.qvi same.mid"
check "import of the melody track" test "$(run import 歌.mid --track 1 --key D -o back.qvi)" = 0
check "comes back in the key asked for" bash -c "'$tool' info back.qvi | grep -q '调式: D大调'"
check "with the same keys" bash -c "'$tool' notation back.qvi | grep -q '^0:00.997  0.498   1     A         D4$'"
check "keys named with the sign after the letter" bash -c "'$tool' import 歌.mid -o sharp.qvi --key c# >/dev/null &&
  '$tool' info sharp.qvi | grep -q '调式: #c小调'"
check "a track that is not there: file error" test "$(run import 歌.mid --track 3)" = 1
printf 'MThd\0\0\0\6\0\0\0\1\0\140MTrk\0\0\1\0\0' >broken.mid
check "a broken MIDI file: file error" test "$(run import broken.mid)" = 1
check "saying where" grep -q "第1轨, 第18字节" err.txt
check "and nothing written" test ! -e broken.qvi
echo "tool commands: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
