// files.cpp -- the generator's file writers: picture files, PNG images and plain bytes

#include "gen.h"

#include <cstdio>
#include <zlib.h>

// [SECTION] Bytes

int write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "quarnel-gen: cannot create %s\n", path.c_str());
        return 0;
    }
    size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
    int closed = std::fclose(f);
    if (written != bytes.size() || closed != 0) {
        std::fprintf(stderr, "quarnel-gen: cannot write %s\n", path.c_str());
        return 0;
    }
    return 1;
}

void put_u16le(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 2; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put_u32le(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

static void put_u32be(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// [SECTION] Picture files

// Run-length pixels: a byte below 0xC0 is one pixel; 0xC0 + n (1..63) then v is n pixels v.
static std::vector<uint8_t> run_length(const std::vector<uint8_t>& px) {
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < px.size()) {
        uint8_t v = px[i];
        size_t n = 1;
        while (i + n < px.size() && px[i + n] == v && n < 63) ++n;
        if (n <= 2 && v < 0xC0) {
            for (size_t k = 0; k < n; ++k) out.push_back(v);
        } else {
            out.push_back(static_cast<uint8_t>(0xC0 + n));
            out.push_back(v);
        }
        i += n;
    }
    return out;
}

int write_picture(const std::string& path, const std::vector<uint8_t>& indices, int width,
                  int height, int frame_width, int frame_height, bool rle) {
    if (width <= 0 || height <= 0 ||
        indices.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
        std::fprintf(stderr, "quarnel-gen: %s: %d x %d does not match %zu pixels\n", path.c_str(),
                     width, height, indices.size());
        return 0;
    }
    std::vector<uint8_t> pixels;
    if (rle) {
        pixels = run_length(indices);
    } else {
        pixels = indices;
        // Raw pictures are drawn opaque: the key colour must not appear in them.
        for (uint8_t& v : pixels)
            if (v == 255) v = 0;
    }
    std::vector<uint8_t> out;
    put_u32le(out, static_cast<uint32_t>(pixels.size()));
    put_u32le(out, static_cast<uint32_t>(width));
    put_u32le(out, static_cast<uint32_t>(height));
    put_u32le(out, static_cast<uint32_t>(frame_width));
    put_u32le(out, static_cast<uint32_t>(frame_height));
    put_u32le(out, 0);
    out.push_back(rle ? 1 : 0);
    out.push_back(0);
    out.push_back(0);
    out.push_back(0);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return write_bytes(path, out);
}

// [SECTION] PNG (stored deflate blocks; no compression library needed)

static uint32_t crc32_of(const uint8_t* data, size_t n, uint32_t crc = 0) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

static void put_chunk(std::vector<uint8_t>& out, const char* type,
                      const std::vector<uint8_t>& data) {
    put_u32be(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put_u32be(out, crc32_of(&out[start], out.size() - start));
}

int write_png(const std::string& path, const Canvas& c) {
    if (c.width <= 0 || c.height <= 0) return 0;
    std::vector<uint8_t> raw; // each row: filter byte 0, then RGBA
    raw.reserve(static_cast<size_t>(c.height) * (c.width * 4 + 1));
    for (int y = 0; y < c.height; ++y) {
        raw.push_back(0);
        const uint8_t* row = &c.rgba[static_cast<size_t>(y) * c.width * 4];
        raw.insert(raw.end(), row, row + static_cast<size_t>(c.width) * 4);
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> z(size);
    if (compress2(z.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return 0;
    z.resize(size);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    put_u32be(ihdr, static_cast<uint32_t>(c.width));
    put_u32be(ihdr, static_cast<uint32_t>(c.height));
    ihdr.push_back(8); // bit depth
    ihdr.push_back(6); // RGBA
    ihdr.push_back(0);
    ihdr.push_back(0);
    ihdr.push_back(0);
    put_chunk(out, "IHDR", ihdr);
    put_chunk(out, "IDAT", z);
    put_chunk(out, "IEND", {});
    return write_bytes(path, out);
}

std::string picture_file(const wchar_t* picture) {
    std::string name;
    for (const wchar_t* c = picture; c && *c; ++c)
        if (!(c == picture && *c == L'\\')) name += static_cast<char>(*c);
    return name;
}
