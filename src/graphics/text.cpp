// text.cpp -- the bitmap font: one glyph, and pre-formatted text in 37-character lines

#include "graphics/graphics.h"

enum : int32_t {
    FIRST_GLYPH = 33, // "!"
    LAST_GLYPH = 127, // the font's last glyph
};

void draw_glyph(int32_t c, int32_t x, int32_t y) {
    if (c < FIRST_GLYPH || c > LAST_GLYPH) return;
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
        draw_glyph(static_cast<signed char>(text[i]), x, y);
        x += grid.cell_width;
        if (++cells == grid.columns) {
            x = grid.left;
            y += grid.cell_height;
            cells = 0;
        }
    }
}
