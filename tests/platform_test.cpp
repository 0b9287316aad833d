// platform_test.cpp -- the contracts of the platform layer the program relies on: files,
// registry, sound, message queue, display layouts, random numbers

#include "test_support.h"
#include "platform/common/common.h"
#include <gtest/gtest.h>
#include <cstring>

// [SECTION] Files

TEST(Platform, file_open_matches_every_component_case_insensitively) {
    std::string folder = make_test_folder("files_case");
    write_test_file(folder + "/Sound/start.wav", "RIFF");
    for (const char* name : {"/Sound/start.wav", "/sound/start.WAV", "/SOUND/Start.Wav"}) {
        FileHandle f = open_file(wide_path(folder + name).c_str());
        ASSERT_NE(f, INVALID_FILE) << name;
        EXPECT_NE(f, 0);
        char buffer[8] = {};
        uint32_t n = 0;
        EXPECT_EQ(read_file(f, buffer, 8, &n), 1);
        EXPECT_EQ(n, 4u);
        EXPECT_EQ(std::string(buffer), "RIFF");
        close_file(f);
    }
    EXPECT_EQ(open_file(wide_path(folder + "/sound/missing.wav").c_str()), INVALID_FILE);
    EXPECT_EQ(open_file(wide_path(folder + "/sound").c_str()), INVALID_FILE) << "a folder";
    EXPECT_EQ(open_file(wide_path(folder + "/sound/start.wav/x").c_str()), INVALID_FILE);
    EXPECT_EQ(open_file(L""), INVALID_FILE);
}

TEST(Platform, a_failed_open_names_its_file_and_the_reason_once) {
    std::string folder = make_test_folder("files_failure");
    write_test_file(folder + "/picture/main.nbf", "NBF");
    take_open_failure();
    EXPECT_EQ(open_file(wide_path(folder + "/picture/menu.nbf").c_str()), INVALID_FILE);
    EXPECT_EQ(take_open_failure(),
              "cannot open " + folder + "/picture/menu.nbf: No such file or directory");
    EXPECT_EQ(take_open_failure(), "") << "reported once";
    EXPECT_EQ(open_file(wide_path(folder + "/picture").c_str()), INVALID_FILE);
    EXPECT_EQ(take_open_failure(), "cannot open " + folder + "/picture: Is a directory");
    // ".." never leads out of a folder, even where the folder above exists.
    EXPECT_EQ(open_file(wide_path(folder + "/picture/../picture/main.nbf").c_str()), INVALID_FILE);
    EXPECT_EQ(take_open_failure(), "cannot open " + folder +
                                       "/picture/../picture/main.nbf: a path may not lead out of "
                                       "its folder with ..");
    // A later successful open forgets an earlier failure.
    EXPECT_EQ(open_file(wide_path(folder + "/missing").c_str()), INVALID_FILE);
    FileHandle f = open_file(wide_path(folder + "/picture/main.nbf").c_str());
    EXPECT_NE(f, INVALID_FILE);
    close_file(f);
    EXPECT_EQ(take_open_failure(), "");
}

TEST(Platform, sixteen_files_stay_open_at_once_and_a_seventeenth_is_refused_until_one_closes) {
    std::string folder = make_test_folder("files_slots");
    write_test_file(folder + "/data.bin", std::string("0123456789"));
    std::wstring path = wide_path(folder + "/data.bin");
    close_all_files();
    std::vector<FileHandle> open;
    for (int i = 0; i < 16; i++) {
        open.push_back(open_file(path.c_str()));
        ASSERT_NE(open.back(), INVALID_FILE) << i;
    }
    take_open_failure();
    EXPECT_EQ(open_file(path.c_str()), INVALID_FILE);
    EXPECT_EQ(take_open_failure(), "cannot open " + folder + "/data.bin: too many open files");
    // Every one of the sixteen still reads its own position.
    char byte = 0;
    uint32_t got = 0;
    EXPECT_EQ(seek_file(open[15], 9), 1);
    EXPECT_EQ(read_file(open[15], &byte, 1, &got), 1);
    EXPECT_EQ(byte, '9');
    EXPECT_EQ(read_file(open[0], &byte, 1, &got), 1);
    EXPECT_EQ(byte, '0');
    EXPECT_EQ(close_file(open[3]), 1);
    FileHandle again = open_file(path.c_str());
    EXPECT_EQ(again, open[3]) << "the freed slot is taken again";
    close_all_files();
}

TEST(Platform, reads_succeed_short_at_end_of_file_and_fail_only_for_bad_requests) {
    std::string folder = make_test_folder("files_read");
    std::vector<uint8_t> bytes(200000);
    for (size_t i = 0; i < bytes.size(); i++) bytes[i] = uint8_t(i * 7);
    write_test_file(folder + "/data.bin", bytes);
    FileHandle f = open_file(wide_path(folder + "/data.bin").c_str());
    ASSERT_NE(f, INVALID_FILE);
    // One-byte reads see every byte in order, across the layer's buffer boundaries.
    uint8_t b = 0;
    uint32_t n = 0;
    for (size_t i = 0; i < bytes.size(); i++) {
        ASSERT_EQ(read_file(f, &b, 1, &n), 1);
        ASSERT_EQ(n, 1u);
        ASSERT_EQ(b, bytes[i]) << i;
    }
    EXPECT_EQ(read_file(f, &b, 1, &n), 1) << "end of file is not a failure";
    EXPECT_EQ(n, 0u);
    // Seeking back, then a large read that ends at the end of the file.
    ASSERT_EQ(seek_file(f, 199990), 1);
    uint8_t tail[64];
    EXPECT_EQ(read_file(f, tail, 64, &n), 1);
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(tail[0], bytes[199990]);
    ASSERT_EQ(seek_file(f, 5), 1);
    EXPECT_EQ(read_file(f, tail, 3, &n), 1);
    EXPECT_EQ(tail[0], bytes[5]);
    EXPECT_EQ(tail[2], bytes[7]);
    close_file(f);
    EXPECT_EQ(read_file(f, &b, 1, &n), 0) << "a closed handle";
    EXPECT_EQ(read_file(0, &b, 1, &n), 0);
    EXPECT_EQ(read_file(INVALID_FILE, &b, 1, &n), 0);
}

// [SECTION] Registry

TEST(Platform, registry_gives_install_dir_with_backslashes_and_refuses_what_does_not_fit) {
    headless_reset();
    RegistryKey key;
    EXPECT_EQ(registry_open_key(L"\\SOFTWARE\\Apps\\Vorn Quarnel", &key), 0) << "no key";
    headless_set_install_dir("/opt/quarnel/");
    ASSERT_EQ(registry_open_key(L"\\SOFTWARE\\Apps\\Vorn Quarnel", &key), 1);
    EXPECT_EQ(registry_open_key(L"\\SOFTWARE\\Other", &key), 0);
    wchar_t value[128];
    ASSERT_EQ(registry_read_string(key, L"InstallDir", value, 255), 1);
    EXPECT_STREQ(value, L"\\opt\\quarnel");
    EXPECT_EQ(registry_read_string(key, L"Other", value, 255), 0);
    // 255 bytes hold 126 characters and the terminator.
    std::string long_dir = "/" + std::string(126, 'a');
    headless_set_install_dir(long_dir.c_str());
    ASSERT_EQ(registry_open_key(L"\\SOFTWARE\\Apps\\Vorn Quarnel", &key), 1);
    EXPECT_EQ(registry_read_string(key, L"InstallDir", value, 255), 0);
    headless_set_install_dir(std::string("/" + std::string(125, 'a')).c_str());
    EXPECT_EQ(registry_read_string(key, L"InstallDir", value, 255), 1) << "126 fit";
}

// [SECTION] Sound, messages, time, random numbers

TEST(Platform, a_new_sound_stops_the_old_one_even_when_its_file_is_missing) {
    std::string folder = make_test_folder("sound");
    write_test_file(folder + "/sound/ico.wav", "RIFF");
    headless_reset();
    headless_set_install_dir(folder.c_str());
    std::wstring dir = wide_path(folder);
    EXPECT_EQ(play_sound_file((dir + L"\\sound\\ICO.wav").c_str(), SND_ASYNC), 1);
    EXPECT_EQ(headless_current_sound(), "\\sound\\ICO.wav");
    play_sound_file((dir + L"\\sound\\none.wav").c_str(), SND_ASYNC);
    EXPECT_EQ(headless_current_sound(), "");
    EXPECT_TRUE(log_has("sound-missing \\sound\\none.wav"));
}

TEST(Platform, quit_is_reported_after_waiting_messages_and_peek_leaves_it) {
    headless_reset();
    static int destroyed = 0;
    destroyed = 0;
    WindowClass wc = {3,
                      [](WindowHandle w, uint32_t m, uintptr_t, intptr_t) -> int32_t {
                          if (m == MESSAGE_DESTROY) {
                              destroyed++;
                              destroy_window(w); // harmless while being destroyed
                          }
                          return 0;
                      },
                      102, 4, L"T"};
    ASSERT_EQ(register_class(&wc), 1);
    WindowHandle w = create_window(L"T", L"T");
    ASSERT_NE(w, 0);
    headless_queue_tap(10, 20);
    headless_set_idle_steps(0);
    Message m;
    ASSERT_EQ(peek_message(&m), 1); // the tap command becomes a message
    post_quit_message(7);
    ASSERT_EQ(peek_message(&m), 1);
    EXPECT_EQ(m.message, uint32_t(MESSAGE_LBUTTONDOWN)) << "the tap waits before the quit";
    EXPECT_EQ(m.lparam, intptr_t(10 | (20 << 16)));
    ASSERT_EQ(get_message(&m), 1);
    ASSERT_EQ(peek_message(&m), 1);
    EXPECT_EQ(m.message, uint32_t(MESSAGE_QUIT));
    ASSERT_EQ(peek_message(&m), 1) << "peek does not remove the quit";
    EXPECT_EQ(get_message(&m), 0);
    EXPECT_EQ(m.wparam, 7u);
    EXPECT_EQ(destroy_window(w), 1);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(destroy_window(w), 0) << "a destroyed window sends nothing";
    EXPECT_EQ(destroyed, 1);
}

TEST(Platform, sleep_advances_the_virtual_clock_and_the_tick_count_wraps) {
    headless_reset();
    headless_set_clock(0xFFFFFF00u);
    sleep_ms(5000);
    EXPECT_EQ(tick_count(), 0xFFFFFF00u + 5000u);
}

TEST(Platform, random_numbers_stay_below_32768_and_repeat_for_a_seed) {
    seed_random(1234);
    std::vector<int32_t> first;
    for (int i = 0; i < 1000; i++) {
        int32_t r = next_random();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
        first.push_back(r);
    }
    seed_random(1234);
    for (int i = 0; i < 1000; i++) ASSERT_EQ(next_random(), first[size_t(i)]);
}

// [SECTION] Display layouts

TEST(Platform, display_pixels_follow_any_pitch_and_hash_by_logical_position) {
    struct Layout {
        int32_t xp, yp;
    } layouts[] = {{2, 480}, {-640, 2}, {640, -2}, {-2, -480}, {2, 512}};
    uint32_t first_hash = 0;
    for (const Layout& l : layouts) {
        headless_reset();
        HeadlessDisplay display;
        display.x_pitch = l.xp, display.y_pitch = l.yp;
        headless_set_display(display);
        WindowClass wc = {3, [](WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }, 0, 4,
                          L"T"};
        register_class(&wc);
        WindowHandle w = create_window(L"T", L"T");
        ASSERT_EQ(GXOpenDisplay(w, GX_FULLSCREEN), 1);
        GXDisplayProperties p = GXGetDisplayProperties();
        EXPECT_EQ(p.cbxPitch, l.xp);
        uint8_t* base = static_cast<uint8_t*>(GXBeginDraw());
        ASSERT_NE(base, nullptr);
        for (int32_t y = 0; y < 320; y++)
            for (int32_t x = 0; x < 240; x++) {
                uint16_t v = uint16_t(x * 3 + y * 1000);
                std::memcpy(base + x * l.xp + y * l.yp, &v, 2);
            }
        GXEndDraw();
        std::vector<uint16_t> pixels = headless_display_pixels();
        EXPECT_EQ(pixels[241], uint16_t(3 + 1000));
        if (!first_hash) first_hash = headless_frame_hash();
        EXPECT_EQ(headless_frame_hash(), first_hash) << l.xp << "," << l.yp;
        GXCloseDisplay();
        EXPECT_EQ(GXBeginDraw(), nullptr);
    }
}

// The desktop's and the web page's display: an unchanged frame is dropped and lets the program
// rest; a new frame or a tap wakes it.
TEST(Platform, a_window_display_drops_an_unchanged_frame_and_rests_until_a_new_one_or_a_tap) {
    headless_reset();
    WindowClass wc = {3, [](WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }, 0, 4, L"T"};
    register_class(&wc);
    WindowHandle w = create_window(L"T", L"T");
    static int shows = 0;
    shows = 0;
    use_window_display([] { shows++; });
    EXPECT_EQ(window_display_shown(), nullptr);
    ASSERT_EQ(GXOpenDisplay(w, GX_FULLSCREEN), 1);
    EXPECT_EQ(GXGetDisplayProperties().cbyPitch, 480);
    for (int i = 0; i < STEPS_BEFORE_REST; i++) pacing_step();
    ASSERT_EQ(pacing_resting(), 1);
    GXEndDraw(); // the first frame is always new
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(pacing_resting(), 0);
    for (int i = 0; i < STEPS_BEFORE_REST; i++) pacing_step();
    GXEndDraw();
    EXPECT_EQ(shows, 1) << "an unchanged frame is dropped";
    EXPECT_EQ(pacing_resting(), 1);
    for (int at : {0, DISPLAY_PIXELS - 1}) { // the first and the last pixel count too
        static_cast<uint16_t*>(GXBeginDraw())[at] ^= 1;
        GXEndDraw();
        EXPECT_EQ(shows, at ? 3 : 2) << at;
    }
    for (int i = 0; i < STEPS_BEFORE_REST; i++) pacing_step();
    ASSERT_EQ(queue_tap(5, 6), 1);
    EXPECT_EQ(pacing_resting(), 0) << "a tap wakes the program";
    const uint16_t* frame = static_cast<uint16_t*>(GXBeginDraw());
    EXPECT_EQ(same_pixels(frame, window_display_shown(), 7), 1); // not whole blocks of 16
    uint16_t seven[7] = {};
    std::memcpy(seven, frame, sizeof seven);
    seven[6] ^= 1;
    EXPECT_EQ(same_pixels(frame, seven, 7), 0);
    GXCloseDisplay();
    EXPECT_EQ(GXBeginDraw(), nullptr);
    destroy_window(w);
    EXPECT_EQ(queue_tap(5, 6), 0) << "no window, no tap";
    headless_reset(); // the headless display again
}
