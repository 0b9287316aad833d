// graphics_bench.cpp -- the graphics engine's per-frame work timed side by side with SDL2
// doing the same job on the same 240 x 320 buffer
//
// present_surface is timed against SDL_BlitSurface of an 8-bit paletted surface onto a
// 5-6-5 one; the blitters against SDL's colour-keyed 8-bit blit; load_picture against
// memcpy of the bytes it decodes.

#include "graphics/graphics.h"
#include "platform/headless/headless.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// [SECTION] Shared pictures

const int W = 240, H = 320;

// Typical art: a card-like shape on a transparent surround, flat areas and gradients.
std::vector<uint8_t> typical_art(int w, int h, int seed) {
    std::vector<uint8_t> pixels(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double dx = (x - w / 2.0) / (w / 2.0), dy = (y - h / 2.0) / (h / 2.0);
            uint8_t v;
            if (dx * dx + dy * dy > 0.95)
                v = 255; // transparent corners
            else if ((x / 16 + y / 16 + seed) % 5 == 0)
                v = 255; // holes in the art
            else if (y < h / 3)
                v = uint8_t(16 + (y * 32) / h); // sky gradient
            else if ((x * x + y * 3) % 97 < 40)
                v = uint8_t(100 + seed % 7); // figure
            else
                v = uint8_t(60 + (x + y) % 24);
            pixels[size_t(y) * w + x] = v;
        }
    return pixels;
}

// Half the pixels transparent, at random.
std::vector<uint8_t> random_keyed(int w, int h) {
    std::mt19937 rng(99);
    std::vector<uint8_t> pixels(size_t(w) * h);
    for (uint8_t& p : pixels) p = rng() & 1 ? 255 : uint8_t(rng() % 255);
    return pixels;
}

struct OwnedPicture {
    std::vector<uint8_t> buffer;
    Picture picture{};
};

OwnedPicture make_picture(const std::vector<uint8_t>& pixels, int w, int h, uint8_t flag) {
    OwnedPicture o;
    o.buffer = pixels;
    o.picture.capacity_width = uint16_t(w), o.picture.capacity_height = uint16_t(h);
    o.picture.width = w, o.picture.height = h, o.picture.flag = flag;
    o.picture.frame_width = w, o.picture.frame_height = h;
    o.picture.pixels = o.picture.cursor = o.buffer.data();
    return o;
}

struct BackBuffer {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(SURFACE_SIZE, 3);
    Surface surface{bytes.data(), bytes.data()};
};

SDL_Color sdl_colour(const Palette& palette, int i) {
    return SDL_Color{palette.rgb[i][0], palette.rgb[i][1], palette.rgb[i][2], 255};
}

Palette make_palette() {
    Palette palette{};
    for (int i = 0; i < 256; ++i) {
        palette.rgb[i][0] = uint8_t(i * 3), palette.rgb[i][1] = uint8_t(i * 5);
        palette.rgb[i][2] = uint8_t(255 - i);
    }
    GXDisplayProperties p{240, 320, 2, 480, 16, kfDirect565};
    prepare_palette(&palette, &p);
    return palette;
}

// An 8-bit SDL surface holding pixels, with the same palette.
SDL_Surface* sdl_indexed(const std::vector<uint8_t>& pixels, const Palette& palette) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, W, H, 8, SDL_PIXELFORMAT_INDEX8);
    SDL_Color colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = sdl_colour(palette, i);
    SDL_SetPaletteColors(s->format->palette, colours, 0, 256);
    for (int y = 0; y < H; ++y)
        std::memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, &pixels[size_t(y) * W], W);
    return s;
}

// [SECTION] Presenting

int32_t quiet_procedure(WindowHandle, uint32_t, uintptr_t, intptr_t) {
    return 0;
}

GXDisplayProperties open_display(int32_t x_pitch, int32_t y_pitch, uint32_t format) {
    headless_reset();
    headless_set_display({240, 320, x_pitch, y_pitch, format});
    WindowClass window_class = {0, quiet_procedure, 0, 4, L"Bench"};
    register_class(&window_class);
    GXOpenDisplay(create_window(L"Bench", L"Bench"), GX_FULLSCREEN);
    return GXGetDisplayProperties();
}

struct Layout {
    int32_t x_pitch, y_pitch;
    uint32_t format;
    const char* name;
};
const Layout layouts[] = {
    {2, 480, kfDirect565, "565 rows 2/480"},          {2, 480, kfDirect555, "555 rows 2/480"},
    {2, 480, kfDirect444, "444 rows 2/480"},          {-2, 480, kfDirect565, "565 mirrored -2/480"},
    {2, -480, kfDirect565, "565 upside down 2/-480"}, {-640, 2, kfDirect565, "565 turned -640/2"},
    {640, -2, kfDirect565, "565 turned 640/-2"},
};

// present_surface is GXBeginDraw, present_to_frame and GXEndDraw; the headless GXEndDraw
// hashes the whole frame for its log, which costs far more than the copy. So the copy is
// timed on its own, into a frame buffer of the same layout, and the whole present on the
// headless display separately.
void BM_Present(benchmark::State& state) {
    const Layout& layout = layouts[state.range(0)];
    GXDisplayProperties properties{240, 320, layout.x_pitch, layout.y_pitch, 16, layout.format};
    std::vector<uint16_t> frame(size_t(W) * H);
    ptrdiff_t x_step = layout.x_pitch / 2, y_step = layout.y_pitch / 2;
    uint16_t* origin =
        frame.data() + (x_step < 0 ? -x_step * (W - 1) : 0) + (y_step < 0 ? -y_step * (H - 1) : 0);
    Palette palette = make_palette();
    prepare_palette(&palette, &properties);
    BackBuffer back;
    back.bytes = typical_art(W, H, 1);
    back.surface = Surface{back.bytes.data(), back.bytes.data()};
    for (auto _ : state) {
        present_to_frame(origin, &back.surface, &palette, &properties);
        benchmark::ClobberMemory();
    }
    state.SetLabel(layout.name);
}
BENCHMARK(BM_Present)->DenseRange(0, 6);

void BM_PresentHeadless(benchmark::State& state) {
    GXDisplayProperties properties = open_display(2, 480, kfDirect565);
    Palette palette = make_palette();
    prepare_palette(&palette, &properties);
    BackBuffer back;
    for (auto _ : state) present_surface(&back.surface, &palette, &properties);
    state.SetLabel("present_surface on the headless display, frame hash included");
}
BENCHMARK(BM_PresentHeadless);

void BM_SdlBlit8To565(benchmark::State& state) {
    Palette palette = make_palette();
    SDL_Surface* source = sdl_indexed(typical_art(W, H, 1), palette);
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, W, H, 16, SDL_PIXELFORMAT_RGB565);
    for (auto _ : state) {
        SDL_BlitSurface(source, nullptr, target, nullptr);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(source);
    SDL_FreeSurface(target);
}
BENCHMARK(BM_SdlBlit8To565);

// [SECTION] Blitting

enum Content { art_opaque, art_keyed, random_half_keyed };

void BM_DrawPicture(benchmark::State& state) {
    Content content = Content(state.range(0));
    int32_t mode = int32_t(state.range(1));
    std::vector<uint8_t> pixels =
        content == random_half_keyed ? random_keyed(W, H) : typical_art(W, H, 2);
    OwnedPicture o = make_picture(pixels, W, H, content == art_opaque ? 0 : 1);
    BackBuffer back;
    for (auto _ : state) {
        draw_picture(&back.surface, 0, 0, &o.picture, mode);
        benchmark::ClobberMemory();
    }
    const char* names[] = {"opaque", "keyed typical art", "keyed 50% random"};
    state.SetLabel(std::string(names[content]) + (mode == plain      ? " plain"
                                                  : mode == mirrored ? " mirrored"
                                                                     : " turned"));
}
BENCHMARK(BM_DrawPicture)
    ->ArgsProduct({{art_opaque, art_keyed, random_half_keyed}, {plain, mirrored, turned}});

void BM_SdlColourKeyBlit8(benchmark::State& state) {
    Palette palette = make_palette();
    std::vector<uint8_t> pixels =
        state.range(0) == random_half_keyed ? random_keyed(W, H) : typical_art(W, H, 2);
    SDL_Surface* source = sdl_indexed(pixels, palette);
    SDL_Surface* target = sdl_indexed(std::vector<uint8_t>(SURFACE_SIZE, 3), palette);
    SDL_SetSurfacePalette(target, source->format->palette); // same palette: no colour mapping
    SDL_SetColorKey(source, SDL_TRUE, 255);
    for (auto _ : state) {
        SDL_BlitSurface(source, nullptr, target, nullptr);
        benchmark::ClobberMemory();
    }
    state.SetLabel(state.range(0) == random_half_keyed ? "keyed 50% random" : "keyed typical art");
    SDL_FreeSurface(source);
    SDL_FreeSurface(target);
}
BENCHMARK(BM_SdlColourKeyBlit8)->Arg(art_keyed)->Arg(random_half_keyed);

// [SECTION] Loading

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> run_length(const std::vector<uint8_t>& pixels) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < pixels.size();) {
        size_t n = 1;
        while (i + n < pixels.size() && pixels[i + n] == pixels[i] && n < 63) ++n;
        if (n == 1 && pixels[i] < 0xC0) {
            out.push_back(pixels[i]);
        } else {
            out.push_back(uint8_t(0xC0 + n));
            out.push_back(pixels[i]);
        }
        i += n;
    }
    return out;
}

// Writes a picture file into a temp folder; returns its host path.
std::string write_picture_file(const std::string& name, const std::vector<uint8_t>& pixels, int w,
                               int h, int frame_w, bool rle) {
    std::vector<uint8_t> data = rle ? run_length(pixels) : pixels;
    std::vector<uint8_t> file;
    put32(file, rle ? 0 : uint32_t(data.size()));
    put32(file, uint32_t(w)), put32(file, uint32_t(h));
    put32(file, uint32_t(frame_w)), put32(file, uint32_t(h)), put32(file, 0);
    file.push_back(rle ? 1 : 0), file.push_back(0), file.push_back(0), file.push_back(0);
    file.insert(file.end(), data.begin(), data.end());
    std::string host = (std::filesystem::temp_directory_path() /
                        ("quarnel_bench_" + std::to_string(getpid()) + "_" + name))
                           .string();
    std::FILE* f = std::fopen(host.c_str(), "wb");
    if (f) {
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
    return host;
}

// 79 frames of 60 x 100 side by side, each a different card-like picture.
std::vector<uint8_t> card_sheet_pixels() {
    std::vector<uint8_t> sheet(size_t(4740) * 100);
    for (int f = 0; f < 79; ++f) {
        std::vector<uint8_t> card = typical_art(60, 100, f);
        for (int y = 0; y < 100; ++y)
            std::memcpy(&sheet[size_t(y) * 4740 + f * 60], &card[size_t(y) * 60], 60);
    }
    return sheet;
}

void BM_LoadPicture(benchmark::State& state) {
    headless_reset();
    bool sheet = state.range(0) == 0;
    bool rle = sheet || state.range(1);
    int w = sheet ? 4740 : W, h = sheet ? 100 : H;
    std::vector<uint8_t> pixels = sheet ? card_sheet_pixels() : typical_art(W, H, 3);
    std::string host = write_picture_file(sheet ? "card.nbf"
                                          : rle ? "full_rle.nbf"
                                                : "full.nbf",
                                          pixels, w, h, sheet ? 60 : w, rle);
    std::wstring path;
    for (char c : host) path.push_back(c == '/' ? L'\\' : wchar_t(c));
    Picture picture{};
    init_picture(&picture, uint16_t(w), uint16_t(h));
    for (auto _ : state) {
        if (!load_picture(&picture, path.c_str())) state.SkipWithError("load failed");
        benchmark::ClobberMemory();
    }
    if (std::memcmp(picture.pixels, pixels.data(), pixels.size()) != 0)
        state.SkipWithError("decoded pixels differ");
    release_picture(&picture);
    std::filesystem::remove(host);
    state.SetLabel(sheet ? "4740x100 run-length card sheet"
                   : rle ? "240x320 run-length"
                         : "240x320 raw");
    state.SetBytesProcessed(int64_t(state.iterations()) * w * h);
}
BENCHMARK(BM_LoadPicture)->Args({0, 1})->Args({1, 1})->Args({1, 0});

void BM_MemcpyDecoded(benchmark::State& state) {
    size_t n = state.range(0) == 0 ? size_t(4740) * 100 : size_t(SURFACE_SIZE);
    std::vector<uint8_t> from(n, 7), to(n);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), n);
        benchmark::ClobberMemory();
    }
    state.SetLabel(state.range(0) == 0 ? "474,000 bytes (card sheet)"
                                       : "76,800 bytes (full screen)");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}
BENCHMARK(BM_MemcpyDecoded)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
