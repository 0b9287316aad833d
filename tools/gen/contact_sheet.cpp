// contact_sheet.cpp -- quarnel-sheets: PNG sheets of the install folder for people to look at.
// Every picture and the 79 cards, decoded by the program's own decoder, and the screens of a
// session of the real program, run on the headless back end with the keys a user presses.

#include "gen.h"
#include "graphics/graphics.h"
#include "platform/headless/headless.h"
#include "core/words.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// [SECTION] Pictures of the install folder

struct Folder {
    std::string pictures; // the install folder's picture folder
    uint8_t palette[256][3] = {};
};

int read_file_bytes(const std::string& path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return 0;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return 1;
}

// A picture decoded as the program decodes it, in full colour: index 255 of a run-length
// picture is transparent (alpha 0). Empty when the file is missing or refused.
struct Decoded {
    Canvas image;
    int frame_width = 0;
};

Decoded decode_file(const Folder& folder, const std::string& name) {
    Decoded out;
    std::string bytes;
    if (!read_file_bytes(folder.pictures + "/" + name, &bytes)) return out;
    // Room for the widest picture of the folder, the card sheet, at the height of the screen.
    Picture picture;
    init_picture(&picture, CARD_SHEET_SIZE.width, SCREEN_HEIGHT);
    if (decode_picture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &picture)) {
        out.image = make_canvas(picture.width, picture.height, {0, 0, 0}, 0);
        out.frame_width = picture.frame_width;
        const size_t count = size_t(picture.width) * size_t(picture.height);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t v = picture.pixels[i];
            if (picture.flag == 1 && v == TRANSPARENT_INDEX) continue;
            std::memcpy(&out.image.rgba[i * 4], folder.palette[v], 3);
            out.image.rgba[i * 4 + 3] = 255;
        }
    }
    release_picture(&picture);
    return out;
}

// The part of a canvas from column x, width w.
Canvas columns(const Canvas& c, int x, int w) {
    Canvas out = make_canvas(w, c.height, {0, 0, 0}, 0);
    for (int y = 0; y < c.height; ++y)
        std::memcpy(&out.rgba[size_t(y) * size_t(w) * 4],
                    &c.rgba[(size_t(y) * size_t(c.width) + size_t(x)) * 4], size_t(w) * 4);
    return out;
}

Canvas scaled(const Canvas& c, int factor) {
    Canvas out = make_canvas(c.width * factor, c.height * factor, {0, 0, 0}, 0);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            std::memcpy(&out.rgba[(size_t(y) * size_t(out.width) + size_t(x)) * 4],
                        &c.rgba[(size_t(y / factor) * size_t(c.width) + size_t(x / factor)) * 4],
                        4);
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

const Rgb SHEET = {40, 40, 44}, LABEL = {230, 230, 230};

int sheet_of_pictures(const Folder& folder, const std::string& out) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder.pictures, ec))
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
        Decoded p = decode_file(folder, name);
        if (p.image.width == 0) {
            std::fprintf(stderr, "quarnel-sheets: %s is refused by the program's decoder\n",
                         name.c_str());
            ok = 0;
            continue;
        }
        Canvas image = p.image;
        write_png(out + "/" + name.substr(0, name.size() - 4) + ".png", image);
        // Wide strips are folded into rows of whole frames.
        if (image.width > sheet_w - 2 * pad && p.frame_width > 0 && p.frame_width < image.width) {
            const int per_row = std::max(1, (sheet_w - 2 * pad) / p.frame_width);
            const int frames = image.width / p.frame_width;
            Canvas folded =
                make_canvas(per_row * p.frame_width,
                            (frames + per_row - 1) / per_row * (image.height + 2), {0, 0, 0}, 0);
            for (int i = 0; i < frames; ++i)
                blit(folded, columns(image, i * p.frame_width, p.frame_width),
                     (i % per_row) * p.frame_width, (i / per_row) * (image.height + 2));
            image = folded;
        }
        const int w = std::max(image.width, int(string_width(name, 10, face_sans)) + 2);
        if (x + w > sheet_w - pad && x > pad) {
            x = pad;
            y += row_h + pad;
            row_h = 0;
        }
        items.push_back({name, image, x, y});
        x += w + pad;
        row_h = std::max(row_h, image.height + label_h);
    }
    Canvas sheet = make_canvas(sheet_w, y + row_h + pad, SHEET);
    for (const Item& it : items) {
        draw_string(sheet, it.name, it.x, it.y + 10, 10, LABEL, face_sans, 0);
        checker(sheet, it.x, it.y + label_h, it.image.width, it.image.height);
        blit(sheet, it.image, it.x, it.y + label_h);
    }
    return write_png(out + "/pictures.png", sheet) && ok;
}

// The cards at twice their size, each with its name, in rows of ten.
int sheet_of_cards(const Folder& folder, const std::string& out) {
    const Decoded cards = decode_file(folder, "card.nbf");
    if (cards.image.width < CARD_SHEET_WIDTH || cards.image.height < CARD_HEIGHT) {
        std::fprintf(stderr, "quarnel-sheets: card.nbf is missing or short\n");
        return 0;
    }
    const int columns_per_row = 10, cell_w = CARD_WIDTH * 2 + 12, cell_h = CARD_HEIGHT * 2 + 22;
    const int rows = (CARD_FRAMES + columns_per_row - 1) / columns_per_row;
    Canvas sheet = make_canvas(columns_per_row * cell_w + 8, rows * cell_h + 8, SHEET);
    for (int card = 0; card < CARD_FRAMES; ++card) {
        const int x = 8 + (card % columns_per_row) * cell_w,
                  y = 8 + (card / columns_per_row) * cell_h;
        blit(sheet, scaled(columns(cards.image, card * CARD_WIDTH, CARD_WIDTH), 2), x, y);
        const std::string name = card == CARD_BACK ? "Card Back" : card_name(card);
        const double size =
            std::min(10.0, 10.0 * (cell_w - 4) / std::max(1.0, string_width(name, 10, face_sans)));
        draw_string(sheet, name, x + CARD_WIDTH, y + CARD_HEIGHT * 2 + 13, size, LABEL, face_sans,
                    1);
    }
    return write_png(out + "/cards.png", sheet);
}

// [SECTION] Screens of the real program

// One key a user presses (or a tap on a place), and the frames of what it shows that go on the
// sheet.
struct SheetStep {
    int32_t key;         // KEY_NONE: a tap in the middle of the place's tap area, if any
    LayoutId place;      // PLACE_COUNT: none (the screens before the first key)
    const char* pressed; // the first frame that changes: the pressed look of its button
    int animation;       // frames of the animation in between, evenly spaced
    const char* shown;   // the last frame: the screen it leads to
};

const SheetStep STEPS[] = {
    {KEY_NONE, PLACE_COUNT, nullptr, 0, "title"},
    {KEY_ENTER, PLACE_COUNT, "title_start_pressed", 0, "menu"},
    {KEY_0 + 4, PLACE_COUNT, "menu_love_pressed", 0, "shuffle"},
    {KEY_ENTER, PLACE_COUNT, nullptr, 0, "shuffle_first"},
    {KEY_SPACE, PLACE_COUNT, nullptr, 4, "shuffled"},
    {KEY_ENTER, PLACE_COUNT, "shuffle_next_pressed", 0, "love_dealt"},
    {KEY_0 + 1, PLACE_COUNT, nullptr, 0, "love_first_card"},
    {KEY_DOWN, PLACE_COUNT, "love_scroll_down_pressed", 0, "love_scrolled"},
    {KEY_ESCAPE, PLACE_COUNT, "table_menu_pressed", 0, nullptr},
    {KEY_0 + 7, PLACE_COUNT, "menu_about_pressed", 0, "about"},
    {KEY_ESCAPE, PLACE_COUNT, "about_back_pressed", 0, nullptr},
    {KEY_0 + 8, PLACE_COUNT, "menu_publisher_pressed", 0, "publisher1"},
    {KEY_ENTER, PLACE_COUNT, "publisher1_next_pressed", 0, "publisher2"},
    {KEY_ENTER, PLACE_COUNT, "publisher2_menu_pressed", 0, nullptr},
    {KEY_0 + 3, PLACE_COUNT, nullptr, 0, nullptr},
    {KEY_SPACE, PLACE_COUNT, nullptr, 0, nullptr},
    {KEY_ENTER, PLACE_COUNT, nullptr, 0, "past_dealt"},
    {KEY_0 + 2, PLACE_COUNT, nullptr, 0, "past_middle_card"},
    {KEY_UP, PLACE_COUNT, "past_scroll_up_pressed", 0, nullptr},
    {KEY_NONE, place_table_exit, "table_exit_pressed", 1, "farewell"},
};
const int STEP_COUNT = int(sizeof STEPS / sizeof STEPS[0]);

struct Session {
    std::vector<Canvas> shown[STEP_COUNT]; // each step's frames, each unlike the one before
    int step = 0;
    bool watching = false; // from the step's tap on
    Canvas before;         // the display when the tap came
};
Session session;

// The back buffer through the palette: the frame the program just presented.
Canvas presented_frame() {
    Canvas c = make_canvas(SURFACE_WIDTH, SURFACE_HEIGHT, {0, 0, 0});
    for (uint32_t i = 0; i < SURFACE_SIZE; ++i)
        std::memcpy(&c.rgba[size_t(i) * 4], palette->rgb[surface->pixels[i]], 3);
    return c;
}

void begin_step(const std::string& step) {
    session.step = std::stoi(step);
    session.watching = STEPS[session.step].place == PLACE_COUNT && !STEPS[session.step].key;
    session.before = Canvas();
}

// Lines look like "<ms> <event> ...".
void on_log_line(const std::string& line) {
    const std::string event = line.substr(line.find(' ') + 1);
    if (!surface || !surface->pixels || !palette) return;
    if (event.compare(0, 4, "tap ") == 0) {
        session.watching = true;
        session.before = presented_frame();
    }
    if (!session.watching || event.compare(0, 8, "present ") != 0) return;
    std::vector<Canvas>& frames = session.shown[session.step];
    Canvas frame = presented_frame();
    if (frame.rgba != (frames.empty() ? session.before : frames.back()).rgba)
        frames.push_back(std::move(frame));
}

std::vector<std::pair<std::string, Canvas>> run_screens(const std::string& install_dir) {
    headless_reset();
    headless_set_install_dir(install_dir.c_str());
    for (int i = 0; i < STEP_COUNT; ++i) {
        headless_queue_call(begin_step, std::to_string(i));
        const HitBox& box = screen_layout[STEPS[i].place < PLACE_COUNT ? STEPS[i].place : 0].tap;
        if (STEPS[i].key != KEY_NONE)
            headless_queue_key(STEPS[i].key);
        else if (STEPS[i].place != PLACE_COUNT)
            headless_queue_tap((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    }
    session = Session();
    headless_set_log_hook(on_log_line);
    app_main(1, 0, L"", 1);
    headless_set_log_hook(nullptr);
    release_objects();

    std::vector<std::pair<std::string, Canvas>> screens;
    for (int i = 0; i < STEP_COUNT; ++i) {
        const SheetStep& step = STEPS[i];
        const std::vector<Canvas>& frames = session.shown[i];
        if (frames.empty()) {
            std::fprintf(stderr, "quarnel-sheets: step %d shows nothing new\n", i);
            continue;
        }
        if (step.pressed) screens.push_back({step.pressed, frames.front()});
        for (int k = 1; k <= step.animation; ++k)
            screens.push_back({std::string(step.shown) + "_" + std::to_string(k),
                               frames[frames.size() * size_t(k) / size_t(step.animation + 1)]});
        if (step.shown) screens.push_back({step.shown, frames.back()});
    }
    session = Session();
    return screens;
}

int sheet_of_screens(const std::string& install_dir, const std::string& out) {
    const std::vector<std::pair<std::string, Canvas>> screens = run_screens(install_dir);
    const int columns_per_row = 6, cell_w = SURFACE_WIDTH + 10, cell_h = SURFACE_HEIGHT + 20;
    const int rows = int(screens.size() + columns_per_row - 1) / columns_per_row;
    Canvas sheet = make_canvas(columns_per_row * cell_w + 10, rows * cell_h + 10, SHEET);
    int ok = !screens.empty();
    for (size_t i = 0; i < screens.size(); ++i) {
        ok &= write_png(out + "/screen_" + screens[i].first + ".png", scaled(screens[i].second, 2));
        const int x = 10 + int(i % columns_per_row) * cell_w,
                  y = 10 + int(i / columns_per_row) * cell_h;
        draw_string(sheet, screens[i].first, x, y + 10, 10, LABEL, face_sans, 0);
        blit(sheet, screens[i].second, x, y + 14);
    }
    return write_png(out + "/screens.png", sheet) && ok;
}

} // namespace

// [SECTION] Main

int main(int argc, char** argv) {
    std::string install_dir, out;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--install-dir") == 0) install_dir = argv[i + 1];
        if (std::strcmp(argv[i], "--out") == 0) out = argv[i + 1];
    }
    if (install_dir.empty() || out.empty() || argc != 5) {
        std::fprintf(stderr, "usage: quarnel-sheets --install-dir DIR --out DIR\n");
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    install_dir = std::filesystem::absolute(install_dir, ec).string();
    Folder folder;
    folder.pictures = install_dir + "/picture";
    std::string palette_bytes;
    if (ec || !read_file_bytes(folder.pictures + "/main.plf", &palette_bytes)) {
        std::fprintf(stderr, "quarnel-sheets: no %s/main.plf, or no folder %s\n",
                     folder.pictures.c_str(), out.c_str());
        return 1;
    }
    // The palette file is the palette's red, green and blue bytes as they are.
    std::memcpy(folder.palette, palette_bytes.data(),
                std::min(palette_bytes.size(), sizeof folder.palette));
    int ok = sheet_of_pictures(folder, out);
    ok &= sheet_of_cards(folder, out);
    ok &= sheet_of_screens(install_dir, out);
    return ok ? 0 : 1;
}
