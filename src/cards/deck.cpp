// deck.cpp -- a deck's faces and texts from its files held in memory, read by the program's
// own picture decoder, record lookup and text layout

#include "cards/cards.h"
#include "core/encoding.h"
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
                    size_t palette_size, int32_t language, CardDeck* deck, std::string* fault) {
    Picture picture;
    init_picture(&picture, CARD_SHEET_SIZE.width, CARD_SHEET_SIZE.height);
    if (!picture.pixels) {
        *fault = library_words(language, word_deck_no_memory);
        return 0;
    }
    PictureDecoding decoding = {};
    int ok = decode_picture(sheet, sheet_size, &picture, &decoding);
    if (!ok) {
        *fault = library_words(language, word_deck_refused, {{"code", narrow(decoding.fault)}});
    } else if (picture.width != CARD_SHEET_WIDTH || picture.height != CARD_HEIGHT ||
               picture.frame_width != CARD_WIDTH || picture.frame_height != CARD_HEIGHT) {
        *fault = library_words(language, word_deck_not_a_deck,
                               {{"width", number_text(picture.width)},
                                {"height", number_text(picture.height)},
                                {"frame_width", number_text(picture.frame_width)},
                                {"frame_height", number_text(picture.frame_height)}});
        ok = 0;
    } else if (decoding.delivered < decoding.wanted) {
        *fault = library_words(language, word_deck_short,
                               {{"delivered", number_text(decoding.delivered)},
                                {"wanted", number_text(decoding.wanted)}});
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

// A record's bytes (Windows-1252) as UTF-8 text: every run of blanks and line ends one space,
// none at either end; a byte the encoding lacks becomes '?'. The space a French text keeps
// before ":", ";", "!", "?" and "»" and after "«" becomes a no-break space, so that no line of
// a page or a terminal starts with the mark.
std::string record_text(const char* bytes, int32_t length) {
    std::string text;
    bool space = false;
    uint8_t last = 0; // the last byte that is no blank
    for (int32_t i = 0; i < length; i++) {
        const uint8_t c = uint8_t(bytes[i]);
        if (c <= ' ') {
            space = !text.empty();
            continue;
        }
        const bool together = std::strchr(":;!?\xBB", c) || last == 0xAB;
        if (space) text += together ? "\xC2\xA0" : " ";
        space = false;
        last = c;
        const uint32_t code = cp1252_to_unicode(c);
        char utf8[4];
        text.append(utf8, size_t(put_utf8(code ? code : '?', utf8)));
    }
    return text;
}

} // namespace

std::string record_name(int32_t record, int32_t language) {
    const char* name = language_card_name(language, record / 2);
    const char* orientation = word_in(language, record % 2 ? word_reversed : word_upright);
    return std::string(name ? name : "") + ", " + (orientation ? orientation : "");
}

int read_card_texts(const char* file, size_t size, int32_t language, CardDeck* deck,
                    std::string* fault) {
    std::vector<std::string> texts;
    std::vector<char> rows(WRAPPED_TEXT_SIZE);
    for (int32_t record = 0; record < DEALT_VALUES; record++) {
        const char* text = nullptr;
        int32_t held = 0, length = 0;
        if (!find_card_record(file, size, record, &text, &held, &length)) {
            *fault = library_words(language, word_deck_texts_end,
                                   {{"card", record_name(record, language)}});
            return 0;
        }
        std::fill(rows.begin(), rows.end(), 0);
        if (lay_out_card_text(text, held, length, rows.data(), int32_t(rows.size())) == 0) {
            *fault = library_words(language, word_deck_texts_layout,
                                   {{"card", record_name(record, language)}});
            return 0;
        }
        texts.push_back(record_text(text, length));
    }
    deck->texts.swap(texts);
    return 1;
}

std::string first_sentence(const std::string& text, int32_t card) {
    std::string rest = text;
    bool opened = false;
    for (int32_t language = 0; language < LANGUAGE_COUNT && !opened; language++)
        for (int32_t orientation = 0; orientation < 2 && !opened; orientation++) {
            const std::string opening = record_name(2 * card + orientation, language) + ".";
            opened = rest.compare(0, opening.size(), opening) == 0;
            if (opened) rest = rest.substr(opening.size());
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
