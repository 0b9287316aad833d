// card_sheet.cpp -- the deck's card.nbf: writing it, checking it with the program's own picture
// loader, and turning it back into pictures and a contact sheet

#include "deck.h"
#include "graphics/graphics.h"
#include "platform/common/common.h"
#include "platform/headless/headless.h"

#include <cstdio>
#include <cstring>
#include <set>

std::string frame_file_name(int frame) {
    if (frame == CARD_BACK) return "back";
    char name[8];
    std::snprintf(name, sizeof name, "%02d", frame);
    return name;
}

int frame_of_name(const std::string& stem) {
    if (stem.size() == 4) {
        std::string lower;
        for (char c : stem) lower.push_back(char(c >= 'A' && c <= 'Z' ? c + 32 : c));
        return lower == "back" ? CARD_BACK : -1;
    }
    if (stem.size() != 2 || stem[0] < '0' || stem[0] > '9' || stem[1] < '0' || stem[1] > '9')
        return -1;
    const int frame = (stem[0] - '0') * 10 + (stem[1] - '0');
    return frame < CARD_BACK ? frame : -1;
}

// [SECTION] Writing

namespace {

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; i++) out.push_back(uint8_t(v >> (8 * i)));
}

uint32_t get_u32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; i--) v = v << 8 | uint8_t(bytes[at + size_t(i)]);
    return v;
}

// The program's run-length pixels: a byte below 0xC0 is one pixel; 0xC0 + n (1..63), then v,
// is n pixels of v.
std::vector<uint8_t> run_length(const std::vector<uint8_t>& pixels) {
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < pixels.size()) {
        const uint8_t v = pixels[i];
        size_t n = 1;
        while (i + n < pixels.size() && pixels[i + n] == v && n < 63) ++n;
        if (n <= 2 && v < 0xC0) {
            out.insert(out.end(), n, v);
        } else {
            out.push_back(uint8_t(0xC0 + n));
            out.push_back(v);
        }
        i += n;
    }
    return out;
}

} // namespace

std::vector<uint8_t> encode_card_sheet(const std::vector<uint8_t>& strip) {
    std::vector<uint8_t> packed = run_length(strip);
    const bool rle = packed.size() < strip.size();
    const std::vector<uint8_t>& pixels = rle ? packed : strip;
    std::vector<uint8_t> out;
    put_u32(out, uint32_t(pixels.size()));
    put_u32(out, CARD_SHEET_WIDTH);
    put_u32(out, CARD_HEIGHT);
    put_u32(out, CARD_WIDTH);
    put_u32(out, CARD_HEIGHT);
    put_u32(out, 0);
    out.push_back(rle ? 1 : 0);
    out.insert(out.end(), 3, 0);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// [SECTION] Checking

namespace {

// Pixels a run-length stream holds, and whether it holds exactly `count` with nothing after.
bool runs_complete(const std::string& bytes, size_t from, int64_t count, int64_t* found) {
    int64_t pixels = 0;
    size_t i = from;
    while (i < bytes.size() && pixels < count) {
        const uint8_t code = uint8_t(bytes[i++]);
        if (code < 0xC0) {
            pixels += 1;
        } else {
            if (i == bytes.size()) break;
            i += 1;
            pixels += code - 0xC0;
        }
    }
    *found = pixels;
    return pixels == count && i == bytes.size();
}

} // namespace

int check_card_sheet(const std::string& path, std::vector<uint8_t>* strip, std::string* summary,
                     Problems* problems) {
    const size_t problems_before = problems->size();
    std::string bytes, error;
    if (!read_whole_file(path, &bytes, &error)) {
        problems->push_back(path + " " + error);
        return 0;
    }
    if (bytes.size() < PICTURE_HEADER_SIZE) {
        problems->push_back(path + " is shorter than a picture's 28-byte header");
        return 0;
    }
    const uint32_t width = get_u32(bytes, 4), height = get_u32(bytes, 8);
    const uint32_t frame_width = get_u32(bytes, 12), frame_height = get_u32(bytes, 16);
    const bool rle = bytes[24] == 1;
    if (width != CARD_SHEET_WIDTH || height != CARD_HEIGHT || frame_width != CARD_WIDTH ||
        frame_height != CARD_HEIGHT) {
        problems->push_back(path + " is " + std::to_string(width) + " x " + std::to_string(height) +
                            " in frames of " + std::to_string(frame_width) + " x " +
                            std::to_string(frame_height) +
                            "; a deck is 79 frames of 60 x 100 in one row (4740 x 100)");
        return 0;
    }
    const int64_t count = int64_t(CARD_SHEET_WIDTH) * CARD_HEIGHT;
    if (rle) {
        int64_t found = 0;
        if (!runs_complete(bytes, PICTURE_HEADER_SIZE, count, &found))
            problems->push_back(path + (found < count ? " ends after " + std::to_string(found) +
                                                            " of its 474000 pixels"
                                                      : " has bytes after its last pixel"));
    } else if (get_u32(bytes, 0) != count || bytes.size() - PICTURE_HEADER_SIZE < size_t(count)) {
        problems->push_back(path + " holds " + std::to_string(bytes.size() - PICTURE_HEADER_SIZE) +
                            " pixel bytes (its header says " + std::to_string(get_u32(bytes, 0)) +
                            "); a deck needs 474000");
    }

    // The program's own loader, into a picture of the size the program gives its card sheet.
    ScratchFolder scratch;
    const std::string copy = scratch.path + "/card.nbf";
    if (scratch.path.empty() ||
        !write_file_whole(copy, std::vector<uint8_t>(bytes.begin(), bytes.end()), &error)) {
        problems->push_back("cannot make a scratch copy of " + path + ": " + error);
        return 0;
    }
    headless_reset();
    Picture picture;
    init_picture(&picture, CARD_SHEET_WIDTH, CARD_HEIGHT);
    const int loaded = load_picture(&picture, program_path(copy).c_str());
    if (!loaded) {
        const std::vector<std::string>& messages = headless_messages();
        problems->push_back(path + " is refused by the program's picture loader (message " +
                            (messages.empty() ? "none" : messages.back().substr(1)) + ")");
    } else {
        strip->assign(picture.pixels, picture.pixels + count);
    }
    release_picture(&picture);
    if (!loaded) return 0;

    std::set<int> colours;
    for (int frame = 0; frame < CARD_FRAMES; frame++) {
        int transparent = 0;
        for (int y = 0; y < CARD_HEIGHT; y++)
            for (int x = 0; x < CARD_WIDTH; x++) {
                const uint8_t v =
                    (*strip)[size_t(y) * CARD_SHEET_WIDTH + size_t(frame) * CARD_WIDTH + size_t(x)];
                colours.insert(v);
                transparent += v == TRANSPARENT_INDEX;
            }
        if (transparent)
            problems->push_back(path + ": frame " + frame_file_name(frame) + " has " +
                                std::to_string(transparent) +
                                " pixels of index 255, the transparent index");
    }
    *summary = "card.nbf: 79 frames of 60 x 100, " +
               std::string(rle ? "run-length encoded" : "raw") + ", " +
               std::to_string(bytes.size()) + " bytes, " + std::to_string(colours.size()) +
               " of the palette's 255 colours";
    return problems->size() == problems_before;
}

// [SECTION] Pictures of the frames

Image frame_image(const std::vector<uint8_t>& strip, int frame, const uint8_t (*palette)[3]) {
    Image image;
    image.width = CARD_WIDTH;
    image.height = CARD_HEIGHT;
    image.pixels.resize(size_t(CARD_WIDTH) * CARD_HEIGHT * 4);
    for (int y = 0; y < CARD_HEIGHT; y++)
        for (int x = 0; x < CARD_WIDTH; x++) {
            const uint8_t v =
                strip[size_t(y) * CARD_SHEET_WIDTH + size_t(frame) * CARD_WIDTH + size_t(x)];
            uint8_t* out = &image.pixels[(size_t(y) * CARD_WIDTH + size_t(x)) * 4];
            out[0] = palette[v][0];
            out[1] = palette[v][1];
            out[2] = palette[v][2];
            out[3] = 255;
        }
    return image;
}

Image contact_sheet(const std::vector<uint8_t>& strip, const uint8_t (*palette)[3],
                    const std::vector<uint8_t>* font, int font_width) {
    const int columns = 10, rows = (CARD_FRAMES + columns - 1) / columns;
    const int gap = 8, label = GLYPH_HEIGHT + 4;
    const int cell_width = CARD_WIDTH + gap, cell_height = CARD_HEIGHT + label + gap;
    Image sheet;
    sheet.width = columns * cell_width + gap;
    sheet.height = rows * cell_height + gap;
    sheet.pixels.resize(size_t(sheet.width) * size_t(sheet.height) * 4);
    for (size_t i = 0; i < sheet.pixels.size(); i += 4) {
        sheet.pixels[i] = 44;
        sheet.pixels[i + 1] = 40;
        sheet.pixels[i + 2] = 52;
        sheet.pixels[i + 3] = 255;
    }
    auto put = [&](int x, int y, const uint8_t* rgb) {
        uint8_t* out = &sheet.pixels[(size_t(y) * size_t(sheet.width) + size_t(x)) * 4];
        std::memcpy(out, rgb, 3);
    };
    for (int frame = 0; frame < CARD_FRAMES; frame++) {
        const int left = gap + (frame % columns) * cell_width;
        const int top = gap + (frame / columns) * cell_height;
        for (int y = 0; y < CARD_HEIGHT; y++)
            for (int x = 0; x < CARD_WIDTH; x++)
                put(left + x, top + y,
                    palette[strip[size_t(y) * CARD_SHEET_WIDTH + size_t(frame) * CARD_WIDTH +
                                  size_t(x)]]);
        if (!font) continue;
        // The label, centred under the card in the program's own glyphs (a 6-pixel cell each).
        const std::string name = frame_file_name(frame);
        int pen = left + (CARD_WIDTH - int(name.size()) * 6) / 2;
        for (char c : name) {
            const int column = (c - 33) * GLYPH_WIDTH;
            for (int y = 0; y < GLYPH_HEIGHT; y++)
                for (int x = 0; x < GLYPH_WIDTH; x++) {
                    if (column + x < 0 || column + x >= font_width) continue;
                    const uint8_t v = (*font)[size_t(y) * size_t(font_width) + size_t(column + x)];
                    if (v != TRANSPARENT_INDEX) put(pen + x, top + CARD_HEIGHT + 3 + y, palette[v]);
                }
            pen += 6;
        }
    }
    return sheet;
}
