#!/usr/bin/env bash
# Regenerates the fuzzers' seed corpora (fuzz/corpus/) with glowpack. The
# seeds are committed; run this only when the format's examples should change.
#   fuzz/make-seeds.sh [BUILD_DIR]     (default build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
glowpack=$build/bin/glowpack
[ -x "$glowpack" ] || { echo "build glowpack first (make build)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
archives=$root/fuzz/corpus/fuzz_archive
unpack=$root/fuzz/corpus/fuzz_unpack
rm -rf "$archives" "$unpack"
mkdir -p "$archives" "$unpack"

cd "$work"
printf 'the moth circles the lamp; the lamp hums. the moth circles the lamp; the lamp hums.\n' > text
printf 'tiny' > short
printf '\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b' > ramp
: > empty

"$glowpack" create "$archives/best.dat" text short empty
"$glowpack" create "$archives/chains.dat" -c 0x7402FFFF -d 0x00010001 text ramp
"$glowpack" create "$archives/plain.dat" -c 0 -d 0 short ramp short
# An archive on the end of another file, found through its footer.
{ printf 'ELF-ish program bytes'; cat "$archives/plain.dat"; } > "$archives/appended.bin"
# The empty archive: header, directory offset 12, length 0, empty directory, footer.
printf 'WQX3\x0c\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x1c\x00\x00\x003WQX' > "$archives/empty.dat"

# fuzz_unpack: a little-endian codec word, then the bytes stored under it
# (the first block of a one-entry archive, after its 4-byte length).
seed() {
    local name=$1 word=$2 wordbytes=$3 file=$4
    "$glowpack" create one.dat -c "$word" -d 0 "$file"
    local packed
    packed=$("$glowpack" list one.dat | cut -d' ' -f2)
    { printf "$wordbytes"; tail -c +17 one.dat | head -c "$packed"; } > "$unpack/$name"
}
seed none 0 '\x00\x00\x00\x00' short
seed zlib 1 '\x01\x00\x00\x00' text
seed delta16-zlib 0x00020001 '\x01\x00\x02\x00' ramp
seed delta32 0x00030000 '\x00\x00\x03\x00' ramp
seed murk-zlib 0x74000001 '\x01\x00\x00\x74' text
seed delta8-none-murk 0x74010000 '\x00\x00\x01\x74' ramp
ls -l "$archives" "$unpack"
