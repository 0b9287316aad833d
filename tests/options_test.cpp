// options_test.cpp -- the desktop program's command line: every option, every refusal, the
// help text and the window's default scale

#include "platform/common/common.h"
#include "platform/sdl/options.h"
#include "platform/common/common.h"
#include "test_support.h"
#include <gtest/gtest.h>

namespace {

struct Parsed {
    int ok;
    DesktopOptions options;
    std::string error;
};

Parsed parse(std::vector<const char*> words) {
    words.insert(words.begin(), "quarnel");
    Parsed p;
    p.ok = parse_options(int(words.size()), words.data(), &p.options, &p.error);
    return p;
}

} // namespace

TEST(Options, no_arguments_run_the_program_with_the_defaults) {
    Parsed p = parse({});
    EXPECT_EQ(p.ok, 1);
    EXPECT_FALSE(p.options.help || p.options.version || p.options.fullscreen);
    EXPECT_EQ(p.options.scale, 0);
    EXPECT_EQ(p.options.install_dir, "");
}

TEST(Options, every_option_in_both_spellings_of_its_value) {
    std::string folder = make_test_folder("options");
    EXPECT_TRUE(parse({"--help"}).options.help);
    EXPECT_TRUE(parse({"-h"}).options.help);
    EXPECT_TRUE(parse({"--version"}).options.version);
    EXPECT_TRUE(parse({"--fullscreen"}).options.fullscreen);
    EXPECT_EQ(parse({"--scale", "3"}).options.scale, 3);
    EXPECT_EQ(parse({"--scale=1"}).options.scale, 1);
    EXPECT_EQ(parse({"--scale", "16"}).options.scale, 16);
    EXPECT_EQ(parse({"--install-dir", folder.c_str()}).options.install_dir, folder);
    EXPECT_EQ(parse({("--install-dir=" + folder).c_str()}).options.install_dir, folder);
    Parsed all = parse({"--fullscreen", "--scale", "2", "--install-dir", folder.c_str()});
    EXPECT_EQ(all.ok, 1);
    EXPECT_TRUE(all.options.fullscreen);
    EXPECT_EQ(all.options.scale, 2);
    EXPECT_EQ(all.options.install_dir, folder);
    EXPECT_EQ(parse({"--scale", "2", "--scale", "4"}).options.scale, 4); // the last one counts
    EXPECT_EQ(parse({"--deck", "my deck"}).options.deck, "my deck");
    EXPECT_EQ(parse({"--journal=readings.md"}).options.journal, "readings.md");
}

TEST(Options, each_wrong_word_is_refused_in_one_line_that_names_it) {
    std::string folder = make_test_folder("options");
    std::string file = folder + "/file";
    write_test_file(file, std::string("x"));
    std::string missing = folder + "/missing";
    const std::pair<std::vector<const char*>, std::string> cases[] = {
        {{"--bogus"}, "quarnel: unknown option '--bogus'"},
        {{"-x"}, "quarnel: unknown option '-x'"},
        {{"-"}, "quarnel: unknown option '-'"},
        {{"--HELP"}, "quarnel: unknown option '--HELP'"},
        {{"--bogus=1"}, "quarnel: unknown option '--bogus'"},
        {{"reading"}, "quarnel: unexpected argument 'reading' (it takes only options)"},
        {{""}, "quarnel: unexpected argument '' (it takes only options)"},
        {{"--"}, "quarnel: unexpected '--' (it takes only options)"},
        {{"--help=yes"}, "quarnel: --help takes no value"},
        {{"--fullscreen="}, "quarnel: --fullscreen takes no value"},
        {{"--scale"}, "quarnel: --scale needs a value N"},
        {{"--install-dir"}, "quarnel: --install-dir needs a value DIR"},
        {{"--scale", "0"}, "quarnel: --scale needs a whole number from 1 to 16, not '0'"},
        {{"--scale", "17"}, "quarnel: --scale needs a whole number from 1 to 16, not '17'"},
        {{"--scale", "-2"}, "quarnel: --scale needs a whole number from 1 to 16, not '-2'"},
        {{"--scale", "2x"}, "quarnel: --scale needs a whole number from 1 to 16, not '2x'"},
        {{"--scale", "1.5"}, "quarnel: --scale needs a whole number from 1 to 16, not '1.5'"},
        {{"--scale="}, "quarnel: --scale needs a whole number from 1 to 16, not ''"},
        {{"--scale", "99999999999"},
         "quarnel: --scale needs a whole number from 1 to 16, not '99999999999'"},
        {{"--install-dir="}, "quarnel: --install-dir needs a folder"},
        {{"--deck"}, "quarnel: --deck needs a value DIR"},
        {{"--deck="}, "quarnel: --deck needs a folder"},
        {{"--journal"}, "quarnel: --journal needs a value FILE"},
        {{"--journal", ""}, "quarnel: --journal needs a file"},
        {{"--install-dir", missing.c_str()},
         "quarnel: --install-dir: " + missing + ": No such file or directory"},
        {{"--install-dir", file.c_str()}, "quarnel: --install-dir: " + file + ": not a folder"},
        {{"--version", "--nope"}, "quarnel: unknown option '--nope'"}, // checked before acting
    };
    for (const auto& [words, expected] : cases) {
        Parsed p = parse(words);
        EXPECT_EQ(p.ok, 0) << expected;
        EXPECT_EQ(p.error, expected);
        EXPECT_EQ(p.error.find('\n'), std::string::npos);
    }
}

TEST(Options, help_lists_every_option_and_the_keys_within_79_columns) {
    std::string help = help_text();
    for (const char* word :
         {"--help", "--version", "--fullscreen", "--scale N", "--install-dir DIR", "F11",
          "Alt+Enter", "Ctrl+Q", "Page Up", "1 to 6", "Escape", "QUARNEL_INSTALL_DIR"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
    EXPECT_EQ(help.rfind(usage_text(), 0), 0u); // the usage printed after an error comes first
    size_t start = 0;
    while (start < help.size()) {
        size_t end = help.find('\n', start);
        EXPECT_LE(end - start, 79u) << help.substr(start, end - start);
        start = end + 1;
    }
    EXPECT_EQ(version_text().rfind("quarnel ", 0), 0u);
}

TEST(Options, the_language_is_the_one_named_else_the_locales_as_posix_orders_its_variables) {
    EXPECT_EQ(parse({}).options.language, -1) << "the locale's";
    EXPECT_EQ(parse({"--language", "fr"}).options.language, language_of_code("fr"));
    EXPECT_EQ(parse({"--language=en"}).options.language, 0);
    Parsed wrong = parse({"--language", "ES"});
    EXPECT_EQ(wrong.ok, 0);
    EXPECT_EQ(wrong.error, "quarnel: --language ES: no such language; the languages are en "
                           "(English), es (Espa\xC3\xB1ol), pt (Portugu\xC3\xAAs), fr (Fran\xC3\xA7"
                           "ais), it (Italiano), de (Deutsch)");
    EXPECT_EQ(locale_language("de_DE.UTF-8", "fr_FR", "es"), language_of_code("de"));
    EXPECT_EQ(locale_language("", "pt_BR.UTF-8", "es"), language_of_code("pt"));
    EXPECT_EQ(locale_language(nullptr, nullptr, "it_IT@euro"), language_of_code("it"));
    EXPECT_EQ(locale_language("C", "es_ES", "es_ES"), -1) << "LC_ALL=C wins";
    EXPECT_EQ(locale_language(nullptr, nullptr, "nl_NL.UTF-8"), -1) << "a language we lack";
    EXPECT_EQ(locale_language(nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(locale_language("POSIX", nullptr, nullptr), -1);
}

TEST(Options, default_scale_is_the_largest_that_fits_80_percent_of_the_screen_height) {
    EXPECT_EQ(default_scale(0), 1);    // unknown screen
    EXPECT_EQ(default_scale(320), 1);  // smaller than the display itself
    EXPECT_EQ(default_scale(768), 1);  // 640 > 614
    EXPECT_EQ(default_scale(800), 2);  // 640 = 640
    EXPECT_EQ(default_scale(1080), 2); // 960 > 864
    EXPECT_EQ(default_scale(1200), 3);
    EXPECT_EQ(default_scale(1440), 3);
    EXPECT_EQ(default_scale(2160), 5);
}
