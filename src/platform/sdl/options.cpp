// options.cpp -- the desktop program's command line, its help and version texts, in the
// language of the messages (GNU gettext, po/)

#include "platform/sdl/options.h"
#include "platform/common/common.h"
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <libintl.h>
#include <sys/stat.h>

#ifndef QUARNEL_VERSION
#define QUARNEL_VERSION "0"
#endif

// [SECTION] Messages

std::string message(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    char line[1024];
    std::vsnprintf(line, sizeof line, gettext(format), arguments);
    va_end(arguments);
    return line;
}

namespace {

// Marks a text for the catalogs (xgettext); it is translated where it is printed.
#define N_(text) text

// [SECTION] The options

// Stores the option's value; returns "" or what is wrong with it.
typedef std::string (*Setter)(DesktopOptions* options, const std::string& value);

struct Option {
    const char* name;  // "--scale"
    const char* alias; // "-h", or null
    const char* value; // the value's name in the usage ("N"), or null for a flag
    const char* help;
    Setter set;
};

std::string set_help(DesktopOptions* o, const std::string&) {
    o->help = true;
    return "";
}
std::string set_version(DesktopOptions* o, const std::string&) {
    o->version = true;
    return "";
}
std::string set_fullscreen(DesktopOptions* o, const std::string&) {
    o->fullscreen = true;
    return "";
}
std::string set_scale(DesktopOptions* o, const std::string& value) {
    int n = 0;
    bool digits = !value.empty() && value.size() <= 2; // 1 to 16: never more than two
    for (size_t i = 0; digits && i < value.size(); i++) {
        digits = value[i] >= '0' && value[i] <= '9';
        n = n * 10 + (value[i] - '0');
    }
    if (!digits || n < 1 || n > SCALE_MAX)
        return message(N_("--scale needs a whole number from 1 to %d, not '%s'"), int(SCALE_MAX),
                       value.c_str());
    o->scale = n;
    return "";
}
std::string set_install_dir(DesktopOptions* o, const std::string& value) {
    struct stat st;
    if (value.empty()) return message(N_("--install-dir needs a folder"));
    if (stat(value.c_str(), &st) != 0)
        return "--install-dir: " + value + ": " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return message(N_("--install-dir: %s: not a folder"), value.c_str());
    o->install_dir = value;
    return "";
}

std::string set_deck(DesktopOptions* o, const std::string& value) {
    if (value.empty()) return message(N_("--deck needs a folder"));
    o->deck = value;
    return "";
}

std::string set_journal(DesktopOptions* o, const std::string& value) {
    if (value.empty()) return message(N_("--journal needs a file"));
    if (o->no_journal) return message(N_("--journal and --no-journal cannot both be given"));
    o->journal = value;
    return "";
}

std::string set_no_journal(DesktopOptions* o, const std::string&) {
    if (!o->journal.empty()) return message(N_("--journal and --no-journal cannot both be given"));
    o->no_journal = true;
    return "";
}

std::string set_language(DesktopOptions* o, const std::string& value) {
    o->language = language_of_code(value.c_str());
    if (o->language < 0)
        return message(N_("--language %s: no such language; the languages are %s"), value.c_str(),
                       language_list().c_str());
    return "";
}

const Option OPTIONS[] = {
    {"--help", "-h", nullptr, N_("show this help and exit"), set_help},
    {"--version", nullptr, nullptr, N_("show the version and exit"), set_version},
    {"--fullscreen", nullptr, nullptr, N_("start fullscreen (F11 or Alt+Enter toggles it)"),
     set_fullscreen},
    {"--scale", nullptr, "N",
     // xgettext:no-c-format
     N_("open the window at N times the 240 x 320 display (1 to 16; default: the largest that "
        "fits in 80% of the screen's height)"),
     set_scale},
    {"--install-dir", nullptr, "DIR",
     N_("read the pictures, texts and sounds from DIR (ahead of QUARNEL_INSTALL_DIR and the "
        "installed folder)"),
     set_install_dir},
    {"--language", nullptr, "CODE",
     N_("the language of the screens, the texts and these messages, one of %s (default: the "
        "locale's, from LC_ALL, LC_MESSAGES or LANG; English where Quarnel lacks it); its "
        "install folder is CODE in the install folder"),
     set_language},
    {"--deck", nullptr, "DIR",
     N_("play with the card pictures (card.nbf) and/or texts (CardDB.dat) of a deck folder made "
        "by quarnel-deck"),
     set_deck},
    {"--journal", nullptr, "FILE",
     N_("keep the journal in FILE rather than in $XDG_DATA_HOME/quarnel/journal.md: each "
        "reading left with a card turned is appended, in Markdown (never rewritten)"),
     set_journal},
    {"--no-journal", nullptr, nullptr,
     N_("keep no journal: write nothing to disk but the pictures saved"), set_no_journal},
};

const Option* find_option(const std::string& name) {
    for (const Option& o : OPTIONS)
        if (name == o.name || (o.alias && name == o.alias)) return &o;
    return nullptr;
}

} // namespace

// [SECTION] Parsing

int parse_options(int argc, const char* const* argv, DesktopOptions* options, std::string* error) {
    *options = DesktopOptions();
    error->clear();
    for (int i = 1; i < argc; i++) {
        std::string word = argv[i] ? argv[i] : "";
        std::string name = word, value;
        bool has_value = false;
        size_t equals = word.find('=');
        if (word.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = word.substr(0, equals);
            value = word.substr(equals + 1);
            has_value = true;
        }
        const Option* o =
            word == "--" || word.empty() || word[0] != '-' ? nullptr : find_option(name);
        if (!o) {
            *error = word.empty() || word[0] != '-'
                         ? message(N_("quarnel: unexpected argument '%s' (it takes only options)"),
                                   word.c_str())
                         : message(N_("quarnel: unknown option '%s'"), name.c_str());
            if (word == "--")
                *error = message(N_("quarnel: unexpected '--' (it takes only options)"));
            return 0;
        }
        if (!o->value && has_value) {
            *error = message(N_("quarnel: %s takes no value"), o->name);
            return 0;
        }
        if (o->value && !has_value) {
            if (i + 1 >= argc) {
                *error = message(N_("quarnel: %s needs a value %s"), o->name, o->value);
                return 0;
            }
            value = argv[++i] ? argv[i] : "";
        }
        std::string wrong = o->set(options, value);
        if (!wrong.empty()) {
            *error = "quarnel: " + wrong;
            return 0;
        }
    }
    return 1;
}

// [SECTION] Texts

namespace {

// The help's lines are at most 79 columns wide.
constexpr size_t HELP_WIDTH = 79;

// Pads a text with spaces to `width` columns, or with one space when it is as wide or wider.
std::string padded(const std::string& text, size_t width) {
    const size_t used = text_columns(text);
    return text + std::string(used < width ? width - used : 1, ' ');
}

} // namespace

std::string usage_text() {
    std::string out = gettext("Usage: quarnel [OPTION]...\nA tarot reading for a small touch "
                              "screen, in a window.\n\nOptions:\n");
    for (const Option& o : OPTIONS) {
        std::string left = std::string("  ") + (o.alias ? std::string(o.alias) + ", " : "") +
                           o.name + (o.value ? std::string(" ") + o.value : "");
        // The help of --language names the languages.
        const std::string help =
            o.set == set_language ? message(o.help, language_list().c_str()) : gettext(o.help);
        out += wrap_words(padded(left, 22), 22, help, HELP_WIDTH);
    }
    return out;
}

std::string help_text() {
    const char* const KEYS[][2] = {
        {N_("Title"), N_("Enter or Space: Start. Escape: Exit.")},
        {N_("Menu"),
         N_("1 to 6: the readings. 7: about tarot. 8: the publisher. 9 or Escape: Exit.")},
        {N_("Shuffle"),
         N_("Space: the deck. Enter or Right: Next. Escape, Backspace or Left: Back.")},
        {N_("Card table"),
         N_("Left, Right, Tab, Shift+Tab, Home, End: move the highlight over the cards. Enter or "
            "Space: turn the highlighted card. 1 to 9 and 0: turn that card. Up, Down, Page Up, "
            "Page Down: scroll the meaning shown. Escape or Backspace: Menu.")},
        {N_("Pages"), N_("Enter: Next (the last publisher page: Menu; the about page: Back). "
                         "Escape, Backspace or Left: Back.")},
        {N_("Anywhere"),
         N_("F11 or Alt+Enter: fullscreen on or off. Ctrl+C: copy the reading as text. Ctrl+S: "
            "save a picture of the display. Ctrl+Q: quit.")},
    };
    std::string out = usage_text() + gettext("\nKeys (each does what a tap on its button does):\n");
    for (const auto& k : KEYS)
        out += wrap_words(padded(std::string("  ") + gettext(k[0]), 14), 14, gettext(k[1]),
                          HELP_WIDTH);
    return out +
           gettext("\nThe left mouse button, or a touch, taps where it points.\n"
                   "\nEnvironment:\n"
                   "  QUARNEL_INSTALL_DIR   the folder of pictures, texts and sounds\n"
                   "  SDL_VIDEODRIVER       x11 or wayland, to choose one (SDL tries X11 "
                   "first)\n") +
           gettext("  XDG_DATA_HOME         the journal is XDG_DATA_HOME/quarnel/journal.md\n"
                   "                        (default ~/.local/share/quarnel/journal.md); read it\n"
                   "                        with quarnel-journal\n");
}

std::string version_text() {
    return std::string("quarnel ") + QUARNEL_VERSION + "\n";
}

int default_scale(int screen_height) {
    int scale = screen_height * 8 / 10 / 320;
    return scale < 1 ? 1 : scale;
}
