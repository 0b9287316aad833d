// web.h -- what the web back end's C++ half asks of its page half (web_library.js)
//
// Every function here is JavaScript in the page. Two of them suspend the program (under
// Asyncify) until the page calls back: web_wait_input and web_message_box. Strings are
// UTF-8; pointers are into the program's memory and are read before the call returns.

#pragma once
#include <cstdint>

extern "C" {
// Takes the page's canvas and listens for taps on it.
void web_page_init();
// The tick count the page asks for (?clock=MS); returns 1 and *ms, or 0 for the real clock.
int web_test_clock(uint32_t* ms);
// The next tap the page has recorded: returns 1 with its display pixel in *x, *y, or 0 when
// none waits.
int web_next_tap(int32_t* x, int32_t* y);
// Suspends the program until the page records a tap (returns at once if one waits).
void web_wait_input();
// Puts 240 x 320 RGBA pixels (bytes r, g, b, 255) on the canvas; they are copied.
void web_put_frame(const uint8_t* rgba);
// Shows the modal message dialog and suspends the program until the user closes it.
void web_message_box(const char* text, const char* caption);
// Starts the WAV file at a path of the packed folder, stopping the sound that plays;
// path null only stops. Returns 1, or 0 when the file is not a WAV the page can play.
int web_play_sound(const char* host_path);
// Records time the program spent in sleep_ms, so tap timings can leave it out.
void web_note_sleep(double ms);
// 1 once when the page has asked the program to end, to run it again in another language.
int web_take_close();
// The code of the page's language ("en", "es"), zero-terminated, cut to capacity.
void web_language(char* code, int capacity);
// The program has ended with this code: the page says so and offers to start again.
void web_program_ended(int32_t exit_code);
// An entry of the journal for the page to keep (journal.js): its Markdown, what the page
// stores beside it (JSON, web_journal.cpp), and provisional 1 when it stands for a card table
// still on display (the page was hidden), which the next entry kept replaces.
void web_journal_keep(const char* markdown, const char* info, int provisional);
// The screen on display as text: its name and buttons, and the reading's text on a card
// table ("" elsewhere), for the screen reader's region and the Copy and Share buttons.
void web_screen_text(const char* summary, const char* reading);
}

// Starts the program's clock: the page's test clock when it asks for one (web_platform.cpp).
void web_start_clock();
// 1 once after a run the page ended to start the program again in another language
// (web_platform.cpp).
int web_restart_asked();
// 5-6-5 pixels to the canvas's RGBA bytes r, g, b, 255 (widen.cpp, on the C++ side).
void widen_565(const uint16_t* from, uint32_t* to, int count);
// Sends the screen's text to the page when it has changed (web_screen_text.cpp). Call it
// between screen steps, once the program has taken every tap.
void web_watch_screen();
// The packed folders are unpacked here: English in the folder itself, another language in its
// subfolder (language_install_dir).
constexpr char WEB_INSTALL_FOLDER[] = "/quarnel";
// Keeps each card table left with a card turned in the page's journal (web_journal.cpp). Call
// it between screen steps; web_finish_journal once the program has ended.
void web_watch_journal();
void web_finish_journal();
