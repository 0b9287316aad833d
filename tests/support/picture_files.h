// picture_files.h -- pictures in the formats users bring (JPEG, WebP), encoded in memory for
// the deck tool's tests and its benchmark; PNG is the tool's own encode_png

#pragma once
#include "deck.h"
#include <cstdint>
#include <vector>

// A baseline JPEG of an RGBA picture's colours at this quality (1 to 100).
std::vector<uint8_t> encode_jpeg(const Image& image, int quality);
// A lossy WebP of an RGBA picture at quality 85.
std::vector<uint8_t> encode_webp(const Image& image);
