#!/usr/bin/env bash
# cli/tests/import_out_of_memory.sh TOOL32 TOOL64 DIR: a Standard MIDI File of 10 million notes
# (60 MB, made once in DIR) is more than the 32-bit tool can import in the 2 GiB of address space a
# program has on 32-bit Windows (it needs more than 3 GiB): it says so on standard error, exits 1
# and writes no file. The 64-bit tool imports the same file. TOOL32 runs the tool under
# qemu-i386-static, whose QEMU_RESERVED_VA sets the size of its address space.
set -uo pipefail
source "$(dirname "$0")/../../tools/wine-harness.sh"
e2e_name=import_out_of_memory passed=0 failed=0
tool32="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
tool64="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
dir="$(cd "$3" && pwd)" && song="$dir/many-notes.mid" && work=$(mktemp -d -p "$dir") || exit 1
trap 'rm -rf "$work"' EXIT

# Middle C over and over, one tick (5.2 ms at 96 ticks a beat, 120 beats a minute) between events,
# in running status after the first: 6 bytes a note.
[ -f "$song" ] || /usr/bin/python3 - "$song" <<'EOF' || exit 1
import os, struct, sys
notes = 10_000_000
events = b"\x00\x90\x3c\x40\x01\x3c\x00" + b"\x01\x3c\x40\x01\x3c\x00" * (notes - 1) + b"\x00\xff\x2f\x00"
with open(sys.argv[1] + ".part", "wb") as f:
    f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 96) + b"MTrk" + struct.pack(">I", len(events)))
    f.write(events)
os.replace(sys.argv[1] + ".part", sys.argv[1])
EOF

cd "$work" || exit 1
QEMU_RESERVED_VA=2G "$tool32" import "$song" -o many.qvi >out.txt 2>err.txt
check "32-bit in 2 GiB: exit status 1, a message on standard error, no file" \
  bash -c "[ $? = 1 ] && [ ! -s out.txt ] && grep -qx 'tonvira-tool: 内存分配错误, 命令没有完成.' err.txt &&
           [ \"\$(ls)\" = \"\$(printf 'err.txt\nout.txt')\" ]"
rm -f ./*
"$tool64" import "$song" -o many.qvi >out.txt 2>&1
check "64-bit: all 10 million notes imported" \
  bash -c "[ $? = 0 ] && grep -q ', 10000000个音符, ' out.txt && [ -s many.qvi ]"
e2e_finish
