// palette_fuzz.cpp -- fuzzes load_palette and the colour conversion of any palette file

#include "fuzz_support.h"
#include "graphics/graphics.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Palette palette;
    headless_reset();
    // What the block held before: the file's bytes replace only what the file delivers.
    std::memset(palette.rgb, 0x5A, sizeof palette.rgb);
    const std::wstring path = fuzz_file("main.plf", data, size);

    fuzz_require(load_palette(path.c_str(), &palette) == 1, "an existing palette file loads");
    fuzz_require(fuzz_message_count() == 0, "loading a palette file shows nothing");
    const size_t delivered = size < sizeof palette.rgb ? size : sizeof palette.rgb;
    const uint8_t* rgb = &palette.rgb[0][0];
    fuzz_require(std::memcmp(rgb, data, delivered) == 0, "entries are the file's bytes");
    for (size_t i = delivered; i < sizeof palette.rgb; ++i)
        fuzz_require(rgb[i] == 0x5A, "entries the file does not reach keep their bytes");

    const uint32_t formats[] = {kfDirect565, kfDirect555, kfDirect444, 0};
    for (uint32_t format : formats) {
        GXDisplayProperties properties = {240, 320, 2, 480, 16, format};
        std::memset(palette.display_colours, 0xEE, sizeof palette.display_colours);
        prepare_palette(&palette, &properties);
        for (int i = 0; i < 256; ++i) {
            uint16_t single = 0xEEEE;
            colour_to_display(palette.rgb[i][0], palette.rgb[i][1], palette.rgb[i][2], &properties,
                              &single);
            fuzz_require(palette.display_colours[i] == single,
                         "one format converts a colour the same both ways");
        }
    }
    return 0;
}
