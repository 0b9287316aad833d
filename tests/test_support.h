// test_support.h -- shared helpers of the tests: temporary folders, files, program runs

#pragma once
#include "platform/headless/headless.h"
#include "reading/reading.h"
#include <string>
#include <vector>

// A fresh empty folder under the test output folder, of the running test; removed and made
// again on each call.
std::string make_test_folder(const std::string& name);
void write_test_file(const std::string& path, const std::vector<uint8_t>& bytes);
void write_test_file(const std::string& path, const std::string& text);
// A whole file's bytes; "" when it cannot be read.
std::string read_test_file(const std::string& path);
// A program path (backslashes) for a host path.
std::wstring wide_path(const std::string& host);
// The generated install folder.
std::string data_dir();
// Copies the generated install folder to a fresh test folder (to damage it).
std::string copy_install_folder(const std::string& name, int32_t language = 0);
// The install folder of a language: data_dir() for English, its subfolder for the others.
std::string language_dir(int32_t language);
// Copies a language's install folder (its picture and sound folders) into folder.
void copy_install_into(const std::string& folder, int32_t language = 0);
// A card text of `count` sentences of 22 letters and a period: each fills exactly one row.
std::string full_rows(int32_t count);
// Resets the back end, points it at an install folder, and runs the program with the
// script queued by `script`. Returns the exit code; the log is headless_log().
int run_program(const std::string& install, void (*script)() = nullptr);
// A tool run as a user runs it, its output caught in files.
struct ToolRun {
    int code = -1; // exit code, or 128 + the signal that ended it
    std::string out, err;
};
// Runs a program with these arguments; file_limit > 0 caps the size of any file it writes (a
// full disk), and kill_at_limit lets the system end it there (a crash mid-write).
ToolRun run_tool(const std::string& program, const std::vector<std::string>& args,
                 long file_limit = 0, bool kill_at_limit = false);
// Log lines containing `what`.
std::vector<std::string> log_lines_with(const std::string& what);
// True when some log line contains `what`.
bool log_has(const std::string& what);

// Sets an environment variable for one test and puts the old value back.
struct ScopedVariable {
    std::string name, old;
    bool had;
    ScopedVariable(const char* variable, const std::string& value);
    ~ScopedVariable();
};

// [SECTION] Taps a user aims at the screens

struct TapPoint {
    int32_t x, y;
};

extern const TapPoint START, TITLE_EXIT, MENU_EXIT;
extern const TapPoint MENU_ITEM[8];     // desire .. money, about tarot, publisher pages
extern const TapPoint BACK, NEXT, DECK; // the shuffle screen
extern const TapPoint TABLE_EXIT, TABLE_MENU, ARROW_UP, ARROW_DOWN;
extern const TapPoint ABOUT_BACK, PUBLISHER_NEXT, PUBLISHER_MENU;

// Queues a tap at the point.
void tap(TapPoint p);
// Queues a love reading from the title screen to its first card turned, then one more step.
void queue_love_reading_to_first_card();
// The middle of a spread position's card as the table of readings lays it out (full cards,
// or thumbnails of a third).
TapPoint card_centre(int32_t kind, int32_t position);
