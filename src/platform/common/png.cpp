// png.cpp -- a small PNG writer for frame captures and saved pictures (zlib's deflate)

#include "platform/common/common.h"
#include <zlib.h>
#include <cstdio>
#include <vector>

namespace {
void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put32(out, uint32_t(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    put32(out, uint32_t(crc32(0, body.data(), uInt(body.size()))));
}
} // namespace

int write_png_rgb(const std::string& path, const uint8_t* rgb, uint32_t width, uint32_t height) {
    std::vector<uint8_t> raw;
    raw.reserve(size_t(height) * (width * 3 + 1));
    for (uint32_t y = 0; y < height; y++) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb + size_t(y) * width * 3, rgb + size_t(y + 1) * width * 3);
    }
    uLongf packed_size = compressBound(uLong(raw.size()));
    std::vector<uint8_t> z(packed_size);
    if (compress2(z.data(), &packed_size, raw.data(), uLong(raw.size()), 6) != Z_OK) return 0;
    z.resize(packed_size);
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    std::vector<uint8_t> ihdr;
    put32(ihdr, width), put32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", {});
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}
