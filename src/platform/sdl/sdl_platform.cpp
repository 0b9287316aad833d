// sdl_platform.cpp -- the desktop back end: an SDL2 window showing the 240 x 320 display,
// mouse and touch taps, audio, message boxes
//
// LIMITATIONS
// - One main window; the display is the shared 240 x 320 5-6-5 frame buffer (common.h),
//   scaled by a whole factor. A frame identical to the one on screen is not shown again.
// - Keys reach the program as the taps they stand for (key_tap_point); the highlight over a
//   spread's cards is drawn over the display in the window only, never into the frame.
//   F11 and Alt+Enter toggle fullscreen and Ctrl+Q closes the window, here alone.
// - Ctrl+C and Ctrl+S keep the reading (sdl_keep.cpp); they never reach the program.
// - The full-screen shell call does nothing on a desktop.
// - Sound: one WAV at a time, converted to the device's format; no mixing.
// - The main loop runs a screen step whenever the queue is empty. Once the steps stop
//   presenting new frames (the shared idle pacing, common.h), peek_message waits up to
//   100 ms for input before letting the next step run, instead of 10 ms; input wakes it at
//   once.
// - Drawing uses SDL's software renderer into the window's own surface: the display is
//   small, and no OpenGL driver (tens of megabytes and threads of its own) is loaded.

#include "platform/common/common.h"
#include "platform/sdl/desktop.h"
#include "platform/sdl/options.h"
#include <SDL.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <string>

// [SECTION] State

namespace {
const int IDLE_WAIT_MS = 10;  // longest wait for input while the display is changing
const int REST_WAIT_MS = 100; // longest wait once the steps have stopped changing it

struct Desktop {
    SDL_Window* sdl_window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool texture_wide = false; // the texture takes 32-bit pixels in the window's own format
    int steps_since_input = 1; // screen steps run since the last tap was queued
    SDL_AudioDeviceID audio = 0;
    SDL_AudioSpec audio_spec;
    int scale = 2;           // the window's first size, in display sizes
    bool fullscreen = false; // start fullscreen
    bool window_failed = false;
    int32_t highlight = -1; // the spread position the keys highlight, -1 none
};

Desktop d;

// The display's rectangle inside the window: the largest whole scale that fits, centred.
SDL_Rect display_rect() {
    int w = DISPLAY_WIDTH, h = DISPLAY_HEIGHT;
    if (d.renderer) SDL_GetRendererOutputSize(d.renderer, &w, &h);
    int scale = std::min(w / DISPLAY_WIDTH, h / DISPLAY_HEIGHT);
    if (scale < 1) scale = 1;
    SDL_Rect r = {(w - DISPLAY_WIDTH * scale) / 2, (h - DISPLAY_HEIGHT * scale) / 2,
                  DISPLAY_WIDTH * scale, DISPLAY_HEIGHT * scale};
    return r;
}

// Writes the frame on screen into the 32-bit texture, each 5-6-5 value widened to 8-8-8
// with opaque alpha, its high bits repeated below as SDL widens them.
void widen_frame(const uint16_t* shown) {
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(d.texture, nullptr, &pixels, &pitch) != 0) return;
    for (int y = 0; y < DISPLAY_HEIGHT; ++y) {
        const uint16_t* from = shown + y * DISPLAY_WIDTH;
        uint32_t* to = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + y * pitch);
        for (int x = 0; x < DISPLAY_WIDTH; ++x) {
            uint8_t c[3];
            widen_pixel(from[x], kfDirect565, c);
            to[x] = 0xFF000000u | uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2];
        }
    }
    SDL_UnlockTexture(d.texture);
}

// Puts the frame on screen into the window, with the highlight over it (nothing before the
// first frame).
void show_frame() {
    const uint16_t* shown = window_display_shown();
    if (!d.renderer || !shown) return;
    if (d.texture_wide)
        widen_frame(shown);
    else
        SDL_UpdateTexture(d.texture, nullptr, shown, DISPLAY_WIDTH * 2);
    SDL_Rect r = display_rect();
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(d.renderer, &w, &h);
    if (r.x > 0 || r.y > 0 || r.w < w || r.h < h) { // black borders around the display
        SDL_SetRenderDrawColor(d.renderer, 0, 0, 0, 255);
        SDL_RenderClear(d.renderer);
    }
    SDL_RenderCopy(d.renderer, d.texture, nullptr, &r);
    int32_t x, y, w_card, h_card;
    if (key_highlight_rect(&d.highlight, &x, &y, &w_card, &h_card)) {
        // A gold frame two display pixels wide around the card, outside it where it can be.
        int scale = r.w / DISPLAY_WIDTH;
        SDL_SetRenderDrawColor(d.renderer, 255, 214, 90, 255);
        for (int i = 1; i <= 2 * scale; i++) {
            SDL_Rect frame = {r.x + x * scale - i, r.y + y * scale - i, w_card * scale + 2 * i,
                              h_card * scale + 2 * i};
            SDL_RenderDrawRect(d.renderer, &frame);
        }
    }
    SDL_RenderPresent(d.renderer);
}

// The tap at a point of the window, when it falls on the display.
void tap_window(int window_x, int window_y) {
    SDL_Rect r = display_rect();
    if (window_x < r.x || window_y < r.y || window_x >= r.x + r.w || window_y >= r.y + r.h)
        return; // outside the display area
    int scale = r.w / DISPLAY_WIDTH;
    queue_tap((window_x - r.x) / scale, (window_y - r.y) / scale);
    d.steps_since_input = 0;
}

// The keys act once the program has taken every tap made before them.
void keep_between_steps() {
    desktop_between_steps(d.steps_since_input > 0 && !queue_waiting(), window_display_shown(),
                          DISPLAY_WIDTH, DISPLAY_HEIGHT, display_rect().w / DISPLAY_WIDTH);
}

// The program's key for an SDL key with its modifiers; KEY_NONE for keys the program leaves.
int32_t program_key(const SDL_Keysym& k) {
    if (k.mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) return KEY_NONE;
    switch (k.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return KEY_ENTER;
    case SDLK_SPACE:
        return KEY_SPACE;
    case SDLK_ESCAPE:
        return KEY_ESCAPE;
    case SDLK_BACKSPACE:
        return KEY_BACKSPACE;
    case SDLK_TAB:
        return k.mod & KMOD_SHIFT ? KEY_BACK_TAB : KEY_TAB;
    case SDLK_UP:
        return KEY_UP;
    case SDLK_DOWN:
        return KEY_DOWN;
    case SDLK_LEFT:
        return KEY_LEFT;
    case SDLK_RIGHT:
        return KEY_RIGHT;
    case SDLK_PAGEUP:
        return KEY_PAGE_UP;
    case SDLK_PAGEDOWN:
        return KEY_PAGE_DOWN;
    case SDLK_HOME:
        return KEY_HOME;
    case SDLK_END:
        return KEY_END;
    default:
        break;
    }
    if (k.sym >= SDLK_0 && k.sym <= SDLK_9) return KEY_0 + (k.sym - SDLK_0);
    if (k.sym >= SDLK_KP_1 && k.sym <= SDLK_KP_9) return KEY_0 + 1 + (k.sym - SDLK_KP_1);
    if (k.sym == SDLK_KP_0) return KEY_0;
    return KEY_NONE;
}

void toggle_fullscreen() {
    if (!d.sdl_window) return;
    bool on = SDL_GetWindowFlags(d.sdl_window) & SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_SetWindowFullscreen(d.sdl_window, on ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

// Window keys stay here; the others become the taps the program answers for them, queued
// like the mouse's, so the window procedure sees only taps.
void key_down(const SDL_KeyboardEvent& e) {
    const SDL_Keysym& k = e.keysym;
    bool alt = k.mod & KMOD_ALT, ctrl = k.mod & KMOD_CTRL;
    if (k.sym == SDLK_F11 || (alt && (k.sym == SDLK_RETURN || k.sym == SDLK_KP_ENTER))) {
        if (!e.repeat) toggle_fullscreen();
        return;
    }
    if (ctrl && k.sym == SDLK_q) {
        destroy_window(main_window_handle());
        return;
    }
    int32_t key = program_key(k);
    if (key == KEY_NONE) return;
    // Held keys repeat only where that helps: scrolling and moving the highlight.
    bool repeats = key == KEY_UP || key == KEY_DOWN || key == KEY_LEFT || key == KEY_RIGHT ||
                   key == KEY_PAGE_UP || key == KEY_PAGE_DOWN || key == KEY_TAB ||
                   key == KEY_BACK_TAB;
    if (e.repeat && !repeats) return;
    int32_t before = d.highlight, x = 0, y = 0;
    if (key_tap_point(key, &d.highlight, &x, &y)) queue_tap(x, y);
    if (d.highlight != before) show_frame();
}

// Turns waiting SDL events into program messages; waits up to timeout_ms for the first.
void pump_events(int timeout_ms) {
    keep_between_steps();
    SDL_Event e;
    bool have = timeout_ms > 0 ? SDL_WaitEventTimeout(&e, timeout_ms) : SDL_PollEvent(&e);
    while (have) {
        switch (e.type) {
        case SDL_QUIT: // closing the window is the destroy path
            destroy_window(main_window_handle());
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT && e.button.which != SDL_TOUCH_MOUSEID)
                tap_window(e.button.x, e.button.y);
            break;
        case SDL_FINGERDOWN: {
            int w = 0, h = 0;
            SDL_GetWindowSize(d.sdl_window, &w, &h);
            int ow = w, oh = h;
            if (d.renderer) SDL_GetRendererOutputSize(d.renderer, &ow, &oh);
            tap_window(int(e.tfinger.x * float(ow)), int(e.tfinger.y * float(oh)));
            break;
        }
        case SDL_KEYDOWN:
            desktop_key_down(e.key); // Ctrl+C, Ctrl+S: never queued for the program
            key_down(e.key);
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
                e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                show_frame();
            break;
        default:
            break;
        }
        have = SDL_PollEvent(&e);
    }
    keep_between_steps();
}
} // namespace

// [SECTION] Window system and message queue

// The window's first size and state, from the command line and the screen.
void desktop_set_window(int scale, bool fullscreen) {
    d.scale = scale < 1 ? 1 : scale;
    d.fullscreen = fullscreen;
}

// 1 when create_window failed (the reason was printed).
int desktop_window_failed() {
    return d.window_failed;
}

static WindowHandle window_failure() {
    std::fputs(message("quarnel: cannot open a window: %s\n", SDL_GetError()).c_str(), stderr);
    d.window_failed = true;
    return 0;
}

WindowHandle create_window(const wchar_t*, const wchar_t* title) {
    if (!main_window_may_open()) return 0;
    int scale = d.scale;
    uint32_t flags = SDL_WINDOW_RESIZABLE | (d.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    d.sdl_window =
        SDL_CreateWindow(narrow(title).c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                         DISPLAY_WIDTH * scale, DISPLAY_HEIGHT * scale, flags);
    if (!d.sdl_window) return window_failure();
    SDL_SetWindowMinimumSize(d.sdl_window, DISPLAY_WIDTH, DISPLAY_HEIGHT);
    // Only presses reach the program: the pointer's moves, releases and key releases are
    // dropped before they are queued, so that they do not wake the idle wait for nothing.
    for (uint32_t type : {SDL_MOUSEMOTION, SDL_MOUSEBUTTONUP, SDL_MOUSEWHEEL, SDL_FINGERMOTION,
                          SDL_FINGERUP, SDL_KEYUP, SDL_TEXTINPUT, SDL_TEXTEDITING})
        SDL_EventState(type, SDL_IGNORE);
    // The software renderer, drawing straight into the window's surface (not into a
    // texture of an accelerated renderer, which would load the OpenGL driver after all).
    // SDL_RENDER_DRIVER and SDL_FRAMEBUFFER_ACCELERATION in the environment still decide.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    d.renderer = SDL_CreateRenderer(d.sdl_window, -1, SDL_RENDERER_SOFTWARE);
    if (!d.renderer) d.renderer = SDL_CreateRenderer(d.sdl_window, -1, 0);
    if (d.renderer) {
        // A texture in the window's own 32-bit format is stretched onto it row by row; a
        // 5-6-5 texture would go through SDL's pixel-by-pixel converting blit, about 2 ms a
        // frame at scale 2. Other window formats keep the 5-6-5 texture.
        uint32_t format = SDL_GetWindowPixelFormat(d.sdl_window);
        d.texture_wide = format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
        if (d.texture_wide)
            d.texture = SDL_CreateTexture(d.renderer, format, SDL_TEXTUREACCESS_STREAMING,
                                          DISPLAY_WIDTH, DISPLAY_HEIGHT);
        if (!d.texture) {
            d.texture_wide = false;
            d.texture =
                SDL_CreateTexture(d.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                  DISPLAY_WIDTH, DISPLAY_HEIGHT);
        }
        if (d.texture) SDL_SetTextureBlendMode(d.texture, SDL_BLENDMODE_NONE);
    }
    if (!d.renderer || !d.texture) {
        window_failure();
        SDL_DestroyWindow(d.sdl_window);
        d.sdl_window = nullptr;
        return 0;
    }
    std::string folder = desktop_install_dir();
    if (!folder.empty()) {
        std::string icon = folder + "/picture/icon32.bmp";
        if (SDL_Surface* image = SDL_LoadBMP(icon.c_str())) {
            SDL_SetWindowIcon(d.sdl_window, image);
            SDL_FreeSurface(image);
        }
    }
    use_window_display(show_frame);
    return open_main_window(1);
}

int destroy_window(WindowHandle window) {
    if (!close_main_window(window)) return 0;
    if (d.texture) SDL_DestroyTexture(d.texture);
    if (d.renderer) SDL_DestroyRenderer(d.renderer);
    if (d.sdl_window) SDL_DestroyWindow(d.sdl_window);
    d.texture = nullptr, d.renderer = nullptr, d.sdl_window = nullptr;
    return 1;
}

int move_window(WindowHandle window, int32_t, int32_t, int32_t, int32_t, int repaint) {
    if (!is_main_window(window)) return 0;
    if (repaint) show_frame();
    return 1;
}

int peek_message(Message* message) {
    if (!queue_waiting()) pump_events(0);
    if (!queue_waiting()) pump_events(pacing_resting() ? REST_WAIT_MS : IDLE_WAIT_MS);
    if (queue_peek(message)) return 1;
    pacing_step(); // a screen step runs next
    if (d.steps_since_input < 2) d.steps_since_input++;
    return 0;
}

int get_message(Message* message) {
    while (!queue_waiting()) pump_events(100);
    return queue_take(message);
}

// [SECTION] Message box

// The box says only the program's own words; stderr also names the file that could not be
// opened, if one was, and why. While the box waits, SIGTERM and SIGINT end the program at
// once: SDL's own handlers only queue a quit that nobody reads until the box is closed.
int message_box(WindowHandle, const wchar_t* text, const wchar_t* caption, uint32_t) {
    std::string t = narrow(text), c = narrow(caption);
    std::string failure = take_open_failure();
    if (!failure.empty()) std::fprintf(stderr, "quarnel: %s\n", failure.c_str());
    struct sigaction plain = {}, old_term, old_int;
    plain.sa_handler = SIG_DFL;
    sigaction(SIGTERM, &plain, &old_term);
    sigaction(SIGINT, &plain, &old_int);
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, c.c_str(), t.c_str(), d.sdl_window) !=
        0)
        std::fprintf(stderr, "quarnel: %s%s%s\n", c.c_str(), c.empty() ? "" : ": ", t.c_str());
    sigaction(SIGTERM, &old_term, nullptr);
    sigaction(SIGINT, &old_int, nullptr);
    return 1;
}

// [SECTION] Sound: one WAV at a time through the audio device

// Opens the default sound device; returns 1/0.
int open_audio() {
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = 22050;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 1024;
    d.audio =
        SDL_OpenAudioDevice(nullptr, 0, &want, &d.audio_spec,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (d.audio) SDL_PauseAudioDevice(d.audio, 0);
    return d.audio != 0;
}

int play_sound_file(const wchar_t* path, uint32_t) {
    if (!d.audio) return 0;
    SDL_ClearQueuedAudio(d.audio); // a new sound stops the one playing
    std::string host = host_path(path);
    if (host.empty()) return 0;
    SDL_AudioSpec spec;
    uint8_t* data = nullptr;
    uint32_t length = 0;
    if (!SDL_LoadWAV(host.c_str(), &spec, &data, &length)) return 0;
    SDL_AudioCVT cvt;
    int ok = 0;
    if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, d.audio_spec.format,
                          d.audio_spec.channels, d.audio_spec.freq) >= 0) {
        cvt.len = int(length);
        cvt.buf = static_cast<uint8_t*>(SDL_malloc(size_t(length) * size_t(cvt.len_mult)));
        if (cvt.buf) {
            std::memcpy(cvt.buf, data, length);
            if (SDL_ConvertAudio(&cvt) == 0)
                ok = SDL_QueueAudio(d.audio, cvt.buf, uint32_t(cvt.len_cvt)) == 0;
            SDL_free(cvt.buf);
        }
    }
    SDL_FreeWAV(data);
    return ok;
}

// [SECTION] Time

void sleep_ms(uint32_t ms) {
    SDL_Delay(ms);
}
uint32_t tick_count() {
    return SDL_GetTicks();
}
