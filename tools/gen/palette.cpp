// palette.cpp -- the one shared 256-colour palette and the mapping of full colour onto it

#include "gen.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

// [SECTION] Palette design
// Index 0 is black, 255 the transparent key. Between them: a coarse colour cube for
// everything, then smooth ramps for the colours the art lives in (night sky, violet, gold,
// parchment, greys, skin and the four suit colours) so gradients have close neighbours.

namespace {

struct Stop {
    double t;
    Rgb c;
};

Rgb ramp_at(const std::vector<Stop>& stops, double t) {
    if (t <= stops.front().t) return stops.front().c;
    for (size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].t) {
            const Stop& a = stops[i - 1];
            const Stop& b = stops[i];
            double u = (t - a.t) / (b.t - a.t);
            auto mix = [u](uint8_t p, uint8_t q) {
                return static_cast<uint8_t>(std::lround(p + (q - p) * u));
            };
            return {mix(a.c.r, b.c.r), mix(a.c.g, b.c.g), mix(a.c.b, b.c.b)};
        }
    }
    return stops.back().c;
}

void add_ramp(std::vector<Rgb>& pal, int count, const std::vector<Stop>& stops) {
    for (int i = 0; i < count; ++i)
        pal.push_back(ramp_at(stops, count == 1 ? 0.0 : i / (count - 1.0)));
}

std::vector<Rgb> build_palette() {
    std::vector<Rgb> pal;
    pal.push_back({0, 0, 0});
    // Colour cube 5 x 5 x 5 without black (124 entries); the pure key colour is avoided.
    const uint8_t levels[5] = {0, 64, 128, 192, 255};
    for (int r = 0; r < 5; ++r)
        for (int g = 0; g < 5; ++g)
            for (int b = 0; b < 5; ++b) {
                if (r == 0 && g == 0 && b == 0) continue;
                Rgb c = {levels[r], levels[g], levels[b]};
                if (r == 4 && g == 0 && b == 4) c = {236, 0, 236};
                pal.push_back(c);
            }
    // Greys between the cube's five (12).
    const uint8_t greys[12] = {16, 32, 48, 80, 96, 112, 144, 160, 176, 208, 224, 240};
    for (uint8_t g : greys) pal.push_back({g, g, g});
    // Night sky: near-black navy to pale starlight blue (20).
    add_ramp(pal, 20,
             {{0.0, {4, 5, 16}},
              {0.25, {12, 18, 50}},
              {0.5, {28, 42, 96}},
              {0.75, {70, 98, 168}},
              {1.0, {176, 200, 240}}});
    // Violet (18).
    add_ramp(pal, 18,
             {{0.0, {14, 6, 26}},
              {0.3, {44, 18, 76}},
              {0.6, {96, 54, 148}},
              {0.85, {168, 130, 214}},
              {1.0, {228, 212, 248}}});
    // Gold: bronze shadow to pale highlight (18).
    add_ramp(pal, 18,
             {{0.0, {42, 26, 6}},
              {0.3, {112, 74, 18}},
              {0.6, {192, 142, 42}},
              {0.8, {232, 196, 88}},
              {1.0, {255, 244, 196}}});
    // Parchment and wood browns (18).
    add_ramp(pal, 18,
             {{0.0, {40, 24, 14}},
              {0.3, {104, 70, 40}},
              {0.6, {184, 148, 100}},
              {0.8, {226, 204, 160}},
              {1.0, {250, 242, 222}}});
    // Skin (10).
    add_ramp(pal, 10,
             {{0.0, {96, 56, 40}},
              {0.4, {172, 116, 84}},
              {0.75, {226, 178, 142}},
              {1.0, {250, 222, 196}}});
    // Wands: fire red to orange (10).
    add_ramp(
        pal, 10,
        {{0.0, {56, 8, 8}}, {0.4, {140, 24, 22}}, {0.7, {206, 70, 34}}, {1.0, {244, 150, 80}}});
    // Pentacles: earth green (10).
    add_ramp(
        pal, 10,
        {{0.0, {10, 32, 14}}, {0.4, {34, 86, 40}}, {0.7, {84, 150, 70}}, {1.0, {176, 216, 140}}});
    // Cups: water teal (10).
    add_ramp(
        pal, 10,
        {{0.0, {6, 30, 42}}, {0.4, {22, 82, 104}}, {0.7, {64, 150, 170}}, {1.0, {164, 222, 230}}});
    // Four deep table and cloth tones.
    pal.push_back({48, 10, 22});
    pal.push_back({76, 18, 36});
    pal.push_back({22, 40, 30});
    pal.push_back({64, 40, 70});
    while (pal.size() < 255) pal.push_back({128, 128, 128});
    pal.resize(255);
    pal.push_back({255, 0, 255});
    return pal;
}

// Weighted squared distance, a little more weight on green as the eye does.
int distance(Rgb a, int r, int g, int b) {
    int dr = a.r - r, dg = a.g - g, db = a.b - b;
    int rmean = (a.r + r) / 2;
    return (((512 + rmean) * dr * dr) >> 8) + 4 * dg * dg + (((767 - rmean) * db * db) >> 8);
}

int nearest(int r, int g, int b, int exclude) {
    const std::vector<Rgb>& pal = main_palette();
    int best = 0;
    int best_d = -1;
    for (int i = 0; i < 255; ++i) {
        if (i == exclude) continue;
        int d = distance(pal[i], r, g, b);
        if (best_d < 0 || d < best_d) {
            best_d = d;
            best = i;
        }
    }
    return best;
}

int clamp255(double v) {
    return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(std::lround(v));
}

// A colour between two palette entries: the pair and how far towards the second it lies
// (0..64), for ordered dithering.
struct Mix {
    uint8_t first, second, level;
};

Mix mix_for(int r, int g, int b) {
    static std::unordered_map<uint32_t, Mix> memo;
    uint32_t key = (static_cast<uint32_t>(r) << 16) | (g << 8) | b;
    auto it = memo.find(key);
    if (it != memo.end()) return it->second;
    const std::vector<Rgb>& pal = main_palette();
    int c1 = nearest(r, g, b, -1);
    Mix m = {static_cast<uint8_t>(c1), static_cast<uint8_t>(c1), 0};
    double er = r - pal[c1].r, eg = g - pal[c1].g, eb = b - pal[c1].b;
    if (std::fabs(er) + std::fabs(eg) + std::fabs(eb) > 2.0) {
        // Look past the colour, away from the nearest entry, for the second of the pair.
        int c2 = c1;
        for (double k = 2.0; k <= 16.0 && c2 == c1; k *= 2.0)
            c2 = nearest(clamp255(pal[c1].r + er * k), clamp255(pal[c1].g + eg * k),
                         clamp255(pal[c1].b + eb * k), -1);
        if (c2 != c1) {
            double vr = pal[c2].r - pal[c1].r, vg = pal[c2].g - pal[c1].g,
                   vb = pal[c2].b - pal[c1].b;
            double len2 = vr * vr + vg * vg + vb * vb;
            double t = len2 > 0 ? (er * vr + eg * vg + eb * vb) / len2 : 0.0;
            t = std::max(0.0, std::min(0.5, t));
            m.second = static_cast<uint8_t>(c2);
            m.level = static_cast<uint8_t>(std::lround(t * 64.0));
        }
    }
    memo[key] = m;
    return m;
}

const int kBayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                          {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                          {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                          {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

} // namespace

// [SECTION] Interface

const std::vector<Rgb>& main_palette() {
    static const std::vector<Rgb> pal = build_palette();
    return pal;
}

uint8_t palette_index(Rgb colour) {
    return mix_for(colour.r, colour.g, colour.b).first;
}

std::vector<uint8_t> canvas_to_indices(const Canvas& c, bool dither) {
    std::vector<uint8_t> out(static_cast<size_t>(c.width) * c.height, 255);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            size_t i = static_cast<size_t>(y) * c.width + x;
            const uint8_t* p = &c.rgba[i * 4];
            if (p[3] < 128) continue;
            Mix m = mix_for(p[0], p[1], p[2]);
            out[i] = dither && kBayer[y & 7][x & 7] < m.level ? m.second : m.first;
        }
    return out;
}

int write_palette_file(const std::string& path) {
    std::vector<uint8_t> bytes;
    for (const Rgb& c : main_palette()) {
        bytes.push_back(c.r);
        bytes.push_back(c.g);
        bytes.push_back(c.b);
    }
    return write_bytes(path, bytes);
}
