// golden_test.cpp -- whole sessions compared line by line, frame hashes included, with the
// logs they gave when they were last looked at (tests/golden). Set QUARNEL_UPDATE_GOLDEN=1
// to write new expected logs after a deliberate change, and look at the shots it leaves in
// the test output folder before committing them.

#include "test_support.h"
#include "../tools/runner/session.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Golden {
    const char* name;
    uint32_t format;
    int32_t x_pitch, y_pitch;
};

void check_golden(const Golden& g, const std::string& script_text) {
    std::vector<ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(parse_script(script_text, &commands, &error)) << error;
    RunnerOptions options;
    options.install_dir = data_dir();
    options.shots_dir = make_test_folder(std::string("golden_") + g.name);
    options.display.format = g.format;
    options.display.x_pitch = g.x_pitch;
    options.display.y_pitch = g.y_pitch;
    run_session(options, commands, nullptr, nullptr);
    std::string actual;
    for (const std::string& line : headless_log()) actual += line + "\n";
    std::string path = std::string(QUARNEL_SOURCE_DIR) + "/tests/golden/" + g.name + ".log";
    const char* update = std::getenv("QUARNEL_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    std::string expected = read_text(path);
    if (actual == expected) return;
    std::ofstream(options.shots_dir + "/actual.log", std::ios::binary) << actual;
    std::istringstream a(actual), e(expected);
    std::string la, le;
    int line = 0;
    while (true) {
        line++;
        bool more_a = bool(std::getline(a, la)), more_e = bool(std::getline(e, le));
        if (!more_a && !more_e) break;
        if (la != le || more_a != more_e) {
            ADD_FAILURE() << g.name << ".log line " << line << ": expected \"" << le << "\", got \""
                          << la << "\" (actual log and the run's shots in " << options.shots_dir
                          << ")";
            break;
        }
    }
}

} // namespace

TEST(Golden, demo_love_reading_gives_the_same_frames_as_before) {
    check_golden({"demo", kfDirect565, 2, 480}, DEMO_SCRIPT);
}

TEST(Golden, demo_on_a_turned_444_display_gives_the_same_frames_as_before) {
    check_golden({"demo_444_turned", kfDirect444, -640, 2}, DEMO_SCRIPT);
}

TEST(Golden, desire_past_and_money_readings_give_the_same_frames_as_before) {
    std::string script =
        read_text(std::string(QUARNEL_SOURCE_DIR) + "/tests/golden/readings.script");
    check_golden({"readings", kfDirect565, 2, 480}, script);
}

TEST(Golden, information_pages_give_the_same_frames_as_before) {
    std::string script = read_text(std::string(QUARNEL_SOURCE_DIR) + "/tests/golden/pages.script");
    check_golden({"pages", kfDirect555, 2, 480}, script);
}

TEST(Golden, business_reading_and_exit_give_the_same_frames_as_before) {
    std::string script = read_text(std::string(QUARNEL_SOURCE_DIR) + "/tests/golden/exit.script");
    check_golden({"exit", kfDirect565, 2, 480}, script);
}
