// session.cpp -- runs the program headlessly: hooks for screen changes, the log and the
// frame recording

#include "session.h"
#include "shell/shell.h"
#include "graphics/graphics.h"
#include "platform/common/common.h"
#include "platform/keep/keep.h"

// [SECTION] Hooks

namespace {
struct Session {
    std::FILE* log_out = nullptr;
    GifRecording* recording = nullptr;
    int32_t screen = 0; // the screen last reported; 0 before the first step
    std::vector<uint8_t> frame;
};

Session session;

void report_screen() {
    if (!app_state || app_state->screen == session.screen) return;
    session.screen = app_state->screen;
    headless_log_line("screen " + std::to_string(session.screen));
}

// A screen change takes effect at the next step, so it is reported just before that step.
void before_step() {
    report_screen();
    journal_watch();
}

// Each index becomes the lowest index of the same colour, so frames that look the same are
// the same: the clear to black at start-up, made before the palette is loaded, shows the
// back buffer's unset bytes through an all-black palette.
void record_frame() {
    if (!surface || !surface->pixels || !palette) return;
    const uint8_t* rgb = &palette->rgb[0][0];
    uint8_t same[256];
    for (int i = 0; i < 256; i++) {
        same[i] = uint8_t(i);
        for (int j = 0; j < i; j++) {
            if (rgb[3 * j] == rgb[3 * i] && rgb[3 * j + 1] == rgb[3 * i + 1] &&
                rgb[3 * j + 2] == rgb[3 * i + 2]) {
                same[i] = uint8_t(j);
                break;
            }
        }
    }
    session.frame.resize(SURFACE_SIZE);
    for (uint32_t i = 0; i < SURFACE_SIZE; i++) session.frame[i] = same[surface->pixels[i]];
    gif_add_frame(session.recording, session.frame.data(), rgb, headless_clock());
}

// Lines look like "<ms> <event> ...".
void on_log_line(const std::string& line) {
    if (session.log_out) {
        std::fputs(line.c_str(), session.log_out);
        std::fputc('\n', session.log_out);
    }
    size_t space = line.find(' ');
    if (session.recording && space != std::string::npos &&
        line.compare(space + 1, 8, "present ") == 0)
        record_frame();
}
} // namespace

// [SECTION] Run

int run_session(const RunnerOptions& options, const std::vector<ScriptCommand>& commands,
                std::FILE* log_out, GifRecording* recording) {
    headless_reset();
    headless_set_display(options.display);
    headless_set_clock(options.clock);
    headless_set_install_dir(options.install_dir.empty() ? nullptr : options.install_dir.c_str());
    headless_set_idle_steps(options.steps);
    files_set_deck_dir(options.deck_dir.empty() ? nullptr : options.deck_dir.c_str());
    queue_script(commands, options.shots_dir);

    session = Session();
    session.log_out = log_out;
    session.recording = recording;
    if (recording) gif_start(recording, SURFACE_WIDTH, SURFACE_HEIGHT);
    headless_set_step_hook(before_step);
    headless_set_log_hook(on_log_line);

    journal_open(options.journal, options.deck_dir, false);
    int code = app_main(1, 0, L"", 1);
    journal_finish();
    if (session.screen != 0) report_screen(); // a change made by the very last step
    headless_log_line("exit " + std::to_string(code));

    headless_set_step_hook(nullptr);
    headless_set_log_hook(nullptr);
    release_objects();
    if (log_out) std::fflush(log_out);
    session = Session();
    return code;
}
