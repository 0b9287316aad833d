// font.cpp -- the program's bitmap font: hand-drawn 4 x 12 glyphs written as font.nbf, the
// ASCII ones for English and the Windows-1252 ones above 127 too for the other languages

#include "gen.h"

#include <cstdio>
#include <iterator>

// [SECTION] Glyphs
// The program draws text in cells 6 pixels wide and 10 rows apart, taking each glyph as a
// 4 x 12 block of the font picture, so the two columns after a glyph are the letter gap.
// Capitals and ascenders stand on rows 1 to 7 (baseline row 7), lower case takes rows 3 to
// 7, descenders rows 8 and 9. Rows 10 and 11 overlap the next text line and stay empty.
//
// The glyphs are drawn below in blocks of 16 codes side by side, one string per pixel row
// (rows 0 to 9), 4 characters per glyph and a space between glyphs; '#' is ink. Code 127
// is a small diamond, an ornament for texts that want one.

namespace {

const int first_code = 33;
const int last_code = 127;
const int glyph_count = last_code - first_code + 1;
const int glyphs_per_block = 16;
const int drawn_rows = 10;
const int glyph_width = 4;
const int glyph_height = 12;

// clang-format off
const char* const glyph_rows[] = {
    // !    "    #    $    %    &    '    (    )    *    +    ,    -    .    /    0
    ".... .... .... .... .... .... .... ..#. .#.. .... .... .... .... .... .... ....",
    ".#.. #.#. .... ..#. .... .#.. .#.. .#.. ..#. .... .... .... .... .... ...# .##.",
    ".#.. #.#. .#.# .### ##.# #.#. .#.. .#.. ..#. #.#. .... .... .... .... ..#. #..#",
    ".#.. .... #### #.#. ##.# #.#. .... .#.. ..#. .#.. .#.. .... .... .... ..#. #.##",
    ".#.. .... .#.# .### ..#. .#.. .... .#.. ..#. ###. .#.. .... .... .... .#.. ##.#",
    ".#.. .... #### ..## .#.. #.## .... .#.. ..#. .#.. ###. .... ###. .... .#.. #..#",
    ".... .... .#.# ###. #.## #.#. .... .#.. ..#. #.#. .#.. .... .... .... #... #..#",
    ".#.. .... .... ..#. #.## .#.# .... .#.. ..#. .... .#.. .#.. .... .#.. #... .##.",
    ".... .... .... .... .... .... .... ..#. .#.. .... .... .#.. .... .... .... ....",
    ".... .... .... .... .... .... .... .... .... .... .... #... .... .... .... ....",
    // 1    2    3    4    5    6    7    8    9    :    ;    <    =    >    ?    @
    ".... .... .... .... .... .... .... .... .... .... .... .... .... .... .... ....",
    ".#.. .##. .##. ..#. #### .##. #### .##. .##. .... .... .... .... .... .##. .##.",
    "##.. #..# #..# .##. #... #... ...# #..# #..# .... .... .... .... .... #..# #..#",
    ".#.. ...# ...# #.#. ###. #... ..#. #..# #..# .... .... ..#. .... #... ...# #.##",
    ".#.. ..#. .##. #.#. ...# ###. ..#. .##. .### .#.. .#.. .#.. ###. .#.. ..#. #.##",
    ".#.. .#.. ...# #### ...# #..# .#.. #..# ...# .... .... #... .... ..#. .#.. #.##",
    ".#.. #... #..# ..#. #..# #..# .#.. #..# ...# .... .... .#.. ###. .#.. .... #...",
    "###. #### .##. ..#. .##. .##. .#.. .##. .##. .#.. .#.. ..#. .... #... .#.. .##.",
    ".... .... .... .... .... .... .... .... .... .... .#.. .... .... .... .... ....",
    ".... .... .... .... .... .... .... .... .... .... #... .... .... .... .... ....",
    // A    B    C    D    E    F    G    H    I    J    K    L    M    N    O    P
    ".... .... .... .... .... .... .... .... .... .... .... .... .... .... .... ....",
    ".##. ###. .##. ###. #### #### .##. #..# ###. ..## #..# #... #..# #..# .##. ###.",
    "#..# #..# #..# #..# #... #... #..# #..# .#.. ...# #..# #... #### ##.# #..# #..#",
    "#..# #..# #... #..# #... #... #... #..# .#.. ...# #.#. #... #### ##.# #..# #..#",
    "#### ###. #... #..# ###. ###. #.## #### .#.. ...# ##.. #... #..# #.## #..# ###.",
    "#..# #..# #... #..# #... #... #..# #..# .#.. ...# #.#. #... #..# #.## #..# #...",
    "#..# #..# #..# #..# #... #... #..# #..# .#.. #..# #..# #... #..# #..# #..# #...",
    "#..# ###. .##. ###. #### #... .### #..# ###. .##. #..# #### #..# #..# .##. #...",
    ".... .... .... .... .... .... .... .... .... .... .... .... .... .... .... ....",
    ".... .... .... .... .... .... .... .... .... .... .... .... .... .... .... ....",
    // Q    R    S    T    U    V    W    X    Y    Z    [    \    ]    ^    _    `
    ".... .... .... .... .... .... .... .... .... .... .##. .... .##. .... .... ....",
    ".##. ###. .##. ###. #..# #.#. #..# #..# #.#. #### .#.. #... ..#. .#.. .... #...",
    "#..# #..# #..# .#.. #..# #.#. #..# #..# #.#. ...# .#.. .#.. ..#. #.#. .... .#..",
    "#..# #..# #... .#.. #..# #.#. #..# .##. #.#. ..#. .#.. .#.. ..#. .... .... ....",
    "#..# ###. .##. .#.. #..# #.#. #..# .##. .#.. .#.. .#.. ..#. ..#. .... .... ....",
    "#..# #.#. ...# .#.. #..# #.#. #### .##. .#.. #... .#.. ..#. ..#. .... .... ....",
    "#.#. #..# #..# .#.. #..# #.#. #### #..# .#.. #... .#.. ...# ..#. .... .... ....",
    ".#.# #..# .##. .#.. .##. .#.. #..# #..# .#.. #### .#.. ...# ..#. .... .... ....",
    ".... .... .... .... .... .... .... .... .... .... .##. .... .##. .... #### ....",
    ".... .... .... .... .... .... .... .... .... .... .... .... .... .... .... ....",
    // a    b    c    d    e    f    g    h    i    j    k    l    m    n    o    p
    ".... .... .... .... .... .... .... .... .... .... .... .... .... .... .... ....",
    ".... #... .... ...# .... ..## .... #... .#.. ..#. #... ##.. .... .... .... ....",
    ".... #... .... ...# .... .#.. .... #... .... .... #... .#.. .... .... .... ....",
    ".##. ###. .### .### .##. ###. .### ###. ##.. .##. #..# .#.. #### ###. .##. ###.",
    "...# #..# #... #..# #..# .#.. #..# #..# .#.. ..#. #.#. .#.. #.## #..# #..# #..#",
    ".### #..# #... #..# #### .#.. #..# #..# .#.. ..#. ##.. .#.. #.## #..# #..# #..#",
    "#..# #..# #... #..# #... .#.. #..# #..# .#.. ..#. #.#. .#.. #.## #..# #..# #..#",
    ".### ###. .### .### .### .#.. .### #..# ###. ..#. #..# ###. #.## #..# .##. ###.",
    ".... .... .... .... .... .... ...# .... .... ..#. .... .... .... .... .... #...",
    ".... .... .... .... .... .... .##. .... .... ##.. .... .... .... .... .... #...",
    // q    r    s    t    u    v    w    x    y    z    {    |    }    ~    127
    ".... .... .... .... .... .... .... .... .... .... ..## .#.. ##.. .... ....",
    ".... .... .... .#.. .... .... .... .... .... .... .#.. .#.. ..#. .... ....",
    ".... .... .... .#.. .... .... .... .... .... .... .#.. .#.. ..#. .... .##.",
    ".### #.## .### ###. #..# #.#. #..# #..# #..# #### .#.. .#.. ..#. .... ####",
    "#..# ##.. #... .#.. #..# #.#. #..# .##. #..# ..#. #... .#.. ...# .#.# ####",
    "#..# #... .##. .#.. #..# #.#. #### .##. #..# .#.. .#.. .#.. ..#. #.#. .##.",
    "#..# #... ...# .#.. #..# #.#. #### .##. #..# #... .#.. .#.. ..#. .... ....",
    ".### #... ###. ..## .### .#.. #..# #..# .### #### .#.. .#.. ..#. .... ....",
    "...# .... .... .... .... .... .... .... ...# .... ..## .#.. ##.. .... ....",
    "...# .... .... .... .... .... .... .... .##. .... .... .... .... .... ....",
};
// clang-format on

const int block_count = (glyph_count + glyphs_per_block - 1) / glyphs_per_block;
static_assert(sizeof(glyph_rows) / sizeof(glyph_rows[0]) == block_count * drawn_rows,
              "every block has one string per drawn row");

// The glyph of code c (first_code..last_code), row r (0..drawn_rows - 1), column x (0..3):
// 1 for ink.
int glyph_ink(int c, int r, int x) {
    int k = c - first_code;
    const char* row = glyph_rows[(k / glyphs_per_block) * drawn_rows + r];
    return row[(k % glyphs_per_block) * (glyph_width + 1) + x] == '#';
}

// Checks the table's shape: each row string holds exactly its block's glyphs.
int glyph_table_is_whole() {
    for (int b = 0; b < block_count; ++b) {
        int in_block = glyph_count - b * glyphs_per_block;
        if (in_block > glyphs_per_block) in_block = glyphs_per_block;
        size_t length = static_cast<size_t>(in_block * (glyph_width + 1) - 1);
        for (int r = 0; r < drawn_rows; ++r) {
            const std::string row = glyph_rows[b * drawn_rows + r];
            if (row.size() != length) return 0;
            for (size_t i = 0; i < row.size(); ++i) {
                bool gap = i % (glyph_width + 1) == static_cast<size_t>(glyph_width);
                if (gap ? row[i] != ' ' : row[i] != '#' && row[i] != '.') return 0;
            }
        }
    }
    return 1;
}

// [SECTION] Glyphs above 127 (Windows-1252)
// Accented letters are made from the letters above and a mark. A small letter keeps its rows
// 3 to 9 and takes the mark in rows 0 to 2; a capital gives up one of its seven rows (the
// first that repeats the row above it, else its fourth) to stand on rows 2 to 7 under a mark
// in rows 0 and 1. The cedilla hangs from the baseline in rows 8 and 9. The other letters and
// signs are drawn whole, ten rows of four as above.

enum Mark { no_mark, acute, grave, circumflex, diaeresis, tilde, ring, cedilla, caron };

// Each mark over a small letter (rows 0 to 2) and over a capital (rows 0 and 1); the
// cedilla's two rows go under the baseline.
const char* const small_marks[] = {
    "............", "......#..#..", ".....#....#.", ".....##.#..#", "....#..#....",
    ".....#.##.#.", ".#..#.#..#..", ".#..#.......", "....#..#.##.",
};
const char* const capital_marks[] = {
    "........", "..#..#..", ".#....#.", ".##.#..#", "#..#....",
    ".#.##.#.", ".##..##.", ".#..#...", "#..#.##.",
};

struct HighGlyph {
    int code;         // 128 to 255
    char base;        // the letter it is made from, or 0 for a glyph drawn whole
    Mark mark;        // the mark the letter takes
    const char* rows; // a glyph drawn whole: ten rows of four, '#' for ink
};

// clang-format off
const HighGlyph high_glyph_table[] = {
    {0x80, 0, no_mark, ".... .##. #..# ###. #... ###. #..# .##. .... ...."}, // euro
    {0x82, 0, no_mark, ".... .... .... .... .... .... .... .#.. .#.. #..."}, // low quote
    {0x84, 0, no_mark, ".... .... .... .... .... .... .... .#.# .#.# #.#."}, // low quotes
    {0x85, 0, no_mark, ".... .... .... .... .... .... .... #.#. .... ...."}, // ellipsis
    {0x8A, 'S', caron, nullptr},
    {0x8B, 0, no_mark, ".... .... .... .... ..#. .#.. ..#. .... .... ...."}, // angle quote
    {0x8C, 0, no_mark, ".... .### #.#. #.#. #.## #.#. #.#. .### .... ...."}, // OE
    {0x8E, 'Z', caron, nullptr},
    {0x91, 0, no_mark, ".... ..#. .#.. .#.. .... .... .... .... .... ...."}, // quotes
    {0x92, 0, no_mark, ".... .#.. .#.. #... .... .... .... .... .... ...."},
    {0x93, 0, no_mark, ".... .#.# #.#. #.#. .... .... .... .... .... ...."},
    {0x94, 0, no_mark, ".... .#.# .#.# #.#. .... .... .... .... .... ...."},
    {0x95, 0, no_mark, ".... .... .... .... .##. .##. .... .... .... ...."}, // bullet
    {0x96, 0, no_mark, ".... .... .... .... .... #### .... .... .... ...."}, // dashes
    {0x97, 0, no_mark, ".... .... .... .... .... #### .... .... .... ...."},
    {0x9A, 's', caron, nullptr},
    {0x9B, 0, no_mark, ".... .... .... .... .#.. ..#. .#.. .... .... ...."}, // angle quote
    {0x9C, 0, no_mark, ".... .... .... .#.# #.## #.## #.#. .#.# .... ...."}, // oe
    {0x9E, 'z', caron, nullptr},
    {0x9F, 'Y', diaeresis, nullptr},
    {0xA1, 0, no_mark, ".... .... .... .#.. .... .#.. .#.. .#.. .#.. .#.."}, // inverted !
    {0xA2, 0, no_mark, ".... .... ..#. .### #.#. #.#. .### ..#. .... ...."}, // cent
    {0xA3, 0, no_mark, ".... ..#. .#.# .#.. ###. .#.. .#.. #### .... ...."}, // pound
    {0xA7, 0, no_mark, ".... .##. #... .##. #..# .##. ...# .##. .... ...."}, // section
    {0xAA, 0, no_mark, ".... .##. #.#. .##. ###. .... .... .... .... ...."}, // ordinals
    {0xAB, 0, no_mark, ".... .... .... .... .#.# #.#. .#.# .... .... ...."}, // guillemet
    {0xB0, 0, no_mark, ".... .#.. #.#. .#.. .... .... .... .... .... ...."}, // degree
    {0xB1, 0, no_mark, ".... .... .#.. ###. .#.. .... ###. .... .... ...."}, // plus-minus
    {0xB2, 0, no_mark, ".... ##.. ..#. .#.. ###. .... .... .... .... ...."}, // squares
    {0xB3, 0, no_mark, ".... ##.. .##. ..#. ##.. .... .... .... .... ...."},
    {0xB5, 0, no_mark, ".... .... .... #..# #..# #..# #..# ###. #... #..."}, // micro
    {0xB7, 0, no_mark, ".... .... .... .... .#.. .... .... .... .... ...."}, // middle dot
    {0xB9, 0, no_mark, ".... .#.. ##.. .#.. ###. .... .... .... .... ...."},
    {0xBA, 0, no_mark, ".... .#.. #.#. .#.. ###. .... .... .... .... ...."},
    {0xBB, 0, no_mark, ".... .... .... .... #.#. .#.# #.#. .... .... ...."}, // guillemet
    {0xBF, 0, no_mark, ".... .... .... ..#. .... ..#. .#.. #... #..# .##."}, // inverted ?
    {0xC0, 'A', grave, nullptr},      {0xC1, 'A', acute, nullptr},
    {0xC2, 'A', circumflex, nullptr}, {0xC3, 'A', tilde, nullptr},
    {0xC4, 'A', diaeresis, nullptr},  {0xC5, 'A', ring, nullptr},
    {0xC6, 0, no_mark, ".... .### #.#. #.#. #### #.#. #.#. #.## .... ...."}, // AE
    {0xC7, 'C', cedilla, nullptr},
    {0xC8, 'E', grave, nullptr},      {0xC9, 'E', acute, nullptr},
    {0xCA, 'E', circumflex, nullptr}, {0xCB, 'E', diaeresis, nullptr},
    {0xCC, 'I', grave, nullptr},      {0xCD, 'I', acute, nullptr},
    {0xCE, 'I', circumflex, nullptr}, {0xCF, 'I', diaeresis, nullptr},
    {0xD0, 0, no_mark, ".... ###. #..# #..# ##.# #..# #..# ###. .... ...."}, // Eth
    {0xD1, 'N', tilde, nullptr},
    {0xD2, 'O', grave, nullptr},      {0xD3, 'O', acute, nullptr},
    {0xD4, 'O', circumflex, nullptr}, {0xD5, 'O', tilde, nullptr},
    {0xD6, 'O', diaeresis, nullptr},
    {0xD7, 0, no_mark, ".... .... .... #..# .##. .##. #..# .... .... ...."}, // times
    {0xD8, 0, no_mark, ".... .### #..# #.## ##.# #..# #..# ###. .... ...."}, // O slash
    {0xD9, 'U', grave, nullptr},      {0xDA, 'U', acute, nullptr},
    {0xDB, 'U', circumflex, nullptr}, {0xDC, 'U', diaeresis, nullptr},
    {0xDD, 'Y', acute, nullptr},
    {0xDE, 0, no_mark, ".... #... ###. #..# #..# ###. #... #... .... ...."}, // Thorn
    {0xDF, 0, no_mark, ".... .##. #..# #.#. #..# #..# #..# #.#. .... ...."}, // sharp s
    {0xE0, 'a', grave, nullptr},      {0xE1, 'a', acute, nullptr},
    {0xE2, 'a', circumflex, nullptr}, {0xE3, 'a', tilde, nullptr},
    {0xE4, 'a', diaeresis, nullptr},  {0xE5, 'a', ring, nullptr},
    {0xE6, 0, no_mark, ".... .... .... .##. ..## .### #.#. .### .... ...."}, // ae
    {0xE7, 'c', cedilla, nullptr},
    {0xE8, 'e', grave, nullptr},      {0xE9, 'e', acute, nullptr},
    {0xEA, 'e', circumflex, nullptr}, {0xEB, 'e', diaeresis, nullptr},
    {0xEC, 'i', grave, nullptr},      {0xED, 'i', acute, nullptr},
    {0xEE, 'i', circumflex, nullptr}, {0xEF, 'i', diaeresis, nullptr},
    {0xF0, 0, no_mark, ".... .#.# ..#. .#.# .### #..# #..# .##. .... ...."}, // eth
    {0xF1, 'n', tilde, nullptr},
    {0xF2, 'o', grave, nullptr},      {0xF3, 'o', acute, nullptr},
    {0xF4, 'o', circumflex, nullptr}, {0xF5, 'o', tilde, nullptr},
    {0xF6, 'o', diaeresis, nullptr},
    {0xF7, 0, no_mark, ".... .... .#.. .... ###. .... .#.. .... .... ...."}, // division
    {0xF8, 0, no_mark, ".... .... .... .### #.## #..# ##.# ###. .... ...."}, // o slash
    {0xF9, 'u', grave, nullptr},      {0xFA, 'u', acute, nullptr},
    {0xFB, 'u', circumflex, nullptr}, {0xFC, 'u', diaeresis, nullptr},
    {0xFD, 'y', acute, nullptr},
    {0xFE, 0, no_mark, ".... #... #... ###. #..# #..# #..# ###. #... #..."}, // thorn
    {0xFF, 'y', diaeresis, nullptr},
};
// clang-format on

// Fills the ten drawn rows of a glyph above 127 (ink[r * 4 + x]); 0 when the table is
// misshapen there.
int high_glyph_ink(const HighGlyph& g, int ink[drawn_rows * glyph_width]) {
    for (int i = 0; i < drawn_rows * glyph_width; ++i) ink[i] = 0;
    if (!g.base) {
        const std::string rows = g.rows ? g.rows : "";
        if (rows.size() != size_t(drawn_rows * (glyph_width + 1) - 1)) return 0;
        for (int r = 0; r < drawn_rows; ++r)
            for (int x = 0; x < glyph_width; ++x)
                ink[r * glyph_width + x] = rows[size_t(r * (glyph_width + 1) + x)] == '#';
        return 1;
    }
    const bool capital = g.base >= 'A' && g.base <= 'Z';
    const int base = g.base;
    if (g.mark == cedilla) { // the letter as it is, the hook below
        for (int r = 0; r < 8; ++r)
            for (int x = 0; x < glyph_width; ++x) ink[r * glyph_width + x] = glyph_ink(base, r, x);
        for (int k = 0; k < 2 * glyph_width; ++k)
            ink[8 * glyph_width + k] = small_marks[cedilla][k] == '#';
        return 1;
    }
    if (!capital) {
        for (int k = 0; k < 3 * glyph_width; ++k) ink[k] = small_marks[g.mark][k] == '#';
        for (int r = 3; r < drawn_rows; ++r)
            for (int x = 0; x < glyph_width; ++x) ink[r * glyph_width + x] = glyph_ink(base, r, x);
        return 1;
    }
    auto same_rows = [&](int a, int b) {
        for (int x = 0; x < glyph_width; ++x)
            if (glyph_ink(base, a, x) != glyph_ink(base, b, x)) return false;
        return true;
    };
    int dropped = 4;
    for (int r = 2; r <= 7; ++r)
        if (same_rows(r, r - 1)) {
            dropped = r;
            break;
        }
    for (int k = 0; k < 2 * glyph_width; ++k) ink[k] = capital_marks[g.mark][k] == '#';
    int to = 2;
    for (int r = 1; r <= 7; ++r) {
        if (r == dropped) continue;
        for (int x = 0; x < glyph_width; ++x) ink[to * glyph_width + x] = glyph_ink(base, r, x);
        to += 1;
    }
    return 1;
}

} // namespace

// [SECTION] Font picture

// Writes font.nbf: glyph of code c at columns (c - 33) * 4 .. + 3, ink in warm cream on the
// transparent index 255 (run-length picture, flag 1). 380 x 12 for codes 33 to 127; with the
// high glyphs 892 x 12, on to code 255, codes without a glyph left empty.
int write_font(const std::string& picture_dir, bool high_glyphs) {
    if (!glyph_table_is_whole()) {
        std::fprintf(stderr, "quarnel-gen: the glyph table is misshapen\n");
        return 0;
    }
    const int last = high_glyphs ? 255 : last_code;
    const int width = (last - first_code + 1) * glyph_width;
    const uint8_t ink = palette_index(Rgb{255, 244, 214});
    std::vector<uint8_t> indices(static_cast<size_t>(width) * glyph_height, 255);
    auto put = [&](int c, int r, int x) {
        indices[static_cast<size_t>(r) * width + (c - first_code) * glyph_width + x] = ink;
    };
    for (int c = first_code; c <= last_code; ++c)
        for (int r = 0; r < drawn_rows; ++r)
            for (int x = 0; x < glyph_width; ++x)
                if (glyph_ink(c, r, x)) put(c, r, x);
    for (const HighGlyph& g : high_glyphs ? std::vector<HighGlyph>(std::begin(high_glyph_table),
                                                                   std::end(high_glyph_table))
                                          : std::vector<HighGlyph>()) {
        int cells[drawn_rows * glyph_width];
        if (!high_glyph_ink(g, cells)) {
            std::fprintf(stderr, "quarnel-gen: the glyph of code %d is misshapen\n", g.code);
            return 0;
        }
        for (int r = 0; r < drawn_rows; ++r)
            for (int x = 0; x < glyph_width; ++x)
                if (cells[r * glyph_width + x]) put(g.code, r, x);
    }
    return write_picture(picture_dir + "/font.nbf", indices, width, glyph_height, glyph_width,
                         glyph_height, true);
}
