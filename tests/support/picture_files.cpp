// picture_files.cpp -- JPEG and WebP encoding for the deck tool's tests and benchmark

#include "picture_files.h"
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <webp/encode.h>

std::vector<uint8_t> encode_jpeg(const Image& image, int quality) {
    std::vector<uint8_t> rgb;
    for (size_t i = 0; i < image.pixels.size(); i += 4)
        rgb.insert(rgb.end(), &image.pixels[i], &image.pixels[i] + 3);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(image.width);
    info.image_height = JDIMENSION(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = &rgb[size_t(info.next_scanline) * size_t(image.width) * 3];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

std::vector<uint8_t> encode_webp(const Image& image) {
    uint8_t* buffer = nullptr;
    const size_t size = WebPEncodeRGBA(image.pixels.data(), image.width, image.height,
                                       image.width * 4, 85.0f, &buffer);
    std::vector<uint8_t> out(buffer, buffer + size);
    WebPFree(buffer);
    return out;
}
