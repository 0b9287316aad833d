// session.h -- one run of the real program on the headless back end, driven by a script

#pragma once
#include "gif.h"
#include "script.h"
#include "platform/headless/headless.h"
#include <cstdio>
#include <string>
#include <vector>

struct RunnerOptions {
    std::string install_dir;     // absolute host folder; "" makes the registry key missing
    std::string deck_dir;        // absolute host folder of a user's deck; "" = the installed one
    std::string shots_dir = "."; // where `shot NAME` writes NAME.png
    HeadlessDisplay display;     // pixel format and pitches of the simulated display
    uint32_t clock = 0;          // tick count at start; it decides the deals
    int steps = 3;               // screen steps run after each command
    std::string journal;         // --journal: the journal file; "" keeps none
};

// Runs the program once: resets the back end, queues the script, calls app_main, frees the
// program's objects. The log is left in headless_log(), with "<ms> screen N" whenever the
// current screen changes and "<ms> exit CODE" last; each line is also written to log_out
// as it happens (null: not written). Every presented frame is added to recording (null: no
// recording); its end time is headless_clock() afterwards. Returns the program's exit code.
int run_session(const RunnerOptions& options, const std::vector<ScriptCommand>& commands,
                std::FILE* log_out, GifRecording* recording);
