// encoding.cpp -- Windows-1252 and UTF-8: the one table of the bytes 128 to 159, the letters,
// and decoding and encoding UTF-8 characters

#include "core/encoding.h"

// [SECTION] Windows-1252

namespace {

// The code points of the bytes 0x80 to 0x9F; 0 where the encoding leaves a byte undefined.
// clang-format off
const uint16_t high_controls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // € . ‚ ƒ „ … † ‡
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,      // ˆ ‰ Š ‹ Œ . Ž .
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // . ‘ ’ “ ” • – —
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178, // ˜ ™ š › œ . ž Ÿ
};
// clang-format on

} // namespace

uint32_t cp1252_to_unicode(uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F) return high_controls[byte - 0x80];
    return byte;
}

uint8_t unicode_to_cp1252(uint32_t code_point) {
    if (code_point == 0) return 0;
    if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) return uint8_t(code_point);
    for (int32_t i = 0; i < 32; ++i)
        if (high_controls[i] == code_point) return uint8_t(0x80 + i);
    return 0;
}

int is_cp1252_letter(uint8_t byte) {
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z')) return 1;
    switch (byte) {
    case 0x8A: // S with caron
    case 0x8C: // OE
    case 0x8E: // Z with caron
    case 0x9A: // s with caron
    case 0x9C: // oe
    case 0x9E: // z with caron
    case 0x9F: // Y with diaeresis
        return 1;
    default:
        return byte >= 0xC0 && byte != 0xD7 && byte != 0xF7;
    }
}

// [SECTION] UTF-8

uint32_t next_utf8(const char* text, size_t* at) {
    const uint8_t first = uint8_t(text[*at]);
    if (first == 0) return 0;
    *at += 1;
    if (first < 0x80) return first;
    int32_t extra = first >= 0xF0 && first <= 0xF4 ? 3 : first >= 0xE0 ? 2 : first >= 0xC2 ? 1 : 0;
    if (first >= 0xF5 || extra == 0) return 0xFFFD;
    uint32_t code_point = first & (0x3F >> extra);
    for (int32_t k = 0; k < extra; ++k) {
        const uint8_t next = uint8_t(text[*at + size_t(k)]);
        if ((next & 0xC0) != 0x80) return 0xFFFD; // the next byte starts a character of its own
        code_point = (code_point << 6) | (next & 0x3F);
    }
    const uint32_t least[4] = {0, 0x80, 0x800, 0x10000};
    if (code_point < least[extra] || code_point > 0x10FFFF ||
        (code_point >= 0xD800 && code_point <= 0xDFFF))
        return 0xFFFD;
    *at += size_t(extra);
    return code_point;
}

int32_t put_utf8(uint32_t code_point, char* out) {
    if (code_point < 0x80) {
        out[0] = char(code_point);
        return 1;
    }
    if (code_point < 0x800) {
        out[0] = char(0xC0 | (code_point >> 6));
        out[1] = char(0x80 | (code_point & 0x3F));
        return 2;
    }
    if (code_point < 0x10000) {
        out[0] = char(0xE0 | (code_point >> 12));
        out[1] = char(0x80 | ((code_point >> 6) & 0x3F));
        out[2] = char(0x80 | (code_point & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (code_point >> 18));
    out[1] = char(0x80 | ((code_point >> 12) & 0x3F));
    out[2] = char(0x80 | ((code_point >> 6) & 0x3F));
    out[3] = char(0x80 | (code_point & 0x3F));
    return 4;
}
