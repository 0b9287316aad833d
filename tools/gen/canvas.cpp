// canvas.cpp -- full-colour drawing for the generator: anti-aliased shapes and FreeType text

#include "gen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <ft2build.h>
#include FT_FREETYPE_H

#ifndef QUARNEL_FONT_DIR
#define QUARNEL_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

// [SECTION] Pixels and blending

Canvas make_canvas(int width, int height, Rgb fill, uint8_t alpha) {
    Canvas c;
    c.width = width > 0 ? width : 0;
    c.height = height > 0 ? height : 0;
    c.rgba.resize(static_cast<size_t>(c.width) * c.height * 4);
    for (size_t i = 0; i < c.rgba.size(); i += 4) {
        c.rgba[i] = fill.r;
        c.rgba[i + 1] = fill.g;
        c.rgba[i + 2] = fill.b;
        c.rgba[i + 3] = alpha;
    }
    return c;
}

static uint8_t to_byte(double v) {
    if (v <= 0.0) return 0;
    if (v >= 255.0) return 255;
    return static_cast<uint8_t>(v + 0.5);
}

// Blends one colour over pixel (x, y) with coverage a (0..1), "over" in straight alpha.
static void blend_pixel(Canvas& c, int x, int y, Rgb colour, double a) {
    if (x < 0 || y < 0 || x >= c.width || y >= c.height || a <= 0.0) return;
    if (a > 1.0) a = 1.0;
    uint8_t* p = &c.rgba[(static_cast<size_t>(y) * c.width + x) * 4];
    double da = p[3] / 255.0;
    double oa = a + da * (1.0 - a);
    if (oa <= 0.0) return;
    double keep = da * (1.0 - a);
    p[0] = to_byte((colour.r * a + p[0] * keep) / oa);
    p[1] = to_byte((colour.g * a + p[1] * keep) / oa);
    p[2] = to_byte((colour.b * a + p[2] * keep) / oa);
    p[3] = to_byte(oa * 255.0);
}

// [SECTION] Coverage by sub-scanlines
// A shape is a set of horizontal spans on each of kSub sub-scanlines per pixel row; the
// horizontal coverage of each span is exact, the vertical one is sampled.

namespace {

const int kSub = 16;

struct Coverage {
    int x0 = 0, y0 = 0, w = 0, h = 0;
    std::vector<double> a;
};

Coverage make_coverage(const Canvas& c, double x0, double y0, double x1, double y1) {
    Coverage cov;
    int ix0 = std::max(0, static_cast<int>(std::floor(x0)));
    int iy0 = std::max(0, static_cast<int>(std::floor(y0)));
    int ix1 = std::min(c.width, static_cast<int>(std::ceil(x1)));
    int iy1 = std::min(c.height, static_cast<int>(std::ceil(y1)));
    if (ix1 <= ix0 || iy1 <= iy0) return cov;
    cov.x0 = ix0;
    cov.y0 = iy0;
    cov.w = ix1 - ix0;
    cov.h = iy1 - iy0;
    cov.a.assign(static_cast<size_t>(cov.w) * cov.h, 0.0);
    return cov;
}

// Adds the span [xa, xb) on pixel row `row` with the given weight.
void add_span(Coverage& cov, int row, double xa, double xb, double weight) {
    if (row < cov.y0 || row >= cov.y0 + cov.h || xb <= xa) return;
    xa = std::max(xa, static_cast<double>(cov.x0));
    xb = std::min(xb, static_cast<double>(cov.x0 + cov.w));
    if (xb <= xa) return;
    double* line = &cov.a[static_cast<size_t>(row - cov.y0) * cov.w];
    int pa = static_cast<int>(std::floor(xa));
    int pb = static_cast<int>(std::floor(xb));
    if (pb >= cov.x0 + cov.w) pb = cov.x0 + cov.w - 1;
    if (pa == pb) {
        line[pa - cov.x0] += (xb - xa) * weight;
        return;
    }
    line[pa - cov.x0] += (pa + 1 - xa) * weight;
    for (int x = pa + 1; x < pb; ++x) line[x - cov.x0] += weight;
    line[pb - cov.x0] += (xb - pb) * weight;
}

// Calls spans(sy, out) for every sub-scanline centre sy of the box and accumulates.
template <class SpanFn> void cover(Coverage& cov, SpanFn spans) {
    std::vector<double> xs;
    for (int row = cov.y0; row < cov.y0 + cov.h; ++row) {
        for (int s = 0; s < kSub; ++s) {
            double sy = row + (s + 0.5) / kSub;
            xs.clear();
            spans(sy, xs);
            for (size_t i = 0; i + 1 < xs.size(); i += 2)
                add_span(cov, row, xs[i], xs[i + 1], 1.0 / kSub);
        }
    }
}

void paint(Canvas& c, const Coverage& cov, Rgb colour, double opacity) {
    for (int y = 0; y < cov.h; ++y)
        for (int x = 0; x < cov.w; ++x) {
            double a = cov.a[static_cast<size_t>(y) * cov.w + x];
            if (a > 0.0) blend_pixel(c, cov.x0 + x, cov.y0 + y, colour, std::min(a, 1.0) * opacity);
        }
}

// Polygon spans with the non-zero winding rule.
void polygon_spans(const std::vector<double>& xy, double sy, std::vector<double>& out) {
    struct Cross {
        double x;
        int dir;
    };
    Cross crossings[512];
    int n = 0;
    size_t count = xy.size() / 2;
    for (size_t i = 0; i < count && n < 512; ++i) {
        double ax = xy[2 * i], ay = xy[2 * i + 1];
        size_t j = (i + 1) % count;
        double bx = xy[2 * j], by = xy[2 * j + 1];
        if (ay == by) continue;
        int dir = ay < by ? 1 : -1;
        double lo = std::min(ay, by), hi = std::max(ay, by);
        if (sy < lo || sy >= hi) continue;
        double t = (sy - ay) / (by - ay);
        crossings[n++] = {ax + t * (bx - ax), dir};
    }
    std::sort(crossings, crossings + n, [](const Cross& a, const Cross& b) { return a.x < b.x; });
    int winding = 0;
    double start = 0.0;
    for (int i = 0; i < n; ++i) {
        int before = winding;
        winding += crossings[i].dir;
        if (before == 0 && winding != 0) start = crossings[i].x;
        if (before != 0 && winding == 0) {
            out.push_back(start);
            out.push_back(crossings[i].x);
        }
    }
}

// Half-width of an ellipse at height dy from its centre; negative when outside.
double ellipse_half(double rx, double ry, double dy) {
    if (rx <= 0.0 || ry <= 0.0) return -1.0;
    double q = 1.0 - (dy * dy) / (ry * ry);
    if (q < 0.0) return -1.0;
    return rx * std::sqrt(q);
}

} // namespace

// [SECTION] Shapes

void fill_rect(Canvas& c, double x0, double y0, double x1, double y1, Rgb colour, double opacity) {
    if (x1 < x0) std::swap(x0, x1);
    if (y1 < y0) std::swap(y0, y1);
    Coverage cov = make_coverage(c, x0, y0, x1, y1);
    if (cov.w == 0) return;
    // Exact area coverage: horizontal span times vertical overlap of each row.
    for (int row = cov.y0; row < cov.y0 + cov.h; ++row) {
        double v = std::min(y1, row + 1.0) - std::max(y0, static_cast<double>(row));
        if (v > 0.0) add_span(cov, row, x0, x1, v);
    }
    paint(c, cov, colour, opacity);
}

void fill_rounded_rect(Canvas& c, double x0, double y0, double x1, double y1, double radius,
                       Rgb colour, double opacity) {
    if (x1 < x0) std::swap(x0, x1);
    if (y1 < y0) std::swap(y0, y1);
    radius = std::max(0.0, std::min(radius, std::min(x1 - x0, y1 - y0) / 2.0));
    Coverage cov = make_coverage(c, x0, y0, x1, y1);
    if (cov.w == 0) return;
    cover(cov, [&](double sy, std::vector<double>& out) {
        if (sy < y0 || sy >= y1) return;
        double inset = 0.0;
        double dy = 0.0;
        if (sy < y0 + radius) dy = y0 + radius - sy;
        if (sy > y1 - radius) dy = sy - (y1 - radius);
        if (dy > 0.0) inset = radius - std::sqrt(std::max(0.0, radius * radius - dy * dy));
        out.push_back(x0 + inset);
        out.push_back(x1 - inset);
    });
    paint(c, cov, colour, opacity);
}

void fill_ellipse(Canvas& c, double cx, double cy, double rx, double ry, Rgb colour,
                  double opacity) {
    Coverage cov = make_coverage(c, cx - rx, cy - ry, cx + rx, cy + ry);
    if (cov.w == 0) return;
    cover(cov, [&](double sy, std::vector<double>& out) {
        double h = ellipse_half(rx, ry, sy - cy);
        if (h <= 0.0) return;
        out.push_back(cx - h);
        out.push_back(cx + h);
    });
    paint(c, cov, colour, opacity);
}

void stroke_ellipse(Canvas& c, double cx, double cy, double rx, double ry, double width, Rgb colour,
                    double opacity) {
    double orx = rx + width / 2.0, ory = ry + width / 2.0;
    double irx = rx - width / 2.0, iry = ry - width / 2.0;
    Coverage cov = make_coverage(c, cx - orx, cy - ory, cx + orx, cy + ory);
    if (cov.w == 0) return;
    cover(cov, [&](double sy, std::vector<double>& out) {
        double ho = ellipse_half(orx, ory, sy - cy);
        if (ho <= 0.0) return;
        double hi = ellipse_half(irx, iry, sy - cy);
        if (hi <= 0.0) {
            out.push_back(cx - ho);
            out.push_back(cx + ho);
            return;
        }
        out.push_back(cx - ho);
        out.push_back(cx - hi);
        out.push_back(cx + hi);
        out.push_back(cx + ho);
    });
    paint(c, cov, colour, opacity);
}

void fill_polygon(Canvas& c, const std::vector<double>& xy, Rgb colour, double opacity) {
    if (xy.size() < 6) return;
    double x0 = xy[0], x1 = xy[0], y0 = xy[1], y1 = xy[1];
    for (size_t i = 0; i + 1 < xy.size(); i += 2) {
        x0 = std::min(x0, xy[i]);
        x1 = std::max(x1, xy[i]);
        y0 = std::min(y0, xy[i + 1]);
        y1 = std::max(y1, xy[i + 1]);
    }
    Coverage cov = make_coverage(c, x0, y0, x1, y1);
    if (cov.w == 0) return;
    cover(cov, [&](double sy, std::vector<double>& out) { polygon_spans(xy, sy, out); });
    paint(c, cov, colour, opacity);
}

void stroke_line(Canvas& c, double x0, double y0, double x1, double y1, double width, Rgb colour,
                 double opacity) {
    // A capsule: the segment widened by width/2 on each side, with round ends.
    double r = width / 2.0;
    if (r <= 0.0) return;
    double dx = x1 - x0, dy = y1 - y0;
    double len = std::sqrt(dx * dx + dy * dy);
    std::vector<double> xy;
    const double pi = 3.14159265358979323846;
    double base = len > 0.0 ? std::atan2(dy, dx) : 0.0;
    const int steps = 12;
    for (int i = 0; i <= steps; ++i) { // end cap around (x1, y1)
        double t = base - pi / 2 + pi * i / steps;
        xy.push_back(x1 + r * std::cos(t));
        xy.push_back(y1 + r * std::sin(t));
    }
    for (int i = 0; i <= steps; ++i) { // start cap around (x0, y0)
        double t = base + pi / 2 + pi * i / steps;
        xy.push_back(x0 + r * std::cos(t));
        xy.push_back(y0 + r * std::sin(t));
    }
    fill_polygon(c, xy, colour, opacity);
}

void vertical_gradient(Canvas& c, double x0, double y0, double x1, double y1, Rgb top, Rgb bottom) {
    if (x1 < x0) std::swap(x0, x1);
    if (y1 < y0) std::swap(y0, y1);
    int iy0 = std::max(0, static_cast<int>(std::floor(y0)));
    int iy1 = std::min(c.height, static_cast<int>(std::ceil(y1)));
    double span = y1 - y0;
    for (int row = iy0; row < iy1; ++row) {
        double t = span > 0.0 ? (row + 0.5 - y0) / span : 0.0;
        t = std::max(0.0, std::min(1.0, t));
        Rgb col = {to_byte(top.r + (bottom.r - top.r) * t), to_byte(top.g + (bottom.g - top.g) * t),
                   to_byte(top.b + (bottom.b - top.b) * t)};
        double ra = std::max(y0, static_cast<double>(row));
        double rb = std::min(y1, row + 1.0);
        fill_rect(c, x0, ra, x1, rb, col, 1.0);
    }
}

void clear_rect(Canvas& c, int x0, int y0, int x1, int y1) {
    // Half-open: x0 <= x < x1, y0 <= y < y1.
    x0 = std::max(0, x0);
    y0 = std::max(0, y0);
    x1 = std::min(c.width, x1);
    y1 = std::min(c.height, y1);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            uint8_t* p = &c.rgba[(static_cast<size_t>(y) * c.width + x) * 4];
            p[0] = p[1] = p[2] = p[3] = 0;
        }
}

void blit(Canvas& dst, const Canvas& src, int x, int y) {
    for (int sy = 0; sy < src.height; ++sy)
        for (int sx = 0; sx < src.width; ++sx) {
            const uint8_t* p = &src.rgba[(static_cast<size_t>(sy) * src.width + sx) * 4];
            if (p[3] == 0) continue;
            blend_pixel(dst, x + sx, y + sy, {p[0], p[1], p[2]}, p[3] / 255.0);
        }
}

// [SECTION] Text

namespace {

struct Fonts {
    FT_Library library = nullptr;
    FT_Face faces[4] = {nullptr, nullptr, nullptr, nullptr};
    bool tried = false;
};

Fonts& fonts() {
    static Fonts f;
    if (!f.tried) {
        f.tried = true;
        if (FT_Init_FreeType(&f.library) != 0) {
            std::fprintf(stderr, "quarnel-gen: FreeType cannot start\n");
            f.library = nullptr;
            return f;
        }
        const char* files[4] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSerif.ttf",
                                "DejaVuSerif-Bold.ttf"};
        for (int i = 0; i < 4; ++i) {
            std::string path = std::string(QUARNEL_FONT_DIR) + "/" + files[i];
            if (FT_New_Face(f.library, path.c_str(), 0, &f.faces[i]) != 0) {
                std::fprintf(stderr, "quarnel-gen: cannot open font %s\n", path.c_str());
                f.faces[i] = nullptr;
            }
        }
    }
    return f;
}

FT_Face face_at(FontFace face, double size) {
    Fonts& f = fonts();
    int i = static_cast<int>(face);
    if (i < 0 || i > 3 || f.faces[i] == nullptr) return nullptr;
    FT_Face ft = f.faces[i];
    FT_Set_Char_Size(ft, 0, static_cast<FT_F26Dot6>(std::lround(size * 64.0)), 72, 72);
    return ft;
}

// Decodes UTF-8 into code points; a malformed byte stands for itself.
std::vector<uint32_t> code_points(const std::string& text) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        uint32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
        if (extra > 0 && i + extra >= text.size()) {
            out.push_back(b);
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            unsigned char n = static_cast<unsigned char>(text[i + k]);
            if ((n & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (n & 0x3F);
        }
        if (!ok) {
            out.push_back(b);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += extra + 1;
    }
    return out;
}

const FT_Int32 kLoadFlags = FT_LOAD_DEFAULT;

// Walks the glyphs of text; calls f(glyph slot, pen x in pixels) for each after loading it.
// Returns the total advance in pixels. Pen positions are whole pixels so hinted glyphs
// stay crisp.
template <class GlyphFn>
double walk_glyphs(FT_Face ft, const std::string& text, bool render, GlyphFn f) {
    long pen = 0; // 26.6
    FT_UInt previous = 0;
    for (uint32_t cp : code_points(text)) {
        FT_UInt index = FT_Get_Char_Index(ft, cp);
        if (previous != 0 && index != 0 && FT_HAS_KERNING(ft)) {
            FT_Vector k;
            if (FT_Get_Kerning(ft, previous, index, FT_KERNING_DEFAULT, &k) == 0) pen += k.x;
        }
        if (FT_Load_Glyph(ft, index, kLoadFlags | (render ? FT_LOAD_RENDER : 0)) != 0) continue;
        pen = (pen + 32) & ~63L;
        f(ft->glyph, static_cast<int>(pen >> 6));
        pen += ft->glyph->advance.x;
        previous = index;
    }
    return pen / 64.0;
}

} // namespace

double string_width(const std::string& text, double size, FontFace face) {
    FT_Face ft = face_at(face, size);
    if (ft == nullptr) return 0.0;
    return walk_glyphs(ft, text, false, [](FT_GlyphSlot, int) {});
}

void draw_string(Canvas& c, const std::string& text, double x, double y, double size, Rgb colour,
                 FontFace face, int align) {
    FT_Face ft = face_at(face, size);
    if (ft == nullptr) return;
    double width = 0.0;
    if (align != 0) width = string_width(text, size, face);
    double left = x;
    if (align == 1) left = x - width / 2.0;
    if (align == 2) left = x - width;
    int ox = static_cast<int>(std::lround(left));
    int oy = static_cast<int>(std::lround(y));
    walk_glyphs(ft, text, true, [&](FT_GlyphSlot g, int pen) {
        const FT_Bitmap& bm = g->bitmap;
        if (bm.pixel_mode != FT_PIXEL_MODE_GRAY) return;
        int gx = ox + pen + g->bitmap_left;
        int gy = oy - g->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row)
            for (unsigned col = 0; col < bm.width; ++col) {
                unsigned char v = bm.buffer[row * bm.pitch + col];
                if (v != 0)
                    blend_pixel(c, gx + static_cast<int>(col), gy + static_cast<int>(row), colour,
                                v / 255.0);
            }
    });
}
