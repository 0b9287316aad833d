// options.cpp -- the desktop program's command line, its help and version texts

#include "platform/sdl/options.h"
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#ifndef QUARNEL_VERSION
#define QUARNEL_VERSION "0"
#endif

namespace {

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
        return "--scale needs a whole number from 1 to " + std::to_string(SCALE_MAX) + ", not '" +
               value + "'";
    o->scale = n;
    return "";
}
std::string set_install_dir(DesktopOptions* o, const std::string& value) {
    struct stat st;
    if (value.empty()) return "--install-dir needs a folder";
    if (stat(value.c_str(), &st) != 0)
        return "--install-dir: " + value + ": " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return "--install-dir: " + value + ": not a folder";
    o->install_dir = value;
    return "";
}

std::string set_deck(DesktopOptions* o, const std::string& value) {
    if (value.empty()) return "--deck needs a folder";
    o->deck = value;
    return "";
}

std::string set_journal(DesktopOptions* o, const std::string& value) {
    if (value.empty()) return "--journal needs a file";
    if (o->no_journal) return "--journal and --no-journal cannot both be given";
    o->journal = value;
    return "";
}

std::string set_no_journal(DesktopOptions* o, const std::string&) {
    if (!o->journal.empty()) return "--journal and --no-journal cannot both be given";
    o->no_journal = true;
    return "";
}

const Option OPTIONS[] = {
    {"--help", "-h", nullptr, "show this help and exit", set_help},
    {"--version", nullptr, nullptr, "show the version and exit", set_version},
    {"--fullscreen", nullptr, nullptr, "start fullscreen (F11 or Alt+Enter toggles it)",
     set_fullscreen},
    {"--scale", nullptr, "N",
     "open the window at N times the 240 x 320 display (1 to 16; default: the largest that "
     "fits in 80% of the screen's height)",
     set_scale},
    {"--install-dir", nullptr, "DIR",
     "read the pictures, texts and sounds from DIR (ahead of QUARNEL_INSTALL_DIR and the "
     "installed folder)",
     set_install_dir},
    {"--deck", nullptr, "DIR",
     "play with the card pictures (card.nbf) and/or texts (CardDB.dat) of a deck folder made "
     "by quarnel-deck",
     set_deck},
    {"--journal", nullptr, "FILE",
     "keep the journal in FILE rather than in $XDG_DATA_HOME/quarnel/journal.md: each reading "
     "left with a card turned is appended, in Markdown (never rewritten)",
     set_journal},
    {"--no-journal", nullptr, nullptr,
     "keep no journal: write nothing to disk but the pictures saved", set_no_journal},
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
                         ? "quarnel: unexpected argument '" + word + "' (it takes only options)"
                         : "quarnel: unknown option '" + name + "'";
            if (word == "--") *error = "quarnel: unexpected '--' (it takes only options)";
            return 0;
        }
        if (!o->value && has_value) {
            *error = "quarnel: " + std::string(o->name) + " takes no value";
            return 0;
        }
        if (o->value && !has_value) {
            if (i + 1 >= argc) {
                *error = "quarnel: " + std::string(o->name) + " needs a value " + o->value;
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

// Words of text in lines of at most 79 columns, each after `indent` spaces; the first line
// goes on from `first` (already `column` wide).
std::string wrapped(const std::string& first, size_t indent, const std::string& text) {
    std::string out = first, line_start(indent, ' ');
    size_t column = first.size();
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        std::string word = text.substr(at, end - at);
        at = end + 1;
        if (column > indent && column + 1 + word.size() > 79) {
            out += "\n" + line_start;
            column = indent;
        } else if (column > indent) {
            out += " ";
            column++;
        }
        out += word;
        column += word.size();
    }
    return out + "\n";
}

std::string usage_text() {
    std::string out = "Usage: quarnel [OPTION]...\nA tarot reading for a small touch screen, in "
                      "a window.\n\nOptions:\n";
    for (const Option& o : OPTIONS) {
        std::string left = std::string("  ") + (o.alias ? std::string(o.alias) + ", " : "") +
                           o.name + (o.value ? std::string(" ") + o.value : "");
        left.resize(left.size() < 22 ? 22 : left.size() + 1, ' ');
        out += wrapped(left, 22, o.help);
    }
    return out;
}

std::string help_text() {
    const char* const KEYS[][2] = {
        {"Title", "Enter or Space: Start. Escape: Exit."},
        {"Menu", "1 to 6: the readings. 7: about tarot. 8: the publisher. 9 or Escape: Exit."},
        {"Shuffle", "Space: the deck. Enter or Right: Next. Escape, Backspace or Left: Back."},
        {"Card table",
         "Left, Right, Tab, Shift+Tab, Home, End: move the highlight over the cards. Enter or "
         "Space: turn the highlighted card. 1 to 9 and 0: turn that card. Up, Down, Page Up, "
         "Page Down: scroll the meaning shown. Escape or Backspace: Menu."},
        {"Pages", "Enter: Next (the last publisher page: Menu; the about page: Back). Escape, "
                  "Backspace or Left: Back."},
        {"Anywhere", "F11 or Alt+Enter: fullscreen on or off. Ctrl+C: copy the reading as text. "
                     "Ctrl+S: save a picture of the display. Ctrl+Q: quit."},
    };
    std::string out = usage_text() + "\nKeys (each does what a tap on its button does):\n";
    for (const auto& k : KEYS) {
        std::string left = std::string("  ") + k[0];
        left.resize(14, ' ');
        out += wrapped(left, 14, k[1]);
    }
    return out + "\nThe left mouse button, or a touch, taps where it points.\n"
                 "\nEnvironment:\n"
                 "  QUARNEL_INSTALL_DIR   the folder of pictures, texts and sounds\n"
                 "  XDG_DATA_HOME         the journal is XDG_DATA_HOME/quarnel/journal.md\n"
                 "                        (default ~/.local/share/quarnel/journal.md); read it\n"
                 "                        with quarnel-journal\n"
                 "  SDL_VIDEODRIVER       x11 or wayland, to choose one (SDL tries X11 first)\n";
}

std::string version_text() {
    return std::string("quarnel ") + QUARNEL_VERSION + "\n";
}

int default_scale(int screen_height) {
    int scale = screen_height * 8 / 10 / 320;
    return scale < 1 ? 1 : scale;
}
