// shuffle_screen.cpp -- the first screen of every reading: Back, the deck and its shuffle
// animation, Next

#include "screens/screens.h"
#include "graphics/graphics.h"
#include "reading/reading.h"

static void play_shuffle_animation() {
    const LayoutEntry& at = screen_layout[place_shuffle_animation];
    load_result = load_picture(work_picture, picture_path(at.picture));
    if (!load_result) { // the program is ending: no eighteen frames of refusals
        destroy_window(main_window);
        return;
    }
    for (int pass = 0; pass < 3; pass++) {
        play_sound(L"\\shufflecard.WAV");
        for (int32_t frame = 0; frame < 6; frame++) {
            draw_picture_frame(surface, at.x, at.y, work_picture->frame_width,
                               work_picture->frame_height, frame, work_picture, plain);
            present_screen();
            sleep_ms(30);
        }
    }
}

void shuffle_screen_step(const wchar_t* title_path) {
    AppState* s = app_state;
    if (s->tap_pending != 1 || s->shuffling != 1) return;
    if (tapped(place_shuffle_back)) {
        play_sound(L"\\ico.wav");
        play_sound(L"\\start.WAV");
        show_pressed(place_shuffle_back);
        present_screen();
        s->screen = screen_title;
    } else if (tapped(place_shuffle_next)) {
        // The title path lives in the shared path buffer, which the next sound overwrites:
        // copy it first.
        wchar_t* title = s->deck_shuffled == 1 ? copy_title_path(title_path) : nullptr;
        play_sound(L"\\ico.wav");
        if (s->deck_shuffled == 1) {
            show_pressed(place_shuffle_next);
            present_screen();
            show_card_table(title);
            release_memory(title);
            s->tap_pending = 0;
            s->shuffling = 0;
        } else {
            play_sound(L"\\ico.wav");
            clear_area(SHUFFLE_POP);
            show_place(place_shuffle_pop);
            present_screen();
            s->tap_x = 0;
        }
    } else if (tapped(place_shuffle_deck)) {
        reset_deck(s);
        shuffle_deck(s);
        s->tap_pending = 0;
        s->deck_shuffled = 1;
        clear_area(SHUFFLE_TEXT);
        show_place(place_shuffle_text);
        play_shuffle_animation();
    }
}
