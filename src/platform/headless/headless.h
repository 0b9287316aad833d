// headless.h -- controls of the headless back end, for the tests and the headless runner
//
// The headless back end runs the real program without a window: a virtual clock that
// sleep_ms advances at once, taps fed from a script, an in-memory display of any size,
// pitch and pixel format, frame capture and hashes, and a log of what the program did.
//
// A run: headless_reset(), set the display, install folder and script, then call app_main.
// Whenever the program finds its message queue empty, the back end either lets it run a
// screen step (idle steps) or takes the next script command. When the script is exhausted
// the back end destroys the main window, so every run ends.

#pragma once
#include "platform/platform.h"
#include <string>
#include <vector>

struct HeadlessDisplay {
    uint32_t width = 240;
    uint32_t height = 320;
    int32_t x_pitch = 2;
    int32_t y_pitch = 480;
    uint32_t format = kfDirect565;
};

// Back to a fresh back end: empty script and log, clock 0, default display, no install
// folder, no allocation failures, default idle steps (3).
void headless_reset();
void headless_set_display(const HeadlessDisplay& display);
void headless_set_clock(uint32_t ms);
// The registry's install folder (a host path); null makes the registry key missing.
void headless_set_install_dir(const char* host_path);
// Screen steps the program runs with an empty queue at the start and after each command.
void headless_set_idle_steps(int steps);
// Every allocation after the next `allowed` ones fails (negative: none fails).
void headless_fail_allocations_after(int allowed);

// [SECTION] Script
void headless_queue_tap(int32_t x, int32_t y);    // a stylus tap message
void headless_queue_steps(int steps);             // that many screen steps, queue empty
void headless_queue_wait(uint32_t ms);            // advance the virtual clock
void headless_queue_shot(const std::string& png); // write the display as a PNG file
void headless_queue_quit();                       // destroy the main window
// A key: the tap the program answers for it on the screen of that moment (key_tap_point),
// logged "key NAME" and, when the highlight moves, "highlight P".
void headless_queue_key(int32_t key);
// Calls call(argument) when the script reaches it, then runs the idle steps (the runner's own
// commands, such as writing the reading's text).
void headless_queue_call(void (*call)(const std::string& argument), const std::string& argument);
// Called before every screen step the back end lets run (null: none).
void headless_set_step_hook(void (*hook)());
// Called for every log line as it is written (null: none).
void headless_set_log_hook(void (*hook)(const std::string& line));

// [SECTION] Results
// Every event, one line each: "<ms> present <hash>", "<ms> sound <path>",
// "<ms> message <caption>|<text>", "<ms> tap <x> <y>", "<ms> destroy", "<ms> quit <code>".
// Paths are shown relative to the install folder.
const std::vector<std::string>& headless_log();
void headless_log_line(const std::string& line); // adds a line (for the runner's own events)
uint32_t headless_clock();
uint32_t headless_frame_hash(); // a hash of the display's pixels in row order, any pitch
uint32_t headless_present_count();
std::string headless_current_sound();                // the sound playing now, "" when none
const std::vector<std::string>& headless_messages(); // "caption|text" of every message box
// The display as RGB triples, row by row (width x height x 3 bytes).
std::vector<uint8_t> headless_display_rgb();
// The display's 16-bit pixels, row by row, read through the pitches.
std::vector<uint16_t> headless_display_pixels();
// Writes the display as a PNG file (write_png_rgb, common.h); returns 1/0.
int headless_write_png(const std::string& path);
uint32_t fnv1a(const void* data, size_t size, uint32_t hash = 2166136261u);
