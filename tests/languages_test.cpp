// languages_test.cpp -- a language is an install folder: the program speaks the language its
// folder names, English without one, and reports a language it does not know; and the UTF-8
// of the words table meets the Windows-1252 of the card texts and the font without loss

#include "test_support.h"
#include "core/encoding.h"
#include "reading/reading.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <set>
#include <sstream>
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
    char written[5] = {};
    EXPECT_EQ(put_utf8(0x1F0CF, written), 4);
    EXPECT_EQ(std::string(written), std::string(text, 4));
}

namespace {

// The characters of a UTF-8 text, as code points.
std::vector<uint32_t> characters(const char* text) {
    std::vector<uint32_t> out;
    size_t at = 0;
    for (uint32_t c; (c = next_utf8(text, &at)) != 0;) out.push_back(c);
    return out;
}

// The placeholders of a text: "{name}{count}".
std::string placeholders(const std::string& text) {
    std::string out;
    for (size_t at = text.find('{'); at != std::string::npos; at = text.find('{', at + 1))
        out += text.substr(at, text.find('}', at) - at + 1);
    return out;
}

} // namespace

TEST(Words, every_row_and_card_name_is_in_every_language_with_the_same_placeholders) {
    for (int32_t id = 0; id < WORD_COUNT; ++id) {
        const WordRow& row = word_table[id];
        EXPECT_EQ(find_word(row.key), id) << row.key << " is the only row of its key";
        for (int32_t language = 0; language < LANGUAGE_COUNT; ++language) {
            ASSERT_NE(row.text[language], nullptr) << row.key;
            EXPECT_NE(row.text[language][0], 0) << row.key << " in " << language_code(language);
            EXPECT_EQ(placeholders(row.text[language]), placeholders(row.text[0]))
                << row.key << " in " << language_code(language);
            for (uint32_t c : characters(row.text[language]))
                EXPECT_NE(c, 0xFFFDu) << row.key << " is UTF-8";
        }
    }
    for (int32_t language = 0; language < LANGUAGE_COUNT; ++language) {
        std::set<std::string> names;
        for (int32_t card = 0; card < CARD_COUNT; ++card)
            EXPECT_TRUE(names.insert(language_card_name(language, card)).second)
                << language_code(language) << " names two cards "
                << card_name_table[card][language];
    }
}

// A name as people type it, in any language, names its card (core/card_names.cpp): every
// name and other name of the words table, and a few typed ones; anything else gets the nearest.
TEST(Words, a_card_name_as_people_type_it_is_its_card_else_the_nearest_are_offered) {
    const struct {
        const char* typed;
        int32_t card, language;
    } typed[] = {
        {"the fool", 0, language_en},
        {"THREE SWORDS", 52, language_en},
        {"3 of coins", 66, language_en},
        {"Knave of Chalices", 46, language_en},
        {"el ermitano", 9, language_es},
        {"3 de oros", 66, language_es},
        {"O ERMIT\xC3\x83O", 9, language_pt},
        {"l\xE2\x80\x99\xC3\xA9toile", 17, language_fr},
        {"7 d'epees", 56, language_fr},
        {"asso di coppe", 36, language_it},
        {"K\xC3\xB6nig der M\xC3\xBCnzen", 77, language_de},
        {"16", 16, -1},
        {"00", 0, -1},
        {"78", -1, -1},
        {"Queen of Hearts", -1, -1},
        {" , ", -1, -1},
    };
    for (const auto& t : typed) {
        int32_t language = -2;
        EXPECT_EQ(card_of_name(t.typed, &language), t.card) << t.typed;
        EXPECT_EQ(language, t.card >= 0 ? t.language : -2) << t.typed;
    }
    EXPECT_EQ(card_of_name(nullptr, nullptr), -1);
    for (int32_t language = 0; language < LANGUAGE_COUNT; ++language)
        for (int32_t card = 0; card < CARD_COUNT; ++card) {
            char folded[96];
            fold_name(card_name_table[card][language], folded, sizeof folded);
            EXPECT_EQ(card_of_name(folded, nullptr), card) << folded;
        }
    // The other names, whole and word by word in a name of their language.
    for (int32_t row = 0; row < OTHER_CARD_NAME_COUNT; ++row) {
        const OtherCardName& other = other_card_names[row];
        const int32_t card = card_of_name(other.name, nullptr);
        ASSERT_GE(card, 0) << other.name;
        EXPECT_STREQ(card_name_table[card][other.language], other.means);
    }
    for (int32_t row = 0; row < OTHER_NAME_WORDS_COUNT; ++row) {
        const OtherNameWords& other = other_name_words[row];
        const std::string word = std::string(" ") + other.word + " ";
        int32_t named = -1;
        std::string name;
        for (int32_t card = 0; card < CARD_COUNT && named < 0; ++card) {
            char folded[96];
            fold_name(card_name_table[card][other.language], folded, sizeof folded);
            name = std::string(" ") + folded + " ";
            if (name.find(word) != std::string::npos) named = card;
        }
        ASSERT_GE(named, 0) << other.word << " is a word of no name";
        std::istringstream others(other.others);
        for (std::string typed; others >> typed;) {
            std::string in_name = name;
            in_name.replace(name.find(word) + 1, word.size() - 2, typed);
            EXPECT_EQ(card_of_name(in_name.c_str(), nullptr), named) << in_name;
        }
    }
    const struct {
        const char* typed;
        int32_t card, language;
    } misspelt[] = {
        {"the towr", 16, language_en},           {"Tree of Cups", 38, language_en},
        {"Kniht of Pentacels", 75, language_en}, {"der teufl", 15, language_de},
        {"la ruoda", 10, language_es},
    };
    for (const auto& m : misspelt) {
        int32_t cards[3] = {-1, -1, -1}, languages[3] = {-1, -1, -1};
        EXPECT_EQ(card_of_name(m.typed, nullptr), -1) << m.typed;
        EXPECT_GE(nearest_card_names(m.typed, cards, languages, 3), 1) << m.typed;
        EXPECT_EQ(cards[0], m.card) << m.typed;
        EXPECT_EQ(languages[0], m.language) << m.typed;
    }
}

// The board shows two rows of 37 characters, each a byte of the font: every question fits,
// every character is in Windows-1252, and the second row starts a word (the English questions
// keep the program's old spacing and are pinned by the golden sessions instead).
TEST(Words, every_question_fits_the_board_in_every_language) {
    for (const ReadingKind kind : {kind_love, kind_business, kind_money}) {
        const ReadingInfo* reading = reading_info(kind);
        for (int32_t p = 0; p < reading->card_count; ++p) {
            for (int32_t language = 0; language < LANGUAGE_COUNT; ++language) {
                const char* question = word_in(language, reading->first_question + p);
                SCOPED_TRACE(question);
                const std::vector<uint32_t> cells = characters(question);
                EXPECT_LE(cells.size(), size_t(2 * QUESTION_GRID.columns));
                for (uint32_t c : cells) EXPECT_NE(unicode_to_cp1252(c), 0) << c;
                const size_t row = size_t(QUESTION_GRID.columns);
                if (language > 0 && cells.size() > row) {
                    EXPECT_TRUE(cells[row - 1] == ' ' || cells[row] == ' ')
                        << "the rows part between words";
                }
            }
        }
    }
}
