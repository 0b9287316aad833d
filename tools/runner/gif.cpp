// gif.cpp -- the GIF89a writer of the headless runner: LZW, frame rectangles, the file

#include "gif.h"
#include <cstdio>
#include <map>

// [SECTION] LZW

namespace {
const int CLEAR_CODE = 256;
const int END_CODE = 257;
const int FIRST_CODE = 258;
const int CODE_LIMIT = 4096; // 12-bit codes
const int MAX_BITS = 12;

struct BitWriter {
    std::vector<uint8_t>* out;
    uint32_t pending = 0;
    int bits = 0;
};

void put_code(BitWriter* w, int code, int size) {
    w->pending |= uint32_t(code) << w->bits;
    w->bits += size;
    while (w->bits >= 8) {
        w->out->push_back(uint8_t(w->pending));
        w->pending >>= 8;
        w->bits -= 8;
    }
}

void flush_bits(BitWriter* w) {
    if (w->bits > 0) w->out->push_back(uint8_t(w->pending));
    w->pending = 0;
    w->bits = 0;
}

// The string table: (prefix code, next index) -> code, open addressing. At most 3,838
// entries live at once, so a table of 8,192 slots stays under half full.
const uint32_t TABLE_SLOTS = 8192;

struct StringTable {
    std::vector<int32_t> keys;   // prefix << 8 | index, or -1 when free
    std::vector<uint16_t> codes; // the code of each key
};

void clear_table(StringTable* t) {
    t->keys.assign(TABLE_SLOTS, -1);
    t->codes.assign(TABLE_SLOTS, 0);
}

uint32_t slot_of(int32_t key) {
    return (uint32_t(key) * 2654435761u) >> 19; // 13 bits
}

int find_code(const StringTable& t, int32_t key) {
    for (uint32_t s = slot_of(key);; s = (s + 1) & (TABLE_SLOTS - 1)) {
        if (t.keys[s] == key) return t.codes[s];
        if (t.keys[s] < 0) return -1;
    }
}

void add_code(StringTable* t, int32_t key, int code) {
    uint32_t s = slot_of(key);
    while (t->keys[s] >= 0) s = (s + 1) & (TABLE_SLOTS - 1);
    t->keys[s] = key;
    t->codes[s] = uint16_t(code);
}
} // namespace

// The decoder adds a table entry after every code but the first after a clear, one code
// behind the encoder, and widens its codes when its next entry reaches 1 << size. The
// encoder widens after its own entry passes 1 << size, which keeps both in step.
std::vector<uint8_t> gif_lzw_encode(const uint8_t* pixels, size_t count) {
    std::vector<uint8_t> out;
    out.reserve(count / 2 + 16);
    BitWriter w{&out};
    StringTable table;
    clear_table(&table);
    int size = 9, next = FIRST_CODE;
    put_code(&w, CLEAR_CODE, size);
    if (count > 0) {
        int prefix = pixels[0];
        for (size_t i = 1; i < count; i++) {
            int32_t key = int32_t(prefix) << 8 | pixels[i];
            int code = find_code(table, key);
            if (code >= 0) {
                prefix = code;
                continue;
            }
            put_code(&w, prefix, size);
            if (next < CODE_LIMIT) {
                add_code(&table, key, next++);
                if (next > (1 << size) && size < MAX_BITS) size++;
            } else {
                put_code(&w, CLEAR_CODE, size);
                clear_table(&table);
                size = 9;
                next = FIRST_CODE;
            }
            prefix = pixels[i];
        }
        put_code(&w, prefix, size);
        // The decoder makes an entry for this last code too, and may widen before the end.
        if (next < CODE_LIMIT && ++next > (1 << size) && size < MAX_BITS) size++;
    }
    put_code(&w, END_CODE, size);
    flush_bits(&w);
    return out;
}

// [SECTION] Recording

void gif_start(GifRecording* gif, uint16_t width, uint16_t height) {
    *gif = GifRecording();
    gif->width = width ? width : 1;
    gif->height = height ? height : 1;
}

int gif_add_frame(GifRecording* gif, const uint8_t* pixels, const uint8_t* rgb, uint32_t time_ms) {
    const int w = gif->width, h = gif->height;
    GifPalette palette;
    std::copy(rgb, rgb + 768, palette.begin());

    // The rectangle that changed; the whole picture for the first frame or a new palette.
    int left = 0, top = 0, right = w - 1, bottom = h - 1;
    if (!gif->frames.empty() && palette == gif->shown_palette) {
        left = w, top = h, right = -1, bottom = -1;
        for (int y = 0; y < h; y++) {
            const uint8_t* row = pixels + size_t(y) * w;
            const uint8_t* old = gif->shown.data() + size_t(y) * w;
            for (int x = 0; x < w; x++) {
                if (row[x] == old[x]) continue;
                if (x < left) left = x;
                if (x > right) right = x;
                if (y < top) top = y;
                bottom = y;
            }
        }
        if (right < 0) return 0; // the same picture again
    }

    GifFrame frame;
    frame.time_ms = time_ms;
    frame.left = uint16_t(left), frame.top = uint16_t(top);
    frame.width = uint16_t(right - left + 1), frame.height = uint16_t(bottom - top + 1);
    frame.palette = palette;
    std::vector<uint8_t> part;
    part.reserve(size_t(frame.width) * frame.height);
    for (int y = top; y <= bottom; y++)
        part.insert(part.end(), pixels + size_t(y) * w + left, pixels + size_t(y) * w + right + 1);
    frame.codes = gif_lzw_encode(part.data(), part.size());
    gif->frames.push_back(std::move(frame));
    gif->shown.assign(pixels, pixels + size_t(w) * h);
    gif->shown_palette = palette;
    return 1;
}

// [SECTION] File

namespace {
void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put_sub_blocks(std::vector<uint8_t>& out, const std::vector<uint8_t>& data) {
    for (size_t at = 0; at < data.size(); at += 255) {
        size_t n = data.size() - at < 255 ? data.size() - at : 255;
        out.push_back(uint8_t(n));
        out.insert(out.end(), data.begin() + long(at), data.begin() + long(at + n));
    }
    out.push_back(0);
}

// Centiseconds from the first frame to t, rounded.
int64_t centiseconds(uint32_t start_ms, uint32_t t) {
    int64_t ms = int64_t(t) - int64_t(start_ms);
    return ms < 0 ? 0 : (ms + 5) / 10;
}
} // namespace

std::vector<uint8_t> gif_file(const GifRecording& gif, uint32_t end_ms) {
    if (gif.frames.empty()) {
        GifRecording black;
        gif_start(&black, gif.width, gif.height);
        std::vector<uint8_t> pixels(size_t(black.width) * black.height, 0);
        GifPalette none = {};
        gif_add_frame(&black, pixels.data(), none.data(), end_ms);
        return gif_file(black, end_ms);
    }

    // The global colour table: the palette most frames use (the earliest on a tie).
    std::map<GifPalette, size_t> uses;
    const GifPalette* global = &gif.frames[0].palette;
    for (const GifFrame& f : gif.frames) {
        size_t n = ++uses[f.palette];
        if (n > uses[*global]) global = &f.palette;
    }

    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    put16(out, gif.width);
    put16(out, gif.height);
    out.push_back(0xF7); // global table of 256 entries, 8 bits a primary
    out.push_back(0);    // background: index 0
    out.push_back(0);    // square pixels
    out.insert(out.end(), global->begin(), global->end());
    // Loop forever.
    const uint8_t loop[] = {0x21, 0xFF, 11,  'N', 'E', 'T', 'S', 'C', 'A', 'P',
                            'E',  '2',  '.', '0', 3,   1,   0,   0,   0};
    out.insert(out.end(), loop, loop + sizeof loop);

    const uint32_t start = gif.frames[0].time_ms;
    int64_t shown_cs = 0; // length of the frames written so far
    for (size_t i = 0; i < gif.frames.size(); i++) {
        const GifFrame& f = gif.frames[i];
        uint32_t until = i + 1 < gif.frames.size() ? gif.frames[i + 1].time_ms : end_ms;
        int64_t delay = centiseconds(start, until) - shown_cs;
        if (delay < 2) delay = 2;
        if (delay > 65535) delay = 65535;
        shown_cs += delay;

        const uint8_t control[] = {0x21, 0xF9, 4, 0x04, uint8_t(delay), uint8_t(delay >> 8), 0, 0};
        out.insert(out.end(), control, control + sizeof control); // leave in place, opaque
        out.push_back(0x2C);
        put16(out, f.left);
        put16(out, f.top);
        put16(out, f.width);
        put16(out, f.height);
        bool local = f.palette != *global;
        out.push_back(local ? 0x87 : 0x00);
        if (local) out.insert(out.end(), f.palette.begin(), f.palette.end());
        out.push_back(8); // minimum code size
        put_sub_blocks(out, f.codes);
    }
    out.push_back(0x3B);
    return out;
}

int gif_write(const std::string& path, const GifRecording& gif, uint32_t end_ms) {
    std::vector<uint8_t> bytes = gif_file(gif, end_ms);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
