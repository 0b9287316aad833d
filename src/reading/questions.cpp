// questions.cpp -- the question of a spread position, drawn over the title on the question
// board

#include "reading/reading.h"
#include "core/encoding.h"
#include "graphics/graphics.h"

void draw_question(int32_t position) {
    show_place(place_question_board);
    const char* question = question_text(app_state->screen, position);
    if (!question) return;
    // The board draws a byte a cell: each character becomes its Windows-1252 byte, and one
    // the encoding lacks an empty cell.
    char cells[QUESTION_GRID.columns * QUESTION_GRID.rows + 1];
    size_t at = 0;
    int32_t count = 0;
    while (count + 1 < int32_t(sizeof cells)) {
        const uint32_t c = next_utf8(question, &at);
        if (c == 0) break;
        const uint8_t byte = unicode_to_cp1252(c);
        cells[count++] = byte ? char(byte) : ' ';
    }
    cells[count] = 0;
    draw_text(cells);
}
