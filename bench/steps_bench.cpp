// steps_bench.cpp -- the processor time of one screen step of the real program, and of
// start-up to the first frame, each set against its budget (1 ms a step, 10 ms start-up)
//
// The program runs on the headless back end with the generated install folder: start_up
// as app_main calls it, taps delivered through dispatch_message to window_procedure, and
// screen_step called the way the main loop calls it when the queue is empty. The back
// end's sleep_ms only advances a virtual clock, so a step's time is all processing.
//
// Each step is timed with the thread's processor clock (the reported Time), so other
// processes on the machine do not stretch it; wall_us gives the wall time too. The headless
// GXEndDraw hashes every presented frame and logs it, work a device display never does:
// backend_us is that cost (measured in the same run) times the step's presents, and
// program_us is the step's time without it. of_budget is program_us against 1 ms.

#include "graphics/graphics.h"
#include "platform/headless/headless.h"
#include "reading/reading.h"
#include "screens/screens.h"
#include "shell/shell.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <string>

namespace {

// [SECTION] Clocks

double thread_seconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double wall_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// [SECTION] Driving the program

struct Point {
    int32_t x, y;
};
const Point START = {200, 280};
const Point MENU_ITEM[8] = {{110, 118}, {110, 137}, {110, 156}, {115, 178},
                            {115, 196}, {110, 217}, {110, 245}, {110, 270}};
const Point BACK = {10, 300}, NEXT = {230, 300}, DECK = {120, 220};
const Point ABOUT_BACK = {100, 300}, PUBLISHER_BACK = {30, 305};
const Point ARROW_UP = {230, 57}, ARROW_DOWN = {230, 137};
enum { MENU_ABOUT = 6, MENU_PUBLISHER = 7 };

uint32_t start_clock = 0; // the tick count at start; the deals follow from it

// Starts the program as app_main does, up to its main loop; 0 when it did not start.
int start_program() {
    headless_reset();
    headless_set_clock(start_clock);
    headless_set_install_dir(QUARNEL_DATA_DIR);
    return start_up(1) && app_state && app_state->screen == screen_title;
}

void stop_program() {
    release_objects();
}

// A stylus tap, delivered as the main loop delivers it.
void tap(Point p) {
    Message message = {main_window, MESSAGE_LBUTTONDOWN, 0,
                       intptr_t((uint32_t(p.x) & 0xFFFF) | ((uint32_t(p.y) & 0xFFFF) << 16))};
    dispatch_message(&message);
}

void tap_and_step(Point p) {
    tap(p);
    screen_step();
}

// From a fresh start to the main menu.
int open_menu() {
    if (!start_program()) return 0;
    tap_and_step(START);
    return app_state->screen == screen_menu;
}

// From a fresh start to the shuffle screen of a reading.
int open_shuffle_screen(int32_t kind) {
    if (!open_menu()) return 0;
    tap_and_step(MENU_ITEM[kind - kind_desire]);
    return app_state->screen == kind && app_state->shuffling == 1;
}

// From a fresh start to a reading's spread laid face down on the card table.
int open_card_table(int32_t kind) {
    if (!open_shuffle_screen(kind)) return 0;
    tap_and_step(DECK);
    tap_and_step(NEXT);
    return app_state->reading_shown == 1;
}

// The middle of a card of the current spread.
Point card_centre(int32_t kind, int32_t position) {
    int thumbs = kind == kind_love || kind == kind_business || kind == kind_money;
    SpreadPoint at = app_state->table.spread_positions[position];
    return thumbs ? Point{at.x + 10, at.y + 16} : Point{at.x + 30, at.y + 50};
}

// [SECTION] Back-end present cost

// Processor time of one headless GXBeginDraw + GXEndDraw (frame hash and log line), measured
// once per run on a started program.
double backend_present_seconds() {
    static double seconds = -1;
    if (seconds >= 0) return seconds;
    if (!start_program()) return seconds = 0;
    const int rounds = 400;
    double best = 1e9;
    for (int batch = 0; batch < 5; ++batch) {
        double t0 = thread_seconds();
        for (int i = 0; i < rounds; ++i) {
            GXBeginDraw();
            GXEndDraw();
        }
        double t = (thread_seconds() - t0) / rounds;
        if (t < best) best = t;
    }
    stop_program();
    return seconds = best;
}

// [SECTION] Timing and report

struct Tally {
    double cpu = 0, wall = 0;
    uint64_t presents = 0, steps = 0;
};

// One screen step, timed; gives its processor seconds to the benchmark as the iteration time.
void timed_step(benchmark::State& run, Tally& tally) {
    uint32_t presents = headless_present_count();
    double w0 = wall_seconds(), c0 = thread_seconds();
    screen_step();
    double c1 = thread_seconds(), w1 = wall_seconds();
    tally.cpu += c1 - c0;
    tally.wall += w1 - w0;
    tally.presents += headless_present_count() - presents;
    tally.steps += 1;
    run.SetIterationTime(c1 - c0);
}

void report(benchmark::State& run, const Tally& t, double budget_seconds = 1e-3) {
    if (t.steps == 0) return;
    double n = double(t.steps);
    double presents = double(t.presents) / n;
    double backend = backend_present_seconds() * presents;
    double program = t.cpu / n - backend;
    run.counters["presents"] = presents;
    run.counters["wall_us"] = t.wall / n * 1e6;
    run.counters["backend_us"] = backend * 1e6;
    run.counters["program_us"] = program * 1e6;
    run.counters["of_budget"] = program / budget_seconds;
}

// Programs are restarted every so often: the headless log keeps every line, and a log of
// millions of lines would slow the back end down.
const int STEPS_PER_RUN = 400;

// [SECTION] Steps

// The title screen redraws and presents its picture on every step.
void title_step(benchmark::State& run) {
    Tally tally;
    int steps = STEPS_PER_RUN;
    for (auto _ : run) {
        if (steps++ == STEPS_PER_RUN) {
            stop_program();
            if (!start_program()) return run.SkipWithError("the program did not start");
            steps = 1;
        }
        timed_step(run, tally);
    }
    stop_program();
    report(run, tally);
}

// The menu step that takes a tap on an item: a fresh deal, the pressed item and its action
// (for a reading, enter_reading drawing the shuffle screen). Back returns to the menu,
// untimed.
void menu_tap(benchmark::State& run, int item) {
    if (!open_menu()) return run.SkipWithError("the menu did not open");
    Tally tally;
    int steps = 0;
    for (auto _ : run) {
        if (++steps == STEPS_PER_RUN) {
            stop_program();
            if (!open_menu()) return run.SkipWithError("the menu did not open");
            steps = 0;
        }
        tap(MENU_ITEM[item]);
        timed_step(run, tally);
        if (item == MENU_ABOUT) {
            screen_step();
            tap_and_step(ABOUT_BACK);
        } else if (item == MENU_PUBLISHER) {
            screen_step();
            tap_and_step(PUBLISHER_BACK);
        } else {
            tap_and_step(BACK);
            screen_step(); // the title step that switches to the menu
        }
        if (app_state->screen != screen_menu) return run.SkipWithError("not back on the menu");
    }
    stop_program();
    report(run, tally);
}

// A tap on the deck: a new deal and the whole animation, 18 presented frames.
void deck_tap(benchmark::State& run) {
    if (!open_shuffle_screen(kind_love)) return run.SkipWithError("no shuffle screen");
    Tally tally;
    int steps = 0;
    for (auto _ : run) {
        if (++steps == STEPS_PER_RUN / 18) {
            stop_program();
            if (!open_shuffle_screen(kind_love)) return run.SkipWithError("no shuffle screen");
            steps = 0;
        }
        tap(DECK);
        timed_step(run, tally);
    }
    stop_program();
    report(run, tally);
    // One frame of the animation: the step shared out over its presents.
    if (tally.presents) {
        double frames = double(tally.presents);
        double per_frame = tally.cpu / frames - backend_present_seconds();
        run.counters["frame_program_us"] = per_frame * 1e6;
    }
}

// The step that takes a tap on a card of the spread: the face at its place and enlarged,
// the meaning page (and the question for love, business and money), present. The taps go
// round the spread's positions, so each brings a different card's page; on a one-card spread
// the card's text is marked as not loaded first, as on the first reveal of a reading.
void reveal_card_step(benchmark::State& run, int32_t kind) {
    if (!open_card_table(kind)) return run.SkipWithError("no card table");
    Tally tally;
    int steps = 0;
    int32_t position = 0;
    for (auto _ : run) {
        if (++steps == STEPS_PER_RUN) {
            stop_program();
            if (!open_card_table(kind)) return run.SkipWithError("no card table");
            steps = 0;
        }
        if (spread_size(kind) == 1) app_state->shown_position = -1;
        tap(card_centre(kind, position));
        timed_step(run, tally);
        if (app_state->shown_position != position) return run.SkipWithError("card not revealed");
        position = (position + 1) % spread_size(kind);
    }
    stop_program();
    report(run, tally);
}

// The card table with a card revealed whose meaning is long enough to scroll.
int open_scrollable_page(int32_t kind) {
    int found = 0;
    for (int attempt = 0; attempt < 20 && !found; ++attempt) {
        start_clock = uint32_t(attempt) * 977; // another deal each time
        if (!open_card_table(kind)) break;
        for (int32_t p = 0; p < spread_size(kind) && !found; ++p) {
            tap_and_step(card_centre(kind, p));
            found = app_state->text_length > 184;
        }
        if (!found) stop_program();
    }
    start_clock = 0;
    return found;
}

// A tap on an arrow of the scroll bar: the pressed arrow shown, the page moved one row.
// The taps go down to the last row and back up, over and over.
void scroll(benchmark::State& run, int32_t kind) {
    if (!open_scrollable_page(kind)) return run.SkipWithError("no scrollable page");
    Tally tally;
    int steps = 0;
    bool down = true;
    for (auto _ : run) {
        if (++steps == STEPS_PER_RUN) {
            stop_program();
            if (!open_scrollable_page(kind)) return run.SkipWithError("no scrollable page");
            steps = 0;
            down = true;
        }
        AppState* s = app_state;
        if (down && s->bottom_row >= app_state->table.row_count) down = false;
        if (!down && s->top_row <= 0) down = true;
        tap(down ? ARROW_DOWN : ARROW_UP);
        timed_step(run, tally);
    }
    stop_program();
    report(run, tally);
}

// The about page: its full-screen picture read from its file and presented on every step.
void info_page_step(benchmark::State& run, int item) {
    Tally tally;
    int steps = STEPS_PER_RUN;
    for (auto _ : run) {
        if (steps++ == STEPS_PER_RUN) {
            stop_program();
            if (!open_menu()) return run.SkipWithError("the menu did not open");
            tap_and_step(MENU_ITEM[item]);
            steps = 1;
        }
        timed_step(run, tally);
    }
    stop_program();
    report(run, tally);
}

// [SECTION] Start-up

struct FirstFrame {
    bool stepping = false;
    double at = 0;
} first_frame;

void mark_step() {
    first_frame.stepping = true;
}

void mark_present(const std::string& line) {
    if (first_frame.stepping && first_frame.at == 0 && line.find(" present ") != std::string::npos)
        first_frame.at = thread_seconds();
}

// app_main from its call to the title screen's first presented frame: start_up (window,
// display, objects, card sheet, font, title picture, card file, palette), the start sound,
// and the first screen step. The run then ends by itself (no script), untimed.
void start_up_to_first_frame(benchmark::State& run) {
    Tally tally;
    for (auto _ : run) {
        headless_reset();
        headless_set_install_dir(QUARNEL_DATA_DIR);
        headless_set_idle_steps(1);
        headless_set_step_hook(mark_step);
        headless_set_log_hook(mark_present);
        first_frame = FirstFrame();
        double w0 = wall_seconds(), c0 = thread_seconds();
        int code = app_main(1, 0, L"", 1);
        double w1 = wall_seconds();
        release_objects();
        if (code != 0 || first_frame.at == 0) return run.SkipWithError("no first frame");
        double seconds = first_frame.at - c0;
        tally.cpu += seconds;
        tally.wall += w1 - w0; // the whole run, shut-down included
        tally.presents += 2;   // the black display of start-up and the title
        tally.steps += 1;
        run.SetIterationTime(seconds);
    }
    headless_set_step_hook(nullptr);
    headless_set_log_hook(nullptr);
    report(run, tally, 10e-3);
}

// The headless back end's own share of every present, for the table.
void headless_present_cost(benchmark::State& run) {
    double seconds = backend_present_seconds();
    for (auto _ : run) run.SetIterationTime(seconds);
    run.counters["backend_us"] = seconds * 1e6;
}

#define STEP_BENCHMARK(...) BENCHMARK(__VA_ARGS__)->UseManualTime()->Unit(benchmark::kMicrosecond)
#define STEP_CAPTURE(...)                                                                          \
    BENCHMARK_CAPTURE(__VA_ARGS__)->UseManualTime()->Unit(benchmark::kMicrosecond)

STEP_BENCHMARK(headless_present_cost)->Iterations(1);
STEP_BENCHMARK(start_up_to_first_frame);
STEP_BENCHMARK(title_step);
STEP_CAPTURE(menu_tap, desire, 0);
STEP_CAPTURE(menu_tap, today, 1);
STEP_CAPTURE(menu_tap, past, 2);
STEP_CAPTURE(menu_tap, love, 3);
STEP_CAPTURE(menu_tap, business, 4);
STEP_CAPTURE(menu_tap, money, 5);
STEP_CAPTURE(menu_tap, about, MENU_ABOUT);
STEP_CAPTURE(menu_tap, publisher, MENU_PUBLISHER);
STEP_BENCHMARK(deck_tap);
STEP_CAPTURE(reveal_card_step, desire, kind_desire);
STEP_CAPTURE(reveal_card_step, today, kind_today);
STEP_CAPTURE(reveal_card_step, past, kind_past);
STEP_CAPTURE(reveal_card_step, love, kind_love);
STEP_CAPTURE(reveal_card_step, business, kind_business);
STEP_CAPTURE(reveal_card_step, money, kind_money);
STEP_CAPTURE(scroll, desire, kind_desire);
STEP_CAPTURE(scroll, love, kind_love);
STEP_CAPTURE(info_page_step, about, MENU_ABOUT);
STEP_CAPTURE(info_page_step, publisher, MENU_PUBLISHER);

} // namespace

// main() comes from graphics_bench.cpp (BENCHMARK_MAIN, one per program).
