// card_views.cpp -- the scroll state each spread position's meaning page keeps while the user
// moves between the cards of a reading

#include "reading/reading.h"

void set_fresh_page(AppState* state) {
    state->table.ball_y = BALL_TOP;
    state->top_row = 0;
    state->bottom_row = 7;
    state->scroller_active = 1;
}

void save_reading_state(int32_t position) {
    if (position < 0 || position >= SPREAD_MAX) return;
    TableState& table = app_state->table;
    CardView* view = &table.card_views[position];
    view->top_row = app_state->top_row;
    view->bottom_row = app_state->bottom_row;
    view->ball_y = table.ball_y;
}

void restore_reading_state(int32_t position) {
    if (position < 0 || position >= SPREAD_MAX) return;
    TableState& table = app_state->table;
    const CardView* view = &table.card_views[position];
    if (view->fresh == 1) {
        set_fresh_page(app_state);
        return;
    }
    app_state->top_row = view->top_row;
    app_state->bottom_row = view->bottom_row;
    table.ball_y = view->ball_y;
}
