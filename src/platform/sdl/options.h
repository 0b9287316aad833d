// options.h -- the desktop program's command line: one table of options, parsed without SDL
// so that the tests can run every case

#pragma once
#include <string>

struct DesktopOptions {
    bool help = false;
    bool version = false;
    bool fullscreen = false;
    int scale = 0;           // whole factor of the window over the display; 0: from the screen
    std::string install_dir; // --install-dir, as given; "" when not given
    std::string deck;        // --deck: a folder of the user's card.nbf and/or CardDB.dat
    std::string journal;     // --journal: the file readings are appended to; "" for the default
    bool no_journal = false; // --no-journal: keep no journal
    int language = -1;       // --language: a language of the program; -1: the locale's
};

enum { SCALE_MAX = 16 };

// Reads argv[1..argc-1] into *options. Returns 1, or 0 with a one-line *error ("quarnel:
// unknown option '--x'") for the first option that is wrong. Options take their value as
// the next word or after '='; "--" ends the options, and no word may follow it or stand alone.
int parse_options(int argc, const char* const* argv, DesktopOptions* options, std::string* error);
// The synopsis and every option, one line each (printed after an error, and by --help).
std::string usage_text();
// usage_text, then the keys and the environment: what --help prints.
std::string help_text();
// "quarnel VERSION".
std::string version_text();
// A message of the program in the language of the messages: the format's translation (GNU
// gettext) filled in as printf does.
std::string message(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The window's default scale: the largest whole factor at which the 320-pixel display
// height fits in 80% of the screen's height; 1 on a small screen or an unknown one (0).
int default_scale(int screen_height);
