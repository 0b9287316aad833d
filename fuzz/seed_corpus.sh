#!/usr/bin/env bash
# seed_corpus.sh -- seed corpora of the fuzz harnesses, made from a generated install folder
#   fuzz/seed_corpus.sh INSTALL_FOLDER OUT_DIR
# Writes OUT_DIR/picture, palette, card_db, blit, text, card_texts and journal (each emptied
# first).
set -euo pipefail
install=${1:?install folder}
out=${2:?output folder}
pictures=$install/picture
[ -f "$pictures/main.plf" ] || { echo "no install folder at $install" >&2; exit 1; }

for harness in picture palette card_db blit text card_texts journal; do
  rm -rf "${out:?}/$harness"
  mkdir -p "$out/$harness"
done

# Pictures: every shipped picture as it is.
cp "$pictures"/*.nbf "$out/picture/"

# Palette: the shipped one, and one that stops half way.
cp "$pictures/main.plf" "$out/palette/main.plf"
head -c 384 "$pictures/main.plf" > "$out/palette/half.plf"

# Card texts: the first byte picks the record, the rest is the file; the whole file for a
# few records, and its first records alone for the others.
for record in 0 1 2 77 154 155; do
  { printf "\\x$(printf %02x "$record")"; cat "$pictures/CardDB.dat"; } > "$out/card_db/whole_$record"
done
for record in 0 3 5 8; do
  { printf "\\x$(printf %02x "$record")"; head -c 3000 "$pictures/CardDB.dat"; } \
    > "$out/card_db/head_$record"
done

# Card text files of quarnel-deck: the shipped ones, each alone, and all 156 entries in one.
texts=$(cd "$(dirname "$0")/../tools/card_texts" && pwd)
cp "$texts"/*.txt "$out/card_texts/"
cat "$texts"/*.txt > "$out/card_texts/all"

# Blits: blitter, mode, capacity, small capacity (2 bytes), options, then x, y, w, h, frame
# index, source x, source y as 32-bit values, then a picture file.
le32() { # one little-endian 32-bit value as printf escapes
  local v=$(($1 & 0xFFFFFFFF))
  printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) \
    $((v >> 24 & 255))
}
blit_seed() { # name blitter mode capacity x y w h index sx sy picture
  local name=$1 params
  params="\\x$(printf %02x "$2")\\x$(printf %02x "$3")\\x$(printf %02x "$4")\\x10\\x10\\x00"
  for v in "$5" "$6" "$7" "$8" "$9" "${10}" "${11}"; do params+=$(le32 "$v"); done
  { printf "$params"; cat "$pictures/${12}"; } > "$out/blit/$name"
}
blit_seed ball_plain 0 0 0 226 67 0 0 0 0 0 scroll_ball.nbf
blit_seed back_left_edge 0 2 0 -5 270 0 0 0 0 0 newback.nbf
blit_seed frame_turned 1 2 0 200 300 10 6 1 0 0 frame_scroll_02_up.nbf
blit_seed frame_mirrored 1 1 1 -3 -7 12 17 0 0 0 frame_scroll_02_down.nbf
blit_seed region_glyph 2 0 2 11 10 4 12 0 128 0 font.nbf
blit_seed region_mirrored 2 1 5 230 310 20 20 0 4 2 newnext.nbf

# Text: question-like lines and the start of a few card texts.
printf '     Does my lover care for me?' > "$out/text/question"
printf 'Does my lover have high standards andgood values?' > "$out/text/two_lines"
printf 'AB\r\n\t \x7f\xc8!~' > "$out/text/codes"
n=0
for f in "$(dirname "$0")"/../tools/card_texts/*.txt; do
  head -c 400 "$f" > "$out/text/card_text_$n"
  n=$((n + 1))
done
# Journals: the format's own example, and entries of every shape the reader knows.
sed -n '/^```markdown$/,/^```$/p' "$(dirname "$0")/../docs/journal.md" | sed '1d;$d' \
  > "$out/journal/example.md"
cat > "$out/journal/shapes.md" <<'JOURNAL'
# My readings

## Desire reading, 2026-01-31 08:00

the fool, upright. A lower-case name.
A note under the card.

## Money reading, 2026-02-01 19:00

Drawn from my own deck.  
Deck: /home/ana/deck

Card 1 of 8: Concerns regarding money?  
Ace of Coins, reversed. Meaning.

A note between blocks.

Card 2 of 8  
Not drawn.

Card 3 of 8  
Face down.

Card 4 of 8  
2 of Cups, upright.

Card 5 of 8  
Judgment, upright.

Card 6 of 8  
The Wheel of Fortune, reversed.

Card 7 of 8  
Face down.

Card 8 of 8  
Queen of Disks, upright.

\## Not a heading

## Past reading, 2026-02-30 10:00

Card 1 of 3  
The Foool, upright.
JOURNAL
printf '## Today reading, 2026-02-03 07:30\r\n\r\nThree of Cups, reversed.\r\n' > "$out/journal/crlf.md"
echo "seed corpora in $out"
