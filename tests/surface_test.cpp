// surface_test.cpp -- the palette, the back buffer and presenting it on displays of every
// layout

#include "graphics/graphics.h"
#include "platform/headless/headless.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// [SECTION] Helpers

int32_t quiet_procedure(WindowHandle, uint32_t, uintptr_t, intptr_t) {
    return 0;
}

// A fresh back end with an open display of the given layout.
GXDisplayProperties open_display(const HeadlessDisplay& display) {
    headless_reset();
    headless_set_display(display);
    WindowClass window_class = {0, quiet_procedure, 0, 4, L"SurfaceTest"};
    register_class(&window_class);
    WindowHandle window = create_window(L"SurfaceTest", L"SurfaceTest");
    EXPECT_EQ(GXOpenDisplay(window, GX_FULLSCREEN), 1);
    return GXGetDisplayProperties();
}

struct BackBuffer {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(SURFACE_SIZE);
    Surface surface{bytes.data(), bytes.data()};
};

Palette random_palette(std::mt19937& rng, const GXDisplayProperties& properties) {
    Palette palette{};
    for (auto& entry : palette.rgb)
        for (uint8_t& c : entry) c = uint8_t(rng());
    prepare_palette(&palette, &properties);
    return palette;
}

// What the display must show: the back buffer through the palette, black beyond it.
std::vector<uint16_t> expected_display(const BackBuffer& back, const Palette& palette,
                                       uint32_t width, uint32_t height) {
    std::vector<uint16_t> out;
    for (uint32_t r = 0; r < height; ++r)
        for (uint32_t c = 0; c < width; ++c)
            out.push_back(c < 240 && r < 320 ? palette.display_colours[back.bytes[r * 240 + c]]
                                             : uint16_t(0));
    return out;
}

uint16_t frame_pixel(const uint8_t* frame, ptrdiff_t byte_offset) {
    uint16_t v;
    std::memcpy(&v, frame + byte_offset, 2);
    return v;
}

std::wstring write_temp_file(const std::string& name, const std::vector<uint8_t>& bytes) {
    static const std::string folder = make_test_folder("surface_test");
    write_test_file(folder + "/" + name, bytes);
    return wide_path(folder + "/" + name);
}

// [SECTION] Palette

uint16_t convert(uint32_t format, uint8_t r, uint8_t g, uint8_t b) {
    GXDisplayProperties properties{240, 320, 2, 480, 16, format};
    Palette palette{};
    palette.rgb[3][0] = r, palette.rgb[3][1] = g, palette.rgb[3][2] = b;
    prepare_palette(&palette, &properties);
    uint16_t single = 0xABCD;
    colour_to_display(r, g, b, &properties, &single);
    EXPECT_EQ(single, palette.display_colours[3]) << "format " << format;
    return palette.display_colours[3];
}

TEST(SurfacePalette, converts_colours_for_each_display_format) {
    EXPECT_EQ(convert(kfDirect565, 255, 255, 255), 0xFFFF);
    EXPECT_EQ(convert(kfDirect565, 255, 0, 0), 0xF800);
    EXPECT_EQ(convert(kfDirect565, 0, 0, 255), 0x001F);
    EXPECT_EQ(convert(kfDirect565, 0, 255, 0), 0x07E0);
    EXPECT_EQ(convert(kfDirect565, 8, 4, 8), (1 << 0) | (1 << 5) | (1 << 11));
    EXPECT_EQ(convert(kfDirect555, 255, 0, 0), 0x7C00);
    EXPECT_EQ(convert(kfDirect555, 0, 255, 0), 0x03E0);
    EXPECT_EQ(convert(kfDirect555, 7, 8, 8), 0x0021);
    EXPECT_EQ(convert(kfDirect444, 255, 255, 255), 0x0FFF);
    EXPECT_EQ(convert(kfDirect444, 0x1F, 0x20, 0x3F), 0x0123);
}

TEST(SurfacePalette, format_precedence_differs_between_palette_and_single_colours) {
    GXDisplayProperties both{240, 320, 2, 480, 16, kfDirect555 | kfDirect444};
    Palette palette{};
    palette.rgb[0][0] = 255;
    prepare_palette(&palette, &both);
    EXPECT_EQ(palette.display_colours[0], 0x7C00); // 5-5-5 before 4-4-4
    uint16_t single = 0;
    colour_to_display(255, 0, 0, &both, &single);
    EXPECT_EQ(single, 0x0F00); // 4-4-4 before 5-5-5

    GXDisplayProperties all{240, 320, 2, 480, 16, kfDirect555 | kfDirect565 | kfDirect444};
    prepare_palette(&palette, &all);
    EXPECT_EQ(palette.display_colours[0], 0xF800);

    GXDisplayProperties none{240, 320, 2, 480, 16, 0x10};
    palette.display_colours[0] = 0x1234;
    prepare_palette(&palette, &none);
    EXPECT_EQ(palette.display_colours[0], 0x1234);
    single = 0x5678;
    colour_to_display(255, 255, 255, &none, &single);
    EXPECT_EQ(single, 0x5678);
}

TEST(SurfacePalette, load_reads_the_first_768_bytes_and_reports_a_missing_file) {
    headless_reset();
    std::vector<uint8_t> bytes(800);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7);
    Palette palette;
    std::memset(&palette, 0x5A, sizeof palette);
    ASSERT_EQ(load_palette(write_temp_file("main.plf", bytes).c_str(), &palette), 1);
    EXPECT_EQ(std::memcmp(palette.rgb, bytes.data(), 768), 0);
    EXPECT_EQ(palette.display_colours[0], 0x5A5A); // untouched until prepared

    // A short file is not detected: entries it does not reach keep their values.
    std::memset(&palette, 0x5A, sizeof palette);
    bytes.resize(30);
    ASSERT_EQ(load_palette(write_temp_file("short.plf", bytes).c_str(), &palette), 1);
    EXPECT_EQ(palette.rgb[9][2], bytes[29]);
    EXPECT_EQ(palette.rgb[10][0], 0x5A);

    EXPECT_EQ(load_palette(L"\\tmp\\quarnel_no_such_dir\\main.plf", &palette), 0);
    ASSERT_EQ(headless_messages().size(), 1u);
    EXPECT_EQ(headless_messages()[0], "|8944335");
}

// [SECTION] Back buffer

TEST(SurfaceBuffer, init_that_cannot_allocate_warns_and_leaves_no_buffer) {
    headless_reset();
    headless_fail_allocations_after(0);
    Surface s{};
    init_surface(&s);
    headless_fail_allocations_after(-1);
    EXPECT_EQ(s.pixels, nullptr);
    EXPECT_EQ(s.cursor, nullptr);
    ASSERT_EQ(headless_messages().size(), 1u);
    EXPECT_EQ(headless_messages()[0], "|8712134");
    release_surface(&s);
    clear_surface(&s, 0, 0, 240, 320, 1); // harmless without a buffer
}

TEST(SurfaceBuffer, clear_fills_an_exact_block_with_rows_counted_not_bottom_edge) {
    BackBuffer back;
    std::fill(back.bytes.begin(), back.bytes.end(), 9);
    clear_surface(&back.surface, 5, 50, 230, 90, 0x300); // low 8 bits of the index
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x) {
            bool inside = x >= 5 && x < 230 && y >= 50 && y < 140;
            ASSERT_EQ(back.bytes[y * 240 + x], inside ? 0 : 9) << x << "," << y;
        }
    std::vector<uint8_t> before = back.bytes;
    clear_surface(&back.surface, 0, 10, 240, 0, 1);  // no rows
    clear_surface(&back.surface, 0, 0, 240, 321, 1); // more than the whole buffer
    clear_surface(&back.surface, 10, 5, 20, -3, 1);  // negative row count
    EXPECT_EQ(back.bytes, before);
    clear_surface(&back.surface, 10, 0, 0, 320, 4); // right before left: 10 wide from left
    EXPECT_EQ(std::count(back.bytes.begin(), back.bytes.end(), 4), 3200);
    EXPECT_EQ(back.bytes[319 * 240 + 10], 4);
    EXPECT_EQ(back.bytes[319 * 240 + 19], 4);
    EXPECT_NE(back.bytes[20], 4);
}

TEST(SurfaceBuffer, clear_never_writes_outside_the_buffer_whatever_the_arguments) {
    // The back buffer sits between guard bands; a reference clips the block it names.
    std::vector<uint8_t> guarded(SURFACE_SIZE * 3, 0xEE);
    Surface s{guarded.data() + SURFACE_SIZE, guarded.data() + SURFACE_SIZE};
    std::vector<uint8_t> expected = guarded;
    std::mt19937 rng(7);
    const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -70000, -1,    0,        239,
                                240,       319,           320,    70000, INT32_MAX};
    for (int i = 0; i < 3000; ++i) {
        int32_t a[4];
        for (int32_t& v : a) v = rng() % 4 ? int32_t(rng() % 700) - 250 : extremes[rng() % 11];
        uint8_t index = uint8_t(i);
        clear_surface(&s, a[0], a[1], a[2], a[3], index);
        int64_t width = std::llabs(int64_t(a[2]) - a[0]);
        if (double(width) * double(std::llabs(int64_t(a[3]) - a[1])) > 76800) continue;
        for (int64_t y = std::max<int64_t>(a[1], 0);
             y < std::min<int64_t>(int64_t(a[1]) + a[3], 320); ++y)
            for (int64_t x = std::max<int64_t>(a[0], 0); x < std::min<int64_t>(a[0] + width, 240);
                 ++x)
                expected[SURFACE_SIZE + y * 240 + x] = index;
        ASSERT_EQ(guarded, expected) << a[0] << " " << a[1] << " " << a[2] << " " << a[3];
    }
}

// [SECTION] Presenting

TEST(SurfacePresent, each_pixel_lands_at_its_pitch_offset_in_the_frame_buffer) {
    // Rows of 480 bytes, and a display turned a quarter whose rows run backwards.
    const HeadlessDisplay layouts[] = {{240, 320, 2, 480, kfDirect565},
                                       {240, 320, -640, 2, kfDirect555}};
    std::mt19937 rng(1);
    for (const HeadlessDisplay& layout : layouts) {
        GXDisplayProperties properties = open_display(layout);
        Palette palette = random_palette(rng, properties);
        BackBuffer back;
        for (uint8_t& b : back.bytes) b = uint8_t(rng());
        back.surface.cursor = nullptr;
        ASSERT_EQ(present_surface(&back.surface, &palette, &properties), 1);
        EXPECT_EQ(back.surface.cursor, back.surface.pixels);
        const uint8_t* frame = static_cast<const uint8_t*>(GXBeginDraw());
        for (ptrdiff_t y = 0; y < 320; ++y)
            for (ptrdiff_t x = 0; x < 240; ++x)
                ASSERT_EQ(frame_pixel(frame, y * layout.y_pitch + x * layout.x_pitch),
                          palette.display_colours[back.bytes[y * 240 + x]])
                    << x << "," << y;
        GXEndDraw();
    }
}

TEST(SurfacePresent, uniform_buffer_presents_one_colour_and_closed_display_writes_nothing) {
    GXDisplayProperties properties = open_display({240, 320, 2, 480, kfDirect444});
    std::mt19937 rng(3);
    Palette palette = random_palette(rng, properties);
    BackBuffer back;
    std::fill(back.bytes.begin(), back.bytes.end(), 7);
    ASSERT_EQ(present_surface(&back.surface, &palette, &properties), 1);
    std::vector<uint16_t> shown = headless_display_pixels();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), palette.display_colours[7]), 76800);

    GXCloseDisplay();
    std::fill(back.bytes.begin(), back.bytes.end(), 8);
    EXPECT_EQ(present_surface(&back.surface, &palette, &properties), 0);
    EXPECT_EQ(clear_display(&properties, 0xFFFFFF), 0);
    EXPECT_EQ(headless_display_pixels(), shown);
    EXPECT_EQ(headless_present_count(), 1u);
}

TEST(SurfacePresent, every_layout_and_display_size_matches_the_plain_loop) {
    // Both orientations of rows and of columns, gapped pixels, and displays larger and
    // smaller than the back buffer in either direction.
    const HeadlessDisplay layouts[] = {
        {240, 320, 2, 480, kfDirect565},  {240, 320, -2, 480, kfDirect565},
        {240, 320, 2, -480, kfDirect555}, {240, 320, -2, -480, kfDirect444},
        {240, 320, 640, 2, kfDirect565},  {240, 320, -640, 2, kfDirect565},
        {240, 320, 640, -2, kfDirect565}, {240, 320, -640, -2, kfDirect565},
        {240, 320, 4, 1000, kfDirect565}, {240, 320, 962, -6, kfDirect565},
        {320, 240, 2, 640, kfDirect565},  {320, 240, -480, 2, kfDirect565},
        {201, 400, -2, 402, kfDirect565}, {241, 321, 642, -2, kfDirect565},
        {239, 319, 2, 478, kfDirect565},  {231, 317, -634, 2, kfDirect565},
        {1, 1, 2, 2, kfDirect565},        {3, 500, 2, 6, kfDirect565},
        {100, 13, 26, -2, kfDirect565},
    };
    std::mt19937 rng(4);
    for (const HeadlessDisplay& layout : layouts) {
        SCOPED_TRACE(testing::Message() << layout.width << "x" << layout.height << " pitch "
                                        << layout.x_pitch << "/" << layout.y_pitch);
        GXDisplayProperties properties = open_display(layout);
        Palette palette = random_palette(rng, properties);
        BackBuffer back;
        for (uint8_t& b : back.bytes) b = uint8_t(rng());
        ASSERT_EQ(present_surface(&back.surface, &palette, &properties), 1);
        EXPECT_EQ(headless_display_pixels(),
                  expected_display(back, palette, layout.width, layout.height));
        // A changed palette entry shows on the very next present.
        palette.display_colours[back.bytes[0]] ^= 0x0421;
        palette.display_colours[back.bytes[76799]] ^= 0x1004;
        ASSERT_EQ(present_surface(&back.surface, &palette, &properties), 1);
        EXPECT_EQ(headless_display_pixels(),
                  expected_display(back, palette, layout.width, layout.height));
    }
}

TEST(SurfacePresent, surface_without_buffer_presents_black) {
    GXDisplayProperties properties = open_display({240, 320, 2, 480, kfDirect565});
    std::mt19937 rng(5);
    Palette palette = random_palette(rng, properties);
    ASSERT_EQ(clear_display(&properties, 0x00FFFFFF), 1);
    Surface released{};
    ASSERT_EQ(present_surface(&released, &palette, &properties), 1);
    std::vector<uint16_t> shown = headless_display_pixels();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 0), 76800);
}

TEST(SurfacePresent, clear_display_fills_every_pixel_with_the_converted_colour) {
    GXDisplayProperties properties = open_display({240, 320, -640, 2, kfDirect565});
    ASSERT_EQ(clear_display(&properties, 0x00FF0000), 1); // blue is bits 16 to 23
    std::vector<uint16_t> shown = headless_display_pixels();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 0x001F), 76800);
    ASSERT_EQ(clear_display(&properties, 0x000000FF), 1);
    shown = headless_display_pixels();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 0xF800), 76800);
    ASSERT_EQ(clear_display(&properties, 0), 1);
    shown = headless_display_pixels();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 0), 76800);
}

// [SECTION] The whole program

HeadlessDisplay session_display;

// A reading from the title screen to a turned card, on session_display.
void reading_session() {
    headless_set_display(session_display);
    queue_love_reading_to_first_card();
}

TEST(SurfaceProgram, every_display_layout_shows_the_same_frames_of_a_reading) {
    // The logged hash of each present is taken over the display read through its pitches,
    // so a correct present gives the same list of frames on every layout.
    const HeadlessDisplay layouts[] = {{240, 320, 2, 480, kfDirect565},
                                       {240, 320, -640, 2, kfDirect565},
                                       {240, 320, 640, -2, kfDirect565},
                                       {240, 320, -2, -480, kfDirect565}};
    std::vector<std::string> reference;
    for (const HeadlessDisplay& layout : layouts) {
        SCOPED_TRACE(testing::Message() << "pitch " << layout.x_pitch << "/" << layout.y_pitch);
        session_display = layout;
        run_program(data_dir(), reading_session);
        std::vector<std::string> frames = log_lines_with(" present ");
        if (reference.empty()) {
            reference = frames;
            ASSERT_GT(reference.size(), 5u);
            EXPECT_NE(reference.front(), reference.back());
        }
        EXPECT_EQ(frames, reference);
    }
}

} // namespace
