// headless.cpp -- the headless back end: virtual clock, scripted taps, in-memory display,
// frame hashes and a log of everything the program did
//
// LIMITATIONS
// - No real window and no sound output: sounds are logged, never heard.
// - Message boxes are logged and closed at once, as if the user pressed OK.
// - sleep_ms advances the virtual clock and returns immediately.
// - One main window; the display is 16-bit only, of any size, pitch and format (the shared
//   frame buffer, common.h). Every present is recorded, whether the frame changed or not.

#include "platform/headless/headless.h"
#include "platform/common/common.h"
#include <cstdio>
#include <cstring>
#include <deque>

// [SECTION] State

namespace {
enum CommandKind {
    command_tap,
    command_steps,
    command_wait,
    command_shot,
    command_quit,
    command_key,
    command_call
};

struct Command {
    CommandKind kind;
    int32_t a = 0, b = 0;
    std::string text;
    void (*call)(const std::string&) = nullptr;
};

void layout_frame();
void record_present();

// The record of a display laid out as `display` says; its frame is laid out when it opens.
FrameBuffer frame_buffer_for(const HeadlessDisplay& display) {
    FrameBuffer record;
    record.properties = {display.width, display.height, display.x_pitch, display.y_pitch, 16,
                         display.format};
    record.opening = layout_frame;
    record.show = record_present;
    return record;
}

struct Headless {
    FrameBuffer screen = frame_buffer_for(HeadlessDisplay());
    std::string install_dir;
    bool has_install_dir = false;
    int idle_steps = 3;
    std::deque<Command> script;
    int idle_left = 0;
    uint32_t clock = 0;
    std::vector<std::string> log;
    std::vector<std::string> messages;
    std::string current_sound;
    uint32_t presents = 0;
    uint32_t last_hash = 0;
    void (*step_hook)() = nullptr;
    void (*log_hook)(const std::string&) = nullptr;
    uint64_t steps_run = 0;
    bool started = false;       // the program runs its idle steps before the first command too
    int32_t highlight = -1;     // the card a key highlights on a card table
    std::vector<uint8_t> frame; // the display's pixels, laid out by its pitches
    size_t origin = 0;          // byte offset of pixel (0, 0) in frame
};

Headless h;
const uint64_t STEP_LIMIT = 50000000; // a run that never ends is stopped here

void log_event(const std::string& what) {
    std::string line = std::to_string(h.clock) + " " + what;
    h.log.push_back(line);
    if (h.log_hook) h.log_hook(line);
}

// A program path shown relative to the install folder.
std::string relative_path(const wchar_t* path) {
    std::string p = narrow(path);
    std::string prefix = narrow(program_path(h.install_dir).c_str());
    if (h.has_install_dir && !prefix.empty() && p.compare(0, prefix.size(), prefix) == 0)
        return p.substr(prefix.size());
    return p;
}

// A frame of black pixels as the display's pitches lay it out.
void layout_frame() {
    const GXDisplayProperties& p = h.screen.properties;
    int64_t right = int64_t(p.cxWidth - 1) * p.cbxPitch,
            down = int64_t(p.cyHeight - 1) * p.cbyPitch;
    int64_t min_offset = 0, max_offset = 0;
    for (int64_t c : {int64_t(0), right, down, right + down}) {
        if (c < min_offset) min_offset = c;
        if (c > max_offset) max_offset = c;
    }
    h.origin = size_t(-min_offset);
    h.frame.assign(size_t(max_offset - min_offset + 2), 0);
    h.screen.first_pixel = &h.frame[h.origin];
}

void record_present() {
    h.presents++;
    h.last_hash = headless_frame_hash();
    char text[32];
    std::snprintf(text, sizeof text, "present %08x", h.last_hash);
    log_event(text);
}

uint16_t pixel_at(uint32_t x, uint32_t y) {
    const GXDisplayProperties& p = h.screen.properties;
    size_t at = size_t(int64_t(h.origin) + int64_t(x) * p.cbxPitch + int64_t(y) * p.cbyPitch);
    uint16_t value;
    std::memcpy(&value, &h.frame[at], 2);
    return value;
}
} // namespace

// [SECTION] Controls

void headless_reset() {
    close_all_files();
    h = Headless();
    queue_reset();
    queue_set_quit_hook([](int32_t code) { log_event("quit " + std::to_string(code)); });
    display_use(&h.screen);
    registry_set_install_dir(nullptr);
    files_set_deck_dir(nullptr);
    memory_fail_after(-1);
    seed_random(1);
}

void headless_set_display(const HeadlessDisplay& display) {
    h.screen = frame_buffer_for(display);
}
void headless_set_clock(uint32_t ms) {
    h.clock = ms;
}
void headless_set_install_dir(const char* host_path) {
    h.has_install_dir = host_path != nullptr;
    h.install_dir = host_path ? host_path : "";
    while (h.install_dir.size() > 1 && h.install_dir.back() == '/') h.install_dir.pop_back();
    registry_set_install_dir(host_path);
}
void headless_set_idle_steps(int steps) {
    h.idle_steps = steps < 0 ? 0 : steps;
}
void headless_fail_allocations_after(int allowed) {
    memory_fail_after(allowed);
}

void headless_queue_tap(int32_t x, int32_t y) {
    h.script.push_back({command_tap, x, y, ""});
}
void headless_queue_steps(int steps) {
    h.script.push_back({command_steps, steps, 0, ""});
}
void headless_queue_wait(uint32_t ms) {
    h.script.push_back({command_wait, int32_t(ms), 0, ""});
}
void headless_queue_shot(const std::string& png) {
    h.script.push_back({command_shot, 0, 0, png});
}
void headless_queue_quit() {
    h.script.push_back({command_quit, 0, 0, ""});
}
void headless_queue_key(int32_t key) {
    h.script.push_back({command_key, key, 0, ""});
}
void headless_queue_call(void (*call)(const std::string&), const std::string& argument) {
    h.script.push_back({command_call, 0, 0, argument, call});
}
void headless_set_step_hook(void (*hook)()) {
    h.step_hook = hook;
}
void headless_set_log_hook(void (*hook)(const std::string&)) {
    h.log_hook = hook;
}

const std::vector<std::string>& headless_log() {
    return h.log;
}
void headless_log_line(const std::string& line) {
    log_event(line);
}
uint32_t headless_clock() {
    return h.clock;
}
uint32_t headless_present_count() {
    return h.presents;
}
std::string headless_current_sound() {
    return h.current_sound;
}
const std::vector<std::string>& headless_messages() {
    return h.messages;
}

std::vector<uint16_t> headless_display_pixels() {
    std::vector<uint16_t> out;
    if (h.frame.empty()) return out;
    const GXDisplayProperties& p = h.screen.properties;
    out.reserve(size_t(p.cxWidth) * p.cyHeight);
    for (uint32_t y = 0; y < p.cyHeight; y++)
        for (uint32_t x = 0; x < p.cxWidth; x++) out.push_back(pixel_at(x, y));
    return out;
}

uint32_t fnv1a(const void* data, size_t size, uint32_t hash) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; i++) hash = (hash ^ p[i]) * 16777619u;
    return hash;
}

// Four pixels to a 64-bit word, multiplied in FNV fashion, folded to 32 bits: fast enough to
// run on every present of a long session.
uint32_t headless_frame_hash() {
    if (h.frame.empty()) return 0;
    const GXDisplayProperties& p = h.screen.properties;
    uint64_t hash = 14695981039346656037ull;
    uint64_t word = 0;
    int filled = 0;
    const uint8_t* origin = &h.frame[h.origin];
    for (uint32_t y = 0; y < p.cyHeight; y++) {
        const uint8_t* row = origin + int64_t(y) * p.cbyPitch;
        if (p.cbxPitch == 2 && p.cxWidth % 4 == 0) {
            for (uint32_t x = 0; x < p.cxWidth; x += 4) {
                std::memcpy(&word, row + 2 * x, 8);
                hash = (hash ^ word) * 1099511628211ull;
            }
            continue;
        }
        for (uint32_t x = 0; x < p.cxWidth; x++) {
            uint16_t v;
            std::memcpy(&v, row + int64_t(x) * p.cbxPitch, 2);
            word |= uint64_t(v) << (16 * filled);
            if (++filled == 4) {
                hash = (hash ^ word) * 1099511628211ull;
                word = 0, filled = 0;
            }
        }
    }
    if (filled) hash = (hash ^ word) * 1099511628211ull;
    return uint32_t(hash ^ (hash >> 32));
}

std::vector<uint8_t> headless_display_rgb() {
    std::vector<uint16_t> pixels = headless_display_pixels();
    std::vector<uint8_t> rgb;
    rgb.reserve(pixels.size() * 3);
    for (uint16_t v : pixels) {
        uint8_t c[3];
        widen_pixel(v, h.screen.properties.ffFormat, c);
        rgb.insert(rgb.end(), c, c + 3);
    }
    return rgb;
}

int headless_write_png(const std::string& path) {
    std::vector<uint8_t> rgb = headless_display_rgb();
    if (rgb.empty()) return 0;
    const GXDisplayProperties& p = h.screen.properties;
    return write_png_rgb(path, rgb.data(), p.cxWidth, p.cyHeight);
}

// [SECTION] Script: what the program sees when its queue is empty

static void script_tap(int32_t x, int32_t y) {
    log_event("tap " + std::to_string(x) + " " + std::to_string(y));
    queue_tap(x, y);
}

static void run_command(const Command& c) {
    switch (c.kind) {
    case command_tap:
        script_tap(c.a, c.b);
        h.idle_left = h.idle_steps;
        break;
    case command_key: {
        log_event(std::string("key ") + key_name(c.a));
        int32_t before = h.highlight, x = 0, y = 0;
        int tap = key_tap_point(c.a, &h.highlight, &x, &y);
        if (h.highlight != before) log_event("highlight " + std::to_string(h.highlight));
        if (tap) script_tap(x, y);
        h.idle_left = h.idle_steps;
        break;
    }
    case command_steps:
        h.idle_left = c.a;
        break;
    case command_wait:
        h.clock += uint32_t(c.a);
        h.idle_left = h.idle_steps;
        break;
    case command_shot:
        headless_write_png(c.text);
        log_event("shot " + c.text.substr(c.text.find_last_of('/') + 1));
        h.idle_left = h.idle_steps;
        break;
    case command_quit:
        log_event("close");
        destroy_window(main_window_handle());
        break;
    case command_call:
        if (c.call) c.call(c.text);
        h.idle_left = h.idle_steps;
        break;
    }
}

// [SECTION] Window system and message queue

WindowHandle create_window(const wchar_t*, const wchar_t*) {
    if (!main_window_may_open()) return 0;
    return open_main_window(0x5151);
}

int destroy_window(WindowHandle window) {
    if (!is_main_window(window)) return 0;
    log_event("destroy");
    return close_main_window(window);
}

int move_window(WindowHandle window, int32_t, int32_t, int32_t, int32_t, int) {
    return is_main_window(window);
}

int peek_message(Message* message) {
    if (!h.started) {
        h.started = true;
        h.idle_left = h.idle_steps;
    }
    for (;;) {
        if (queue_peek(message)) return 1;
        if (!main_window_handle() || h.steps_run >= STEP_LIMIT) {
            // Nothing can end the run any more; end it as the platform would on shut-down.
            if (h.steps_run >= STEP_LIMIT) log_event("step limit");
            post_quit_message(0);
            continue;
        }
        if (h.idle_left > 0) {
            h.idle_left--;
            h.steps_run++;
            if (h.step_hook) h.step_hook();
            return 0;
        }
        if (h.script.empty()) {
            destroy_window(main_window_handle());
            continue;
        }
        Command c = h.script.front();
        h.script.pop_front();
        run_command(c);
    }
}

int get_message(Message* message) {
    while (!peek_message(message)) {
        if (h.step_hook) h.step_hook();
    }
    return queue_take(message);
}

// [SECTION] Message box, sound, time

int message_box(WindowHandle, const wchar_t* text, const wchar_t* caption, uint32_t) {
    std::string entry = narrow(caption) + "|" + narrow(text);
    h.messages.push_back(entry);
    log_event("message " + entry);
    return 1;
}

int play_sound_file(const wchar_t* path, uint32_t) {
    std::string name = relative_path(path);
    if (host_path(path).empty()) {
        h.current_sound.clear(); // a new call stops the old sound, even for a missing file
        log_event("sound-missing " + name);
        return 0;
    }
    h.current_sound = name;
    log_event("sound " + name);
    return 1;
}

void sleep_ms(uint32_t ms) {
    h.clock += ms;
}
uint32_t tick_count() {
    return h.clock;
}
