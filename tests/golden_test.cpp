// golden_test.cpp -- whole sessions compared line by line, frame hashes included, with the
// logs they gave when they were last looked at (tests/golden). Set QUARNEL_UPDATE_GOLDEN=1
// to write new expected logs after a deliberate change, and look at the shots it leaves in
// the test output folder before committing them.
//
// The logs hold only each frame's hash, so every frame a golden session shows is also kept as
// a PNG named by its hash in the test output folder's golden_frames (written once, by any run
// that shows it). When a session's frames differ, the first differing frame is copied beside
// the run's shots as ...-actual-HASH.png, and the expected one as ...-expected-HASH.png when
// an earlier run in this build folder showed it (the tests run on the last good commit keep
// it), with a picture of the pixels that differ; the failure names the files.
//
// The pictures' text is drawn at build time with FreeType from the DejaVu font files, so the
// hashes hold for the versions in tests/golden/fonts.txt. When a session's frames differ and
// the build's fonts or FreeType are not those, the failure says that instead of a bare hash.

#include "test_support.h"
#include "platform/common/common.h"
#include "../tools/runner/session.h"
#include "deck.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

bool update_requested() {
    const char* update = std::getenv("QUARNEL_UPDATE_GOLDEN");
    return update && std::string(update) == "1";
}

// [SECTION] The fonts the frames were made with

const std::string GOLDEN_FONTS = std::string(QUARNEL_SOURCE_DIR) + "/tests/golden/fonts.txt";

// "fonts-dejavu-core X / FreeType Y" from a fonts.txt.
std::string versions_of(const std::string& fonts) {
    std::string dejavu = "?", freetype = "?";
    for (const std::string& line : lines_of(fonts)) {
        if (line.rfind("fonts-dejavu-core ", 0) == 0) dejavu = line.substr(18);
        if (line.rfind("freetype ", 0) == 0) freetype = line.substr(9);
    }
    return "fonts-dejavu-core " + dejavu + " / FreeType " + freetype;
}

// "" when this build draws text with the fonts the golden frames were made with, else what
// differs.
std::string font_mismatch() {
    std::string made_with = read_test_file(GOLDEN_FONTS),
                build = read_test_file(QUARNEL_GOLDEN_FONTS);
    if (build.empty()) return std::string("no ") + QUARNEL_GOLDEN_FONTS + " (configure again)";
    if (made_with == build) return "";
    std::string files;
    std::vector<std::string> a = lines_of(made_with), b = lines_of(build);
    for (const std::string& line : b)
        if (line.find(" sha256 ") != std::string::npos &&
            std::find(a.begin(), a.end(), line) == a.end())
            files += " " + line.substr(0, line.find(' '));
    return "golden frames were made with " + versions_of(made_with) + ", this build has " +
           versions_of(build) + (files.empty() ? "" : "; font files that differ:" + files) + " (" +
           GOLDEN_FONTS + " against " + QUARNEL_GOLDEN_FONTS + ")";
}

// [SECTION] Every frame shown, kept as a PNG by its hash

const std::string FRAMES_DIR = std::string(QUARNEL_TEST_OUTPUT_DIR) + "/golden_frames";

std::string frame_file(const std::string& hash) {
    return FRAMES_DIR + "/" + hash + ".png";
}

// The hash of a "<ms> present HASH" line, else "".
std::string present_hash(const std::string& line) {
    size_t at = line.find(" present ");
    return at == std::string::npos ? "" : line.substr(at + 9);
}

// The session's log goes through this stream as it is written: at each present the frame is
// still on the display, and is written unless a file of its hash is already there.
ssize_t keep_frames(void*, const char* data, size_t size) {
    static std::string pending;
    pending.append(data, size);
    for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
        std::string hash = present_hash(pending.substr(0, end));
        pending.erase(0, end + 1);
        if (!hash.empty() && !std::filesystem::exists(frame_file(hash)))
            headless_write_png(frame_file(hash));
    }
    return ssize_t(size);
}

// Line numbers (from 1) of the present lines of a log.
std::vector<size_t> presents_of(const std::vector<std::string>& log) {
    std::vector<size_t> out;
    for (size_t i = 0; i < log.size(); i++)
        if (!present_hash(log[i]).empty()) out.push_back(i);
    return out;
}

// A picture of where two frames differ: differing pixels magenta, the rest the actual frame
// dimmed to a third; what differs in words ("" when either cannot be read).
std::string write_difference(const std::string& expected_png, const std::string& actual_png,
                             const std::string& out_png) {
    Image e, a;
    std::string error;
    if (!read_image(expected_png, 1, 1, &e, &error) || !read_image(actual_png, 1, 1, &a, &error) ||
        e.width != a.width || e.height != a.height || e.channels != a.channels)
        return "";
    std::vector<uint8_t> rgb(size_t(a.width) * a.height * 3);
    int differing = 0, left = a.width, right = -1, top = a.height, bottom = -1;
    for (int y = 0; y < a.height; y++) {
        for (int x = 0; x < a.width; x++) {
            size_t at = (size_t(y) * a.width + x) * a.channels, out = (size_t(y) * a.width + x) * 3;
            bool same = std::equal(&e.pixels[at], &e.pixels[at] + 3, &a.pixels[at]);
            for (int c = 0; c < 3; c++)
                rgb[out + c] = same ? uint8_t(a.pixels[at + c] / 3) : (c == 1 ? 0 : 255);
            if (same) continue;
            differing++;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    if (!write_png_rgb(out_png, rgb.data(), uint32_t(a.width), uint32_t(a.height))) return "";
    return std::to_string(differing) + " pixels differ, within x " + std::to_string(left) + ".." +
           std::to_string(right) + ", y " + std::to_string(top) + ".." + std::to_string(bottom) +
           " (" + out_png + ")";
}

// The first frame whose hash differs, copied beside the shots; what the failure says of it.
std::string first_differing_frame(const std::string& name, const std::vector<std::string>& expected,
                                  const std::vector<std::string>& actual,
                                  const std::string& shots_dir) {
    std::vector<size_t> e = presents_of(expected), a = presents_of(actual);
    for (size_t k = 0; k < e.size() && k < a.size(); k++) {
        std::string he = present_hash(expected[e[k]]), ha = present_hash(actual[a[k]]);
        if (he == ha) continue;
        std::string stem = shots_dir + "/" + name + "-frame-" + std::to_string(k + 1);
        std::string out = "\nframe " + std::to_string(k + 1) + " (expected log line " +
                          std::to_string(e[k] + 1) + ", actual log line " +
                          std::to_string(a[k] + 1) + ") differs: ";
        std::error_code error;
        std::string actual_png = stem + "-actual-" + ha + ".png";
        if (std::filesystem::copy_file(frame_file(ha), actual_png,
                                       std::filesystem::copy_options::overwrite_existing, error))
            out += "actual " + actual_png;
        else
            out += "actual frame " + ha + " was not written (" + frame_file(ha) + ")";
        std::string expected_png = stem + "-expected-" + he + ".png";
        if (std::filesystem::copy_file(frame_file(he), expected_png,
                                       std::filesystem::copy_options::overwrite_existing, error)) {
            out += ", expected " + expected_png;
            std::string difference =
                write_difference(expected_png, actual_png, stem + "-difference.png");
            if (!difference.empty()) out += "; " + difference;
        } else {
            out += ", expected frame " + he + " has not been shown in this build folder (run " +
                   "the golden tests on the last commit they passed on, here, to keep it in " +
                   FRAMES_DIR + ")";
        }
        if (k > 0)
            out += "; the frame before it, which matched: " +
                   frame_file(present_hash(actual[a[k - 1]]));
        return out;
    }
    if (e.size() != a.size())
        return "\nthe frames match as far as both go; expected " + std::to_string(e.size()) +
               " frames, got " + std::to_string(a.size());
    return "\nevery frame matches; the other lines differ";
}

// [SECTION] A golden session

struct Golden {
    const char* name;
    uint32_t format;
    int32_t x_pitch, y_pitch;
    int32_t language = 0; // English
};

// Runs the script and compares its log with tests/golden/NAME.log; returns the shots folder.
std::string check_golden(const Golden& g, const std::string& script_text) {
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_TRUE(parse_script(script_text, &commands, &error)) << error;
    RunnerOptions options;
    options.install_dir = language_dir(g.language);
    options.shots_dir = make_test_folder(std::string("golden_") + g.name);
    options.display.format = g.format;
    options.display.x_pitch = g.x_pitch;
    options.display.y_pitch = g.y_pitch;
    std::filesystem::create_directories(FRAMES_DIR);
    std::FILE* frames = fopencookie(nullptr, "w", {nullptr, keep_frames, nullptr, nullptr});
    if (!frames) {
        ADD_FAILURE() << "no stream for the frames";
        return options.shots_dir;
    }
    std::setvbuf(frames, nullptr, _IOLBF, 0);
    run_session(options, commands, frames, nullptr);
    std::fclose(frames);
    std::string actual;
    for (const std::string& line : headless_log()) actual += line + "\n";
    std::string path = std::string(QUARNEL_SOURCE_DIR) + "/tests/golden/" + g.name + ".log";
    if (update_requested()) {
        std::ofstream(path, std::ios::binary) << actual;
        std::ofstream(GOLDEN_FONTS, std::ios::binary) << read_test_file(QUARNEL_GOLDEN_FONTS);
        return options.shots_dir;
    }
    // Other fonts or another FreeType need not change a frame: they fail the test only when
    // the frames differ, and then the failure says so first, instead of a bare hash.
    std::string fonts = font_mismatch();
    std::string expected = read_test_file(path);
    if (actual == expected) {
        if (!fonts.empty()) {
            testing::Test::RecordProperty("fonts", fonts);
            std::printf("%s: the frames match, though %s\n", g.name, fonts.c_str());
        }
        return options.shots_dir;
    }
    std::ofstream(options.shots_dir + "/actual.log", std::ios::binary) << actual;
    std::vector<std::string> e = lines_of(expected), a = lines_of(actual);
    size_t line = 0;
    while (line < e.size() && line < a.size() && e[line] == a[line]) line++;
    std::string fonts_first;
    if (!fonts.empty())
        fonts_first = fonts + ". The frames differ, as text drawn with other fonts does; after "
                              "looking at this build's frames, QUARNEL_UPDATE_GOLDEN=1 records "
                              "them with its fonts.\n";
    ADD_FAILURE() << fonts_first << g.name << ".log line " << line + 1 << ": expected \""
                  << (line < e.size() ? e[line] : "(end)") << "\", got \""
                  << (line < a.size() ? a[line] : "(end)")
                  << "\" (actual log and the run's shots in " << options.shots_dir << ")"
                  << first_differing_frame(g.name, e, a, options.shots_dir);
    return options.shots_dir;
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
        read_test_file(std::string(QUARNEL_SOURCE_DIR) + "/tests/golden/readings.script");
    check_golden({"readings", kfDirect565, 2, 480}, script);
}

TEST(Golden, information_pages_give_the_same_frames_as_before) {
    std::string script =
        read_test_file(std::string(QUARNEL_SOURCE_DIR) + "/tests/golden/pages.script");
    check_golden({"pages", kfDirect555, 2, 480}, script);
}

TEST(Golden, business_reading_and_exit_give_the_same_frames_as_before) {
    std::string script =
        read_test_file(std::string(QUARNEL_SOURCE_DIR) + "/tests/golden/exit.script");
    check_golden({"exit", kfDirect565, 2, 480}, script);
}

// Every other language: its pictures, questions and meanings in a love reading, its pages and
// its farewell. The reading as text names the cards as the language does, each followed by its
// orientation in that language.
TEST(Golden, each_language_gives_the_same_frames_as_before_and_names_its_cards) {
    std::string script =
        read_test_file(std::string(QUARNEL_SOURCE_DIR) + "/tests/golden/languages.script");
    for (int32_t language = 1; language < language_count(); ++language) {
        const std::string name = std::string("language_") + language_code(language);
        SCOPED_TRACE(name);
        const std::string shots =
            check_golden({name.c_str(), kfDirect565, 2, 480, language}, script);
        int turned = 0;
        for (const std::string& line : lines_of(read_test_file(shots + "/love.txt"))) {
            for (int32_t card = 0; card < CARD_COUNT; ++card) {
                const std::string named = language_card_name(language, card);
                for (const char* orientation : {"upright", "reversed"})
                    if (line.rfind(named + ", " + language_word(language, orientation) + ".", 0) ==
                        0)
                        turned += 1;
            }
        }
        EXPECT_EQ(turned, 3) << "three cards turned, each named in the language";
    }
}
