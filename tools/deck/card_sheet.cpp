// card_sheet.cpp -- the deck's card.nbf: writing it, checking it with the program's own picture
// decoder, and turning it back into pictures and a contact sheet

#include "deck.h"
#include "graphics/graphics.h"

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

std::string deck_shape() {
    return std::to_string(CARD_FRAMES) + " frames of " + std::to_string(CARD_WIDTH) + " x " +
           std::to_string(CARD_HEIGHT);
}

int check_card_sheet(const std::string& name, const std::string& bytes, std::vector<uint8_t>* strip,
                     std::string* summary, Problems* problems) {
    const size_t problems_before = problems->size();
    if (bytes.size() < PICTURE_HEADER_SIZE) {
        problems->push_back(name + " is shorter than a picture's " +
                            std::to_string(PICTURE_HEADER_SIZE) + "-byte header");
        return 0;
    }
    // The program's own decoder, into a picture of the capacity the program gives its card
    // sheet.
    Picture picture;
    init_picture(&picture, CARD_SHEET_SIZE.width, CARD_SHEET_SIZE.height);
    PictureDecoding decoding;
    const int decoded = decode_picture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                       &picture, &decoding);
    const int64_t count = int64_t(CARD_SHEET_WIDTH) * CARD_HEIGHT;
    const bool rle = picture.flag == 1;
    if (picture.width != CARD_SHEET_WIDTH || picture.height != CARD_HEIGHT ||
        picture.frame_width != CARD_WIDTH || picture.frame_height != CARD_HEIGHT) {
        problems->push_back(
            name + " is " + std::to_string(picture.width) + " x " + std::to_string(picture.height) +
            " in frames of " + std::to_string(picture.frame_width) + " x " +
            std::to_string(picture.frame_height) + "; a deck is " + deck_shape() + " in one row (" +
            std::to_string(CARD_SHEET_WIDTH) + " x " + std::to_string(CARD_HEIGHT) + ")");
        release_picture(&picture);
        return 0;
    }
    if (!decoded) {
        const std::wstring fault = decoding.fault ? decoding.fault : L"none";
        problems->push_back(name + " is refused by the program's picture loader (message " +
                            std::string(fault.begin(), fault.end()) + ")");
    } else if (!rle && (picture.data_size != count || decoding.delivered < count)) {
        problems->push_back(name + " holds " + std::to_string(bytes.size() - PICTURE_HEADER_SIZE) +
                            " pixel bytes (its header says " + std::to_string(picture.data_size) +
                            "); a deck needs " + std::to_string(count));
    } else if (decoding.delivered < count) {
        problems->push_back(name + " ends after " + std::to_string(decoding.delivered) +
                            " of its " + std::to_string(count) + " pixels");
    } else if (decoding.used < bytes.size()) {
        problems->push_back(name + " has bytes after its last pixel");
    }
    if (decoded) strip->assign(picture.pixels, picture.pixels + count);
    release_picture(&picture);
    if (!decoded) return 0;

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
            problems->push_back(name + ": frame " + frame_file_name(frame) + " has " +
                                std::to_string(transparent) + " pixels of index " +
                                std::to_string(TRANSPARENT_INDEX) + ", the transparent index");
    }
    *summary = "card.nbf: " + deck_shape() + ", " +
               std::string(rle ? "run-length encoded" : "raw") + ", " +
               std::to_string(bytes.size()) + " bytes, " + std::to_string(colours.size()) +
               " of the palette's " + std::to_string(TRANSPARENT_INDEX) + " colours";
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
