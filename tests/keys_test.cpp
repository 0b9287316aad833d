// keys_test.cpp -- every key on every screen does what the tap on its button does: the same
// sounds, frames, screens and end, through the headless back end

#include "test_support.h"
#include "platform/common/common.h"
#include "screens/screens.h"
#include <gtest/gtest.h>
#include <functional>

namespace {

std::function<void()> queued;
void queue_queued() {
    queued();
}

// The log of a run with the key lines, highlight moves and tap positions left out: what the
// program did, not how the input was spelled. Each entry keeps its virtual time.
std::vector<std::string> run_and_log(const std::function<void()>& script) {
    queued = script;
    run_program(data_dir(), queue_queued);
    std::vector<std::string> out;
    for (const std::string& line : headless_log()) {
        size_t space = line.find(' ');
        std::string event = line.substr(space + 1);
        if (event.rfind("key ", 0) == 0 || event.rfind("highlight ", 0) == 0) continue;
        if (event.rfind("tap ", 0) == 0) event = "tap";
        out.push_back(line.substr(0, space) + " " + event);
    }
    return out;
}

void to_menu() {
    tap(START);
}
void to_love_shuffle() {
    tap(START);
    tap(MENU_ITEM[3]);
}
void to_love_table() {
    to_love_shuffle();
    tap(DECK);
    tap(NEXT);
}
void to_love_meaning() {
    to_love_table();
    tap(card_centre(kind_love, 0));
}
void to_desire_table() {
    tap(START);
    tap(MENU_ITEM[0]);
    tap(DECK);
    tap(NEXT);
}
void to_about() {
    tap(START);
    tap(MENU_ITEM[6]);
}
void to_publisher() {
    tap(START);
    tap(MENU_ITEM[7]);
}
void to_second_publisher_page() {
    to_publisher();
    tap(PUBLISHER_NEXT);
}

const TapPoint NOTHING = {-1, -1};

struct KeyCase {
    const char* screen;
    void (*before)();
    std::vector<const char*> keys;
    std::vector<TapPoint> taps; // what a user taps instead; NOTHING: the key taps nothing
};

const TapPoint PUBLISHER_BACK = {40, 305}, PUBLISHER_BACK_2 = {50, 306};

// Runs the prefix, then the keys (or the taps), then six seconds more, long enough for any
// closing sequence.
void expect_same(const KeyCase& c) {
    auto with_keys = run_and_log([&] {
        c.before();
        for (const char* k : c.keys) headless_queue_key(key_named(k));
        headless_queue_wait(6000);
    });
    auto with_taps = run_and_log([&] {
        c.before();
        for (TapPoint p : c.taps) {
            if (p.x >= 0)
                tap(p);
            else
                headless_queue_steps(3); // the steps that follow a command
        }
        headless_queue_wait(6000);
    });
    std::string keys;
    for (const char* k : c.keys) keys += std::string(k) + " ";
    EXPECT_EQ(with_keys, with_taps) << c.screen << ": " << keys;
}

} // namespace

TEST(Keys, each_key_does_what_the_tap_on_its_button_does_on_every_screen) {
    const KeyCase cases[] = {
        {"title", [] {}, {"enter"}, {START}},
        {"title", [] {}, {"space"}, {START}},
        {"title", [] {}, {"escape"}, {TITLE_EXIT}},
        {"title", [] {}, {"1", "up", "pageup", "backspace"}, {NOTHING, NOTHING, NOTHING, NOTHING}},
        {"menu", to_menu, {"1"}, {MENU_ITEM[0]}},
        {"menu", to_menu, {"2"}, {MENU_ITEM[1]}},
        {"menu", to_menu, {"3"}, {MENU_ITEM[2]}},
        {"menu", to_menu, {"4"}, {MENU_ITEM[3]}},
        {"menu", to_menu, {"5"}, {MENU_ITEM[4]}},
        {"menu", to_menu, {"6"}, {MENU_ITEM[5]}},
        {"menu", to_menu, {"7"}, {MENU_ITEM[6]}},
        {"menu", to_menu, {"8"}, {MENU_ITEM[7]}},
        {"menu", to_menu, {"9"}, {MENU_EXIT}},
        {"menu", to_menu, {"escape"}, {MENU_EXIT}},
        {"menu", to_menu, {"0", "enter", "space", "down"}, {NOTHING, NOTHING, NOTHING, NOTHING}},
        {"shuffle screen", to_love_shuffle, {"space", "enter"}, {DECK, NEXT}},
        {"shuffle screen", to_love_shuffle, {"space", "right"}, {DECK, NEXT}},
        {"shuffle screen", to_love_shuffle, {"enter"}, {NEXT}}, // not shuffled yet
        {"shuffle screen", to_love_shuffle, {"escape"}, {BACK}},
        {"shuffle screen", to_love_shuffle, {"backspace"}, {BACK}},
        {"shuffle screen", to_love_shuffle, {"left"}, {BACK}},
        {"card table", to_love_table, {"enter"}, {card_centre(kind_love, 0)}},
        {"card table", to_love_table, {"right", "right", "enter"}, {card_centre(kind_love, 1)}},
        {"card table", to_love_table, {"left", "space"}, {card_centre(kind_love, 9)}},
        {"card table", to_love_table, {"end", "left", "enter"}, {card_centre(kind_love, 8)}},
        {"card table",
         to_love_table,
         {"tab", "tab", "shift-tab", "enter"},
         {card_centre(kind_love, 0)}},
        {"card table",
         to_love_table,
         {"3", "0"},
         {card_centre(kind_love, 2), card_centre(kind_love, 9)}},
        {"card table", to_love_table, {"escape"}, {TABLE_MENU}},
        {"card table", to_love_table, {"backspace"}, {TABLE_MENU}},
        {"card table", to_love_meaning, {"down", "down", "up"}, {ARROW_DOWN, ARROW_DOWN, ARROW_UP}},
        {"card table", to_love_meaning, {"pagedown", "pageup"}, {ARROW_DOWN, ARROW_UP}},
        // With a meaning shown, Up and Down scroll; Right and Enter still go on to a card.
        {"card table",
         to_love_meaning,
         {"down", "right", "right", "enter"},
         {ARROW_DOWN, card_centre(kind_love, 1)}},
        {"card table",
         to_desire_table,
         {"enter", "down", "down"},
         {card_centre(kind_desire, 0), ARROW_DOWN, ARROW_DOWN}},
        {"card table", to_desire_table, {"2", "9", "home", "enter"}, {card_centre(kind_desire, 0)}},
        {"about page", to_about, {"escape"}, {ABOUT_BACK}},
        {"about page", to_about, {"enter"}, {ABOUT_BACK}},
        {"publisher page", to_publisher, {"enter"}, {PUBLISHER_NEXT}},
        {"publisher page", to_publisher, {"right"}, {PUBLISHER_NEXT}},
        {"publisher page", to_publisher, {"escape"}, {PUBLISHER_BACK}},
        {"second publisher page", to_second_publisher_page, {"enter"}, {PUBLISHER_MENU}},
        {"second publisher page", to_second_publisher_page, {"escape"}, {PUBLISHER_BACK_2}},
        {"second publisher page",
         to_second_publisher_page,
         {"left", "enter"},
         {PUBLISHER_BACK_2, PUBLISHER_NEXT}},
    };
    for (const KeyCase& c : cases) expect_same(c);
}

TEST(Keys, a_whole_reading_from_the_keyboard_alone_matches_the_same_reading_by_taps) {
    auto with_keys = run_and_log([] {
        for (const char* k : {"enter", "6", "space", "enter", "right", "enter", "right", "enter",
                              "pagedown", "down", "up", "escape", "escape"})
            headless_queue_key(key_named(k));
    });
    auto with_taps = run_and_log([] {
        tap(START);
        tap(MENU_ITEM[5]); // money
        tap(DECK);
        tap(NEXT);
        tap(card_centre(kind_money, 0));
        tap(card_centre(kind_money, 1));
        tap(ARROW_DOWN);
        tap(ARROW_DOWN);
        tap(ARROW_UP);
        tap(TABLE_MENU);
        tap(MENU_EXIT);
    });
    EXPECT_EQ(with_keys, with_taps);
    EXPECT_TRUE(log_has(" quit 0")); // the menu's Exit ended the program
}

TEST(Keys, highlight_follows_the_arrows_over_the_spread_and_leaves_with_the_card_table) {
    queued = [] {
        to_love_table();
        for (const char* k : {"left", "left", "right", "home", "end", "tab", "escape", "1"})
            headless_queue_key(key_named(k));
    };
    run_program(data_dir(), queue_queued);
    std::vector<std::string> moves;
    for (const std::string& line : log_lines_with(" highlight "))
        moves.push_back(line.substr(line.find("highlight")));
    // Around the ten cards both ways; Escape leaves for the menu, where it is dropped.
    std::vector<std::string> expected = {"highlight 9", "highlight 8", "highlight 9", "highlight 0",
                                         "highlight 9", "highlight 0", "highlight -1"};
    EXPECT_EQ(moves, expected);
}

TEST(Keys, every_key_has_one_name_and_unknown_names_are_none) {
    for (int32_t key = KEY_ENTER; key <= KEY_9; key++) {
        std::string name = key_name(key);
        EXPECT_FALSE(name.empty()) << key;
        EXPECT_EQ(key_named(name), key) << name;
    }
    EXPECT_EQ(key_named("Enter"), KEY_NONE);
    EXPECT_EQ(key_named(""), KEY_NONE);
    EXPECT_EQ(key_named("10"), KEY_NONE);
}
