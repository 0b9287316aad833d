// main.cpp -- quarnel-gen: writes the whole install folder

#include "gen.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

static void usage() {
    std::fprintf(stderr, "usage: quarnel-gen --out DIR --texts DIR [--web DIR] "
                         "[--icons DIR --app-id ID]\n");
}

static int make_folder(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec || !std::filesystem::is_directory(path)) {
        std::fprintf(stderr, "quarnel-gen: cannot create folder %s\n", path.c_str());
        return 0;
    }
    return 1;
}

static int step(const char* what, int result) {
    if (!result) std::fprintf(stderr, "quarnel-gen: %s failed\n", what);
    return result;
}

int main(int argc, char** argv) {
    std::string out, texts, web, icons, app_id;
    for (int i = 1; i < argc; ++i) {
        std::string* target = nullptr;
        if (std::strcmp(argv[i], "--out") == 0) target = &out;
        if (std::strcmp(argv[i], "--texts") == 0) target = &texts;
        if (std::strcmp(argv[i], "--icons") == 0) target = &icons;
        if (std::strcmp(argv[i], "--app-id") == 0) target = &app_id;
        if (std::strcmp(argv[i], "--web") == 0) target = &web; // the web page's icons
        if (target == nullptr || i + 1 >= argc) {
            usage();
            return 2;
        }
        *target = argv[++i];
    }
    if (out.empty() || texts.empty() || icons.empty() != app_id.empty()) {
        usage();
        return 2;
    }
    std::string picture_dir = out + "/picture";
    std::string sound_dir = out + "/sound";
    if (!make_folder(picture_dir) || !make_folder(sound_dir)) return 1;
    if (!web.empty() && !make_folder(web)) return 1;

    int ok = 1;
    ok &= step("palette", write_palette_file(picture_dir + "/main.plf"));
    ok &= step("screen pictures", write_screen_pictures(picture_dir));
    ok &= step("card sheet", write_card_sheet(picture_dir));
    ok &= step("font", write_font(picture_dir));
    ok &= step("icons", write_icons(picture_dir));
    ok &= step("card texts", write_card_db(texts, picture_dir + "/CardDB.dat"));
    ok &= step("sounds", write_sounds(sound_dir));
    if (!web.empty()) ok &= step("web icons", write_web_files(web));
    if (!icons.empty()) ok &= step("theme icons", write_theme_icons(icons, app_id));
    return ok ? 0 : 1;
}
