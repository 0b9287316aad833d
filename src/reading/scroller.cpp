// scroller.cpp -- the meaning-text window beside the enlarged card: eight rows of the card's
// text, the scroll bar with its arrows and the ball that tracks how far the text is scrolled

#include "reading/reading.h"
#include "graphics/graphics.h"

#include <cstring>

namespace {

int is_question_kind(int32_t kind) {
    const ReadingInfo* r = reading_info(kind);
    return r && r->first_question != word_none;
}

int is_multi_card_kind(int32_t kind) {
    return spread_size(kind) > 1;
}

// Draws the laid-out rows first .. last into the window, 23 cells a row from its top left.
// Bytes outside wrapped_text leave their cells blank.
void draw_rows(int32_t first, int32_t last) {
    const char* text = app_state->wrapped_text;
    const int64_t begin = int64_t(first) * TEXT_COLUMNS;
    const int64_t end = int64_t(last) * TEXT_COLUMNS + TEXT_COLUMNS; // one past the last byte
    const TextGrid& grid = MEANING_GRID;
    int32_t x = grid.left;
    int32_t y = grid.top;
    int32_t column = 0;
    for (int64_t k = begin; k < end && k < WRAPPED_TEXT_SIZE; ++k) {
        if (k >= 0) {
            draw_glyph(static_cast<unsigned char>(text[k]), x, y);
        }
        x += grid.cell_width;
        column += 1;
        if (column == grid.columns) {
            column = 0;
            x = grid.left;
            y += grid.cell_height;
        }
    }
}

// The pixels the ball moves for one row: the whole step, plus one whenever the hundredths
// carried over reach a full pixel.
int32_t next_ball_step(TableState* table) {
    int32_t step = table->ball_step;
    table->ball_carry += table->ball_fraction;
    if (table->ball_carry >= 100) {
        step += 1;
        table->ball_carry %= 100;
    }
    return step;
}

} // namespace

// [SECTION] Ball

void update_scroll_ball() {
    TableState& table = app_state->table;
    const int32_t moves = table.row_count - app_state->bottom_row + app_state->top_row;
    if (moves <= 0) {
        table.ball_step = 0;
        table.ball_fraction = 0;
        return;
    }
    table.ball_step = BALL_TRAVEL / moves;
    // The hundredths of BALL_TRAVEL / moves, worked out in single precision.
    const float scaled = (-float(BALL_TRAVEL) / float(moves)) * 100.0f;
    table.ball_fraction = 100 * (-BALL_TRAVEL / moves) - int32_t(scaled);
}

// [SECTION] Page

void draw_meaning_page(int32_t mode) {
    AppState* state = app_state;
    TableState& table = state->table;
    const int32_t row_count = table.row_count =
        state->text_length / TEXT_COLUMNS + (state->text_length % TEXT_COLUMNS != 0);
    update_scroll_ball();
    clear_area(MEANING_WINDOW);

    if (mode == 0) {
        table.ball_carry = 0;
        draw_rows(0, state->bottom_row);
        return;
    }
    if (mode == 1) {
        state->top_row -= 1;
        if (state->top_row < 0) {
            state->top_row = 0;
        } else {
            const int32_t step = next_ball_step(&table);
            state->bottom_row -= 1;
            table.ball_y -= step;
        }
    } else if (mode == 2) {
        state->bottom_row += 1;
        if (state->bottom_row > row_count) {
            state->bottom_row = row_count;
        } else {
            const int32_t step = next_ball_step(&table);
            state->top_row += 1;
            table.ball_y += step;
        }
    } else if (mode != 3) {
        return;
    }
    if (mode == 1 || mode == 2) {
        // The carried hundredths make up and down moves differ by a pixel now and then; the
        // ball never leaves its track, and the top of the text puts it at the top again.
        if (state->top_row == 0 || table.ball_y < BALL_TOP) table.ball_y = BALL_TOP;
        if (table.ball_y > BALL_TOP + BALL_TRAVEL) table.ball_y = BALL_TOP + BALL_TRAVEL;
    }
    show_place(place_scroll_bar);
    show_picture(L"\\scroll_ball.nbf", BALL_X, table.ball_y);
    draw_rows(state->top_row, state->bottom_row);
}

// [SECTION] Arrows

void press_scroll_arrows(AppState* state, int32_t x, int32_t y) {
    if (!reading_info(state->screen) || state->scroller_active != 1) return;
    if (box_contains(screen_layout[place_scroll_up].tap, x, y)) state->scroll_up_pressed = 1;
    if (box_contains(screen_layout[place_scroll_down].tap, x, y)) state->scroll_down_pressed = 1;
}

// [SECTION] Meaning of a position

void show_meaning(int32_t position) {
    AppState* state = app_state;
    const int32_t p = position;
    if (p < 0 || p >= SPREAD_MAX) {
        state->scroll_up_pressed = 0;
        state->scroll_down_pressed = 0;
        return;
    }
    const int32_t kind = state->screen;
    if (p == state->shown_position) {
        if (is_question_kind(kind)) draw_question(p);
    } else {
        std::memset(state->record_text, 0, sizeof state->record_text);
        std::memset(state->wrapped_text, 0, sizeof state->wrapped_text);
        if (is_question_kind(kind)) draw_question(p);
        state->shown_position = p;
        read_card_text(state, state->drawn_cards[p]);
    }

    CardView* view = &state->table.card_views[p];
    const int long_text = state->text_length > SHORT_TEXT_MAX;
    if (is_multi_card_kind(kind) && long_text) {
        if (view->fresh == 1) {
            show_picture(L"\\scroll_ball.nbf", BALL_X, BALL_TOP);
            view->fresh = 0;
        } else {
            show_picture(L"\\scroll_ball.nbf", BALL_X, view->ball_y);
        }
    }

    if (state->scroll_up_pressed == 0 && state->scroll_down_pressed == 0) {
        if (state->scroller_active == 1) draw_meaning_page(view->fresh != 0 ? 0 : 3);
    } else if (state->scroll_up_pressed != 0) {
        if (long_text) {
            play_sound(L"\\ico.wav");
            show_pressed(place_scroll_up);
            present_screen();
            draw_meaning_page(1);
        }
    } else if (long_text) {
        play_sound(L"\\ico.wav");
        show_pressed(place_scroll_down);
        present_screen();
        draw_meaning_page(2);
    }
    state->scroll_up_pressed = 0;
    state->scroll_down_pressed = 0;
}

// [SECTION] Lifetime

void reset_reading() {
    close_card_db(app_state);
}
