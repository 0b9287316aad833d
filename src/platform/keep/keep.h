// keep.h -- keeping a reading: its text, a picture of the display, the journal
//
// Features of the back ends around the program (the desktop window, the headless runner).
// They read the program's state between screen steps and never change it: the program's
// screens, taps and files stay as they are. Nothing here writes to disk but the journal
// (src/journal) and the pictures the user saves.

#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// [SECTION] The reading as text

// The text of the reading on screen (reading_text), "" outside a reading. Call it between
// screen steps.
std::string reading_as_text();

// [SECTION] Pictures of the display

// The user's pictures folder: XDG_PICTURES_DIR from the environment, else from the
// user-dirs.dirs file of XDG_CONFIG_HOME (or ~/.config), else ~/Pictures, else the current
// folder. Only a folder that exists is taken.
std::string pictures_folder();
// RGB triples of a 5-6-5 display of width x height pixels (row by row), each pixel made a
// scale x scale square; scale below 1 counts as 1.
std::vector<uint8_t> display_picture_rgb(const uint16_t* pixels, int width, int height, int scale);
// Saves the picture as a PNG named by the local date and time of `when`
// ("quarnel-2026-12-07-150309.png", then "-2", "-3" ... when that name is taken) in folder.
// Never replaces a file and never leaves half a file. Returns the path, or "" with the
// reason in *error.
std::string save_picture(const std::string& folder, const std::vector<uint8_t>& rgb, int width,
                         int height, std::time_t when, std::string* error);

// [SECTION] Journal

// Keeps a journal in the file at path from now on ("": none). Only ever appends to the file.
// deck: the deck folder played with ("" for the installed one), named in each entry. The
// default journal (is_default) has its folders made when it is first written, and that
// first write of a run says on standard error where the readings go; a journal chosen by
// the user is checked at once and warns when it will not be writable.
void journal_open(const std::string& path, const std::string& deck, bool is_default);
// Looks at the program's state; call it between screen steps. When the user has just left a
// card table on which at least one card was turned, appends the reading to the journal.
void journal_watch();
// Call once the program has ended: a card table with a card turned that was on display at
// the end (Exit, or the window closed) counts as left. Readings that could not be written
// are printed on standard error then, so that none is lost. Then turns the journal off.
void journal_finish();
// Appends the entry of a reading's text (reading_text) in a language (program_language),
// left at `when`, after any entry an earlier write could not write. Returns 1/0; the first failure
// of a journal prints one warning on standard error, and the entries stay in memory for the next
// write.
int journal_append(const std::string& text, int32_t language, std::time_t when);
// Warnings printed since journal_open (for tests), and entries waiting to be written.
int journal_warnings();
int journal_waiting();
