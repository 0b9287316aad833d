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
