// font_test.cpp -- the shipped bitmap font: its picture file, its glyphs, and a question drawn
// with it by the running program

#include "test_support.h"
#include "graphics/graphics.h"
#include "reading/reading.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

const int first_code = 33, last_code = 127;
const int baseline_row = 7; // capitals and lower case stand on it; descenders go below

// The shipped font.nbf, loaded by the program's own loader into a picture of the font's
// capacity, with the shipped palette beside it.
struct ShippedFont {
    Picture picture = {};
    Palette palette = {};
    int loaded = 0;

    ShippedFont() {
        headless_reset();
        init_picture(&picture, 240, 320);
        loaded = load_picture(&picture, wide_path(data_dir() + "/picture/font.nbf").c_str()) &&
                 load_palette(wide_path(data_dir() + "/picture/main.plf").c_str(), &palette);
    }
    ~ShippedFont() { release_picture(&picture); }

    // Palette index of pixel (x, y) of the glyph of code c.
    uint8_t at(int c, int x, int y) const {
        return picture.pixels[y * picture.width + (c - first_code) * GLYPH_WIDTH + x];
    }
    int ink_in_rows(int c, int top, int bottom) const {
        int n = 0;
        for (int y = top; y <= bottom; ++y)
            for (int x = 0; x < GLYPH_WIDTH; ++x) n += at(c, x, y) != TRANSPARENT_INDEX;
        return n;
    }
};

double luma(const uint8_t* rgb) {
    return 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2];
}

} // namespace

// [SECTION] The font picture

TEST(Font, loads_into_the_font_picture_as_a_transparent_strip_wide_enough_for_95_glyphs) {
    ShippedFont font;
    ASSERT_EQ(font.loaded, 1);
    EXPECT_TRUE(headless_messages().empty());
    EXPECT_EQ(font.picture.flag, 1) << "the glyph background must be transparent";
    EXPECT_GE(font.picture.width, (last_code - first_code + 1) * GLYPH_WIDTH);
    EXPECT_GE(font.picture.height, GLYPH_HEIGHT);
}

// A font that began with the space, or one code late, would leave its first or its last cell
// blank; a glyph drawn twice would leave some character unreadable.
TEST(Font, every_cell_from_exclamation_mark_to_127_holds_ink_and_no_two_glyphs_are_alike) {
    ShippedFont font;
    ASSERT_EQ(font.loaded, 1);
    std::set<std::vector<uint8_t>> shapes;
    for (int c = first_code; c <= last_code; ++c) {
        EXPECT_GT(font.ink_in_rows(c, 0, GLYPH_HEIGHT - 1), 0) << "code " << c;
        std::vector<uint8_t> shape;
        for (int y = 0; y < GLYPH_HEIGHT; ++y)
            for (int x = 0; x < GLYPH_WIDTH; ++x) shape.push_back(font.at(c, x, y));
        EXPECT_TRUE(shapes.insert(shape).second) << "code " << c << " repeats a glyph";
    }
}

TEST(Font, ink_is_one_light_colour_and_stays_clear_of_the_rows_of_the_next_line) {
    ShippedFont font;
    ASSERT_EQ(font.loaded, 1);
    std::set<uint8_t> inks;
    for (int c = first_code; c <= last_code; ++c) {
        // Lines are 10 rows apart: rows 10 and 11 of a glyph lie on the next line's glyphs.
        EXPECT_EQ(font.ink_in_rows(c, 10, GLYPH_HEIGHT - 1), 0) << "code " << c;
        for (int y = 0; y < GLYPH_HEIGHT; ++y)
            for (int x = 0; x < GLYPH_WIDTH; ++x)
                if (font.at(c, x, y) != TRANSPARENT_INDEX) inks.insert(font.at(c, x, y));
    }
    ASSERT_EQ(inks.size(), 1u);
    EXPECT_GT(luma(font.palette.rgb[*inks.begin()]), 200.0) << "text is read on dark boards";
}

TEST(Font, letters_and_digits_share_a_baseline_and_only_descenders_reach_below_it) {
    ShippedFont font;
    ASSERT_EQ(font.loaded, 1);
    const std::string descenders = "gjpqy";
    const std::string upright = "ABCDEFGHIJKLMNOPRSTUVWXYZ0123456789abcdefhiklmnorstuvwxz";
    for (char c : upright) {
        EXPECT_GT(font.ink_in_rows(c, baseline_row, baseline_row), 0) << c << " floats";
        EXPECT_EQ(font.ink_in_rows(c, baseline_row + 1, 9), 0) << c << " hangs below";
    }
    for (char c : descenders)
        EXPECT_GT(font.ink_in_rows(c, baseline_row + 1, 9), 0) << c << " has no descender";
    // Capitals are taller than lower case without ascenders.
    EXPECT_GT(font.ink_in_rows('E', 0, 2), 0);
    EXPECT_EQ(font.ink_in_rows('e', 0, 2), 0);
}

// [SECTION] Text drawn by the program

namespace {

std::vector<uint8_t> last_frame;

void keep_frame() {
    last_frame = headless_display_rgb();
}

} // namespace

// The love reading's first position shows its question on the font board when its card is
// turned: every ink pixel of every glyph reaches the display in the ink colour, and the
// board around the glyphs is dark enough to read it.
TEST(Font, love_question_is_drawn_glyph_by_glyph_in_ink_that_stands_out_from_its_board) {
    ShippedFont font;
    ASSERT_EQ(font.loaded, 1);
    last_frame.clear();
    run_program(data_dir(), [] {
        headless_set_step_hook(keep_frame);
        queue_love_reading_to_first_card();
    });
    ASSERT_EQ(last_frame.size(), size_t(SURFACE_WIDTH) * SURFACE_HEIGHT * 3);
    const char* question = question_text(5, 0);
    ASSERT_NE(question, nullptr);

    int mismatches = 0;
    double ink_luma = 0.0, board_luma = 0.0;
    int ink_pixels = 0, board_pixels = 0;
    for (int n = 0; question[n] != 0; ++n) {
        int c = static_cast<unsigned char>(question[n]);
        if (c < first_code || c > last_code) continue;
        int left = 11 + 6 * (n % 37), top = 10 + 10 * (n / 37);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < GLYPH_WIDTH; ++x) {
                const uint8_t* shown = &last_frame[((top + y) * SURFACE_WIDTH + left + x) * 3];
                uint8_t index = font.at(c, x, y);
                if (index == TRANSPARENT_INDEX) {
                    board_luma += luma(shown);
                    ++board_pixels;
                    continue;
                }
                const uint8_t* ink = font.palette.rgb[index];
                for (int k = 0; k < 3; ++k) mismatches += std::abs(int(shown[k]) - int(ink[k])) > 8;
                ink_luma += luma(shown);
                ++ink_pixels;
            }
        }
    }
    ASSERT_GT(ink_pixels, 0);
    EXPECT_EQ(mismatches, 0) << "glyph pixels not shown in the ink colour";
    EXPECT_GT(ink_luma / ink_pixels - board_luma / board_pixels, 100.0)
        << "the question is hard to read on its board";
}
