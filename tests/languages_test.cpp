// languages_test.cpp -- a language is an install folder: the program speaks the language its
// folder names, English without one, and reports a language it does not know; and the UTF-8
// of the words table meets the Windows-1252 of the card texts and the font without loss

#include "test_support.h"
#include "core/encoding.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <string>

namespace {

// What the hosts are told on the menu: its name and its buttons.
std::string menu_answer;

void capture_menu(const std::string&) {
    ScreenInfo info;
    screen_info(&info);
    menu_answer = std::string(info.name) + ":";
    for (int32_t i = 0; i < info.button_count; ++i)
        menu_answer += std::string(" ") + info.buttons[i].label;
    menu_answer += std::string("; ") + card_name(0) + "; " + reading_name(kind_love);
}

void queue_menu_capture() {
    tap(START);
    headless_queue_call(capture_menu, "");
}

std::string run_to_menu(const std::string& folder) {
    menu_answer.clear();
    EXPECT_EQ(run_program(folder, queue_menu_capture), 0);
    return menu_answer;
}

} // namespace

TEST(Languages, the_program_speaks_the_language_its_folder_names_and_english_without_one) {
    EXPECT_EQ(run_to_menu(data_dir()),
              "Menu: Desire Today Past Love Business Money About Tarot About Quarnel Exit; The "
              "Fool; Love");
    EXPECT_EQ(program_language(), 0) << "no language after the run";
    EXPECT_EQ(run_to_menu(language_dir(language_of_code("de"))),
              "Men\xC3\xBC: Wunsch Heute Vergangenheit Liebe Gesch\xC3\xA4"
              "ft Geld \xC3\x9C"
              "ber Tarot \xC3\x9C"
              "ber Quarnel Beenden; Der Narr; Liebe");
    EXPECT_TRUE(headless_messages().empty());
    // A folder is its language: the Spanish pictures with no language file speak English.
    const std::string folder = copy_install_folder("language_missing", language_of_code("es"));
    std::remove((folder + "/picture/language.txt").c_str());
    EXPECT_EQ(run_to_menu(folder).rfind("Menu: Desire", 0), 0u);
    EXPECT_TRUE(headless_messages().empty());
}

TEST(Languages, a_language_file_naming_no_known_language_is_reported_and_english_is_spoken) {
    const std::string folder = copy_install_folder("language_unknown", language_of_code("fr"));
    for (const char* content : {"xx\r\n", "fr and more", "", "FR", "frfrfrfrfr"}) {
        SCOPED_TRACE(content);
        write_test_file(folder + "/picture/language.txt", std::string(content));
        EXPECT_EQ(run_to_menu(folder).rfind("Menu: Desire", 0), 0u);
        ASSERT_EQ(headless_messages().size(), 1u);
        EXPECT_EQ(headless_messages()[0], "|The language is unknown. File name is 'language.txt'");
    }
    write_test_file(folder + "/picture/language.txt", std::string("fr\n"));
    EXPECT_EQ(run_to_menu(folder).rfind("Menu: D\xC3\xA9sir", 0), 0u);
}

TEST(Encoding, every_windows_1252_character_goes_to_utf8_and_back) {
    int undefined = 0;
    for (int byte = 1; byte < 256; ++byte) {
        const uint32_t c = cp1252_to_unicode(uint8_t(byte));
        if (c == 0) {
            undefined += 1;
            continue;
        }
        EXPECT_EQ(unicode_to_cp1252(c), byte);
        char utf8[5] = {};
        const int32_t length = put_utf8(c, utf8);
        size_t at = 0;
        EXPECT_EQ(next_utf8(utf8, &at), c);
        EXPECT_EQ(at, size_t(length));
    }
    EXPECT_EQ(undefined, 5) << "0x81, 0x8D, 0x8F, 0x90 and 0x9D";
    EXPECT_EQ(unicode_to_cp1252(0x0151), 0) << "o with double acute is not in Windows-1252";
    EXPECT_EQ(unicode_to_cp1252(0x153), 0x9C) << "the French oe ligature is";
}

TEST(Encoding, a_byte_that_starts_no_well_formed_character_stands_alone) {
    // A lone continuation byte, a cut sequence, an overlong form, a surrogate, a lead byte
    // beyond Unicode: each gives U+FFFD and moves one byte on.
    for (const char* bad : {"\x80", "\xC3(", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80", "\xF8\x88"}) {
        size_t at = 0;
        EXPECT_EQ(next_utf8(bad, &at), 0xFFFDu) << bad;
        EXPECT_EQ(at, 1u);
    }
    size_t at = 0;
    EXPECT_EQ(next_utf8("", &at), 0u);
    EXPECT_EQ(at, 0u);
    const char* text = "\xF0\x9F\x83\x8F!"; // a playing card, four bytes, then "!"
    EXPECT_EQ(next_utf8(text, &at), 0x1F0CFu);
    EXPECT_EQ(next_utf8(text, &at), uint32_t('!'));
}
