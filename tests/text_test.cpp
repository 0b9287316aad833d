// text_test.cpp -- glyphs from the font picture and the fixed 37-character text layout

#include "graphics/graphics.h"
#include "platform/headless/headless.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const int FONT_WIDTH = 380, FONT_HEIGHT = 12;

// Draws into a private back buffer with a synthetic font whose every pixel is distinct by
// column and row, so a glyph drawn from the wrong place shows.
class TextLayout : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_reset();
        saved_surface = surface, saved_font = font_picture;
        font_pixels.resize(FONT_WIDTH * FONT_HEIGHT);
        for (int r = 0; r < FONT_HEIGHT; ++r)
            for (int c = 0; c < FONT_WIDTH; ++c)
                font_pixels[r * FONT_WIDTH + c] = uint8_t(1 + (c * 7 + r * 61) % 250);
        font = Picture{};
        font.capacity_width = FONT_WIDTH, font.capacity_height = FONT_HEIGHT;
        font.width = FONT_WIDTH, font.height = FONT_HEIGHT;
        font.pixels = font.cursor = font_pixels.data();
        back.assign(SURFACE_SIZE, 0);
        back_surface = Surface{back.data(), back.data()};
        surface = &back_surface, font_picture = &font;
        expected = back;
    }
    void TearDown() override { surface = saved_surface, font_picture = saved_font; }

    // Puts the glyph of code c at (x, y) into the expected buffer, opaque.
    void expect_glyph(int c, int x, int y) {
        for (int r = 0; r < GLYPH_HEIGHT; ++r)
            for (int k = 0; k < GLYPH_WIDTH; ++k)
                expected[(y + r) * 240 + x + k] = font_pixels[r * FONT_WIDTH + (c - 33) * 4 + k];
    }
    size_t drawn() const {
        return size_t(std::count_if(back.begin(), back.end(), [](uint8_t b) { return b != 0; }));
    }

    Surface* saved_surface = nullptr;
    Picture* saved_font = nullptr;
    std::vector<uint8_t> font_pixels, back, expected;
    Picture font{};
    Surface back_surface{};
};

TEST_F(TextLayout, empty_text_draws_nothing) {
    draw_text("");
    EXPECT_EQ(drawn(), 0u);
}

TEST_F(TextLayout, first_glyphs_sit_at_eleven_and_seventeen) {
    draw_text("AB");
    expect_glyph('A', 11, 10); // font columns 128 to 131
    expect_glyph('B', 17, 10); // font columns 132 to 135
    EXPECT_EQ(back, expected);
    EXPECT_EQ(drawn(), 96u);
}

TEST_F(TextLayout, thirty_eighth_character_starts_the_next_line) {
    std::string text(38, '#');
    text[37] = '~';
    draw_text(text.c_str());
    for (int i = 0; i < 37; ++i) expect_glyph('#', 11 + 6 * i, 10);
    expect_glyph('~', 11, 20); // drawn last, over the bottom rows of the first line
    EXPECT_EQ(back, expected);
    EXPECT_EQ(expected[10 * 240 + 227 + 3], font_pixels[('#' - 33) * 4 + 3]); // ends at 230
}

TEST_F(TextLayout, spaces_line_feeds_and_high_bytes_are_empty_cells) {
    draw_text("     !\n\x7F\xC8\r\"");
    expect_glyph('!', 41, 10);
    expect_glyph(127, 53, 10); // the font's last glyph, columns 376 to 379
    expect_glyph('"', 71, 10);
    EXPECT_EQ(back, expected);
    EXPECT_EQ(font_pixels[376], expected[10 * 240 + 53]);
}

TEST_F(TextLayout, preformatted_question_wraps_only_after_thirty_seven_cells) {
    const char* question = "Does my lover have high standards andgood values?";
    draw_text(question);
    for (int i = 0; question[i]; ++i)
        if (question[i] != ' ') expect_glyph(question[i], 11 + 6 * (i % 37), 10 + 10 * (i / 37));
    EXPECT_EQ(back, expected);
    EXPECT_NE(back[20 * 240 + 11], 0); // "good" starts the second line
}

TEST_F(TextLayout, glyph_rule_covers_codes_33_to_127_and_honours_the_fonts_transparency) {
    draw_glyph(32, 0, 0);
    draw_glyph(128, 0, 0);
    draw_glyph(-56, 0, 0);
    EXPECT_EQ(drawn(), 0u);
    draw_glyph(33, -2, 300); // clipped like any region: columns 0 to 3 from x = 0
    expect_glyph(33, 0, 300);
    EXPECT_EQ(back, expected);

    font.flag = 1; // background 255 shows what lies beneath
    for (int r = 0; r < FONT_HEIGHT; ++r) font_pixels[r * FONT_WIDTH + ('x' - 33) * 4 + 1] = 255;
    std::fill(back.begin(), back.end(), 9);
    draw_glyph('x', 100, 100);
    for (int r = 0; r < GLYPH_HEIGHT; ++r) {
        EXPECT_EQ(back[(100 + r) * 240 + 101], 9);
        EXPECT_EQ(back[(100 + r) * 240 + 100], font_pixels[r * FONT_WIDTH + ('x' - 33) * 4]);
    }
}

} // namespace
