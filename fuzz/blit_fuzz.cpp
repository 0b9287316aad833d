// blit_fuzz.cpp -- fuzzes the three blitters with any picture header and pixels, position,
// size, frame index, source corner and mode
//
// Input: 0 blitter, 1 mode, 2 capacity, 3-4 small capacity, 5 options, 6-33 seven 32-bit
// arguments (x, y, w, h, index, source x, source y), 34-61 picture header, then pixels.

#include "fuzz_support.h"
#include "graphics/graphics.h"

#include <cstdlib>
#include <cstring>

namespace {

enum : size_t { ARGUMENTS_AT = 6, HEADER_AT = 34, PIXELS_AT = 62 };
enum : uint8_t { OPTION_WIDE = 1, OPTION_NO_SURFACE = 2, OPTION_NO_PIXELS = 4 };
const uint8_t BACKGROUND = 0x3C;

struct Capacity {
    uint16_t width, height;
};
const Capacity CAPACITIES[] = {{1500, 300}, {30, 50}, {240, 320}, {4740, 100}, {240, 174}};

// An argument: the low 16 bits sign-extended, or all 32 bits with the wide option, so that
// both the screen's range and the integer limits are reached.
int32_t argument(const uint8_t* data, size_t size, int index, bool wide) {
    uint32_t raw = fuzz_u32(data, size, ARGUMENTS_AT + 4 * size_t(index));
    return wide ? int32_t(raw) : int32_t(int16_t(uint16_t(raw)));
}

// A pixel buffer of exactly `bytes` bytes, so that the address sanitizer sees every byte
// read past it.
uint8_t* buffer_of(size_t bytes) {
    static uint8_t* buffer = nullptr;
    static size_t held = SIZE_MAX;
    if (held != bytes) {
        std::free(buffer);
        buffer = static_cast<uint8_t*>(std::malloc(bytes ? bytes : 1));
        held = bytes;
    }
    return buffer;
}

// The area a blit may change: its rectangle, widened by the up-to-3 pixels that the
// left and top edges round away, cut to the buffer.
struct Area {
    int64_t left, top, right, bottom; // right and bottom exclusive
};

Area allowed_area(int64_t x, int64_t y, int64_t w, int64_t h) {
    Area a = {x, y, x + w, y + h};
    if (x < 0) a.left = 0, a.right += 3;
    if (y < 0) a.top = 0, a.bottom += 3;
    if (a.right > SURFACE_WIDTH) a.right = SURFACE_WIDTH;
    if (a.bottom > SURFACE_HEIGHT) a.bottom = SURFACE_HEIGHT;
    return a;
}

// Every pixel of the back buffer outside the area still holds the background.
bool untouched_outside(const uint8_t* buffer, const Area& area) {
    static uint8_t background_row[SURFACE_WIDTH];
    if (!background_row[0]) std::memset(background_row, BACKGROUND, sizeof background_row);
    for (int64_t row = 0; row < SURFACE_HEIGHT; ++row) {
        const uint8_t* line = buffer + row * SURFACE_WIDTH;
        if (row < area.top || row >= area.bottom || area.left >= area.right) {
            if (std::memcmp(line, background_row, SURFACE_WIDTH) != 0) return false;
            continue;
        }
        if (std::memcmp(line, background_row, size_t(area.left)) != 0) return false;
        if (std::memcmp(line + area.right, background_row, size_t(SURFACE_WIDTH - area.right)) != 0)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static uint8_t* back_buffer = static_cast<uint8_t*>(std::malloc(SURFACE_SIZE));
    if (fuzz_message_count()) headless_reset();

    const int blitter = fuzz_u8(data, size, 0) % 3;
    const uint8_t mode_byte = fuzz_u8(data, size, 1);
    const int32_t modes[] = {plain, mirrored, turned, int32_t(mode_byte)};
    const int32_t mode = modes[mode_byte % 4];
    const uint8_t options = fuzz_u8(data, size, 5);
    const bool wide = options & OPTION_WIDE;

    Capacity capacity = {uint16_t(fuzz_u8(data, size, 3) % 65),
                         uint16_t(fuzz_u8(data, size, 4) % 65)};
    const uint8_t pick = fuzz_u8(data, size, 2) % 6;
    if (pick < 5) capacity = CAPACITIES[pick];
    const size_t bytes = size_t(capacity.width) * capacity.height;

    Picture picture = {};
    picture.capacity_width = capacity.width;
    picture.capacity_height = capacity.height;
    const uint8_t* header = data + (size > HEADER_AT ? HEADER_AT : size);
    const size_t header_size = size > HEADER_AT ? size - HEADER_AT : 0;
    picture.data_size = fuzz_u32(header, header_size, 0);
    picture.width = int32_t(fuzz_u32(header, header_size, 4));
    picture.height = int32_t(fuzz_u32(header, header_size, 8));
    picture.frame_width = int32_t(fuzz_u32(header, header_size, 12));
    picture.frame_height = int32_t(fuzz_u32(header, header_size, 16));
    picture.flag = fuzz_u8(header, header_size, 24);
    picture.pixels = (options & OPTION_NO_PIXELS) ? nullptr : buffer_of(bytes);
    picture.cursor = picture.pixels;
    if (picture.pixels) {
        std::memset(picture.pixels, 0xFF, bytes);
        const size_t given = size > PIXELS_AT ? size - PIXELS_AT : 0;
        std::memcpy(picture.pixels, data + PIXELS_AT, given < bytes ? given : bytes);
    }
    const Picture before = picture;
    // Comparing the pixels afterwards costs a copy; the small buffers are checked.
    static uint8_t copy[SURFACE_SIZE];
    const bool compare_pixels = picture.pixels && bytes <= sizeof copy;
    if (compare_pixels) std::memcpy(copy, picture.pixels, bytes);

    Surface surface = {back_buffer, back_buffer};
    if (options & OPTION_NO_SURFACE) surface = {nullptr, nullptr};
    std::memset(back_buffer, BACKGROUND, SURFACE_SIZE);

    const int32_t x = argument(data, size, 0, wide), y = argument(data, size, 1, wide);
    int32_t w = argument(data, size, 2, wide), h = argument(data, size, 3, wide);
    const int32_t index = argument(data, size, 4, wide);
    const int32_t sx = argument(data, size, 5, wide), sy = argument(data, size, 6, wide);
    int result = 0;
    if (blitter == 0) {
        result = draw_picture(&surface, x, y, &picture, mode);
        w = picture.width, h = picture.height;
    } else if (blitter == 1) {
        result = draw_picture_frame(&surface, x, y, w, h, index, &picture, mode);
    } else {
        result = draw_picture_region(&surface, x, y, w, h, sx, sy, &picture, mode);
    }

    fuzz_require(std::memcmp(&before, &picture, sizeof picture) == 0,
                 "the blitter leaves the picture record alone");
    if (compare_pixels)
        fuzz_require(std::memcmp(copy, picture.pixels, bytes) == 0,
                     "the blitter leaves the picture's pixels alone");
    if (!surface.pixels || !picture.pixels) {
        fuzz_require(result == 0 && fuzz_message_count() == 1, "a missing buffer is refused");
        fuzz_require(untouched_outside(back_buffer, Area{0, 0, 0, 0}),
                     "a refused blit draws nothing");
        return 0;
    }
    fuzz_require(fuzz_message_count() == 0, "a blit with its buffers shows nothing");
    fuzz_require(result == 0 || result == 1, "the result is 1 or 0");
    fuzz_require(surface.pixels == back_buffer, "the back buffer stays where it is");
    fuzz_require(surface.cursor >= back_buffer && surface.cursor <= back_buffer + SURFACE_SIZE,
                 "the write position stays within the back buffer");

    const Area area = allowed_area(x, y, w, h);
    fuzz_require(untouched_outside(back_buffer, result == 0 ? Area{0, 0, 0, 0} : area),
                 "nothing is drawn outside the rectangle, and nothing at all for result 0");
    return 0;
}
