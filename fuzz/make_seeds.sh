#!/usr/bin/env bash
# make_seeds.sh - writes the seed corpora of the fuzz targets to fuzz/corpus/<target>/: a few
# small valid inputs of each format and broken copies of them (cut short, one field damaged).
# `make test` runs every target over its folder once. Run this again when a format changes and
# commit the result. Needs the native-release patchkit (built here), ImageMagick and the MinGW
# resource compiler.
set -euo pipefail
cd "$(dirname "$0")/.."
out=fuzz/corpus
build=build/native-release
[[ -f $build/build.ninja ]] || cmake --preset native-release >/dev/null
cmake --build "$build" --target patchkit >/dev/null
patchkit=$build/tools/patchkit
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -rf "$out"
mkdir -p "$out"/fuzz_{bmp,directory,font,jpeg,lzw,member_reads,ml,pe_version,store,tga}

# seed TARGET NAME FILE: a valid input, with a copy cut in half and one with a byte flipped
# in its first 64 bytes.
seed() {
    local dir=$out/$1 name=$2 file=$3 size
    size=$(stat -c %s "$file")
    cp "$file" "$dir/$name"
    head -c $((size / 2)) "$file" >"$dir/$name.cut"
    python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); i = min(len(b), 64) // 3; b[i] ^= 0xFF; sys.stdout.buffer.write(b)' \
        "$file" >"$dir/$name.flip"
}

# Pictures: one of each depth the loaders read, a few pixels each.
convert -size 5x3 gradient:red-blue "$work/rgb.png"
convert "$work/rgb.png" -type TrueColor "BMP3:$work/rgb24.bmp"
convert "$work/rgb.png" -type Palette -colors 4 "BMP3:$work/palette.bmp"
convert "$work/rgb.png" -alpha on -define bmp:format=bmp4 "$work/argb32.bmp"
seed fuzz_bmp rgb24.bmp "$work/rgb24.bmp"
seed fuzz_bmp palette.bmp "$work/palette.bmp"
seed fuzz_bmp argb32.bmp "$work/argb32.bmp"
convert "$work/rgb.png" -quality 50 "$work/baseline.jpg"
convert "$work/rgb.png" -interlace JPEG "$work/progressive.jpg"
convert "$work/rgb.png" -colorspace Gray "$work/gray.jpg"
for name in baseline progressive gray; do seed fuzz_jpeg "$name.jpg" "$work/$name.jpg"; done
convert "$work/rgb.png" -compress None "$work/plain.tga"
convert "$work/rgb.png" -compress RLE "$work/rle.tga"
convert "$work/rgb.png" -alpha on -compress None "$work/alpha.tga"
for name in plain rle alpha; do seed fuzz_tga "$name.tga" "$work/$name.tga"; done

# Archives: every method and both directory versions.
mkdir -p "$work/tree/Icons"
printf 'installer data, installer data, installer data\n' >"$work/tree/patcher.txt"
head -c 300 /dev/zero | tr '\0' 'A' >"$work/tree/Icons/icon.tga"
: >"$work/tree/empty.txt"
for method in store lzw scramble; do
    for version in 0 1; do
        "$patchkit" pack "$work/tree" "$work/$method$version.cbf" --method "$method" \
            --dir-version "$version" >/dev/null
        seed fuzz_directory "$method$version.cbf" "$work/$method$version.cbf"
    done
done

# Fonts (also stores): a few glyphs of the system's sans face.
face=$(fc-match -f '%{file}' sans)
"$patchkit" font "$face" "$work/small.fnt" --size 8 --first 65 --count 3 >/dev/null
"$patchkit" font "$face" "$work/digits.fnt" --size 11 --first 48 --count 2 >/dev/null
for name in small digits; do
    seed fuzz_font "$name.fnt" "$work/$name.fnt"
    seed fuzz_store "$name.fnt" "$work/$name.fnt"
done

# Version resources: the test libraries' PE images (first byte 0: an image follows).
for rc in tests/installlib/data/version_5_1.rc tests/patcher/data/version_plain.rc; do
    name=$(basename "$rc" .rc)
    x86_64-w64-mingw32-windres "$rc" -O coff -o "$work/$name.o"
    x86_64-w64-mingw32-gcc -shared -nostdlib -s -o "$work/$name.dll" \
        tests/installlib/data/resource_only.c "$work/$name.o"
    { printf '\0'; cat "$work/$name.dll"; } >"$work/$name.in"
    seed fuzz_pe_version "$name" "$work/$name.in"
done

# Definitions, LZW streams and member data: small texts and byte strings.
python3 - "$out" <<'EOF'
import os, sys
out = sys.argv[1]

def write(target, name, data):
    with open(os.path.join(out, target, name), "wb") as f:
        f.write(data)

texts = {
    "plain.txt": b"#300:\n#ENG Caption\n#301:\n#ENG run.exe\n#301:\n#GER laufen.exe\n",
    "defines.txt": b"#DEFINE GAME Space Race\n#1:\n#ENG Welcome to $GAME$!\n#2:\n#ENG a\\nb $NOPE$\n",
    "comments.txt": b"/* #FRA c */\n#1:\n#ENG fine // note\n#2:\nnot a command\n#POL e\n",
    "utf16.txt": "\ufeff#1:\r\n#ENG first\r\n#2:\r\n#ENG end".encode("utf-16-le"),
    "broken.txt": b"#1\n#ENG\n#:\n#99999999999:\n#DEFINE\n$$$\n",
}
for name, data in texts.items():
    write("fuzz_ml", name, data)

# fuzz_lzw: byte 0 even decodes bytes 3.. into a buffer of bytes 1-2; odd round-trips the rest.
text = b"TOBEORNOTTOBEORTOBEORNOT" * 4
write("fuzz_lzw", "roundtrip", b"\x01" + text)
write("fuzz_lzw", "roundtrip-bytes", b"\x01" + bytes(range(256)))
write("fuzz_lzw", "decode-small", b"\x00\x40\x00" + bytes([0x54, 0x4F, 0x42, 0x45, 0x4F, 0x52, 0x4E]))
write("fuzz_lzw", "decode-noise", b"\x00\x00\x01" + bytes((i * 73 + 11) % 256 for i in range(200)))
write("fuzz_lzw", "decode-empty", b"\x00\x10\x00")

# fuzz_member_reads: LZW block size (2 bytes), data size (2 bytes), the data, then the reads
# and seeks.
write("fuzz_member_reads", "text", b"\x20\x00" + len(text).to_bytes(2, "little") + text + bytes(range(0, 240, 7)))
write("fuzz_member_reads", "one-block", b"\xff\xff\x00\x01" + bytes(range(256)) + b"\x05\x81\xf0\x10")
write("fuzz_member_reads", "no-data", b"\x01\x00\x00\x00\x03\x04")

# fuzz_store: a bitmap group of 2 x 1 pixels, and a record whose size runs past the end.
def u32s(*values):
    return b"".join(v.to_bytes(4, "little") for v in values)
MAGIC, GROUP, CHUNK, BITMAP = 0x2E5C2F2E, 1, 2, 0x1001
def chunk(id, content):
    return u32s(MAGIC, 0, id, 24, len(content), CHUNK) + content
def group(type, id, content, name=b""):
    return u32s(MAGIC, type, id, 24 + len(name) + 1, len(content), GROUP) + name + b"\0" + content
bitmap = group(BITMAP, 7, chunk(1, u32s(0, 0, 2, 1)) + chunk(2, u32s(0xFF0000FF, 0xFF00FF00)), b"pic")
write("fuzz_store", "bitmap", bitmap)
write("fuzz_store", "overlong", u32s(MAGIC, BITMAP, 7, 24, 0x7FFFFFFF, GROUP))
EOF
du -sh "$out"
