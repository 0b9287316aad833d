// text.cpp -- the bitmap font: one glyph, and pre-formatted text in 37-character lines

#include "graphics/graphics.h"

enum : int32_t {
    FIRST_GLYPH = 33, // "!"
    LAST_GLYPH = 127, // the font's last glyph
    CELL_WIDTH = 6,   // glyphs sit 2 pixels apart
    LINE_HEIGHT = 10, // the last 2 rows of a glyph reach into the line below
    LINE_CELLS = 37,  // texts are laid out by their authors in lines of 37 characters
    TEXT_LEFT = 5,    // pen x before the first cell of a line
    TEXT_TOP = 10,
};

void draw_glyph(int32_t c, int32_t x, int32_t y) {
    if (c < FIRST_GLYPH || c > LAST_GLYPH) return;
    draw_picture_region(surface, x, y, GLYPH_WIDTH, GLYPH_HEIGHT, (c - FIRST_GLYPH) * GLYPH_WIDTH,
                        0, font_picture, plain);
}

// Line feeds, returns and spaces are empty cells like any code without a glyph; a line
// ends only after its 37th cell.
void draw_text(const char* text) {
    if (!text) return;
    size_t length = string_length(text);
    int32_t pen_x = TEXT_LEFT, pen_y = TEXT_TOP, cells = 0;
    for (size_t i = 0; i < length; ++i) {
        pen_x += CELL_WIDTH;
        draw_glyph(static_cast<signed char>(text[i]), pen_x, pen_y);
        if (++cells == LINE_CELLS) {
            pen_x = TEXT_LEFT;
            pen_y += LINE_HEIGHT;
            cells = 0;
        }
    }
}
