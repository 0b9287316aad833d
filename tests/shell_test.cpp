// shell_test.cpp -- the application shell: tap recording, paths, start-up and its failure
// roads, shut-down

#include "test_support.h"
#include "shell/shell.h"
#include "screens/screens.h"
#include "graphics/graphics.h"
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

TEST(Shell, every_failed_allocation_at_start_up_ends_the_program_cleanly) {
    for (int allowed = 0; allowed < 16; allowed++) {
        headless_reset();
        headless_set_install_dir(data_dir().c_str());
        headless_fail_allocations_after(allowed);
        headless_queue_tap(200, 280);
        headless_queue_tap(115, 178);
        EXPECT_EQ(app_main(1, 0, L"", 1), 0) << allowed;
        headless_fail_allocations_after(-1);
        release_objects();
    }
}

TEST(Shell, shut_down_twice_does_no_harm) {
    run_program(data_dir(), [] {
        headless_set_step_hook([] {
            shut_down();
            shut_down();
        });
        headless_queue_steps(1);
    });
    EXPECT_TRUE(log_has("quit 0"));
}
