// common.h -- what the back ends share of the platform layer: the host file system, the
// registry's one value, allocation failures for tests

#pragma once
#include "platform/platform.h"
#include <string>

// The host path of a program path ("\picture\Main.NBF" -> "/inst/picture/main.nbf"): each
// backslash-separated component matched exactly, else case-insensitively. Returns "" when
// some component does not exist.
std::string host_path(const wchar_t* path);
// A program path (backslashes) for a host path.
std::wstring program_path(const std::string& host);
// "cannot open PATH: REASON" for the most recent open_file that failed, then "" until the
// next one fails; a successful open forgets an earlier failure.
std::string take_open_failure();
// Closes every open file (a new run of the program starts with none).
void close_all_files();
// The InstallDir value of the program's registry key, a host folder; null: no key.
void registry_set_install_dir(const char* host_folder);
// That host folder; "" when the key is missing.
std::string registry_install_dir();
// A user's deck: afterwards opening the install folder's "\picture\card.nbf" or
// "\picture\CardDB.dat" opens the deck folder's file of that name (matched case-insensitively)
// when it holds one; every other path is unchanged. Returns 1, or 0 and no deck when the folder
// is missing, unreachable by a program path (not plain ASCII) or holds neither file. Null: no
// deck.
int files_set_deck_dir(const char* host_folder);
// The 8-bit red, green and blue of a display pixel in the display's format (565, else 555,
// else 444): each channel's bits repeated below it, so that white is 255, 255, 255 in every
// format. The desktop window, the web page's canvas and the runner's PNG shots all show the
// display by this one rule, so they compare byte for byte.
inline void widen_pixel(uint16_t v, uint32_t format, uint8_t rgb[3]) {
    uint32_t r, g, b, red_bits = 5, green_bits = 6, blue_bits = 5;
    if (format & kfDirect565) {
        r = v >> 11, g = (v >> 5) & 63, b = v & 31;
    } else if (format & kfDirect555) {
        r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        green_bits = 5;
    } else {
        r = (v >> 8) & 15, g = (v >> 4) & 15, b = v & 15;
        red_bits = green_bits = blue_bits = 4;
    }
    rgb[0] = uint8_t(r << (8 - red_bits) | r >> (2 * red_bits - 8));
    rgb[1] = uint8_t(g << (8 - green_bits) | g >> (2 * green_bits - 8));
    rgb[2] = uint8_t(b << (8 - blue_bits) | b >> (2 * blue_bits - 8));
}
// Every allocation after the next `allowed` ones fails; negative: none fails.
void memory_fail_after(int allowed);
// Calls of allocate_memory (failed ones included) and of release_memory with a block, since
// the process started; the tests compare them before and after a stretch of the program.
uint64_t memory_allocation_count();
uint64_t memory_release_count();

// [SECTION] Pictures (png.cpp)

// Writes width x height RGB triples, row by row, as a PNG file; returns 1/0.
int write_png_rgb(const std::string& path, const uint8_t* rgb, uint32_t width, uint32_t height);

// [SECTION] Message queue (messages.cpp)
// The common half of the window system: register_class, default_window_procedure,
// post_quit_message, translate_message and dispatch_message live there, and the back ends
// build peek_message and get_message, create_window and destroy_window on these.

// A fresh queue: no procedure, no messages, no quit posted.
void queue_reset();
// Called the first time post_quit_message is called in a run (null: none).
void queue_set_quit_hook(void (*hook)(int32_t exit_code));
// 1 once register_class has accepted a procedure.
int queue_has_procedure();
// Calls the registered procedure with a message that carries no parameters (create,
// destroy); 0 without a procedure.
int32_t send_window_message(WindowHandle window, uint32_t message);
// Appends an input message (a tap) to the queue.
void queue_message(const Message& message);
// 1 when a message or a posted quit waits.
int queue_waiting();
// What peek_message reports: 1 and the first message, else 1 and MESSAGE_QUIT with its code
// once a quit is posted, else 0. Leaves the queue as it is.
int queue_peek(Message* message);
// What get_message returns once queue_waiting() says 1: 1 and the first message, removed;
// 0 and MESSAGE_QUIT with its code when only the quit is left.
int queue_take(Message* message);

// [SECTION] Key names (key_names.cpp)

// The key of a name ("enter", "shift-tab", "pageup", "7"), or KEY_NONE.
int32_t key_named(const std::string& name);
// The name of a key, or "".
const char* key_name(int32_t key);
// Every name, comma-separated, for messages.
std::string key_name_list();

// [SECTION] Languages (languages.cpp)
// Each language is an install folder: English the base folder itself, another its subfolder
// named by the language's code (base/es).

// "en (English), es (Español), ...": the languages the program speaks, for messages.
std::string language_list();
// The install folder of a language under a base folder: the base itself for English (language
// 0), base/CODE for the others; "" stays "" (no install folder).
std::string language_install_dir(const std::string& base, int32_t language);
// The language of a POSIX locale ("es_ES.UTF-8", "pt_BR", "de", "fr_CA@euro"): the code
// before '_', '.' or '@'; -1 for "C", "POSIX", "" and any language the program does not speak.
int32_t language_of_locale(const std::string& locale);
