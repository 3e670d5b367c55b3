#!/usr/bin/env bash
# Remakes every picture the program carries from the SVG sources in resources/art/:
#   resources/pictures/*.png, resources/pictures/icon.ico and the desktop icons in
#   resources/icons/hicolor/. The build does not run this; the outputs are committed.
#
# Usage: scripts/render-pictures.sh [--preview DIR]
#   --preview DIR  also writes composites of the coach with its live elements in place
#                  (door closed and open, sign window, signboard) into DIR for a visual check.
#
# Needs rsvg-convert (librsvg2-bin), ImageMagick 6, python3 (for the .ico) and the IPAPGothic font
# (fonts-ipafont-gothic). Every output's size and colour depth is checked at the end.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
art="$root/resources/art"
out="$root/resources/pictures"
icons="$root/resources/icons/hicolor"
appid="io.github.totora.Totora"
convert=/usr/bin/convert
preview=""

while [ $# -gt 0 ]; do
  case "$1" in
    --preview) preview="${2:?--preview needs a folder}"; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    *) echo "render-pictures: unknown argument: $1" >&2; exit 2 ;;
  esac
done

for tool in rsvg-convert "$convert" identify file fc-list python3; do
  command -v "$tool" >/dev/null || { echo "render-pictures: $tool is missing" >&2; exit 1; }
done
# The switch faces and the lettering on the coach use IPAPGothic; without it librsvg falls
# back to another font (or to empty boxes) and the pictures would silently change.
fc-list : family | grep 'IPAPGothic' >/dev/null || {
  echo "render-pictures: the IPAPGothic font is missing (install fonts-ipafont-gothic)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# svg NAME [WIDTH HEIGHT] -> $work/NAME.png (RGBA, antialiased)
svg() {
  local name="$1"
  if [ $# -ge 3 ]; then
    rsvg-convert -w "$2" -h "$3" "$art/$name.svg" -o "$work/$name.png"
  else
    rsvg-convert "$art/$name.svg" -o "$work/$name.png"
  fi
}

# Opaque pictures: flatten onto white first so no alpha channel reaches the output.
palette256() {  # NAME  -> 8-bit colormap PNG
  "$convert" "$work/$1.png" -background white -alpha remove -alpha off \
    +dither -colors 256 -define png:exclude-chunks=date,time \
    PNG8:"$out/$1.png"
}
palette16() {   # NAME  -> 4-bit colormap PNG, opaque
  "$convert" "$work/$1.png" -background white -alpha remove -alpha off \
    +dither -colors 16 -define png:bit-depth=4 -define png:color-type=3 \
    -define png:exclude-chunks=date,time PNG8:"$out/$1.png"
}
truecolour() {  # NAME  -> 24-bit RGB PNG
  "$convert" "$work/$1.png" -background white -alpha remove -alpha off \
    -define png:exclude-chunks=date,time PNG24:"$out/$1.png"
}

echo "render-pictures: rendering from $art"

svg coach;         palette256 coach
svg door_leaf;     palette256 door_leaf
svg doorway;       truecolour doorway
svg glass_door_0;  truecolour glass_door_0
svg glass_door_1;  truecolour glass_door_1
svg switch_front;  palette16 switch_front
svg switch_middle; palette16 switch_middle

# The pointing-hand cursor keeps its alpha channel.
svg hand
"$convert" "$work/hand.png" -define png:exclude-chunks=date,time PNG32:"$out/hand.png"

# Window icon: 16 colours with a one-bit transparent background (the design's 16-colour
# icon). Alpha is cut at half so the palette needs one transparent entry only.
icon16() {  # SIZE OUTPUT
  rsvg-convert -w "$1" -h "$1" "$art/icon.svg" -o "$work/icon-$1-rgba.png"
  "$convert" "$work/icon-$1-rgba.png" -channel A -threshold 50% +channel \
    +dither -colors 16 -define png:bit-depth=4 -define png:color-type=3 \
    -define png:exclude-chunks=date,time PNG8:"$2"
}
icon16 32 "$out/icon.png"

# Windows icon: 16 and 32 px in 16 colours (4 bits a pixel, with a transparency mask),
# 48 px in 32-bit colour, 256 px as an embedded PNG. ImageMagick writes every entry with
# 32 bits a pixel, so the file is put together here.
icon16 16 "$work/ico-16.png"
rsvg-convert -w 48 -h 48 "$art/icon.svg" -o "$work/ico-48.png"
rsvg-convert -w 256 -h 256 "$art/icon.svg" -o "$work/ico-256.png"
"$convert" "$work/ico-256.png" -define png:exclude-chunks=date,time PNG32:"$work/ico-256-out.png"
for n in 16 48; do "$convert" "$work/ico-$n.png" -depth 8 RGBA:"$work/ico-$n.rgba"; done
"$convert" "$out/icon.png" -depth 8 RGBA:"$work/ico-32.rgba"
python3 - "$work" "$out/icon.ico" <<'PY'
import struct, sys
work, target = sys.argv[1], sys.argv[2]

def pixels(n):
    data = open(f"{work}/ico-{n}.rgba", "rb").read()
    assert len(data) == n * n * 4, f"ico-{n}: {len(data)} bytes"
    return [tuple(data[i:i + 4]) for i in range(0, len(data), 4)]

def and_mask(n, px):
    stride = ((n + 31) // 32) * 4
    out = b""
    for y in reversed(range(n)):
        row = bytearray(stride)
        for x in range(n):
            if px[y * n + x][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        out += bytes(row)
    return out

def header(n, bits, colours):
    return struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, bits, 0, 0, 0, 0, colours, 0)

def bmp4(n):
    px = pixels(n)
    palette = [(0, 0, 0)]
    for r, g, b, a in px:
        if a >= 128 and (r, g, b) not in palette:
            palette.append((r, g, b))
    if len(palette) > 16:
        sys.exit(f"icon {n}px has {len(palette)} colours; 16 at most")
    palette += [(0, 0, 0)] * (16 - len(palette))
    index = {c: i for i, c in reversed(list(enumerate(palette)))}
    stride = ((n * 4 + 31) // 32) * 4
    xor = b""
    for y in reversed(range(n)):
        row = bytearray(stride)
        for x in range(n):
            r, g, b, a = px[y * n + x]
            i = index[(r, g, b)] if a >= 128 else 0
            row[x // 2] |= i << 4 if x % 2 == 0 else i
        xor += bytes(row)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    return header(n, 4, 16) + pal + xor + and_mask(n, px), 16, 4

def bmp32(n):
    px = pixels(n)
    xor = b"".join(struct.pack("BBBB", b, g, r, a)
                   for y in reversed(range(n)) for r, g, b, a in px[y * n:(y + 1) * n])
    return header(n, 32, 0) + xor + and_mask(n, px), 0, 32

entries = [(16,) + bmp4(16), (32,) + bmp4(32), (48,) + bmp32(48),
           (256, open(f"{work}/ico-256-out.png", "rb").read(), 0, 32)]
offset = 6 + 16 * len(entries)
directory, images = b"", b""
for n, image, colours, bits in entries:
    directory += struct.pack("<BBBBHHII", n % 256, n % 256, colours, 0, 1, bits, len(image), offset)
    images += image
    offset += len(image)
with open(target, "wb") as f:
    f.write(struct.pack("<HHH", 0, 1, len(entries)) + directory + images)
PY

# Desktop icons (freedesktop hicolor theme), all from the same source.
sizes="16 24 32 48 64 128 256"
for n in $sizes; do
  mkdir -p "$icons/${n}x${n}/apps"
  rsvg-convert -w "$n" -h "$n" "$art/icon.svg" -o "$work/hicolor-$n.png"
  "$convert" "$work/hicolor-$n.png" -define png:exclude-chunks=date,time \
    PNG32:"$icons/${n}x${n}/apps/$appid.png"
done
mkdir -p "$icons/scalable/apps"
cp "$art/icon.svg" "$icons/scalable/apps/$appid.svg"

# ---- checks: every output has the size and the colour depth the program expects ----
failed=0
expect() {  # FILE WIDTH HEIGHT FILE(1)-PATTERN
  local f="$1" w="$2" h="$3" pattern="$4" size desc
  if [ ! -s "$f" ]; then echo "  MISSING $f" >&2; failed=1; return; fi
  size="$(identify -format '%wx%h' "$f[0]")"
  desc="$(file -b "$f")"
  if [ "$size" != "${w}x${h}" ]; then
    echo "  WRONG SIZE $f: $size, expected ${w}x${h}" >&2; failed=1
  elif ! grep -Eq "$pattern" <<<"$desc"; then
    echo "  WRONG DEPTH $f: $desc (expected $pattern)" >&2; failed=1
  else
    printf '  ok  %-40s %s\n' "${f#"$root"/}" "$desc"
  fi
}
expect "$out/coach.png"         868 255 '8-bit colormap'
expect "$out/door_leaf.png"      77 181 '8-bit colormap'
expect "$out/doorway.png"        77 181 '8-bit/color RGB,'
expect "$out/glass_door_0.png"   62 154 '8-bit/color RGB,'
expect "$out/glass_door_1.png"   62 154 '8-bit/color RGB,'
expect "$out/switch_front.png"   50  20 '4-bit colormap'
expect "$out/switch_middle.png"  50  20 '4-bit colormap'
expect "$out/icon.png"           32  32 '4-bit colormap'
expect "$out/hand.png"           32  32 '8-bit/color RGBA'
expect "$out/icon.ico"           16  16 'MS Windows icon resource - 4 icons, 16x16, 16 colors, 4 bits/pixel, 32x32, 16 colors, 4 bits/pixel'
for n in $sizes; do
  expect "$icons/${n}x${n}/apps/$appid.png" "$n" "$n" '8-bit/color RGBA'
done
# A 16-colour picture must really hold no more than 16 colours.
for f in "$out/icon.png" "$out/switch_front.png" "$out/switch_middle.png"; do
  c="$(identify -format '%k' "$f")"
  if [ "$c" -gt 16 ]; then echo "  TOO MANY COLOURS $f: $c" >&2; failed=1; fi
done
c="$(identify -format '%k' "$out/coach.png")"
[ "$c" -le 256 ] || { echo "  TOO MANY COLOURS coach.png: $c" >&2; failed=1; }
# The icon file must hold the 16, 32, 48 and 256 px images.
ico_sizes="$(identify -format '%w ' "$out/icon.ico")"
[ "$ico_sizes" = "16 32 48 256 " ] || { echo "  icon.ico holds: $ico_sizes" >&2; failed=1; }

if [ "$failed" -ne 0 ]; then
  echo "render-pictures: some outputs are wrong (see above)" >&2
  exit 1
fi

# ---- optional composites for a visual check ----
if [ -n "$preview" ]; then
  mkdir -p "$preview"
  # The door pictures are shown only inside the door outline.
  "$convert" -size 77x181 xc:black -fill white -stroke none \
    -draw "polygon 24,0 76,0 76,180 5,172 2,156 0,136 0,97 10,45" "$work/outline.png"
  for f in door_leaf doorway; do
    "$convert" "$out/$f.png" -alpha off "$work/outline.png" -compose CopyOpacity -composite \
      PNG32:"$work/$f-cut.png"
  done
  # The live elements: white sign window, signboard with its grey posts and bar.
  live=(-fill white -stroke none -draw "rectangle 157,117 206,135"
        -fill '#E0E0E0' -stroke '#808080' -draw "rectangle 703,119 707,151"
        -draw "rectangle 802,119 806,151" -draw "rectangle 703,150 806,153"
        -fill white -stroke none -draw "rectangle 708,120 801,149")
  "$convert" "$out/coach.png" -crop 868x254+0+0 +repage "${live[@]}" \
    "$work/door_leaf-cut.png" -geometry +18+55 -composite "$preview/closed.png"
  "$convert" "$out/coach.png" -crop 868x254+0+0 +repage "${live[@]}" \
    "$work/doorway-cut.png" -geometry +18+55 -composite \
    "$work/door_leaf-cut.png" -geometry +84+55 -composite "$preview/open.png"
  # The signboard at its reset place.
  "$convert" "$out/coach.png" -crop 868x254+0+0 +repage \
    -fill '#E0E0E0' -stroke '#808080' -draw "rectangle 589,106 593,138" \
    -draw "rectangle 688,106 692,138" -draw "rectangle 589,137 692,140" \
    -fill white -stroke none -draw "rectangle 594,107 687,136" \
    "$work/door_leaf-cut.png" -geometry +18+55 -composite "$preview/reset.png"
  for f in closed open reset; do
    "$convert" "$preview/$f.png" -scale 200% "$preview/$f-2x.png"
  done
  # The middle door leaves, folding, and the small pictures enlarged.
  "$convert" "$out/glass_door_0.png" "$out/glass_door_1.png" +append -scale 300% "$preview/glass-doors-3x.png"
  "$convert" "$out/switch_front.png" "$out/switch_middle.png" -append -scale 600% "$preview/switches-6x.png"
  "$convert" "$out/icon.png" -scale 800% "$preview/icon-8x.png"
  "$convert" "$out/hand.png" -background '#80a0c0' -alpha remove -scale 800% "$preview/hand-8x.png"
  echo "render-pictures: composites written to $preview"
fi
echo "render-pictures: done"
