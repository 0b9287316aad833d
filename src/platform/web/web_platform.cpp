// web_platform.cpp -- the web back end: a 240 x 320 canvas, pointer taps, Web Audio, a modal
// message dialog, sleeps that give the browser its turn
//
// LIMITATIONS
// - One main window: the page's canvas. Moving the window and the full-screen call do
//   nothing; the page scales the canvas itself.
// - The display is a 16-bit 5-6-5 frame buffer; a frame identical to the one on the canvas
//   is not put on it again.
// - Sound is silent until the first tap (browsers allow audio only after a user gesture);
//   one WAV at a time, 8- or 16-bit PCM.
// - sleep_ms suspends the program (Asyncify) and lets the browser paint and take input;
//   taps made meanwhile reach the program after the step, as on the device.
// - Once the screen steps stop changing the frame, peek_message suspends the program until
//   the next tap: an idle page runs no code at all.

#include "platform/common/common.h"
#include "platform/web/web.h"
#include <emscripten.h>
#include <emscripten/html5.h>
#include <cstring>
#include <string>

// [SECTION] State

namespace {
const int DISPLAY_WIDTH = 240, DISPLAY_HEIGHT = 320;
const int DISPLAY_PIXELS = DISPLAY_WIDTH * DISPLAY_HEIGHT;
// Screen steps in a row that bring no tap and no new frame before the program rests.
const int STEPS_BEFORE_REST = 8;

struct Web {
    WindowHandle window = 0;
    bool display_open = false;
    uint16_t frame[DISPLAY_PIXELS];
    uint16_t shown[DISPLAY_PIXELS]; // the frame on the canvas now
    bool shown_valid = false;
    uint32_t rgba[DISPLAY_PIXELS]; // the canvas's pixels, bytes r, g, b, a
    int quiet_steps = 0;
    bool test_clock = false; // the clock moves only with sleep_ms, as in the headless runner
    uint32_t clock_start = 0;
    uint32_t slept = 0;
};

Web w;

// 1 when two frames are the same. Eight bytes at a time: the C library's memcmp goes byte
// by byte in WebAssembly, a third of a millisecond a frame.
bool same_frame(const uint16_t* a, const uint16_t* b) {
    static_assert(DISPLAY_PIXELS % 4 == 0, "whole 64-bit words");
    for (int i = 0; i < DISPLAY_PIXELS; i += 4) {
        uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) return false;
    }
    return true;
}

// Moves the taps the page has recorded into the message queue.
void take_taps() {
    for (int32_t tap = web_next_tap(); tap >= 0; tap = web_next_tap()) {
        if (!w.window) continue;
        queue_message({w.window, MESSAGE_LBUTTONDOWN, 0, intptr_t(tap)});
        w.quiet_steps = 0;
    }
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

// [SECTION] Window system and message queue

WindowHandle create_window(const wchar_t*, const wchar_t*) {
    if (!queue_has_procedure() || w.window) return 0;
    web_page_init();
    w.window = 1;
    send_window_message(w.window, MESSAGE_CREATE);
    return w.window;
}

int destroy_window(WindowHandle window) {
    if (!w.window || window != w.window) return 0;
    w.window = 0;
    send_window_message(window, MESSAGE_DESTROY);
    return 1;
}

int move_window(WindowHandle window, int32_t, int32_t, int32_t, int32_t, int) {
    return w.window && window == w.window;
}

int peek_message(Message* message) {
    take_taps();
    // Between screen steps with every tap taken: the page's text of the screen follows.
    if (!queue_waiting() && w.window) web_watch_screen();
    if (!queue_waiting() && w.window && w.quiet_steps >= STEPS_BEFORE_REST) {
        web_wait_input(); // nothing changes until the user taps
        take_taps();
    }
    if (queue_peek(message)) return 1;
    // A screen step runs next; a new frame or a tap sets the count back to 0.
    if (w.quiet_steps < STEPS_BEFORE_REST) w.quiet_steps++;
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

int shell_full_screen(WindowHandle window, uint32_t) {
    return w.window && window == w.window;
}

// [SECTION] GAPI: a 5-6-5 frame buffer that reaches the canvas at GXEndDraw

int GXOpenDisplay(WindowHandle window, uint32_t) {
    if (!w.window || window != w.window) return 0;
    w.display_open = true;
    return 1;
}

int GXCloseDisplay() {
    w.display_open = false;
    return 1;
}

void* GXBeginDraw() {
    return w.display_open ? w.frame : nullptr;
}

int GXEndDraw() {
    if (w.shown_valid && same_frame(w.frame, w.shown)) return 1;
    std::memcpy(w.shown, w.frame, sizeof w.frame);
    w.shown_valid = true;
    w.quiet_steps = 0;
    widen_565(w.shown, w.rgba, DISPLAY_PIXELS);
    web_put_frame(reinterpret_cast<const uint8_t*>(w.rgba));
    return 1;
}

GXDisplayProperties GXGetDisplayProperties() {
    return {DISPLAY_WIDTH, DISPLAY_HEIGHT, 2, DISPLAY_WIDTH * 2, 16, kfDirect565};
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
