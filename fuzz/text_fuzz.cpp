// text_fuzz.cpp -- fuzzes draw_text with any text, drawn with the shipped font or with a font
// picture whose size fields are damaged
//
// Input: the text itself; when the first byte is 0xFF, bytes 1-8 are the font's width and
// height and the text follows.

#include "fuzz_support.h"
#include "graphics/graphics.h"
#include "shell/shell.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const uint8_t BACKGROUND = 0x3C;
enum : size_t { TEXT_MAX = 4096 };

// The font the program ships, or a made-up 380 x 12 strip when the install folder is absent.
void load_font(Picture* font) {
    init_picture(font, 240, 320);
    std::string path = std::string(QUARNEL_DATA_DIR) + "/picture/font.nbf";
    std::wstring wide;
    for (char c : path) wide.push_back(c == '/' ? L'\\' : wchar_t(c));
    if (load_picture(font, wide.c_str())) return;
    headless_reset();
    font->width = 380, font->height = 12, font->flag = 1;
    for (int i = 0; i < 380 * 12; ++i) font->pixels[i] = uint8_t(i % 7 ? 255 : i % 251);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Picture font;
    static Surface back = {};
    static Picture shipped;
    if (!back.pixels) {
        back.pixels = static_cast<uint8_t*>(std::malloc(SURFACE_SIZE));
        load_font(&font);
        shipped = font;
    }
    if (fuzz_message_count()) headless_reset();
    surface = &back;
    font_picture = &font;
    back.cursor = back.pixels;
    std::memset(back.pixels, BACKGROUND, SURFACE_SIZE);

    font = shipped;
    size_t at = 0;
    if (size >= 9 && data[0] == 0xFF) {
        font.width = int32_t(fuzz_u32(data, size, 1));
        font.height = int32_t(fuzz_u32(data, size, 5));
        at = 9;
    }
    const Picture before = font;
    static char text[TEXT_MAX + 1];
    size_t length = size - at < TEXT_MAX ? size - at : TEXT_MAX;
    std::memcpy(text, data + at, length);
    text[length] = 0;

    draw_text(text);

    fuzz_require(fuzz_message_count() == 0, "text drawing shows nothing");
    fuzz_require(std::memcmp(&font, &before, sizeof font) == 0, "the font picture is only read");
    // Glyphs sit from x = 11 to x = 230 and from y = 10 down.
    static uint8_t background_row[SURFACE_WIDTH];
    std::memset(background_row, BACKGROUND, sizeof background_row);
    for (int64_t row = 0; row < SURFACE_HEIGHT; ++row) {
        const uint8_t* line = back.pixels + row * SURFACE_WIDTH;
        const bool clear = row < 10 ? std::memcmp(line, background_row, SURFACE_WIDTH) == 0
                                    : std::memcmp(line, background_row, 11) == 0 &&
                                          std::memcmp(line + 231, background_row, 9) == 0;
        fuzz_require(clear, "nothing is drawn outside the text area");
    }
    surface = nullptr;
    font_picture = nullptr;
    return 0;
}
