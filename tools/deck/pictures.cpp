// pictures.cpp -- reading PNG, JPEG and WebP files and writing PNG, through libpng,
// libjpeg-turbo and libwebp

#include "deck.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <png.h>
#include <webp/decode.h>

namespace {

// Pictures beyond this are refused before they are decoded: a scan of a card at 1200 dpi is
// well below it, and a damaged header cannot ask for gigabytes.
const uint64_t MAX_PIXELS = 50u * 1000 * 1000;

int too_large(int width, int height, std::string* error) {
    if (uint64_t(width) * uint64_t(height) <= MAX_PIXELS) return 0;
    *error = "is too large (" + std::to_string(width) + " x " + std::to_string(height) +
             "; at most 50 megapixels)";
    return 1;
}

// [SECTION] PNG

int read_png(const std::string& bytes, Image* image, std::string* error) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
        *error = std::string("is not a readable PNG: ") + png.message;
        return 0;
    }
    if (png.width == 0 || png.height == 0 || too_large(int(png.width), int(png.height), error)) {
        if (error->empty()) *error = "has no pixels";
        png_image_free(&png);
        return 0;
    }
    // Opaque pictures are read as RGB: a quarter less to hold and to scale.
    const bool alpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    image->channels = alpha ? 4 : 3;
    image->width = int(png.width);
    image->height = int(png.height);
    image->pixels.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image->pixels.data(), 0, nullptr)) {
        *error = std::string("is a damaged PNG: ") + png.message;
        png_image_free(&png);
        return 0;
    }
    return 1;
}

// [SECTION] JPEG

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void jpeg_fail(j_common_ptr info) {
    JpegErrors* errors = reinterpret_cast<JpegErrors*>(info->err);
    info->err->format_message(info, errors->message);
    std::longjmp(errors->escape, 1);
}

void jpeg_quiet(j_common_ptr, int) {} // warnings of a readable file are not the user's concern

// Only plain data lives across the setjmp: the image is sized before decoding starts and the
// error text is copied out after the jump.
int read_jpeg(const std::string& bytes, int min_width, int min_height, Image* image,
              std::string* error) {
    jpeg_decompress_struct info;
    JpegErrors errors;
    std::vector<uint8_t> row;
    errors.message[0] = 0;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpeg_fail;
    errors.manager.emit_message = jpeg_quiet;
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        *error = std::string("is a damaged JPEG: ") + errors.message;
        return 0;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 (unsigned long)bytes.size());
    jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0 ||
        too_large(int(info.image_width), int(info.image_height), error)) {
        if (error->empty()) *error = "has no pixels";
        jpeg_destroy_decompress(&info);
        return 0;
    }
    // The decoder's own reduction (1/2, 1/4, 1/8) is a proper filter and saves most of the
    // work for a large scan; keep at least twice the card's size for the final filter.
    info.scale_num = 1;
    info.scale_denom = 1;
    for (unsigned denom = 8; denom > 1; denom /= 2) {
        if (info.image_width / denom >= unsigned(2 * min_width) &&
            info.image_height / denom >= unsigned(2 * min_height)) {
            info.scale_denom = denom;
            break;
        }
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    image->width = int(info.output_width);
    image->height = int(info.output_height);
    image->channels = 3;
    image->pixels.resize(size_t(image->width) * size_t(image->height) * 3);
    if (cmyk) row.assign(size_t(info.output_width) * 4, 0);
    while (info.output_scanline < info.output_height) {
        const size_t y = info.output_scanline;
        uint8_t* out = &image->pixels[y * size_t(image->width) * 3];
        JSAMPROW rows[1] = {cmyk ? row.data() : out};
        jpeg_read_scanlines(&info, rows, 1);
        if (!cmyk) continue;                     // RGB rows go straight into the picture
        for (int x = 0; x < image->width; x++) { // Adobe's inverted CMYK, as editors write it
            const uint8_t* in = &row[size_t(x) * 4];
            for (int c = 0; c < 3; c++) out[3 * x + c] = uint8_t(in[c] * in[3] / 255);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return 1;
}

// [SECTION] WebP

int read_webp(const std::string& bytes, int min_width, int min_height, Image* image,
              std::string* error) {
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config) ||
        WebPGetFeatures(data, bytes.size(), &config.input) != VP8_STATUS_OK) {
        *error = "is not a readable WebP";
        return 0;
    }
    const WebPBitstreamFeatures& features = config.input;
    if (features.has_animation) {
        *error = "is an animated WebP; a card is one still picture";
        return 0;
    }
    if (features.width <= 0 || features.height <= 0 ||
        too_large(features.width, features.height, error)) {
        if (error->empty()) *error = "has no pixels";
        return 0;
    }
    // Like JPEG's scaling: the decoder's own area-averaging rescaler brings a large picture
    // down to about twice the card's size on the way, and the final filter does the rest.
    image->width = features.width;
    image->height = features.height;
    const double scale =
        std::max(2.0 * min_width / features.width, 2.0 * min_height / features.height);
    if (scale < 0.5) {
        image->width = std::max(1, int(std::lround(features.width * scale)));
        image->height = std::max(1, int(std::lround(features.height * scale)));
        config.options.use_scaling = 1;
        config.options.scaled_width = image->width;
        config.options.scaled_height = image->height;
    }
    image->channels = features.has_alpha ? 4 : 3;
    image->pixels.resize(size_t(image->width) * size_t(image->height) * size_t(image->channels));
    config.output.colorspace = features.has_alpha ? MODE_RGBA : MODE_RGB;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image->pixels.data();
    config.output.u.RGBA.stride = image->width * image->channels;
    config.output.u.RGBA.size = image->pixels.size();
    const VP8StatusCode status = WebPDecode(data, bytes.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) {
        *error = "is a damaged WebP";
        return 0;
    }
    return 1;
}

} // namespace

// [SECTION] Reading any of the three

int read_image(const std::string& path, int min_width, int min_height, Image* image,
               std::string* error) {
    error->clear();
    *image = Image();
    std::string bytes;
    if (!read_whole_file(path, &bytes, error)) return 0;
    if (bytes.empty()) {
        *error = "is empty (0 bytes)";
        return 0;
    }
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    if (n >= 8 && std::memcmp(b, "\x89PNG\r\n\x1a\n", 8) == 0) return read_png(bytes, image, error);
    if (n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF)
        return read_jpeg(bytes, min_width, min_height, image, error);
    if (n >= 12 && std::memcmp(b, "RIFF", 4) == 0 && std::memcmp(b + 8, "WEBP", 4) == 0)
        return read_webp(bytes, min_width, min_height, image, error);
    *error = "is not a PNG, JPEG or WebP picture";
    return 0;
}

// [SECTION] Writing PNG

std::vector<uint8_t> encode_png(const Image& image) {
    if (image.width <= 0 || image.height <= 0 || (image.channels != 3 && image.channels != 4))
        return {};
    bool opaque = true;
    if (image.channels == 4)
        for (size_t i = 3; i < image.pixels.size() && opaque; i += 4)
            opaque = image.pixels[i] == 255;
    std::vector<uint8_t> rgb;
    const void* pixels = image.pixels.data();
    if (opaque && image.channels == 4) {
        rgb.reserve(image.pixels.size() / 4 * 3);
        for (size_t i = 0; i < image.pixels.size(); i += 4)
            rgb.insert(rgb.end(), &image.pixels[i], &image.pixels[i] + 3);
        pixels = rgb.data();
    }
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.width);
    png.height = png_uint_32(image.height);
    png.format = opaque ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, pixels, 0, nullptr)) return {};
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, pixels, 0, nullptr)) return {};
    out.resize(size);
    return out;
}
