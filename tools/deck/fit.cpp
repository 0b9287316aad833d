// fit.cpp -- fitting any picture onto a 60 x 100 card and mapping it onto the shared palette

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

// Scales the region [s0, s1) x [t0, t1) of the picture (fractions of its size) to w x h.
Image scale_region(const Image& picture, int w, int h, double s0, double t0, double s1, double t1) {
    Image out;
    out.width = w;
    out.height = h;
    out.rgba.assign(size_t(w) * size_t(h) * 4, 0);
    const double scale_x = w / ((s1 - s0) * picture.width);
    const double scale_y = h / ((t1 - t0) * picture.height);
    stbir_resize_region(picture.rgba.data(), picture.width, picture.height, picture.width * 4,
                        out.rgba.data(), w, h, w * 4, STBIR_TYPE_UINT8, 4, 3, 0, STBIR_EDGE_CLAMP,
                        STBIR_EDGE_CLAMP, filter_for(scale_x), filter_for(scale_y),
                        STBIR_COLORSPACE_SRGB, nullptr, float(s0), float(t0), float(s1), float(t1));
    return out;
}

} // namespace

Image fit_card(const Image& picture, FitMode mode) {
    Image card;
    card.width = CARD_WIDTH;
    card.height = CARD_HEIGHT;
    card.rgba.assign(size_t(CARD_WIDTH) * CARD_HEIGHT * 4, 0);
    if (picture.width == CARD_WIDTH && picture.height == CARD_HEIGHT) {
        card.rgba = picture.rgba;
    } else if (mode == fit_crop) {
        // The picture's scale covers the card; the middle of the longer side is kept.
        const double scale =
            std::max(double(CARD_WIDTH) / picture.width, double(CARD_HEIGHT) / picture.height);
        const double keep_x = CARD_WIDTH / scale / picture.width;
        const double keep_y = CARD_HEIGHT / scale / picture.height;
        const double s0 = (1.0 - keep_x) / 2, t0 = (1.0 - keep_y) / 2;
        card = scale_region(picture, CARD_WIDTH, CARD_HEIGHT, s0, t0, s0 + keep_x, t0 + keep_y);
    } else {
        // The whole picture fits in the card; it is centred between black bars.
        const double scale =
            std::min(double(CARD_WIDTH) / picture.width, double(CARD_HEIGHT) / picture.height);
        const int w = std::clamp(int(std::lround(picture.width * scale)), 1, int(CARD_WIDTH));
        const int h = std::clamp(int(std::lround(picture.height * scale)), 1, int(CARD_HEIGHT));
        const Image inner = scale_region(picture, w, h, 0, 0, 1, 1);
        const int left = (CARD_WIDTH - w) / 2, top = (CARD_HEIGHT - h) / 2;
        for (int y = 0; y < h; y++)
            std::copy_n(&inner.rgba[size_t(y) * w * 4], size_t(w) * 4,
                        &card.rgba[(size_t(top + y) * CARD_WIDTH + left) * 4]);
        for (int y = 0; y < CARD_HEIGHT; y++) // the bars: opaque black
            for (int x = 0; x < CARD_WIDTH; x++)
                if (y < top || y >= top + h || x < left || x >= left + w)
                    card.rgba[(size_t(y) * CARD_WIDTH + x) * 4 + 3] = 255;
    }
    // A card face is opaque: whatever the picture left transparent is laid over black.
    for (size_t i = 0; i < card.rgba.size(); i += 4) {
        const unsigned alpha = card.rgba[i + 3];
        for (int c = 0; c < 3; c++)
            card.rgba[i + c] = uint8_t((card.rgba[i + c] * alpha + 127) / 255);
        card.rgba[i + 3] = 255;
    }
    return card;
}

// [SECTION] Palette mapping

namespace {

// The nearest of indices 0..254 by a distance weighted for the eye; the lowest index of equal
// colours wins, so a colour of the palette maps onto the index the program's art uses.
int nearest_index(const uint8_t (*palette)[3], int r, int g, int b) {
    int best = 0;
    long best_distance = -1;
    for (int i = 0; i < 255; i++) {
        const long dr = r - palette[i][0], dg = g - palette[i][1], db = b - palette[i][2];
        const long distance = 2 * dr * dr + 4 * dg * dg + 3 * db * db;
        if (best_distance < 0 || distance < best_distance) {
            best_distance = distance;
            best = i;
            if (distance == 0) break;
        }
    }
    return best;
}

} // namespace

std::vector<uint8_t> dither_to_palette(const Image& card, const uint8_t (*palette)[3]) {
    const int w = card.width, h = card.height;
    std::vector<uint8_t> out(size_t(w) * size_t(h), 0);
    // Errors carried to this row and the next, three channels, one pixel of margin each side.
    std::vector<float> here(size_t(w + 2) * 3, 0.0f), below(size_t(w + 2) * 3, 0.0f);
    for (int y = 0; y < h; y++) {
        std::fill(below.begin(), below.end(), 0.0f);
        const bool forward = y % 2 == 0; // serpentine: every other row runs right to left
        for (int step = 0; step < w; step++) {
            const int x = forward ? step : w - 1 - step;
            const int ahead = forward ? 1 : -1;
            const uint8_t* pixel = &card.rgba[(size_t(y) * w + x) * 4];
            float wanted[3];
            for (int c = 0; c < 3; c++)
                wanted[c] = std::clamp(pixel[c] + here[size_t(x + 1) * 3 + c], 0.0f, 255.0f);
            const int index =
                nearest_index(palette, int(std::lround(wanted[0])), int(std::lround(wanted[1])),
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
