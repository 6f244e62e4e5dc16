#!/usr/bin/env bash
# tonvira-tool from the outside: arguments, exit statuses, messages and the files it writes, on the
# demo recording (C major, automatic bass); the texts and the MIDI rules are the unit tests'.
#
#   tests/e2e/tool_commands.sh TOOL
set -uo pipefail
source "$(dirname "$0")/../../tools/wine-harness.sh"
e2e_name=tool_commands passed=0 failed=0 tool="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")" work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$(dirname "$0")/../../docs/demo.qvi" "$work/歌.qvi" && cd "$work" && cp 歌.qvi same.mid || exit 1
printf 'MThd\0\0\0\6\0\0\0\1\0\140MTrk\0\0\1\0\0' >broken.mid
# Each row: the exit status, a line the output must hold (grep -E), the arguments.
while IFS='|' read -r status line arguments; do
  read -ra arguments <<<"$arguments"
  "$tool" "${arguments[@]}" >out.txt 2>&1
  check "${arguments[*]:-no command}: $status, $line" bash -c "[ $? = $status ] && grep -qE '$line' out.txt"
done <<'EOF'
2|^  tonvira-tool import 乐曲.mid |
2|^tonvira-tool: 不认识的选项 --bogus$|export 歌.qvi --bogus 1
2|^tonvira-tool: 乐器号应为0到127: 128$|export 歌.qvi --program 128
2|^tonvira-tool: -o 只能用于一个输入文件$|export 歌.qvi 歌.qvi -o x.mid
2|^tonvira-tool: 输出文件不能是输入文件 same.mid$|export same.mid
1|^不能找到或打开文件无.qvi.$|info 无.qvi 歌.qvi
1|^  调式: C大调$|info 无.qvi 歌.qvi
0|^歌.qvi -> 歌.mid$|export 歌.qvi --program 33
0|^歌.mid -> back.qvi: D大调, |import 歌.mid --track 1 --key D -o back.qvi
0|^歌.mid -> sharp.qvi: #c小调, |import 歌.mid --key c# -o sharp.qvi
1|^文件歌.mid中没有这一音轨. \(共2轨\)$|import 歌.mid --track 3
1|第1轨, 第18字节|import broken.mid
EOF
byte() { od -An -tx1 -j "$2" -N 1 "$1" | tr -d ' '; }
check "export: format 1 with the bass track, program 33" \
  test "$(byte 歌.mid 9)$(byte 歌.mid 11)$(byte 歌.mid 31)" = 010221
check "export never writes over its input, import writes nothing when it fails" \
  bash -c "cmp -s 歌.qvi same.mid && test ! -e broken.qvi"
e2e_finish
