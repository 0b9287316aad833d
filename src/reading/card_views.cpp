// card_views.cpp -- the scroll state each spread position's meaning page keeps while the user
// moves between the cards of a reading

#include "reading/reading.h"

CardView card_views[SPREAD_MAX] = {};

void save_reading_state(int32_t position) {
    if (position < 0 || position >= SPREAD_MAX) return;
    CardView* view = &card_views[position];
    view->top_row = app_state->top_row;
    view->bottom_row = app_state->bottom_row;
    view->ball_y = ball_y;
}

void restore_reading_state(int32_t position) {
    if (position < 0 || position >= SPREAD_MAX) return;
    const CardView* view = &card_views[position];
    if (view->fresh == 1) {
        ball_y = BALL_TOP;
        app_state->top_row = 0;
        app_state->bottom_row = 7;
        app_state->scroller_active = 1;
        return;
    }
    app_state->top_row = view->top_row;
    app_state->bottom_row = view->bottom_row;
    ball_y = view->ball_y;
}
