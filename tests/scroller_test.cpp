// scroller_test.cpp -- the meaning window: rows drawn in their cells, the scroll ball's
// steps and carried hundredths, the arrows at the ends of a text, and the spread questions

#include "test_support.h"
#include "shell/shell.h"
#include "graphics/graphics.h"
#include "reading/reading.h"
#include "screens/screens.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

// The bytes of a screen rectangle, row by row.
std::vector<uint8_t> pixels(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    std::vector<uint8_t> out;
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x) out.push_back(surface->pixels[y * 240 + x]);
    return out;
}

std::vector<uint8_t> text_window() {
    return pixels(80, 55, 222, 140);
}

size_t lines_with(const std::string& what) {
    return log_lines_with(what).size();
}

// The program started on the headless back end with the generated install folder; the tests
// then call the scroller directly.
class Scroller : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_reset();
        headless_set_install_dir(data_dir().c_str());
        ASSERT_EQ(start_up(1), 1);
        ASSERT_NE(app_state, nullptr);
        ASSERT_TRUE(headless_messages().empty());
    }
    void TearDown() override { release_objects(); }

    // Replaces the program's card file with one holding these records (CR LF, then "$").
    void use_cards(const std::vector<std::string>& records) {
        std::string content = "$";
        for (const std::string& record : records) content += record + "\r\n$";
        const std::string folder =
            make_test_folder(std::string("scroller_") +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        write_test_file(folder + "/CardDB.dat", content);
        close_file(app_state->card_db_file);
        ASSERT_EQ(open_card_db(app_state, 0, wide_path(folder + "/CardDB.dat").c_str()), 1);
    }

    // A reading of `kind` on its table: every page fresh, nothing shown yet.
    void begin_reading(int32_t kind) {
        app_state->screen = kind;
        app_state->shown_position = -1;
        for (CardView& view : app_state->table.card_views) view.fresh = 1;
    }

    // A text of `rows` rows on a fresh page, as if just revealed.
    void fresh_page_of(int32_t rows) {
        app_state->text_length = rows == 7 ? 165 : rows * 23 - 1;
        app_state->top_row = 0;
        app_state->bottom_row = 7;
        app_state->table.ball_y = BALL_TOP;
        app_state->table.ball_carry = 0;
    }

    std::vector<int32_t> ball_after_moves(int32_t mode, int32_t moves) {
        std::vector<int32_t> out;
        for (int32_t i = 0; i < moves; ++i) {
            draw_meaning_page(mode);
            out.push_back(app_state->table.ball_y);
        }
        return out;
    }
};

} // namespace

// [SECTION] Ball

TEST_F(Scroller, ball_fraction_formula_gives_the_hundredths_of_57_over_the_moves) {
    app_state->top_row = 0;
    app_state->bottom_row = 7;
    for (int32_t moves = 1; moves <= 52; ++moves) {
        app_state->table.row_count = moves + 7;
        update_scroll_ball();
        EXPECT_EQ(app_state->table.ball_step, 57 / moves) << moves;
        EXPECT_EQ(app_state->table.ball_fraction, 5700 / moves - 100 * (57 / moves)) << moves;
    }
    for (int32_t rows : {0, 7}) {
        app_state->table.row_count = rows;
        update_scroll_ball();
        EXPECT_EQ(app_state->table.ball_step, 0);
        EXPECT_EQ(app_state->table.ball_fraction, 0);
    }
}

TEST_F(Scroller, nine_rows_move_the_ball_28_then_29_and_stop_at_the_blank_last_row) {
    fresh_page_of(9);
    EXPECT_EQ(ball_after_moves(2, 3), (std::vector<int32_t>{95, 124, 124}));
    EXPECT_EQ(app_state->top_row, 2) << "the window shows rows 2 to 9";
    EXPECT_EQ(app_state->bottom_row, 9);
    EXPECT_EQ(ball_after_moves(1, 3), (std::vector<int32_t>{96, 67, 67}));
    EXPECT_EQ(app_state->top_row, 0);
    EXPECT_EQ(app_state->bottom_row, 7);
}

TEST_F(Scroller, eleven_rows_take_moves_of_14_14_14_15_and_fourteen_rows_seven_of_8) {
    fresh_page_of(11);
    EXPECT_EQ(ball_after_moves(2, 5), (std::vector<int32_t>{81, 95, 109, 124, 124}));
    fresh_page_of(14);
    EXPECT_EQ(ball_after_moves(2, 8), (std::vector<int32_t>{75, 83, 91, 99, 107, 115, 123, 123}));
}

TEST_F(Scroller, hundredths_carry_over_between_pages_until_a_text_only_page) {
    fresh_page_of(9);
    app_state->table.ball_carry = 60; // left over from another card
    draw_meaning_page(2);
    EXPECT_EQ(app_state->table.ball_y, 67 + 29);
    EXPECT_EQ(app_state->table.ball_carry, 10);
    draw_meaning_page(0);
    EXPECT_EQ(app_state->table.ball_carry, 0);
    EXPECT_EQ(app_state->table.ball_y, 96) << "a text-only page leaves the ball alone";
}

// [SECTION] Window

TEST_F(Scroller, window_shows_rows_top_to_bottom_in_cells_6_by_10_from_83_58) {
    fresh_page_of(10);
    std::memset(app_state->wrapped_text, 0, sizeof app_state->wrapped_text);
    app_state->wrapped_text[23 * 3 + 5] = '#';  // row 3, column 5
    app_state->wrapped_text[23 * 9 + 22] = 'Z'; // row 9, column 22
    app_state->wrapped_text[23 * 1] = 'x';      // row 1: above the window
    app_state->top_row = 2;
    app_state->bottom_row = 9;
    draw_meaning_page(3);
    const std::vector<uint8_t> page = text_window();

    clear_surface(surface, 80, 55, 222, 85, 0);
    draw_glyph('#', 83 + 6 * 5, 58 + 10 * 1);
    draw_glyph('Z', 83 + 6 * 22, 58 + 10 * 7);
    EXPECT_EQ(page, text_window());
    EXPECT_NE(page, std::vector<uint8_t>(page.size(), 0)) << "the glyphs show";
}

TEST_F(Scroller, rows_past_the_text_buffer_draw_blank) {
    // 52 rows: scrolled to the end, the last window row lies past the 1,200 bytes, where the
    // record's next fields hold printable bytes.
    fresh_page_of(52);
    std::memset(app_state->wrapped_text, 0, sizeof app_state->wrapped_text);
    app_state->tap_x = app_state->tap_y = app_state->screen = 0x41414141;
    app_state->top_row = 44;
    app_state->bottom_row = 51;
    draw_meaning_page(2);
    ASSERT_EQ(app_state->bottom_row, 52);
    const std::vector<uint8_t> page = text_window();
    EXPECT_EQ(page, std::vector<uint8_t>(page.size(), 0));
}

// [SECTION] Meaning of a position

TEST_F(Scroller, seven_row_text_counts_eight_rows_and_is_never_scrolled) {
    use_cards({full_rows(7), full_rows(9)});
    begin_reading(kind_past);
    app_state->drawn_cards[0] = 0;
    restore_reading_state(0);
    show_meaning(0);
    EXPECT_EQ(app_state->text_length, 165);
    EXPECT_EQ(app_state->table.row_count, 8);
    EXPECT_EQ(app_state->table.ball_step, 57) << "one move, no division by zero";
    EXPECT_EQ(app_state->table.card_views[0].fresh, 1) << "a short text draws no ball";

    const size_t sounds = lines_with(" sound ");
    const uint32_t presents = headless_present_count();
    app_state->scroll_down_pressed = 1;
    show_meaning(0);
    app_state->scroll_up_pressed = 1;
    show_meaning(0);
    EXPECT_EQ(app_state->top_row, 0);
    EXPECT_EQ(app_state->bottom_row, 7);
    EXPECT_EQ(app_state->scroll_up_pressed, 0);
    EXPECT_EQ(app_state->scroll_down_pressed, 0);
    EXPECT_EQ(lines_with(" sound "), sounds) << "no click";
    EXPECT_EQ(headless_present_count(), presents) << "no pressed button";
}

TEST_F(Scroller, arrows_at_the_ends_of_a_long_text_click_and_show_the_button_but_stay) {
    use_cards({full_rows(7), full_rows(9)});
    begin_reading(kind_past);
    app_state->drawn_cards[1] = 1;
    restore_reading_state(1);
    show_meaning(1);
    EXPECT_EQ(app_state->text_length, 206);
    EXPECT_EQ(app_state->table.card_views[1].fresh, 0) << "the first ball drawn clears fresh";

    const size_t clicks = lines_with("sound \\sound\\ico.wav");
    const uint32_t presents = headless_present_count();
    app_state->scroll_up_pressed = 1;
    show_meaning(1);
    EXPECT_EQ(lines_with("sound \\sound\\ico.wav"), clicks + 1);
    EXPECT_EQ(headless_present_count(), presents + 1);
    EXPECT_EQ(app_state->top_row, 0);
    EXPECT_EQ(app_state->table.ball_y, 67);
    EXPECT_EQ(app_state->scroll_up_pressed, 0);

    for (int i = 0; i < 3; ++i) {
        app_state->scroll_down_pressed = 1;
        show_meaning(1);
    }
    EXPECT_EQ(lines_with("sound \\sound\\ico.wav"), clicks + 4);
    EXPECT_EQ(headless_present_count(), presents + 4);
    EXPECT_EQ(app_state->top_row, 2);
    EXPECT_EQ(app_state->bottom_row, 9);
    EXPECT_EQ(app_state->table.ball_y, 124);
    EXPECT_TRUE(headless_messages().empty());
}

TEST_F(Scroller, position_on_display_is_not_reloaded_and_another_one_is) {
    use_cards({full_rows(7), full_rows(9)});
    begin_reading(kind_past);
    app_state->drawn_cards[0] = 0;
    app_state->drawn_cards[1] = 1;
    restore_reading_state(1);
    show_meaning(1);
    app_state->wrapped_text[1199] = 'Q';
    show_meaning(1);
    EXPECT_EQ(app_state->wrapped_text[1199], 'Q');
    show_meaning(0);
    EXPECT_EQ(app_state->shown_position, 0);
    EXPECT_EQ(app_state->text_length, 165);
    EXPECT_EQ(app_state->wrapped_text[1199], 0) << "both buffers cleared before the read";
}

TEST_F(Scroller, desire_page_stays_fresh_and_draws_only_the_text) {
    use_cards({full_rows(7), full_rows(9)});
    begin_reading(kind_desire);
    app_state->drawn_cards[0] = 1;
    fresh_page_of(9);
    app_state->scroller_active = 1;
    app_state->table.ball_carry = 40;
    show_meaning(0);
    EXPECT_EQ(app_state->text_length, 206);
    EXPECT_EQ(app_state->table.card_views[0].fresh, 1);
    EXPECT_EQ(app_state->table.ball_carry, 0) << "text-only drawing";
}

// [SECTION] Questions

TEST(ScrollerQuestions, tables_hold_every_text_at_its_length_and_nothing_beyond) {
    const int32_t love[10] = {31, 28, 37, 33, 53, 34, 49, 61, 36, 31};
    const int32_t business[10] = {34, 37, 47, 32, 37, 51, 28, 49, 46, 26};
    const int32_t money[8] = {31, 36, 44, 34, 58, 44, 53, 50};
    for (int32_t p = 0; p < 10; ++p) {
        ASSERT_NE(question_text(kind_love, p), nullptr);
        EXPECT_EQ(std::strlen(question_text(kind_love, p)), size_t(love[p])) << p;
        EXPECT_EQ(std::strlen(question_text(kind_business, p)), size_t(business[p])) << p;
        if (p < 8) {
            EXPECT_EQ(std::strlen(question_text(kind_money, p)), size_t(money[p])) << p;
        }
    }
    // The texts as authored, spaces and spelling included: a hash of each table joined by "|".
    auto table_hash = [](int32_t kind, int32_t count) {
        std::string joined;
        for (int32_t p = 0; p < count; ++p)
            joined += (p ? "|" : "") + std::string(question_text(kind, p));
        return fnv1a(joined.data(), joined.size());
    };
    EXPECT_EQ(table_hash(kind_love, 10), 0xdd5902fau);
    EXPECT_EQ(table_hash(kind_business, 10), 0xe679d5cbu);
    EXPECT_EQ(table_hash(kind_money, 8), 0x7bb1e293u);
    EXPECT_STREQ(question_text(kind_love, 6), "Does my lover have high standards andgood values?");
    EXPECT_STREQ(question_text(kind_business, 9), "            Final outcome?");
    EXPECT_STREQ(question_text(kind_money, 5), "New pans for financial investments orsaving?");
    EXPECT_EQ(question_text(kind_money, 8), nullptr);
    EXPECT_EQ(question_text(kind_money, 9), nullptr);
    EXPECT_EQ(question_text(kind_past, 0), nullptr);
    EXPECT_EQ(question_text(kind_love, -1), nullptr);
    EXPECT_EQ(question_text(kind_love, 10), nullptr);
}

TEST_F(Scroller, question_of_37_characters_leaves_the_second_row_empty) {
    auto second_row_after = [](int32_t position) {
        clear_surface(surface, 0, 0, 240, 40, 0);
        if (position < 0)
            show_picture(L"\\fontboard.nbf", 0, 5);
        else
            draw_question(position);
        return pixels(0, 22, 240, 32); // below the first row's glyphs
    };
    app_state->screen = kind_love;
    const std::vector<uint8_t> board = second_row_after(-1);
    EXPECT_EQ(second_row_after(2), board);
    EXPECT_NE(second_row_after(4), board) << "\"sexually only?\" on the second row";
    app_state->screen = kind_money;
    EXPECT_NE(second_row_after(7), board);
    EXPECT_EQ(second_row_after(8), board) << "money has no question 8";
}

TEST_F(Scroller, question_is_redrawn_for_the_position_already_shown) {
    use_cards({full_rows(7), full_rows(9)});
    begin_reading(kind_love);
    app_state->drawn_cards[3] = 1;
    restore_reading_state(3);
    show_meaning(3);
    save_reading_state(3); // as the reading does after every tap
    clear_surface(surface, 0, 0, 240, 40, 77);
    show_meaning(3);
    const std::vector<uint8_t> shown = pixels(0, 0, 240, 40);
    clear_surface(surface, 0, 0, 240, 40, 77);
    draw_question(3);
    EXPECT_EQ(shown, pixels(0, 0, 240, 40));
}

// Every code with a glyph, "!" (33) to the font's last (127), shows in the window; spaces,
// line ends and bytes above 127 leave their cells blank.
TEST_F(Scroller, window_draws_codes_33_to_127_and_leaves_others_blank) {
    fresh_page_of(10);
    std::memset(app_state->wrapped_text, 0, sizeof app_state->wrapped_text);
    const char row[] = "!\x7F \n\r\x80\xFF~";
    std::memcpy(app_state->wrapped_text, row, sizeof row - 1);
    draw_meaning_page(0);
    const std::vector<uint8_t> page = text_window();

    clear_surface(surface, 80, 55, 222, 85, 0);
    draw_glyph('!', 83, 58);
    draw_glyph(127, 83 + 6, 58);
    draw_glyph('~', 83 + 6 * 7, 58);
    EXPECT_EQ(page, text_window());
    clear_surface(surface, 80, 55, 222, 85, 0);
    draw_glyph('!', 83, 58);
    draw_glyph('~', 83 + 6 * 7, 58);
    EXPECT_NE(page, text_window()) << "the glyph of 127 shows";
}
