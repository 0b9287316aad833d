// icons.cpp -- the program's icons: a small tarot card with a crescent moon and a star, as
// 32-bit BMP files for the window, as PNG files of every size for the desktop's icon theme,
// and as PNG files, with the web app manifest, for the web page

#include "gen.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

// [SECTION] Drawing

const Rgb night = {22, 26, 70};
const Rgb night_deep = {10, 10, 34};
const Rgb gold = {232, 190, 84};
const Rgb gold_dark = {140, 96, 30};
const Rgb pale = {255, 240, 196};

// A five-pointed star centred on (cx, cy), outer radius r, one point straight up.
void fill_star(Canvas& c, double cx, double cy, double r, Rgb colour) {
    const double pi = 3.14159265358979323846;
    std::vector<double> xy;
    for (int i = 0; i < 10; ++i) {
        double radius = i % 2 == 0 ? r : r * 0.42;
        double angle = -pi / 2.0 + i * pi / 5.0;
        xy.push_back(cx + radius * std::cos(angle));
        xy.push_back(cy + radius * std::sin(angle));
    }
    fill_polygon(c, xy, colour);
}

// The colour of the card face's gradient at row y (face from y0 to y1).
Rgb face_at(double y, double y0, double y1) {
    double t = (y - y0) / (y1 - y0);
    t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
    return {static_cast<uint8_t>(std::lround(night.r + (night_deep.r - night.r) * t)),
            static_cast<uint8_t>(std::lround(night.g + (night_deep.g - night.g) * t)),
            static_cast<uint8_t>(std::lround(night.b + (night_deep.b - night.b) * t))};
}

// A crescent: a pale disc with a face-coloured disc over its upper right.
void fill_crescent(Canvas& c, double cx, double cy, double r, double face_y0, double face_y1) {
    fill_ellipse(c, cx, cy, r, r, pale);
    double bx = cx + 0.45 * r, by = cy - 0.3 * r, br = 0.82 * r;
    fill_ellipse(c, bx, by, br, br, face_at(by, face_y0, face_y1));
}

// The card of the 32 x 32 icon, drawn u pixels to its unit with its 32 x 32 box's corner at
// (x, y): a gold-edged night-blue card, a crescent moon and a star.
void draw_card(Canvas& c, double x, double y, double u) {
    fill_rounded_rect(c, x + 5 * u, y + 1 * u, x + 27 * u, y + 31 * u, 3 * u, gold_dark);
    fill_rounded_rect(c, x + 6 * u, y + 2 * u, x + 26 * u, y + 30 * u, 2 * u, gold);
    vertical_gradient(c, x + 8 * u, y + 4 * u, x + 24 * u, y + 28 * u, night, night_deep);
    fill_crescent(c, x + 14.5 * u, y + 17.5 * u, 7 * u, y + 4 * u, y + 28 * u);
    fill_star(c, x + 20.5 * u, y + 9.5 * u, 3.6 * u, gold);
    fill_ellipse(c, x + 11.5 * u, y + 7.5 * u, 0.7 * u, 0.7 * u, pale);
    fill_ellipse(c, x + 21.5 * u, y + 23.5 * u, 0.7 * u, 0.7 * u, pale);
}

// The card alone, size x size on a transparent ground (size 32: the window icon, whole
// pixels so that its edges stay crisp; larger for the icon theme and the web page).
Canvas draw_card_icon(int size) {
    Canvas c = make_canvas(size, size, Rgb{0, 0, 0}, 0);
    draw_card(c, 0, 0, size / 32.0);
    return c;
}

Canvas draw_icon32() {
    return draw_card_icon(32);
}

// 16 x 16: the same card; the star shrinks to a single pale pixel.
Canvas draw_icon16() {
    Canvas c = make_canvas(16, 16, Rgb{0, 0, 0}, 0);
    fill_rounded_rect(c, 2, 0, 14, 16, 1.5, gold);
    vertical_gradient(c, 3, 1, 13, 15, night, night_deep);
    fill_crescent(c, 7.5, 8.5, 4, 1, 15);
    fill_rect(c, 10, 3, 11, 4, pale);
    return c;
}

// [SECTION] BMP file

// Uncompressed 32-bit BMP: 14-byte file header, 40-byte BITMAPINFOHEADER, rows bottom-up,
// each pixel blue, green, red, alpha. Returns 1/0.
int write_bmp(const std::string& path, const Canvas& c) {
    uint32_t pixel_bytes = static_cast<uint32_t>(c.width * c.height * 4);
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put_u32le(out, 14 + 40 + pixel_bytes); // file size
    put_u32le(out, 0);                     // reserved
    put_u32le(out, 14 + 40);               // offset of the pixels
    put_u32le(out, 40);                    // info header size
    put_u32le(out, static_cast<uint32_t>(c.width));
    put_u32le(out, static_cast<uint32_t>(c.height)); // positive: bottom-up
    put_u16le(out, 1);                               // planes
    put_u16le(out, 32);                              // bits per pixel
    put_u32le(out, 0);                               // no compression
    put_u32le(out, pixel_bytes);
    put_u32le(out, 2835); // 72 dpi, in pixels per metre
    put_u32le(out, 2835);
    put_u32le(out, 0); // colours used
    put_u32le(out, 0); // important colours
    for (int y = c.height - 1; y >= 0; --y) {
        for (int x = 0; x < c.width; ++x) {
            const uint8_t* p = &c.rgba[(static_cast<size_t>(y) * c.width + x) * 4];
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
            out.push_back(p[3]);
        }
    }
    return write_bytes(path, out);
}

// [SECTION] Web page

// The card, u pixels to its unit, in the middle of a square of the title screen's night sky
// that reaches every edge (opaque, for launchers that cut or round the icon themselves).
Canvas draw_card_on_sky(int size, double u, Rgb sky_top, Rgb sky_bottom) {
    Canvas c = make_canvas(size, size, sky_top);
    vertical_gradient(c, 0, 0, size, size, sky_top, sky_bottom);
    draw_card(c, size / 2.0 - 16 * u, size / 2.0 - 16 * u, u);
    return c;
}

// The maskable icon: a launcher may cut it to any shape that keeps the centre circle of
// 80% of its width, so the whole card lies inside that circle (the card spans 22 x 30
// units; its corners reach 18.6 units from its centre).
Canvas draw_maskable_icon(int size, Rgb sky_top, Rgb sky_bottom) {
    return draw_card_on_sky(size, 0.4 * size / 18.7, sky_top, sky_bottom);
}

// The Home Screen icon of an iPhone or iPad (apple-touch-icon, 180 x 180): opaque, as iOS
// fills a transparent ground with black, and rounded by iOS, so the card, 84% of the
// height, keeps clear of the corners.
Canvas draw_touch_icon(int size, Rgb sky_top, Rgb sky_bottom) {
    return draw_card_on_sky(size, 0.84 * size / 30.0, sky_top, sky_bottom);
}

std::string hex_colour(Rgb colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.r, colour.g, colour.b);
    return text;
}

} // namespace

int write_web_files(const std::string& web_dir) {
    Rgb sky_top, sky_bottom;
    title_sky(&sky_top, &sky_bottom);
    std::string top = hex_colour(sky_top), bottom = hex_colour(sky_bottom);
    std::string manifest =
        "{\n"
        "  \"name\": \"Quarnel\",\n"
        "  \"short_name\": \"Quarnel\",\n"
        "  \"description\": \"Tarot readings: six spreads of the 78-card deck\",\n"
        "  \"start_url\": \"./\",\n"
        "  \"scope\": \"./\",\n"
        "  \"display\": \"standalone\",\n"
        "  \"orientation\": \"portrait\",\n"
        "  \"theme_color\": \"" +
        top +
        "\",\n"
        "  \"background_color\": \"" +
        top +
        "\",\n"
        "  \"icons\": [\n"
        "    {\"src\": \"icon-192.png\", \"sizes\": \"192x192\", \"type\": "
        "\"image/png\", \"purpose\": \"any\"},\n"
        "    {\"src\": \"icon-512.png\", \"sizes\": \"512x512\", \"type\": "
        "\"image/png\", \"purpose\": \"any\"},\n"
        "    {\"src\": \"icon-maskable-512.png\", \"sizes\": \"512x512\", "
        "\"type\": \"image/png\", \"purpose\": \"maskable\"}\n"
        "  ]\n"
        "}\n";
    // The page's background runs from the title screen's sky at the top to its foot.
    std::string colours = "sky_top " + top + "\nsky_bottom " + bottom + "\n";
    return write_png(web_dir + "/icon-192.png", draw_card_icon(192)) &&
           write_png(web_dir + "/icon-512.png", draw_card_icon(512)) &&
           write_png(web_dir + "/icon-maskable-512.png",
                     draw_maskable_icon(512, sky_top, sky_bottom)) &&
           write_png(web_dir + "/apple-touch-icon.png",
                     draw_touch_icon(180, sky_top, sky_bottom)) &&
           write_bytes(web_dir + "/manifest.webmanifest",
                       std::vector<uint8_t>(manifest.begin(), manifest.end())) &&
           write_bytes(web_dir + "/colours.txt",
                       std::vector<uint8_t>(colours.begin(), colours.end()));
}

int write_icons(const std::string& picture_dir) {
    return write_bmp(picture_dir + "/icon32.bmp", draw_icon32()) &&
           write_bmp(picture_dir + "/icon16.bmp", draw_icon16());
}

int write_theme_icons(const std::string& icons_dir, const std::string& name) {
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        std::string folder =
            icons_dir + "/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        Canvas icon = size == 16 ? draw_icon16() : draw_card_icon(size);
        if (!write_png(folder + "/" + name + ".png", icon)) return 0;
    }
    return 1;
}
