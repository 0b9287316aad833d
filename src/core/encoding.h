// encoding.h -- one byte per letter: Windows-1252, the encoding of the card text file and the
// bitmap font's codes, and its meeting with the UTF-8 of the program's tables and the hosts
//
// The card text file and the font keep one byte a glyph. Codes 0 to 127 are ASCII; codes 160
// to 255 are the Latin-1 letters and signs at the same Unicode numbers; codes 128 to 159
// hold the few letters and signs Latin-1 lacks (the French "oe" ligature, curly quotes,
// dashes, the euro). docs/encoding.md lists the byte of every letter the languages use.

#pragma once
#include "core/core.h"

// The Unicode code point of a Windows-1252 byte; 0 for the five bytes it leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D).
uint32_t cp1252_to_unicode(uint8_t byte);
// The Windows-1252 byte of a code point, or 0 when the encoding has none (and for 0).
uint8_t unicode_to_cp1252(uint32_t code_point);
// 1 for the bytes that are letters: A to Z, a to z, and the Windows-1252 letters above 127
// (the Latin-1 letters but the multiplication and division signs, and S, Z with caron, the
// "oe" ligatures and Y with diaeresis). The meaning window's layout keeps letters together.
int is_cp1252_letter(uint8_t byte);

// Decodes the UTF-8 character at text[*at] (a zero-terminated text), moves *at past it and
// returns its code point; a byte that starts no well-formed character is taken alone and
// returns 0xFFFD. Returns 0 at the terminator without moving.
uint32_t next_utf8(const char* text, size_t* at);
// Writes the UTF-8 bytes of a code point into out (at least 4 bytes); returns their count.
int32_t put_utf8(uint32_t code_point, char* out);
