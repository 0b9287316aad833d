// card_sheet_test.cpp -- the generated "card.nbf": 79 opaque 60 x 100 faces, every face and
// every thumbnail telling its card apart, suit-coloured frames, a back that reads turned

#include "graphics/graphics.h"
#include "platform/headless/headless.h"
#include "reading/reading.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const int kCards = 79; // 78 faces and the back
const int kBack = 78;
const int kFrameWidth = 60;
const int kFrameHeight = 100;
const int kThumbWidth = 20;
const int kThumbHeight = 33;

std::string frame_label(int card) {
    static const char* const suits[4] = {"Wands", "Cups", "Swords", "Pentacles"};
    if (card < 22) return "major " + std::to_string(card);
    if (card == kBack) return "the back";
    return std::to_string((card - 22) % 14 + 1) + " of " + suits[(card - 22) / 14];
}

int differing(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
    return n;
}

// The sheet is loaded once, through the program's own loader, into a picture of the card
// sheet's capacity.
class CardSheet : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        headless_reset();
        init_picture(&sheet, 4740, 100);
        std::wstring path = wide_path(data_dir() + "/picture/card.nbf");
        loaded = load_picture(&sheet, path.c_str());
        messages = headless_messages().size();
    }
    static void TearDownTestSuite() { release_picture(&sheet); }

    static uint8_t pixel(int card, int x, int y) {
        return sheet.pixels[static_cast<size_t>(y) * sheet.width + card * kFrameWidth + x];
    }
    static std::vector<uint8_t> frame(int card) {
        std::vector<uint8_t> out;
        for (int y = 0; y < kFrameHeight; ++y)
            for (int x = 0; x < kFrameWidth; ++x) out.push_back(pixel(card, x, y));
        return out;
    }
    // The card's thumbnail as the card reveal makes it.
    static std::vector<uint8_t> thumbnail(int card) {
        Picture thumb{};
        init_picture(&thumb, 30, 50);
        std::vector<uint8_t> out;
        if (make_thumbnail(sheet.pixels, &thumb, sheet.frame_width, sheet.frame_height, card,
                           sheet.width) == 1 &&
            thumb.width == kThumbWidth && thumb.height == kThumbHeight)
            out.assign(thumb.pixels, thumb.pixels + kThumbWidth * kThumbHeight);
        release_picture(&thumb);
        return out;
    }

    static Picture sheet;
    static int loaded;
    static size_t messages;
};

Picture CardSheet::sheet{};
int CardSheet::loaded = 0;
size_t CardSheet::messages = 0;

// [SECTION] The file

TEST_F(CardSheet, loads_as_one_strip_of_79_frames_of_60_by_100) {
    ASSERT_EQ(loaded, 1);
    EXPECT_EQ(messages, 0u);
    EXPECT_EQ(sheet.width, kCards * kFrameWidth);
    EXPECT_EQ(sheet.height, kFrameHeight);
    EXPECT_EQ(sheet.frame_width, kFrameWidth);
    EXPECT_EQ(sheet.frame_height, kFrameHeight);
    EXPECT_EQ(sheet.flag, 1); // run-length pixels
}

TEST_F(CardSheet, every_face_is_opaque_and_fully_decoded) {
    ASSERT_EQ(loaded, 1);
    for (int card = 0; card < kCards; ++card) {
        std::vector<uint8_t> f = frame(card);
        std::set<uint8_t> colours(f.begin(), f.end());
        EXPECT_EQ(colours.count(TRANSPARENT_INDEX), 0u) << frame_label(card);
        // A stream cut short would leave the zero fill (black) behind: every face is drawn.
        EXPECT_GE(colours.size(), 8u) << frame_label(card);
        int black_rows = 0;
        for (int y = 0; y < kFrameHeight; ++y) {
            bool all_black = true;
            for (int x = 0; x < kFrameWidth; ++x) all_black = all_black && pixel(card, x, y) == 0;
            black_rows += all_black;
        }
        EXPECT_LE(black_rows, 2) << frame_label(card); // only the outline rows
    }
}

// [SECTION] Telling the cards apart

TEST_F(CardSheet, faces_are_pairwise_distinct_by_more_than_a_dot) {
    ASSERT_EQ(loaded, 1);
    std::vector<std::vector<uint8_t>> faces;
    for (int card = 0; card < kCards; ++card) faces.push_back(frame(card));
    for (int a = 0; a < kCards; ++a)
        for (int b = a + 1; b < kCards; ++b)
            EXPECT_GE(differing(faces[a], faces[b]), 100)
                << frame_label(a) << " and " << frame_label(b) << " look alike";
}

TEST_F(CardSheet, thumbnails_are_pairwise_distinct_by_more_than_a_dot) {
    ASSERT_EQ(loaded, 1);
    std::vector<std::vector<uint8_t>> thumbs;
    for (int card = 0; card < kCards; ++card) {
        thumbs.push_back(thumbnail(card));
        ASSERT_EQ(thumbs.back().size(), size_t(kThumbWidth * kThumbHeight)) << frame_label(card);
    }
    // A pip of the densest layouts covers about a dozen thumbnail pixels; two thumbnails must
    // differ by at least that much to be told apart on the table.
    for (int a = 0; a < kCards; ++a)
        for (int b = a + 1; b < kCards; ++b)
            EXPECT_GE(differing(thumbs[a], thumbs[b]), 12)
                << frame_label(a) << " and " << frame_label(b) << " thumbnails look alike";
}

TEST_F(CardSheet, frame_colour_tells_the_major_arcana_and_each_suit_also_on_thumbnails) {
    ASSERT_EQ(loaded, 1);
    // The left frame column, halfway down, in the thumbnail's sampled column too.
    auto border = [](int card) { return pixel(card, 1, 49); };
    std::set<uint8_t> groups;
    for (int group = 0; group < 5; ++group) {
        int first = group == 0 ? 0 : 22 + 14 * (group - 1);
        int count = group == 0 ? 22 : 14;
        for (int card = first; card < first + count; ++card) {
            EXPECT_EQ(border(card), border(first)) << frame_label(card);
            // The thumbnails on the table keep the colour in their outer columns.
            std::vector<uint8_t> t = thumbnail(card);
            ASSERT_EQ(t.size(), size_t(kThumbWidth * kThumbHeight));
            EXPECT_EQ(t[16 * kThumbWidth], border(first)) << frame_label(card);
            EXPECT_EQ(t[16 * kThumbWidth + kThumbWidth - 1], border(first)) << frame_label(card);
        }
        groups.insert(border(first));
    }
    EXPECT_EQ(groups.size(), 5u);
}

// [SECTION] Turned cards

TEST_F(CardSheet, back_is_the_same_picture_turned) {
    ASSERT_EQ(loaded, 1);
    // Drawn face down, a reversed card must not give itself away.
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
            ASSERT_EQ(pixel(kBack, x, y), pixel(kBack, kFrameWidth - 1 - x, kFrameHeight - 1 - y))
                << "at " << x << ", " << y;
}

TEST_F(CardSheet, faces_are_not_turn_symmetric_so_reversal_shows) {
    ASSERT_EQ(loaded, 1);
    for (int card = 0; card < kBack; ++card) {
        std::vector<uint8_t> f = frame(card);
        std::vector<uint8_t> t(f.rbegin(), f.rend());
        EXPECT_GE(differing(f, t), 30) << frame_label(card) << " looks the same reversed";
    }
}

} // namespace
