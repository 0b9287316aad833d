// deck.cpp -- a deck's faces and texts from its files held in memory, read by the program's
// own picture decoder, record lookup and text layout

#include "cards/cards.h"
#include "graphics/graphics.h"
#include "platform/common/common.h"
#include "reading/reading.h"

#include <algorithm>
#include <cstring>

// [SECTION] Faces

namespace {

std::string number_text(int64_t n) {
    return std::to_string(n);
}

} // namespace

int read_card_faces(const uint8_t* sheet, size_t sheet_size, const uint8_t* palette,
                    size_t palette_size, CardDeck* deck, std::string* fault) {
    Picture picture;
    init_picture(&picture, CARD_SHEET_SIZE.width, CARD_SHEET_SIZE.height);
    if (!picture.pixels) {
        *fault = "there is no memory for its pictures";
        return 0;
    }
    PictureDecoding decoding = {};
    int ok = decode_picture(sheet, sheet_size, &picture, &decoding);
    if (!ok) {
        *fault = "the program refuses it with its message " + narrow(decoding.fault);
    } else if (picture.width != CARD_SHEET_WIDTH || picture.height != CARD_HEIGHT ||
               picture.frame_width != CARD_WIDTH || picture.frame_height != CARD_HEIGHT) {
        *fault = "it is a picture of " + number_text(picture.width) + " x " +
                 number_text(picture.height) + " in frames of " + number_text(picture.frame_width) +
                 " x " + number_text(picture.frame_height) + ", not a deck's 79 cards of 60 x 100";
        ok = 0;
    } else if (decoding.delivered < decoding.wanted) {
        *fault = "it ends after " + number_text(decoding.delivered) + " of its " +
                 number_text(decoding.wanted) + " pixels";
        ok = 0;
    }
    if (ok) {
        deck->sheet.assign(picture.pixels, picture.pixels + size_t(CARD_SHEET_WIDTH) * CARD_HEIGHT);
        // The palette file's colours, as load_palette reads it (a short file leaves the rest
        // black), each shown as the display shows it.
        uint8_t rgb[256][3] = {};
        std::memcpy(rgb, palette, palette_size < sizeof rgb ? palette_size : sizeof rgb);
        GXDisplayProperties display = {};
        display.ffFormat = kfDirect565;
        for (int i = 0; i < 256; i++) {
            uint16_t value = 0;
            colour_to_display(rgb[i][0], rgb[i][1], rgb[i][2], &display, &value);
            widen_pixel(value, kfDirect565, deck->colours[i]);
        }
    }
    release_picture(&picture);
    return ok;
}

void face_pixels(const CardDeck& deck, int32_t frame, int32_t channels, uint8_t* out) {
    for (int32_t y = 0; y < CARD_HEIGHT; y++)
        for (int32_t x = 0; x < CARD_WIDTH; x++) {
            const uint8_t index =
                deck.sheet[size_t(y) * CARD_SHEET_WIDTH + size_t(frame) * CARD_WIDTH + size_t(x)];
            std::memcpy(out, deck.colours[index], 3);
            if (channels == 4) out[3] = 255;
            out += channels;
        }
}

// [SECTION] Texts

namespace {

// The characters of Windows-1252 from 0x80 to 0x9F (the font's 8-bit code page; the rest of
// it is Latin-1), as Unicode; 0 where the code page has none.
const uint16_t CP1252_HIGH[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void put_utf8(std::string* out, uint32_t c) {
    if (c < 0x80) {
        *out += char(c);
    } else if (c < 0x800) {
        *out += char(0xC0 | c >> 6);
        *out += char(0x80 | (c & 63));
    } else {
        *out += char(0xE0 | c >> 12);
        *out += char(0x80 | (c >> 6 & 63));
        *out += char(0x80 | (c & 63));
    }
}

// A record's bytes as UTF-8 text: every run of blanks and line ends one space, none at
// either end; a byte the code page lacks becomes '?'.
std::string record_text(const char* bytes, int32_t length) {
    std::string text;
    bool space = false;
    for (int32_t i = 0; i < length; i++) {
        const uint8_t c = uint8_t(bytes[i]);
        if (c <= ' ') {
            space = !text.empty();
            continue;
        }
        if (space) text += ' ';
        space = false;
        const uint32_t code = c >= 0x80 && c < 0xA0 ? CP1252_HIGH[c - 0x80] : c;
        put_utf8(&text, code ? code : '?');
    }
    return text;
}

std::string record_name(int32_t record) {
    return std::string(card_name(record / 2)) + ", " +
           card_word(record % 2 ? word_card_reversed : word_card_upright);
}

} // namespace

int read_card_texts(const char* file, size_t size, CardDeck* deck, std::string* fault) {
    std::vector<std::string> texts;
    std::vector<char> rows(WRAPPED_TEXT_SIZE);
    for (int32_t record = 0; record < DEALT_VALUES; record++) {
        const char* text = nullptr;
        int32_t held = 0, length = 0;
        if (!find_card_record(file, size, record, &text, &held, &length)) {
            *fault = "the file ends before the text of " + record_name(record) +
                     " (the program's message: File not found1.)";
            return 0;
        }
        std::fill(rows.begin(), rows.end(), 0);
        if (lay_out_card_text(text, held, length, rows.data(), int32_t(rows.size())) == 0) {
            *fault = "the text of " + record_name(record) +
                     " does not lay out in the meaning window (rows of 23, at most 52 of "
                     "them, ending with a period)";
            return 0;
        }
        texts.push_back(record_text(text, length));
    }
    deck->texts.swap(texts);
    return 1;
}

std::string first_sentence(const std::string& text, int32_t card) {
    std::string rest = text;
    const char* name = card_name(card);
    for (CardWord orientation : {word_card_upright, word_card_reversed}) {
        const std::string opening =
            std::string(name ? name : "") + ", " + card_word(orientation) + ".";
        if (name && rest.compare(0, opening.size(), opening) == 0) {
            rest = rest.substr(opening.size());
            break;
        }
    }
    const size_t start = rest.find_first_not_of(' ');
    if (start == std::string::npos) return "";
    const size_t end = rest.find(". ", start);
    return rest.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start);
}

// [SECTION] Groups

int32_t card_group(int32_t card) {
    if (card < MAJOR_ARCANA_COUNT) return 0;
    return 1 + (card - MAJOR_ARCANA_COUNT) / SUIT_CARDS;
}
