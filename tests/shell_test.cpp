// shell_test.cpp -- the application shell: tap recording, paths, start-up and its failure
// roads, shut-down

#include "test_support.h"
#include "shell/shell.h"
#include "screens/screens.h"
#include "graphics/graphics.h"
#include "platform/common/common.h"
#include <gtest/gtest.h>
#include <cwchar>
#include <filesystem>

// [SECTION] Tap recording

TEST(Shell, window_procedure_records_taps_and_arrow_presses_with_strict_bounds) {
    AppState state = {};
    AppState* saved = app_state;
    app_state = &state;
    auto tap = [](int32_t x, int32_t y) {
        app_state->scroll_up_pressed = app_state->scroll_down_pressed = 0;
        window_procedure(1, MESSAGE_LBUTTONDOWN, 0, intptr_t(x | (y << 16)));
    };
    state.screen = 4;
    state.scroller_active = 1;
    tap(230, 50);
    EXPECT_EQ(state.scroll_up_pressed, 1);
    EXPECT_EQ(state.tap_x, 230);
    EXPECT_EQ(state.tap_y, 50);
    EXPECT_EQ(state.tap_pending, 1);
    tap(230, 140);
    EXPECT_EQ(state.scroll_down_pressed, 1);
    EXPECT_EQ(state.scroll_up_pressed, 0);
    for (auto [x, y] :
         {std::pair{224, 50}, {236, 50}, {230, 66}, {230, 129}, {230, 48}, {230, 146}}) {
        tap(x, y);
        EXPECT_EQ(state.scroll_up_pressed + state.scroll_down_pressed, 0) << x << "," << y;
    }
    state.screen = 100;
    tap(230, 50);
    EXPECT_EQ(state.scroll_up_pressed, 0) << "only readings have the scroll bar";
    state.screen = 7;
    state.scroller_active = 0;
    tap(230, 50);
    EXPECT_EQ(state.scroll_up_pressed, 0) << "no meaning page yet";
    window_procedure(1, MESSAGE_LBUTTONDOWN, 0, intptr_t(0xFFFFFFFFu));
    EXPECT_EQ(state.tap_x, 65535);
    EXPECT_EQ(state.tap_y, 65535);
    app_state = saved;
}

// The window exists, and can be tapped, before start-up has made the program's state.
TEST(Shell, a_tap_before_the_state_exists_is_ignored) {
    AppState* saved = app_state;
    app_state = nullptr;
    EXPECT_EQ(window_procedure(1, MESSAGE_LBUTTONDOWN, 0, intptr_t(200 | (280 << 16))), 0);
    app_state = saved;
}

// [SECTION] Paths

TEST(Shell, paths_join_install_dir_folder_and_name_in_one_shared_buffer) {
    install_dir[0] = 0;
    EXPECT_STREQ(picture_path(L"\\main.nbf"), L"\\picture\\main.nbf");
    std::wcscpy(install_dir, L"\\opt\\q");
    const wchar_t* first = picture_path(L"\\main.nbf");
    EXPECT_STREQ(first, L"\\opt\\q\\picture\\main.nbf");
    const wchar_t* second = sound_path(L"\\ico.wav");
    EXPECT_EQ(first, second) << "the second call overwrites the first";
    EXPECT_STREQ(first, L"\\opt\\q\\sound\\ico.wav");
    // Nothing is written past the buffer, whatever the install folder holds.
    std::fill(install_dir, install_dir + 259, L'a');
    install_dir[259] = 0;
    EXPECT_STREQ(picture_path(L"\\main.nbf"), L"");
    install_dir[0] = 0;
}

// [SECTION] Start-up and its failure roads

TEST(Shell, start_up_leaves_the_title_screen_with_a_fresh_deal) {
    static AppState seen;
    static bool captured = false;
    captured = false;
    run_program(data_dir(), [] {
        headless_set_step_hook([] {
            if (!captured && app_state) seen = *app_state, captured = true;
        });
        headless_queue_steps(1);
    });
    ASSERT_TRUE(captured);
    EXPECT_EQ(seen.screen, 1);
    EXPECT_EQ(seen.tap_pending, 0);
    EXPECT_EQ(seen.shown_position, -1);
    EXPECT_EQ(seen.bottom_row, 3);
    int used = 0;
    for (int c = 0; c < 78; c++) used += seen.deck_used[c];
    EXPECT_EQ(used, 10);
    for (int i = 0; i < 10; i++) EXPECT_EQ(seen.deck_used[seen.drawn_cards[i] / 2], 1);
    EXPECT_NE(seen.card_db_file, 0);
    EXPECT_TRUE(log_has("sound \\sound\\start.wav"));
    EXPECT_TRUE(headless_messages().empty());
}

TEST(Shell, missing_registry_key_says_so_and_the_program_ends_cleanly) {
    int code = run_program("", [] { headless_queue_tap(200, 280); });
    EXPECT_EQ(code, 0);
    ASSERT_FALSE(headless_messages().empty());
    EXPECT_EQ(headless_messages()[0],
              "Message|This is a problem in process of installation please reinstall");
    EXPECT_TRUE(log_has("destroy"));
    EXPECT_TRUE(log_has("quit 0"));
}

TEST(Shell, missing_card_sheet_ends_the_program_before_the_title_is_seen) {
    std::string folder = copy_install_folder("no_card_sheet");
    std::filesystem::remove(folder + "/picture/card.nbf");
    int code = run_program(folder, [] { headless_queue_tap(200, 280); });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(headless_messages().front(), "|567768354645");
    EXPECT_FALSE(log_has("tap ")) << "the program ended before any tap";
}

TEST(Shell, missing_title_picture_is_reported_and_start_up_goes_on) {
    std::string folder = copy_install_folder("no_title");
    std::filesystem::remove(folder + "/picture/main.nbf");
    run_program(folder, [] { headless_queue_steps(2); });
    ASSERT_FALSE(headless_messages().empty());
    EXPECT_EQ(headless_messages().front(), "|567768354645");
    EXPECT_GE(headless_present_count(), 2u) << "the title screen still runs";
}

// Start-up takes 14 blocks: 8 records (the back buffer, the palette, five pictures, the
// program's state) and the pixels of the back buffer and of each picture. The records cannot
// be done without: when one cannot be taken the window is destroyed at once, which shuts the
// program down before its title is seen. Missing pixels are reported in a message box; every
// allocation after a failed one fails too here, so a record follows and ends it the same way.
TEST(Shell, every_failed_allocation_at_start_up_ends_the_program_cleanly) {
    const int START_UP_BLOCKS = 14;
    int records = 0, buffers = 0;
    for (int allowed = 0; allowed < START_UP_BLOCKS; allowed++) {
        SCOPED_TRACE("allocation " + std::to_string(allowed) + " fails");
        headless_reset();
        headless_set_install_dir(data_dir().c_str());
        headless_fail_allocations_after(allowed);
        headless_queue_tap(200, 280);
        headless_queue_tap(115, 178);
        uint64_t taken_before = memory_allocation_count();
        uint64_t given_before = memory_release_count();
        EXPECT_EQ(app_main(1, 0, L"", 1), 0);
        uint64_t attempts = memory_allocation_count() - taken_before;
        headless_fail_allocations_after(-1);
        release_objects();
        uint64_t given = memory_release_count() - given_before;

        EXPECT_GE(attempts, uint64_t(allowed + 1)) << "the failing allocation was reached";
        EXPECT_EQ(given, uint64_t(allowed)) << "every block taken is given back, once";
        EXPECT_EQ(log_lines_with(" quit ").size(), 1u);
        EXPECT_TRUE(log_has("quit 0"));
        EXPECT_TRUE(log_lines_with("present").empty()) << "no frame is shown";
        EXPECT_FALSE(log_has("tap ")) << "the program ended before any tap";
        const std::vector<std::string>& log = headless_log();
        ASSERT_GE(log.size(), 2u);
        if (log[0] == "0 destroy") {
            records++;
        } else if (log[0] == "0 message |8712134" || log[0] == "0 message |3456456") {
            buffers++; // the back buffer's or a picture's pixels
            EXPECT_EQ(log[1], "0 destroy") << "the next record ends it";
        } else {
            ADD_FAILURE() << "the window is not destroyed first: " << log[0];
        }
    }
    EXPECT_EQ(records, 8);
    EXPECT_EQ(buffers, 6);
}

// shut_down runs when the window is destroyed; nothing stops it from running again (a second
// destroy message, or the program's own exit after the window went). The second time it
// closes, frees and posts nothing more, and the program's state stays usable.
TEST(Shell, shut_down_twice_does_no_harm) {
    struct Seen {
        bool ran = false;
        FileHandle card_db = 0, reopened = 0;
        bool db_cleared = false, display_closed = false, quit_waiting = false;
        bool reopened_still_open = false, reopened_closed = false;
        uint64_t freed_first = 0, freed_second = 0;
        bool buffers_gone = false, state_kept = false, tap_recorded = false;
    };
    static Seen seen;
    seen = Seen();
    int code = run_program(data_dir(), [] {
        headless_set_step_hook([] {
            if (seen.ran || !app_state) return;
            seen.ran = true;
            seen.card_db = app_state->card_db_file;
            uint64_t given = memory_release_count();
            shut_down();
            seen.freed_first = memory_release_count() - given;
            seen.db_cleared = app_state->card_db_file == 0;
            seen.display_closed = GXBeginDraw() == nullptr;
            Message quit = {};
            seen.quit_waiting = queue_peek(&quit) && quit.message == MESSAGE_QUIT;
            // Files take the first free slot: the card texts' slot is free again.
            seen.reopened = open_file(picture_path(L"\\CardDB.dat"));
            given = memory_release_count();
            shut_down();
            seen.freed_second = memory_release_count() - given;
            seen.reopened_still_open = seek_file(seen.reopened, 0) == 1;
            seen.reopened_closed = close_file(seen.reopened) == 1;
            seen.buffers_gone =
                surface && !surface->pixels && work_picture && !work_picture->pixels;
            seen.state_kept = app_state->screen == 1 && app_state->shown_position == -1;
            window_procedure(main_window, MESSAGE_LBUTTONDOWN, 0, intptr_t(200 | (280 << 16)));
            seen.tap_recorded = app_state->tap_pending == 1;
        });
        headless_queue_steps(3);
    });
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(seen.ran);
    EXPECT_GT(seen.card_db, 0);
    EXPECT_TRUE(seen.db_cleared) << "the card texts are closed and forgotten";
    EXPECT_TRUE(seen.display_closed);
    EXPECT_TRUE(seen.quit_waiting) << "the first shut-down posts the quit";
    EXPECT_EQ(seen.freed_first, 2u) << "the work picture's and the back buffer's pixels";
    EXPECT_EQ(seen.reopened, seen.card_db) << "the card texts' file was really closed";
    EXPECT_EQ(seen.freed_second, 0u) << "nothing is freed twice";
    EXPECT_TRUE(seen.reopened_still_open) << "the second shut-down closes no file again";
    EXPECT_TRUE(seen.reopened_closed);
    EXPECT_TRUE(seen.buffers_gone);
    EXPECT_TRUE(seen.state_kept) << "shutting down leaves the state readable";
    EXPECT_TRUE(seen.tap_recorded) << "a late tap is recorded, not a crash";
    EXPECT_EQ(log_lines_with(" quit ").size(), 1u);
    EXPECT_EQ(log_lines_with("present").size(), 1u)
        << "only start-up's clear is presented: nothing is drawn after shut-down";
}
