// sdl_main.cpp -- the desktop program's entry: the command line, the install folder, a
// display to show on and a sound device to play on, then the program

#include "platform/common/common.h"
#include "platform/sdl/desktop.h"
#include "platform/sdl/options.h"
#include "platform/keep/keep.h"
#include "journal/journal_file.h"
#include <SDL.h>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <libintl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// [SECTION] The install folder

namespace {
std::string chosen_install_dir;
std::string install_dir_option;

bool is_folder(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder's absolute path with no "." or ".." and no links: the file layer refuses ".."
// in the paths it maps, so "/usr/bin/../share/quarnel" must reach it as "/usr/share/quarnel".
std::string canonical(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : "";
}

std::string find_install_dir() {
    std::string candidates[3] = {install_dir_option, "", ""};
    const char* variable = std::getenv("QUARNEL_INSTALL_DIR");
    if (variable) candidates[1] = variable;
    std::string exe = executable_folder();
    if (!exe.empty()) candidates[2] = exe + "/../share/quarnel";
    for (const std::string& c : candidates)
        if (is_folder(c)) return canonical(c);
#ifdef QUARNEL_BUILD_INSTALL_DIR
    if (is_folder(QUARNEL_BUILD_INSTALL_DIR)) return canonical(QUARNEL_BUILD_INSTALL_DIR);
#endif
    return "";
}
} // namespace

// The install folder: --install-dir, else QUARNEL_INSTALL_DIR, else the one installed beside
// the program (../share/quarnel), else the build tree's; canonical; then the language's folder
// beneath it. "" when none exists (the registry key is then missing).
std::string desktop_install_dir() {
    return chosen_install_dir;
}

// [SECTION] The language

namespace {
// The message catalogs: installed beside the program (../share/locale), else the build tree's.
std::string locale_folder() {
    const std::string installed = executable_folder() + "/../share/locale";
    if (is_folder(installed + "/de/LC_MESSAGES")) return installed;
#ifdef QUARNEL_BUILD_LOCALE_DIR
    return QUARNEL_BUILD_LOCALE_DIR;
#else
    return "/usr/share/locale";
#endif
}

// The messages come from the catalogs in UTF-8. A locale the system lacks (its language may
// still be one of ours) leaves C.UTF-8, in which the language named by LANGUAGE is used.
void open_catalogs() {
    for (int category : {LC_CTYPE, LC_MESSAGES})
        if (!std::setlocale(category, "")) std::setlocale(category, "C.UTF-8");
    bindtextdomain("quarnel", locale_folder().c_str());
    bind_textdomain_codeset("quarnel", "UTF-8");
    textdomain("quarnel");
}

// The messages speak the program's language from here on (LANGUAGE, which gettext follows in
// any locale but C).
void speak(int language) {
    setenv("LANGUAGE", language_code(language), 1);
    const char* now = std::setlocale(LC_MESSAGES, nullptr);
    if (language > 0 && now && (std::strcmp(now, "C") == 0 || std::strcmp(now, "POSIX") == 0))
        for (int category : {LC_CTYPE, LC_MESSAGES}) std::setlocale(category, "C.UTF-8");
}
} // namespace

// [SECTION] Display and sound

namespace {
// Runs fn with stderr sent to /dev/null: the display and sound libraries report a missing
// display or device in lines of their own, and the program says it once in its own words.
template <class Fn> int quietly(Fn fn) {
    std::fflush(stderr);
    int saved = dup(2);
    int null = open("/dev/null", O_WRONLY);
    if (saved >= 0 && null >= 0) dup2(null, 2);
    int result = fn();
    std::fflush(stderr);
    if (saved >= 0) dup2(saved, 2), close(saved);
    if (null >= 0) close(null);
    return result;
}

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// With no display SDL may still start a video driver that shows nothing (offscreen, KMS on a
// console that is not ours): the program would run on, invisible. Only a driver the user
// names, or a desktop session's display, is used.
int open_display() {
    std::string driver = variable("SDL_VIDEODRIVER");
    std::string x11 = variable("DISPLAY"), wayland = variable("WAYLAND_DISPLAY");
    if (driver.empty() && x11.empty() && wayland.empty()) {
        std::fputs(message("quarnel: cannot open a window: no display (is DISPLAY or "
                           "WAYLAND_DISPLAY set?)\n")
                       .c_str(),
                   stderr);
        return 0;
    }
    if (!quietly([] { return SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0; })) {
        std::fputs(message("quarnel: cannot open a window: %s\n", SDL_GetError()).c_str(), stderr);
        return 0;
    }
    const char* used = SDL_GetCurrentVideoDriver();
    std::string name = used ? used : "";
    if (driver.empty() && name != "x11" && name != "wayland") {
        std::string tried = x11.empty() ? "" : "DISPLAY=" + x11;
        if (!wayland.empty()) tried += (tried.empty() ? "" : ", ") + ("WAYLAND_DISPLAY=" + wayland);
        std::fputs(message("quarnel: cannot open a window: cannot connect to the display (%s)\n",
                           tried.c_str())
                       .c_str(),
                   stderr);
        SDL_Quit();
        return 0;
    }
    return 1;
}

void open_sound() {
    int ok = quietly([] { return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && open_audio(); });
    if (!ok) {
        const char* why = SDL_GetError();
        std::fputs(
            message("quarnel: sound is off: %s\n", why && *why ? why : gettext("no sound device"))
                .c_str(),
            stderr);
    }
}
} // namespace

// [SECTION] Entry

int main(int argc, char** argv) {
    open_catalogs();
    const int from_locale =
        locale_language(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    speak(from_locale < 0 ? 0 : from_locale);
    DesktopOptions options;
    std::string error;
    if (!parse_options(argc, argv, &options, &error)) {
        std::fprintf(stderr, "%s\n%s", error.c_str(), usage_text().c_str());
        return 2;
    }
    if (options.language >= 0) speak(options.language);
    if (options.help) {
        std::fputs(help_text().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(version_text().c_str(), stdout);
        return 0;
    }
    install_dir_option = options.install_dir;
    chosen_install_dir =
        chosen_language_dir(find_install_dir(), options.language, from_locale, nullptr);
    if (chosen_install_dir.empty())
        std::fputs(message("quarnel: no install folder: give --install-dir DIR or "
                           "QUARNEL_INSTALL_DIR, or install the program\n")
                       .c_str(),
                   stderr);
    registry_set_install_dir(chosen_install_dir.empty() ? nullptr : chosen_install_dir.c_str());
    std::string deck;
    if (!options.deck.empty()) {
        // The user's card faces and texts in place of the installed ones.
        char* deck_folder = realpath(options.deck.c_str(), nullptr);
        int deck_ok = deck_folder && files_set_deck_dir(deck_folder);
        if (deck_ok) deck = deck_folder;
        std::free(deck_folder);
        if (!deck_ok) {
            std::fputs(message("quarnel: --deck %s: no folder with card.nbf or CardDB.dat\n",
                               options.deck.c_str())
                           .c_str(),
                       stderr);
            return 2;
        }
    }
    if (!open_display()) return 1;
    SDL_DisplayMode mode;
    int screen_height = SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.h : 0;
    desktop_set_window(options.scale ? options.scale : default_scale(screen_height),
                       options.fullscreen);
    open_sound();
    // The journal: the user's file, else the default one, unless --no-journal.
    const bool default_journal = options.journal.empty() && !options.no_journal;
    journal_open(default_journal ? default_journal_path() : options.journal, deck, default_journal);
    int code = app_main(1, 0, L"", 1);
    journal_finish();
    release_objects();
    close_all_files();
    SDL_Quit();
    if (desktop_window_failed()) return 1;
    return code;
}
