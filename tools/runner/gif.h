// gif.h -- animated GIF89a recordings of 8-bit palette frames, with their own LZW encoder
//
// A recording keeps each frame already compressed, with the palette it was shown with and
// the virtual time it appeared. A frame that repeats the picture on display adds nothing;
// one that changes part of it is stored as the rectangle that changed, drawn over the last
// (disposal "leave in place"). The file's global colour table is the palette most frames
// used; a frame with another palette carries its own table.

#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

typedef std::array<uint8_t, 768> GifPalette; // 256 red, green, blue triples

struct GifFrame {
    uint32_t time_ms; // when the frame appeared
    uint16_t left, top, width, height;
    GifPalette palette;
    std::vector<uint8_t> codes; // LZW code stream, not yet cut into sub-blocks
};

struct GifRecording {
    uint16_t width = 0, height = 0;
    std::vector<uint8_t> shown; // the whole picture after the last frame
    GifPalette shown_palette = {};
    std::vector<GifFrame> frames;
};

// LZW codes of the pixels for a GIF image with minimum code size 8: a clear code first,
// codes of 9 to 12 bits packed from the least significant bit, a clear code whenever the
// table fills, the end code last.
std::vector<uint8_t> gif_lzw_encode(const uint8_t* pixels, size_t count);

// Starts an empty recording of width x height frames (each at least 1).
void gif_start(GifRecording* gif, uint16_t width, uint16_t height);
// Adds the frame that appears at time_ms: width x height palette indices, row by row, and
// 768 bytes of palette. Returns 1 when it changed the picture, 0 when it only repeated it.
int gif_add_frame(GifRecording* gif, const uint8_t* pixels, const uint8_t* rgb, uint32_t time_ms);
// The whole GIF file, looping forever. Each frame lasts until the next one appears
// (in centiseconds, at least 2), the last until end_ms. Later frames absorb the rounding so
// the animation keeps to the virtual clock. A recording without frames gives one black frame.
std::vector<uint8_t> gif_file(const GifRecording& gif, uint32_t end_ms);
// Writes gif_file to path; returns 1/0.
int gif_write(const std::string& path, const GifRecording& gif, uint32_t end_ms);
