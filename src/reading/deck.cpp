// deck.cpp -- the deck of 78 cards: dealing the ten cards of a reading and starting afresh

#include "reading/reading.h"

#include <cstring>

void shuffle_deck(AppState* state) {
    seed_random(tick_count());
    for (int32_t i = 0; i < SPREAD_MAX; ++i) {
        for (;;) {
            // 155 / 156: the value runs backwards through the remainders, its parity is the
            // orientation. Unsigned, so no generator value can give a negative remainder.
            const uint32_t r = uint32_t(next_random());
            const int32_t value = int32_t((r * 155u) % uint32_t(DEALT_VALUES));
            const int32_t card = value / 2;
            if (state->deck_used[card] == 1) continue;
            state->drawn_cards[i] = value;
            state->deck_used[card] = 1;
            break;
        }
    }
}

void reset_deck(AppState* state) {
    std::memset(state->deck_used, 0, sizeof state->deck_used);
    std::memset(state->record_text, 0, sizeof state->record_text);
    state->top_row = 0;
    state->bottom_row = 3;
    state->shown_position = -1;
    state->scroller_active = 0;
    state->deck_shuffled = 0;
}
