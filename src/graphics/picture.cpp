// picture.cpp -- fixed-capacity pictures: giving them a buffer, decoding ".nbf" files from memory
// or from disk, freeing

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

// [SECTION] Decoding

namespace {

uint32_t get_u32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

void put_u32(uint8_t* bytes, uint32_t value) {
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
    bytes[2] = uint8_t(value >> 16);
    bytes[3] = uint8_t(value >> 24);
}

enum DecodeStage : int32_t { stage_header, stage_pixels, stage_done, stage_failed };

// A picture file decoded as its bytes arrive, in pieces of any size: the 28-byte header, then
// the pixels straight into the picture's buffer. load_picture feeds it what the file layer
// reads, decode_picture a whole file held in memory.
struct PictureDecoder {
    Picture* picture;
    int32_t stage;
    uint32_t header_taken;               // header bytes arrived so far
    uint8_t header[PICTURE_HEADER_SIZE]; // the picture's fields, overwritten as bytes arrive
    int32_t raw;                         // 1: the pixels are the file's bytes as they are
    int64_t done;                        // pixels written (run-length) or bytes copied (raw)
    int64_t total;                       // the pixel count, or the raw data size
    size_t used;                         // bytes of the file taken
    int32_t run;                         // a run's code whose value byte has not arrived; -1
    const wchar_t* fault;                // the failure's message
};

void start_decoding(PictureDecoder* d, Picture* picture) {
    d->picture = picture;
    d->stage = stage_header;
    d->header_taken = 0;
    // A file shorter than the header leaves the fields it does not reach as they were.
    put_u32(d->header + 0, picture->data_size);
    put_u32(d->header + 4, uint32_t(picture->width));
    put_u32(d->header + 8, uint32_t(picture->height));
    put_u32(d->header + 12, uint32_t(picture->frame_width));
    put_u32(d->header + 16, uint32_t(picture->frame_height));
    put_u32(d->header + 20, uint32_t(picture->reserved));
    d->header[24] = picture->flag;
    std::memcpy(d->header + 25, picture->reserved2, 3);
    d->raw = 0;
    d->done = 0;
    d->total = 0;
    d->used = 0;
    d->run = -1;
    d->fault = nullptr;
}

void fail(PictureDecoder* d, const wchar_t* message) {
    d->stage = stage_failed;
    d->fault = message;
}

// Takes the header as it stands into the picture's fields, then checks that the pixels fit
// the buffer and clears it.
void take_header(PictureDecoder* d) {
    Picture* picture = d->picture;
    picture->data_size = get_u32(d->header + 0);
    picture->width = int32_t(get_u32(d->header + 4));
    picture->height = int32_t(get_u32(d->header + 8));
    picture->frame_width = int32_t(get_u32(d->header + 12));
    picture->frame_height = int32_t(get_u32(d->header + 16));
    picture->reserved = int32_t(get_u32(d->header + 20));
    picture->flag = d->header[24];
    std::memcpy(picture->reserved2, d->header + 25, 3);

    // 64-bit products: a damaged header can neither overflow nor sneak a negative size past.
    const int64_t count = int64_t(picture->width) * picture->height;
    const int64_t capacity = int64_t(picture->capacity_width) * picture->capacity_height;
    d->raw = picture->flag != 1;
    if (picture->width < 0 || picture->height < 0 || count > capacity ||
        (d->raw && int64_t(picture->data_size) > capacity))
        return fail(d, L"906656556");
    if (!picture->pixels) return fail(d, L"143468465");
    std::memset(picture->pixels, 0, size_t(capacity));
    d->total = d->raw ? int64_t(picture->data_size) : count;
    d->stage = d->total > 0 ? stage_pixels : stage_done;
}

// Run-length pixels: a byte below 0xC0 is one pixel, 0xC0 + n then a value byte is n pixels of
// that value. Decoding stops at the pixel count; what is not reached stays 0.
size_t decode_runs(PictureDecoder* d, const uint8_t* bytes, size_t size) {
    uint8_t* out = d->picture->pixels;
    const int64_t total = d->total;
    int64_t done = d->done;
    size_t at = 0;
    if (d->run >= 0) { // the value byte of a run cut between two pieces
        int64_t run = d->run - 0xC0;
        if (run > total - done) run = total - done;
        std::memset(out + done, bytes[at++], size_t(run));
        done += run;
        d->run = -1;
    }
    while (done < total && at < size) {
        const uint8_t code = bytes[at++];
        if (code < 0xC0) {
            out[done++] = code;
            continue;
        }
        if (at == size) {
            d->run = code;
            break;
        }
        int64_t run = code - 0xC0;
        if (run > total - done) run = total - done;
        std::memset(out + done, bytes[at++], size_t(run));
        done += run;
    }
    d->done = done;
    return at;
}

// Takes the next bytes of the file.
void decode_bytes(PictureDecoder* d, const uint8_t* bytes, size_t size) {
    if (d->stage == stage_header) {
        size_t n = PICTURE_HEADER_SIZE - d->header_taken;
        if (n > size) n = size;
        std::memcpy(d->header + d->header_taken, bytes, n);
        d->header_taken += uint32_t(n);
        d->used += n;
        bytes += n;
        size -= n;
        if (d->header_taken < PICTURE_HEADER_SIZE) return;
        take_header(d);
    }
    if (d->stage != stage_pixels || size == 0) return;
    if (d->raw) {
        size_t n = size_t(d->total - d->done);
        if (n > size) n = size;
        std::memcpy(d->picture->pixels + d->done, bytes, n);
        d->done += int64_t(n);
        d->used += n;
    } else {
        d->used += decode_runs(d, bytes, size);
    }
    if (d->done == d->total) d->stage = stage_done;
}

int wants_bytes(const PictureDecoder* d) {
    return d->stage == stage_header || d->stage == stage_pixels;
}

// The file has ended: a header cut short is taken as it stands, pixels not reached stay 0.
int finish_decoding(PictureDecoder* d) {
    if (d->stage == stage_header) take_header(d);
    return d->stage != stage_failed;
}

} // namespace

int decode_picture(const uint8_t* bytes, size_t size, Picture* picture, PictureDecoding* decoding) {
    PictureDecoding result = {L"143468465", 0, 0, 0};
    int decoded = 0;
    if (picture) {
        PictureDecoder decoder;
        start_decoding(&decoder, picture);
        if (bytes) decode_bytes(&decoder, bytes, size);
        decoded = finish_decoding(&decoder);
        result = {decoder.fault, decoder.total, decoder.done, decoder.used};
    }
    if (decoding) *decoding = result;
    return decoded;
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
    PictureDecoder decoder;
    start_decoding(&decoder, picture);
    uint8_t piece[4096];
    while (wants_bytes(&decoder)) {
        uint32_t got = 0;
        if (!read_file(file, piece, sizeof piece, &got)) {
            if (decoder.stage != stage_header) break; // the pixels read so far stay
            message_box(0, L"566724356", L"", MB_OK);
            close_file(file);
            return 0;
        }
        if (got == 0) break;
        decode_bytes(&decoder, piece, got);
    }
    if (!finish_decoding(&decoder)) {
        message_box(0, decoder.fault, L"", MB_OK);
        close_file(file);
        return 0;
    }
    close_file(file);
    return 1;
}
