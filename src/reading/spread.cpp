// spread.cpp -- the spreads of the six readings: laying the cards out face down, the one-third
// card reduction, the tap test on the cards and turning a card face up

#include "reading/reading.h"
#include "graphics/graphics.h"

// [SECTION] Layouts

namespace {

// Whether the kind's cards lie as thumbnails; 0 for no reading.
int uses_thumbnails(int32_t kind) {
    const ReadingInfo* r = reading_info(kind);
    return r && r->thumbnails;
}

// A thumbnail of one frame of the card sheet, only when the sheet really holds that frame.
int card_thumbnail(int32_t frame) {
    const Picture* sheet = card_sheet;
    if (!sheet || !thumb_picture) return 0;
    if (sheet->frame_width <= 0 || sheet->frame_height <= 0 || frame < 0) return 0;
    if (sheet->frame_height > sheet->height) return 0;
    if ((int64_t(frame) + 1) * sheet->frame_width > sheet->width) return 0;
    if (int64_t(sheet->width) * sheet->height >
        int64_t(sheet->capacity_width) * sheet->capacity_height)
        return 0;
    return make_thumbnail(sheet->pixels, thumb_picture, sheet->frame_width, sheet->frame_height,
                          frame, sheet->width);
}

// Draws one frame of the card sheet at full size.
void draw_card_frame(int32_t x, int32_t y, int32_t frame, int32_t mode) {
    draw_picture_frame(surface, x, y, card_sheet->frame_width, card_sheet->frame_height, frame,
                       card_sheet, mode);
}

} // namespace

// [SECTION] Laying the spread out

void show_reading_title(int32_t kind) {
    show_picture(title_picture_name(kind), screen_layout[place_reading_title].x,
                 screen_layout[place_reading_title].y);
}

void draw_spread(int32_t kind) {
    app_state->reading_shown = 1;
    TableState& table = app_state->table;
    for (int32_t& face_up : table.turned_positions) face_up = 0;
    const ReadingInfo* reading = reading_info(kind);
    if (!reading) return;
    const SpreadPoint* layout = reading->spread;
    for (int32_t p = 0; p < reading->card_count; ++p) {
        table.spread_positions[p] = layout[p];
        if (!uses_thumbnails(kind)) {
            draw_card_frame(layout[p].x, layout[p].y, CARD_BACK, plain);
        } else if (card_thumbnail(CARD_BACK)) {
            draw_picture(surface, layout[p].x, layout[p].y, thumb_picture, plain);
        }
    }
    present_surface(surface, palette, &display_properties);
}

int make_thumbnail(const uint8_t* source, Picture* thumb, int32_t frame_width, int32_t frame_height,
                   int32_t index, int32_t strip_width) {
    if (!source || !thumb || !thumb->pixels) return 0;
    // A frame the strip does not hold, or a reduction the thumbnail cannot hold, is refused
    // like a missing buffer.
    if (frame_width < 0 || frame_height < 0 || index < 0) return 0;
    if ((int64_t(index) + 1) * frame_width > strip_width) return 0;
    const int32_t w = frame_width / THUMB_DIVISOR;
    const int32_t h = frame_height / THUMB_DIVISOR;
    if (int64_t(w) * h > int64_t(thumb->capacity_width) * thumb->capacity_height) return 0;

    thumb->width = w;
    thumb->frame_width = w;
    thumb->height = h;
    thumb->frame_height = h;
    thumb->data_size = uint32_t(w * h);
    thumb->flag = 0;
    const uint8_t* frame = source + int64_t(index) * frame_width;
    uint8_t* out = thumb->pixels;
    for (int32_t i = 0; i < h; ++i) {
        // The middle pixel of each block.
        const uint8_t* row = frame + int64_t(THUMB_DIVISOR * i + THUMB_DIVISOR / 2) * strip_width;
        for (int32_t j = 0; j < w; ++j) *out++ = row[THUMB_DIVISOR * j + THUMB_DIVISOR / 2];
    }
    return 1;
}

// [SECTION] Tap test

int spread_card_box(int32_t kind, int32_t position, HitBox* box) {
    if (position < 0 || position >= spread_size(kind)) return 0;
    const int thumbs = uses_thumbnails(kind);
    if (thumbs && !thumb_picture) return 0;
    const SpreadPoint at = app_state->table.spread_positions[position];
    box->left = at.x;
    box->right = at.x + (thumbs ? thumb_picture->width : CARD_WIDTH);
    box->top = at.y;
    box->bottom = at.y + (thumbs ? thumb_picture->height : CARD_HEIGHT);
    return 1;
}

int32_t hit_spread_position(int32_t kind) {
    const int thumbs = uses_thumbnails(kind);
    for (int32_t p = 0; p < spread_size(kind); ++p) {
        HitBox box;
        if (!spread_card_box(kind, p, &box) ||
            !box_contains(box, app_state->tap_x, app_state->tap_y))
            continue;
        const int32_t value = app_state->drawn_cards[p];
        if (thumbs && (value < 0 || value >= DEALT_VALUES || !card_thumbnail(value / 2))) continue;
        return p;
    }
    return -1;
}

// [SECTION] Turning a card face up

void reveal_card(int32_t kind, int32_t position) {
    AppState* state = app_state;
    TableState& table = state->table;
    const int32_t p = position;
    if (p < 0 || p >= spread_size(kind)) return;
    const int32_t value = state->drawn_cards[p];
    if (value < 0 || value >= DEALT_VALUES) return;
    table.turned_positions[p] = 1;
    const int32_t card = value / 2;
    const int32_t mode = (value % 2 == 1) ? turned : plain;
    const int single = spread_size(kind) == 1; // one card: its meaning opens at the top

    if (single) {
        set_fresh_page(state);
    } else {
        restore_reading_state(p);
    }
    const int thumbs = uses_thumbnails(kind);
    const int thumb_made = thumbs && card_thumbnail(card);
    play_sound(L"\\shufflecard.WAV");

    const SpreadPoint at = table.spread_positions[p];
    if (!thumbs) {
        draw_card_frame(at.x, at.y, card, mode);
    } else if (thumb_made) {
        draw_picture(surface, at.x, at.y, thumb_picture, mode);
    }
    draw_card_frame(screen_layout[place_enlarged_card].x, screen_layout[place_enlarged_card].y,
                    card, mode);
    draw_title_frame();
    show_place(place_scroll_bar);

    if (single) {
        show_meaning(0);
        if (state->text_length > SHORT_TEXT_MAX)
            show_picture(L"\\scroll_ball.nbf", BALL_X, BALL_TOP);
        show_reading_title(kind);
        return;
    }
    show_reading_title(kind);
    // Tapping the card on display again brings its meaning back to the top.
    if (p == table.last_position) set_fresh_page(state);
    show_meaning(p);
    table.last_position = p;
}
