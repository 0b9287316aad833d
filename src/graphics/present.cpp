// present.cpp -- copies the back buffer through the palette onto the display, and clears it
//
// The display's frame buffer is 16-bit pixels laid out by the signed pitches of its
// properties, so one loop serves every orientation. Presenting runs after every change
// of every screen and sets the frame rate, so the common layouts have their own loops:
// rows running forwards or backwards in memory (x pitch 2 or -2) and displays turned a
// quarter (y pitch 2 or -2). They look two neighbouring pixels up at once, in a table of
// every pair of palette indices, and write eight pixels per store. Any other layout takes
// the plain loop.

#include "graphics/graphics.h"

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// [SECTION] Pair table

// The entry for two neighbouring indices holds their two display values in memory order.
// It is found at the 16-bit value the two index bytes form in memory, so the back buffer
// is read two pixels at a time too. Rebuilt only when the palette's display values differ
// from those it was built from, or the layout wants the other order.
static uint32_t pair_colours[65536];
static uint16_t pair_source[256];
static int pair_swapped = 0;
static int pair_ready = 0;

static inline uint16_t pair_index(uint8_t first, uint8_t second) {
    uint8_t bytes[2] = {first, second};
    uint16_t index;
    std::memcpy(&index, bytes, sizeof index);
    return index;
}

// The two indices at p, read as one.
static inline uint16_t load_pair(const uint8_t* p) {
    uint16_t index;
    std::memcpy(&index, p, sizeof index);
    return index;
}

static inline void put_pair(uint16_t* destination, uint32_t pair) {
    std::memcpy(destination, &pair, sizeof pair);
}

// Eight pixels, four pairs in memory order, with one store.
static inline void put_eight(uint16_t* destination, uint32_t p0, uint32_t p1, uint32_t p2,
                             uint32_t p3) {
    uint32_t four[4] = {p0, p1, p2, p3};
    std::memcpy(destination, four, sizeof four);
}

// The table for this palette; swapped puts the second index's value first in memory, for
// layouts that run backwards.
static const uint32_t* pair_table(const Palette* palette, int swapped) {
    if (pair_ready && pair_swapped == swapped &&
        std::memcmp(pair_source, palette->display_colours, sizeof pair_source) == 0) {
        return pair_colours;
    }
    std::memcpy(pair_source, palette->display_colours, sizeof pair_source);
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t b = 0; b < 256; ++b) {
            uint16_t two[2] = {pair_source[a], pair_source[b]};
            if (swapped) two[0] = pair_source[b], two[1] = pair_source[a];
            std::memcpy(&pair_colours[pair_index(uint8_t(a), uint8_t(b))], two, sizeof two);
        }
    }
    pair_swapped = swapped;
    pair_ready = 1;
    return pair_colours;
}

// [SECTION] Copy loops

// Each copies the top-left width x height pixels of the back buffer. The display pixel
// (c, r) is frame[r * y_step + c * x_step], steps counted in 16-bit pixels.

static void copy_rows_forward(uint16_t* frame, ptrdiff_t y_step, const uint8_t* pixels,
                              const Palette* palette, int width, int height) {
    const uint32_t* pairs = pair_table(palette, 0);
    for (int r = 0; r < height; ++r) {
        const uint8_t* s = pixels + r * SURFACE_WIDTH;
        uint16_t* d = frame + r * y_step;
        int c = 0;
        for (; c + 8 <= width; c += 8) {
            put_eight(d + c, pairs[load_pair(s + c)], pairs[load_pair(s + c + 2)],
                      pairs[load_pair(s + c + 4)], pairs[load_pair(s + c + 6)]);
        }
        for (; c + 2 <= width; c += 2) put_pair(d + c, pairs[load_pair(s + c)]);
        if (c < width) d[c] = palette->display_colours[s[c]];
    }
}

// Pixel c of a row lies at d - c, so pixels c .. c + 7 start at d - c - 7 with pixel c + 7
// first; the swapped table gives each pair in that order.
static void copy_rows_backward(uint16_t* frame, ptrdiff_t y_step, const uint8_t* pixels,
                               const Palette* palette, int width, int height) {
    const uint32_t* pairs = pair_table(palette, 1);
    for (int r = 0; r < height; ++r) {
        const uint8_t* s = pixels + r * SURFACE_WIDTH;
        uint16_t* d = frame + r * y_step;
        // Groups from the row's end first, so that the stores run forwards in memory.
        const int groups = width / 8 * 8;
        for (int g = groups - 8; g >= 0; g -= 8) {
            put_eight(d - g - 7, pairs[load_pair(s + g + 6)], pairs[load_pair(s + g + 4)],
                      pairs[load_pair(s + g + 2)], pairs[load_pair(s + g)]);
        }
        int c = groups;
        for (; c + 2 <= width; c += 2) put_pair(d - c - 1, pairs[load_pair(s + c)]);
        if (c < width) d[-c] = palette->display_colours[s[c]];
    }
}

// out gets a[0], b[0], a[1], b[1], ...: the indices of two rows as pairs of one column.
// Sixteen columns at a time: with SSE2 by unpacking, otherwise written so that the compiler
// may use vector interleaves.
static void interleave_rows(uint8_t* out, const uint8_t* a, const uint8_t* b, int n) {
    int c = 0;
    for (; c + 16 <= n; c += 16) {
#if defined(__SSE2__)
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + c));
        __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + c));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * c), _mm_unpacklo_epi8(x, y));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * c + 16), _mm_unpackhi_epi8(x, y));
#else
        uint8_t x[16], y[16], both[32];
        std::memcpy(x, a + c, sizeof x);
        std::memcpy(y, b + c, sizeof y);
        for (int k = 0; k < 16; ++k) both[2 * k] = x[k], both[2 * k + 1] = y[k];
        std::memcpy(out + 2 * c, both, sizeof both);
#endif
    }
    for (; c < n; ++c) out[2 * c] = a[c], out[2 * c + 1] = b[c];
}

// Rows r .. r + 8 * eighths - 1 of a display turned a quarter. Their rows are paired up, and
// each column gets one store of eight pixels per eight rows; the stores of one column lie
// side by side in memory, so a band of sixteen rows fills a column's cache line in half as
// many visits as a band of eight.
static void copy_band(uint16_t* frame, ptrdiff_t x_step, int backwards, const uint8_t* pixels,
                      const uint32_t* pairs, int width, int r, int eighths) {
    uint8_t band[8][2 * SURFACE_WIDTH]; // rows r and r + 1, r + 2 and r + 3, ...
    for (int k = 0; k < 4 * eighths; ++k) {
        const uint8_t* s = pixels + (r + 2 * k) * SURFACE_WIDTH;
        interleave_rows(band[k], s, s + SURFACE_WIDTH, width);
    }
    uint16_t* d = frame + (backwards ? -r - 7 : r);
    for (int c = 0; c < width; ++c, d += x_step) {
        for (int e = 0; e < eighths; ++e) {
            const int k = 4 * e;
            uint32_t p0 = pairs[load_pair(band[k] + 2 * c)],
                     p1 = pairs[load_pair(band[k + 1] + 2 * c)];
            uint32_t p2 = pairs[load_pair(band[k + 2] + 2 * c)],
                     p3 = pairs[load_pair(band[k + 3] + 2 * c)];
            if (backwards)
                put_eight(d - 8 * e, p3, p2, p1, p0);
            else
                put_eight(d + 8 * e, p0, p1, p2, p3);
        }
    }
}

// A display turned a quarter: the rows of a column are neighbours in memory (y step 1, or
// -1 running backwards). Bands of sixteen rows, then one of eight; the rows below the last
// whole band go one pixel at a time.
static void copy_columns(uint16_t* frame, ptrdiff_t x_step, ptrdiff_t y_step, const uint8_t* pixels,
                         const Palette* palette, int width, int height) {
    const int backwards = y_step == -1;
    const uint32_t* pairs = pair_table(palette, backwards);
    int r = 0;
    for (; r + 16 <= height; r += 16)
        copy_band(frame, x_step, backwards, pixels, pairs, width, r, 2);
    for (; r + 8 <= height; r += 8) copy_band(frame, x_step, backwards, pixels, pairs, width, r, 1);
    for (; r < height; ++r) {
        const uint8_t* s = pixels + r * SURFACE_WIDTH;
        uint16_t* d = frame + r * y_step;
        for (int c = 0; c < width; ++c, d += x_step) *d = palette->display_colours[s[c]];
    }
}

static void copy_any(uint16_t* frame, ptrdiff_t x_step, ptrdiff_t y_step, const uint8_t* pixels,
                     const Palette* palette, int width, int height) {
    for (int r = 0; r < height; ++r) {
        const uint8_t* s = pixels + r * SURFACE_WIDTH;
        uint16_t* d = frame + r * y_step;
        for (int c = 0; c < width; ++c, d += x_step) *d = palette->display_colours[s[c]];
    }
}

// Sets columns c0 .. c1 - 1 of rows r0 .. r1 - 1 to one value.
static void fill_block(uint16_t* frame, ptrdiff_t x_step, ptrdiff_t y_step, int64_t c0, int64_t c1,
                       int64_t r0, int64_t r1, uint16_t value) {
    if (c0 >= c1 || r0 >= r1) return;
    for (int64_t r = r0; r < r1; ++r) {
        uint16_t* d = frame + r * y_step + c0 * x_step;
        if (x_step == 1) {
            for (int64_t c = c0; c < c1; ++c) *d++ = value;
        } else {
            for (int64_t c = c0; c < c1; ++c, d += x_step) *d = value;
        }
    }
}

// [SECTION] Present and clear

void present_to_frame(uint16_t* frame, const Surface* surface, const Palette* palette,
                      const GXDisplayProperties* properties) {
    // Only the part of the display that the back buffer covers is copied; a larger display
    // is black beyond it, a smaller one shows the back buffer's top-left part.
    int64_t display_width = properties->cxWidth, display_height = properties->cyHeight;
    int width = int(display_width < SURFACE_WIDTH ? display_width : int64_t(SURFACE_WIDTH));
    int height = int(display_height < SURFACE_HEIGHT ? display_height : int64_t(SURFACE_HEIGHT));
    if (!surface || !surface->pixels || !palette) width = height = 0; // all black
    ptrdiff_t x_step = properties->cbxPitch / 2, y_step = properties->cbyPitch / 2;

    if (width > 0 && height > 0) {
        const uint8_t* pixels = surface->pixels;
        if (x_step == 1) {
            copy_rows_forward(frame, y_step, pixels, palette, width, height);
        } else if (x_step == -1) {
            copy_rows_backward(frame, y_step, pixels, palette, width, height);
        } else if ((y_step == 1 || y_step == -1) && x_step != 0) {
            copy_columns(frame, x_step, y_step, pixels, palette, width, height);
        } else {
            copy_any(frame, x_step, y_step, pixels, palette, width, height);
        }
    }
    fill_block(frame, x_step, y_step, width, display_width, 0, height, 0);
    fill_block(frame, x_step, y_step, 0, display_width, height, display_height, 0);
}

int present_surface(Surface* surface, const Palette* palette,
                    const GXDisplayProperties* properties) {
    uint16_t* frame = static_cast<uint16_t*>(GXBeginDraw());
    if (!frame) return 0;
    if (surface) surface->cursor = surface->pixels;
    present_to_frame(frame, surface, palette, properties);
    GXEndDraw();
    return 1;
}

int clear_display(const GXDisplayProperties* properties, uint32_t colour) {
    uint16_t* frame = static_cast<uint16_t*>(GXBeginDraw());
    if (!frame) return 0;
    uint16_t value = 0;
    if (colour != 0) {
        colour_to_display(uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16), properties,
                          &value);
    }
    fill_block(frame, properties->cbxPitch / 2, properties->cbyPitch / 2, 0, properties->cxWidth, 0,
               properties->cyHeight, value);
    GXEndDraw();
    return 1;
}
