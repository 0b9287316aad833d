// reading_flow_test.cpp -- whole sessions through the headless back end: every road from the
// title screen to the end, as a user taps them

#include "test_support.h"
#include "shell/shell.h"
#include "graphics/graphics.h"
#include "reading/reading.h"
#include "screens/screens.h"
#include <gtest/gtest.h>
#include <filesystem>
#include <functional>

namespace {

// [SECTION] Session recorder

// What a step hook saw: the state before each screen step.
struct Seen {
    AppState state;
    uint32_t clock;
    size_t log_size;
};

std::vector<Seen> seen;
std::vector<Seen> at_tap; // the state when each tap arrives: the result of the one before
std::function<void()> script;

void record_step() {
    if (app_state) seen.push_back({*app_state, headless_clock(), headless_log().size()});
}

void record_tap(const std::string& line) {
    if (line.find(" tap ") != std::string::npos && app_state) {
        record_step();
        at_tap.push_back(seen.back());
        seen.pop_back();
    }
}

int run(const std::string& install, std::function<void()> commands) {
    seen.clear();
    at_tap.clear();
    script = std::move(commands);
    return run_program(install, [] {
        headless_set_step_hook(record_step);
        headless_set_log_hook(record_tap);
        script();
    });
}

const Seen& last_seen() {
    return seen.back();
}

// From the title into a reading of `kind`, shuffled and dealt onto the table.
void open_reading(int32_t kind) {
    tap(START);
    tap(MENU_ITEM[kind - 2]);
    tap(DECK);
    tap(NEXT);
}

int count_screen_visits(int32_t screen) {
    int visits = 0;
    int32_t previous = -1;
    for (const Seen& s : seen) {
        if (s.state.screen == screen && previous != screen) visits++;
        previous = s.state.screen;
    }
    return visits;
}

} // namespace

// [SECTION] Title screen and menu

TEST(ReadingFlow, title_start_needs_a_tap_strictly_inside_its_button) {
    run(data_dir(), [] {
        headless_queue_tap(173, 274);
        headless_queue_tap(174, 273);
    });
    EXPECT_EQ(last_seen().state.screen, 1);
    EXPECT_EQ(last_seen().state.tap_pending, 1) << "a miss stays pending";
    run(data_dir(), [] { headless_queue_tap(174, 274); });
    EXPECT_EQ(last_seen().state.screen, 100);
    EXPECT_TRUE(log_has("sound \\sound\\ico.wav"));
}

TEST(ReadingFlow, title_exit_and_menu_exit_end_the_program) {
    EXPECT_EQ(run(data_dir(), [] { tap(TITLE_EXIT); }), 0);
    EXPECT_TRUE(log_has("sound \\sound\\end.wav"));
    EXPECT_TRUE(log_has("quit 0"));
    EXPECT_FALSE(log_has("destroy")) << "an exit chosen by the user does not destroy";
    run(data_dir(), [] {
        tap(START);
        tap(MENU_EXIT);
    });
    EXPECT_TRUE(log_has("sound \\sound\\end.wav"));
    EXPECT_TRUE(log_has("quit 0"));
    EXPECT_TRUE(headless_messages().empty());
}

TEST(ReadingFlow, a_menu_tap_that_hits_nothing_deals_again_on_every_step) {
    run(data_dir(), [] {
        tap(START);
        headless_queue_tap(120, 226); // between money and about tarot
        headless_queue_wait(7);
        headless_queue_steps(2);
    });
    std::vector<const Seen*> pending;
    for (const Seen& s : seen)
        if (s.state.screen == 100 && s.state.tap_pending == 1) pending.push_back(&s);
    ASSERT_GE(pending.size(), 3u);
    const Seen& before = *pending.front();
    const Seen& after = *pending.back();
    EXPECT_EQ(after.state.tap_x, 120);
    ASSERT_NE(before.clock, after.clock);
    EXPECT_NE(std::vector<int32_t>(before.state.drawn_cards, before.state.drawn_cards + 10),
              std::vector<int32_t>(after.state.drawn_cards, after.state.drawn_cards + 10))
        << "the clock moved, so the deal changed";
}

// [SECTION] Readings

TEST(ReadingFlow, every_reading_runs_from_the_menu_to_a_scrolled_meaning_and_back) {
    for (int32_t kind = kind_desire; kind <= kind_money; kind++) {
        SCOPED_TRACE(kind);
        static int32_t k;
        k = kind;
        run(data_dir(), [] {
            open_reading(k);
            tap(card_centre(k, 0));
            tap(ARROW_DOWN);
            tap(ARROW_DOWN);
            headless_queue_steps(1);
        });
        const Seen& reading = last_seen();
        EXPECT_EQ(reading.state.screen, kind);
        EXPECT_EQ(reading.state.reading_shown, 1);
        EXPECT_EQ(reading.state.shown_position, 0);
        EXPECT_GT(reading.state.text_length, 184) << "every meaning is long enough to scroll";
        EXPECT_EQ(reading.state.top_row, 2);
        EXPECT_EQ(reading.state.bottom_row, 9);
        EXPECT_GT(reading.state.table.ball_y, 67);
        EXPECT_TRUE(log_has("sound \\sound\\shufflecard.WAV"));
        EXPECT_TRUE(headless_messages().empty()) << headless_messages().front();
        // Menu from the table, then a second reading starts unshuffled and fresh.
        run(data_dir(), [] {
            open_reading(k);
            tap(card_centre(k, 0));
            tap(ARROW_DOWN);
            tap(TABLE_MENU);
            tap(MENU_ITEM[k - 2]);
        });
        EXPECT_EQ(last_seen().state.screen, kind);
        EXPECT_EQ(last_seen().state.shuffling, 1);
        EXPECT_EQ(last_seen().state.deck_shuffled, 0);
        EXPECT_EQ(last_seen().state.reading_shown, 0);
        EXPECT_EQ(count_screen_visits(100), 2);
    }
}

TEST(ReadingFlow, past_reading_keeps_each_cards_scrolled_page) {
    run(data_dir(), [] {
        open_reading(kind_past);
        tap(card_centre(kind_past, 0));
        tap(ARROW_DOWN);
        tap(ARROW_DOWN);
        tap(card_centre(kind_past, 1));
        tap(card_centre(kind_past, 0));
        tap(card_centre(kind_past, 0));
        headless_queue_steps(1);
    });
    // Taps 1-4 open the reading; 5 card 0, 6 and 7 down, 8 card 1, 9 and 10 card 0.
    ASSERT_EQ(at_tap.size(), 10u);
    const Seen& scrolled = at_tap[7]; // when tap 8 arrives: after the second scroll
    EXPECT_EQ(scrolled.state.top_row, 2);
    EXPECT_GT(scrolled.state.table.ball_y, 67);
    const Seen& on_card_1 = at_tap[8];
    EXPECT_EQ(on_card_1.state.table.last_position, 1);
    EXPECT_EQ(on_card_1.state.top_row, 0);
    const Seen& back_on_0 = at_tap[9];
    EXPECT_EQ(back_on_0.state.table.last_position, 0);
    EXPECT_EQ(back_on_0.state.top_row, 2) << "position 0's scrolled page comes back";
    EXPECT_EQ(back_on_0.state.bottom_row, 9);
    EXPECT_EQ(back_on_0.state.table.ball_y, scrolled.state.table.ball_y);
    const Seen& reset = last_seen();
    EXPECT_EQ(reset.state.top_row, 0) << "tapping the card on display resets its page";
    EXPECT_EQ(reset.state.table.ball_y, 67);
}

TEST(ReadingFlow, desire_card_tapped_again_shows_its_meaning_from_the_top) {
    run(data_dir(), [] {
        open_reading(kind_desire);
        tap(card_centre(kind_desire, 0));
        tap(ARROW_DOWN);
        tap(ARROW_DOWN);
        tap(card_centre(kind_desire, 0));
        headless_queue_steps(1);
    });
    EXPECT_EQ(last_seen().state.top_row, 0);
    EXPECT_EQ(last_seen().state.bottom_row, 7);
}

TEST(ReadingFlow, love_tap_on_a_thumbnail_edge_reveals_nothing_but_is_consumed) {
    run(data_dir(), [] {
        open_reading(kind_love);
        headless_queue_tap(110, 190); // x equal to position 0's left edge
        headless_queue_steps(1);
    });
    EXPECT_EQ(last_seen().state.tap_pending, 0);
    EXPECT_EQ(last_seen().state.shown_position, -1);
    EXPECT_EQ(last_seen().state.scroller_active, 0);
}

TEST(ReadingFlow, arrows_do_nothing_before_a_card_is_revealed) {
    run(data_dir(), [] {
        open_reading(kind_past);
        tap(ARROW_DOWN);
        headless_queue_steps(1);
    });
    EXPECT_EQ(last_seen().state.scroll_down_pressed, 0);
    EXPECT_EQ(last_seen().state.shown_position, -1);
}

// [SECTION] Shuffle screen

TEST(ReadingFlow, next_before_the_deck_shows_the_pop_up_and_keeps_the_tap_pending_at_x0) {
    run(data_dir(), [] {
        tap(START);
        tap(MENU_ITEM[0]);
        tap(NEXT);
        headless_queue_steps(2);
    });
    EXPECT_EQ(last_seen().state.screen, kind_desire);
    EXPECT_EQ(last_seen().state.tap_pending, 1);
    EXPECT_EQ(last_seen().state.tap_x, 0);
    EXPECT_EQ(last_seen().state.shuffling, 1);
    EXPECT_EQ(log_lines_with("sound \\sound\\ico.wav").size(), 4u) << "Start, desire, Next twice";
}

TEST(ReadingFlow, the_deck_twice_plays_two_animations_and_deals_twice) {
    run(data_dir(), [] {
        tap(START);
        tap(MENU_ITEM[3]);
        tap(DECK);
        tap(DECK);
        tap(NEXT);
    });
    EXPECT_EQ(log_lines_with("sound \\sound\\shufflecard.WAV").size(), 6u);
    EXPECT_EQ(last_seen().state.reading_shown, 1);
    EXPECT_GE(last_seen().clock, 2u * 18 * 30);
}

TEST(ReadingFlow, back_after_shuffling_returns_to_the_menu_through_one_title_step) {
    run(data_dir(), [] {
        tap(START);
        tap(MENU_ITEM[2]);
        tap(DECK);
        tap(BACK);
        tap(MENU_ITEM[2]);
    });
    EXPECT_EQ(count_screen_visits(1), 2);
    EXPECT_EQ(last_seen().state.screen, kind_past);
    EXPECT_EQ(last_seen().state.deck_shuffled, 0);
    EXPECT_TRUE(log_has("sound \\sound\\start.WAV"));
}

TEST(ReadingFlow, shuffle_screen_and_table_buttons_have_strict_bounds) {
    run(data_dir(), [] {
        tap(START);
        tap(MENU_ITEM[0]);
        tap(DECK);
        for (TapPoint p : {TapPoint{0, 300}, {20, 300}, {220, 300}, {10, 270}, {230, 270}}) tap(p);
    });
    EXPECT_EQ(last_seen().state.shuffling, 1);
    EXPECT_EQ(last_seen().state.screen, kind_desire);
    run(data_dir(), [] {
        open_reading(kind_desire);
        for (TapPoint p : {TapPoint{0, 300}, {20, 300}, {220, 300}, {10, 270}, {230, 270}}) tap(p);
    });
    EXPECT_EQ(last_seen().state.screen, kind_desire);
    EXPECT_EQ(last_seen().state.reading_shown, 1);
    EXPECT_FALSE(log_has("end.wav"));
}

// [SECTION] End of a reading

TEST(ReadingFlow, table_exit_shows_both_publisher_pages_for_five_seconds_then_ends) {
    run(data_dir(), [] {
        open_reading(kind_today);
        tap(TABLE_EXIT);
    });
    std::vector<std::string> sounds = log_lines_with(" sound ");
    ASSERT_GE(sounds.size(), 3u);
    EXPECT_NE(sounds[sounds.size() - 1].find("end.wav"), std::string::npos);
    EXPECT_NE(sounds[sounds.size() - 2].find("start.wav"), std::string::npos);
    auto time_of = [](const std::string& line) { return std::stoul(line); };
    std::vector<std::string> presents = log_lines_with(" present ");
    ASSERT_GE(presents.size(), 3u);
    unsigned long end = time_of(sounds.back());
    EXPECT_EQ(end - time_of(presents[presents.size() - 1]), 5000u);
    EXPECT_EQ(end - time_of(presents[presents.size() - 2]), 10000u);
    EXPECT_TRUE(log_has("quit 0"));
}

// [SECTION] Information pages

TEST(ReadingFlow, about_page_back_returns_to_the_menu) {
    run(data_dir(), [] {
        tap(START);
        tap(MENU_ITEM[6]);
        headless_queue_tap(149, 300); // on the edge: nothing
        headless_queue_tap(100, 311);
        headless_queue_steps(2);
    });
    EXPECT_EQ(last_seen().state.screen, 8);
    EXPECT_TRUE(log_has("sound \\sound\\main.wav"));
    run(data_dir(), [] {
        tap(START);
        tap(MENU_ITEM[6]);
        headless_queue_tap(100, 300);
    });
    EXPECT_EQ(last_seen().state.screen, 100);
}

TEST(ReadingFlow, publisher_pages_next_back_and_menu) {
    run(data_dir(), [] {
        tap(START);
        tap(MENU_ITEM[7]);
        headless_queue_tap(120, 200); // dropped
        headless_queue_steps(1);
    });
    EXPECT_EQ(last_seen().state.tap_pending, 0);
    EXPECT_EQ(last_seen().state.tap_x, 0);
    EXPECT_EQ(last_seen().state.publisher_page, 0);
    run(data_dir(), [] {
        tap(START);
        tap(MENU_ITEM[7]);
        headless_queue_tap(200, 305); // Next
        headless_queue_tap(50, 305);  // Back on the second page
        headless_queue_tap(200, 305); // Next again
        headless_queue_tap(200, 315); // Menu
        tap(MENU_ITEM[7]);
        headless_queue_steps(1);
    });
    EXPECT_EQ(last_seen().state.screen, 10);
    EXPECT_EQ(last_seen().state.publisher_page, 0) << "entering again shows the first page";
    EXPECT_EQ(count_screen_visits(100), 2);
    run(data_dir(), [] {
        tap(START);
        tap(MENU_ITEM[7]);
        headless_queue_tap(20, 305); // Back to the menu
    });
    EXPECT_EQ(last_seen().state.screen, 100);
}

// [SECTION] Missing pictures: every screen ends cleanly

TEST(ReadingFlow, a_missing_picture_on_any_screen_ends_the_program_cleanly) {
    struct Case {
        const char* file;
        void (*taps)();
    } cases[] = {
        {"menu.nbf", [] { tap(START); }},
        {"button_start_02.nbf", [] { tap(START); }},
        {"menu_sub_love2.nbf", [] { tap(START), tap(MENU_ITEM[3]); }},
        {"shuffletext.nbf", [] { tap(START), tap(MENU_ITEM[3]); }},
        {"title_love.nbf", [] { tap(START), tap(MENU_ITEM[3]); }},
        {"shuffle.nbf", [] { tap(START), tap(MENU_ITEM[3]), tap(DECK); }},
        {"shuffle_pop.nbf", [] { tap(START), tap(MENU_ITEM[3]), tap(NEXT); }},
        {"newnext02.nbf", [] { open_reading(kind_love); }},
        {"table.nbf", [] { open_reading(kind_love); }},
        {"fontboard.nbf", [] { open_reading(kind_love), tap(card_centre(kind_love, 0)); }},
        {"scroll_ball.nbf", [] { open_reading(kind_past), tap(card_centre(kind_past, 0)); }},
        {"frame_scroll_02_down.nbf",
         [] { open_reading(kind_past), tap(card_centre(kind_past, 0)), tap(ARROW_DOWN); }},
        {"newmenu02.nbf", [] { open_reading(kind_today), tap(TABLE_MENU); }},
        {"vorngame02.nbf", [] { open_reading(kind_today), tap(TABLE_EXIT); }},
        {"abouttarot.nbf", [] { tap(START), tap(MENU_ITEM[6]); }},
        {"vorngame01.nbf", [] { tap(START), tap(MENU_ITEM[7]); }},
        {"button_menu_02.nbf",
         [] {
             tap(START), tap(MENU_ITEM[7]), tap({200, 305}), tap({200, 315});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string folder = copy_install_folder("missing_picture");
        std::filesystem::remove(folder + "/picture/" + c.file);
        static void (*taps)();
        taps = c.taps;
        int code = run(folder, [] {
            taps();
            tap(START); // nothing may answer any more
        });
        EXPECT_EQ(code, 0);
        ASSERT_FALSE(headless_messages().empty());
        EXPECT_EQ(headless_messages().front(), "|567768354645");
        EXPECT_TRUE(log_has("destroy"));
        EXPECT_TRUE(log_has("quit 0"));
        // Nothing reaches the display once the program is ending.
        std::vector<std::string> lines = headless_log();
        size_t destroyed = 0;
        while (lines[destroyed].find(" destroy") == std::string::npos) destroyed++;
        for (size_t i = destroyed; i < lines.size(); i++)
            EXPECT_EQ(lines[i].find(" present "), std::string::npos) << lines[i];
    }
}
