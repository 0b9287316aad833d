// surface.cpp -- the back buffer of palette indices and the palette with its display colours

#include "graphics/graphics.h"

#include <cstring>

// [SECTION] Back buffer

void init_surface(Surface* surface) {
    if (!surface) return;
    uint8_t* buffer = static_cast<uint8_t*>(allocate_memory(SURFACE_SIZE));
    surface->cursor = buffer;
    surface->pixels = buffer;
    if (!buffer) message_box(0, L"8712134", L"", MB_OK);
}

void release_surface(Surface* surface) {
    if (!surface) return;
    if (surface->pixels) release_memory(surface->pixels);
    surface->cursor = nullptr;
    surface->pixels = nullptr;
}

static int64_t magnitude(int64_t value) {
    return value < 0 ? -value : value;
}

// The size test compares |right - left| x |rows - top| with the buffer, as callers expect;
// what passes is then cut to the buffer, so no argument can write outside it.
void clear_surface(Surface* surface, int32_t left, int32_t top, int32_t right, int32_t rows,
                   int32_t index) {
    if (!surface || !surface->pixels) return;
    int64_t width = magnitude(int64_t(right) - left);
    int64_t height = magnitude(int64_t(rows) - top);
    if (width != 0 && height > int64_t(SURFACE_SIZE) / width) return; // width x height > size
    if (rows <= 0) return;

    int64_t x0 = left, x1 = int64_t(left) + width;
    int64_t y0 = top, y1 = int64_t(top) + rows;
    if (x0 < 0) x0 = 0;
    if (y0 < 0) y0 = 0;
    if (x1 > int64_t(SURFACE_WIDTH)) x1 = SURFACE_WIDTH;
    if (y1 > int64_t(SURFACE_HEIGHT)) y1 = SURFACE_HEIGHT;
    if (x0 >= x1 || y0 >= y1) return;

    uint8_t value = uint8_t(index);
    uint8_t* row = surface->pixels + y0 * SURFACE_WIDTH + x0;
    size_t span = size_t(x1 - x0);
    if (span == SURFACE_WIDTH) {
        std::memset(row, value, span * size_t(y1 - y0));
    } else {
        for (int64_t y = y0; y < y1; ++y, row += SURFACE_WIDTH) std::memset(row, value, span);
    }
    surface->cursor = surface->pixels + (y1 - 1) * SURFACE_WIDTH + x1;
}

// [SECTION] Palette

int load_palette(const wchar_t* path, Palette* palette) {
    FileHandle file = open_file(path);
    if (file == INVALID_FILE) {
        message_box(0, L"8944335", L"", MB_OK);
        return 0;
    }
    uint32_t got = 0;
    if (!read_file(file, palette->rgb, sizeof palette->rgb, &got)) {
        message_box(0, L"956543456", L"", MB_OK);
        close_file(file);
        return 0;
    }
    close_file(file);
    return 1;
}

static uint16_t to_565(uint8_t r, uint8_t g, uint8_t b) {
    return uint16_t((r & 0xF8) << 8 | (g & 0xFC) << 3 | b >> 3);
}
static uint16_t to_555(uint8_t r, uint8_t g, uint8_t b) {
    return uint16_t((r & 0xF8) << 7 | (g & 0xF8) << 2 | b >> 3);
}
static uint16_t to_444(uint8_t r, uint8_t g, uint8_t b) {
    return uint16_t((r & 0xF0) << 4 | (g & 0xF0) | b >> 4);
}

void prepare_palette(Palette* palette, const GXDisplayProperties* properties) {
    uint16_t (*convert)(uint8_t, uint8_t, uint8_t) = nullptr;
    if (properties->ffFormat & kfDirect565)
        convert = to_565;
    else if (properties->ffFormat & kfDirect555)
        convert = to_555;
    else if (properties->ffFormat & kfDirect444)
        convert = to_444;
    if (!convert) return;
    for (int i = 0; i < 256; ++i) {
        const uint8_t* c = palette->rgb[i];
        palette->display_colours[i] = convert(c[0], c[1], c[2]);
    }
}

void colour_to_display(uint8_t red, uint8_t green, uint8_t blue,
                       const GXDisplayProperties* properties, uint16_t* value) {
    if (properties->ffFormat & kfDirect565)
        *value = to_565(red, green, blue);
    else if (properties->ffFormat & kfDirect444)
        *value = to_444(red, green, blue);
    else if (properties->ffFormat & kfDirect555)
        *value = to_555(red, green, blue);
}
