// web_platform.cpp -- the web back end: a 240 x 320 canvas, pointer taps, Web Audio, a modal
// message dialog, sleeps that give the browser its turn
//
// LIMITATIONS
// - One main window: the page's canvas. Moving the window and the full-screen call do
//   nothing; the page scales the canvas itself.
// - The display is the shared 240 x 320 5-6-5 frame buffer (common.h); a frame identical to
//   the one on the canvas is not put on it again.
// - Sound is silent until the first tap (browsers allow audio only after a user gesture);
//   one WAV at a time, 8- or 16-bit PCM.
// - sleep_ms suspends the program (Asyncify) and lets the browser paint and take input;
//   taps made meanwhile reach the program after the step, as on the device.
// - Once the screen steps stop changing the frame (the shared idle pacing, common.h),
//   peek_message suspends the program until the next tap: an idle page runs no code at all.

#include "platform/common/common.h"
#include "platform/web/web.h"
#include <emscripten.h>
#include <emscripten/html5.h>
#include <string>

// [SECTION] State

namespace {
struct Web {
    uint32_t rgba[DISPLAY_PIXELS]; // the canvas's pixels, bytes r, g, b, a
    bool test_clock = false;       // the clock moves only with sleep_ms, as in the headless runner
    uint32_t clock_start = 0;
    uint32_t slept = 0;
    bool restart = false; // the page ended the run to start the program in another language
};

Web w;

// Moves the taps the page has recorded into the message queue; when the page has asked the
// program to end (a new language), closes its window as the desktop's close button does.
void take_taps() {
    if (main_window_handle() && web_take_close()) {
        w.restart = true;
        destroy_window(main_window_handle());
    }
    for (int32_t x = 0, y = 0; web_next_tap(&x, &y);) queue_tap(x, y);
}

// Puts a new frame on the canvas.
void show_frame() {
    widen_565(window_display_shown(), w.rgba, DISPLAY_PIXELS);
    web_put_frame(reinterpret_cast<const uint8_t*>(w.rgba));
}
} // namespace

// [SECTION] Start and end (web_main.cpp)

void web_start_clock() {
    uint32_t ms = 0;
    w.test_clock = web_test_clock(&ms) != 0;
    // Otherwise the tick count follows the page's steady clock from an offset taken from the
    // time of day, so that every visit starts from another count.
    w.clock_start =
        w.test_clock ? ms : uint32_t(uint64_t(emscripten_date_now() - emscripten_get_now()));
    w.slept = 0;
}

int web_restart_asked() {
    const bool asked = w.restart;
    w.restart = false;
    return asked;
}

// [SECTION] Window system and message queue

WindowHandle create_window(const wchar_t*, const wchar_t*) {
    if (!main_window_may_open()) return 0;
    web_page_init();
    use_window_display(show_frame);
    return open_main_window(1);
}

int destroy_window(WindowHandle window) {
    return close_main_window(window);
}

int move_window(WindowHandle window, int32_t, int32_t, int32_t, int32_t, int) {
    return is_main_window(window);
}

int peek_message(Message* message) {
    take_taps();
    // Between screen steps with every tap taken: the page's text of the screen and its
    // journal follow.
    if (!queue_waiting() && main_window_handle()) {
        web_watch_screen();
        web_watch_journal();
    }
    if (!queue_waiting() && main_window_handle() && pacing_resting()) {
        web_wait_input(); // nothing changes until the user taps
        take_taps();
    }
    if (queue_peek(message)) return 1;
    pacing_step(); // a screen step runs next
    return 0;
}

int get_message(Message* message) {
    take_taps();
    while (!queue_waiting()) {
        web_wait_input();
        take_taps();
    }
    return queue_take(message);
}

// [SECTION] Message box

int message_box(WindowHandle, const wchar_t* text, const wchar_t* caption, uint32_t) {
    web_message_box(narrow(text).c_str(), narrow(caption).c_str());
    return 1;
}

// [SECTION] Sound

int play_sound_file(const wchar_t* path, uint32_t) {
    std::string host = host_path(path);
    if (host.empty()) {
        web_play_sound(nullptr); // a new call stops the old sound, even for a missing file
        return 0;
    }
    return web_play_sound(host.c_str());
}

// [SECTION] Time

void sleep_ms(uint32_t ms) {
    double before = emscripten_get_now();
    emscripten_sleep(ms);
    w.slept += ms;
    web_note_sleep(emscripten_get_now() - before);
}

uint32_t tick_count() {
    if (w.test_clock) return w.clock_start + w.slept;
    return w.clock_start + uint32_t(emscripten_get_now());
}
