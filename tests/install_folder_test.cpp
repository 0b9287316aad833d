// install_folder_test.cpp -- the generated install folder: every file the program names is
// there and loads into its picture, every picture fits where it is drawn, every tap area
// lies on its drawn button and every pressed picture covers its button and nothing else

#include "graphics/graphics.h"
#include "reading/reading.h"
#include "platform/headless/headless.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// [SECTION] Helpers

struct TestPicture {
    Picture p{};
    TestPicture(uint16_t w, uint16_t h) { init_picture(&p, w, h); }
    ~TestPicture() { release_picture(&p); }
    int load(const std::string& name) {
        std::wstring path = wide_path(data_dir() + "/picture/" + name);
        return load_picture(&p, path.c_str());
    }
    uint8_t at(int x, int y) const { return p.pixels[static_cast<size_t>(y) * p.width + x]; }
};

// A back buffer composed with the program's own loader and blitter.
struct TestScreen {
    Surface s{};
    TestPicture work{1500, 300};
    TestScreen() {
        init_surface(&s);
        clear_surface(&s, 0, 0, 240, 320, 0);
    }
    ~TestScreen() { release_surface(&s); }
    void draw(const std::string& name, int x, int y) {
        ASSERT_EQ(work.load(name), 1) << name;
        ASSERT_EQ(draw_picture(&s, x, y, &work.p, plain), 1) << name;
    }
    uint8_t at(int x, int y) const { return s.pixels[y * 240 + x]; }
    std::vector<uint8_t> pixels() const { return std::vector<uint8_t>(s.pixels, s.pixels + 76800); }
};

const Palette& colours() {
    static Palette p{};
    static bool loaded = false;
    if (!loaded) {
        std::wstring path = wide_path(data_dir() + "/picture/main.plf");
        loaded = load_palette(path.c_str(), &p) == 1;
    }
    return p;
}

double distance(const double a[3], const double b[3]) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

// A tap area, bounds excluded, as the screens test it.
struct Area {
    const char* what;
    int left, right, top, bottom;
};

// The centre of the area stands out from the mean colour of a ring `gap` pixels outside it
// (only its left and right sides for entries stacked one above the other).
void expect_on_a_button(const TestScreen& screen, const Area& a, int gap = 8,
                        bool sides_only = false) {
    double mean[3] = {0, 0, 0};
    int n = 0;
    auto add = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= 240 || y >= 320) return;
        for (int k = 0; k < 3; ++k) mean[k] += colours().rgb[screen.at(x, y)][k];
        ++n;
    };
    if (!sides_only)
        for (int x = a.left - gap; x <= a.right + gap; ++x)
            add(x, a.top - gap), add(x, a.bottom + gap);
    for (int y = a.top - gap; y <= a.bottom + gap; ++y) add(a.left - gap, y), add(a.right + gap, y);
    ASSERT_GT(n, 0) << a.what;
    for (double& m : mean) m /= n;
    // The mean of a 5 x 3 block at the centre, so a glyph's edge does not decide.
    double centre[3] = {0, 0, 0};
    int cx = (a.left + a.right) / 2, cy = (a.top + a.bottom) / 2;
    for (int y = cy - 1; y <= cy + 1; ++y)
        for (int x = cx - 2; x <= cx + 2; ++x)
            for (int k = 0; k < 3; ++k) centre[k] += colours().rgb[screen.at(x, y)][k] / 15.0;
    EXPECT_GT(distance(centre, mean), 30.0) << a.what << ": the centre looks like its surroundings";
}

// Drawing the pressed picture changes the area's centre, every change lies within `slack`
// pixels of the area, and the picture covers the whole area.
void expect_pressed_covers(const TestScreen& screen, const Area& a, const std::string& pressed,
                           int x, int y, int slack = 6) {
    TestScreen after;
    std::copy(screen.s.pixels, screen.s.pixels + 76800, after.s.pixels);
    after.draw(pressed, x, y);
    EXPECT_LE(x, a.left + 1) << pressed;
    EXPECT_LE(y, a.top + 1) << pressed;
    EXPECT_GE(x + after.work.p.width, a.right) << pressed;
    EXPECT_GE(y + after.work.p.height, a.bottom) << pressed;
    int cx = (a.left + a.right) / 2, cy = (a.top + a.bottom) / 2;
    EXPECT_NE(after.at(cx, cy), screen.at(cx, cy)) << pressed << " does not change its button";
    int stray = 0;
    for (int py = 0; py < 320; ++py)
        for (int px = 0; px < 240; ++px)
            if (after.at(px, py) != screen.at(px, py) &&
                (px < a.left - slack || px > a.right + slack || py < a.top - slack ||
                 py > a.bottom + slack))
                ++stray;
    EXPECT_EQ(stray, 0) << pressed << " changes pixels away from its button";
}

// [SECTION] Every named file is there and loads

struct Named {
    std::string name;
    int x, y; // where a screen draws it
};

std::string file_of(const wchar_t* picture) {
    std::string name;
    for (const wchar_t* c = picture + 1; *c; ++c) name += char(*c);
    return name;
}

// Every picture the screens load into the work picture, at each place they draw it: the
// layout's pictures and pressed looks, the readings' titles, and the scroll ball at the foot
// of its run. The frame and the card sheet have pictures of their own; the closing pages are
// the publisher pages drawn 25 rows lower, their foot cut off.
std::vector<Named> work_pictures() {
    std::vector<Named> out;
    for (int i = 0; i < PLACE_COUNT; ++i) {
        const LayoutEntry& e = screen_layout[i];
        const bool own_picture = i == place_frame || i == place_enlarged_card;
        const bool closing = i == place_farewell_1 || i == place_farewell_2;
        if (e.picture && !own_picture && !closing) out.push_back({file_of(e.picture), e.x, e.y});
        if (e.pressed) out.push_back({file_of(e.pressed), e.pressed_x, e.pressed_y});
    }
    const LayoutEntry& title = screen_layout[place_reading_title];
    for (const ReadingInfo& r : readings)
        out.push_back({file_of(r.title_picture), title.x, title.y});
    out.push_back({"scroll_ball.nbf", BALL_X, BALL_TOP + BALL_TRAVEL});
    return out;
}

TEST(InstallFolder, every_work_picture_loads_and_lies_on_the_screen_where_it_is_drawn) {
    headless_reset();
    TestPicture work(1500, 300);
    for (const Named& n : work_pictures()) {
        ASSERT_EQ(work.load(n.name), 1) << n.name;
        EXPECT_GT(work.p.width, 0) << n.name;
        EXPECT_LE(n.x + work.p.frame_width, 240) << n.name << " runs off the right edge";
        EXPECT_LE(n.y + work.p.height, 320) << n.name << " runs off the bottom";
    }
    EXPECT_TRUE(headless_messages().empty());
}

TEST(InstallFolder, start_up_pictures_fit_their_own_pictures_and_full_screens_fill_the_screen) {
    headless_reset();
    TestPicture font(240, 320), cards(4740, 100), frame(240, 174), work(1500, 300);
    EXPECT_EQ(font.load("font.nbf"), 1);
    EXPECT_GE(font.p.width, 380);
    EXPECT_GE(font.p.height, 12);
    ASSERT_EQ(cards.load("card.nbf"), 1);
    EXPECT_EQ(cards.p.frame_width, 60);
    EXPECT_EQ(cards.p.frame_height, 100);
    EXPECT_GE(cards.p.width, 79 * 60);
    ASSERT_EQ(frame.load("title_frame.nbf"), 1);
    EXPECT_EQ(frame.p.width, 240);
    EXPECT_EQ(frame.p.height, 174);
    EXPECT_EQ(frame.p.flag, 1);
    for (const char* name :
         {"main.nbf", "menu.nbf", "abouttarot.nbf", "vorngame01.nbf", "vorngame02.nbf"}) {
        ASSERT_EQ(work.load(name), 1) << name;
        EXPECT_EQ(work.p.width, 240) << name;
        EXPECT_EQ(work.p.height, 320) << name;
    }
    EXPECT_TRUE(headless_messages().empty());
}

TEST(InstallFolder, palette_card_texts_and_every_sound_are_there) {
    headless_reset();
    Palette p{};
    std::wstring plf = wide_path(data_dir() + "/picture/main.plf");
    ASSERT_EQ(load_palette(plf.c_str(), &p), 1);
    EXPECT_EQ(p.rgb[0][0] + p.rgb[0][1] + p.rgb[0][2], 0) << "index 0 is black";
    std::vector<std::string> files = {"/picture/CardDB.dat"};
    for (const char* s :
         {"start.wav", "start.WAV", "ico.wav", "end.wav", "main.wav", "shufflecard.WAV"})
        files.push_back(std::string("/sound/") + s);
    for (const std::string& f : files) {
        std::wstring path = wide_path(data_dir() + f);
        FileHandle h = open_file(path.c_str());
        EXPECT_NE(h, INVALID_FILE) << f;
        if (h != INVALID_FILE) close_file(h);
    }
}

TEST(InstallFolder, pictures_drawn_over_older_content_have_no_transparent_holes) {
    // Only the frame, the font and the card sheet may let what is under them show through;
    // a hole in any other picture would show stale pixels of the screen before.
    headless_reset();
    TestPicture work(1500, 300);
    for (const Named& n : work_pictures()) {
        ASSERT_EQ(work.load(n.name), 1) << n.name;
        int holes = 0;
        for (int y = 0; y < work.p.height; ++y)
            for (int x = 0; x < work.p.width; ++x) holes += work.at(x, y) == 255;
        EXPECT_EQ(work.p.flag == 1 ? holes : 0, 0) << n.name;
    }
}

// [SECTION] Shapes the screens rely on

TEST(InstallFolder, frame_is_transparent_wherever_later_drawing_must_show_through) {
    headless_reset();
    TestPicture frame(240, 174), work(1500, 300);
    ASSERT_EQ(frame.load("title_frame.nbf"), 1);
    auto open = [&](int x0, int y0, int x1, int y1, const char* what) {
        int solid = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) solid += frame.at(x, y) != 255;
        EXPECT_EQ(solid, 0) << what;
    };
    open(10, 46, 69, 145, "enlarged card");
    open(80, 55, 221, 139, "text window");
    open(5, 50, 229, 139, "area the shuffle screen clears");
    ASSERT_EQ(work.load("shuffletext.nbf"), 1);
    open(40, 80, 40 + work.p.width - 1, 80 + work.p.height - 1, "shuffle text");
    // The header under the title and question board is solid.
    int holes = 0;
    for (int y = 0; y < 44; ++y)
        for (int x = 0; x < 240; ++x) holes += frame.at(x, y) == 255;
    EXPECT_EQ(holes, 0);
}

TEST(InstallFolder, shuffle_strip_has_six_opaque_frames_the_size_of_the_deck) {
    headless_reset();
    TestPicture strip(1500, 300), deck(1500, 300);
    ASSERT_EQ(deck.load("shuffle_01.nbf"), 1);
    ASSERT_EQ(strip.load("shuffle.nbf"), 1);
    EXPECT_EQ(strip.p.frame_width, deck.p.width);
    EXPECT_EQ(strip.p.frame_height, deck.p.height);
    EXPECT_EQ(strip.p.height, deck.p.height);
    ASSERT_GE(strip.p.width, 6 * strip.p.frame_width);
    EXPECT_LE(175 + strip.p.frame_height, 256) << "the animation must not cover the table";
    int transparent = 0, changing = 0;
    for (int y = 0; y < strip.p.height; ++y)
        for (int x = 0; x < 6 * strip.p.frame_width; ++x) transparent += strip.at(x, y) == 255;
    for (int f = 1; f < 6; ++f)
        for (int y = 0; y < strip.p.frame_height; ++y)
            for (int x = 0; x < strip.p.frame_width; ++x)
                changing += strip.at(f * strip.p.frame_width + x, y) != strip.at(x, y);
    EXPECT_EQ(transparent, 0) << "each frame must replace the one before";
    EXPECT_GT(changing, 1000) << "the frames should move";
    // The animation ends on the deck at rest.
    int last = 0;
    for (int y = 0; y < deck.p.height; ++y)
        for (int x = 0; x < deck.p.width; ++x)
            last += strip.at(5 * strip.p.frame_width + x, y) != deck.at(x, y);
    EXPECT_EQ(last, 0);
}

TEST(InstallFolder, text_boards_and_pop_up_stay_inside_the_areas_the_program_clears) {
    headless_reset();
    TestPicture work(1500, 300);
    ASSERT_EQ(work.load("shuffletext.nbf"), 1);
    EXPECT_LE(40 + work.p.width, 230);
    EXPECT_LE(80 + work.p.height, 140);
    ASSERT_EQ(work.load("shuffle_pop.nbf"), 1);
    EXPECT_LE(45 + work.p.width, 230);
    EXPECT_LE(70 + work.p.height, 140);
    ASSERT_EQ(work.load("scroll_ball.nbf"), 1);
    EXPECT_LE(work.p.width, 12);
    EXPECT_LE(124 + work.p.height, 130) << "the ball must stay above the down arrow";
    ASSERT_EQ(work.load("fontboard.nbf"), 1);
    EXPECT_GE(5 + work.p.height, 42) << "the board must hide the title";
    // Where the question's glyphs go (columns 11..230, rows 10..31) the board is dark.
    int light = 0;
    for (int y = 10; y <= 31; ++y)
        for (int x = 11; x <= 230; ++x) {
            const uint8_t* c = colours().rgb[work.at(x, y - 5)];
            light += c[0] + c[1] + c[2] > 120;
        }
    EXPECT_EQ(light, 0);
}

TEST(InstallFolder, titles_sit_seamlessly_in_the_frame_and_the_question_board_hides_them) {
    headless_reset();
    TestPicture frame(240, 174), work(1500, 300);
    ASSERT_EQ(frame.load("title_frame.nbf"), 1);
    std::vector<std::vector<uint8_t>> titles;
    for (const char* name : {"title_desire.nbf", "title_today.nbf", "title_past.nbf",
                             "title_love.nbf", "title_business.nbf", "title_money.nbf"}) {
        ASSERT_EQ(work.load(name), 1) << name;
        ASSERT_LE(38 + work.p.width, 224) << name << " reaches the scroll bar";
        ASSERT_LE(12 + work.p.height, 46) << name << " reaches the card";
        // The outermost ring of the title repeats the frame under it.
        int seams = 0;
        for (int y = 0; y < work.p.height; ++y)
            for (int x = 0; x < work.p.width; ++x)
                if (x == 0 || y == 0 || x == work.p.width - 1 || y == work.p.height - 1)
                    seams += work.at(x, y) != frame.at(38 + x, 12 + y);
        EXPECT_EQ(seams, 0) << name;
        titles.emplace_back(work.p.pixels, work.p.pixels + work.p.width * work.p.height);
    }
    for (size_t i = 0; i < titles.size(); ++i)
        for (size_t j = i + 1; j < titles.size(); ++j) EXPECT_NE(titles[i], titles[j]);
    ASSERT_EQ(work.load("title_love.nbf"), 1);
    int title_w = work.p.width, title_h = work.p.height;
    ASSERT_EQ(work.load("fontboard.nbf"), 1);
    int open = 0;
    for (int y = 12; y < 12 + title_h; ++y)
        for (int x = 38; x < 38 + title_w; ++x)
            open +=
                y < 5 || y >= 5 + work.p.height || x >= work.p.width || work.at(x, y - 5) == 255;
    EXPECT_EQ(open, 0) << "the title must not show through the question board";
}

// [SECTION] Tap areas and pressed pictures

void draw_place(TestScreen& screen, LayoutId place) {
    const LayoutEntry& e = screen_layout[place];
    screen.draw(file_of(e.picture), e.x, e.y);
}

// The shuffle screen as entering a reading draws it.
void draw_shuffle_screen(TestScreen& screen) {
    TestPicture frame(240, 174);
    ASSERT_EQ(frame.load(file_of(screen_layout[place_frame].picture)), 1);
    draw_place(screen, place_shuffle_text);
    draw_picture(&screen.s, 0, 0, &frame.p, plain);
    draw_place(screen, place_shuffle_table);
    const LayoutEntry& title = screen_layout[place_reading_title];
    screen.draw(file_of(title_picture_name(kind_love)), title.x, title.y);
    draw_place(screen, place_shuffle_deck);
    draw_place(screen, place_shuffle_back);
    draw_place(screen, place_shuffle_next);
}

// The card table after the shuffle screen, as the program draws it.
void draw_card_table(TestScreen& screen) {
    draw_shuffle_screen(screen);
    clear_surface(&screen.s, 5, 50, 235, 150, 0);
    TestPicture frame(240, 174);
    ASSERT_EQ(frame.load(file_of(screen_layout[place_frame].picture)), 1);
    draw_picture(&screen.s, 0, 0, &frame.p, plain);
    draw_place(screen, place_scroll_bar);
    draw_place(screen, place_card_table);
    const LayoutEntry& title = screen_layout[place_reading_title];
    screen.draw(file_of(title_picture_name(kind_love)), title.x, title.y);
    draw_place(screen, place_table_exit);
    draw_place(screen, place_table_menu);
}

// How each button of the layout is checked: the screen it lies on, the gap of the ring its
// centre must stand out from (-1: it need not, as an arrow on its bar), whether only the ring's
// sides count (entries stacked one above the other), and how far from the tap area its
// pressed look may change pixels.
struct ButtonCheck {
    LayoutId place;
    void (*screen)(TestScreen&);
    int gap;
    bool sides_only;
    int slack;
};

void title_screen(TestScreen& s) {
    draw_place(s, place_title);
}
void menu_screen(TestScreen& s) {
    draw_place(s, place_menu);
}
void about_screen(TestScreen& s) {
    draw_place(s, place_about);
}
void publisher_1_screen(TestScreen& s) {
    draw_place(s, place_publisher_1);
}
void publisher_2_screen(TestScreen& s) {
    draw_place(s, place_publisher_2);
}

const ButtonCheck kButtons[] = {
    {place_title_start, title_screen, 6, false, 11},
    {place_title_exit, title_screen, 6, false, 11},
    {place_menu_desire, menu_screen, 12, true, 8},
    {place_menu_today, menu_screen, 12, true, 8},
    {place_menu_past, menu_screen, 12, true, 8},
    {place_menu_love, menu_screen, 12, true, 8},
    {place_menu_business, menu_screen, 12, true, 8},
    {place_menu_money, menu_screen, 12, true, 8},
    {place_menu_about, menu_screen, 12, true, 8},
    {place_menu_publisher, menu_screen, 12, true, 8},
    {place_menu_exit, menu_screen, 12, true, 8},
    {place_shuffle_deck, draw_shuffle_screen, 10, false, 6},
    {place_shuffle_back, draw_shuffle_screen, 6, false, 6},
    {place_shuffle_next, draw_shuffle_screen, 6, false, 6},
    {place_scroll_up, draw_card_table, -1, false, 4},
    {place_scroll_down, draw_card_table, -1, false, 4},
    {place_table_exit, draw_card_table, 6, false, 6},
    {place_table_menu, draw_card_table, 6, false, 6},
    {place_about_back, about_screen, 4, false, 6},
    {place_publisher_1_back, publisher_1_screen, 4, false, 6},
    {place_publisher_1_next, publisher_1_screen, 4, false, 6},
    {place_publisher_2_back, publisher_2_screen, 4, false, 6},
    {place_publisher_2_menu, publisher_2_screen, 3, false, 6},
};

TEST(InstallFolder, every_tap_area_of_the_layout_lies_on_its_drawn_button_and_its_pressed_look) {
    // Read from the program's own layout: a moved tap area, pressed picture or button art
    // that no longer match fail here.
    headless_reset();
    int checked = 0;
    for (const ButtonCheck& b : kButtons) {
        const LayoutEntry& e = screen_layout[b.place];
        SCOPED_TRACE(e.name);
        ASSERT_TRUE(is_tappable(b.place));
        TestScreen screen;
        b.screen(screen);
        const Area area = {e.name, e.tap.left, e.tap.right, e.tap.top, e.tap.bottom};
        if (b.gap >= 0) expect_on_a_button(screen, area, b.gap, b.sides_only);
        if (e.pressed)
            expect_pressed_covers(screen, area, file_of(e.pressed), e.pressed_x, e.pressed_y,
                                  b.slack);
        // A place with a picture of its own is the button: the tap area lies on it.
        if (e.picture) {
            TestPicture own(1500, 300);
            ASSERT_EQ(own.load(file_of(e.picture)), 1);
            EXPECT_LE(e.x, e.tap.left + 1);
            EXPECT_LE(e.y, e.tap.top + 1);
            EXPECT_GE(e.x + own.p.width, e.tap.right);
            EXPECT_GE(e.y + own.p.height, e.tap.bottom);
        }
        ++checked;
    }
    int tappable = 0;
    for (int i = 0; i < PLACE_COUNT; ++i) tappable += is_tappable(LayoutId(i));
    EXPECT_EQ(checked, tappable) << "every tap area of the layout is checked";
}

TEST(InstallFolder, card_table_scroll_arrows_stand_out_from_their_track) {
    headless_reset();
    TestScreen screen;
    draw_card_table(screen);
    const HitBox& up = screen_layout[place_scroll_up].tap;
    const HitBox& down = screen_layout[place_scroll_down].tap;
    const int x = (up.left + up.right) / 2;
    const int track = screen.at(x, (up.bottom + down.top) / 2);
    EXPECT_NE(screen.at(x, (up.top + up.bottom) / 2), track);
    EXPECT_NE(screen.at(x, (down.top + down.bottom) / 2), track);
}

TEST(InstallFolder, scroll_ball_anywhere_on_its_run_changes_only_its_own_rows_of_the_bar) {
    headless_reset();
    TestScreen bare, with_ball;
    bare.draw("frame_scroll_01.nbf", 224, 48);
    for (int y = 67; y <= 124; ++y) {
        std::copy(bare.s.pixels, bare.s.pixels + 76800, with_ball.s.pixels);
        with_ball.draw("scroll_ball.nbf", 226, y);
        int changed = 0, outside = 0;
        for (int py = 48; py < 147; ++py)
            for (int px = 224; px < 240; ++px) {
                if (with_ball.at(px, py) == bare.at(px, py)) continue;
                ++changed;
                outside += py < y || py >= y + with_ball.work.p.height;
            }
        EXPECT_GT(changed, 10) << "ball at " << y;
        EXPECT_EQ(outside, 0) << "ball at " << y;
    }
}

} // namespace
