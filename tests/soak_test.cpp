// soak_test.cpp -- long random sessions: thousands of taps, aimed mostly at the buttons and
// cards of whatever screen is up, with the program's state checked after every step
//
// QUARNEL_SOAK_TAPS sets the number of taps (default 10,000).

#include "test_support.h"
#include "shell/shell.h"
#include "reading/reading.h"
#include "screens/screens.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace {

// [SECTION] Where to tap

struct Point {
    int32_t x, y;
};

struct Target {
    Point at;
    int weight;
};

// The buttons of each screen, weighted so that sessions wander through every screen and
// rarely take an exit (each exit ends the run, and a new one starts).
std::vector<Target> buttons_of(const AppState& s) {
    switch (s.screen) {
    case screen_title:
        return {{{200, 280}, 60}, {{200, 300}, 1}};
    case screen_menu:
        return {{{110, 118}, 5}, {{110, 137}, 5}, {{110, 156}, 5}, {{115, 178}, 5}, {{115, 196}, 5},
                {{110, 217}, 5}, {{110, 245}, 3}, {{110, 270}, 3}, {{118, 300}, 1}};
    case screen_about:
        return {{{120, 303}, 5}};
    case screen_publisher:
        if (app_state->publisher_page == 0) return {{{40, 305}, 3}, {{190, 305}, 3}};
        return {{{50, 305}, 3}, {{190, 305}, 3}};
    default:
        break;
    }
    if (s.screen < kind_desire || s.screen > kind_money) return {};
    if (s.shuffling == 1) return {{{10, 300}, 2}, {{230, 300}, 8}, {{120, 220}, 5}};
    std::vector<Target> out = {{{230, 57}, 10}, {{230, 137}, 40}, {{230, 300}, 4}, {{10, 300}, 1}};
    const bool thumbs = s.screen >= kind_love;
    for (int32_t p = 0; p < spread_size(s.screen); ++p) {
        const SpreadPoint at = app_state->table.spread_positions[p];
        out.push_back({{at.x + (thumbs ? 10 : 30), at.y + (thumbs ? 16 : 50)}, 4});
    }
    return out;
}

std::mt19937 rng;

int32_t pick(std::initializer_list<int32_t> values) {
    return *(values.begin() + std::uniform_int_distribution<size_t>(0, values.size() - 1)(rng));
}

// A tap for the state: mostly a button or card of the screen (a few pixels off now and then,
// to hit the edges of the tap areas), sometimes anywhere, sometimes at the extremes of what
// a tap can carry.
Point next_tap(const AppState& s) {
    const int kind = std::uniform_int_distribution<int>(0, 99)(rng);
    if (kind < 8) {
        return {pick({0, 239, 319, 65535, int32_t(rng() & 0xFFFF)}),
                pick({0, 239, 319, 65535, int32_t(rng() & 0xFFFF)})};
    }
    std::vector<Target> targets = buttons_of(s);
    if (kind < 20 || targets.empty())
        return {std::uniform_int_distribution<int32_t>(0, 239)(rng),
                std::uniform_int_distribution<int32_t>(0, 319)(rng)};
    int total = 0;
    for (const Target& t : targets) total += t.weight;
    int chosen = std::uniform_int_distribution<int>(0, total - 1)(rng);
    size_t i = 0;
    while (chosen >= targets[i].weight) chosen -= targets[i++].weight;
    Point p = targets[i].at;
    if (kind >= 90) {
        p.x += std::uniform_int_distribution<int32_t>(-4, 4)(rng);
        p.y += std::uniform_int_distribution<int32_t>(-4, 4)(rng);
    }
    return p;
}

// [SECTION] What must hold after every step

// The first time each invariant broke, with the step and the state; a session goes on after
// a failure so that one fault does not hide the others.
std::map<std::string, std::string> failures;
uint64_t steps_seen = 0;
int32_t lowest_ball = BALL_TOP, highest_ball = BALL_TOP;
int taps_left = 0;
std::set<int32_t> screens_seen;
std::set<int32_t> readings_with_meaning;
bool scrolled = false;
bool reached_end = false; // a window scrolled down to the last row of its text

void fail(const std::string& what, const AppState& s) {
    if (failures.count(what)) return;
    std::ostringstream out;
    out << "step " << steps_seen << ": " << what << " (screen " << s.screen << ", top_row "
        << s.top_row << ", bottom_row " << s.bottom_row << ", row_count "
        << app_state->table.row_count << ", ball_y " << app_state->table.ball_y << ", text_length "
        << s.text_length << ", shown_position " << s.shown_position << ")";
    failures[what] = out.str();
}

bool flag(int32_t v) {
    return v == 0 || v == 1;
}

void check_state(const AppState& s) {
    static const std::set<int32_t> screens = {1, 2, 3, 4, 5, 6, 7, 8, 10, 100};
    if (!screens.count(s.screen)) fail("screen is not a screen", s);
    std::set<int32_t> cards;
    for (int32_t v : s.drawn_cards) {
        if (v < 0 || v > 155) fail("dealt value outside 0..155", s);
        cards.insert(v / 2);
    }
    if (cards.size() != 10) fail("the ten dealt cards are not distinct", s);
    for (int32_t c = 0; c < 78; ++c)
        if (s.deck_used[c] != int32_t(cards.count(c))) fail("deck marks other cards than dealt", s);
    if (s.tap_x < 0 || s.tap_x > 65535 || s.tap_y < 0 || s.tap_y > 65535)
        fail("tap outside 0..65535", s);
    if (!flag(s.tap_pending) || !flag(s.shuffling) || !flag(s.reading_shown) ||
        !flag(s.scroll_up_pressed) || !flag(s.scroll_down_pressed) || !flag(s.scroller_active) ||
        !flag(s.deck_shuffled))
        fail("a flag is neither 0 nor 1", s);
    if (s.top_row < 0 || s.top_row > s.bottom_row) fail("rows out of order", s);
    if (s.shown_position < -1 || s.shown_position > 9) fail("shown position outside -1..9", s);
    if (app_state->table.last_position < 0 || app_state->table.last_position > 9)
        fail("last position outside 0..9", s);
    if (!flag(app_state->publisher_page)) fail("publisher page neither 0 nor 1", s);
    if (s.text_length < 0 || s.text_length > 23 * 52 - 1) fail("text length outside its rows", s);
    const bool reading = s.screen >= kind_desire && s.screen <= kind_money;
    if (reading && s.scroller_active == 1 && s.shown_position >= 0 && s.text_length > 184) {
        readings_with_meaning.insert(s.screen);
        lowest_ball = std::min(lowest_ball, app_state->table.ball_y);
        highest_ball = std::max(highest_ball, app_state->table.ball_y);
        if (s.bottom_row > app_state->table.row_count)
            fail("window below the last row of the text", s);
        if (app_state->table.ball_y < 67 || app_state->table.ball_y > 125)
            fail("scroll ball off its bar", s);
        if (s.top_row > 0) scrolled = true;
        if (s.bottom_row == app_state->table.row_count) reached_end = true;
    }
}

// One tap at a time: the next one is chosen after the screen step that answered the last,
// for the screen that is up by then (every tap gets two steps; the second sees its result).
bool tap_waiting = false;
int steps_since_tap = 0;

void note_tap(const std::string& line) {
    if (line.find(" tap ") == std::string::npos) return;
    tap_waiting = false;
    steps_since_tap = 0;
}

void after_each_step() {
    steps_seen++;
    steps_since_tap++;
    if (!app_state) {
        fail("no state while the program runs", AppState{});
        return;
    }
    const AppState& s = *app_state;
    screens_seen.insert(s.screen);
    check_state(s);
    if (!tap_waiting && steps_since_tap >= 2 && taps_left > 0) {
        taps_left--;
        const Point p = next_tap(s);
        headless_queue_tap(p.x, p.y);
        tap_waiting = true;
    }
}

void start_session() {
    headless_set_idle_steps(2);
    headless_set_step_hook(after_each_step);
    headless_set_log_hook(note_tap);
    taps_left--;
    headless_queue_tap(200, 280);
    tap_waiting = true;
}

int soak_taps() {
    const char* text = std::getenv("QUARNEL_SOAK_TAPS");
    const int taps = text ? std::atoi(text) : 0;
    return taps > 0 ? taps : 10000;
}

} // namespace

// [SECTION] Tests

// The runs of a session follow each other until every tap is spent: each run starts at the
// title screen and ends by an exit tap or when the taps run out.
TEST(Soak, random_taps_keep_the_state_sound_and_every_run_ends_cleanly) {
    const auto started = std::chrono::steady_clock::now();
    const int total = soak_taps();
    failures.clear(), screens_seen.clear(), readings_with_meaning.clear();
    steps_seen = 0, scrolled = reached_end = false;
    lowest_ball = highest_ball = BALL_TOP;
    int runs = 0;
    for (uint32_t seed : {20240601u, 7u}) {
        SCOPED_TRACE(seed);
        rng.seed(seed);
        taps_left = total / 2;
        while (taps_left > 0) {
            const int code = run_program(data_dir(), start_session);
            runs++;
            ASSERT_EQ(code, 0);
            ASSERT_TRUE(headless_messages().empty()) << headless_messages().front();
            ASSERT_TRUE(log_has("quit 0"));
            ASSERT_FALSE(log_has("step limit"));
        }
    }
    for (const auto& [what, where] : failures) ADD_FAILURE() << where;
    headless_set_step_hook(nullptr);
    headless_set_log_hook(nullptr);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("soak: %d taps in %d runs, %llu steps, %.1f s; ball between %d and %d\n", total,
                runs, (unsigned long long)steps_seen, seconds, lowest_ball, highest_ball);
    // The taps reached every screen and every reading's meaning pages, and scrolled texts to
    // their ends.
    for (int32_t screen : {1, 2, 3, 4, 5, 6, 7, 8, 10, 100})
        EXPECT_TRUE(screens_seen.count(screen)) << "screen " << screen << " never seen";
    for (int32_t kind = kind_desire; kind <= kind_money; ++kind)
        EXPECT_TRUE(readings_with_meaning.count(kind)) << "no meaning shown in reading " << kind;
    EXPECT_TRUE(scrolled);
    EXPECT_TRUE(reached_end);
    EXPECT_GT(runs, 2) << "exits were taken and new runs started";
}

// Scrolling one row down and one back up again and again must leave the ball where it was:
// whenever the window is back on the first row, the ball is back at the top of its bar.
TEST(Soak, scrolling_down_and_up_again_and_again_brings_the_ball_back_to_the_top) {
    static std::vector<std::pair<int32_t, int32_t>> pages; // (top_row, ball_y) at each step
    pages.clear();
    run_program(data_dir(), [] {
        headless_set_idle_steps(1);
        headless_set_step_hook([] {
            const AppState& s = *app_state;
            if (s.shown_position == 0 && s.text_length > 184)
                pages.push_back({s.top_row, app_state->table.ball_y});
        });
        // A past reading, its first card, then down and up a hundred times.
        for (Point p :
             {Point{200, 280}, Point{110, 156}, Point{120, 220}, Point{230, 300}, Point{55, 230}})
            headless_queue_tap(p.x, p.y);
        for (int i = 0; i < 100; ++i) {
            headless_queue_tap(230, 137);
            headless_queue_tap(230, 57);
        }
    });
    headless_set_step_hook(nullptr);
    ASSERT_GT(pages.size(), 150u) << "the card's text is long enough to scroll";
    int32_t lowest = BALL_TOP, highest = BALL_TOP, off_top = 0;
    for (const auto& [top_row, y] : pages) {
        lowest = std::min(lowest, y), highest = std::max(highest, y);
        if (top_row == 0 && y != BALL_TOP) off_top++;
    }
    EXPECT_EQ(off_top, 0) << "pages on the first row with the ball elsewhere; the ball went "
                          << "from " << lowest << " to " << highest;
    EXPECT_GE(lowest, BALL_TOP);
    EXPECT_LE(highest, BALL_TOP + BALL_TRAVEL + 1);
}
