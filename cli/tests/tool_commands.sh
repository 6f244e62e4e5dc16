#!/usr/bin/env bash
# cli/tests/tool_commands.sh TOOL, on the demo recording. Each row: exit status|output line|arguments
set -uo pipefail
source "$(dirname "$0")/../../tools/wine-harness.sh"
e2e_name=tool_commands passed=0 failed=0 tool="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")" work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$(dirname "$0")/../../docs/demo.qvi" "$work/歌.qvi" && cd "$work" && cp 歌.qvi same.mid || exit 1
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
0|^歌.mid -> back.qvi: #c小调, |import 歌.mid --track 1 --key c# -o back.qvi
1|^文件歌.mid中没有这一音轨. \(共2轨\)$|import 歌.mid --track 3
1|^文件same.mid不是标准的MIDI文件.$|import same.mid
EOF
check "export: format 1 with the bass track, program 33 (bytes 9, 11 and 31)" bash -c \
  "od -An -tx1 -v 歌.mid | tr -d ' \n' | cut -c19-20,23-24,63-64 | grep -qx 010221"
check "export never writes over its input, import writes nothing when it fails" \
  bash -c "cmp -s 歌.qvi same.mid && test ! -e same.qvi"
e2e_finish
