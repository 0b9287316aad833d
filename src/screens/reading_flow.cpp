// reading_flow.cpp -- the step of the six reading screens: shuffle, deal, reveal, scroll,
// leave

#include "screens/screens.h"
#include "graphics/graphics.h"
#include "reading/reading.h"

void reading_step(int32_t kind) {
    AppState* s = app_state;
    shuffle_screen_step(picture_path(title_picture_name(kind)));
    if (s->reading_shown == 0 && s->tap_pending == 0 && s->shuffling == 0) {
        draw_spread(kind);
        return;
    }
    if (s->reading_shown != 1 || s->tap_pending != 1) return;
    int32_t position = hit_spread_position(kind);
    if (position >= 0) reveal_card(kind, position);
    s->tap_pending = 0;
    const bool multi_card = spread_size(kind) > 1;
    if (s->scroll_up_pressed == 1 || s->scroll_down_pressed == 1)
        show_meaning(multi_card ? s->table.last_position : 0);
    present_screen();
    if (multi_card) save_reading_state(s->table.last_position);
    end_screen_step();
}
