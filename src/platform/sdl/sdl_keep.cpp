// sdl_keep.cpp -- the desktop's keys for keeping a reading: Ctrl+C copies it as text,
// Ctrl+S saves a picture of the display; and the journal's look between steps
//
// LIMITATIONS
// - Only Ctrl+C and Ctrl+S are read; every other key is dropped, as before.
// - The clipboard gets plain UTF-8 text; the picture is the display alone, without the
//   window's black borders.

#include "platform/keep/keep.h"
#include "platform/sdl/desktop.h"
#include "platform/sdl/options.h"
#include <SDL.h>
#include <cstdio>

// What the user learns of a key's effect is printed, as the display belongs to the program.
void desktop_copy_reading() {
    std::string text = reading_as_text();
    if (text.empty()) {
        std::fputs(message("quarnel: no reading on screen to copy\n").c_str(), stdout);
    } else if (SDL_SetClipboardText(text.c_str()) != 0) {
        std::fputs(message("quarnel: cannot copy the reading: %s\n", SDL_GetError()).c_str(),
                   stderr);
    } else {
        std::fputs(message("quarnel: copied the reading to the clipboard\n").c_str(), stdout);
    }
    std::fflush(stdout);
}

void desktop_save_picture(const uint16_t* shown, int width, int height, int scale) {
    if (!shown) return; // nothing on the display yet
    std::string folder = pictures_folder(), error;
    std::vector<uint8_t> rgb = display_picture_rgb(shown, width, height, scale);
    std::string path =
        save_picture(folder, rgb, width * scale, height * scale, std::time(nullptr), &error);
    if (path.empty())
        std::fputs(
            message("quarnel: cannot save a picture in %s: %s\n", folder.c_str(), error.c_str())
                .c_str(),
            stderr);
    else
        std::fputs(message("quarnel: saved %s\n", path.c_str()).c_str(), stdout);
    std::fflush(stdout);
}

namespace {
bool copy_asked = false, save_asked = false; // keys pressed, waiting for the taps before them
} // namespace

void desktop_key_down(const SDL_KeyboardEvent& key) {
    const uint16_t mod = key.keysym.mod;
    if (key.repeat || !(mod & KMOD_CTRL) || (mod & (KMOD_ALT | KMOD_GUI | KMOD_SHIFT))) return;
    if (key.keysym.sym == SDLK_c) copy_asked = true;
    if (key.keysym.sym == SDLK_s) save_asked = true;
}

void desktop_between_steps(bool input_settled, const uint16_t* shown, int width, int height,
                           int scale) {
    journal_watch();
    if (!input_settled) return;
    if (copy_asked) desktop_copy_reading();
    if (save_asked) desktop_save_picture(shown, width, height, scale);
    copy_asked = save_asked = false;
}
