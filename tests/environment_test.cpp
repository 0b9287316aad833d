// environment_test.cpp -- the program in odd surroundings: install folders of every length
// the registry can and cannot hold, names that differ only in case, files where folders
// should be, displays of other sizes; it never overruns a buffer and always ends cleanly

#include "test_support.h"
#include "shell/shell.h"
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// [SECTION] Sessions

struct Point {
    int32_t x, y;
};

// Title, menu, a love reading with its first card and a scroll, back to the menu, exit.
void love_reading() {
    headless_set_idle_steps(1);
    for (Point p : {Point{200, 280}, Point{115, 178}, Point{120, 220}, Point{230, 300},
                    Point{120, 191}, Point{230, 137}, Point{230, 300}, Point{118, 300}})
        headless_queue_tap(p.x, p.y);
}

// A session that ended through shut-down: exit code 0 and the quit posted.
void expect_clean_end(int code) {
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(log_has("quit 0"));
    EXPECT_FALSE(log_has("step limit"));
}

// A session that ran to the user's exit without a message.
void expect_whole_session(int code) {
    expect_clean_end(code);
    EXPECT_TRUE(headless_messages().empty()) << headless_messages().front();
    EXPECT_TRUE(log_has("sound \\sound\\end.wav")) << "the session reached its exit";
    EXPECT_FALSE(log_has("destroy"));
}

// Title screen, then exit.
void title_and_exit() {
    headless_set_idle_steps(1);
    headless_queue_tap(200, 300);
}

// The program with the registry holding `value` as its install folder (which need not
// exist), running a session (the love reading unless told otherwise).
int run_with_install_dir(const std::string& value, void (*session)() = love_reading) {
    headless_reset();
    headless_set_install_dir(value.c_str());
    session();
    int code = app_main(1, 0, L"", 1);
    release_objects();
    return code;
}

// A folder whose path has exactly `length` characters, under the test output folder,
// nested as needed (no name may pass 255 characters); "" when the output folder's own
// path is already longer.
std::string folder_of_length(size_t length) {
    std::string path = make_test_folder("env_len_" + std::to_string(length));
    if (path.size() + 2 > length) return "";
    while (path.size() < length) {
        size_t left = length - path.size() - 1; // characters after the next "/"
        size_t name = left > 200 ? 100 : left;  // leave room for one more level
        path += "/" + std::string(name, 'q');
    }
    fs::create_directories(path);
    return path;
}

// The start-up failures of an install folder the program cannot read: every start-up load
// reports its file missing and the card sheet ends the program.
void expect_install_folder_unreadable(int code) {
    expect_clean_end(code);
    ASSERT_FALSE(headless_messages().empty());
    EXPECT_EQ(headless_messages().front(), "|567768354645");
    EXPECT_TRUE(log_has("destroy"));
    for (const std::string& m : headless_messages())
        EXPECT_EQ(m.find("This is a problem"), std::string::npos) << "the registry key is there";
}

} // namespace

// [SECTION] Install folder length

TEST(Environment, empty_and_one_character_install_folders_find_nothing_and_end_cleanly) {
    expect_install_folder_unreadable(run_with_install_dir(""));
    EXPECT_TRUE(log_has("message |567768354645"));
    expect_install_folder_unreadable(run_with_install_dir("/"));
}

TEST(Environment, install_folder_of_126_characters_is_the_longest_the_registry_gives) {
    std::string folder = folder_of_length(126);
    ASSERT_EQ(folder.size(), 126u);
    copy_install_into(folder);
    expect_whole_session(run_with_install_dir(folder, title_and_exit));
}

// A title path is copied into a private buffer before the next path overwrites the shared
// one; with the longest install folder the registry gives, the title of every reading still
// has to be found.
TEST(Environment, install_folder_of_126_characters_runs_a_whole_reading) {
    std::string folder = folder_of_length(126);
    ASSERT_EQ(folder.size(), 126u);
    copy_install_into(folder);
    expect_whole_session(run_with_install_dir(folder));
}

TEST(Environment, install_folders_of_127_characters_and_more_read_as_missing) {
    for (size_t length : {size_t(127), size_t(128), size_t(300)}) {
        SCOPED_TRACE(length);
        std::string folder = folder_of_length(length);
        ASSERT_EQ(folder.size(), length);
        copy_install_into(folder); // the files are there, but the registry cannot say where
        expect_install_folder_unreadable(run_with_install_dir(folder));
    }
}

// [SECTION] Names that differ only in case

TEST(Environment, two_files_whose_names_differ_only_in_case_load_one_of_them) {
    std::string folder = copy_install_folder("env_case");
    const std::string pictures = folder + "/picture/";
    // An exact name wins over another spelling of it: the session shows what it shows with
    // the shipped folder.
    run_program(data_dir(), love_reading);
    const std::vector<std::string> shipped = log_lines_with(" present ");
    fs::copy_file(pictures + "menu.nbf", pictures + "MAIN.NBF");
    expect_whole_session(run_program(folder, love_reading));
    EXPECT_EQ(log_lines_with(" present "), shipped);
    // Neither spelling exact: either one will do.
    fs::rename(pictures + "main.nbf", pictures + "Main.Nbf");
    fs::copy_file(pictures + "table.nbf", pictures + "TABLE.nbf");
    fs::rename(pictures + "table.nbf", pictures + "Table.NBF");
    expect_whole_session(run_program(folder, love_reading));
}

TEST(Environment, folders_whose_names_differ_only_in_case_are_both_searched_by_name) {
    std::string folder = copy_install_folder("env_case_folders");
    // The real pictures under an upper-case name, an empty lower-case-looking twin beside it.
    fs::rename(folder + "/picture", folder + "/PICTURE");
    fs::create_directories(folder + "/Picture");
    int code = run_program(folder, love_reading);
    expect_clean_end(code); // whichever folder it looks in, it ends cleanly
    fs::remove_all(folder + "/Picture");
    expect_whole_session(run_program(folder, love_reading));
}

// [SECTION] Files where folders should be

TEST(Environment, install_folder_that_is_a_file_reads_as_missing) {
    std::string folder = make_test_folder("env_file");
    write_test_file(folder + "/quarnel", std::string("not a folder"));
    expect_install_folder_unreadable(run_with_install_dir(folder + "/quarnel"));
}

TEST(Environment, picture_folder_that_is_a_file_and_a_picture_that_is_a_folder_are_missing) {
    std::string folder = copy_install_folder("env_picture_file");
    fs::rename(folder + "/picture", folder + "/pictures");
    write_test_file(folder + "/picture", std::string("not a folder"));
    expect_install_folder_unreadable(run_program(folder, love_reading));

    folder = copy_install_folder("env_picture_folder");
    fs::remove(folder + "/picture/menu.nbf");
    fs::create_directories(folder + "/picture/menu.nbf");
    int code = run_program(folder, love_reading);
    expect_clean_end(code);
    ASSERT_FALSE(headless_messages().empty());
    EXPECT_EQ(headless_messages().front(), "|567768354645");
}

// Only plain files are opened: a pipe would block the program for ever, a device would
// never end.
TEST(Environment, picture_that_is_a_pipe_and_card_texts_that_are_a_device_read_as_missing) {
    std::string folder = copy_install_folder("env_special_files");
    fs::remove(folder + "/picture/menu.nbf");
    ASSERT_EQ(mkfifo((folder + "/picture/menu.nbf").c_str(), 0600), 0);
    fs::remove(folder + "/picture/CardDB.dat");
    fs::create_symlink("/dev/zero", folder + "/picture/CardDB.dat");
    int code = run_program(folder, love_reading);
    expect_clean_end(code);
    ASSERT_GE(headless_messages().size(), 2u);
    EXPECT_EQ(headless_messages()[0], "|File is not exist. File name is 'CardDB.dat");
    EXPECT_EQ(headless_messages()[1], "|567768354645") << "the menu picture";
}

TEST(Environment, install_folder_with_spaces_works_and_one_with_other_letters_ends_cleanly) {
    std::string folder = make_test_folder("env names") + "/Vorn Quarnel";
    copy_install_into(folder);
    expect_whole_session(run_with_install_dir(folder));
    // Paths are plain ASCII on this program's platform; others cannot be opened.
    folder = make_test_folder("env_names") + "/Quarn\xC3\xA9l";
    copy_install_into(folder);
    expect_install_folder_unreadable(run_with_install_dir(folder));
}

// [SECTION] Displays of other sizes

// The back buffer is 240 x 320 whatever the display: presenting must neither read past it
// nor write past the display's own frame buffer.
TEST(Environment, displays_of_other_sizes_and_layouts_run_a_whole_reading) {
    struct Layout {
        uint32_t width, height;
        int32_t x_pitch, y_pitch;
    };
    for (Layout l : {Layout{480, 640, 2, 960}, Layout{320, 240, 2, 640}, Layout{100, 100, 2, 200},
                     Layout{1, 1, 2, 2}, Layout{240, 320, -2, -480}, Layout{320, 240, 480, -2}}) {
        SCOPED_TRACE(std::to_string(l.width) + "x" + std::to_string(l.height) + " pitch " +
                     std::to_string(l.x_pitch) + "," + std::to_string(l.y_pitch));
        static HeadlessDisplay display;
        display = {l.width, l.height, l.x_pitch, l.y_pitch, kfDirect565};
        int code = run_program(data_dir(), [] {
            headless_set_display(display);
            love_reading();
        });
        expect_whole_session(code);
        EXPECT_EQ(headless_display_pixels().size(), size_t(l.width) * l.height);
    }
}

// [SECTION] Memory running out

// Past start-up the program allocates only the short-lived copies of a reading's title path
// (start-up makes its 14 objects first); when one cannot be had, the title is not found and
// the program ends cleanly.
TEST(Environment, every_failed_allocation_during_a_reading_ends_the_program_cleanly) {
    static int allowed;
    std::vector<int> ended_early;
    for (allowed = 14; allowed < 20; allowed++) {
        SCOPED_TRACE(allowed);
        int code = run_program(data_dir(), [] {
            headless_fail_allocations_after(allowed);
            love_reading();
        });
        expect_clean_end(code);
        if (log_has("destroy")) ended_early.push_back(allowed);
    }
    EXPECT_EQ(ended_early, (std::vector<int>{14, 15})) << "the shuffle screen's copy, then Next's";
}
