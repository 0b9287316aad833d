// book.cpp -- the deck's guidebook: one self-contained HTML file, a page per card in print

#include "cards_tool.h"
#include "cards/name_match.h"

#include <cstring>
#include <png.h>

namespace {

// [SECTION] Pictures

// Each card pixel is drawn as a square of this many pixels, so that the faces stay crisp in
// every browser and on paper, whatever the browser does when it scales a picture.
const int32_t FACE_SCALE = 4;

// The frame as an indexed PNG of only the colours it uses, each pixel FACE_SCALE times.
std::vector<uint8_t> face_png(const CardDeck& deck, int32_t frame) {
    int32_t slot[256];
    for (int32_t& s : slot) s = -1;
    std::vector<uint8_t> colour_map;
    const int32_t width = CARD_WIDTH * FACE_SCALE, height = CARD_HEIGHT * FACE_SCALE;
    std::vector<uint8_t> pixels(size_t(width) * height);
    for (int32_t y = 0; y < height; y++)
        for (int32_t x = 0; x < width; x++) {
            const uint8_t index = deck.sheet[size_t(y / FACE_SCALE) * CARD_SHEET_WIDTH +
                                             size_t(frame) * CARD_WIDTH + size_t(x / FACE_SCALE)];
            if (slot[index] < 0) {
                slot[index] = int32_t(colour_map.size() / 3);
                colour_map.insert(colour_map.end(), deck.colours[index], deck.colours[index] + 3);
            }
            pixels[size_t(y) * width + x] = uint8_t(slot[index]);
        }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = png_uint_32(colour_map.size() / 3);
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, colour_map.data()))
        return {};
    std::vector<uint8_t> png(size);
    if (!png_image_write_to_memory(&image, png.data(), &size, 0, pixels.data(), 0,
                                   colour_map.data()))
        return {};
    png.resize(size);
    return png;
}

std::string base64(const std::vector<uint8_t>& bytes) {
    static const char DIGITS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t n = uint32_t(bytes[i]) << 16 |
                           (i + 1 < bytes.size() ? uint32_t(bytes[i + 1]) << 8 : 0) |
                           (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        out += DIGITS[n >> 18 & 63];
        out += DIGITS[n >> 12 & 63];
        out += i + 1 < bytes.size() ? DIGITS[n >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? DIGITS[n & 63] : '=';
    }
    return out;
}

// [SECTION] Text

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string two_digits(int32_t n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

std::string face_image(const CardDeck& deck, int32_t frame, const std::string& alt,
                       const char* kind) {
    return std::string("<img class=\"") + kind + "\" src=\"data:image/png;base64," +
           base64(face_png(deck, frame)) + "\" width=\"" + std::to_string(CARD_WIDTH * FACE_SCALE) +
           "\" height=\"" + std::to_string(CARD_HEIGHT * FACE_SCALE) + "\" alt=\"" + escaped(alt) +
           "\">";
}

// Screen: a column of cards with crisp faces at four times their pixels. Print: the cover,
// the contents and each card on a page of its own, on A4 and Letter alike.
const char STYLE[] = R"(
html { color: #222; background: #fff; }
body { font: 12pt/1.5 Georgia, "DejaVu Serif", serif; max-width: 46rem; margin: 0 auto;
       padding: 1rem; }
img { image-rendering: pixelated; image-rendering: crisp-edges; }
h1, h2, h3 { font-family: "DejaVu Sans", Helvetica, Arial, sans-serif; line-height: 1.2; }
.cover { text-align: center; padding: 2rem 0; }
.cover h1 { font-size: 2rem; margin: 1.5rem 0 0.5rem; }
.contents h2 { margin-top: 3rem; }
.contents h3 { font-size: 1rem; margin: 1rem 0 0.25rem; break-after: avoid; }
.contents ol { list-style: none; padding: 0; margin: 0; columns: 3 11rem; column-gap: 1.5rem; }
.contents li { font-size: 10pt; line-height: 1.45; }
.contents a { color: inherit; text-decoration: none; }
.number { font-variant-numeric: tabular-nums; color: #666; }
.card { display: flex; flex-wrap: wrap; gap: 1.5rem; align-items: flex-start;
        border-top: 1px solid #ccc; margin-top: 2rem; padding-top: 2rem; }
.card .meanings { flex: 1 1 20rem; }
.card h2 { margin: 0 0 0.75rem; font-size: 1.6rem; }
.card h3 { margin: 1rem 0 0.25rem; font-size: 1rem; text-transform: none; }
.card p { margin: 0; }
@media print {
  @page { margin: 14mm 16mm; }
  body { max-width: none; padding: 0; font-size: 11pt; }
  .cover { padding-top: 30mm; }
  .cover img { width: 60mm; height: 100mm; }
  .contents { break-before: page; }
  .contents h2 { margin-top: 0; }
  .contents li { font-size: 9pt; line-height: 1.35; }
  .card { break-before: page; border: 0; margin: 0; padding: 0; gap: 8mm; }
  .card img { width: 75mm; height: 125mm; }
  a { color: inherit; text-decoration: none; }
}
)";

} // namespace

// [SECTION] The book

std::string book_html(const CardDeck& deck, const std::string& deck_name, int32_t language) {
    const std::string title = library_words(language, word_book_title, {{"deck", deck_name}});
    std::string html;
    html += std::string("<!DOCTYPE html>\n<html lang=\"") + language_code(language) +
            "\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            "<title>" +
            escaped(title) + "</title>\n<style>" + STYLE +
            "</style>\n</head>\n"
            "<body>\n";
    html += "<header class=\"cover\">\n" +
            face_image(deck, CARD_BACK, library_words(language, word_book_back), "back") +
            "\n<h1>" + escaped(title) + "</h1>\n<p>" +
            escaped(library_words(language, word_book_subtitle)) + "</p>\n</header>\n";

    html += "<nav class=\"contents\">\n<h2>" +
            escaped(library_words(language, word_book_contents)) + "</h2>\n";
    for (int32_t group = 0; group < CARD_GROUPS; group++) {
        html += "<h3>" + escaped(group_name(group, language)) + "</h3>\n<ol>\n";
        for (int32_t card = 0; card < CARD_COUNT; card++)
            if (card_group(card) == group)
                html += "<li><a href=\"#" + card_slug(card, language) +
                        "\"><span class=\"number\">" + two_digits(card) + "</span> " +
                        escaped(language_card_name(language, card)) + "</a></li>\n";
        html += "</ol>\n";
    }
    html += "</nav>\n<main>\n";

    for (int32_t card = 0; card < CARD_COUNT; card++) {
        const std::string name = language_card_name(language, card);
        html += "<section class=\"card\" id=\"" + card_slug(card, language) + "\">\n" +
                face_image(deck, card, name, "face") + "\n<div class=\"meanings\">\n<h2>" +
                "<span class=\"number\">" + two_digits(card) + "</span> " + escaped(name) +
                "</h2>\n";
        for (int32_t orientation = 0; orientation < 2; orientation++)
            html += "<h3>" +
                    escaped(library_words(language,
                                          orientation ? word_cards_reversed : word_cards_upright)) +
                    "</h3>\n<p>" + escaped(deck.texts[size_t(2 * card + orientation)]) + "</p>\n";
        html += "</div>\n</section>\n";
    }
    html += "</main>\n</body>\n</html>\n";
    return html;
}
