// blit.cpp -- the only code that copies picture pixels into the back buffer
//
// Three blitters share one clipping step and four row loops. Clipping is settled once per
// call, in 64-bit arithmetic, so the loops test nothing per pixel. The loops work eight
// pixels at a time: transparent pixels (index 255 in a picture whose flag is 1) are masked
// out of a whole word instead of tested one by one, so art full of holes costs the same
// as solid art, and mirrored rows are reversed a word at a time.

#include "graphics/graphics.h"

#include <cstring>

// [SECTION] Words of eight pixels

static inline uint64_t load8(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

static inline void store8(uint8_t* p, uint64_t v) {
    std::memcpy(p, &v, sizeof v);
}

// The eight bytes in the opposite memory order.
static inline uint64_t reverse8(uint64_t v) {
    return (v >> 56) | ((v >> 40) & 0xFF00u) | ((v >> 24) & 0xFF0000u) | ((v >> 8) & 0xFF000000u) |
           ((v << 8) & 0xFF00000000u) | ((v << 24) & 0xFF0000000000u) |
           ((v << 40) & 0xFF000000000000u) | (v << 56);
}

// 0xFF in every byte whose pixel is drawn (not 255), 0 in every transparent one.
static inline uint64_t drawn_mask(uint64_t source) {
    const uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    uint64_t t = ~source; // a transparent pixel is a zero byte here
    uint64_t high = (((t & low7) + low7) | t) & ~low7;
    return high | (high - (high >> 7));
}

static inline uint64_t blend8(uint64_t source, uint64_t destination) {
    uint64_t mask = drawn_mask(source);
    return (source & mask) | (destination & ~mask);
}

// [SECTION] Row loops

// d[j] = s[j] for the n pixels of a row, skipping index 255.
static void blend_row(uint8_t* d, const uint8_t* s, int64_t n) {
    int64_t j = 0;
    for (; j + 8 <= n; j += 8) store8(d + j, blend8(load8(s + j), load8(d + j)));
    for (; j < n; ++j)
        if (s[j] != TRANSPARENT_INDEX) d[j] = s[j];
}

// d[j] = s[n - 1 - j]: the row from its last pixel to its first.
static void reverse_row(uint8_t* d, const uint8_t* s, int64_t n) {
    int64_t j = 0;
    for (; j + 8 <= n; j += 8) store8(d + j, reverse8(load8(s + n - 8 - j)));
    for (; j < n; ++j) d[j] = s[n - 1 - j];
}

static void reverse_blend_row(uint8_t* d, const uint8_t* s, int64_t n) {
    int64_t j = 0;
    for (; j + 8 <= n; j += 8) store8(d + j, blend8(reverse8(load8(s + n - 8 - j)), load8(d + j)));
    for (; j < n; ++j)
        if (s[n - 1 - j] != TRANSPARENT_INDEX) d[j] = s[n - 1 - j];
}

// [SECTION] Clipping and copying

// The rectangle to copy once clipping is done: w x h pixels from (sx, sy) of the picture
// to (x, y) of the back buffer, before any mirroring or turning.
struct BlitSpan {
    int64_t x, y, w, h, sx, sy;
};

static int64_t at_least_zero(int64_t v) {
    return v < 0 ? 0 : v;
}

// Clips against the back buffer's edges: the left and top edges in whole steps of four
// pixels, as the art is laid out for. Returns 1 when a span is left to copy, 0 when nothing
// is visible; *result is what the blitter returns.
static int clip_to_surface(BlitSpan* span, int* result) {
    *result = 0;
    if (span->x < 0) {
        if (span->x + span->w < 0) return 0;
        int64_t k = -span->x - (-span->x % 4);
        span->sx += k;
        span->w -= k;
        span->x = 0;
    }
    if (span->y < 0) {
        if (span->y + span->h < 0) return 0;
        int64_t k = -span->y - (-span->y % 4);
        span->sy += k;
        span->h -= k;
        span->y = 0;
    }
    if (span->x + span->w > SURFACE_WIDTH) span->w = SURFACE_WIDTH - span->x;
    if (span->y + span->h > SURFACE_HEIGHT) span->h = SURFACE_HEIGHT - span->y;
    *result = 1;
    return span->w > 0 && span->h > 0;
}

// Keeps the source inside the picture's loaded rows: columns 0 .. width - 1 of the rows
// that lie wholly within both width x height and the buffer's capacity. Source pixels
// outside are dropped with their destination pixels, wherever the mode puts those.
static int clip_to_picture(BlitSpan* span, const Picture* picture, int32_t mode) {
    int64_t width = picture->width;
    if (width <= 0 || picture->height <= 0) return 0;
    int64_t capacity = int64_t(picture->capacity_width) * picture->capacity_height;
    int64_t rows = picture->height;
    if (rows > capacity / width) rows = capacity / width;

    int64_t left = at_least_zero(-span->sx);
    int64_t right = at_least_zero(span->sx + span->w - width);
    int64_t top = at_least_zero(-span->sy);
    int64_t bottom = at_least_zero(span->sy + span->h - rows);
    if (left + right >= span->w || top + bottom >= span->h) return 0;

    span->sx += left;
    span->sy += top;
    span->w -= left + right;
    span->h -= top + bottom;
    span->x += mode == plain ? left : right;
    span->y += mode == turned ? bottom : top;
    return 1;
}

static void copy_span(Surface* surface, const BlitSpan& span, const Picture* picture,
                      int32_t mode) {
    const int64_t stride = picture->width;
    const uint8_t* s = picture->pixels + span.sy * stride + span.sx;
    uint8_t* d = surface->pixels + span.y * SURFACE_WIDTH + span.x;
    const int keyed = picture->flag == 1;
    int64_t row_step = SURFACE_WIDTH;
    if (mode == turned) {
        d += (span.h - 1) * SURFACE_WIDTH;
        row_step = -row_step;
    }

    for (int64_t r = 0; r < span.h; ++r, s += stride, d += row_step) {
        if (mode == plain) {
            if (keyed)
                blend_row(d, s, span.w);
            else
                std::memcpy(d, s, size_t(span.w));
        } else {
            if (keyed)
                reverse_blend_row(d, s, span.w);
            else
                reverse_row(d, s, span.w);
        }
    }
    int64_t last_row = mode == turned ? span.y : span.y + span.h - 1;
    surface->cursor = surface->pixels + last_row * SURFACE_WIDTH + span.x + span.w;
}

// The steps every blitter shares; knows_turned says whether `turned` is one of its modes.
static int blit(Surface* surface, BlitSpan span, const Picture* picture, int32_t mode,
                int knows_turned, const wchar_t* message) {
    if (!surface || !surface->cursor || !surface->pixels || !picture || !picture->pixels) {
        message_box(0, message, L"", MB_OK);
        return 0;
    }
    int result = 0;
    if (!clip_to_surface(&span, &result)) return result;
    if (mode != plain && mode != mirrored && !(mode == turned && knows_turned)) return 1;
    if (!clip_to_picture(&span, picture, mode)) return 1;
    copy_span(surface, span, picture, mode);
    return 1;
}

// [SECTION] Blitters

int draw_picture(Surface* surface, int32_t x, int32_t y, const Picture* picture, int32_t mode) {
    BlitSpan span = {x, y, 0, 0, 0, 0};
    if (picture) {
        span.w = picture->width;
        span.h = picture->height;
    }
    return blit(surface, span, picture, mode, 1, L"3451232457");
}

int draw_picture_frame(Surface* surface, int32_t x, int32_t y, int32_t w, int32_t h, int32_t index,
                       const Picture* picture, int32_t mode) {
    BlitSpan span = {x, y, w, h, 0, 0};
    if (picture) span.sx = int64_t(index) * picture->frame_width;
    return blit(surface, span, picture, mode, 1, L"12125643573");
}

int draw_picture_region(Surface* surface, int32_t x, int32_t y, int32_t w, int32_t h,
                        int32_t source_x, int32_t source_y, const Picture* picture, int32_t mode) {
    BlitSpan span = {x, y, w, h, source_x, source_y};
    return blit(surface, span, picture, mode, 0, L"321454544");
}
