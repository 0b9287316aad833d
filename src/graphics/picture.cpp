// picture.cpp -- fixed-capacity pictures: giving them a buffer, loading ".nbf" files, freeing

#include "graphics/graphics.h"

#include <cstring>

Picture* work_picture = nullptr;
Picture* thumb_picture = nullptr;
Picture* font_picture = nullptr;
Picture* card_sheet = nullptr;
Picture* frame_picture = nullptr;

// [SECTION] Buffer

Picture* init_picture(Picture* picture, uint16_t capacity_width, uint16_t capacity_height) {
    if (!picture) return picture;
    picture->data_size = 0;
    picture->width = 0;
    picture->height = 0;
    picture->frame_width = 0;
    picture->frame_height = 0;
    picture->reserved = 0;
    picture->flag = 0;
    std::memset(picture->reserved2, 0, sizeof picture->reserved2);
    picture->pixels = nullptr;
    picture->cursor = nullptr;
    // A picture without a buffer keeps a zero capacity, so no load can ever fit it.
    picture->capacity_width = 0;
    picture->capacity_height = 0;

    size_t bytes = size_t(capacity_width) * capacity_height;
    uint8_t* buffer = static_cast<uint8_t*>(allocate_memory(bytes));
    if (!buffer) {
        message_box(0, L"3456456", L"", MB_OK);
        return picture;
    }
    picture->pixels = buffer;
    picture->cursor = buffer;
    picture->capacity_width = capacity_width;
    picture->capacity_height = capacity_height;
    return picture;
}

void release_picture(Picture* picture) {
    if (!picture) return;
    if (picture->pixels) release_memory(picture->pixels);
    picture->pixels = nullptr;
    picture->cursor = nullptr;
}

// [SECTION] Header

static uint32_t get_u32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

static void put_u32(uint8_t* bytes, uint32_t value) {
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
    bytes[2] = uint8_t(value >> 16);
    bytes[3] = uint8_t(value >> 24);
}

// Reads the 28-byte header into the picture's fields with one request. A short file is not
// detected: the bytes it does not deliver leave their fields as they were.
static int read_header(FileHandle file, Picture* picture) {
    uint8_t header[PICTURE_HEADER_SIZE];
    put_u32(header + 0, picture->data_size);
    put_u32(header + 4, uint32_t(picture->width));
    put_u32(header + 8, uint32_t(picture->height));
    put_u32(header + 12, uint32_t(picture->frame_width));
    put_u32(header + 16, uint32_t(picture->frame_height));
    put_u32(header + 20, uint32_t(picture->reserved));
    header[24] = picture->flag;
    std::memcpy(header + 25, picture->reserved2, 3);

    uint32_t got = 0;
    if (!read_file(file, header, PICTURE_HEADER_SIZE, &got)) return 0;

    picture->data_size = get_u32(header + 0);
    picture->width = int32_t(get_u32(header + 4));
    picture->height = int32_t(get_u32(header + 8));
    picture->frame_width = int32_t(get_u32(header + 12));
    picture->frame_height = int32_t(get_u32(header + 16));
    picture->reserved = int32_t(get_u32(header + 20));
    picture->flag = header[24];
    std::memcpy(picture->reserved2, header + 25, 3);
    return 1;
}

// [SECTION] Run-length pixels

// One byte of the stream; 0 at end of file or when the request fails.
static int next_byte(FileHandle file, uint8_t* byte) {
    uint32_t got = 0;
    return read_file(file, byte, 1, &got) && got == 1;
}

// Decodes until count pixels are written or the stream ends; what is not reached stays 0.
static void decode_run_length(FileHandle file, uint8_t* out, int64_t count) {
    int64_t written = 0;
    uint8_t code = 0;
    while (written < count && next_byte(file, &code)) {
        if (code < 0xC0) {
            out[written++] = code;
            continue;
        }
        uint8_t value = 0;
        if (!next_byte(file, &value)) return;
        int64_t run = code - 0xC0;
        if (run > count - written) run = count - written;
        std::memset(out + written, value, size_t(run));
        written += run;
    }
}

// [SECTION] Loading

int load_picture(Picture* picture, const wchar_t* path) {
    if (!picture) { // a picture whose record could not be made has no buffer either
        message_box(0, L"143468465", L"", MB_OK);
        return 0;
    }
    FileHandle file = open_file(path);
    if (file == INVALID_FILE) {
        message_box(0, L"567768354645", L"", MB_OK);
        return 0;
    }
    if (!read_header(file, picture)) {
        message_box(0, L"566724356", L"", MB_OK);
        close_file(file);
        return 0;
    }

    // 64-bit products: a damaged header can neither overflow nor sneak a negative size past.
    int64_t count = int64_t(picture->width) * picture->height;
    int64_t capacity = int64_t(picture->capacity_width) * picture->capacity_height;
    int raw = picture->flag != 1;
    if (picture->width < 0 || picture->height < 0 || count > capacity ||
        (raw && int64_t(picture->data_size) > capacity)) {
        message_box(0, L"906656556", L"", MB_OK);
        close_file(file);
        return 0;
    }
    if (!picture->pixels) {
        message_box(0, L"143468465", L"", MB_OK);
        close_file(file);
        return 0;
    }

    std::memset(picture->pixels, 0, size_t(capacity));
    if (raw) {
        uint32_t got = 0;
        read_file(file, picture->pixels, picture->data_size, &got);
    } else {
        decode_run_length(file, picture->pixels, count);
    }
    close_file(file);
    return 1;
}
