// pending_decoders.h -- stand-ins for the program's in-memory decoders until they land
// (decode_picture in graphics, find_card_record and lay_out_card_text in reading)

#pragma once
#include "graphics/graphics.h"

int decode_picture(const uint8_t* bytes, size_t size, Picture* picture,
                   const wchar_t** fault = nullptr);
int find_card_record(const char* file, size_t size, int32_t record, const char** text,
                     int32_t* held, int32_t* length);
int32_t lay_out_card_text(const char* text, int32_t held, int32_t length, char* rows,
                          int32_t capacity);
