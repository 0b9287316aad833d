// contact_sheet.cpp -- PNG sheets for people to look at: every picture of the install folder
// decoded through the palette file, the 79 cards with their names, and composed screens

#include "gen.h"
#include "core/layout.h"
#include "reading/reading.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

// [SECTION] Reading picture files back

struct Nbf {
    int width = 0, height = 0, frame_width = 0, frame_height = 0, flag = 0;
    std::vector<uint8_t> pixels;
};

int read_all(const std::string& path, std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return 0;
    bytes.clear();
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return 1;
}

int32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                (static_cast<uint32_t>(b[at + 3]) << 24));
}

// Decodes a picture file as the program does; 0 when it is malformed.
int read_nbf(const std::string& path, Nbf& out) {
    std::vector<uint8_t> b;
    if (!read_all(path, b) || b.size() < 28) return 0;
    out.width = le32(b, 4);
    out.height = le32(b, 8);
    out.frame_width = le32(b, 12);
    out.frame_height = le32(b, 16);
    out.flag = b[24];
    if (out.width <= 0 || out.height <= 0 || out.width > 10000 || out.height > 10000) return 0;
    size_t count = static_cast<size_t>(out.width) * out.height;
    out.pixels.assign(count, 0);
    size_t at = 28, n = 0;
    if (out.flag == 1) {
        while (n < count && at < b.size()) {
            uint8_t code = b[at++];
            if (code < 0xC0) {
                out.pixels[n++] = code;
                continue;
            }
            if (at >= b.size()) break;
            uint8_t value = b[at++];
            for (int k = 0; k < code - 0xC0 && n < count; ++k) out.pixels[n++] = value;
        }
    } else {
        size_t raw = std::min(count, b.size() - 28);
        std::copy(b.begin() + 28, b.begin() + 28 + static_cast<long>(raw), out.pixels.begin());
        n = raw;
    }
    return n == count ? 1 : 0;
}

int read_palette(const std::string& path, std::vector<Rgb>& palette) {
    std::vector<uint8_t> b;
    if (!read_all(path, b) || b.size() < 768) return 0;
    palette.resize(256);
    for (int i = 0; i < 256; ++i) palette[i] = {b[i * 3], b[i * 3 + 1], b[i * 3 + 2]};
    return 1;
}

// A picture in full colour; transparent pixels (flag 1, index 255) get alpha 0.
Canvas to_canvas(const Nbf& p, const std::vector<Rgb>& palette) {
    Canvas c = make_canvas(p.width, p.height, {0, 0, 0}, 0);
    for (size_t i = 0; i < p.pixels.size(); ++i) {
        uint8_t v = p.pixels[i];
        if (p.flag == 1 && v == 255) continue;
        c.rgba[i * 4] = palette[v].r;
        c.rgba[i * 4 + 1] = palette[v].g;
        c.rgba[i * 4 + 2] = palette[v].b;
        c.rgba[i * 4 + 3] = 255;
    }
    return c;
}

Canvas scaled(const Canvas& c, int factor) {
    Canvas out = make_canvas(c.width * factor, c.height * factor, {0, 0, 0}, 0);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int k = 0; k < 4; ++k)
                out.rgba[(static_cast<size_t>(y) * out.width + x) * 4 + k] =
                    c.rgba[(static_cast<size_t>(y / factor) * c.width + x / factor) * 4 + k];
    return out;
}

// A grey checkerboard shows where a picture is transparent.
void checker(Canvas& sheet, int x, int y, int w, int h) {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            bool dark = ((i / 4) + (j / 4)) % 2 == 0;
            fill_rect(sheet, x + i, y + j, x + i + 1, y + j + 1,
                      dark ? Rgb{90, 90, 96} : Rgb{130, 130, 136});
        }
}

// [SECTION] Composed screens
// The program's own drawing rules on a 240 x 320 index buffer: pictures with flag 1 skip
// index 255, "turned" draws a rectangle rotated by half a turn.

struct Screen {
    std::vector<uint8_t> px = std::vector<uint8_t>(240 * 320, 0);
};

void draw_region(Screen& s, const Nbf& p, int x, int y, int sx, int sy, int w, int h,
                 bool turned = false) {
    for (int r = 0; r < h; ++r)
        for (int col = 0; col < w; ++col) {
            int dx = turned ? x + w - 1 - col : x + col;
            int dy = turned ? y + h - 1 - r : y + r;
            if (dx < 0 || dy < 0 || dx >= 240 || dy >= 320) continue;
            if (sx + col >= p.width || sy + r >= p.height) continue;
            uint8_t v = p.pixels[static_cast<size_t>(sy + r) * p.width + sx + col];
            if (p.flag == 1 && v == 255) continue;
            s.px[static_cast<size_t>(dy) * 240 + dx] = v;
        }
}

void draw_whole(Screen& s, const Nbf& p, int x, int y) {
    draw_region(s, p, x, y, 0, 0, p.width, p.height);
}

void clear(Screen& s, int left, int top, int right, int rows) {
    for (int y = top; y < top + rows && y < 320; ++y)
        for (int x = left; x < right && x < 240; ++x) s.px[static_cast<size_t>(y) * 240 + x] = 0;
}

struct Folder {
    std::string dir;
    int ok = 1;
    Nbf get(const char* name) {
        Nbf p;
        if (!read_nbf(dir + "/" + name, p)) {
            std::fprintf(stderr, "quarnel-gen: contact sheet: cannot read %s\n", name);
            ok = 0;
        }
        return p;
    }
};

// A place's picture at its place, and its pressed look at the pressed look's place.
void draw_place(Folder& f, Screen& s, LayoutId place) {
    const LayoutEntry& e = screen_layout[place];
    draw_whole(s, f.get(picture_file(e.picture).c_str()), e.x, e.y);
}

void draw_pressed(Folder& f, Screen& s, LayoutId place) {
    const LayoutEntry& e = screen_layout[place];
    draw_whole(s, f.get(picture_file(e.pressed).c_str()), e.pressed_x, e.pressed_y);
}

// The reading's title at its place.
void draw_title(Folder& f, Screen& s, int32_t kind) {
    const LayoutEntry& e = screen_layout[place_reading_title];
    draw_whole(s, f.get(picture_file(title_picture_name(kind)).c_str()), e.x, e.y);
}

// Text in the program's bitmap font: 6 x 10 cells, glyph of c at font column (c - 33) * 4.
void font_text(Screen& s, const Nbf& font, const char* text, int x, int y, int per_line) {
    int col = 0, line = 0;
    for (const char* t = text; *t != 0; ++t) {
        int c = static_cast<unsigned char>(*t);
        if (c >= 33 && c <= 127)
            draw_region(s, font, x + col * 6, y + line * 10, (c - 33) * 4, 0, 4, 12);
        if (++col == per_line) col = 0, ++line;
    }
}

// The reduced card the program makes: the centre pixel of each 3 x 3 block.
Nbf thumbnail(const Nbf& sheet, int card) {
    Nbf t;
    t.width = t.frame_width = sheet.frame_width / 3;
    t.height = t.frame_height = sheet.frame_height / 3;
    t.pixels.resize(static_cast<size_t>(t.width) * t.height);
    for (int i = 0; i < t.height; ++i)
        for (int j = 0; j < t.width; ++j)
            t.pixels[static_cast<size_t>(i) * t.width + j] =
                sheet.pixels[static_cast<size_t>(3 * i + 1) * sheet.width +
                             card * sheet.frame_width + 3 * j + 1];
    return t;
}

void shuffle_screen(Folder& f, Screen& s) {
    s = Screen();
    draw_place(f, s, place_shuffle_text);
    draw_place(f, s, place_frame);
    draw_place(f, s, place_shuffle_table);
    draw_title(f, s, kind_love);
    draw_place(f, s, place_shuffle_deck);
    draw_place(f, s, place_shuffle_back);
    draw_place(f, s, place_shuffle_next);
}

void card_table(Folder& f, Screen& s, int32_t kind) {
    clear(s, 5, 50, 235, 150);
    draw_place(f, s, place_frame);
    draw_place(f, s, place_scroll_bar);
    draw_place(f, s, place_card_table);
    draw_title(f, s, kind);
    draw_place(f, s, place_table_exit);
    draw_place(f, s, place_table_menu);
}

const char* kSampleText = "The Star brings hope   after the storm: calm,  renewal and a quiet    "
                          "faith that the way     ahead is lit. Trust    what heals.            "
                          "Let others see your    light and give freely. ";

void meaning(Folder& f, Screen& s, const Nbf& font) {
    clear(s, 80, 55, 222, 85);
    font_text(s, font, kSampleText, 83, 58, 23);
    draw_whole(s, f.get("scroll_ball.nbf"), 226, 67);
}

std::vector<std::pair<std::string, Screen>> compose_screens(Folder& f) {
    std::vector<std::pair<std::string, Screen>> out;
    Nbf font = f.get("font.nbf");
    Nbf cards = f.get("card.nbf");
    bool have_cards = cards.frame_width == 60 && cards.width >= 79 * 60;
    Screen s;
    draw_place(f, s, place_title);
    out.push_back({"title", s});
    draw_pressed(f, s, place_title_start);
    draw_pressed(f, s, place_title_exit);
    out.push_back({"title_pressed", s});
    draw_place(f, s, place_menu);
    out.push_back({"menu", s});
    for (int i = place_menu_desire; i <= place_menu_exit; i += 2) draw_pressed(f, s, LayoutId(i));
    out.push_back({"menu_pressed_alternate", s});
    draw_place(f, s, place_about);
    out.push_back({"about", s});
    draw_pressed(f, s, place_about_back);
    out.push_back({"about_back_pressed", s});
    draw_place(f, s, place_publisher_1);
    out.push_back({"publisher1", s});
    draw_pressed(f, s, place_publisher_1_back);
    draw_pressed(f, s, place_publisher_1_next);
    out.push_back({"publisher1_pressed", s});
    draw_place(f, s, place_publisher_2);
    out.push_back({"publisher2", s});
    draw_pressed(f, s, place_publisher_2_back);
    draw_pressed(f, s, place_publisher_2_menu);
    out.push_back({"publisher2_pressed", s});

    shuffle_screen(f, s);
    out.push_back({"shuffle", s});
    const LayoutEntry& anim = screen_layout[place_shuffle_animation];
    Nbf strip = f.get(picture_file(anim.picture).c_str());
    for (int i = 1; i <= 4; ++i) {
        Screen a = s;
        draw_region(a, strip, anim.x, anim.y, i * strip.frame_width, 0, strip.frame_width,
                    strip.frame_height);
        out.push_back({"shuffle_frame" + std::to_string(i), a});
    }
    Screen pop = s;
    clear(pop, 5, 50, 230, 90);
    draw_place(f, pop, place_shuffle_pop);
    draw_pressed(f, pop, place_shuffle_next);
    out.push_back({"shuffle_popup", pop});

    // A love reading: ten backs, card 17 revealed at position 0 with its question.
    card_table(f, s, kind_love);
    const ReadingInfo& love = *reading_info(kind_love);
    const ReadingInfo& past = *reading_info(kind_past);
    const LayoutEntry& big = screen_layout[place_enlarged_card];
    if (have_cards) {
        Nbf back = thumbnail(cards, 78);
        for (int i = 0; i < love.card_count; ++i)
            draw_whole(s, back, love.spread[i].x, love.spread[i].y);
        out.push_back({"love_dealt", s});
        draw_whole(s, thumbnail(cards, 17), love.spread[0].x, love.spread[0].y);
        draw_region(s, cards, big.x, big.y, 17 * 60, 0, 60, 100, true);
        draw_place(f, s, place_frame);
        draw_place(f, s, place_scroll_bar);
        draw_title(f, s, kind_love);
        draw_place(f, s, place_question_board);
        font_text(s, font, question_text(kind_love, 0), 11, 10, 37);
        meaning(f, s, font);
        out.push_back({"love_revealed", s});
        Screen down = s;
        draw_pressed(f, down, place_scroll_down);
        draw_pressed(f, down, place_table_menu);
        draw_pressed(f, down, place_table_exit);
        out.push_back({"love_pressed", down});

        // A past reading with its three full cards, the middle one revealed.
        shuffle_screen(f, s);
        card_table(f, s, kind_past);
        for (int i = 0; i < past.card_count; ++i)
            draw_region(s, cards, past.spread[i].x, past.spread[i].y, 78 * 60, 0, 60, 100);
        draw_region(s, cards, past.spread[1].x, past.spread[1].y, 40 * 60, 0, 60, 100);
        draw_region(s, cards, big.x, big.y, 40 * 60, 0, 60, 100);
        draw_place(f, s, place_frame);
        draw_place(f, s, place_scroll_bar);
        draw_title(f, s, kind_past);
        meaning(f, s, font);
        Screen up = s;
        out.push_back({"past_revealed", s});
        draw_pressed(f, up, place_scroll_up);
        out.push_back({"past_scroll_up", up});
    }
    s = Screen();
    draw_place(f, s, place_farewell_1);
    out.push_back({"exit_sequence", s});
    return out;
}

// [SECTION] Sheets

int sheet_of_pictures(const std::string& picture_dir, const std::string& sheet_dir,
                      const std::vector<Rgb>& palette) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(picture_dir, ec))
        if (entry.path().extension() == ".nbf") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    const int sheet_w = 1000, pad = 10, label_h = 14;
    struct Item {
        std::string name;
        Canvas image;
        int x, y;
    };
    std::vector<Item> items;
    int ok = 1, x = pad, y = pad, row_h = 0;
    for (const std::string& name : names) {
        Nbf p;
        if (!read_nbf(picture_dir + "/" + name, p)) {
            std::fprintf(stderr, "quarnel-gen: contact sheet: %s is malformed\n", name.c_str());
            ok = 0;
            continue;
        }
        Canvas image = to_canvas(p, palette);
        write_png(sheet_dir + "/" + name.substr(0, name.size() - 4) + ".png", image);
        // Wide strips are folded into rows of whole frames.
        if (image.width > sheet_w - 2 * pad && p.frame_width > 0 && p.frame_width < image.width) {
            int per_row = std::max(1, (sheet_w - 2 * pad) / p.frame_width);
            int frames = image.width / p.frame_width;
            int rows = (frames + per_row - 1) / per_row;
            Canvas folded =
                make_canvas(per_row * p.frame_width, rows * (image.height + 2), {0, 0, 0}, 0);
            for (int i = 0; i < frames; ++i)
                for (int yy = 0; yy < image.height; ++yy)
                    for (int xx = 0; xx < p.frame_width; ++xx)
                        for (int k = 0; k < 4; ++k)
                            folded.rgba[(static_cast<size_t>((i / per_row) * (image.height + 2) +
                                                             yy) *
                                             folded.width +
                                         (i % per_row) * p.frame_width + xx) *
                                            4 +
                                        k] = image.rgba[(static_cast<size_t>(yy) * image.width +
                                                         i * p.frame_width + xx) *
                                                            4 +
                                                        k];
            image = folded;
        }
        int w = std::max(image.width, static_cast<int>(string_width(name, 10, face_sans)) + 2);
        if (x + w > sheet_w - pad && x > pad) {
            x = pad;
            y += row_h + pad;
            row_h = 0;
        }
        items.push_back({name, image, x, y});
        x += w + pad;
        row_h = std::max(row_h, image.height + label_h);
    }
    Canvas sheet = make_canvas(sheet_w, y + row_h + pad, {40, 40, 44});
    for (const Item& it : items) {
        draw_string(sheet, it.name, it.x, it.y + 10, 10, {230, 230, 230}, face_sans, 0);
        checker(sheet, it.x, it.y + label_h, it.image.width, it.image.height);
        blit(sheet, it.image, it.x, it.y + label_h);
    }
    if (!write_png(sheet_dir + "/pictures.png", sheet)) ok = 0;
    return ok;
}

int sheet_of_cards(const std::string& picture_dir, const std::string& sheet_dir,
                   const std::vector<Rgb>& palette) {
    Nbf cards;
    if (!read_nbf(picture_dir + "/card.nbf", cards) || cards.frame_width <= 0 ||
        cards.width < 79 * cards.frame_width) {
        std::fprintf(stderr, "quarnel-gen: contact sheet: card.nbf is missing or short\n");
        return 0;
    }
    Canvas all = to_canvas(cards, palette);
    const int fw = cards.frame_width, fh = cards.frame_height, columns = 10;
    const int cell_w = fw * 2 + 12, cell_h = fh * 2 + 22;
    Canvas sheet = make_canvas(columns * cell_w + 8, 8 * cell_h + 8, {40, 40, 44});
    for (int card = 0; card < 79; ++card) {
        Canvas one = make_canvas(fw, fh, {0, 0, 0}, 0);
        for (int y = 0; y < fh; ++y)
            for (int x = 0; x < fw; ++x)
                for (int k = 0; k < 4; ++k)
                    one.rgba[(static_cast<size_t>(y) * fw + x) * 4 + k] =
                        all.rgba[(static_cast<size_t>(y) * all.width + card * fw + x) * 4 + k];
        int x = 8 + (card % columns) * cell_w, y = 8 + (card / columns) * cell_h;
        blit(sheet, scaled(one, 2), x, y);
        std::string name = face_name(card) != nullptr ? face_name(card) : "?";
        double size =
            std::min(10.0, 10.0 * (cell_w - 4) / std::max(1.0, string_width(name, 10, face_sans)));
        draw_string(sheet, name, x + fw, y + fh * 2 + 13, size, {230, 230, 230}, face_sans, 1);
    }
    return write_png(sheet_dir + "/cards.png", sheet);
}

int sheet_of_screens(const std::string& picture_dir, const std::string& sheet_dir,
                     const std::vector<Rgb>& palette) {
    Folder f;
    f.dir = picture_dir;
    std::vector<std::pair<std::string, Screen>> screens = compose_screens(f);
    const int columns = 6, cell_w = 250, cell_h = 340;
    int rows = static_cast<int>((screens.size() + columns - 1) / columns);
    Canvas sheet = make_canvas(columns * cell_w + 10, rows * cell_h + 10, {40, 40, 44});
    for (size_t i = 0; i < screens.size(); ++i) {
        Nbf p;
        p.width = 240;
        p.height = 320;
        p.pixels = screens[i].second.px;
        Canvas image = to_canvas(p, palette);
        write_png(sheet_dir + "/screen_" + screens[i].first + ".png", scaled(image, 2));
        int x = 10 + static_cast<int>(i % columns) * cell_w,
            y = 10 + static_cast<int>(i / columns) * cell_h;
        draw_string(sheet, screens[i].first, x, y + 10, 10, {230, 230, 230}, face_sans, 0);
        blit(sheet, image, x, y + 14);
    }
    return write_png(sheet_dir + "/screens.png", sheet) && f.ok;
}

} // namespace

int write_contact_sheets(const std::string& picture_dir, const std::string& sheet_dir) {
    std::vector<Rgb> palette;
    if (!read_palette(picture_dir + "/main.plf", palette)) {
        std::fprintf(stderr, "quarnel-gen: contact sheet: cannot read main.plf\n");
        return 0;
    }
    int ok = sheet_of_pictures(picture_dir, sheet_dir, palette);
    ok &= sheet_of_cards(picture_dir, sheet_dir, palette);
    ok &= sheet_of_screens(picture_dir, sheet_dir, palette);
    return ok;
}
