#!/usr/bin/env bash
# cli/tests/tool_commands.sh TOOL, on the demo recording. Each row: exit status|output line|arguments
set -uo pipefail
source "$(dirname "$0")/../../tools/wine-harness.sh"
e2e_name=tool_commands passed=0 failed=0 tool="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")" work=$(mktemp -d)
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
trap 'rm -rf "$work"' EXIT
cp "$source_dir/docs/demo.qvi" "$work/歌.qvi" && cd "$work" && cp 歌.qvi same.mid || exit 1
# A recording whose key/mode word (offset 76) is 1306: in the menu's range, but no key/mode.
cp 歌.qvi odd.qvi && printf '\x1a\x05' | dd of=odd.qvi bs=1 seek=76 conv=notrunc status=none
# Songs with no note, and with only a note no key reaches; one byte more than a MIDI file may have.
header='MThd\0\0\0\6\0\0\0\1\0\140MTrk\0\0\0'
printf "$header\4\0\377/\0" >empty.mid && printf "$header\14\0\220\177@\140\200\177\0\0\377/\0" >high.mid
mkfifo pipe.qvi pipe.mid && truncate -s $((256 * 1024 * 1024 + 1)) big.mid || exit 1
while IFS='|' read -r status line arguments; do
  read -ra arguments <<<"$arguments"
  "$tool" "${arguments[@]}" >out.txt 2>&1
  check "${arguments[*]:-no command}: $status, $line" bash -c "[ $? = $status ] && grep -qE '$line' out.txt"
done <<'EOF'
2|^  tonvira-tool import 乐曲.mid |
2|^tonvira-tool: 不认识的选项 --bogus$|export 歌.qvi --bogus 1
2|^tonvira-tool: 乐器号应为0到127: 128$|export 歌.qvi --program 128
2|^tonvira-tool: 选项 -o 后面少了值$|export 歌.qvi -o
2|^tonvira-tool: 没有这个调式: H$|import 歌.mid --key H
2|^tonvira-tool: 音轨号应从1数起: 0$|import 歌.mid --track 0
0|^歌.qvi -> zero.mid$|export 歌.qvi --program 0 -o zero.mid
2|^tonvira-tool: -o 只能用于一个输入文件$|export 歌.qvi 歌.qvi -o x.mid
2|^tonvira-tool: 输出文件不能是输入文件 same.mid$|export same.mid
1|^不能找到或打开文件无.qvi.$|info 无.qvi 歌.qvi
1|^  调式: C大调$|info 无.qvi 歌.qvi
0|^歌.qvi -> 歌.mid$|export 歌.qvi --program 33
0|^歌.mid -> back.qvi: #c小调, |import 歌.mid --track 1 --key c# -o back.qvi
1|^文件歌.mid中没有这一音轨. \(共2轨\)$|import 歌.mid --track 3
1|^文件same.mid不是标准的MIDI文件.$|import same.mid
1|^文件empty.mid中没有音符.$|import empty.mid
1|^文件high.mid中没有键盘能弹奏的音符.$|import high.mid
1|^文件big.mid太大: MIDI文件最多256 MB.$|import big.mid
1|^文件odd.qvi的调式是 1306 \(无此调式\), 不能导出.$|export odd.qvi
1|^不能创建文件missing/x.mid.$|export 歌.qvi -o missing/x.mid
1|^不能创建文件missing/x.qvi.$|import 歌.mid -o missing/x.qvi
1|^不能找到或打开文件none.sf2.$|render 歌.qvi --soundfont none.sf2
1|^文件same.mid不是SoundFont文件.$|render 歌.qvi --soundfont same.mid
1|^文件odd.qvi的调式是 1306 \(无此调式\), 不能播放.$|render odd.qvi --soundfont /usr/share/sounds/sf2/TimGM6mb.sf2
0|^歌.qvi -> 歌.wav: 0:2[0-9]\.[0-9]{3}$|render 歌.qvi --soundfont /usr/share/sounds/sf2/TimGM6mb.sf2
EOF
check "export: format 1 with the bass track, program 33 (bytes 9, 11 and 31)" bash -c \
  "od -An -tx1 -v 歌.mid | tr -d ' \n' | cut -c19-20,23-24,63-64 | grep -qx 010221"
check "export never writes over its input, import writes nothing when it fails" \
  bash -c "cmp -s 歌.qvi same.mid && test ! -e same.qvi && test ! -e empty.qvi && test ! -e high.qvi"
check "import --track 1: the melody alone, with the recording's lowest and highest notes" bash -c \
  "[ \"\$('$tool' info 歌.qvi | grep 最低音)\" = \"\$('$tool' info back.qvi | grep 最低音)\" ]"
version=$(sed -n 's/^project(Tonvira VERSION \([0-9.]*\) .*/\1/p' "$source_dir/CMakeLists.txt")
check "render: a 16-bit stereo WAV at 48 kHz, not silent" bash -c \
  "od -An -tx1 -N 44 -v 歌.wav | tr -d ' \n' | grep -q '^52494646.\{8\}57415645666d7420100000000100020080bb0000' &&
   ! cmp -s <(tail -c +45 歌.wav | head -c 4000000) <(head -c 4000000 /dev/zero)"
check "--version: the project's version, $version" bash -c "[ \"\$('$tool' --version 2>&1)\" = 'tonvira-tool $version' ]"

# Not a regular file: refused at once, never waiting for a writer.
for arguments in "info pipe.qvi" "export pipe.qvi" "notation pipe.qvi" "import pipe.mid"; do
  timeout 10 "$tool" $arguments >out.txt 2>&1
  check "$arguments: a FIFO is refused at once" bash -c "[ $? = 1 ] && grep -qx '不能找到或打开文件pipe.\(qvi\|mid\).' out.txt"
done
# Output that cannot be written: exit status 1 and a message.
for arguments in "notation 歌.qvi" "info 歌.qvi" "--version" "import 歌.mid -o full.qvi"; do
  "$tool" $arguments >/dev/full 2>out.txt
  check "$arguments > /dev/full: exit status 1 and a message" bash -c "[ $? = 1 ] && grep -qx 'tonvira-tool: 不能写入标准输出.' out.txt"
done

# Out of memory: with its address space held to 256 MiB, importing 3 million notes (21 MB) cannot
# be done; the tool says so and exits 1, and no recording is written. Skipped where the tool cannot
# start in so little (a sanitizer's shadow memory).
if (ulimit -v 262144 && "$tool" --version >/dev/null 2>&1); then
  [ -f many-notes.mid ] || /usr/bin/python3 - <<'EOF_PY'
import struct
events = b"".join(b"\x00\x90\x3c\x40\x01\x80\x3c\x00" for _ in range(3_000_000))
with open("many-notes.mid", "wb") as f:
    f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 96))
    f.write(b"MTrk" + struct.pack(">I", len(events) + 4) + events + b"\x00\xff\x2f\x00")
EOF_PY
  (ulimit -v 262144 && exec "$tool" import many-notes.mid -o many.qvi) >out.txt 2>&1
  check "out of memory: exit status 1, a message, no file" bash -c \
    "[ $? = 1 ] && grep -qx 'tonvira-tool: 内存分配错误, 命令没有完成.' out.txt && [ ! -e many.qvi ]"
else
  echo "skip out of memory: this tool does not start in 256 MiB of address space"
fi

# A real song that goes on in running status after meta events: from a Debian package, fetched once
# into the build tree; skipped, with the reason, when the package cannot be had.
debs="$source_dir/build/debian-files" song=usr/share/games/dink/dink/Sound/104.mid
if [ ! -f "$debs/$song" ]; then
  mkdir -p "$debs" && (cd "$debs" && timeout 300 apt-get download freedink-data >/dev/null 2>&1 &&
    dpkg-deb --fsys-tarfile freedink-data_*.deb | tar -x "./$song"; rm -f freedink-data_*.deb)
fi
if [ -f "$debs/$song" ]; then
  notes=$(/usr/bin/python3 -c "import mido, sys; print(sum(m.type == 'note_on' and m.velocity > 0
    for t in mido.MidiFile(sys.argv[1]).tracks for m in t))" "$debs/$song")
  "$tool" import "$debs/$song" -o dink.qvi >out.txt 2>&1
  status=$? taken=$(($(sed -n 's/.*, \([0-9]*\)个音符, .*/\1/p; s/^提示: \([0-9]*\)个音符与同时开始.*/\1/p' out.txt | paste -sd+)+0))
  check "freedink-data's 104.mid: all of its $notes notes taken (kept, or merged with a double)" \
    test "$status $taken" = "0 $notes"
  check "its notation: every note kept, a line each after the two of the heading" \
    test "$("$tool" notation dink.qvi | wc -l)" = "$(($(sed -n 's/.*, \([0-9]*\)个音符, .*/\1/p' out.txt) + 2))"
else
  echo "skip freedink-data's 104.mid: the package could not be downloaded"
fi
e2e_finish
