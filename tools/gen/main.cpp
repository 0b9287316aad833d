// main.cpp -- quarnel-gen: writes the install folder of every language

#include "gen.h"
#include "core/words.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

static void usage() {
    std::fprintf(stderr, "usage: quarnel-gen --out DIR --texts DIR [--web DIR] "
                         "[--icons DIR --app-id ID]\n"
                         "  writes the English install folder into DIR and each other "
                         "language's into DIR/CODE,\n"
                         "  from the card texts in DIR and DIR/CODE of --texts\n");
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

// The same files in another folder (the sounds, which no language changes).
static int copy_files(const std::string& from, const std::string& to) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(from, ec)) {
        std::filesystem::copy_file(entry.path(), to + "/" + entry.path().filename().string(),
                                   std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) return 0;
    }
    return !ec;
}

// Every label of the drawn language's pictures fitted its plate; prints those that did not.
static int labels_fit() {
    std::vector<std::string> problems = take_label_problems();
    for (const std::string& p : problems) std::fprintf(stderr, "quarnel-gen: %s\n", p.c_str());
    return problems.empty();
}

// One language's install folder: its words on every picture, its card texts, its font.
static int write_language(int language, const std::string& out, const std::string& texts,
                          const std::string& english_sounds) {
    drawn_language = language;
    const std::string picture_dir = out + "/picture";
    const std::string sound_dir = out + "/sound";
    if (!make_folder(picture_dir) || !make_folder(sound_dir)) return 0;
    int ok = 1;
    ok &= step("glossary", check_glossary(texts));
    ok &= step("palette", write_palette_file(picture_dir + "/main.plf"));
    ok &= step("screen pictures", write_screen_pictures(picture_dir));
    ok &= step("card sheet", write_card_sheet(picture_dir));
    ok &= step("labels", labels_fit());
    ok &= step("font", write_font(picture_dir, language != language_en));
    ok &= step("icons", write_icons(picture_dir));
    ok &= step("card texts", write_card_db(texts, picture_dir + "/CardDB.dat"));
    if (language == language_en) {
        ok &= step("sounds", write_sounds(sound_dir));
    } else {
        ok &= step("sounds", copy_files(english_sounds, sound_dir));
        const std::string code = std::string(language_table[language].code) + "\r\n";
        ok &= step("language", write_bytes(picture_dir + "/language.txt",
                                           std::vector<uint8_t>(code.begin(), code.end())));
    }
    if (!ok)
        std::fprintf(stderr, "quarnel-gen: the %s install folder (%s) is not complete\n",
                     language_table[language].name, out.c_str());
    return ok;
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
    if (!web.empty() && !make_folder(web)) return 1;

    int ok = 1;
    for (int language = 0; language < LANGUAGE_COUNT; ++language) {
        const bool english = language == language_en;
        const std::string code = language_table[language].code;
        ok &= write_language(language, english ? out : out + "/" + code,
                             english ? texts : texts + "/" + code, out + "/sound");
    }
    drawn_language = language_en;
    if (!web.empty()) ok &= step("web icons", write_web_files(web));
    if (!web.empty()) ok &= step("web page's words", write_web_words(web));
    if (!icons.empty()) ok &= step("theme icons", write_theme_icons(icons, app_id));
    return ok ? 0 : 1;
}
