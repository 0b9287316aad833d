// sdl_main.cpp -- the desktop program's entry: finds the install folder, starts SDL, runs
// the program

#include "platform/common/common.h"
#include <SDL.h>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

void open_audio(); // sdl_platform.cpp
void release_objects();

static bool is_folder(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

static std::string executable_folder() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "";
    buffer[n] = 0;
    std::string path(buffer);
    return path.substr(0, path.find_last_of('/'));
}

// The install folder: QUARNEL_INSTALL_DIR, else the one installed beside the program,
// else the build tree's. "" when none exists (the registry key is then missing).
std::string desktop_install_dir() {
    const char* variable = std::getenv("QUARNEL_INSTALL_DIR");
    if (variable && is_folder(variable)) return variable;
    std::string installed = executable_folder() + "/../share/quarnel";
    if (is_folder(installed)) return installed;
#ifdef QUARNEL_BUILD_INSTALL_DIR
    if (is_folder(QUARNEL_BUILD_INSTALL_DIR)) return QUARNEL_BUILD_INSTALL_DIR;
#endif
    return "";
}

int main(int argc, char** argv) {
    // --deck DIR: the user's card faces and texts in place of the installed ones.
    const char* deck = nullptr;
    for (int i = 1; i < argc; i++)
        if (std::string(argv[i]) == "--deck") deck = i + 1 < argc ? argv[++i] : "";
    char* deck_folder = deck ? realpath(deck, nullptr) : nullptr;
    int deck_ok = !deck || (deck_folder && files_set_deck_dir(deck_folder));
    std::free(deck_folder);
    if (!deck_ok) {
        std::fprintf(stderr, "quarnel: --deck %s: no folder with card.nbf or CardDB.dat\n", deck);
        return 2;
    }
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "quarnel: cannot start the display: %s\n", SDL_GetError());
        return 1;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) open_audio();
    std::string folder = desktop_install_dir();
    registry_set_install_dir(folder.empty() ? nullptr : folder.c_str());
    int code = app_main(1, 0, L"", 1);
    release_objects();
    close_all_files();
    SDL_Quit();
    return code;
}
