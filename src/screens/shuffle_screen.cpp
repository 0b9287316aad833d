// shuffle_screen.cpp -- the first screen of every reading: Back, the deck and its shuffle
// animation, Next

#include "screens/screens.h"
#include "graphics/graphics.h"
#include "reading/reading.h"

wchar_t* copy_title_path(const wchar_t* title_path);

const HitBox shuffle_back_box = {0, 20, 270, 320};
const HitBox shuffle_next_box = {220, 240, 270, 320};
const HitBox shuffle_deck_box = {95, 145, 200, 243};

static bool inside(int32_t x, int32_t y, const HitBox& b) {
    return b.left < x && x < b.right && b.top < y && y < b.bottom;
}

static void play_shuffle_animation() {
    load_result = load_picture(work_picture, picture_path(L"\\shuffle.nbf"));
    if (!load_result) { // the program is ending: no eighteen frames of refusals
        destroy_window(main_window);
        return;
    }
    for (int pass = 0; pass < 3; pass++) {
        play_sound(L"\\shufflecard.WAV");
        for (int32_t frame = 0; frame < 6; frame++) {
            draw_picture_frame(surface, 88, 175, work_picture->frame_width,
                               work_picture->frame_height, frame, work_picture, plain);
            present_surface(surface, palette, &display_properties);
            sleep_ms(30);
        }
    }
}

void shuffle_screen_step(const wchar_t* title_path) {
    AppState* s = app_state;
    if (s->tap_pending != 1 || s->shuffling != 1) return;
    int32_t x = s->tap_x, y = s->tap_y;
    if (inside(x, y, shuffle_back_box)) { // Back
        play_sound(L"\\ico.wav");
        play_sound(L"\\start.WAV");
        show_picture(L"\\newback02.nbf", 0, 270);
        present_surface(surface, palette, &display_properties);
        s->screen = screen_title;
    } else if (inside(x, y, shuffle_next_box)) { // Next
        // The title path lives in the shared path buffer, which the next sound overwrites:
        // copy it first.
        wchar_t* title = s->deck_shuffled == 1 ? copy_title_path(title_path) : nullptr;
        play_sound(L"\\ico.wav");
        if (s->deck_shuffled == 1) {
            show_picture(L"\\newnext02.nbf", 220, 270);
            present_surface(surface, palette, &display_properties);
            show_card_table(title);
            release_memory(title);
            s->tap_pending = 0;
            s->shuffling = 0;
        } else {
            play_sound(L"\\ico.wav");
            clear_surface(surface, 5, 50, 230, 90, 0);
            show_picture(L"\\shuffle_pop.nbf", 45, 70);
            present_surface(surface, palette, &display_properties);
            s->tap_x = 0;
        }
    } else if (inside(x, y, shuffle_deck_box)) { // the deck
        reset_deck(s);
        shuffle_deck(s);
        s->tap_pending = 0;
        s->deck_shuffled = 1;
        clear_surface(surface, 5, 60, 230, 80, 0);
        show_picture(L"\\shuffletext.nbf", 40, 80);
        play_shuffle_animation();
    }
}
