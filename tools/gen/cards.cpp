// cards.cpp -- the 79 card faces of "card.nbf": 22 Major Arcana, four suits of 14, the back

#include "gen.h"
#include "core/geometry.h"
#include "core/words.h"

#include <cmath>
#include <cstdio>

// Every face is 60 x 100: a black edge, a coloured frame (rows and columns 1..3), a label
// band at the top repeated upside down at the bottom (so the label also reads the right way
// up on a reversed card), and a picture field in rows 14..85, columns 4..55, centred on (30, 50).
// The program also shows each card as a 20 x 33 thumbnail of the centre pixels of its 3 x 3 blocks,
// so the art is made of bold shapes and flat colour fields.

namespace {

const double kPi = 3.14159265358979323846;

// [SECTION] Colours (taken from the shared palette's ramps so they map cleanly)

const Rgb ink = {0, 0, 0};
const Rgb white = {250, 242, 222};
const Rgb snow = {240, 240, 240};
const Rgb cream = {243, 231, 204};
const Rgb sand = {229, 208, 167};
const Rgb gold = {225, 186, 80};
const Rgb gold_light = {248, 230, 164};
const Rgb gold_dark = {142, 99, 27};
const Rgb yellow = {255, 192, 64};
const Rgb sun_yellow = {255, 255, 128};
const Rgb orange = {230, 120, 63};
const Rgb red = {199, 65, 33};
const Rgb red_dark = {126, 21, 20};
const Rgb wine = {150, 31, 24};
const Rgb violet = {74, 38, 117};
const Rgb violet_dark = {43, 18, 75};
const Rgb violet_mid = {110, 68, 160};
const Rgb lavender = {181, 148, 221};
const Rgb night = {26, 39, 91};
const Rgb night_dark = {13, 19, 52};
const Rgb blue = {68, 95, 164};
const Rgb sky = {128, 192, 255};
const Rgb sky_pale = {176, 200, 240};
const Rgb sky_soft = {154, 179, 225};
const Rgb teal = {44, 117, 138};
const Rgb teal_dark = {19, 73, 94};
const Rgb water = {90, 169, 186};
const Rgb green = {60, 119, 56};
const Rgb green_dark = {30, 77, 36};
const Rgb leaf = {108, 167, 88};
const Rgb meadow = {176, 216, 140};
const Rgb brown = {103, 69, 39};
const Rgb brown_light = {165, 130, 86};
const Rgb brown_dark = {65, 42, 24};
const Rgb skin = {239, 202, 172};
const Rgb steel = {208, 208, 208};
const Rgb silver = {224, 224, 224};
const Rgb blade = {176, 200, 240};
const Rgb grey = {144, 144, 144};
const Rgb grey_dark = {96, 96, 96};
const Rgb slate = {48, 48, 48};
const Rgb coal = {32, 32, 32};

// [SECTION] Shape helpers
// A Pose places a symbol drawn in its own units: (u, v) -> (x, y) scaled, turned by angle
// degrees and moved to (x, y). Outlined drawings run twice: pass 0 lays a black outline
// under every part, pass 1 fills the parts, so touching parts share one outline.

struct Pose {
    double x, y, scale, angle;
};

const Pose flat = {0.0, 0.0, 1.0, 0.0};

Pose pose_at(double x, double y, double scale = 1.0, double angle = 0.0) {
    return {x, y, scale, angle};
}

void place(const Pose& p, double u, double v, double& x, double& y) {
    double a = p.angle * kPi / 180.0;
    double ca = std::cos(a), sa = std::sin(a);
    x = p.x + p.scale * (u * ca - v * sa);
    y = p.y + p.scale * (u * sa + v * ca);
}

std::vector<double> placed(const Pose& p, const std::vector<double>& uv) {
    std::vector<double> xy(uv.size());
    for (size_t i = 0; i + 1 < uv.size(); i += 2) place(p, uv[i], uv[i + 1], xy[i], xy[i + 1]);
    return xy;
}

// Points of an ellipse and of an n-pointed star, in local units.
std::vector<double> ellipse_uv(double u, double v, double ru, double rv, int n = 32) {
    std::vector<double> uv;
    for (int i = 0; i < n; ++i) {
        double t = 2.0 * kPi * i / n;
        uv.push_back(u + ru * std::cos(t));
        uv.push_back(v + rv * std::sin(t));
    }
    return uv;
}

std::vector<double> star_uv(double u, double v, double outer, double inner, int points,
                            double turn_degrees = 0.0) {
    std::vector<double> uv;
    for (int i = 0; i < 2 * points; ++i) {
        double r = (i % 2 == 0) ? outer : inner;
        double t = (turn_degrees - 90.0) * kPi / 180.0 + kPi * i / points;
        uv.push_back(u + r * std::cos(t));
        uv.push_back(v + r * std::sin(t));
    }
    return uv;
}

const double kOutline = 1.0; // outline width outside each part, in pixels

void part_poly(Canvas& c, int pass, const Pose& p, const std::vector<double>& uv, Rgb fill) {
    std::vector<double> xy = placed(p, uv);
    if (pass == 0) {
        size_t n = xy.size() / 2;
        for (size_t i = 0; i < n; ++i) {
            size_t j = (i + 1) % n;
            stroke_line(c, xy[2 * i], xy[2 * i + 1], xy[2 * j], xy[2 * j + 1], 2.0 * kOutline, ink);
        }
        fill_polygon(c, xy, ink);
    } else {
        fill_polygon(c, xy, fill);
    }
}

void part_line(Canvas& c, int pass, const Pose& p, double u0, double v0, double u1, double v1,
               double width, Rgb fill) {
    double x0, y0, x1, y1;
    place(p, u0, v0, x0, y0);
    place(p, u1, v1, x1, y1);
    double w = width * p.scale;
    if (pass == 0)
        stroke_line(c, x0, y0, x1, y1, w + 2.0 * kOutline, ink);
    else
        stroke_line(c, x0, y0, x1, y1, w, fill);
}

void part_disc(Canvas& c, int pass, const Pose& p, double u, double v, double ru, double rv,
               Rgb fill) {
    if (p.angle != 0.0) {
        part_poly(c, pass, p, ellipse_uv(u, v, ru, rv), fill);
        return;
    }
    double x, y;
    place(p, u, v, x, y);
    double o = pass == 0 ? kOutline : 0.0;
    fill_ellipse(c, x, y, ru * p.scale + o, rv * p.scale + o, pass == 0 ? ink : fill);
}

void part_ring(Canvas& c, int pass, const Pose& p, double u, double v, double ru, double rv,
               double width, Rgb fill) {
    double x, y;
    place(p, u, v, x, y);
    double w = width * p.scale + (pass == 0 ? 2.0 * kOutline : 0.0);
    stroke_ellipse(c, x, y, ru * p.scale, rv * p.scale, w, pass == 0 ? ink : fill);
}

// Plain (not outlined) shapes in local units.
void poly(Canvas& c, const Pose& p, const std::vector<double>& uv, Rgb fill) {
    fill_polygon(c, placed(p, uv), fill);
}

void line(Canvas& c, const Pose& p, double u0, double v0, double u1, double v1, double width,
          Rgb fill) {
    double x0, y0, x1, y1;
    place(p, u0, v0, x0, y0);
    place(p, u1, v1, x1, y1);
    stroke_line(c, x0, y0, x1, y1, width * p.scale, fill);
}

void disc(Canvas& c, double x, double y, double r, Rgb fill) {
    fill_ellipse(c, x, y, r, r, fill);
}

// A 180-degree turned copy.
Canvas turned(const Canvas& src) {
    Canvas out = src;
    size_t n = static_cast<size_t>(src.width) * src.height;
    for (size_t i = 0; i < n; ++i)
        for (int k = 0; k < 4; ++k) out.rgba[i * 4 + k] = src.rgba[(n - 1 - i) * 4 + k];
    return out;
}

template <class Parts> void outlined(Parts parts) {
    parts(0);
    parts(1);
}

// [SECTION] Card frame and label bands

struct Look {
    Rgb frame;      // the frame around the card
    Rgb frame_dark; // its inner edge and the lines under the bands
    Rgb band;       // the label bands
    Rgb band_ink;   // the label text
    Rgb field;      // the picture field
};

const Look major_look = {gold, gold_dark, violet_dark, gold_light, violet};

// Suits in frame order: wands, cups, swords, pentacles.
enum Suit { wands = 0, cups = 1, swords = 2, pentacles = 3 };

const Look suit_looks[4] = {
    {red, red_dark, red_dark, gold_light, cream},
    {teal, teal_dark, teal_dark, gold_light, cream},
    {grey_dark, slate, slate, snow, cream},
    {green, green_dark, green_dark, gold_light, cream},
};

// The robes of the court figures.
const Rgb suit_robes[4] = {red, teal, blue, green};

// The label is the words of a row of the words table (a court card's rank), or `numeral` for
// a word_none row (a number, or a Major Arcana's numeral).
Canvas card_base(const Look& look, int word, const std::string& numeral, Rgb field) {
    const std::string label = word == word_none ? numeral : words(word);
    Canvas c = make_canvas(CARD_WIDTH, CARD_HEIGHT, ink);
    fill_rounded_rect(c, 1, 1, 59, 99, 3, look.frame);
    fill_rect(c, 3, 3, 57, 97, look.frame_dark);
    fill_rect(c, 4, 4, 56, 96, field);
    if (!label.empty()) {
        Canvas band = make_canvas(52, 9, look.band);
        double size = string_width(label, 8, face_sans_bold) > 48 ? 7 : 8;
        if (string_width(label, size, face_sans_bold) > 50)
            size = fit_label(word, label, 7, 6, 50, face_sans_bold);
        draw_string(band, label, 26, 7, size, look.band_ink, face_sans_bold, 1);
        // Six and nine are underlined, as on playing cards: a turned card shows the bottom
        // band's label at its top, and the line tells which way up the numeral is.
        if (label == "6" || label == "9") fill_rect(band, 23, 8, 29, 9, look.band_ink);
        blit(c, band, 4, 4);
        blit(c, turned(band), 4, 87);
        fill_rect(c, 4, 13, 56, 14, look.frame_dark);
        fill_rect(c, 4, 86, 56, 87, look.frame_dark);
    }
    return c;
}

// [SECTION] Suit symbols
// Each symbol is about 12 wide and 16 tall at scale 1, centred on its pose.

void wand_parts(Canvas& c, int pass, const Pose& p) {
    part_line(c, pass, p, 0, -7, 0, 7.6, 3.2, brown);
    part_disc(c, pass, p, 0, -7.4, 2.2, 2.2, brown_light);
    Pose leaf_a = p;
    place(p, 2.7, -3.0, leaf_a.x, leaf_a.y);
    leaf_a.angle = p.angle - 35.0;
    part_disc(c, pass, leaf_a, 0, 0, 2.7, 1.4, leaf);
    Pose leaf_b = p;
    place(p, -2.7, 1.8, leaf_b.x, leaf_b.y);
    leaf_b.angle = p.angle + 35.0;
    part_disc(c, pass, leaf_b, 0, 0, 2.7, 1.4, leaf);
    if (pass == 1) line(c, p, 0.7, -5, 0.7, 6.5, 0.8, brown_light);
}

void cup_parts(Canvas& c, int pass, const Pose& p) {
    std::vector<double> bowl;
    for (int i = 0; i <= 12; ++i) {
        double t = kPi * i / 12.0;
        bowl.push_back(5.6 * std::cos(t));
        bowl.push_back(-6.5 + 6.5 * std::sin(t));
    }
    part_poly(c, pass, p, bowl, gold);
    part_line(c, pass, p, 0, 0, 0, 5, 2.0, gold);
    part_poly(c, pass, p, {-4.5, 7.5, 4.5, 7.5, 2.0, 4.5, -2.0, 4.5}, gold);
    if (pass == 1) {
        poly(c, p, ellipse_uv(0, -6.4, 4.6, 1.3, 16), gold_dark);
        poly(c, p, {-3.8, -3.5, 3.8, -3.5, 3.4, -2.2, -3.4, -2.2}, red);
    }
}

void sword_parts(Canvas& c, int pass, const Pose& p) {
    part_poly(c, pass, p, {-2.0, 3.0, 2.0, 3.0, 2.0, -4.5, 0, -8.0, -2.0, -4.5}, blade);
    part_line(c, pass, p, -4.8, 3.8, 4.8, 3.8, 2.0, gold);
    part_line(c, pass, p, 0, 4.8, 0, 6.6, 2.0, brown);
    part_disc(c, pass, p, 0, 7.3, 1.6, 1.6, gold);
    if (pass == 1) line(c, p, 0, 1.8, 0, -4.5, 0.8, blue);
}

void pentacle_parts(Canvas& c, int pass, const Pose& p) {
    part_disc(c, pass, p, 0, 0, 6.6, 6.6, gold);
    if (pass == 1) {
        part_ring(c, 1, p, 0, 0, 5.3, 5.3, 0.7, gold_dark);
        poly(c, p, star_uv(0, 0, 4.6, 1.9, 5), red_dark);
    }
}

void suit_parts(Canvas& c, int pass, int suit, const Pose& p) {
    if (suit == wands) wand_parts(c, pass, p);
    if (suit == cups) cup_parts(c, pass, p);
    if (suit == swords) sword_parts(c, pass, p);
    if (suit == pentacles) pentacle_parts(c, pass, p);
}

void suit_symbol(Canvas& c, int suit, const Pose& p) {
    suit_parts(c, 0, suit, p);
    suit_parts(c, 1, suit, p);
}

// [SECTION] Pip cards (Ace .. Ten)

struct Pip {
    double x, y;
};

const double kLeft = 17.0, kMid = 30.0, kRight = 43.0;

std::vector<Pip> pip_layout(int count) {
    switch (count) {
    case 2:
        return {{kMid, 33}, {kMid, 67}};
    case 3:
        return {{kMid, 27}, {kMid, 50}, {kMid, 73}};
    case 4:
        return {{kLeft, 32}, {kRight, 32}, {kLeft, 68}, {kRight, 68}};
    case 5:
        return {{kLeft, 29}, {kRight, 29}, {kMid, 50}, {kLeft, 71}, {kRight, 71}};
    case 6:
        return {{kLeft, 27}, {kRight, 27}, {kLeft, 50}, {kRight, 50}, {kLeft, 73}, {kRight, 73}};
    case 7:
        return {{kLeft, 27},  {kRight, 27}, {kMid, 38.5}, {kLeft, 50},
                {kRight, 50}, {kLeft, 73},  {kRight, 73}};
    case 8:
        return {{kLeft, 27},  {kRight, 27}, {kMid, 38.5}, {kLeft, 50},
                {kRight, 50}, {kMid, 61.5}, {kLeft, 73},  {kRight, 73}};
    case 9:
        return {{kLeft, 24},   {kRight, 24},   {kLeft, 41.5}, {kRight, 41.5}, {kMid, 50},
                {kLeft, 58.5}, {kRight, 58.5}, {kLeft, 76},   {kRight, 76}};
    default:
        return {{kLeft, 24},   {kRight, 24},   {kMid, 33}, {kLeft, 41.5}, {kRight, 41.5},
                {kLeft, 58.5}, {kRight, 58.5}, {kMid, 67}, {kLeft, 76},   {kRight, 76}};
    }
}

double pip_scale(int count, int suit) {
    if (count == 2) return suit == pentacles ? 1.3 : 1.45;
    if (count == 3) return suit == wands || suit == swords ? 1.22 : 1.3;
    if (count <= 5) return 1.15;
    if (count <= 8) return 1.0;
    return 0.88;
}

// The rank labels: the words of the court cards and the ace, the numbers of the others.
const int rank_words[14] = {word_card_ace,   word_none,     word_none,      word_none,
                            word_none,       word_none,     word_none,      word_none,
                            word_none,       word_none,     word_card_page, word_card_knight,
                            word_card_queen, word_card_king};
const char* const rank_numbers[14] = {"", "2", "3", "4", "5", "6", "7", "8", "9", "10"};

void draw_ace(Canvas& c, int suit) {
    fill_ellipse(c, 30, 50, 23, 23, gold_light);
    stroke_ellipse(c, 30, 50, 23, 23, 2.0, suit_looks[suit].frame);
    for (int i = 0; i < 12; ++i) {
        double t = 2.0 * kPi * i / 12.0 + kPi / 12.0;
        stroke_line(c, 30 + 15 * std::cos(t), 50 + 15 * std::sin(t), 30 + 20 * std::cos(t),
                    50 + 20 * std::sin(t), 1.6, gold);
    }
    suit_symbol(c, suit, pose_at(30, 50, suit == pentacles ? 2.5 : 2.3));
}

void draw_pips(Canvas& c, int suit, int count) {
    double s = pip_scale(count, suit);
    double tilt = suit == wands ? 20.0 : 0.0;
    for (int pass = 0; pass < 2; ++pass)
        for (const Pip& pip : pip_layout(count))
            suit_parts(c, pass, suit, pose_at(pip.x, pip.y, s, tilt));
}

// [SECTION] Court cards (Page, Knight, Queen, King)
// A bust with its own headgear, holding the suit's symbol at its side.

void draw_court(Canvas& c, int suit, int rank) {
    const double cx = 26.0;
    const Pose at = flat;
    bool knight = rank == 1;
    // Behind the head: the queen's veil, long hair.
    auto back = [&](int pass) {
        if (rank == 2) {
            part_poly(c, pass, at, {cx - 11, 36, cx + 11, 36, cx + 16, 70, cx - 16, 70}, snow);
        }
        if (rank == 0 || rank == 2) part_disc(c, pass, at, cx, 50, 9, 10, gold_dark);
    };
    outlined(back);
    // Shoulders and robe.
    auto body = [&](int pass) {
        Rgb robe = knight ? steel : suit_robes[suit];
        part_poly(c, pass, at, {cx - 7, 60, cx + 7, 60, cx + 20, 86, cx - 20, 86}, robe);
        part_line(c, pass, at, cx, 54, cx, 63, 5.5, knight ? steel : skin);
    };
    outlined(body);
    if (knight) {
        poly(c, at, {cx - 5, 63, cx + 5, 63, cx + 9, 86, cx - 9, 86}, suit_robes[suit]);
        stroke_line(c, cx - 13, 70, cx + 13, 70, 1.2, grey);
    } else {
        poly(c, at, {cx - 6, 61, cx + 6, 61, cx, 70}, gold);
        stroke_line(c, cx, 70, cx, 86, 2.0, gold);
    }
    // Head and headgear.
    auto head = [&](int pass) {
        if (knight) {
            part_poly(c, pass, at, {cx, 34, cx - 3, 28, cx - 10, 22, cx - 16, 28, cx - 8, 36},
                      suit_robes[suit]);
            part_disc(c, pass, at, cx, 47, 9.5, 11.5, steel);
            return;
        }
        part_disc(c, pass, at, cx, 48, 8, 9.5, skin);
        if (rank == 0) {
            part_poly(c, pass, at, {cx + 3, 38, cx + 11, 23, cx + 17, 21, cx + 11, 39}, white);
            part_disc(c, pass, at, cx + 1, 39, 11.5, 4.5, suit_robes[suit]);
        }
        if (rank == 2) {
            part_poly(c, pass, at,
                      {cx - 8, 41, cx + 8, 41, cx + 9, 32, cx + 4.5, 36, cx, 30, cx - 4.5, 36,
                       cx - 9, 32},
                      gold);
        }
        if (rank == 3) {
            part_poly(c, pass, at, {cx - 7, 53, cx + 7, 53, cx + 6, 62, cx, 66, cx - 6, 62}, grey);
            part_poly(
                c, pass, at,
                {cx - 9, 41, cx + 9, 41, cx + 10, 23, cx + 5, 31, cx, 20, cx - 5, 31, cx - 10, 23},
                gold);
        }
    };
    outlined(head);
    if (knight) {
        fill_rect(c, cx - 7, 44, cx + 7, 47, ink);
        fill_rect(c, cx - 1.2, 44, cx + 1.2, 54, ink);
        stroke_line(c, cx, 36, cx, 43, 1.0, grey);
    } else {
        disc(c, cx - 3, 47, 1.1, ink);
        disc(c, cx + 3, 47, 1.1, ink);
        if (rank != 3) stroke_line(c, cx - 2, 52.5, cx + 2, 52.5, 1.0, red_dark);
        if (rank == 3) {
            for (double x : {cx - 5, cx, cx + 5}) disc(c, x, 36, 1.4, red);
            stroke_line(c, cx - 2.5, 55, cx + 2.5, 55, 1.0, slate);
        }
        if (rank == 2) disc(c, cx, 37, 1.4, red);
    }
    // The suit symbol in the right hand.
    Pose held = pose_at(45, 64, 1.15);
    if (suit == wands || suit == swords) held = pose_at(45, 60, 1.3);
    suit_parts(c, 0, suit, held);
    part_disc(c, 0, flat, 41, 72, 2.6, 2.6, skin);
    suit_parts(c, 1, suit, held);
    part_disc(c, 1, flat, 41, 72, 2.6, 2.6, skin);
}

// [SECTION] Major Arcana emblems

void crescent(Canvas& c, double x, double y, double r, double dx, double dy, Rgb moon, Rgb sky_) {
    fill_ellipse(c, x, y, r + kOutline, r + kOutline, ink);
    fill_ellipse(c, x, y, r, r, moon);
    fill_ellipse(c, x + dx, y + dy, r * 0.86, r * 0.86, sky_);
}

void lemniscate(Canvas& c, double x, double y, double rx, double ry, double width, Rgb colour) {
    stroke_ellipse(c, x - rx, y, rx, ry, width + 2, ink);
    stroke_ellipse(c, x + rx, y, rx, ry, width + 2, ink);
    stroke_ellipse(c, x - rx, y, rx, ry, width, colour);
    stroke_ellipse(c, x + rx, y, rx, ry, width, colour);
}

void small_star(Canvas& c, double x, double y, double r, Rgb colour, int points = 4) {
    fill_polygon(c, star_uv(x, y, r, r * 0.38, points), colour);
}

void emblem_fool(Canvas& c) {
    fill_ellipse(c, 47, 24, 6, 6, yellow);
    fill_polygon(c, {4, 86, 4, 77, 22, 75, 38, 77, 41, 86}, ink);
    fill_polygon(c, {4, 86, 4, 78, 22, 76, 37, 78, 40, 86}, leaf);
    auto cap = [&](int pass) {
        part_poly(c, pass, flat, {14, 66, 12, 54, 10, 44, 6, 32, 14, 38, 20, 47, 27, 66}, red);
        part_poly(c, pass, flat, {46, 66, 48, 54, 50, 44, 54, 32, 46, 38, 40, 47, 33, 66}, red);
        part_poly(c, pass, flat, {23, 66, 24, 49, 27, 36, 30, 26, 33, 36, 36, 49, 37, 66}, green);
        part_disc(c, pass, flat, 6, 31, 3.3, 3.3, gold);
        part_disc(c, pass, flat, 30, 25, 3.3, 3.3, gold);
        part_disc(c, pass, flat, 54, 31, 3.3, 3.3, gold);
        part_poly(c, pass, flat, {12, 64, 48, 64, 48, 74, 12, 74}, gold);
    };
    outlined(cap);
    for (int i = 0; i < 5; ++i) {
        double x = 16 + 7 * i;
        fill_polygon(c, {x, 66, x + 2.5, 69, x, 72, x - 2.5, 69}, i % 2 ? green : red);
    }
}

void emblem_magician(Canvas& c) {
    lemniscate(c, 30, 25, 7, 4.5, 2.6, gold);
    auto parts = [&](int pass) {
        part_line(c, pass, flat, 30, 37, 30, 62, 3.6, white);
        part_disc(c, pass, flat, 30, 36, 2.6, 2.6, white);
        part_poly(c, pass, flat, {6, 62, 54, 62, 54, 68, 6, 68}, brown_light);
        part_poly(c, pass, flat, {9, 68, 51, 68, 51, 85, 9, 85}, red);
    };
    outlined(parts);
    stroke_line(c, 9, 75, 51, 75, 1.6, gold);
    cup_parts(c, 0, pose_at(15, 55, 0.75));
    cup_parts(c, 1, pose_at(15, 55, 0.75));
    pentacle_parts(c, 0, pose_at(45, 56, 0.75));
    pentacle_parts(c, 1, pose_at(45, 56, 0.75));
}

void emblem_priestess(Canvas& c) {
    auto pillars = [&](int pass) {
        for (int side = 0; side < 2; ++side) {
            double x = side == 0 ? 14 : 46;
            Rgb colour = side == 0 ? grey_dark : snow;
            part_poly(c, pass, flat, {x - 4, 24, x + 4, 24, x + 4, 80, x - 4, 80}, colour);
            part_poly(c, pass, flat, {x - 7, 19, x + 7, 19, x + 7, 24, x - 7, 24}, colour);
            part_poly(c, pass, flat, {x - 7, 80, x + 7, 80, x + 7, 85, x - 7, 85}, colour);
        }
    };
    outlined(pillars);
    draw_string(c, "B", 14, 56, 8, snow, face_sans_bold, 1);
    draw_string(c, "J", 46, 56, 8, slate, face_sans_bold, 1);
    crescent(c, 30, 31, 8, 3.5, -2.5, gold_light, night);
    auto scroll = [&](int pass) {
        part_poly(c, pass, flat, {24, 50, 36, 50, 36, 72, 24, 72}, white);
        part_disc(c, pass, flat, 30, 50, 7, 2.2, sand);
        part_disc(c, pass, flat, 30, 72, 7, 2.2, sand);
    };
    outlined(scroll);
    for (int i = 0; i < 4; ++i) stroke_line(c, 26.5, 56 + 4 * i, 33.5, 56 + 4 * i, 1.0, grey);
}

void emblem_empress(Canvas& c) {
    for (int i = 0; i < 5; ++i) {
        double t = (200.0 + 35.0 * i) * kPi / 180.0;
        small_star(c, 30 + 20 * std::cos(t), 46 + 24 * std::sin(t), 3.8, yellow, 5);
    }
    auto heart = [&](int pass) {
        part_disc(c, pass, flat, 22.5, 45, 8.5, 8.5, red);
        part_disc(c, pass, flat, 37.5, 45, 8.5, 8.5, red);
        part_poly(c, pass, flat, {14.3, 47.5, 45.7, 47.5, 30, 70}, red);
    };
    outlined(heart);
    auto venus = [&](int pass) {
        part_ring(c, pass, flat, 30, 46, 5.5, 5.5, 2.8, gold_light);
        part_line(c, pass, flat, 30, 52, 30, 62, 2.8, gold_light);
        part_line(c, pass, flat, 25.5, 57.5, 34.5, 57.5, 2.8, gold_light);
    };
    outlined(venus);
    for (int i = -1; i <= 1; ++i) {
        double tx = 30 + 7 * i, ty = 74;
        stroke_line(c, 30, 85, tx, ty, 1.4, gold_dark);
        fill_ellipse(c, tx, ty, 1.8, 3.2, gold);
    }
}

void emblem_emperor(Canvas& c) {
    auto throne = [&](int pass) {
        part_poly(c, pass, flat, {12, 28, 48, 28, 48, 85, 12, 85}, grey);
        part_ring(c, pass, flat, 12, 27, 4.5, 4.5, 2.6, gold);
        part_ring(c, pass, flat, 48, 27, 4.5, 4.5, 2.6, gold);
    };
    outlined(throne);
    fill_rect(c, 16, 32, 44, 85, steel);
    auto orb = [&](int pass) {
        part_line(c, pass, flat, 30, 28, 30, 44, 3.4, gold);
        part_line(c, pass, flat, 24.5, 34, 35.5, 34, 3.4, gold);
        part_disc(c, pass, flat, 30, 56, 13, 13, gold);
    };
    outlined(orb);
    stroke_line(c, 17.5, 56, 42.5, 56, 3.0, gold_dark);
    stroke_line(c, 30, 43.5, 30, 56, 3.0, gold_dark);
    disc(c, 30, 56, 3.0, red);
    disc(c, 24, 50, 2.0, gold_light);
}

void key_parts(Canvas& c, int pass, const Pose& p, Rgb metal, bool bit_right) {
    part_ring(c, pass, p, 0, -17, 5, 5, 3, metal);
    part_line(c, pass, p, 0, -12, 0, 18, 3.2, metal);
    double s = bit_right ? 1.0 : -1.0;
    part_poly(c, pass, p,
              {s * 1, 10, s * 7, 10, s * 7, 13, s * 4.5, 13, s * 4.5, 15, s * 7, 15, s * 7, 18.5,
               s * 1, 18.5},
              metal);
}

void emblem_hierophant(Canvas& c) {
    Pose a = pose_at(30, 59, 0.95, -32);
    Pose b = pose_at(30, 59, 0.95, 32);
    key_parts(c, 0, a, gold, true);
    key_parts(c, 1, a, gold, true);
    key_parts(c, 0, b, silver, false);
    key_parts(c, 1, b, silver, false);
    auto tiara = [&](int pass) {
        part_line(c, pass, flat, 30, 15, 30, 21, 1.8, gold);
        part_line(c, pass, flat, 27, 17.5, 33, 17.5, 1.8, gold);
        part_poly(c, pass, flat, {21, 36, 39, 36, 38, 28, 35, 23, 30, 21, 25, 23, 22, 28}, snow);
    };
    outlined(tiara);
    for (double y : {25.0, 29.5, 34.0}) {
        double half = y < 27 ? 5.5 : (y < 31 ? 8 : 8.8);
        fill_rect(c, 30 - half, y - 1, 30 + half, y + 1, gold);
    }
}

void emblem_lovers(Canvas& c) {
    fill_ellipse(c, 30, 26, 10, 10, gold_light);
    auto heart = [&](int pass) {
        part_disc(c, pass, flat, 26.5, 24, 4.3, 4.3, red);
        part_disc(c, pass, flat, 33.5, 24, 4.3, 4.3, red);
        part_poly(c, pass, flat, {22.4, 25.5, 37.6, 25.5, 30, 35}, red);
    };
    outlined(heart);
    auto people = [&](int pass) {
        part_disc(c, pass, flat, 41, 53, 6.5, 8, gold);
        part_poly(c, pass, flat, {14, 60, 22, 60, 28, 86, 8, 86}, blue);
        part_poly(c, pass, flat, {38, 60, 46, 60, 52, 86, 32, 86}, red);
        part_line(c, pass, flat, 22, 64, 30, 70, 2.6, skin);
        part_line(c, pass, flat, 38, 64, 30, 70, 2.6, skin);
        part_disc(c, pass, flat, 18, 51, 5, 5.5, skin);
        part_disc(c, pass, flat, 42, 51, 5, 5.5, skin);
    };
    outlined(people);
    fill_ellipse(c, 18, 46.5, 5, 2.2, brown);
    fill_ellipse(c, 42, 46.5, 5.2, 2.4, gold);
}

void wheel_parts(Canvas& c, int pass, double x, double y, double r, int spokes, Rgb rim,
                 Rgb inside) {
    part_disc(c, pass, flat, x, y, r, r, rim);
    if (pass == 0) return;
    fill_ellipse(c, x, y, r * 0.72, r * 0.72, ink);
    fill_ellipse(c, x, y, r * 0.72 - 1, r * 0.72 - 1, inside);
    for (int i = 0; i < spokes; ++i) {
        double t = 2.0 * kPi * i / spokes;
        stroke_line(c, x, y, x + r * 0.72 * std::cos(t), y + r * 0.72 * std::sin(t),
                    std::max(1.4, r * 0.13), rim);
    }
    fill_ellipse(c, x, y, r * 0.24 + 1, r * 0.24 + 1, ink);
    fill_ellipse(c, x, y, r * 0.24, r * 0.24, rim);
}

void emblem_chariot(Canvas& c) {
    for (auto& s : std::vector<Pip>{{9, 19}, {51, 19}, {30, 17}, {8, 40}, {52, 40}})
        small_star(c, s.x, s.y, 2.4, gold_light);
    auto parts = [&](int pass) {
        part_line(c, pass, flat, 15, 30, 15, 52, 2.4, gold);
        part_line(c, pass, flat, 45, 30, 45, 52, 2.4, gold);
        part_poly(c, pass, flat, {9, 24, 51, 24, 51, 31, 9, 31}, blue);
        part_poly(c, pass, flat, {11, 48, 49, 48, 45, 72, 15, 72}, steel);
        wheel_parts(c, pass, 13, 73, 9, 6, gold, night);
        wheel_parts(c, pass, 47, 73, 9, 6, gold, night);
    };
    outlined(parts);
    for (int i = 0; i < 4; ++i) small_star(c, 15 + 10 * i, 27.5, 2.2, gold_light);
    fill_polygon(c, {30, 56, 19, 53, 22, 59}, red);
    fill_polygon(c, {30, 56, 41, 53, 38, 59}, red);
    fill_ellipse(c, 30, 57, 4, 4, ink);
    fill_ellipse(c, 30, 57, 3, 3, gold);
}

void emblem_strength(Canvas& c) {
    lemniscate(c, 30, 20, 4.5, 3, 2.0, gold_dark);
    auto lion = [&](int pass) {
        part_poly(c, pass, flat, star_uv(30, 54, 21, 16, 18), orange);
        part_disc(c, pass, flat, 20.5, 42, 3.6, 3.6, gold);
        part_disc(c, pass, flat, 39.5, 42, 3.6, 3.6, gold);
        part_disc(c, pass, flat, 30, 55, 11, 12.5, gold);
    };
    outlined(lion);
    fill_ellipse(c, 20.5, 42, 1.6, 1.6, gold_dark);
    fill_ellipse(c, 39.5, 42, 1.6, 1.6, gold_dark);
    fill_ellipse(c, 30, 62, 6.5, 4.5, gold_light);
    fill_ellipse(c, 25, 51, 1.8, 1.4, ink);
    fill_ellipse(c, 35, 51, 1.8, 1.4, ink);
    fill_polygon(c, {26.5, 57, 33.5, 57, 30, 61}, brown_dark);
    stroke_line(c, 30, 60, 30, 63, 1.0, brown_dark);
    stroke_line(c, 30, 63, 26.5, 65, 1.0, brown_dark);
    stroke_line(c, 30, 63, 33.5, 65, 1.0, brown_dark);
}

void emblem_hermit(Canvas& c) {
    fill_ellipse(c, 34, 54, 20, 20, blue);
    fill_ellipse(c, 34, 54, 14, 14, sky_soft);
    auto parts = [&](int pass) {
        part_line(c, pass, flat, 13, 18, 13, 85, 3.0, brown_light);
        part_ring(c, pass, flat, 34, 35, 3.5, 3.5, 1.8, gold);
        part_poly(c, pass, flat, {25, 43, 43, 43, 34, 37}, gold);
        part_poly(c, pass, flat, {27, 43, 41, 43, 41, 64, 27, 64}, gold_light);
        part_poly(c, pass, flat, {25, 64, 43, 64, 34, 70}, gold);
    };
    outlined(parts);
    fill_polygon(c, star_uv(34, 53.5, 6, 3.4, 6), snow);
    fill_polygon(c, star_uv(34, 53.5, 3.8, 2.2, 6), yellow);
    stroke_line(c, 27.5, 43, 27.5, 64, 1.5, gold_dark);
    stroke_line(c, 40.5, 43, 40.5, 64, 1.5, gold_dark);
}

void emblem_wheel(Canvas& c) {
    for (int i = 0; i < 2; ++i) small_star(c, i ? 50 : 10, 20, 4, gold_light);
    auto stand = [&](int pass) {
        part_poly(c, pass, flat, {27, 60, 33, 60, 38, 82, 22, 82}, brown);
        part_poly(c, pass, flat, {14, 81, 46, 81, 46, 85, 14, 85}, brown_light);
    };
    outlined(stand);
    wheel_parts(c, 0, 30, 47, 20, 8, gold, blue);
    wheel_parts(c, 1, 30, 47, 20, 8, gold, blue);
    for (int i = 0; i < 4; ++i) {
        double t = 2.0 * kPi * i / 4 + kPi / 4;
        disc(c, 30 + 17.2 * std::cos(t), 47 + 17.2 * std::sin(t), 1.6, red);
    }
    disc(c, 30, 47, 2.2, red);
    auto pointer = [&](int pass) { part_poly(c, pass, flat, {25, 19, 35, 19, 30, 29}, red); };
    outlined(pointer);
}

void emblem_justice(Canvas& c) {
    auto sword = [&](int pass) {
        part_poly(c, pass, flat, {27.5, 70, 32.5, 70, 32.5, 25, 30, 18, 27.5, 25}, silver);
        part_line(c, pass, flat, 20, 71, 40, 71, 3.2, gold);
        part_line(c, pass, flat, 30, 73, 30, 80, 3.2, brown);
        part_disc(c, pass, flat, 30, 82, 2.8, 2.8, gold);
    };
    outlined(sword);
    stroke_line(c, 30, 27, 30, 66, 1.0, grey);
    for (int side = 0; side < 2; ++side) {
        double x = side == 0 ? 12 : 48;
        stroke_line(c, 30, 35, x, 35, 2.6 + 2, ink);
        stroke_line(c, x, 35, x - 6, 54, 1.0, gold_light);
        stroke_line(c, x, 35, x + 6, 54, 1.0, gold_light);
    }
    auto scales = [&](int pass) {
        part_line(c, pass, flat, 12, 35, 48, 35, 2.6, gold);
        part_disc(c, pass, flat, 30, 35, 3, 3, gold);
        for (double x : {12.0, 48.0}) {
            std::vector<double> pan;
            for (int i = 0; i <= 10; ++i) {
                double t = kPi * i / 10.0;
                pan.push_back(x + 8 * std::cos(t));
                pan.push_back(54 + 5 * std::sin(t));
            }
            part_poly(c, pass, flat, pan, gold);
        }
    };
    outlined(scales);
}

void emblem_hanged(Canvas& c) {
    auto gallows = [&](int pass) {
        part_poly(c, pass, flat, {9, 22, 16, 22, 16, 85, 9, 85}, brown_light);
        part_poly(c, pass, flat, {44, 22, 51, 22, 51, 85, 44, 85}, brown_light);
        part_poly(c, pass, flat, {7, 19, 53, 19, 53, 26, 7, 26}, brown_light);
    };
    outlined(gallows);
    for (auto& l : std::vector<Pip>{{12.5, 40}, {47.5, 55}, {12.5, 66}, {47.5, 32}}) {
        fill_ellipse(c, l.x + 3, l.y, 3.5, 1.8, green);
    }
    stroke_line(c, 30, 26, 30, 32, 1.8, brown_dark);
    fill_ellipse(c, 30, 72, 10, 10, ink);
    fill_ellipse(c, 30, 72, 9, 9, yellow);
    auto bent_leg = [&](int pass) {
        part_line(c, pass, flat, 40, 45, 31, 38, 3.6, red);
        part_line(c, pass, flat, 31, 51, 40, 45, 3.8, red);
    };
    outlined(bent_leg);
    auto man = [&](int pass) {
        part_line(c, pass, flat, 30, 33, 30, 51, 4.2, red);
        part_poly(c, pass, flat, {24.5, 50, 35.5, 50, 37, 65, 23, 65}, blue);
        part_disc(c, pass, flat, 30, 71, 5.2, 5.8, skin);
    };
    outlined(man);
    fill_rect(c, 23, 53, 37, 55, gold);
    fill_ellipse(c, 30, 76, 5.4, 2.4, gold_dark);
}

void emblem_death(Canvas& c) {
    fill_rect(c, 4, 74, 56, 86, slate);
    auto scythe = [&](int pass) {
        part_line(c, pass, flat, 42, 84, 22, 20, 3.4, brown_light);
        std::vector<double> edge;
        for (int i = 0; i <= 12; ++i) { // back of the blade, then the cutting edge
            double t = i / 12.0;
            edge.push_back((1 - t) * (1 - t) * 19 + 2 * (1 - t) * t * 40 + t * t * 55);
            edge.push_back((1 - t) * (1 - t) * 17 + 2 * (1 - t) * t * 7 + t * t * 34);
        }
        for (int i = 0; i <= 12; ++i) {
            double t = i / 12.0;
            edge.push_back((1 - t) * (1 - t) * 55 + 2 * (1 - t) * t * 40 + t * t * 22);
            edge.push_back((1 - t) * (1 - t) * 34 + 2 * (1 - t) * t * 18 + t * t * 25);
        }
        part_poly(c, pass, flat, edge, silver);
        part_line(c, pass, flat, 18, 23, 25, 20, 3.4, grey);
    };
    outlined(scythe);
    auto rose = [&](int pass) {
        part_line(c, pass, flat, 15, 66, 18, 80, 1.8, green);
        for (int i = 0; i < 5; ++i) {
            double t = 2.0 * kPi * i / 5 - kPi / 2;
            part_disc(c, pass, flat, 15 + 4.2 * std::cos(t), 62 + 4.2 * std::sin(t), 3.6, 3.6,
                      white);
        }
    };
    outlined(rose);
    disc(c, 15, 62, 2.3, gold);
}

void emblem_temperance(Canvas& c) {
    fill_ellipse(c, 30, 84, 24, 5, water);
    std::vector<double> stream;
    for (int i = 0; i <= 12; ++i) {
        double t = i / 12.0;
        double x = (1 - t) * (1 - t) * 26 + 2 * (1 - t) * t * 44 + t * t * 40;
        double y = (1 - t) * (1 - t) * 28 + 2 * (1 - t) * t * 32 + t * t * 58;
        stream.push_back(x);
        stream.push_back(y);
    }
    for (size_t i = 0; i + 3 < stream.size(); i += 2)
        stroke_line(c, stream[i], stream[i + 1], stream[i + 2], stream[i + 3], 5.0, ink);
    Pose upper = pose_at(18, 32, 1.5, 50);
    Pose lower = pose_at(40, 67, 1.5, 0);
    cup_parts(c, 0, upper);
    cup_parts(c, 0, lower);
    cup_parts(c, 1, upper);
    cup_parts(c, 1, lower);
    for (size_t i = 0; i + 3 < stream.size(); i += 2)
        stroke_line(c, stream[i], stream[i + 1], stream[i + 2], stream[i + 3], 3.0, water);
    auto sign = [&](int pass) {
        part_poly(c, pass, flat, {8, 44, 20, 44, 20, 56, 8, 56}, white);
        part_poly(c, pass, flat, {14, 46, 19, 54.5, 9, 54.5}, red);
    };
    outlined(sign);
}

void emblem_devil(Canvas& c) {
    auto head = [&](int pass) {
        part_poly(c, pass, flat, {21, 40, 14, 32, 10, 22, 11, 14, 16, 26, 26, 36}, white);
        part_poly(c, pass, flat, {39, 40, 46, 32, 50, 22, 49, 14, 44, 26, 34, 36}, white);
        part_poly(c, pass, flat, {19, 45, 10, 40, 18, 52}, red);
        part_poly(c, pass, flat, {41, 45, 50, 40, 42, 52}, red);
        part_poly(c, pass, flat, {25, 60, 35, 60, 30, 74}, red_dark);
        part_disc(c, pass, flat, 30, 49, 12, 13, red);
    };
    outlined(head);
    fill_polygon(c, {22, 46, 28, 48, 27, 50, 23, 49}, yellow);
    fill_polygon(c, {38, 46, 32, 48, 33, 50, 37, 49}, yellow);
    stroke_line(c, 21, 43, 28, 46, 1.4, ink);
    stroke_line(c, 39, 43, 32, 46, 1.4, ink);
    stroke_line(c, 25, 57, 35, 57, 1.4, ink);
    fill_polygon(c, {26.5, 57.5, 28, 57.5, 27.2, 60}, white);
    fill_polygon(c, {32, 57.5, 33.5, 57.5, 32.8, 60}, white);
    for (int i = 0; i < 7; ++i) {
        double x = 9 + 7 * i;
        if (i % 2 == 0)
            stroke_ellipse(c, x, 80, 4, 2.4, 1.6, grey);
        else
            stroke_ellipse(c, x, 80, 2.4, 3.6, 1.6, steel);
    }
}

void emblem_tower(Canvas& c) {
    fill_polygon(c, {4, 86, 4, 78, 18, 74, 42, 74, 56, 78, 56, 86}, grey_dark);
    auto tower = [&](int pass) {
        part_poly(c, pass, flat, {21, 38, 39, 38, 41, 86, 19, 86}, grey);
        part_poly(c, pass, flat, {18, 30, 22, 30, 22, 33, 26, 33, 26, 30, 30, 30, 30, 33,
                                  34, 33, 34, 30, 38, 30, 38, 33, 42, 33, 42, 39, 18, 39},
                  grey);
        part_poly(c, pass, pose_at(44, 22, 1.0, 35),
                  {-7, 4, 7, 4, 8, -5, 3.5, -1, 0, -7, -3.5, -1, -8, -5}, gold);
    };
    outlined(tower);
    auto fire = [&](int pass) {
        part_poly(c, pass, flat, {26, 47, 34, 47, 34, 56, 26, 56}, orange);
        part_poly(c, pass, flat, {26, 63, 34, 63, 34, 72, 26, 72}, orange);
        part_poly(c, pass, flat, {15, 38, 18, 26, 22, 34, 26, 22, 29, 34, 24, 38}, orange);
    };
    outlined(fire);
    fill_polygon(c, {28, 49, 32, 49, 30, 55}, yellow);
    fill_polygon(c, {28, 65, 32, 65, 30, 71}, yellow);
    auto bolt = [&](int pass) {
        part_poly(c, pass, flat, {55, 15, 45, 25, 50, 26, 38, 40, 43, 30, 38, 29, 49, 15}, yellow);
    };
    outlined(bolt);
}

void emblem_star(Canvas& c) {
    fill_polygon(c, {4, 86, 4, 74, 16, 71, 30, 74, 44, 71, 56, 74, 56, 86}, teal);
    stroke_line(c, 10, 79, 20, 79, 1.4, water);
    stroke_line(c, 36, 82, 48, 82, 1.4, water);
    auto big = [&](int pass) { part_poly(c, pass, flat, star_uv(30, 42, 17, 6, 8), yellow); };
    outlined(big);
    fill_polygon(c, star_uv(30, 42, 8, 3.5, 8, 22.5), gold_light);
    const Pip small[7] = {{10, 20}, {50, 20}, {8, 42}, {52, 42}, {13, 62}, {47, 62}, {30, 66}};
    for (const Pip& s : small) small_star(c, s.x, s.y, 4.2, snow, 8);
}

void emblem_moon(Canvas& c) {
    fill_polygon(c, {22, 86, 26, 74, 30, 66, 34, 74, 38, 86}, sand);
    auto towers = [&](int pass) {
        for (double x : {11.0, 49.0}) {
            part_poly(c, pass, flat, {x - 5, 62, x + 5, 62, x + 5, 86, x - 5, 86}, grey);
            part_poly(c, pass, flat, {x - 6.5, 56, x - 3.5, 56, x - 3.5, 58, x - 1,   58,
                                      x - 1,   56, x + 1,   56, x + 1,   58, x + 3.5, 58,
                                      x + 3.5, 56, x + 6.5, 56, x + 6.5, 62, x - 6.5, 62},
                      grey);
        }
    };
    outlined(towers);
    fill_rect(c, 9.5, 68, 12.5, 73, slate);
    fill_rect(c, 47.5, 68, 50.5, 73, slate);
    fill_polygon(c, star_uv(30, 34, 20, 15, 16), gold_dark);
    crescent(c, 30, 34, 14, 6, -3, gold_light, night);
    for (int i = 0; i < 3; ++i) {
        double x = 22 + 8 * i, y = i == 1 ? 57 : 53;
        fill_polygon(c, {x, y - 4, x + 2, y, x - 2, y}, yellow);
        fill_ellipse(c, x, y + 0.4, 2, 2, yellow);
    }
}

void emblem_sun(Canvas& c) {
    fill_polygon(c, star_uv(30, 42, 23, 14, 16), orange);
    fill_polygon(c, star_uv(30, 42, 19, 13, 16, 11.25), yellow);
    fill_ellipse(c, 30, 42, 14, 14, ink);
    fill_ellipse(c, 30, 42, 13, 13, sun_yellow);
    fill_ellipse(c, 25, 39, 1.6, 1.6, ink);
    fill_ellipse(c, 35, 39, 1.6, 1.6, ink);
    std::vector<double> smile;
    for (int i = 0; i <= 8; ++i) {
        double t = kPi * (0.2 + 0.6 * i / 8.0);
        smile.push_back(30 + 6 * std::cos(t));
        smile.push_back(44 + 4 * std::sin(t));
    }
    for (size_t i = 0; i + 3 < smile.size(); i += 2)
        stroke_line(c, smile[i], smile[i + 1], smile[i + 2], smile[i + 3], 1.3, ink);
    fill_rect(c, 4, 75, 56, 86, ink);
    fill_rect(c, 4, 76, 56, 86, red);
    for (int row = 0; row < 3; ++row) {
        double y = 79 + 3.5 * row;
        fill_rect(c, 4, y, 56, y + 0.8, wine);
        for (int i = 0; i < 6; ++i) {
            double x = 4 + 9 * i + (row % 2 ? 4.5 : 0);
            fill_rect(c, x, y - 3.5, x + 0.8, y, wine);
        }
    }
    for (double x : {13.0, 30.0, 47.0}) {
        stroke_line(c, x, 75, x, 68, 1.6, green);
        fill_polygon(c, star_uv(x, 66, 5, 3, 10), yellow);
        fill_ellipse(c, x, 66, 2.4, 2.4, brown);
    }
}

void emblem_judgement(Canvas& c) {
    auto cloud = [&](int pass) {
        part_disc(c, pass, flat, 13, 24, 7, 6, snow);
        part_disc(c, pass, flat, 24, 20, 9, 7.5, snow);
        part_disc(c, pass, flat, 37, 21, 8.5, 7, snow);
        part_disc(c, pass, flat, 47, 25, 6.5, 5.5, snow);
        part_poly(c, pass, flat, {8, 26, 52, 26, 52, 30, 8, 30}, snow);
    };
    outlined(cloud);
    Pose horn = pose_at(31, 28, 1.0, 120);
    auto trumpet = [&](int pass) {
        part_line(c, pass, horn, 0, 0, 26, 0, 3, gold);
        part_poly(c, pass, horn, {22, -1.5, 32, -7, 32, 7, 22, 1.5}, gold);
        part_poly(c, pass, flat, {25, 38, 35, 38, 35, 48, 25, 48}, white);
    };
    outlined(trumpet);
    fill_rect(c, 29, 39, 31, 47, red);
    fill_rect(c, 26, 42, 34, 44, red);
    for (int i = 0; i < 3; ++i) {
        double x = 12 + 18 * i;
        auto rising = [&](int pass) {
            part_line(c, pass, flat, x - 2, 70, x - 6, 60, 2.2, skin);
            part_line(c, pass, flat, x + 2, 70, x + 6, 60, 2.2, skin);
            part_poly(c, pass, flat, {x - 3.5, 69, x + 3.5, 69, x + 3.5, 80, x - 3.5, 80}, steel);
            part_disc(c, pass, flat, x, 65, 3.2, 3.2, skin);
            part_poly(c, pass, flat, {x - 7, 78, x + 7, 78, x + 7, 85, x - 7, 85}, brown);
        };
        outlined(rising);
    }
}

void emblem_world(Canvas& c) {
    for (int i = 0; i < 4; ++i) {
        double x = i % 2 ? 50 : 10, y = i < 2 ? 20 : 80;
        fill_ellipse(c, x, y, 3.2, 3.2, gold);
    }
    stroke_ellipse(c, 30, 50, 16, 26, 7, ink);
    stroke_ellipse(c, 30, 50, 16, 26, 5, green_dark);
    for (int i = 0; i < 24; ++i) {
        double t = 2.0 * kPi * i / 24;
        double x = 30 + 16 * std::cos(t), y = 50 + 26 * std::sin(t);
        double tangent = std::atan2(26 * std::cos(t), -16 * std::sin(t)) * 180 / kPi + 25;
        poly(c, pose_at(x, y, 1.0, tangent), ellipse_uv(0, 0, 3.2, 1.5, 12), leaf);
    }
    auto globe = [&](int pass) { part_disc(c, pass, flat, 30, 50, 9.5, 9.5, water); };
    outlined(globe);
    fill_polygon(c, {24, 45, 29, 43, 31, 47, 28, 52, 25, 51}, green);
    fill_polygon(c, {32, 52, 37, 50, 38, 55, 34, 58}, green);
    stroke_ellipse(c, 30, 50, 9.5, 4, 0.8, teal_dark);
    for (int end = 0; end < 2; ++end) {
        double y = end == 0 ? 24 : 76;
        auto bow = [&](int pass) {
            part_poly(c, pass, flat, {30, y, 23, y - 4, 23, y + 4}, red);
            part_poly(c, pass, flat, {30, y, 37, y - 4, 37, y + 4}, red);
            part_disc(c, pass, flat, 30, y, 2, 2, red);
        };
        outlined(bow);
    }
}

struct Major {
    const char* numeral;
    Rgb field;
    void (*emblem)(Canvas&);
};

// One card a line, in the order of the card names.
// clang-format off
const Major majors[22] = {
    {"0", sky_pale, emblem_fool},
    {"I", violet, emblem_magician},
    {"II", night, emblem_priestess},
    {"III", green, emblem_empress},
    {"IV", red_dark, emblem_emperor},
    {"V", violet_mid, emblem_hierophant},
    {"VI", sky_soft, emblem_lovers},
    {"VII", night, emblem_chariot},
    {"VIII", meadow, emblem_strength},
    {"IX", night_dark, emblem_hermit},
    {"X", violet, emblem_wheel},
    {"XI", wine, emblem_justice},
    {"XII", meadow, emblem_hanged},
    {"XIII", coal, emblem_death},
    {"XIV", sky_pale, emblem_temperance},
    {"XV", coal, emblem_devil},
    {"XVI", night_dark, emblem_tower},
    {"XVII", night, emblem_star},
    {"XVIII", night, emblem_moon},
    {"XIX", sky, emblem_sun},
    {"XX", sky_soft, emblem_judgement},
    {"XXI", violet, emblem_world},
};
// clang-format on

// [SECTION] Card back
// Turned by 180 degrees the back is the same picture, so a reversed card does not show
// itself before it is revealed.

Canvas draw_back() {
    Look look = {gold, gold_dark, violet_dark, gold_light, night};
    Canvas c = card_base(look, word_none, "", night);
    for (int i = -6; i <= 6; ++i) {
        double x = 30 + 10 * i;
        stroke_line(c, x - 30, 20, x + 30, 80, 1.0, night_dark);
        stroke_line(c, x + 30, 20, x - 30, 80, 1.0, night_dark);
    }
    fill_rect(c, 4, 4, 56, 13, night);
    fill_rect(c, 4, 87, 56, 96, night);
    stroke_line(c, 7, 7, 53, 7, 1.6, gold_dark);
    stroke_line(c, 7, 93, 53, 93, 1.6, gold_dark);
    stroke_line(c, 7, 7, 7, 93, 1.6, gold_dark);
    stroke_line(c, 53, 7, 53, 93, 1.6, gold_dark);
    fill_ellipse(c, 30, 50, 17, 17, ink);
    fill_ellipse(c, 30, 50, 16, 16, violet);
    stroke_ellipse(c, 30, 50, 14, 14, 2.4, gold);
    fill_polygon(c, star_uv(30, 50, 11, 4.5, 8), gold);
    fill_polygon(c, star_uv(30, 50, 6, 2.8, 8, 22.5), gold_light);
    fill_ellipse(c, 30, 50, 2.2, 2.2, violet);
    crescent(c, 30, 22, 7, 0, -3.5, gold_light, night);
    crescent(c, 30, 78, 7, 0, 3.5, gold_light, night);
    for (int i = 0; i < 4; ++i) {
        double x = i % 2 ? 46 : 14, y = i < 2 ? 15 : 85;
        small_star(c, x, y, 4.5, gold);
    }
    for (int i = 0; i < 4; ++i) {
        double x = i % 2 ? 47 : 13, y = i < 2 ? 50 : 50;
        small_star(c, x, y, 3.5, lavender);
    }
    // Make the turn symmetry exact, pixel for pixel: the lower half is the upper half turned.
    Canvas t = turned(c);
    for (int y = CARD_HEIGHT / 2; y < CARD_HEIGHT; ++y)
        for (int x = 0; x < CARD_WIDTH; ++x)
            for (int k = 0; k < 4; ++k) {
                size_t i = (static_cast<size_t>(y) * CARD_WIDTH + x) * 4 + k;
                c.rgba[i] = t.rgba[i];
            }
    return c;
}

} // namespace

// [SECTION] Interface

const char* face_name(int card) {
    if (card >= 0 && card < CARD_COUNT) return card_name_table[card][drawn_language];
    return card == CARD_COUNT ? "Card Back" : "";
}

Canvas draw_card_face(int card) {
    if (card < 0 || card >= CARD_FRAMES) return make_canvas(CARD_WIDTH, CARD_HEIGHT, ink);
    if (card == CARD_BACK) return draw_back();
    if (card < 22) {
        const Major& m = majors[card];
        Canvas c = card_base(major_look, word_none, m.numeral, m.field);
        m.emblem(c);
        return c;
    }
    int suit = (card - 22) / 14;
    int rank = (card - 22) % 14;
    Canvas c = card_base(suit_looks[suit], rank_words[rank], rank < 10 ? rank_numbers[rank] : "",
                         suit_looks[suit].field);
    if (rank == 0)
        draw_ace(c, suit);
    else if (rank < 10)
        draw_pips(c, suit, rank + 1);
    else
        draw_court(c, suit, rank - 10);
    return c;
}

int write_card_sheet(const std::string& picture_dir) {
    const int frames = CARD_FRAMES, w = CARD_WIDTH, h = CARD_HEIGHT;
    Canvas strip = make_canvas(w * frames, h, ink);
    for (int card = 0; card < frames; ++card) {
        Canvas face = draw_card_face(card);
        if (face.width != w || face.height != h) {
            std::fprintf(stderr, "quarnel-gen: card %d is %d x %d\n", card, face.width,
                         face.height);
            return 0;
        }
        blit(strip, face, card * w, 0);
    }
    std::vector<uint8_t> indices = canvas_to_indices(strip, false);
    for (uint8_t v : indices)
        if (v == 255) {
            std::fprintf(stderr, "quarnel-gen: a card face has a transparent pixel\n");
            return 0;
        }
    return write_picture(picture_dir + "/card.nbf", indices, w * frames, h, w, h, true);
}
