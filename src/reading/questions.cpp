// questions.cpp -- the question of a spread position, drawn over the title on the question
// board

#include "reading/reading.h"
#include "graphics/graphics.h"

void draw_question(int32_t position) {
    show_place(place_question_board);
    const char* text = question_text(app_state->screen, position);
    if (text) draw_text(text);
}
