// layout_test.cpp -- the screen layout and the table of readings are pinned: a moved tap
// area, picture or card, a renamed picture, a changed spread or card count fails here and
// says what changed; a moved fact is then moved on purpose by updating tests/golden/layout.txt

#include "core/layout.h"
#include "reading/reading.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string narrow(const wchar_t* text) {
    std::string out;
    for (const wchar_t* c = text; c && *c; ++c) out += char(*c);
    return text ? out : "-";
}

// One line per place and per reading.
std::vector<std::string> describe_tables() {
    std::vector<std::string> lines;
    for (const LayoutEntry& e : screen_layout) {
        std::ostringstream line;
        line << "place " << e.name
             << (e.label != word_none ? std::string(" \"") + word(e.label) + "\"" : "")
             << ": picture " << narrow(e.picture) << " at " << e.x << "," << e.y << "; tap "
             << e.tap.left << ".." << e.tap.right << " x " << e.tap.top << ".." << e.tap.bottom
             << "; pressed " << narrow(e.pressed) << " at " << e.pressed_x << "," << e.pressed_y;
        lines.push_back(line.str());
    }
    for (const ReadingInfo& r : readings) {
        std::ostringstream line;
        line << "reading " << r.kind << " " << reading_name(r.kind) << ": menu entry "
             << screen_layout[r.menu_place].name << "; title " << narrow(r.title_picture) << "; "
             << r.card_count << (r.thumbnails ? " thumbnails" : " cards") << " at";
        for (int32_t p = 0; p < r.card_count; ++p)
            line << " " << r.spread[p].x << "," << r.spread[p].y;
        line << "; " << (r.first_question != word_none ? "questions" : "no questions");
        lines.push_back(line.str());
    }
    return lines;
}

TEST(Layout, places_tap_areas_and_spreads_are_the_pinned_ones) {
    const std::string golden = std::string(QUARNEL_SOURCE_DIR) + "/tests/golden/layout.txt";
    std::vector<std::string> expected;
    std::ifstream in(golden);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') expected.push_back(line);
    const std::vector<std::string> actual = describe_tables();
    const std::string written = make_test_folder("layout") + "/layout.txt";
    std::ofstream out(written);
    out << "# The screen layout and the readings, one line each; made by layout_test.cpp\n";
    for (const std::string& line : actual) out << line << "\n";
    out.close();
    for (size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
        const std::string e = i < expected.size() ? expected[i] : "(nothing)";
        const std::string a = i < actual.size() ? actual[i] : "(nothing)";
        ASSERT_EQ(a, e) << "line " << i + 1 << " of the layout differs from " << golden
                        << "; the program's tables are written to " << written
                        << ": copy it over the pinned file when the move is meant";
    }
}

TEST(Layout, readings_are_the_screens_of_their_kinds_and_their_tables_are_whole) {
    for (const ReadingInfo& r : readings) {
        SCOPED_TRACE(reading_name(r.kind));
        EXPECT_EQ(reading_info(r.kind), &r);
        EXPECT_GE(r.card_count, 1);
        EXPECT_LE(r.card_count, SPREAD_MAX);
        for (int32_t p = 0; r.first_question != word_none && p < r.card_count; ++p)
            EXPECT_NE(question_text(r.kind, p), nullptr);
        EXPECT_EQ(question_text(r.kind, r.card_count), nullptr);
    }
    for (int32_t screen : {0, int32_t(screen_title), int32_t(screen_about),
                           int32_t(screen_publisher), int32_t(screen_menu)})
        EXPECT_EQ(reading_info(screen), nullptr) << screen;
}

} // namespace
