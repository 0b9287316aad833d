// install_folder_test.cpp -- the generated install folder: every file the program names is
// there and loads into its picture, every picture fits where it is drawn, every tap area
// lies on its drawn button and every pressed picture covers its button and nothing else

#include "graphics/graphics.h"
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
    const char* name;
    int x, y; // where a screen draws it
};

const Named kWorkPictures[] = {
    {"main.nbf", 0, 0},
    {"button_start_02.nbf", 164, 268},
    {"buttonexit03.nbf", 164, 292},
    {"menu.nbf", 0, 0},
    {"menu_sub_desire2.nbf", 0, 107},
    {"menu_sub_today2.nbf", 0, 127},
    {"menu_sub_past2.nbf", 0, 147},
    {"menu_sub_love2.nbf", 0, 167},
    {"menu_sub_business2.nbf", 0, 187},
    {"menu_sub_money2.nbf", 0, 207},
    {"menu_sub_tarot2.nbf", 2, 232},
    {"menu_sub_vorn2.nbf", 2, 257},
    {"menu_sub_exit2.nbf", 2, 283},
    {"abouttarot.nbf", 0, 0},
    {"button_back_02.nbf", 87, 291},
    {"button_back_02.nbf", 9, 294},
    {"button_back_02.nbf", 14, 294},
    {"vorngame01.nbf", 0, 0},
    {"vorngame02.nbf", 0, 0},
    {"button_next_02.nbf", 156, 293},
    {"button_menu_02.nbf", 158, 294},
    {"title_desire.nbf", 38, 12},
    {"title_today.nbf", 38, 12},
    {"title_past.nbf", 38, 12},
    {"title_love.nbf", 38, 12},
    {"title_business.nbf", 38, 12},
    {"title_money.nbf", 38, 12},
    {"shuffletext.nbf", 40, 80},
    {"shuffletable.nbf", 0, 256},
    {"shuffle_01.nbf", 88, 175},
    {"shuffle_pop.nbf", 45, 70},
    {"newback.nbf", 0, 270},
    {"newnext.nbf", 220, 270},
    {"newback02.nbf", 0, 270},
    {"newnext02.nbf", 220, 270},
    {"table.nbf", 0, 173},
    {"newexit.nbf", 0, 270},
    {"newmenu.nbf", 220, 270},
    {"newexit02.nbf", 0, 270},
    {"newmenu02.nbf", 220, 270},
    {"frame_scroll_01.nbf", 224, 48},
    {"frame_scroll_02_up.nbf", 224, 48},
    {"frame_scroll_02_down.nbf", 224, 129},
    {"scroll_ball.nbf", 226, 124},
    {"fontboard.nbf", 0, 5},
};

TEST(InstallFolder, every_work_picture_loads_and_lies_on_the_screen_where_it_is_drawn) {
    headless_reset();
    TestPicture work(1500, 300);
    for (const Named& n : kWorkPictures) {
        ASSERT_EQ(work.load(n.name), 1) << n.name;
        EXPECT_GT(work.p.width, 0) << n.name;
        EXPECT_LE(n.x + work.p.width, 240) << n.name << " runs off the right edge";
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
    for (const Named& n : kWorkPictures) {
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

TEST(InstallFolder, title_buttons_lie_under_their_tap_areas_and_pressed_pictures_cover_them) {
    headless_reset();
    TestScreen screen;
    screen.draw("main.nbf", 0, 0);
    Area start = {"start", 173, 222, 273, 290}, exit = {"exit", 176, 219, 297, 312};
    expect_on_a_button(screen, start, 6);
    expect_on_a_button(screen, exit, 6);
    expect_pressed_covers(screen, start, "button_start_02.nbf", 164, 268, 11);
    expect_pressed_covers(screen, exit, "buttonexit03.nbf", 164, 292, 11);
}

TEST(InstallFolder, each_menu_item_lies_under_its_tap_area_and_its_pressed_picture_covers_it) {
    headless_reset();
    TestScreen screen;
    screen.draw("menu.nbf", 0, 0);
    struct Item {
        Area area;
        const char* pressed;
        int x, y;
    };
    const Item items[] = {
        {{"desire", 85, 140, 111, 125}, "menu_sub_desire2.nbf", 0, 107},
        {{"today", 92, 134, 130, 145}, "menu_sub_today2.nbf", 0, 127},
        {{"past", 50, 177, 149, 164}, "menu_sub_past2.nbf", 0, 147},
        {{"love", 101, 130, 171, 185}, "menu_sub_love2.nbf", 0, 167},
        {{"business", 87, 143, 191, 202}, "menu_sub_business2.nbf", 0, 187},
        {{"money", 88, 139, 211, 223}, "menu_sub_money2.nbf", 0, 207},
        {{"about tarot", 38, 194, 232, 258}, "menu_sub_tarot2.nbf", 2, 232},
        {{"publisher", 46, 190, 257, 285}, "menu_sub_vorn2.nbf", 2, 257},
        {{"exit", 99, 137, 283, 316}, "menu_sub_exit2.nbf", 2, 283},
    };
    for (const Item& i : items) {
        expect_on_a_button(screen, i.area, 12, true);
        expect_pressed_covers(screen, i.area, i.pressed, i.x, i.y, 8);
    }
}

TEST(InstallFolder, one_pressed_back_picture_fits_the_back_buttons_of_all_three_pages) {
    headless_reset();
    struct Page {
        const char* picture;
        Area back;
        int x, y;
    };
    const Page pages[] = {{"abouttarot.nbf", {"about back", 96, 149, 296, 311}, 87, 291},
                          {"vorngame01.nbf", {"first page back", 17, 70, 297, 314}, 9, 294},
                          {"vorngame02.nbf", {"second page back", 23, 76, 298, 314}, 14, 294}};
    for (const Page& p : pages) {
        TestScreen screen;
        screen.draw(p.picture, 0, 0);
        expect_on_a_button(screen, p.back, 4);
        expect_pressed_covers(screen, p.back, "button_back_02.nbf", p.x, p.y);
    }
    TestScreen first, second;
    first.draw("vorngame01.nbf", 0, 0);
    second.draw("vorngame02.nbf", 0, 0);
    Area next = {"next", 168, 218, 299, 313}, menu = {"menu", 168, 218, 299, 316};
    expect_on_a_button(first, next, 4);
    expect_on_a_button(second, menu, 3);
    expect_pressed_covers(first, next, "button_next_02.nbf", 156, 293);
    expect_pressed_covers(second, menu, "button_menu_02.nbf", 158, 294);
}

// The shuffle screen as entering a reading draws it.
void draw_shuffle_screen(TestScreen& screen) {
    TestPicture frame(240, 174);
    ASSERT_EQ(frame.load("title_frame.nbf"), 1);
    screen.draw("shuffletext.nbf", 40, 80);
    draw_picture(&screen.s, 0, 0, &frame.p, plain);
    screen.draw("shuffletable.nbf", 0, 256);
    screen.draw("title_love.nbf", 38, 12);
    screen.draw("shuffle_01.nbf", 88, 175);
    screen.draw("newback.nbf", 0, 270);
    screen.draw("newnext.nbf", 220, 270);
}

TEST(InstallFolder, shuffle_screen_deck_and_corner_buttons_lie_under_their_tap_areas) {
    headless_reset();
    TestScreen screen;
    draw_shuffle_screen(screen);
    Area deck = {"deck", 95, 145, 200, 243}, back = {"back", 0, 20, 270, 320},
         next = {"next", 220, 240, 270, 320};
    expect_on_a_button(screen, deck, 10);
    expect_on_a_button(screen, back, 6);
    expect_on_a_button(screen, next, 6);
    expect_pressed_covers(screen, back, "newback02.nbf", 0, 270);
    expect_pressed_covers(screen, next, "newnext02.nbf", 220, 270);
}

TEST(InstallFolder, card_table_buttons_and_scroll_arrows_lie_under_their_tap_areas) {
    headless_reset();
    TestScreen screen;
    draw_shuffle_screen(screen);
    clear_surface(&screen.s, 5, 50, 235, 150, 0);
    TestPicture frame(240, 174);
    ASSERT_EQ(frame.load("title_frame.nbf"), 1);
    draw_picture(&screen.s, 0, 0, &frame.p, plain);
    screen.draw("frame_scroll_01.nbf", 224, 48);
    screen.draw("table.nbf", 0, 173);
    screen.draw("title_love.nbf", 38, 12);
    screen.draw("newexit.nbf", 0, 270);
    screen.draw("newmenu.nbf", 220, 270);
    Area exit = {"exit", 0, 20, 270, 320}, menu = {"menu", 220, 240, 270, 320};
    expect_on_a_button(screen, exit, 6);
    expect_on_a_button(screen, menu, 6);
    expect_pressed_covers(screen, exit, "newexit02.nbf", 0, 270);
    expect_pressed_covers(screen, menu, "newmenu02.nbf", 220, 270);
    // The arrows: their centres differ from the track between them, and pressing them
    // changes only the arrow.
    Area up = {"up", 224, 236, 48, 66}, down = {"down", 224, 236, 129, 146};
    int track = screen.at(230, 100);
    EXPECT_NE(screen.at(230, 57), track);
    EXPECT_NE(screen.at(230, 137), track);
    expect_pressed_covers(screen, up, "frame_scroll_02_up.nbf", 224, 48, 4);
    expect_pressed_covers(screen, down, "frame_scroll_02_down.nbf", 224, 129, 4);
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
