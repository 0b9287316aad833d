// pending_decoders.cpp -- stand-ins for the program's in-memory decoders until they land

#include "cards/pending_decoders.h"
#include <algorithm>
#include <cstring>

namespace {
uint32_t u32(const uint8_t* b) {
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}
} // namespace

int decode_picture(const uint8_t* bytes, size_t size, Picture* picture, const wchar_t** fault) {
    if (size < PICTURE_HEADER_SIZE) {
        if (fault) *fault = L"566724356";
        return 0;
    }
    picture->data_size = u32(bytes);
    picture->width = int32_t(u32(bytes + 4));
    picture->height = int32_t(u32(bytes + 8));
    picture->frame_width = int32_t(u32(bytes + 12));
    picture->frame_height = int32_t(u32(bytes + 16));
    picture->flag = bytes[24];
    const int64_t count = int64_t(picture->width) * picture->height;
    const int64_t capacity = int64_t(picture->capacity_width) * picture->capacity_height;
    if (picture->width < 0 || picture->height < 0 || count > capacity) {
        if (fault) *fault = L"906656556";
        return 0;
    }
    std::memset(picture->pixels, 0, size_t(capacity));
    size_t i = PICTURE_HEADER_SIZE;
    if (picture->flag != 1) {
        const size_t n = std::min<size_t>(picture->data_size, size - i);
        std::memcpy(picture->pixels, bytes + i, std::min<size_t>(n, size_t(capacity)));
        return 1;
    }
    int64_t written = 0;
    while (written < count && i < size) {
        const uint8_t code = bytes[i++];
        if (code < 0xC0) {
            picture->pixels[written++] = code;
            continue;
        }
        if (i >= size) break;
        const uint8_t value = bytes[i++];
        const int64_t run = std::min<int64_t>(code - 0xC0, count - written);
        std::memset(picture->pixels + written, value, size_t(run));
        written += run;
    }
    return 1;
}

int find_card_record(const char* file, size_t size, int32_t record, const char** text,
                     int32_t* held, int32_t* length) {
    int64_t separators = 0;
    size_t start = 0;
    for (size_t i = 0; i < size; i++) {
        if (file[i] != '$') continue;
        separators++;
        if (separators == record + 1) start = i + 1;
        if (separators == record + 2) {
            *text = file + start;
            *length = int32_t(i - start - 1);
            *held = *length > RECORD_TEXT_SIZE ? RECORD_TEXT_SIZE : *length;
            return 1;
        }
    }
    return 0;
}

int32_t lay_out_card_text(const char*, int32_t, int32_t length, char*, int32_t) {
    return length > 0;
}
