// picture_fuzz.cpp -- fuzzes load_picture and decode_picture: any file, loaded into each of the
// program-wide capacities, checked against the file format byte for byte, and decoded from
// memory to the same fields, pixels and message

#include "fuzz_support.h"
#include "graphics/graphics.h"

#include <cstring>
#include <cwchar>
#include <string>

namespace {

struct Capacity {
    uint16_t width, height;
};
// work_picture, thumb_picture, font_picture, card_sheet, frame_picture
const Capacity CAPACITIES[] = {{1500, 300}, {30, 50}, {240, 320}, {4740, 100}, {240, 174}};
const size_t PICTURES = sizeof CAPACITIES / sizeof CAPACITIES[0];

// The header a picture holds before each input: a 10 x 10 raw picture, so that short files
// (whose missing header bytes keep the previous values) behave the same on every run.
const uint8_t PREVIOUS_HEADER[PICTURE_HEADER_SIZE] = {100, 0, 0, 0, 10, 0, 0, 0, 10, 0,
                                                      0,   0, 5, 0, 0,  0, 2, 0, 0,  0};

void header_bytes(const Picture& p, uint8_t* out) {
    const uint32_t fields[6] = {p.data_size,
                                uint32_t(p.width),
                                uint32_t(p.height),
                                uint32_t(p.frame_width),
                                uint32_t(p.frame_height),
                                uint32_t(p.reserved)};
    for (int f = 0; f < 6; ++f)
        for (int i = 0; i < 4; ++i) out[4 * f + i] = uint8_t(fields[f] >> (8 * i));
    out[24] = p.flag;
    std::memcpy(out + 25, p.reserved2, 3);
}

void set_header(Picture* p, const uint8_t* bytes) {
    p->data_size = fuzz_u32(bytes, 28, 0);
    p->width = int32_t(fuzz_u32(bytes, 28, 4));
    p->height = int32_t(fuzz_u32(bytes, 28, 8));
    p->frame_width = int32_t(fuzz_u32(bytes, 28, 12));
    p->frame_height = int32_t(fuzz_u32(bytes, 28, 16));
    p->reserved = int32_t(fuzz_u32(bytes, 28, 20));
    p->flag = bytes[24];
    std::memcpy(p->reserved2, bytes + 25, 3);
}

// Compared with a block of zeros: a byte loop over half a megabyte per load would cost more
// than the load itself.
bool all_zero(const uint8_t* bytes, int64_t from, int64_t to) {
    static const uint8_t zeros[64 * 1024] = {};
    while (from < to) {
        const int64_t n = to - from < int64_t(sizeof zeros) ? to - from : int64_t(sizeof zeros);
        if (std::memcmp(bytes + from, zeros, size_t(n)) != 0) return false;
        from += n;
    }
    return true;
}

// The run-length stream of the file decodes to exactly these count pixels (0 where the
// stream ended early).
bool run_length_matches(const uint8_t* data, size_t size, const uint8_t* pixels, int64_t count) {
    size_t i = PICTURE_HEADER_SIZE;
    int64_t written = 0;
    while (written < count && i < size) {
        uint8_t code = data[i++];
        if (code < 0xC0) {
            if (pixels[written++] != code) return false;
            continue;
        }
        if (i >= size) break;
        uint8_t value = data[i++];
        for (int64_t run = code - 0xC0; run > 0 && written < count; --run)
            if (pixels[written++] != value) return false;
    }
    return all_zero(pixels, written, count);
}

// Loads the input into p and checks the result against the format; decodes it from memory into
// twin, which held the same fields, and checks it comes out the same.
void load_and_check(Picture* p, Picture* twin, const std::wstring& path, const uint8_t* data,
                    size_t size) {
    uint8_t expected_header[PICTURE_HEADER_SIZE];
    header_bytes(*p, expected_header);
    std::memcpy(expected_header, data, size < PICTURE_HEADER_SIZE ? size : PICTURE_HEADER_SIZE);

    const size_t messages = fuzz_message_count();
    const int ok = load_picture(p, path.c_str());
    const size_t shown = fuzz_message_count();
    PictureDecoding decoding{};
    fuzz_require(decode_picture(data, size, twin, &decoding) == ok, "memory decodes as disk loads");
    const wchar_t* fault = decoding.fault;
    fuzz_require(fuzz_message_count() == shown, "decoding shows nothing");
    if (!ok)
        fuzz_require(
            fault && fuzz_last_message_is(std::string(fault, fault + std::wcslen(fault)).c_str()),
            "the same failure's message");
    uint8_t twin_header[PICTURE_HEADER_SIZE];
    header_bytes(*twin, twin_header);

    uint8_t header[PICTURE_HEADER_SIZE];
    header_bytes(*p, header);
    fuzz_require(std::memcmp(header, expected_header, PICTURE_HEADER_SIZE) == 0,
                 "the header fields are the file's (or the previous ones where it is short)");
    fuzz_require(std::memcmp(twin_header, header, PICTURE_HEADER_SIZE) == 0,
                 "memory decodes to the same fields");
    fuzz_require(
        std::memcmp(twin->pixels, p->pixels, size_t(p->capacity_width) * p->capacity_height) == 0,
        "memory decodes to the same pixels");

    const int64_t count = int64_t(p->width) * p->height;
    const int64_t capacity = int64_t(p->capacity_width) * p->capacity_height;
    const bool raw = p->flag != 1;
    const bool fits = p->width >= 0 && p->height >= 0 && count <= capacity &&
                      (!raw || int64_t(p->data_size) <= capacity);
    if (!ok) {
        fuzz_require(fuzz_message_count() == messages + 1, "a failed load shows one message");
        fuzz_require(!fits && fuzz_last_message_is("906656556"),
                     "only a picture too big for its buffer is refused");
        return;
    }
    fuzz_require(fuzz_message_count() == messages, "a load that succeeds shows nothing");
    fuzz_require(fits, "a loaded picture fits its buffer");
    if (raw) {
        const size_t available = size > PICTURE_HEADER_SIZE ? size - PICTURE_HEADER_SIZE : 0;
        const int64_t got =
            int64_t(p->data_size) < int64_t(available) ? int64_t(p->data_size) : int64_t(available);
        fuzz_require(std::memcmp(p->pixels, data + PICTURE_HEADER_SIZE, size_t(got)) == 0,
                     "raw pixels are the file's bytes");
        fuzz_require(all_zero(p->pixels, got, capacity), "the rest of the buffer is 0");
    } else {
        fuzz_require(run_length_matches(data, size, p->pixels, count),
                     "run-length pixels decode as the format says");
        fuzz_require(all_zero(p->pixels, count, capacity), "the rest of the buffer is 0");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Picture pictures[PICTURES], twins[PICTURES];
    static bool ready = false;
    if (!ready) {
        for (size_t i = 0; i < PICTURES; ++i) {
            init_picture(&pictures[i], CAPACITIES[i].width, CAPACITIES[i].height);
            init_picture(&twins[i], CAPACITIES[i].width, CAPACITIES[i].height);
        }
        ready = true;
    }
    headless_reset();
    const std::wstring path = fuzz_file("picture.nbf", data, size);
    // The buffers keep the pixels of the previous input, so every load also shows that
    // stale pixels never survive it.
    for (size_t i = 0; i < PICTURES; ++i) {
        set_header(&pictures[i], PREVIOUS_HEADER);
        set_header(&twins[i], PREVIOUS_HEADER);
        load_and_check(&pictures[i], &twins[i], path, data, size);
    }
    return 0;
}
