// screens.cpp -- every screen picture of the program: title, menu, information pages, the
// reading frame and titles, the shuffle screen, the card table, buttons and scroll bar

#include "gen.h"
#include "core/layout.h"
#include "reading/reading.h"
#include "core/encoding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// [SECTION] Colours and small tools

const double kPi = 3.14159265358979323846;

// A colour exactly on the palette, so flat areas map without dithering noise.
Rgb snap(Rgb c) {
    return main_palette()[palette_index(c)];
}

Rgb mix(Rgb a, Rgb b, double t) {
    t = std::max(0.0, std::min(1.0, t));
    auto m = [t](uint8_t p, uint8_t q) {
        return static_cast<uint8_t>(std::lround(p + (q - p) * t));
    };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

const Rgb kBlack = {0, 0, 0};
const Rgb kWhite = {255, 255, 255};
const Rgb kSkyTop = {5, 6, 22};
const Rgb kSkyBottom = {34, 18, 62};
const Rgb kGoldDark = {112, 74, 22};
const Rgb kGold = {208, 160, 64};
const Rgb kGoldLight = {246, 222, 140};
const Rgb kCream = {246, 236, 212};
const Rgb kPale = {178, 194, 236};
const Rgb kPlateTop = {86, 54, 142};
const Rgb kPlateBottom = {50, 26, 94};

// Flat theme colours, taken from the palette.
Rgb panel() {
    return snap({18, 14, 44});
}
Rgb panel_edge() {
    return snap({44, 30, 84});
}
Rgb gold_flat() {
    return snap(kGold);
}

// A deterministic generator for star fields and cloth texture.
struct Lcg {
    uint32_t state;
    double next() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / 16777216.0;
    }
};

Canvas layer(int w, int h) {
    return make_canvas(w, h, kBlack, 0);
}

// Blends one colour over one pixel with coverage a.
void put(Canvas& c, int x, int y, Rgb colour, double a) {
    if (x < 0 || y < 0 || x >= c.width || y >= c.height || a <= 0.0) return;
    a = std::min(a, 1.0);
    uint8_t* p = &c.rgba[(static_cast<size_t>(y) * c.width + x) * 4];
    double da = p[3] / 255.0;
    double oa = a + da * (1.0 - a);
    double keep = da * (1.0 - a);
    p[0] = static_cast<uint8_t>(std::lround((colour.r * a + p[0] * keep) / oa));
    p[1] = static_cast<uint8_t>(std::lround((colour.g * a + p[1] * keep) / oa));
    p[2] = static_cast<uint8_t>(std::lround((colour.b * a + p[2] * keep) / oa));
    p[3] = static_cast<uint8_t>(std::lround(oa * 255.0));
}

double alpha_at(const Canvas& c, int x, int y) {
    return c.rgba[(static_cast<size_t>(y) * c.width + x) * 4 + 3] / 255.0;
}

// Paints every covered pixel of a mask (same size as c) with a vertical gradient.
void paint_mask(Canvas& c, const Canvas& mask, double y0, double y1, Rgb top, Rgb bottom,
                double opacity = 1.0) {
    for (int y = 0; y < mask.height; ++y) {
        Rgb colour = mix(top, bottom, y1 > y0 ? (y + 0.5 - y0) / (y1 - y0) : 0.0);
        for (int x = 0; x < mask.width; ++x) {
            double a = alpha_at(mask, x, y);
            if (a > 0.0) put(c, x, y, colour, a * opacity);
        }
    }
}

// Copies src over dst at (x, y) with an extra opacity.
void blit_faded(Canvas& dst, const Canvas& src, int x, int y, double opacity) {
    for (int sy = 0; sy < src.height; ++sy)
        for (int sx = 0; sx < src.width; ++sx) {
            const uint8_t* p = &src.rgba[(static_cast<size_t>(sy) * src.width + sx) * 4];
            if (p[3] != 0) put(dst, x + sx, y + sy, {p[0], p[1], p[2]}, p[3] / 255.0 * opacity);
        }
}

// Draws src centred on (cx, cy), turned by angle (radians, clockwise on screen) and scaled,
// with 4 x 4 samples per pixel.
void draw_turned(Canvas& dst, const Canvas& src, double cx, double cy, double angle, double scale) {
    double ca = std::cos(angle), sa = std::sin(angle);
    double hw = src.width * scale / 2.0, hh = src.height * scale / 2.0;
    double reach = std::sqrt(hw * hw + hh * hh) + 1.0;
    int x0 = std::max(0, static_cast<int>(cx - reach)),
        x1 = std::min(dst.width, static_cast<int>(cx + reach) + 1);
    int y0 = std::max(0, static_cast<int>(cy - reach)),
        y1 = std::min(dst.height, static_cast<int>(cy + reach) + 1);
    const int n = 4;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            double sr = 0, sg = 0, sb = 0, sa_sum = 0;
            for (int j = 0; j < n; ++j)
                for (int i = 0; i < n; ++i) {
                    double px = x + (i + 0.5) / n - cx, py = y + (j + 0.5) / n - cy;
                    double u = (px * ca + py * sa) / scale + src.width / 2.0;
                    double v = (-px * sa + py * ca) / scale + src.height / 2.0;
                    int iu = static_cast<int>(std::floor(u)), iv = static_cast<int>(std::floor(v));
                    if (iu < 0 || iv < 0 || iu >= src.width || iv >= src.height) continue;
                    const uint8_t* p = &src.rgba[(static_cast<size_t>(iv) * src.width + iu) * 4];
                    double a = p[3] / 255.0;
                    sr += p[0] * a;
                    sg += p[1] * a;
                    sb += p[2] * a;
                    sa_sum += a;
                }
            if (sa_sum <= 0.0) continue;
            Rgb colour = {static_cast<uint8_t>(std::lround(sr / sa_sum)),
                          static_cast<uint8_t>(std::lround(sg / sa_sum)),
                          static_cast<uint8_t>(std::lround(sb / sa_sum))};
            put(dst, x, y, colour, sa_sum / (n * n));
        }
}

// Area-averaged reduction of a whole canvas to w x h.
Canvas shrink(const Canvas& src, int w, int h) {
    Canvas out = layer(w, h);
    double fx = static_cast<double>(src.width) / w, fy = static_cast<double>(src.height) / h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double sr = 0, sg = 0, sb = 0, sa = 0, total = 0;
            for (int v = static_cast<int>(y * fy);
                 v < std::min(src.height, static_cast<int>(std::ceil((y + 1) * fy))); ++v)
                for (int u = static_cast<int>(x * fx);
                     u < std::min(src.width, static_cast<int>(std::ceil((x + 1) * fx))); ++u) {
                    double wx =
                        std::min(u + 1.0, (x + 1) * fx) - std::max(static_cast<double>(u), x * fx);
                    double wy =
                        std::min(v + 1.0, (y + 1) * fy) - std::max(static_cast<double>(v), y * fy);
                    double wgt = std::max(0.0, wx) * std::max(0.0, wy);
                    const uint8_t* p = &src.rgba[(static_cast<size_t>(v) * src.width + u) * 4];
                    double a = p[3] / 255.0 * wgt;
                    sr += p[0] * a;
                    sg += p[1] * a;
                    sb += p[2] * a;
                    sa += a;
                    total += wgt;
                }
            if (sa <= 0.0 || total <= 0.0) continue;
            uint8_t* q = &out.rgba[(static_cast<size_t>(y) * w + x) * 4];
            q[0] = static_cast<uint8_t>(std::lround(sr / sa));
            q[1] = static_cast<uint8_t>(std::lround(sg / sa));
            q[2] = static_cast<uint8_t>(std::lround(sb / sa));
            q[3] = static_cast<uint8_t>(std::lround(sa / total * 255.0));
        }
    return out;
}

// [SECTION] Text

// A text in capitals: a to z and the accented letters of Windows-1252 ("ß" stays as it is).
std::string capitals(const std::string& text) {
    std::string out;
    size_t at = 0;
    for (uint32_t c; (c = next_utf8(text.c_str(), &at)) != 0;) {
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c -= 0x20;
        if (c == 0xFF) c = 0x178;                           // Y with diaeresis
        if (c == 0x153 || c == 0x161 || c == 0x17E) c -= 1; // oe, s and z with caron
        char bytes[4];
        out.append(bytes, size_t(put_utf8(c, bytes)));
    }
    return out;
}

// Text coloured by a vertical gradient from the top of its capitals to its baseline.
void gradient_text(Canvas& c, const std::string& text, double x, double y, double size,
                   FontFace face, int align, Rgb top, Rgb bottom) {
    Canvas mask = layer(c.width, c.height);
    draw_string(mask, text, x, y, size, kWhite, face, align);
    paint_mask(c, mask, y - size * 0.74, y, top, bottom);
}

// A soft dark halo around text so it stands off a busy background.
void text_halo(Canvas& c, const std::string& text, double x, double y, double size, FontFace face,
               int align, Rgb colour, double opacity) {
    Canvas mask = layer(c.width, c.height);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            draw_string(mask, text, x + dx, y + dy, size, kWhite, face, align);
    paint_mask(c, mask, 0, 1, colour, colour, opacity);
}

// A word that is only punctuation (French sets a space before "?", "!", ":", ";" and "»"):
// it stays on the line of the word before it.
bool clings(const std::string& word) {
    return word.find_first_not_of("?!:;\xC2\xBB") == std::string::npos; // "»" is C2 BB
}

// Word-wrapped text from baseline y; returns the baseline after the last line. With no canvas
// it only measures.
double paragraph(Canvas* c, const std::string& text, double x, double y, double width, double size,
                 double line_height, Rgb colour, FontFace face) {
    std::string line, word;
    auto flush = [&]() {
        if (!line.empty() && c) draw_string(*c, line, x, y, size, colour, face, 0);
        line.clear();
        y += line_height;
    };
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != ' ') {
            word.push_back(text[i]);
            continue;
        }
        if (word.empty()) continue;
        std::string candidate = line.empty() ? word : line + " " + word;
        if (!line.empty() && !clings(word) && string_width(candidate, size, face) > width) {
            flush();
            line = word;
        } else {
            line = candidate;
        }
        word.clear();
    }
    if (!line.empty()) flush();
    return y;
}

// The size of a label that sits between two ornaments: the largest from `size` down to
// `least` at which it fits `room` between them; failing that, at which it fits `wide` without
// them (*ornaments is then false).
double fit_between(int word, const std::string& text, double size, double least, double room,
                   double wide, FontFace face, bool* ornaments) {
    double s = size;
    while (s - 0.5 >= least && string_width(text, s, face) > room) s -= 0.5;
    *ornaments = string_width(text, s, face) <= room;
    return *ornaments ? s : fit_label(word, text, size, least, wide, face);
}

// [SECTION] Ornaments

// A star of `points` points; inner radius as a fraction of the outer one.
void star(Canvas& c, double cx, double cy, double r, double inner, int points, Rgb colour,
          double opacity = 1.0, double turn = 0.0) {
    std::vector<double> xy;
    for (int i = 0; i < points * 2; ++i) {
        double a = turn - kPi / 2 + kPi * i / points;
        double rr = (i % 2 == 0) ? r : r * inner;
        xy.push_back(cx + rr * std::cos(a));
        xy.push_back(cy + rr * std::sin(a));
    }
    fill_polygon(c, xy, colour, opacity);
}

void diamond(Canvas& c, double cx, double cy, double rx, double ry, Rgb colour,
             double opacity = 1.0) {
    fill_polygon(c, {cx, cy - ry, cx + rx, cy, cx, cy + ry, cx - rx, cy}, colour, opacity);
}

// A crescent: a disc with an offset disc taken out of it (lit side to the left for dx > 0).
void crescent(Canvas& c, double cx, double cy, double r, double dx, double dy, double cut,
              Rgb colour, double opacity = 1.0) {
    Canvas moon = layer(c.width, c.height);
    fill_ellipse(moon, cx, cy, r, r, colour);
    Canvas bite = layer(c.width, c.height);
    fill_ellipse(bite, cx + dx, cy + dy, r * cut, r * cut, kWhite);
    for (size_t i = 3; i < moon.rgba.size(); i += 4)
        moon.rgba[i] =
            static_cast<uint8_t>(std::lround(moon.rgba[i] * (1.0 - bite.rgba[i] / 255.0)));
    blit_faded(c, moon, 0, 0, opacity);
}

// A sun disc with straight and wavy-looking alternating rays.
void sun(Canvas& c, double cx, double cy, double r, Rgb disc, Rgb rays, double opacity = 1.0) {
    for (int i = 0; i < 16; ++i) {
        double a = kPi * 2 * i / 16;
        double len = (i % 2 == 0) ? r * 1.7 : r * 1.4;
        double w = r * 0.22;
        double px = -std::sin(a) * w, py = std::cos(a) * w;
        fill_polygon(c,
                     {cx + std::cos(a) * r * 0.9 + px, cy + std::sin(a) * r * 0.9 + py,
                      cx + std::cos(a) * len, cy + std::sin(a) * len,
                      cx + std::cos(a) * r * 0.9 - px, cy + std::sin(a) * r * 0.9 - py},
                     rays, opacity);
    }
    fill_ellipse(c, cx, cy, r, r, disc, opacity);
}

// A field of pixel stars and a few sparkles inside a box.
void star_field(Canvas& c, double x0, double y0, double x1, double y1, int count, uint32_t seed,
                double brightness = 1.0) {
    Lcg rng = {seed};
    for (int i = 0; i < count; ++i) {
        double x = x0 + rng.next() * (x1 - x0);
        double y = y0 + rng.next() * (y1 - y0);
        double b = rng.next();
        double kind = rng.next();
        Rgb colour = mix(kPale, kWhite, rng.next());
        int ix = static_cast<int>(x), iy = static_cast<int>(y);
        if (kind > 0.93) {
            star(c, x, y, 3.2, 0.22, 4, mix(colour, kGoldLight, 0.5), 0.9 * brightness);
            put(c, ix, iy, kWhite, brightness);
        } else if (kind > 0.75) {
            put(c, ix, iy, colour, (0.75 + 0.25 * b) * brightness);
            put(c, ix - 1, iy, colour, 0.35 * brightness);
            put(c, ix + 1, iy, colour, 0.35 * brightness);
            put(c, ix, iy - 1, colour, 0.35 * brightness);
            put(c, ix, iy + 1, colour, 0.35 * brightness);
        } else {
            put(c, ix, iy, colour, (0.25 + 0.6 * b) * brightness);
        }
    }
}

void night_sky(Canvas& c, double x0, double y0, double x1, double y1, uint32_t seed, int stars,
               double brightness = 1.0) {
    vertical_gradient(c, x0, y0, x1, y1, kSkyTop, kSkyBottom);
    star_field(c, x0, y0, x1, y1, stars, seed, brightness);
}

// A soft round glow made of many faint discs.
void glow(Canvas& c, double cx, double cy, double r, Rgb colour, double strength) {
    for (int i = 0; i < 24; ++i) {
        double rr = r * (1.0 - i / 24.0);
        fill_ellipse(c, cx, cy, rr, rr * 0.9, colour, strength / 24.0 * 2.0);
    }
}

// A gold rule with a diamond in its middle.
void rule(Canvas& c, double x0, double x1, double y, Rgb colour, double opacity = 1.0) {
    double mid = (x0 + x1) / 2;
    fill_rect(c, x0, y - 0.5, mid - 6, y + 0.5, colour, opacity);
    fill_rect(c, mid + 6, y - 0.5, x1, y + 0.5, colour, opacity);
    diamond(c, mid, y, 3.5, 3.5, colour, opacity);
    diamond(c, x0, y, 1.8, 1.8, colour, opacity);
    diamond(c, x1, y, 1.8, 1.8, colour, opacity);
}

// A screen border: two gold lines with small stars at the corners.
void screen_border(Canvas& c, double x0, double y0, double x1, double y1) {
    Rgb g = kGold;
    auto box = [&](double a, double b, double cc, double d, double op) {
        fill_rect(c, a, b, cc, b + 1, g, op);
        fill_rect(c, a, d - 1, cc, d, g, op);
        fill_rect(c, a, b, a + 1, d, g, op);
        fill_rect(c, cc - 1, b, cc, d, g, op);
    };
    box(x0, y0, x1, y1, 0.95);
    box(x0 + 3, y0 + 3, x1 - 3, y1 - 3, 0.45);
    const double corners[4][2] = {
        {x0 + 1.5, y0 + 1.5}, {x1 - 1.5, y0 + 1.5}, {x0 + 1.5, y1 - 1.5}, {x1 - 1.5, y1 - 1.5}};
    for (const auto& k : corners) {
        fill_ellipse(c, k[0], k[1], 4.5, 4.5, panel());
        star(c, k[0], k[1], 5.0, 0.3, 4, kGoldLight);
    }
}

// [SECTION] Buttons

enum ButtonLook { button_up, button_down };

// A rounded button with the words of a row as its label, as drawn on the title and
// information pages. A label too long for the button is set smaller, down to three quarters.
void button(Canvas& c, double x0, double y0, double x1, double y1, int word, ButtonLook look,
            double size = 10.5) {
    const std::string label = words(word);
    double r = std::min(6.0, (y1 - y0) / 2.0);
    fill_rounded_rect(c, x0 - 1, y0 - 1, x1 + 1, y1 + 1, r + 1, kBlack, 0.55);
    Canvas mask = layer(c.width, c.height);
    fill_rounded_rect(mask, x0, y0, x1, y1, r, kWhite);
    if (look == button_up)
        paint_mask(c, mask, y0, y1, kGoldLight, kGoldDark);
    else
        paint_mask(c, mask, y0, y1, kGoldDark, kGold);
    Canvas inner = layer(c.width, c.height);
    fill_rounded_rect(inner, x0 + 1.2, y0 + 1.2, x1 - 1.2, y1 - 1.2, r - 1, kWhite);
    if (look == button_up)
        paint_mask(c, inner, y0, y1, kPlateTop, kPlateBottom);
    else
        paint_mask(c, inner, y0, y1, kGoldLight, kGold);
    double s = fit_label(word, label, size, size * 0.75, x1 - x0 - 8, face_serif_bold);
    double base = (y0 + y1) / 2 + s * 0.37 + (look == button_down ? 0.5 : 0.0);
    if (look == button_up) {
        draw_string(c, label, (x0 + x1) / 2, base + 1, s, kBlack, face_serif_bold, 1);
        gradient_text(c, label, (x0 + x1) / 2, base, s, face_serif_bold, 1, kCream, kGoldLight);
    } else {
        draw_string(c, label, (x0 + x1) / 2, base, s, {40, 16, 60}, face_serif_bold, 1);
    }
}

// A menu entry: a translucent plate exactly over the tap rectangle with its label.
void menu_plate(Canvas& c, double x0, double y0, double x1, double y1, const std::string& label,
                ButtonLook look, double size) {
    double r = std::min(5.0, (y1 - y0) / 2.0);
    Canvas mask = layer(c.width, c.height);
    fill_rounded_rect(mask, x0, y0, x1, y1, r, kWhite);
    if (look == button_up) {
        paint_mask(c, mask, y0, y1, kGold, kGoldDark, 0.9);
        Canvas inner = layer(c.width, c.height);
        fill_rounded_rect(inner, x0 + 1, y0 + 1, x1 - 1, y1 - 1, r - 1, kWhite);
        paint_mask(c, inner, y0, y1, kPlateTop, kPlateBottom, 0.92);
    } else {
        paint_mask(c, mask, y0, y1, kGoldLight, kGold);
    }
    double s = size;
    double cx = (x0 + x1) / 2, base = (y0 + y1) / 2 + s * 0.37;
    if (look == button_up) {
        draw_string(c, label, cx, base + 1, s, kBlack, face_serif_bold, 1);
        gradient_text(c, label, cx, base, s, face_serif_bold, 1, kCream, kGoldLight);
        // Small diamonds at the plate's ends.
        double w = string_width(label, s, face_serif_bold);
        if (x1 - x0 - w > 26) {
            diamond(c, x0 + 6, (y0 + y1) / 2, 2.2, 2.2, kGold);
            diamond(c, x1 - 6, (y0 + y1) / 2, 2.2, 2.2, kGold);
        }
    } else {
        draw_string(c, label, cx, base, s, {44, 16, 64}, face_serif_bold, 1);
    }
}

// [SECTION] Output

struct Output {
    std::string dir;
    int ok = 1;
};

std::vector<uint8_t> crop(const std::vector<uint8_t>& indices, int width, int x, int y, int w,
                          int h) {
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(w) * h);
    for (int row = y; row < y + h; ++row)
        for (int col = x; col < x + w; ++col)
            out.push_back(indices[static_cast<size_t>(row) * width + col]);
    return out;
}

void save(Output& out, const char* name, const std::vector<uint8_t>& indices, int w, int h,
          int frame_w = 0, int frame_h = 0) {
    if (frame_w == 0) frame_w = w;
    if (frame_h == 0) frame_h = h;
    if (!write_picture(out.dir + "/" + name, indices, w, h, frame_w, frame_h, true)) out.ok = 0;
}

void save_canvas(Output& out, const char* name, const Canvas& c, bool dither) {
    save(out, name, canvas_to_indices(c, dither), c.width, c.height);
}

// Saves a region of an indexed screen as its own picture (pressed buttons, titles).
void save_crop(Output& out, const char* name, const std::vector<uint8_t>& screen, int width, int x,
               int y, int w, int h) {
    save(out, name, crop(screen, width, x, y, w, h), w, h);
}

// [SECTION] Title screen

// One of the three cards of the title fan, drawn upright at 64 x 104.
Canvas fan_card(int kind) {
    Canvas card = layer(64, 104);
    fill_rounded_rect(card, 0, 0, 64, 104, 5, {24, 14, 10});
    fill_rounded_rect(card, 1.5, 1.5, 62.5, 102.5, 4, kCream);
    fill_rect(card, 5, 5, 59, 99, kGold);
    Canvas inside = layer(64, 104);
    fill_rect(inside, 6.5, 6.5, 57.5, 97.5, kWhite);
    Rgb top = kind == 1 ? Rgb{244, 150, 80} : Rgb{12, 18, 50};
    Rgb bottom = kind == 1 ? Rgb{140, 24, 22} : Rgb{44, 18, 76};
    paint_mask(card, inside, 6, 98, top, bottom);
    if (kind == 0) { // the moon
        star_field(card, 8, 8, 56, 96, 26, 71, 0.8);
        crescent(card, 32, 48, 16, 7, -4, 0.86, {246, 232, 190});
        fill_rect(card, 6.5, 82, 57.5, 97.5, {20, 40, 70});
        for (int i = 0; i < 3; ++i)
            fill_rect(card, 12 + i * 6, 86 + i * 4, 52 - i * 6, 87 + i * 4, {90, 130, 170}, 0.7);
    } else if (kind == 1) { // the sun
        sun(card, 32, 46, 13, {255, 236, 150}, {255, 200, 90});
        fill_rect(card, 6.5, 80, 57.5, 97.5, snap({34, 86, 40}));
        fill_ellipse(card, 20, 84, 14, 6, snap({84, 150, 70}));
        fill_ellipse(card, 46, 86, 16, 7, snap({34, 86, 40}));
    } else { // the star
        star_field(card, 8, 8, 56, 96, 20, 93, 0.8);
        star(card, 32, 44, 19, 0.42, 8, {255, 236, 160});
        star(card, 32, 44, 10, 0.4, 8, kWhite, 0.9, kPi / 8);
        for (int i = 0; i < 7; ++i) {
            double a = kPi * 2 * i / 7;
            star(card, 32 + std::cos(a) * 22, 44 + std::sin(a) * 26, 3.2, 0.4, 8, {255, 240, 200});
        }
        fill_rect(card, 6.5, 84, 57.5, 97.5, {30, 70, 110});
    }
    return card;
}

// The title's buttons lie inside their 68 x 24 pressed pictures, 2 pixels in from the sides,
// 3 from the top and 1 from the foot.
const int kTitleButtonW = 68, kTitleButtonH = 24;

void title_button(Canvas& c, LayoutId place, bool pressed) {
    const LayoutEntry& e = screen_layout[place];
    button(c, e.pressed_x + 2, e.pressed_y + 3, e.pressed_x + kTitleButtonW - 2,
           e.pressed_y + kTitleButtonH - 1, e.label, pressed ? button_down : button_up, 12);
}

// Saves the pressed picture of a place, cut from a whole screen drawn pressed.
void save_pressed(Output& out, LayoutId place, const std::vector<uint8_t>& screen, int w, int h) {
    const LayoutEntry& e = screen_layout[place];
    save_crop(out, picture_file(e.pressed).c_str(), screen, 240, e.pressed_x, e.pressed_y, w, h);
}

// The title screen; `pressed` 1 shows Start pressed, 2 Exit pressed.
Canvas title_screen(int pressed) {
    Canvas c = make_canvas(240, 320, kBlack);
    night_sky(c, 0, 0, 240, 320, 11, 110);
    glow(c, 120, 176, 100, {110, 70, 170}, 0.35);
    glow(c, 120, 170, 56, {240, 200, 120}, 0.12);
    // A ring of small stars around the fan.
    for (int i = 0; i < 24; ++i) {
        double a = kPi * 2 * i / 24;
        double r = (i % 2 == 0) ? 2.0 : 1.2;
        star(c, 120 + std::cos(a) * 92, 178 + std::sin(a) * 74, r * 1.6, 0.35, 4, kGoldLight, 0.7);
    }
    stroke_ellipse(c, 120, 178, 92, 74, 0.8, kGold, 0.35);
    text_halo(c, "Quarnel", 120, 62, 42, face_serif_bold, 1, kBlack, 0.6);
    gradient_text(c, "Quarnel", 120, 62, 42, face_serif_bold, 1, kGoldLight, kGold);
    // The subtitle between two short rules, which give way to a longer one (down to 12
    // pixels each); a still longer one is set smaller.
    const std::string subtitle = words(word_title_subtitle);
    const double sub_size =
        fit_label(word_title_subtitle, subtitle, 10.5, 8.5, 2 * (120 - 28 - 12 - 4.5), face_serif);
    const double rule_end =
        std::min(62.0, 120 - string_width(subtitle, sub_size, face_serif) / 2 - 4.5);
    draw_string(c, subtitle, 120, 84, sub_size, kPale, face_serif, 1);
    fill_rect(c, 28, 79.5, rule_end, 80.5, kGold, 0.8);
    fill_rect(c, 240 - rule_end, 79.5, 212, 80.5, kGold, 0.8);
    diamond(c, 26, 80, 2, 2, kGold);
    diamond(c, 214, 80, 2, 2, kGold);
    // The fan: Moon and Star leaning out, Sun in front.
    draw_turned(c, fan_card(0), 78, 186, -0.30, 1.0);
    draw_turned(c, fan_card(2), 162, 186, 0.30, 1.0);
    draw_turned(c, fan_card(1), 120, 176, 0.0, 1.08);
    rule(c, 24, 216, 256, kGold, 0.8);
    // Buttons at the bottom right, the studio's name at the left.
    title_button(c, place_title_start, pressed == 1);
    title_button(c, place_title_exit, pressed == 2);
    crescent(c, 22, 292, 7, 3.5, -2, 0.85, kGoldLight);
    draw_string(c, "Vorn Games", 34, 290, 10, kCream, face_serif_bold, 0);
    const std::string version = words(word_title_version);
    draw_string(c, version, 34, 303, fit_label(word_title_version, version, 9, 7, 128, face_sans),
                kPale, face_sans, 0);
    return c;
}

void write_title(Output& out) {
    save_canvas(out, picture_file(screen_layout[place_title].picture).c_str(), title_screen(0),
                true);
    save_pressed(out, place_title_start, canvas_to_indices(title_screen(1), true), kTitleButtonW,
                 kTitleButtonH);
    save_pressed(out, place_title_exit, canvas_to_indices(title_screen(2), true), kTitleButtonW,
                 kTitleButtonH);
}

// [SECTION] Main menu

// The entries' art; their labels, tap areas and pressed pictures' places are the program's
// layout, from place_menu_desire on.
struct MenuArt {
    int pw, ph; // size of the pressed picture
    double size;
};

const MenuArt kMenu[9] = {
    {240, 20, 11}, {240, 20, 11},   {240, 20, 11},   {240, 20, 11},   {240, 20, 11},
    {240, 20, 11}, {236, 26, 12.5}, {236, 28, 12.5}, {236, 33, 12.5},
};

LayoutId menu_place(int i) {
    return LayoutId(place_menu_desire + i);
}

std::string menu_label(int i) {
    return words(screen_layout[menu_place(i)].label);
}

// The size of an entry's label: its own, or smaller (down to four fifths) where the plate
// would otherwise grow more than 12 pixels past either end of the tap area.
double menu_label_size(int i) {
    const HitBox& tap = screen_layout[menu_place(i)].tap;
    const double most = tap.right - tap.left - 1 + 2 * 12 - 10;
    double size = kMenu[i].size;
    while (size - 0.5 >= kMenu[i].size * 0.8 &&
           string_width(menu_label(i), size, face_serif_bold) > most)
        size -= 0.5;
    return size;
}

// The plate of an entry: the pixels of its tap rectangle, kept clear of its neighbours.
void menu_plate_box(int i, double& x0, double& y0, double& x1, double& y1) {
    const HitBox& tap = screen_layout[menu_place(i)].tap;
    x0 = tap.left + 1;
    x1 = tap.right;
    y0 = tap.top + 1;
    y1 = tap.bottom;
    // A plate narrower than its label grows by a few pixels.
    double need = string_width(menu_label(i), menu_label_size(i), face_serif_bold) + 10;
    double cx = (x0 + x1) / 2;
    x0 = std::min(x0, std::floor(cx - need / 2));
    x1 = std::max(x1, std::ceil(cx + need / 2));
    if (i == 6) y1 = 256;           // About Tarot: leave a gap above About Quarnel
    if (i == 7) y0 = 260, y1 = 283; // About Quarnel: between its neighbours
    if (i == 8) y0 = 287, y1 = 315;
}

Canvas menu_screen(int pressed) {
    Canvas c = make_canvas(240, 320, kBlack);
    night_sky(c, 0, 0, 240, 320, 23, 90, 0.8);
    glow(c, 120, 50, 90, {90, 60, 150}, 0.3);
    screen_border(c, 2, 2, 238, 318);
    crescent(c, 120, 21, 9, 4, -2.5, 0.85, kGoldLight);
    star(c, 133, 14, 3, 0.3, 4, kGoldLight);
    text_halo(c, "Quarnel", 120, 63, 30, face_serif_bold, 1, kBlack, 0.6);
    gradient_text(c, "Quarnel", 120, 63, 30, face_serif_bold, 1, kGoldLight, kGold);
    rule(c, 50, 190, 75, kGold, 0.85);
    const std::string heading = words(word_menu_heading);
    draw_string(c, heading, 120, 96, fit_label(word_menu_heading, heading, 11, 9, 200, face_serif),
                kPale, face_serif, 1);
    for (int i = 0; i < 9; ++i) {
        double x0, y0, x1, y1;
        menu_plate_box(i, x0, y0, x1, y1);
        menu_plate(c, x0, y0, x1, y1, menu_label(i), pressed == i ? button_down : button_up,
                   menu_label_size(i));
    }
    fill_rect(c, 70, 227.5, 170, 228.5, kGold, 0.5);
    return c;
}

// Every plate stays inside the screen's border, however it grows for its label.
void check_menu_plates() {
    for (int i = 0; i < 9; ++i) {
        double x0, y0, x1, y1;
        menu_plate_box(i, x0, y0, x1, y1);
        if (x0 < 7 || x1 > 233)
            note_label_problem(screen_layout[menu_place(i)].label,
                               "\"" + menu_label(i) + "\" makes its plate reach x " +
                                   std::to_string(int(x0)) + " to " + std::to_string(int(x1)) +
                                   ", past the border (7 to 233)");
    }
}

void write_menu(Output& out) {
    check_menu_plates();
    save_canvas(out, picture_file(screen_layout[place_menu].picture).c_str(), menu_screen(-1),
                true);
    for (int i = 0; i < 9; ++i)
        save_pressed(out, menu_place(i), canvas_to_indices(menu_screen(i), true), kMenu[i].pw,
                     kMenu[i].ph);
}

// [SECTION] Information pages
// The about page and the two publisher pages share a flat bottom band so that one pressed
// Back picture fits the Back button of all three.

const int kBandTop = 289;
const int kPressedW = 72, kPressedH = 26;
// The button body inside a pressed picture.
const int kBodyX = 8, kBodyY = 3, kBodyW = 56, kBodyH = 19;

void info_page(Canvas& c, uint32_t seed) {
    night_sky(c, 0, 0, 240, kBandTop, seed, 50, 0.45);
    fill_rect(c, 0, kBandTop, 240, 320, panel());
    fill_rect(c, 0, kBandTop - 1, 240, kBandTop, kGold, 0.9);
    screen_border(c, 2, 2, 238, kBandTop - 3);
}

// A button body placed for the place's pressed picture.
void info_button(Canvas& c, LayoutId place, bool pressed) {
    const int px = screen_layout[place].pressed_x, py = screen_layout[place].pressed_y;
    button(c, px + kBodyX, py + kBodyY, px + kBodyX + kBodyW, py + kBodyY + kBodyH,
           screen_layout[place].label, pressed ? button_down : button_up, 11);
}

// A line of words centred on the page, set smaller (down to three quarters) when it is wider
// than `room`.
void centred(Canvas& c, int word, double y, double size, Rgb colour, FontFace face,
             double room = 216) {
    const std::string text = words(word);
    draw_string(c, text, 120, y, fit_label(word, text, size, size * 0.75, room, face), colour, face,
                1);
}

void page_heading(Canvas& c, int word, const std::string& text, double y, double size) {
    const double s = fit_label(word, text, size, size * 0.75, 216, face_serif_bold);
    text_halo(c, text, 120, y, s, face_serif_bold, 1, kBlack, 0.5);
    gradient_text(c, text, 120, y, s, face_serif_bold, 1, kGoldLight, kGold);
}

// The size and line height of a page's running text: the first of these with which the page's
// words end above its foot.
struct BodyStyle {
    double size, line;
};
const BodyStyle kBodyStyles[] = {{9.5, 11.5}, {9, 11}, {8.5, 10.5}, {8.5, 10}};

// Both measure with no canvas, and return the baseline after their last line.
double body(Canvas* c, int word, double x, double y, double width, const BodyStyle& style) {
    return paragraph(c, words(word), x, y, width, style.size, style.line, kCream, face_sans);
}

double section(Canvas* c, int heading, int text, double y, const BodyStyle& style) {
    if (c) {
        const std::string h = words(heading);
        diamond(*c, 14, y - 4, 2.2, 2.2, kGold);
        draw_string(*c, h, 20, y, fit_label(heading, h, 11, 8.5, 212, face_serif_bold), kGoldLight,
                    face_serif_bold, 0);
    }
    return body(c, text, 12, y + 12, 216, style) + 3;
}

// The about page's running text from its top; returns the baseline of its last line.
double about_text(Canvas* c, const BodyStyle& style) {
    double y = body(c, word_about_intro, 12, 54, 216, style) + 5;
    y = section(c, word_about_arcana_heading, word_about_arcana_text, y + 2, style);
    y = section(c, word_about_reversed_heading, word_about_reversed_text, y + 2, style);
    return section(c, word_about_howto_heading, word_about_howto_text, y + 2, style) - 3 -
           style.line;
}

// The second publisher page's running text from its top; returns the baseline of its last
// line, the thanks.
double licence_text(Canvas* c, const BodyStyle& style) {
    double y = body(c, word_publisher_licence_text1, 14, 58, 212, style);
    y = body(c, word_publisher_licence_text2, 14, y + 4, 212, style);
    if (c)
        page_heading(*c, word_publisher_word_heading, words(word_publisher_word_heading), y + 22,
                     15);
    y = body(c, word_publisher_word_text, 14, y + 40, 212, style);
    if (c) {
        sun(*c, 120, y + 30, 9, {255, 230, 150}, kGold, 0.95);
        centred(*c, word_publisher_thanks, y + 66, 12, kGoldLight, face_serif_bold);
    }
    return y + 66;
}

// The first style with which a page's text (measured by `text`) ends by `foot`; the words that
// end it are noted as a problem when none does.
template <class TextFn> BodyStyle body_style(TextFn text, double foot, int last_word) {
    for (const BodyStyle& style : kBodyStyles)
        if (text(nullptr, style) <= foot) return style;
    const BodyStyle& least = kBodyStyles[sizeof kBodyStyles / sizeof kBodyStyles[0] - 1];
    char why[128];
    std::snprintf(why, sizeof why,
                  "the page's text ends at y %.1f, below its foot at %.1f, even at %.1f px",
                  text(nullptr, least), foot, least.size);
    note_label_problem(last_word, why);
    return least;
}

// The last lines' baselines the two pages allow, above the band and its border.
const double kAboutFoot = 281, kLicenceFoot = 281;

Canvas about_page(bool back_pressed) {
    Canvas c = make_canvas(240, 320, kBlack);
    info_page(c, 31);
    page_heading(c, word_about_heading, words(word_about_heading), 30, 19);
    rule(c, 60, 180, 38, kGold, 0.7);
    about_text(&c, body_style(about_text, kAboutFoot, word_about_howto_text));
    info_button(c, place_about_back, back_pressed);
    return c;
}

Canvas publisher_page(int page, int pressed) {
    Canvas c = make_canvas(240, 320, kBlack);
    info_page(c, page == 1 ? 41 : 43);
    if (page == 1) {
        glow(c, 120, 70, 70, {110, 70, 170}, 0.35);
        crescent(c, 120, 28, 11, 5, -3, 0.85, kGoldLight);
        star(c, 136, 19, 3.5, 0.3, 4, kGoldLight);
        page_heading(c, word_none, PROGRAM_NAME, 76, 36);
        centred(c, word_publisher_subtitle, 95, 10.5, kPale, face_serif, 200);
        centred(c, word_publisher_version, 114, 11, kCream, face_sans, 200);
        rule(c, 50, 190, 128, kGold, 0.8);
        centred(c, word_publisher_production, 148, 12, kGoldLight, face_serif_bold);
        const int credits[][2] = {
            {word_publisher_credit1_role, word_none},
            {word_publisher_credit2_role, word_publisher_credit2_who},
            {word_publisher_credit3_role, word_publisher_credit3_who},
        };
        double y = 174;
        for (const auto& line : credits) {
            centred(c, line[0], y, 9.5, kPale, face_sans);
            if (line[1] == word_none)
                draw_string(c, "Vorn Games", 120, y + 13, 10.5, kCream, face_serif_bold, 1);
            else
                centred(c, line[1], y + 13, 10.5, kCream, face_serif_bold);
            y += 34;
        }
        star(c, 120, 276, 4, 0.3, 4, kGold, 0.9);
        info_button(c, place_publisher_1_back, pressed == 1);
        info_button(c, place_publisher_1_next, pressed == 2);
        draw_string(c, "1 / 2", 120, 308, 9, kPale, face_sans, 1);
    } else {
        page_heading(c, word_publisher_licence_heading, words(word_publisher_licence_heading), 32,
                     19);
        rule(c, 60, 180, 40, kGold, 0.7);
        licence_text(&c, body_style(licence_text, kLicenceFoot, word_publisher_word_text));
        info_button(c, place_publisher_2_back, pressed == 1);
        info_button(c, place_publisher_2_menu, pressed == 2);
        draw_string(c, "2 / 2", 120, 308, 9, kPale, face_sans, 1);
    }
    return c;
}

void write_info_pages(Output& out) {
    save_canvas(out, picture_file(screen_layout[place_about].picture).c_str(), about_page(false),
                true);
    save_canvas(out, picture_file(screen_layout[place_publisher_1].picture).c_str(),
                publisher_page(1, 0), true);
    save_canvas(out, picture_file(screen_layout[place_publisher_2].picture).c_str(),
                publisher_page(2, 0), true);
    // The one pressed Back picture: the body on the flat band.
    Canvas back = make_canvas(kPressedW, kPressedH, panel());
    button(back, kBodyX, kBodyY, kBodyX + kBodyW, kBodyY + kBodyH, word_button_back, button_down,
           11);
    save_canvas(out, picture_file(screen_layout[place_about_back].pressed).c_str(), back, true);
    save_pressed(out, place_publisher_1_next, canvas_to_indices(publisher_page(1, 2), true),
                 kPressedW, kPressedH);
    save_pressed(out, place_publisher_2_menu, canvas_to_indices(publisher_page(2, 2), true),
                 kPressedW, kPressedH);
}

// [SECTION] Reading frame, titles and question board
// The frame covers rows 0..173. Its opening (columns 5..229, rows 46..146) is transparent:
// the enlarged card, the text window, the shuffle text and the pop-up live there, and the
// program clears parts of it on the shuffle screen.

const int kFrameW = 240, kFrameH = 174;
const int kHoleX0 = 5, kHoleY0 = 46, kHoleX1 = 230, kHoleY1 = 147;

Canvas frame_canvas() {
    Canvas c = make_canvas(kFrameW, kFrameH, kBlack);
    vertical_gradient(c, 0, 0, 240, 46, kSkyTop, {30, 18, 60});
    star_field(c, 0, 0, 240, 44, 40, 51, 0.7);
    fill_rect(c, 0, 46, 240, 174, panel());
    vertical_gradient(c, 0, 147, 240, 172, {30, 18, 60}, kSkyTop);
    star_field(c, 0, 148, 240, 170, 22, 57, 0.6);
    // Outer border and the gold edge of the opening.
    fill_rect(c, 0, 0, 240, 1, kGold, 0.9);
    fill_rect(c, 0, 0, 1, 174, kGold, 0.9);
    fill_rect(c, 239, 0, 240, 174, kGold, 0.9);
    fill_rect(c, 0, 172, 240, 173, kGold, 0.9);
    fill_rect(c, kHoleX0 - 2, kHoleY0 - 2, kHoleX1 + 2, kHoleY1 + 2, kGold);
    fill_rect(c, kHoleX0 - 1, kHoleY0 - 1, kHoleX1 + 1, kHoleY1 + 1, kGoldDark);
    // Header ornaments on either side of the title plaque.
    crescent(c, 20, 25, 10, 4.5, -3, 0.85, kGoldLight);
    star(c, 31, 12, 2.6, 0.3, 4, kGoldLight);
    sun(c, 220, 25, 6.5, {255, 230, 150}, kGold);
    // The bottom band: a rule and a medallion.
    rule(c, 14, 226, 160, kGold, 0.85);
    fill_ellipse(c, 120, 160, 8, 8, panel());
    stroke_ellipse(c, 120, 160, 8, 8, 1.2, kGold);
    star(c, 120, 160, 6, 0.35, 8, kGoldLight);
    clear_rect(c, kHoleX0, kHoleY0, kHoleX1, kHoleY1);
    return c;
}

const int kTitleX = screen_layout[place_reading_title].x,
          kTitleY = screen_layout[place_reading_title].y;
const int kTitleW = 164, kTitleH = 30;

// A reading's name on its plaque, between two stars; a longer name is set smaller, and one
// that still leaves the stars no room goes without them.
void title_plaque(Canvas& c, int word) {
    const std::string text = words(word);
    double x0 = kTitleX, y0 = kTitleY, x1 = kTitleX + kTitleW, y1 = kTitleY + kTitleH;
    // Room for the name with its stars clear of the diamonds at the plaque's ends, and without.
    bool stars = true;
    const double size = fit_between(word, text, 18, 14, 106, kTitleW - 28, face_serif_bold, &stars);
    fill_rounded_rect(c, x0 + 1, y0 + 1, x1 - 1, y1 - 1, 6, kGold);
    Canvas inner = layer(c.width, c.height);
    fill_rounded_rect(inner, x0 + 2.5, y0 + 2.5, x1 - 2.5, y1 - 2.5, 5, kWhite);
    paint_mask(c, inner, y0, y1, kPlateTop, kPlateBottom);
    double cx = (x0 + x1) / 2;
    double base = y0 + 21.5;
    draw_string(c, text, cx, base + 1, size, kBlack, face_serif_bold, 1);
    gradient_text(c, text, cx, base, size, face_serif_bold, 1, kGoldLight, kGold);
    double w = string_width(text, size, face_serif_bold);
    if (stars) {
        star(c, cx - w / 2 - 12, y0 + 15, 4, 0.3, 4, kGoldLight);
        star(c, cx + w / 2 + 12, y0 + 15, 4, 0.3, 4, kGoldLight);
    }
    diamond(c, x0 + 10, y0 + 15, 2, 2, kGold);
    diamond(c, x1 - 10, y0 + 15, 2, 2, kGold);
}

// The board under the question text: black inside (the font is cream on transparent).
const int kBoardY = screen_layout[place_question_board].y, kBoardH = 40;

void question_board(Canvas& c) {
    double y0 = kBoardY, y1 = kBoardY + kBoardH;
    fill_rounded_rect(c, 3, y0 + 1, 237, y1 - 1, 6, kGold);
    fill_rounded_rect(c, 4.5, y0 + 2.5, 235.5, y1 - 2.5, 5, kGoldDark);
    fill_rounded_rect(c, 6, y0 + 4, 234, y1 - 4, 4, kBlack);
}

void write_frame(Output& out) {
    Canvas frame = frame_canvas();
    save_canvas(out, "title_frame.nbf", frame, true);
    for (int k = 0; k < READING_COUNT; ++k) {
        Canvas c = frame;
        title_plaque(c, screen_layout[readings[k].menu_place].label);
        std::vector<uint8_t> indices = canvas_to_indices(c, true);
        save_crop(out, picture_file(readings[k].title_picture).c_str(), indices, kFrameW, kTitleX,
                  kTitleY, kTitleW, kTitleH);
    }
    Canvas board = frame;
    question_board(board);
    std::vector<uint8_t> indices = canvas_to_indices(board, true);
    save_crop(out, picture_file(screen_layout[place_question_board].picture).c_str(), indices,
              kFrameW, 0, kBoardY, 240, kBoardH);
}

// [SECTION] Scroll bar
// 16 x 99 at (224, 48): up arrow rows 1..17, track rows 18..81, down arrow rows 82..97.
// The track's rows are all alike, so the ball can be an opaque 12 x 5 picture.

const int kBarW = 16, kBarH = 99;
const int kBallW = 12, kBallH = 5, kBallX = 2;

Rgb track_colour(int x) {
    if (x == 0 || x == kBarW - 1) return gold_flat();
    if (x == 1 || x == kBarW - 2) return snap(kGoldDark);
    if (x >= 6 && x <= 9) return kBlack;
    if (x == 5 || x == 10) return panel_edge();
    return panel();
}

void arrow_button(Canvas& c, double y0, double y1, bool up, bool pressed) {
    fill_rounded_rect(c, 1.5, y0, kBarW - 1.5, y1, 3, pressed ? kGoldLight : kGold);
    Canvas inner = layer(c.width, c.height);
    fill_rounded_rect(inner, 2.5, y0 + 1, kBarW - 2.5, y1 - 1, 2.5, kWhite);
    if (pressed)
        paint_mask(c, inner, y0, y1, kGold, kGoldLight);
    else
        paint_mask(c, inner, y0, y1, kPlateTop, kPlateBottom);
    double cx = kBarW / 2.0, cy = (y0 + y1) / 2;
    Rgb ink = pressed ? Rgb{44, 16, 64} : kGoldLight;
    if (up)
        fill_polygon(c, {cx, cy - 4, cx + 5, cy + 3, cx - 5, cy + 3}, ink);
    else
        fill_polygon(c, {cx - 5, cy - 3, cx + 5, cy - 3, cx, cy + 4}, ink);
}

Canvas scroll_bar(int pressed) { // 0 none, 1 up, 2 down
    Canvas c = make_canvas(kBarW, kBarH, panel());
    for (int y = 0; y < kBarH; ++y)
        for (int x = 0; x < kBarW; ++x) fill_rect(c, x, y, x + 1, y + 1, track_colour(x));
    fill_rect(c, 0, 0, kBarW, 1, gold_flat());
    fill_rect(c, 0, kBarH - 1, kBarW, kBarH, gold_flat());
    arrow_button(c, 1, 18, true, pressed == 1);
    arrow_button(c, 82, 98, false, pressed == 2);
    return c;
}

void write_scroll_bar(Output& out) {
    save_canvas(out, "frame_scroll_01.nbf", scroll_bar(0), false);
    std::vector<uint8_t> up = canvas_to_indices(scroll_bar(1), false);
    save_crop(out, "frame_scroll_02_up.nbf", up, kBarW, 0, 0, kBarW, 18);
    std::vector<uint8_t> down = canvas_to_indices(scroll_bar(2), false);
    save_crop(out, "frame_scroll_02_down.nbf", down, kBarW, 0, 81, kBarW, 18);
    Canvas ball = make_canvas(kBallW, kBallH, kBlack);
    for (int x = 0; x < kBallW; ++x) fill_rect(ball, x, 0, x + 1, kBallH, track_colour(x + kBallX));
    Canvas mask = layer(kBallW, kBallH);
    fill_rounded_rect(mask, 0, 0, kBallW, kBallH, 2.5, kWhite);
    paint_mask(ball, mask, 0, kBallH, kGoldLight, kGoldDark);
    fill_rect(ball, 3, 1, 9, 2, kWhite, 0.6);
    save_canvas(out, "scroll_ball.nbf", ball, false);
}

// [SECTION] Shuffle screen
// The deck stands on black at (88, 175) in a 64 x 81 picture; the animation's frames are
// the same size and fully opaque, each replacing the last.

const int kDeckW = 64, kDeckH = 81;
const int kCardW = 40, kCardH = 66;

Canvas small_back() {
    return shrink(draw_card_face(CARD_BACK), kCardW, kCardH);
}

// A packet of `layers` cards: the back on top, card edges showing below it.
Canvas packet(const Canvas& back, int layers) {
    Canvas p = layer(kCardW + 2, kCardH + layers + 2);
    for (int k = layers; k >= 1; --k) {
        Rgb edge = mix(kCream, {150, 130, 110}, k / static_cast<double>(layers + 1));
        fill_rounded_rect(p, 1, 1 + k, kCardW + 1, kCardH + 1 + k, 3, {30, 20, 16});
        fill_rounded_rect(p, 1.5, 1 + k, kCardW + 0.5, kCardH + 0.5 + k, 2.5, edge);
    }
    blit(p, back, 1, 1);
    return p;
}

// One picture of the deck: each packet is (layers, dx, dy, angle in degrees), drawn in order.
struct Packet {
    int layers;
    double dx, dy, degrees;
};

Canvas deck_picture(const Canvas& back, const std::vector<Packet>& packets) {
    Canvas c = make_canvas(kDeckW, kDeckH, kBlack);
    for (int i = 0; i < 16; ++i) {
        double r = 31 * (1.0 - i / 16.0);
        fill_ellipse(c, 32, 44, r, r * 1.2, {80, 50, 130}, 0.035);
    }
    fill_ellipse(c, 32, 78, 26, 3, {60, 40, 90}, 0.6);
    for (const Packet& k : packets) {
        Canvas p = packet(back, k.layers);
        double cx = kDeckW / 2.0 + k.dx;
        double cy = 11 + p.height / 2.0 + k.dy + (5 - k.layers);
        draw_turned(c, p, cx, cy, k.degrees * kPi / 180.0, 1.0);
    }
    return c;
}

std::vector<Packet> rest_deck() {
    return {{5, 0, 0, 0}};
}

void write_shuffle(Output& out) {
    Canvas back = small_back();
    Canvas rest = deck_picture(back, rest_deck());
    save_canvas(out, "shuffle_01.nbf", rest, true);
    // The cut: the top half lifts away to the left, the bottom half rises to the right and
    // comes down on top, and the deck is square again.
    const std::vector<Packet> frames[6] = {
        rest_deck(),
        {{2, 0, 3, 0}, {3, -5, -6, -6}},
        {{2, 7, 2, 5}, {3, -8, -3, -9}},
        {{3, -7, 1, -6}, {2, 8, -7, 8}},
        {{3, -3, 2, -2}, {2, 3, -4, 3}},
        rest_deck(),
    };
    Canvas strip = make_canvas(kDeckW * 6, kDeckH, kBlack);
    for (int i = 0; i < 6; ++i) blit(strip, deck_picture(back, frames[i]), i * kDeckW, 0);
    save(out, "shuffle.nbf", canvas_to_indices(strip, true), strip.width, strip.height, kDeckW,
         kDeckH);

    // The first line between two stars (without them when it is longer), two lines below.
    Canvas text = make_canvas(160, 56, kBlack);
    const std::string first = words(word_shuffle_line1);
    bool stars = true;
    draw_string(text, first, 80, 14,
                fit_between(word_shuffle_line1, first, 13, 10, 103, 156, face_serif_bold, &stars),
                kGoldLight, face_serif_bold, 1);
    const int below[2] = {word_shuffle_line2, word_shuffle_line3};
    for (int k = 0; k < 2; ++k) {
        const std::string line = words(below[k]);
        draw_string(text, line, 80, 30 + 15 * k,
                    fit_label(below[k], line, 11, 8.5, 156, face_serif), kCream, face_serif, 1);
    }
    if (stars) {
        star(text, 22, 9, 3.5, 0.3, 4, kGold);
        star(text, 138, 9, 3.5, 0.3, 4, kGold);
    }
    save_canvas(out, "shuffletext.nbf", text, false);

    Canvas pop = make_canvas(150, 60, kBlack);
    fill_rounded_rect(pop, 1, 1, 149, 59, 8, kGold);
    Canvas inner = layer(150, 60);
    fill_rounded_rect(inner, 2.5, 2.5, 147.5, 57.5, 7, kWhite);
    paint_mask(pop, inner, 0, 60, kPlateTop, kPlateBottom);
    const int heading[2] = {word_shuffle_pop1, word_shuffle_pop2};
    for (int k = 0; k < 2; ++k) {
        const std::string line = words(heading[k]);
        draw_string(pop, line, 75, 20 + 14 * k,
                    fit_label(heading[k], line, 12, 9, 140, face_serif_bold), kGoldLight,
                    face_serif_bold, 1);
    }
    rule(pop, 40, 110, 41, kGold, 0.7);
    // The last line between two stars, or without them when it is longer.
    const std::string last = words(word_shuffle_pop3);
    draw_string(pop, last, 75, 53,
                fit_between(word_shuffle_pop3, last, 9.5, 7.5, 114, 138, face_sans, &stars), kCream,
                face_sans, 1);
    if (stars) {
        star(pop, 12, 47, 4, 0.3, 4, kGoldLight);
        star(pop, 138, 47, 4, 0.3, 4, kGoldLight);
    }
    save_canvas(out, "shuffle_pop.nbf", pop, true);
}

// [SECTION] Tables and corner buttons

// Velvet cloth with a diamond lattice, filling a box.
void cloth(Canvas& c, double x0, double y0, double x1, double y1, Rgb top, Rgb bottom) {
    vertical_gradient(c, x0, y0, x1, y1, top, bottom);
    for (double d = -320; d < 560; d += 22) {
        stroke_line(c, x0 + d, y0, x0 + d + (y1 - y0), y1, 0.8, {10, 2, 14}, 0.25);
        stroke_line(c, x0 + d, y1, x0 + d + (y1 - y0), y0, 0.8, {10, 2, 14}, 0.25);
    }
}

const Rgb kClothTop = {68, 20, 52};
const Rgb kClothBottom = {40, 10, 36};

Canvas card_table() {
    Canvas c = make_canvas(240, 147, kBlack);
    cloth(c, 0, 0, 240, 147, kClothTop, kClothBottom);
    fill_rect(c, 0, 0, 240, 2, kGold);
    fill_rect(c, 0, 2, 240, 3, kGoldDark);
    // An embroidered border inside the corner buttons.
    Rgb thread = {200, 150, 70};
    fill_rect(c, 22, 6, 218, 7, thread, 0.6);
    fill_rect(c, 22, 141, 218, 142, thread, 0.6);
    fill_rect(c, 22, 6, 23, 142, thread, 0.6);
    fill_rect(c, 217, 6, 218, 142, thread, 0.6);
    for (double y = 14; y < 140; y += 12) {
        diamond(c, 11, y, 2.5, 3.5, thread, 0.55);
        diamond(c, 229, y, 2.5, 3.5, thread, 0.55);
    }
    stroke_ellipse(c, 120, 74, 58, 58, 0.8, thread, 0.25);
    star(c, 120, 74, 30, 0.3, 8, thread, 0.12);
    return c;
}

Canvas shuffle_table() {
    Canvas c = make_canvas(240, 64, kBlack);
    cloth(c, 0, 0, 240, 46, {52, 14, 42}, kClothTop);
    fill_rect(c, 0, 0, 240, 1, kGold, 0.9);
    fill_ellipse(c, 120, 1, 30, 4, kBlack, 0.45);
    // Front hem with a gold fringe.
    vertical_gradient(c, 0, 46, 240, 64, {36, 8, 30}, {14, 4, 14});
    fill_rect(c, 0, 45, 240, 47, kGold);
    for (int x = 2; x < 240; x += 5) {
        stroke_line(c, x + 0.5, 47, x + 0.5, 53, 1.0, kGold, 0.8);
        fill_ellipse(c, x + 0.5, 54, 1.4, 1.4, kGoldLight, 0.8);
    }
    for (double x = 30; x < 220; x += 20) diamond(c, x, 24, 3, 4, {200, 150, 70}, 0.4);
    return c;
}

enum CornerIcon { icon_back, icon_next, icon_exit, icon_menu };

// A 20 x 50 corner button: an icon above a label that reads upwards. Shapes sit on whole
// pixels so they stay sharp at this size.
Canvas corner_button(CornerIcon icon, int word, bool pressed) {
    // The corner buttons' labels are set in capitals.
    const std::string label = capitals(words(word));
    Rgb face = snap(pressed ? kGoldLight : Rgb{52, 28, 92});
    Rgb ink = snap(pressed ? Rgb{44, 16, 64} : kGoldLight);
    Canvas c = make_canvas(20, 50, snap(kGold));
    fill_rect(c, 1, 1, 19, 49, snap(pressed ? kGold : kGoldDark));
    fill_rect(c, 2, 2, 18, 48, face);
    switch (icon) { // icons on rows 3..15
    case icon_back:
        fill_polygon(c, {4, 9, 10, 3, 10, 15}, ink);
        fill_rect(c, 10, 7, 16, 11, ink);
        break;
    case icon_next:
        fill_polygon(c, {16, 9, 10, 3, 10, 15}, ink);
        fill_rect(c, 4, 7, 10, 11, ink);
        break;
    case icon_exit: // an open door in its frame
        fill_rect(c, 5, 3, 15, 16, ink);
        fill_rect(c, 6, 4, 14, 16, face);
        fill_polygon(c, {6, 4, 11, 6, 11, 16, 6, 16}, ink);
        fill_rect(c, 9, 9, 10, 11, face);
        break;
    case icon_menu: // a list
        for (int i = 0; i < 3; ++i) {
            fill_rect(c, 4, 4 + i * 4, 6, 6 + i * 4, ink);
            fill_rect(c, 8, 4 + i * 4, 16, 6 + i * 4, ink);
        }
        break;
    }
    // Small turned text reads best with whole pixels: coverage is cut at one half.
    Canvas text = layer(32, 12);
    // A label still too long at 7 pixels may take the whole run below the icon, rows 16 to 47.
    double size = 9;
    while (size > 7 && string_width(label, size, face_sans_bold) > 29) size -= 0.5;
    if (string_width(label, size, face_sans_bold) > 29)
        size = fit_label(word, label, 7, 7, 32, face_sans_bold);
    draw_string(text, label, 16, 9, size, ink, face_sans_bold, 1);
    for (int y = 0; y < text.height; ++y)
        for (int x = 0; x < text.width; ++x) {
            const uint8_t* p = &text.rgba[(static_cast<size_t>(y) * text.width + x) * 4];
            if (p[3] < 110) continue;
            // (x, y) of the text lands on column 4 + y, row 47 - x.
            put(c, 4 + y, 47 - x, ink, 1.0);
        }
    return c;
}

void write_tables(Output& out) {
    save_canvas(out, "table.nbf", card_table(), true);
    save_canvas(out, "shuffletable.nbf", shuffle_table(), true);
    struct Corner {
        LayoutId place;
        CornerIcon icon;
    };
    const Corner corners[4] = {{place_shuffle_back, icon_back},
                               {place_shuffle_next, icon_next},
                               {place_table_exit, icon_exit},
                               {place_table_menu, icon_menu}};
    for (const Corner& k : corners) {
        const LayoutEntry& e = screen_layout[k.place];
        save_canvas(out, picture_file(e.picture).c_str(), corner_button(k.icon, e.label, false),
                    false);
        save_canvas(out, picture_file(e.pressed).c_str(), corner_button(k.icon, e.label, true),
                    false);
    }
}

} // namespace

// [SECTION] All screen pictures

int write_screen_pictures(const std::string& picture_dir) {
    Output out;
    out.dir = picture_dir;
    write_title(out);
    write_menu(out);
    write_info_pages(out);
    write_frame(out);
    write_scroll_bar(out);
    write_shuffle(out);
    write_tables(out);
    return out.ok;
}

void title_sky(Rgb* top, Rgb* bottom) {
    *top = kSkyTop;
    *bottom = kSkyBottom;
}
