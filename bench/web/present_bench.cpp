// present_bench.cpp -- the 240 x 320 present compiled to WebAssembly and timed in the
// browser (bench/web_bench.mjs builds and runs it): present_to_frame into a 5-6-5 frame, as
// graphics_bench.cpp's BM_Present times it natively, and the web back end's widening of
// that frame to the canvas's RGBA pixels.

#include "graphics/graphics.h"
#include "platform/web/web.h"

#include <emscripten.h>
#include <cstdio>
#include <vector>

// The services present.cpp and surface.cpp name but the timed code never calls.
int message_box(WindowHandle, const wchar_t*, const wchar_t*, uint32_t) {
    return 1;
}
void* GXBeginDraw() {
    return nullptr;
}
int GXEndDraw() {
    return 1;
}

namespace {
const int W = 240, H = 320;

// The same typical art and palette as graphics_bench.cpp, so both time the same pixels.
std::vector<uint8_t> typical_art(int w, int h, int seed) {
    std::vector<uint8_t> pixels(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double dx = (x - w / 2.0) / (w / 2.0), dy = (y - h / 2.0) / (h / 2.0);
            uint8_t v;
            if (dx * dx + dy * dy > 0.95)
                v = 255;
            else if ((x / 16 + y / 16 + seed) % 5 == 0)
                v = 255;
            else if (y < h / 3)
                v = uint8_t(16 + (y * 32) / h);
            else if ((x * x + y * 3) % 97 < 40)
                v = uint8_t(100 + seed % 7);
            else
                v = uint8_t(60 + (x + y) % 24);
            pixels[size_t(y) * w + x] = v;
        }
    return pixels;
}

Palette make_palette(const GXDisplayProperties* properties) {
    Palette palette{};
    for (int i = 0; i < 256; ++i) {
        palette.rgb[i][0] = uint8_t(i * 3), palette.rgb[i][1] = uint8_t(i * 5);
        palette.rgb[i][2] = uint8_t(255 - i);
    }
    prepare_palette(&palette, properties);
    return palette;
}

// Microseconds a call of work: the fastest of 100 rounds of 50 calls. Rounds are short
// (a few milliseconds), so that on a busy machine some run without being interrupted.
template <class Work> double time_us(Work work) {
    double best = 1e30;
    for (int round = 0; round < 100; ++round) {
        double start = emscripten_get_now();
        for (int i = 0; i < 50; ++i) work();
        double us = (emscripten_get_now() - start) * 1000.0 / 50;
        if (us < best) best = us;
    }
    return best;
}
} // namespace

// Reached through pointers: a function called from one place would be folded into main,
// which runs once, and V8 would never move that one call of its to optimised code.
void (*volatile present_call)(uint16_t*, const Surface*, const Palette*,
                              const GXDisplayProperties*) = present_to_frame;
void (*volatile widen_call)(const uint16_t*, uint32_t*, int) = widen_565;

int main() {
    GXDisplayProperties properties{240, 320, 2, 480, 16, kfDirect565};
    Palette palette = make_palette(&properties);
    std::vector<uint8_t> art = typical_art(W, H, 1);
    Surface surface{art.data(), art.data()};
    std::vector<uint16_t> frame(size_t(W) * H);
    std::vector<uint32_t> rgba(size_t(W) * H);
    uint32_t sink = 0;

    double present = time_us([&] {
        present_call(frame.data(), &surface, &palette, &properties);
        sink += frame[W * H / 2];
    });
    double widen = time_us([&] {
        widen_call(frame.data(), rgba.data(), W * H);
        sink += rgba[W * H / 2];
    });
    std::printf("present_to_frame_us %.2f\nwiden_565_us %.2f\nsink %u\n", present, widen, sink);
    return 0;
}
