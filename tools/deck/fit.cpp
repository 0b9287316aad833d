// fit.cpp -- fitting any picture onto a card (CARD_WIDTH x CARD_HEIGHT) and mapping it onto the
// shared palette

#include "deck.h"

#include <algorithm>
#include <cmath>
#include <stb/stb_image_resize.h>

// [SECTION] Scaling

namespace {

// Area averaging when the picture shrinks along an axis; an interpolating cubic when it grows.
stbir_filter filter_for(double scale) {
    return scale < 1.0 ? STBIR_FILTER_BOX : STBIR_FILTER_CATMULLROM;
}

// Scales the region [s0, s1) x [t0, t1) of the picture (fractions of its size) to w x h, with
// the picture's channels.
Image scale_region(const Image& picture, int w, int h, double s0, double t0, double s1, double t1) {
    Image out;
    out.width = w;
    out.height = h;
    out.channels = picture.channels;
    out.pixels.assign(size_t(w) * size_t(h) * size_t(out.channels), 0);
    const double scale_x = w / ((s1 - s0) * picture.width);
    const double scale_y = h / ((t1 - t0) * picture.height);
    const int alpha = picture.channels == 4 ? 3 : STBIR_ALPHA_CHANNEL_NONE;
    stbir_resize_region(picture.pixels.data(), picture.width, picture.height,
                        picture.width * picture.channels, out.pixels.data(), w, h, w * out.channels,
                        STBIR_TYPE_UINT8, picture.channels, alpha, 0, STBIR_EDGE_CLAMP,
                        STBIR_EDGE_CLAMP, filter_for(scale_x), filter_for(scale_y),
                        STBIR_COLORSPACE_SRGB, nullptr, float(s0), float(t0), float(s1), float(t1));
    return out;
}

// Lays a picture's pixels onto the card at (left, top), over black where it is transparent.
void lay_onto(Image* card, const Image& picture, int left, int top) {
    for (int y = 0; y < picture.height; y++)
        for (int x = 0; x < picture.width; x++) {
            const uint8_t* in = &picture.pixels[(size_t(y) * size_t(picture.width) + size_t(x)) *
                                                size_t(picture.channels)];
            uint8_t* out = &card->pixels[(size_t(top + y) * CARD_WIDTH + size_t(left + x)) * 4];
            const unsigned alpha = picture.channels == 4 ? in[3] : 255;
            for (int c = 0; c < 3; c++) out[c] = uint8_t((in[c] * alpha + 127) / 255);
        }
}

} // namespace

Image fit_card(const Image& picture, FitMode mode) {
    // A black, opaque card.
    Image card;
    card.width = CARD_WIDTH;
    card.height = CARD_HEIGHT;
    card.pixels.assign(size_t(CARD_WIDTH) * CARD_HEIGHT * 4, 0);
    for (size_t i = 3; i < card.pixels.size(); i += 4) card.pixels[i] = 255;
    if (picture.width == CARD_WIDTH && picture.height == CARD_HEIGHT) {
        lay_onto(&card, picture, 0, 0);
    } else if (mode == fit_crop) {
        // The picture's scale covers the card; the middle of the longer side is kept.
        const double scale =
            std::max(double(CARD_WIDTH) / picture.width, double(CARD_HEIGHT) / picture.height);
        const double keep_x = CARD_WIDTH / scale / picture.width;
        const double keep_y = CARD_HEIGHT / scale / picture.height;
        const double s0 = (1.0 - keep_x) / 2, t0 = (1.0 - keep_y) / 2;
        lay_onto(&card,
                 scale_region(picture, CARD_WIDTH, CARD_HEIGHT, s0, t0, s0 + keep_x, t0 + keep_y),
                 0, 0);
    } else {
        // The whole picture fits in the card; it is centred between black bars.
        const double scale =
            std::min(double(CARD_WIDTH) / picture.width, double(CARD_HEIGHT) / picture.height);
        const int w = std::clamp(int(std::lround(picture.width * scale)), 1, int(CARD_WIDTH));
        const int h = std::clamp(int(std::lround(picture.height * scale)), 1, int(CARD_HEIGHT));
        lay_onto(&card, scale_region(picture, w, h, 0, 0, 1, 1), (CARD_WIDTH - w) / 2,
                 (CARD_HEIGHT - h) / 2);
    }
    return card;
}

// [SECTION] Palette mapping

namespace {

// The nearest of indices 0..254 by a distance weighted for the eye; the lowest index of equal
// colours wins, so a colour of the palette maps onto the index the program's art uses. The
// entries are kept in order of green, the heaviest weight: the search walks out from the
// wanted green both ways and stops where green alone is already farther than the best.
struct PaletteSearch {
    const uint8_t (*palette)[3];
    int order[255]; // indices by green, then by index

    explicit PaletteSearch(const uint8_t (*p)[3]) : palette(p) {
        for (int i = 0; i < 255; i++) order[i] = i;
        std::stable_sort(order, order + 255, [p](int a, int b) { return p[a][1] < p[b][1]; });
    }

    long distance(int i, int r, int g, int b) const {
        const long dr = r - palette[i][0], dg = g - palette[i][1], db = b - palette[i][2];
        return 2 * dr * dr + 4 * dg * dg + 3 * db * db;
    }

    int nearest(int r, int g, int b) const {
        int up = int(std::lower_bound(order, order + 255, g,
                                      [this](int i, int green) { return palette[i][1] < green; }) -
                     order);
        int down = up - 1;
        int best = -1;
        long best_distance = 0;
        auto consider = [&](int i) {
            const long d = distance(i, r, g, b);
            if (best < 0 || d < best_distance || (d == best_distance && i < best)) {
                best = i;
                best_distance = d;
            }
        };
        auto beyond = [&](int i) { // green alone is farther than the best found
            const long dg = g - palette[i][1];
            return best >= 0 && 4 * dg * dg > best_distance;
        };
        while (up < 255 || down >= 0) {
            if (up < 255) {
                if (beyond(order[up]))
                    up = 255;
                else
                    consider(order[up++]);
            }
            if (down >= 0) {
                if (beyond(order[down]))
                    down = -1;
                else
                    consider(order[down--]);
            }
        }
        return best;
    }
};

} // namespace

std::vector<uint8_t> dither_to_palette(const Image& card, const uint8_t (*palette)[3]) {
    const int w = card.width, h = card.height;
    std::vector<uint8_t> out(size_t(w) * size_t(h), 0);
    const PaletteSearch search(palette);
    // Errors carried to this row and the next, three channels, one pixel of margin each side.
    std::vector<float> here(size_t(w + 2) * 3, 0.0f), below(size_t(w + 2) * 3, 0.0f);
    for (int y = 0; y < h; y++) {
        std::fill(below.begin(), below.end(), 0.0f);
        const bool forward = y % 2 == 0; // serpentine: every other row runs right to left
        for (int step = 0; step < w; step++) {
            const int x = forward ? step : w - 1 - step;
            const int ahead = forward ? 1 : -1;
            const uint8_t* pixel = &card.pixels[(size_t(y) * w + x) * 4];
            float wanted[3];
            for (int c = 0; c < 3; c++)
                wanted[c] = std::clamp(pixel[c] + here[size_t(x + 1) * 3 + c], 0.0f, 255.0f);
            const int index =
                search.nearest(int(std::lround(wanted[0])), int(std::lround(wanted[1])),
                               int(std::lround(wanted[2])));
            out[size_t(y) * w + x] = uint8_t(index);
            for (int c = 0; c < 3; c++) {
                const float error = wanted[c] - palette[index][c];
                here[size_t(x + 1 + ahead) * 3 + c] += error * 7.0f / 16;
                below[size_t(x + 1 - ahead) * 3 + c] += error * 3.0f / 16;
                below[size_t(x + 1) * 3 + c] += error * 5.0f / 16;
                below[size_t(x + 1 + ahead) * 3 + c] += error * 1.0f / 16;
            }
        }
        here.swap(below);
    }
    return out;
}
