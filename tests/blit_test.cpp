// blit_test.cpp -- the three blitters: clipping, modes, transparency, damaged source
// rectangles, and the fast loops against a plain per-pixel reference

#include "graphics/graphics.h"
#include "platform/headless/headless.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// [SECTION] Helpers

struct TestPicture {
    std::vector<uint8_t> buffer; // exactly the capacity, so a sanitizer sees any over-read
    Picture picture{};
};

// A w x h picture in a buffer of cap_w x cap_h bytes (by default just big enough).
TestPicture make_picture(int32_t w, int32_t h, uint8_t flag, uint16_t cap_w = 0,
                         uint16_t cap_h = 0) {
    TestPicture t;
    if (!cap_w) cap_w = uint16_t(std::max(w, 1)), cap_h = uint16_t(std::max(h, 1));
    t.buffer.assign(size_t(cap_w) * cap_h, 0);
    for (size_t i = 0; i < t.buffer.size(); ++i) t.buffer[i] = uint8_t(i % 251);
    Picture& p = t.picture;
    p.capacity_width = cap_w, p.capacity_height = cap_h;
    p.width = w, p.height = h, p.flag = flag;
    p.pixels = p.cursor = t.buffer.data();
    return t;
}

struct BackBuffer {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(SURFACE_SIZE, 0xEE);
    Surface surface{bytes.data(), bytes.data()};
    uint8_t at(int x, int y) const { return bytes[size_t(y) * 240 + x]; }
};

// The plain per-pixel blitter the fast loops must match: clip as the blitters do, then
// map every destination pixel to its source pixel and copy it if it lies in the picture.
int reference_blit(std::vector<uint8_t>& out, int64_t x, int64_t y, int64_t w, int64_t h,
                   int64_t sx, int64_t sy, const Picture& p, int32_t mode, bool knows_turned) {
    if (x < 0) {
        if (x + w < 0) return 0;
        int64_t k = (-x) / 4 * 4;
        sx += k, w -= k, x = 0;
    }
    if (y < 0) {
        if (y + h < 0) return 0;
        int64_t k = (-y) / 4 * 4;
        sy += k, h -= k, y = 0;
    }
    w = std::min<int64_t>(w, 240 - x);
    h = std::min<int64_t>(h, 320 - y);
    if (w <= 0 || h <= 0) return 1;
    if (mode != 0 && mode != 5 && !(mode == 11 && knows_turned)) return 1;
    int64_t capacity = int64_t(p.capacity_width) * p.capacity_height;
    for (int64_t r = 0; r < h; ++r)
        for (int64_t c = 0; c < w; ++c) {
            int64_t col = sx + c, row = sy + r; // plain
            if (mode == 5) col = sx + w - 1 - c;
            if (mode == 11) col = sx + w - 1 - c, row = sy + h - 1 - r;
            if (col < 0 || col >= p.width || row < 0 || row >= p.height) continue;
            if ((row + 1) * p.width > capacity) continue;
            uint8_t v = p.pixels[row * p.width + col];
            if (p.flag == 1 && v == 255) continue;
            out[(y + r) * 240 + x + c] = v;
        }
    return 1;
}

// [SECTION] Clipping

TEST(BlitClipping, right_and_bottom_edges_cut_the_picture) {
    TestPicture t = make_picture(60, 100, 0);
    BackBuffer back;
    ASSERT_EQ(draw_picture(&back.surface, 200, 250, &t.picture, plain), 1);
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x) {
            bool inside = x >= 200 && y >= 250;
            ASSERT_EQ(back.at(x, y), inside ? t.buffer[(y - 250) * 60 + x - 200] : 0xEE);
        }
}

TEST(BlitClipping, left_edge_clips_in_whole_steps_of_four) {
    TestPicture t = make_picture(60, 100, 0);
    BackBuffer back;
    EXPECT_EQ(draw_picture(&back.surface, -61, 0, &t.picture, plain), 0);
    EXPECT_EQ(draw_picture(&back.surface, -60, 0, &t.picture, plain), 1);
    EXPECT_EQ(std::count(back.bytes.begin(), back.bytes.end(), 0xEE), 76800);

    ASSERT_EQ(draw_picture(&back.surface, -59, 0, &t.picture, plain), 1);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(back.at(x, y), x < 4 ? t.buffer[y * 60 + 56 + x] : 0xEE);

    BackBuffer near; // -3 draws the whole picture from column 0, -5 as if placed at -4
    draw_picture(&near.surface, -3, 0, &t.picture, plain);
    EXPECT_EQ(near.at(0, 0), t.buffer[0]);
    EXPECT_EQ(near.at(59, 0), t.buffer[59]);
    draw_picture(&near.surface, -5, 0, &t.picture, plain);
    EXPECT_EQ(near.at(0, 1), t.buffer[60 + 4]);
    EXPECT_EQ(near.at(55, 1), t.buffer[60 + 59]);
}

TEST(BlitClipping, top_edge_clips_in_whole_steps_of_four) {
    TestPicture t = make_picture(60, 100, 0);
    BackBuffer back;
    ASSERT_EQ(draw_picture(&back.surface, 10, -7, &t.picture, plain), 1);
    for (int y = 0; y < 96; ++y) ASSERT_EQ(back.at(10, y), t.buffer[(y + 4) * 60]);
    EXPECT_EQ(back.at(10, 95), t.buffer[99 * 60]);
    EXPECT_EQ(back.at(10, 96), 0xEE);
    EXPECT_EQ(draw_picture(&back.surface, 10, -101, &t.picture, plain), 0);
}

TEST(BlitClipping, nothing_visible_still_succeeds) {
    TestPicture t = make_picture(60, 100, 0);
    TestPicture never_loaded = make_picture(0, 0, 0, 30, 50);
    BackBuffer back;
    EXPECT_EQ(draw_picture(&back.surface, 240, 0, &t.picture, plain), 1);
    EXPECT_EQ(draw_picture(&back.surface, 0, 320, &t.picture, turned), 1);
    EXPECT_EQ(draw_picture(&back.surface, 0, 0, &never_loaded.picture, plain), 1);
    EXPECT_EQ(draw_picture(&back.surface, 239, 319, &never_loaded.picture, plain), 1);
    EXPECT_EQ(std::count(back.bytes.begin(), back.bytes.end(), 0xEE), 76800);
    EXPECT_TRUE(headless_messages().empty());
}

TEST(BlitClipping, coordinates_near_the_int32_limits_never_overflow) {
    TestPicture t = make_picture(60, 100, 1);
    BackBuffer back;
    EXPECT_EQ(draw_picture(&back.surface, INT32_MAX, INT32_MAX, &t.picture, plain), 1);
    EXPECT_EQ(draw_picture(&back.surface, INT32_MIN, 0, &t.picture, turned), 0);
    EXPECT_EQ(
        draw_picture_region(&back.surface, INT32_MIN, 0, INT32_MAX, 5, 0, 0, &t.picture, plain), 0);
    EXPECT_EQ(draw_picture_region(&back.surface, -2147483644, -2147483644, INT32_MAX, INT32_MAX, 0,
                                  0, &t.picture, mirrored),
              1);
    EXPECT_EQ(draw_picture_region(&back.surface, 0, 0, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MIN,
                                  &t.picture, plain),
              1);
    t.picture.frame_width = 60;
    EXPECT_EQ(draw_picture_frame(&back.surface, 0, 0, INT32_MAX, INT32_MAX, INT32_MAX, &t.picture,
                                 turned),
              1);
    t.picture.frame_width = INT32_MIN;
    EXPECT_EQ(draw_picture_frame(&back.surface, 5, 5, 60, 100, INT32_MIN, &t.picture, plain), 1);
    EXPECT_EQ(std::count(back.bytes.begin(), back.bytes.end(), 0xEE), 76800);
}

// [SECTION] Modes and transparency

TEST(BlitModes, two_by_two_picture_turned_and_mirrored) {
    TestPicture t = make_picture(2, 2, 0);
    t.buffer = {'a', 'b', 'c', 'd'};
    t.picture.pixels = t.buffer.data();
    BackBuffer back;
    auto row = [&](int y) { return std::string{char(back.at(0, y)), char(back.at(1, y))}; };
    draw_picture(&back.surface, 0, 0, &t.picture, turned);
    EXPECT_EQ(row(0), "dc");
    EXPECT_EQ(row(1), "ba");
    draw_picture(&back.surface, 0, 0, &t.picture, mirrored);
    EXPECT_EQ(row(0), "ba");
    EXPECT_EQ(row(1), "dc");
    EXPECT_EQ(back.at(2, 0), 0xEE);
    EXPECT_EQ(back.at(0, 2), 0xEE);
}

TEST(BlitModes, unknown_modes_draw_nothing_and_succeed) {
    TestPicture t = make_picture(60, 100, 0);
    t.picture.frame_width = 20;
    BackBuffer back;
    EXPECT_EQ(draw_picture_region(&back.surface, 0, 0, 4, 12, 0, 0, &t.picture, turned), 1);
    for (int32_t mode : {3, 1, -1, 10, 12}) {
        EXPECT_EQ(draw_picture(&back.surface, 0, 0, &t.picture, mode), 1);
        EXPECT_EQ(draw_picture_frame(&back.surface, 0, 0, 20, 100, 1, &t.picture, mode), 1);
        EXPECT_EQ(draw_picture_region(&back.surface, 0, 0, 4, 12, 0, 0, &t.picture, mode), 1);
    }
    EXPECT_EQ(std::count(back.bytes.begin(), back.bytes.end(), 0xEE), 76800);
}

TEST(BlitModes, transparency_only_for_flag_one_and_rows_stay_aligned_at_the_right_edge) {
    TestPicture keyed = make_picture(60, 100, 1);
    std::fill(keyed.buffer.begin(), keyed.buffer.end(), 255);
    TestPicture opaque = make_picture(60, 100, 2);
    std::fill(opaque.buffer.begin(), opaque.buffer.end(), 255);
    BackBuffer back;
    draw_picture(&back.surface, 10, 10, &keyed.picture, plain);
    draw_picture(&back.surface, 10, 10, &keyed.picture, turned);
    EXPECT_EQ(std::count(back.bytes.begin(), back.bytes.end(), 0xEE), 76800);
    draw_picture(&back.surface, 10, 10, &opaque.picture, mirrored);
    EXPECT_EQ(std::count(back.bytes.begin(), back.bytes.end(), 255), 6000);

    // Every row holds one visible pixel, at column r % 60; cut by the right edge at 213.
    TestPicture sparse = make_picture(60, 100, 1);
    std::fill(sparse.buffer.begin(), sparse.buffer.end(), 255);
    for (int r = 0; r < 100; ++r) sparse.buffer[r * 60 + r % 60] = uint8_t(r);
    BackBuffer cut;
    draw_picture(&cut.surface, 213, 7, &sparse.picture, plain);
    for (int r = 0; r < 100; ++r)
        for (int c = 0; c < 27; ++c)
            ASSERT_EQ(cut.at(213 + c, 7 + r), c == r % 60 ? r : 0xEE) << r << "," << c;
}

TEST(BlitModes, frame_index_selects_columns_of_the_strip) {
    TestPicture sheet = make_picture(4740, 100, 0);
    sheet.picture.frame_width = 60, sheet.picture.frame_height = 100;
    BackBuffer back;
    ASSERT_EQ(draw_picture_frame(&back.surface, 90, 110, 60, 100, 78, &sheet.picture, plain), 1);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(back.at(90 + x, 110 + y), sheet.buffer[y * 4740 + 78 * 60 + x]);
    // Frame 79 lies beyond the strip: nothing is read or drawn.
    BackBuffer past;
    EXPECT_EQ(draw_picture_frame(&past.surface, 0, 0, 60, 100, 79, &sheet.picture, plain), 1);
    EXPECT_EQ(std::count(past.bytes.begin(), past.bytes.end(), 0xEE), 76800);
}

TEST(BlitModes, drawing_twice_gives_the_same_result_and_leaves_the_picture_unchanged) {
    TestPicture t = make_picture(97, 61, 1);
    for (size_t i = 0; i < t.buffer.size(); i += 3) t.buffer[i] = 255;
    std::vector<uint8_t> original = t.buffer;
    Picture header = t.picture;
    BackBuffer once, twice;
    draw_picture(&once.surface, -13, 301, &t.picture, turned);
    draw_picture(&twice.surface, -13, 301, &t.picture, turned);
    draw_picture(&twice.surface, -13, 301, &t.picture, turned);
    EXPECT_EQ(once.bytes, twice.bytes);
    EXPECT_EQ(t.buffer, original);
    EXPECT_EQ(std::memcmp(&header, &t.picture, sizeof header), 0);
}

// [SECTION] Failures and damaged source rectangles

TEST(BlitFailures, missing_buffers_show_each_blitters_message) {
    headless_reset();
    TestPicture t = make_picture(4, 4, 0);
    Picture released = t.picture;
    released.pixels = released.cursor = nullptr;
    BackBuffer back;
    Surface no_buffer{};
    EXPECT_EQ(draw_picture(&no_buffer, 0, 0, &t.picture, plain), 0);
    EXPECT_EQ(draw_picture(&back.surface, 0, 0, &released, plain), 0);
    EXPECT_EQ(draw_picture_frame(&no_buffer, 0, 0, 4, 4, 0, &t.picture, plain), 0);
    EXPECT_EQ(draw_picture_frame(&back.surface, 0, 0, 4, 4, 0, &released, plain), 0);
    EXPECT_EQ(draw_picture_region(&no_buffer, 0, 0, 4, 4, 0, 0, &t.picture, plain), 0);
    EXPECT_EQ(draw_picture_region(&back.surface, 0, 0, 4, 4, 0, 0, &released, plain), 0);
    EXPECT_EQ(draw_picture(&back.surface, 0, 0, nullptr, plain), 0);
    std::vector<std::string> expected = {"|3451232457",  "|3451232457", "|12125643573",
                                         "|12125643573", "|321454544",  "|321454544",
                                         "|3451232457"};
    EXPECT_EQ(headless_messages(), expected);
    EXPECT_EQ(std::count(back.bytes.begin(), back.bytes.end(), 0xEE), 76800);
}

TEST(BlitFailures, source_outside_the_picture_draws_only_what_lies_inside) {
    TestPicture t = make_picture(10, 10, 0);
    BackBuffer back;
    // Region starting 2 columns left of the picture: its columns 0..3 land at 22..25.
    ASSERT_EQ(draw_picture_region(&back.surface, 20, 0, 6, 1, -2, 0, &t.picture, plain), 1);
    EXPECT_EQ(back.at(21, 0), 0xEE);
    EXPECT_EQ(back.at(22, 0), t.buffer[0]);
    EXPECT_EQ(back.at(25, 0), t.buffer[3]);
    // Mirrored, the missing columns are the rightmost ones of the drawn row.
    ASSERT_EQ(draw_picture_region(&back.surface, 20, 1, 6, 1, -2, 0, &t.picture, mirrored), 1);
    EXPECT_EQ(back.at(20, 1), t.buffer[3]);
    EXPECT_EQ(back.at(23, 1), t.buffer[0]);
    EXPECT_EQ(back.at(24, 1), 0xEE);
    // A frame too wide for the picture, and rows past the capacity, are cut.
    t.picture.frame_width = 8;
    t.picture.height = 1000;
    ASSERT_EQ(draw_picture_frame(&back.surface, 100, 100, 8, 40, 1, &t.picture, turned), 1);
    // Turned, source column 8 of row 0 lands on the rectangle's bottom-right pixel.
    EXPECT_EQ(back.at(107, 139), t.buffer[8]);
    EXPECT_EQ(back.at(106, 139), t.buffer[9]);
    EXPECT_EQ(back.at(105, 139), 0xEE);
    EXPECT_EQ(back.at(107, 130), t.buffer[9 * 10 + 8]);
    EXPECT_EQ(back.at(107, 129), 0xEE);
}

// [SECTION] Fast loops against the reference

TEST(BlitReference, fast_loops_match_the_plain_loop_for_random_blits) {
    std::mt19937 rng(12345);
    auto pick = [&](int64_t lo, int64_t hi) { return lo + int64_t(rng() % uint64_t(hi - lo + 1)); };
    BackBuffer back;
    for (uint8_t& b : back.bytes) b = uint8_t(rng());
    std::vector<uint8_t> expected = back.bytes;
    const int32_t modes[] = {plain, mirrored, turned, plain, mirrored, turned, 3};
    uint32_t noise = 1; // xorshift: cheap enough to fill every picture
    auto next_noise = [&] {
        return noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
    };
    for (int i = 0; i < 2500; ++i) {
        int32_t w = int32_t(pick(0, 300)), h = int32_t(pick(0, 340));
        if (i % 5 == 0) w = int32_t(pick(1, 12)), h = int32_t(pick(1, 12));
        uint16_t cap_w = uint16_t(std::max(w, 1)), cap_h = uint16_t(std::max(h, 1));
        if (i % 7 == 0) cap_h = uint16_t(pick(1, cap_h)); // damaged: rows past the capacity
        TestPicture t = make_picture(w, h, uint8_t(pick(0, 2)), cap_w, cap_h);
        int key_share = int(pick(0, 4)); // none to all transparent
        for (uint8_t& b : t.buffer) {
            uint32_t n = next_noise();
            b = int(n & 3) < key_share ? 255 : uint8_t((n >> 8) % 255);
        }
        t.picture.frame_width = int32_t(pick(0, 90));

        int32_t x = int32_t(pick(-330, 330)), y = int32_t(pick(-420, 420));
        int32_t mode = modes[pick(0, 6)];
        int kind = int(pick(0, 2));
        int32_t bw = int32_t(pick(-5, 250)), bh = int32_t(pick(-5, 330));
        int32_t sx = int32_t(pick(-40, 320)), sy = int32_t(pick(-40, 350));
        int32_t index = int32_t(pick(-2, 6));
        int got = 0, want = 0;
        if (kind == 0) {
            got = draw_picture(&back.surface, x, y, &t.picture, mode);
            want = reference_blit(expected, x, y, w, h, 0, 0, t.picture, mode, true);
        } else if (kind == 1) {
            got = draw_picture_frame(&back.surface, x, y, bw, bh, index, &t.picture, mode);
            want = reference_blit(expected, x, y, bw, bh, int64_t(index) * t.picture.frame_width, 0,
                                  t.picture, mode, true);
        } else {
            got = draw_picture_region(&back.surface, x, y, bw, bh, sx, sy, &t.picture, mode);
            want = reference_blit(expected, x, y, bw, bh, sx, sy, t.picture, mode, false);
        }
        ASSERT_EQ(got, want) << "case " << i;
        ASSERT_EQ(back.bytes, expected)
            << "case " << i << " kind " << kind << " mode " << mode << " at " << x << "," << y;
    }
}

} // namespace
