// spread_test.cpp -- the spreads: their layouts, the one-third card reduction, the tap test on
// the cards and a card turned face up in its orientation

#include "test_support.h"
#include "shell/shell.h"
#include "graphics/graphics.h"
#include "reading/reading.h"
#include "screens/screens.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

// [SECTION] Helpers

// A picture record over a caller's buffer, as create_objects would give the thumbnail.
struct ThumbBuffer {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(30 * 50, 0xEE);
    Picture picture{};
    ThumbBuffer() {
        picture.capacity_width = 30;
        picture.capacity_height = 50;
        picture.pixels = bytes.data();
        picture.width = picture.height = 7;
        picture.flag = 1;
    }
};

int32_t surface_at(int32_t x, int32_t y) {
    return surface->pixels[y * 240 + x];
}

// Pixel (x, y) of card frame `card` in the card sheet.
int32_t sheet_at(int32_t card, int32_t x, int32_t y) {
    return card_sheet->pixels[y * card_sheet->width + card * card_sheet->frame_width + x];
}

bool sheet_opaque(int32_t card, int32_t x, int32_t y) {
    return card_sheet->flag != 1 || sheet_at(card, x, y) != TRANSPARENT_INDEX;
}

// The program started on the headless back end with the generated install folder.
class Spread : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_reset();
        headless_set_install_dir(data_dir().c_str());
        ASSERT_EQ(start_up(1), 1);
        ASSERT_EQ(card_sheet->frame_width, 60);
        ASSERT_EQ(card_sheet->frame_height, 100);
    }
    void TearDown() override { release_objects(); }

    // The table of a reading of `kind` with its spread laid out face down.
    void lay_out(int32_t kind) {
        app_state->screen = kind;
        app_state->shown_position = -1;
        for (CardView& view : app_state->table.card_views) view.fresh = 1;
        draw_spread(kind);
    }
    int32_t hit(int32_t kind, int32_t x, int32_t y) {
        app_state->tap_x = x;
        app_state->tap_y = y;
        return hit_spread_position(kind);
    }
};

} // namespace

// [SECTION] Thumbnail

TEST(SpreadThumbnail, card_frame_reduces_to_20_by_33_from_the_centre_of_each_3_by_3_block) {
    // Two strips of three 60 x 100 frames: one holds each pixel's row, one its column.
    std::vector<uint8_t> rows(180 * 100), columns(180 * 100);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 180; ++x) {
            rows[y * 180 + x] = uint8_t(y);
            columns[y * 180 + x] = uint8_t(x);
        }
    ThumbBuffer thumb;
    ASSERT_EQ(make_thumbnail(rows.data(), &thumb.picture, 60, 100, 2, 180), 1);
    EXPECT_EQ(thumb.picture.width, 20);
    EXPECT_EQ(thumb.picture.height, 33);
    EXPECT_EQ(thumb.picture.frame_width, 20);
    EXPECT_EQ(thumb.picture.frame_height, 33);
    EXPECT_EQ(thumb.picture.data_size, 660u);
    EXPECT_EQ(thumb.picture.flag, 0) << "drawn opaque";
    EXPECT_EQ(thumb.bytes[0], 1) << "first row is frame row 1";
    EXPECT_EQ(thumb.bytes[32 * 20 + 19], 97) << "last row is frame row 97";
    EXPECT_EQ(thumb.bytes[660], 0xEE) << "nothing past the 660 bytes";

    ASSERT_EQ(make_thumbnail(columns.data(), &thumb.picture, 60, 100, 2, 180), 1);
    for (int32_t j = 0; j < 20; ++j) EXPECT_EQ(thumb.bytes[5 * 20 + j], 120 + 3 * j + 1) << j;
    ASSERT_EQ(make_thumbnail(columns.data(), &thumb.picture, 60, 100, 0, 180), 1);
    EXPECT_EQ(thumb.bytes[0], 1);
    EXPECT_EQ(thumb.bytes[19], 58) << "frame 0 ends at its column 58";
}

TEST(SpreadThumbnail, missing_buffers_and_frames_it_cannot_hold_are_refused_unchanged) {
    std::vector<uint8_t> strip(180 * 300, 9);
    ThumbBuffer thumb;
    const std::vector<uint8_t> before = thumb.bytes;
    EXPECT_EQ(make_thumbnail(nullptr, &thumb.picture, 60, 100, 0, 180), 0);
    EXPECT_EQ(make_thumbnail(strip.data(), nullptr, 60, 100, 0, 180), 0);
    Picture no_pixels = thumb.picture;
    no_pixels.pixels = nullptr;
    EXPECT_EQ(make_thumbnail(strip.data(), &no_pixels, 60, 100, 0, 180), 0);
    EXPECT_EQ(make_thumbnail(strip.data(), &thumb.picture, 60, 100, 3, 180), 0) << "past strip";
    EXPECT_EQ(make_thumbnail(strip.data(), &thumb.picture, 60, 100, -1, 180), 0);
    EXPECT_EQ(make_thumbnail(strip.data(), &thumb.picture, 180, 300, 0, 180), 0) << "60 x 100";
    EXPECT_EQ(thumb.picture.width, 7);
    EXPECT_EQ(thumb.picture.flag, 1);
    EXPECT_EQ(thumb.bytes, before);
}

// [SECTION] Layouts

TEST_F(Spread, every_reading_lays_out_its_positions_and_presents_once) {
    for (int32_t kind = kind_desire; kind <= kind_money; ++kind) {
        SCOPED_TRACE(kind);
        for (SpreadPoint& p : app_state->table.spread_positions) p = {999, 999};
        const uint32_t presents = headless_present_count();
        app_state->reading_shown = 0;
        lay_out(kind);
        EXPECT_EQ(app_state->reading_shown, 1);
        EXPECT_EQ(headless_present_count(), presents + 1);
        const ReadingInfo* r = reading_info(kind);
        for (int32_t p = 0; p < SPREAD_MAX; ++p) {
            const SpreadPoint want = p < r->card_count ? r->spread[p] : SpreadPoint{999, 999};
            EXPECT_EQ(app_state->table.spread_positions[p].x, want.x) << p;
            EXPECT_EQ(app_state->table.spread_positions[p].y, want.y) << p;
        }
    }
    for (int32_t kind : {0, 1, 8, 100}) {
        const uint32_t presents = headless_present_count();
        app_state->reading_shown = 0;
        draw_spread(kind);
        EXPECT_EQ(app_state->reading_shown, 1);
        EXPECT_EQ(headless_present_count(), presents) << kind;
        EXPECT_EQ(title_picture_name(kind), nullptr);
    }
}

TEST_F(Spread, backs_are_drawn_at_full_size_or_as_thumbnails) {
    lay_out(kind_past);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 60; ++x)
            if (sheet_opaque(78, x, y)) {
                ASSERT_EQ(surface_at(155 + x, 180 + y), sheet_at(78, x, y));
            }
    lay_out(kind_business);
    ASSERT_EQ(thumb_picture->width, 20);
    for (int32_t y = 0; y < 33; ++y)
        for (int32_t x = 0; x < 20; ++x)
            ASSERT_EQ(surface_at(170 + x, 280 + y), sheet_at(78, 3 * x + 1, 3 * y + 1));
}

// [SECTION] Tap test

TEST_F(Spread, full_card_is_hit_strictly_inside_its_60_by_100_rectangle) {
    lay_out(kind_past);
    EXPECT_EQ(hit(kind_past, 25, 230), -1) << "left edge";
    EXPECT_EQ(hit(kind_past, 50, 180), -1) << "top edge";
    EXPECT_EQ(hit(kind_past, 26, 181), 0);
    EXPECT_EQ(hit(kind_past, 84, 279), 0);
    EXPECT_EQ(hit(kind_past, 85, 230), -1) << "x = left + 60";
    EXPECT_EQ(hit(kind_past, 50, 280), -1) << "y = top + 100";
    EXPECT_EQ(hit(kind_past, 214, 230), 2);
    EXPECT_EQ(hit(kind_past, 215, 230), -1);
}

TEST_F(Spread, thumbnail_is_hit_inside_20_by_33_and_business_9_reaches_x_190) {
    lay_out(kind_love);
    EXPECT_EQ(hit(kind_love, 110, 190), -1);
    EXPECT_EQ(hit(kind_love, 111, 176), 0);
    EXPECT_EQ(hit(kind_love, 129, 207), 0);
    EXPECT_EQ(hit(kind_love, 130, 190), -1);
    EXPECT_EQ(hit(kind_love, 120, 208), -1);
    EXPECT_EQ(hit(kind_love, 150, 300), 9);
    lay_out(kind_business);
    EXPECT_EQ(hit(kind_business, 189, 300), 9);
    EXPECT_EQ(hit(kind_business, 190, 300), -1);
}

TEST_F(Spread, money_never_tests_positions_8_and_9_whatever_they_hold) {
    lay_out(kind_money);
    app_state->table.spread_positions[8] = {10, 10};
    app_state->table.spread_positions[9] = {40, 10};
    EXPECT_EQ(hit(kind_money, 15, 20), -1);
    EXPECT_EQ(hit(kind_money, 45, 20), -1);
    EXPECT_EQ(hit(kind_love, 15, 20), 8) << "the same table answers for love";
    EXPECT_EQ(hit(kind_money, 120, 290), 7);
}

TEST_F(Spread, position_whose_face_cannot_be_reduced_is_passed_over) {
    lay_out(kind_love);
    app_state->table.spread_positions[1] = app_state->table.spread_positions[0];
    app_state->drawn_cards[0] = 2 * 70;
    app_state->drawn_cards[1] = 2 * 3 + 1;
    const int32_t width = card_sheet->width;
    card_sheet->width = 10 * 60; // the sheet holds frames 0 to 9 only
    EXPECT_EQ(hit(kind_love, 120, 190), 1);
    card_sheet->width = width;
    EXPECT_EQ(hit(kind_love, 120, 190), 0);
}

// [SECTION] Reveal

TEST_F(Spread, reversed_card_is_turned_and_upright_card_plain_at_its_place) {
    lay_out(kind_past);
    app_state->drawn_cards[0] = 2 * 5 + 1;
    app_state->drawn_cards[1] = 2 * 9;
    reveal_card(kind_past, 0);
    reveal_card(kind_past, 1);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 60; ++x) {
            if (sheet_opaque(5, x, y)) {
                ASSERT_EQ(surface_at(25 + 59 - x, 180 + 99 - y), sheet_at(5, x, y));
            }
            if (sheet_opaque(9, x, y)) {
                ASSERT_EQ(surface_at(90 + x, 180 + y), sheet_at(9, x, y));
            }
        }
    EXPECT_EQ(log_lines_with("sound \\sound\\shufflecard.WAV").size(), 2u);
    EXPECT_EQ(app_state->table.last_position, 1);
    EXPECT_EQ(app_state->shown_position, 1);
    EXPECT_TRUE(headless_messages().empty());
}

TEST_F(Spread, reversed_thumbnail_is_turned_at_its_place) {
    lay_out(kind_money);
    app_state->drawn_cards[7] = 2 * 40 + 1;
    reveal_card(kind_money, 7);
    for (int32_t y = 0; y < 33; ++y)
        for (int32_t x = 0; x < 20; ++x)
            ASSERT_EQ(surface_at(110 + 19 - x, 280 + 32 - y), sheet_at(40, 3 * x + 1, 3 * y + 1));
    EXPECT_EQ(app_state->shown_position, 7);
    EXPECT_EQ(app_state->scroller_active, 1);
}

TEST_F(Spread, reveal_outside_the_spread_does_nothing) {
    lay_out(kind_money);
    const uint32_t presents = headless_present_count();
    const size_t lines = headless_log().size();
    reveal_card(kind_money, 8);
    reveal_card(kind_past, -1);
    reveal_card(1, 0);
    EXPECT_EQ(headless_log().size(), lines);
    EXPECT_EQ(headless_present_count(), presents);
    EXPECT_EQ(app_state->shown_position, -1);
}
