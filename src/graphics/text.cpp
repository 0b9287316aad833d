// text.cpp -- the bitmap font: one glyph a byte (Windows-1252), and pre-formatted text in
// 37-character lines

#include "graphics/graphics.h"

enum : int32_t {
    FIRST_GLYPH = 33,       // "!"
    ASCII_GLYPHS_END = 127, // the last glyph of every font
    LAST_GLYPH = 255,       // the last code of a font that has the Windows-1252 glyphs
};

// Codes 33 to 127 are always drawn (a font that failed to load says so through the blitter).
// A code above 127 is drawn when the font picture reaches its column: the English font ends
// at 127, a font with the glyphs above 127 runs on to 255.
int font_has_glyph(int32_t c) {
    if (c < FIRST_GLYPH || c > LAST_GLYPH) return 0;
    if (c <= ASCII_GLYPHS_END) return 1;
    return font_picture && (c - FIRST_GLYPH + 1) * GLYPH_WIDTH <= font_picture->width;
}

void draw_glyph(int32_t c, int32_t x, int32_t y) {
    if (!font_has_glyph(c)) return;
    draw_picture_region(surface, x, y, GLYPH_WIDTH, GLYPH_HEIGHT, (c - FIRST_GLYPH) * GLYPH_WIDTH,
                        0, font_picture, plain);
}

// Line feeds, returns and spaces are empty cells like any code without a glyph; a line
// ends only after its last cell. Glyphs sit 2 pixels apart, and the last 2 rows of a glyph
// reach into the line below.
void draw_text(const char* text) {
    if (!text) return;
    const TextGrid& grid = QUESTION_GRID;
    size_t length = string_length(text);
    int32_t x = grid.left, y = grid.top, cells = 0;
    for (size_t i = 0; i < length; ++i) {
        draw_glyph(static_cast<unsigned char>(text[i]), x, y);
        x += grid.cell_width;
        if (++cells == grid.columns) {
            x = grid.left;
            y += grid.cell_height;
            cells = 0;
        }
    }
}
