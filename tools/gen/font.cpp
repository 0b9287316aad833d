// font.cpp -- the program's bitmap font: hand-drawn 4 x 12 glyphs written as font.nbf

#include "gen.h"

#include <cstdio>

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

} // namespace

// [SECTION] Font picture

// Writes font.nbf: 380 x 12, glyph of code c at columns (c - 33) * 4 .. + 3, ink in warm
// cream on the transparent index 255 (run-length picture, flag 1).
int write_font(const std::string& picture_dir) {
    if (!glyph_table_is_whole()) {
        std::fprintf(stderr, "quarnel-gen: the glyph table is misshapen\n");
        return 0;
    }
    const int width = glyph_count * glyph_width;
    const uint8_t ink = palette_index(Rgb{255, 244, 214});
    std::vector<uint8_t> indices(static_cast<size_t>(width) * glyph_height, 255);
    for (int c = first_code; c <= last_code; ++c)
        for (int r = 0; r < drawn_rows; ++r)
            for (int x = 0; x < glyph_width; ++x)
                if (glyph_ink(c, r, x))
                    indices[static_cast<size_t>(r) * width + (c - first_code) * glyph_width + x] =
                        ink;
    return write_picture(picture_dir + "/font.nbf", indices, width, glyph_height, glyph_width,
                         glyph_height, true);
}
