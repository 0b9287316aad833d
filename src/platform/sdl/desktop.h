// desktop.h -- what the desktop back end's files share: the window's first size, the sound
// device, the install folder found at start-up, and the keys that keep a reading

#pragma once
#include <SDL.h>
#include <cstdint>
#include <string>

// sdl_platform.cpp: the window's first scale and state, from the command line and the
// screen; 1 when create_window failed (the reason was printed); the default sound device,
// opened; returns 1/0.
void desktop_set_window(int scale, bool fullscreen);
int desktop_window_failed();
int open_audio();

// sdl_main.cpp: the install folder chosen at start-up, or empty.
std::string desktop_install_dir();

// sdl_keep.cpp: the keys that keep a reading (Ctrl+C, Ctrl+S), and the journal's look at the
// screen between steps.
void desktop_key_down(const SDL_KeyboardEvent& key);
void desktop_between_steps(bool input_settled, const uint16_t* shown, int width, int height,
                           int scale);
