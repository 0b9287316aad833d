// keep_test.cpp -- keeping a reading: the journal appended when a card table is left, its
// warnings, nothing written without it; the pictures folder; pictures of the display saved
// under names of their own and decoded back

#include "test_support.h"
#include "platform/keep/keep.h"
#include "../tools/runner/script.h"
#include "../tools/runner/session.h"
#include <gtest/gtest.h>
#include <zlib.h>
#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs a script through the runner's session with a journal ("" for none); returns the log.
std::vector<std::string> run_script(const std::string& script, const std::string& journal,
                                    const std::string& shots, int* code) {
    RunnerOptions options;
    options.install_dir = data_dir();
    options.shots_dir = shots;
    options.journal = journal;
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_EQ(parse_script(script, &commands, &error), 1) << error;
    *code = run_session(options, commands, nullptr, nullptr);
    return headless_log();
}

// A love reading with two cards turned, its text taken, left by Menu; then a desire reading
// with its card turned, its text taken, left by Exit.
const char TWO_READINGS[] = "tap 200 280\ntap 115 178\ntap 120 220\ntap 230 300\n"
                            "tap 120 191\ntap 96 226\ntext love\ntap 230 300\n"
                            "tap 110 118\ntap 120 220\ntap 230 300\ntap 120 230\ntext desire\n"
                            "tap 10 300\n";

// Lines of the journal's entries: "## Love reading, 2026-12-07 15:03" and so on.
std::vector<std::string> headings(const std::string& journal) {
    std::vector<std::string> out;
    std::istringstream in(journal);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, 3, "## ") == 0) out.push_back(line);
    return out;
}

// "## Love reading, 2026-12-07 15:03\n": the reading's name, the date and the time.
bool dated_heading(const std::string& entry, const std::string& name) {
    std::string start = "## " + name + " reading, ";
    std::string pattern = "dddd-dd-dd dd:dd\n";
    if (entry.compare(0, start.size(), start) != 0) return false;
    if (entry.size() < start.size() + pattern.size()) return false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = entry[start.size() + i];
        if (pattern[i] == 'd' ? !(c >= '0' && c <= '9') : c != pattern[i]) return false;
    }
    return true;
}

// What an entry's body must be: the text after its first line, a Markdown line break at the
// end of each line that another follows in the same paragraph.
std::string markdown_body(const std::string& text) {
    std::string body = text.substr(text.find('\n') + 1), out;
    std::istringstream in(body);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    for (size_t i = 0; i < lines.size(); ++i) {
        bool more = i + 1 < lines.size() && !lines[i].empty() && !lines[i + 1].empty();
        out += lines[i] + (more ? "  \n" : "\n");
    }
    return out;
}

// Entries of the journal, heading to heading.
std::vector<std::string> entries(const std::string& journal) {
    std::vector<std::string> out;
    size_t at = journal.find("## ");
    while (at != std::string::npos) {
        size_t next = journal.find("\n## ", at);
        out.push_back(
            journal.substr(at, next == std::string::npos ? std::string::npos : next + 1 - at));
        at = next == std::string::npos ? next : next + 1;
    }
    return out;
}

} // namespace

// [SECTION] Journal

TEST(Journal, each_table_left_with_a_card_turned_appends_one_entry_and_sessions_append) {
    std::string folder = make_test_folder("journal");
    std::string journal = folder + "/journal.md";
    int code = -1;
    run_script(TWO_READINGS, journal, folder, &code);
    EXPECT_EQ(code, 0);
    std::string first = read_test_file(journal);
    std::string love = read_test_file(folder + "/love.txt");
    std::string desire = read_test_file(folder + "/desire.txt");
    ASSERT_NE(love.find("Card 2 of 10"), std::string::npos);
    ASSERT_EQ(desire.compare(0, 16, "Desire reading\n\n"), 0);

    std::vector<std::string> e = entries(first);
    ASSERT_EQ(e.size(), 2u) << first;
    EXPECT_TRUE(dated_heading(e[0], "Love")) << e[0];
    EXPECT_TRUE(dated_heading(e[1], "Desire")) << e[1];
    EXPECT_EQ(e[0].substr(0, 16), "## Love reading,");
    EXPECT_EQ(e[0].substr(e[0].find('\n') + 1), markdown_body(love) + "\n")
        << "the text as copied, then a blank line before the next entry";
    EXPECT_EQ(e[1].substr(0, 18), "## Desire reading,");
    EXPECT_EQ(e[1].substr(e[1].find('\n') + 1), markdown_body(desire))
        << "after Exit the card text file is closed; the entry still holds the meaning";
    EXPECT_TRUE(desire.find(", upright. ") != std::string::npos ||
                desire.find(", reversed. ") != std::string::npos)
        << "the desire card's meaning";

    // A second session appends after the first's bytes, which stay as they were.
    run_script(TWO_READINGS, journal, folder, &code);
    std::string second = read_test_file(journal);
    ASSERT_EQ(second.compare(0, first.size(), first), 0);
    EXPECT_EQ(headings(second).size(), 4u);
    EXPECT_EQ(second.substr(first.size(), 3), "\n##") << "a blank line between entries";
}

TEST(Journal, a_table_left_with_every_card_face_down_or_a_closed_window_mid_table) {
    std::string folder = make_test_folder("journal");
    std::string journal = folder + "/journal.md";
    int code = -1;
    // A love table left by Menu with no card turned: nothing to keep.
    run_script("tap 200 280\ntap 115 178\ntap 120 220\ntap 230 300\ntap 230 300\n", journal, folder,
               &code);
    EXPECT_FALSE(fs::exists(journal)) << "no entry, and no file made for nothing";
    // The window closed with a card turned on the table counts as leaving it.
    run_script("tap 200 280\ntap 115 178\ntap 120 220\ntap 230 300\ntap 120 191\nquit\n", journal,
               folder, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(headings(read_test_file(journal)).size(), 1u);
}

TEST(Journal, a_read_only_journal_warns_once_and_the_session_ends_with_the_same_frames) {
    std::string folder = make_test_folder("journal");
    int code = -1;
    std::vector<std::string> plain = run_script(TWO_READINGS, "", folder, &code);
    ASSERT_EQ(code, 0);

    std::string journal = folder + "/read-only.md";
    write_test_file(journal, std::string("# My readings\n"));
    ASSERT_EQ(chmod(journal.c_str(), 0444), 0);
    testing::internal::CaptureStderr();
    std::vector<std::string> kept = run_script(TWO_READINGS, journal, folder, &code);
    std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(code, 0);
    EXPECT_EQ(kept, plain) << "the same log, frame for frame";
    // One warning, then at the end the two readings, whole, to keep by hand.
    const std::string said = "quarnel: cannot write the journal " + journal +
                             ": the file is read-only; the readings are kept in memory until it "
                             "can be written\nquarnel: 2 readings could not be written to the "
                             "journal " +
                             journal + "; here they are, to keep by hand:\n\n";
    EXPECT_EQ(warnings.substr(0, said.size()), said);
    EXPECT_EQ(headings(warnings).size(), 2u);
    EXPECT_EQ(journal_warnings(), 3) << "at the start and at both tables, printed once";
    EXPECT_EQ(read_test_file(journal), "# My readings\n");

    // A journal in a folder that does not exist: the same.
    std::string missing = folder + "/no/such/folder/journal.md";
    testing::internal::CaptureStderr();
    kept = run_script(TWO_READINGS, missing, folder, &code);
    warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(kept, plain);
    EXPECT_EQ(warnings.substr(0, warnings.find('\n')),
              "quarnel: cannot write the journal " + missing +
                  ": No such file or directory; the readings are kept in memory until it can "
                  "be written");
    EXPECT_EQ(headings(warnings).size(), 2u);
    EXPECT_FALSE(fs::exists(folder + "/no"));
}

TEST(Journal, a_journal_on_a_full_disk_warns_once_and_the_session_ends_with_the_same_frames) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full to stand for a full disk";
    std::string folder = make_test_folder("journal_full");
    int code = -1;
    std::vector<std::string> plain = run_script(TWO_READINGS, "", folder, &code);
    ASSERT_EQ(code, 0);
    testing::internal::CaptureStderr();
    std::vector<std::string> kept = run_script(TWO_READINGS, "/dev/full", folder, &code);
    std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(code, 0);
    EXPECT_EQ(kept, plain) << "the same log, frame for frame";
    EXPECT_EQ(warnings.substr(0, warnings.find('\n')),
              "quarnel: cannot write the journal /dev/full: " + std::string(std::strerror(ENOSPC)) +
                  "; the readings are kept in memory until it can be written");
    EXPECT_EQ(headings(warnings).size(), 2u) << "printed at the end";
    EXPECT_EQ(journal_warnings(), 2) << "both tables' entries failed, printed once";
}

TEST(Journal, without_a_journal_nothing_is_written_in_the_home_or_current_folder) {
    std::string home = make_test_folder("home"), current = make_test_folder("current");
    ScopedVariable home_variable("HOME", home);
    std::string before = fs::current_path().string();
    ASSERT_EQ(chdir(current.c_str()), 0);
    int code = -1;
    // No `text` or `shot` commands: the runner is asked to write nothing.
    std::string script = TWO_READINGS;
    for (const char* command : {"text love\n", "text desire\n"})
        script.erase(script.find(command), std::strlen(command));
    run_script(script, "", ".", &code);
    ASSERT_EQ(chdir(before.c_str()), 0);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(fs::is_empty(home));
    EXPECT_TRUE(fs::is_empty(current));
}

// [SECTION] Pictures

TEST(Pictures, folder_is_the_variable_then_user_dirs_then_home_pictures_then_current) {
    std::string root = make_test_folder("pictures");
    std::string home = root + "/home", config = root + "/config", named = root + "/named";
    fs::create_directories(home);
    fs::create_directories(config);
    ScopedVariable home_variable("HOME", home);
    ScopedVariable config_variable("XDG_CONFIG_HOME", config);
    ScopedVariable pictures_variable("XDG_PICTURES_DIR", root + "/missing");

    EXPECT_EQ(pictures_folder(), fs::current_path().string()) << "no folder exists";
    fs::create_directories(home + "/Pictures");
    EXPECT_EQ(pictures_folder(), home + "/Pictures");
    fs::create_directories(home + "/Bilder");
    write_test_file(config + "/user-dirs.dirs", std::string("# written by xdg-user-dirs-update\n"
                                                            "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                            "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"));
    EXPECT_EQ(pictures_folder(), home + "/Bilder");
    fs::create_directories(named);
    setenv("XDG_PICTURES_DIR", named.c_str(), 1);
    EXPECT_EQ(pictures_folder(), named);
}

TEST(Pictures, user_dirs_lines_out_of_quotes_or_relative_are_passed_over_for_the_last_good_one) {
    std::string root = make_test_folder("pictures_user_dirs");
    std::string home = root + "/home", config = root + "/config", absolute = root + "/absolute";
    for (const std::string& folder : {home + "/Pictures", home + "/Unquoted", config, absolute})
        fs::create_directories(folder);
    ScopedVariable home_variable("HOME", home);
    ScopedVariable config_variable("XDG_CONFIG_HOME", config);
    ScopedVariable pictures_variable("XDG_PICTURES_DIR", "");
    write_test_file(config + "/user-dirs.dirs",
                    "XDG_PICTURES_DIR=\"" + absolute + "\"\n" + // an absolute folder is taken
                        "XDG_PICTURES_DIR=$HOME/Unquoted\n" +   // not in quotes
                        "  XDG_PICTURES_DIR=\"relative/pictures\"\n" + "XDG_PICTURES_DIR=\"\n" +
                        "XDG_PICTURES_DIR=\"$HOME/Unquoted\n");
    EXPECT_EQ(pictures_folder(), absolute);
}

namespace {

// The pixels of a PNG this program wrote (8-bit RGB, filter 0 on every row), inflated with
// zlib; empty when the file is not such a PNG.
std::vector<uint8_t> decode_png(const std::string& path, uint32_t* width, uint32_t* height) {
    std::string file = read_test_file(path);
    std::vector<uint8_t> out;
    if (file.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return out;
    auto be32 = [&](size_t at) {
        return uint32_t(uint8_t(file[at])) << 24 | uint32_t(uint8_t(file[at + 1])) << 16 |
               uint32_t(uint8_t(file[at + 2])) << 8 | uint32_t(uint8_t(file[at + 3]));
    };
    std::string idat;
    for (size_t at = 8; at + 12 <= file.size();) {
        uint32_t length = be32(at);
        std::string type = file.substr(at + 4, 4);
        if (type == "IHDR") *width = be32(at + 8), *height = be32(at + 12);
        if (type == "IDAT") idat += file.substr(at + 8, length);
        at += 12 + length;
    }
    std::vector<uint8_t> raw(size_t(*height) * (*width * 3 + 1));
    uLongf size = uLongf(raw.size());
    if (uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(idat.data()),
                   uLong(idat.size())) != Z_OK ||
        size != raw.size())
        return out;
    for (uint32_t y = 0; y < *height; ++y) {
        const uint8_t* row = &raw[size_t(y) * (*width * 3 + 1)];
        if (row[0] != 0) return {};
        out.insert(out.end(), row + 1, row + 1 + *width * 3);
    }
    return out;
}

} // namespace

TEST(Pictures, display_scaled_by_whole_steps_widens_each_field_as_the_window_does) {
    const uint16_t pixels[2 * 2] = {0xFFFF, 0xF800, 0x0841, 0x07E0};
    std::vector<uint8_t> rgb = display_picture_rgb(pixels, 2, 2, 3);
    ASSERT_EQ(rgb.size(), 6u * 6u * 3u);
    auto at = [&](int x, int y) {
        const uint8_t* p = &rgb[(size_t(y) * 6 + size_t(x)) * 3];
        return std::vector<int>{p[0], p[1], p[2]};
    };
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(at(x, y), (std::vector<int>{255, 255, 255}));
            EXPECT_EQ(at(x + 3, y), (std::vector<int>{255, 0, 0}));
            EXPECT_EQ(at(x, y + 3), (std::vector<int>{8, 8, 8}));
            EXPECT_EQ(at(x + 3, y + 3), (std::vector<int>{0, 255, 0}));
        }
    EXPECT_EQ(display_picture_rgb(pixels, 2, 2, 0).size(), 12u) << "scale 0 counts as 1";
    EXPECT_TRUE(display_picture_rgb(nullptr, 2, 2, 1).empty());
}

TEST(Pictures, saved_picture_of_the_display_decodes_to_its_pixels_and_never_replaces_a_file) {
    std::string folder = make_test_folder("saved");
    // The love reading's table with a card turned, as the headless display shows it.
    run_program(data_dir(), queue_love_reading_to_first_card);
    std::vector<uint16_t> shown = headless_display_pixels();
    ASSERT_EQ(shown.size(), 240u * 320u);
    std::vector<uint8_t> rgb = display_picture_rgb(shown.data(), 240, 320, 2);

    struct tm when_local = {};
    when_local.tm_year = 2026 - 1900, when_local.tm_mon = 11, when_local.tm_mday = 7;
    when_local.tm_hour = 15, when_local.tm_min = 3, when_local.tm_sec = 9;
    when_local.tm_isdst = -1;
    std::time_t when = mktime(&when_local);
    std::string error;
    std::string first = save_picture(folder, rgb, 480, 640, when, &error);
    EXPECT_EQ(first, folder + "/quarnel-2026-12-07-150309.png") << error;
    std::string second = save_picture(folder, rgb, 480, 640, when, &error);
    EXPECT_EQ(second, folder + "/quarnel-2026-12-07-150309-2.png") << error;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2)
        << "no temporary file left";

    uint32_t width = 0, height = 0;
    std::vector<uint8_t> decoded = decode_png(first, &width, &height);
    EXPECT_EQ(width, 480u);
    EXPECT_EQ(height, 640u);
    EXPECT_TRUE(decoded == rgb) << "the PNG holds the display's pixels, each twice by twice";
    EXPECT_EQ(headless_display_rgb().size(), 240u * 320u * 3u);
    std::vector<uint8_t> headless = headless_display_rgb();
    ASSERT_GE(decoded.size(), 3u) << "the PNG decodes";
    EXPECT_EQ(std::vector<uint8_t>(decoded.begin(), decoded.begin() + 3),
              std::vector<uint8_t>(headless.begin(), headless.begin() + 3));
    EXPECT_LT(fs::file_size(first), 480u * 640u * 3u / 4u) << "compressed";

    EXPECT_EQ(save_picture(folder + "/missing", rgb, 480, 640, when, &error), "");
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(save_picture(folder, rgb, 480, 641, when, &error), "") << "size does not match";
}
