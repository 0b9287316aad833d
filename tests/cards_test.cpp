// cards_test.cpp -- the card library (src/cards) and quarnel-cards: faces as the program's
// display shows them, texts as the card text files give them, names as people type them,
// search, the card of the day, the guidebook and every refusal

#include "test_support.h"
#include "cards/cards.h"
#include "cards/name_match.h"
#include "deck.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// [SECTION] The installed deck

std::string install_file(const std::string& name, int32_t language = language_en) {
    return read_test_file(language_dir(language) + "/picture/" + name);
}

int read_faces(const std::string& sheet, const std::string& palette, CardDeck* deck,
               std::string* fault) {
    return read_card_faces(reinterpret_cast<const uint8_t*>(sheet.data()), sheet.size(),
                           reinterpret_cast<const uint8_t*>(palette.data()), palette.size(),
                           language_en, deck, fault);
}

const CardDeck& installed_deck() {
    static CardDeck deck;
    if (deck.sheet.empty()) {
        std::string fault;
        const std::string texts = install_file("CardDB.dat");
        EXPECT_TRUE(read_faces(install_file("card.nbf"), install_file("main.plf"), &deck, &fault))
            << fault;
        EXPECT_TRUE(read_card_texts(texts.data(), texts.size(), language_en, &deck, &fault))
            << fault;
    }
    return deck;
}

// quarnel-cards on the built install folder, in a locale (C: English).
ToolRun cards_tool(std::vector<std::string> args, const char* locale = "C") {
    args.insert(args.begin(), {"--install-dir", data_dir()});
    setenv("LC_ALL", locale, 1);
    return run_tool(QUARNEL_CARDS_TOOL, args);
}

// [SECTION] Faces and texts

// What the display shows of the past reading's three cards, upright and reversed alike.
struct ShownCards {
    ScreenInfo info = {};
    std::vector<uint8_t> rgb;
};
ShownCards shown;
void capture(const std::string&) {
    screen_info(&shown.info);
    shown.rgb = headless_display_rgb();
}

TEST(CardLibrary, faces_are_the_cards_as_the_display_shows_them_pixel_for_pixel) {
    run_program(data_dir(), [] {
        headless_set_clock(4242);
        tap(START);
        tap(MENU_ITEM[2]); // past: three cards at full size
        tap(DECK);
        tap(NEXT);
        for (int32_t p = 0; p < 3; p++) tap(card_centre(kind_past, p));
        headless_queue_call(capture, "");
    });
    ASSERT_EQ(shown.info.turned_count, 3);
    const CardDeck& deck = installed_deck();
    std::vector<uint8_t> face(CARD_WIDTH * CARD_HEIGHT * 3);
    for (int32_t p = 0; p < 3; p++) {
        face_pixels(deck, shown.info.cards[p], 3, face.data());
        const SpreadPoint at = reading_info(kind_past)->spread[p];
        int differ = 0;
        for (int32_t y = 0; y < CARD_HEIGHT; y++)
            for (int32_t x = 0; x < CARD_WIDTH; x++) {
                // A reversed card lies turned half a circle.
                const int32_t fx = shown.info.reversed[p] ? CARD_WIDTH - 1 - x : x;
                const int32_t fy = shown.info.reversed[p] ? CARD_HEIGHT - 1 - y : y;
                const uint8_t* want = &face[size_t(fy * CARD_WIDTH + fx) * 3];
                const uint8_t* got = &shown.rgb[size_t((at.y + y) * SCREEN_WIDTH + at.x + x) * 3];
                differ += want[0] != got[0] || want[1] != got[1] || want[2] != got[2];
            }
        EXPECT_EQ(differ, 0) << "position " << p << ", " << card_name(shown.info.cards[p]);
    }
}

TEST(CardLibrary, texts_are_the_card_text_files_word_for_word) {
    std::vector<CardText> records(DEALT_VALUES);
    Problems problems;
    for (const auto& entry :
         fs::directory_iterator(std::string(QUARNEL_SOURCE_DIR) + "/tools/card_texts"))
        if (entry.path().extension() == ".txt" && entry.path().filename() != "glossary.txt")
            parse_card_texts(read_test_file(entry.path().string()), entry.path().string(), &records,
                             &problems);
    ASSERT_TRUE(problems.empty()) << problems[0];
    const CardDeck& deck = installed_deck();
    ASSERT_EQ(deck.texts.size(), size_t(DEALT_VALUES));
    for (int32_t record = 0; record < DEALT_VALUES; record++)
        EXPECT_EQ(deck.texts[size_t(record)], records[size_t(record)].text) << record;
    EXPECT_EQ(first_sentence(deck.texts[0], 0),
              "A fresh beginning opens before you, and it asks for an open heart more than a "
              "finished plan.");
    // A text of another language opens with the card's name in it.
    const std::string spanish = install_file("CardDB.dat", language_es);
    CardDeck own;
    std::string fault;
    ASSERT_TRUE(read_card_texts(spanish.data(), spanish.size(), language_es, &own, &fault))
        << fault;
    EXPECT_EQ(
        first_sentence(own.texts[1], 0).rfind("El esp\xC3\xADritu aventurero sigue ah\xC3\xAD", 0),
        0u);
}

TEST(CardLibrary, refuses_damaged_files_with_the_programs_message_and_keeps_the_deck) {
    const std::string sheet = install_file("card.nbf"), palette = install_file("main.plf");
    CardDeck deck;
    deck.sheet = {7};
    std::string fault;
    // A header that asks for more pixels than a card sheet holds: the program's own message.
    std::string huge = sheet;
    huge[4] = char(0xFF), huge[5] = char(0xFF);
    EXPECT_FALSE(read_faces(huge, palette, &deck, &fault));
    EXPECT_EQ(fault, "the program refuses it with its message 906656556");
    EXPECT_FALSE(read_faces(install_file("font.nbf"), palette, &deck, &fault));
    EXPECT_NE(fault.find("not a deck's 79 cards of 60 x 100"), std::string::npos) << fault;
    EXPECT_FALSE(read_faces(sheet.substr(0, sheet.size() / 2), palette, &deck, &fault));
    EXPECT_NE(fault.find("of its 474000 pixels"), std::string::npos) << fault;
    EXPECT_EQ(deck.sheet, std::vector<uint8_t>{7});

    const std::string texts = install_file("CardDB.dat");
    // Cut ten bytes into record 100, Ace of Swords upright (after its opening separator, the
    // 101st).
    size_t at = 0;
    for (int separators = 0; separators < 101; separators++) at = texts.find('$', at) + 1;
    const std::string cut = texts.substr(0, at + 10);
    deck.texts = {"kept"};
    EXPECT_FALSE(read_card_texts(cut.data(), cut.size(), language_en, &deck, &fault));
    EXPECT_NE(fault.find("the file ends before the text of Ace of Swords, upright"),
              std::string::npos)
        << fault;
    EXPECT_FALSE(read_card_texts(cut.data(), cut.size(), language_es, &deck, &fault));
    EXPECT_NE(fault.find("el archivo termina antes del texto de As de Espadas, al derecho"),
              std::string::npos)
        << fault;
    // A word longer than the meaning window's row.
    std::string long_word = texts;
    long_word.replace(long_word.find("A fresh"), 7, std::string(30, 'x'));
    EXPECT_FALSE(read_card_texts(long_word.data(), long_word.size(), language_en, &deck, &fault));
    EXPECT_NE(fault.find("The Fool, upright does not lay out"), std::string::npos) << fault;
    EXPECT_EQ(deck.texts, std::vector<std::string>{"kept"});
}

// [SECTION] Names and search

// The matching is the program's (languages_test.cpp); the library's names are its links.
TEST(CardNames, every_link_names_its_card_again) {
    for (int32_t language = 0; language < LANGUAGE_COUNT; language++)
        for (int32_t card = 0; card < CARD_COUNT; card++)
            EXPECT_EQ(card_of_name(card_slug(card, language).c_str(), nullptr), card)
                << card_slug(card, language);
    EXPECT_EQ(card_slug(52, language_en), "three-of-swords");
    EXPECT_EQ(card_slug(9, language_es), "el-ermitano");
    EXPECT_EQ(card_slug(17, language_fr), "l-etoile");
}

std::vector<int32_t> found(const std::string& query) {
    static CardIndex index;
    static bool made = false;
    if (!made) index_cards(installed_deck(), &index), made = true;
    uint8_t matches[CARD_COUNT];
    const int32_t count = search_cards(index, query, matches);
    std::vector<int32_t> cards;
    for (int32_t card = 0; card < CARD_COUNT; card++)
        if (matches[card]) cards.push_back(card);
    EXPECT_EQ(count, int32_t(cards.size()));
    return cards;
}

TEST(CardSearch, finds_cards_by_every_word_of_names_and_meanings_as_they_are_typed) {
    EXPECT_EQ(found("sorrow"), (std::vector<int32_t>{40, 52}));
    EXPECT_EQ(found("SORR"), (std::vector<int32_t>{40, 52}));
    EXPECT_EQ(found("").size(), size_t(CARD_COUNT));
    EXPECT_TRUE(found("xyzzy").empty());
    const std::vector<int32_t> swords = found("three of swords");
    EXPECT_NE(std::find(swords.begin(), swords.end(), 52), swords.end());
    EXPECT_EQ(found("3 swords"), std::vector<int32_t>{52});
    // Other names of a suit find all its cards.
    const std::vector<int32_t> coins = found("coins");
    for (int32_t card = 64; card < 78; card++)
        EXPECT_NE(std::find(coins.begin(), coins.end(), card), coins.end()) << card;
    // Every language's names, without case or accents.
    EXPECT_EQ(found("ERMITA\xC3\x91O"), found("hermit"));
}

// [SECTION] The card of the day

TEST(CardOfTheDay, comes_from_the_date_alone_never_twice_running_and_fairly) {
    EXPECT_EQ(card_of_the_day(2026, 12, 7), card_of_the_day(2026, 12, 7));
    EXPECT_EQ(card_of_the_day(2026, 2, 29), -1);
    EXPECT_EQ(card_of_the_day(2026, 13, 1), -1);
    EXPECT_EQ(card_of_the_day(2026, 4, 31), -1);
    EXPECT_GE(card_of_the_day(2024, 2, 29), 0);
    int counts[CARD_COUNT] = {}, reversed = 0;
    int32_t previous = card_of_the_day(1969, 12, 31); // the run before the first crossed too
    int32_t year = 1970, month = 1, day = 1;
    static const int32_t DAYS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int i = 0; i < 3650; i++) {
        const int32_t today = card_of_the_day(year, month, day);
        ASSERT_GE(today, 0);
        EXPECT_NE(today / 2, previous / 2) << year << "-" << month << "-" << day;
        counts[today / 2]++;
        reversed += today % 2;
        previous = today;
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        if (++day > DAYS[month - 1] + (month == 2 && leap)) day = 1, month++;
        if (month > 12) month = 1, year++;
    }
    const auto [fewest, most] = std::minmax_element(counts, counts + CARD_COUNT);
    EXPECT_LE(*most, 3 * *fewest);
    EXPECT_NEAR(reversed, 1825, 150);
}

// [SECTION] quarnel-cards

TEST(CardsTool, answers_list_show_search_and_today_and_refuses_wrong_words) {
    EXPECT_EQ(cards_tool({"--help"}).code, 0);
    EXPECT_EQ(cards_tool({"--version"}).out, "quarnel-cards 1.0\n");
    const ToolRun list = cards_tool({"list"});
    EXPECT_EQ(list.code, 0);
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), CARD_COUNT);
    EXPECT_NE(list.out.find("\n52 Three of Swords\n"), std::string::npos);

    setenv("COLUMNS", "40", 1);
    const ToolRun tower = cards_tool({"show", "the tower", "--reversed"});
    unsetenv("COLUMNS");
    EXPECT_EQ(tower.code, 0) << tower.err;
    EXPECT_EQ(tower.out.rfind("16 The Tower, reversed\n\nThe Tower, reversed. An upheaval", 0), 0u)
        << tower.out;
    size_t start = 0, widest = 0;
    for (size_t end; (end = tower.out.find('\n', start)) != std::string::npos; start = end + 1)
        widest = std::max(widest, end - start);
    EXPECT_LE(widest, 39u);

    const ToolRun typo = cards_tool({"show", "towr"});
    EXPECT_EQ(typo.code, 1);
    EXPECT_NE(typo.err.find("no card is called \"towr\"; the nearest names are The Tower"),
              std::string::npos)
        << typo.err;
    EXPECT_EQ(cards_tool({"search", "sorrow"}).out, "40 Five of Cups\n52 Three of Swords\n");
    EXPECT_EQ(cards_tool({"search", "xyzzy"}).code, 1);

    const int32_t day = card_of_the_day(2026, 12, 7);
    const ToolRun today = cards_tool({"today", "--date", "2026-12-07"});
    EXPECT_EQ(today.code, 0);
    EXPECT_EQ(today.out.rfind(std::string("Card of the day, 2026-12-07: ") +
                                  (day / 2 < 10 ? "0" : "") + std::to_string(day / 2) + " " +
                                  card_name(day / 2) + (day % 2 ? ", reversed" : ", upright"),
                              0),
              0u)
        << today.out;

    // The locale's language, or --language: the cards' names and texts, and the messages.
    const ToolRun torre = cards_tool({"--language", "es", "show", "la torre", "--reversed"});
    EXPECT_EQ(torre.out.rfind("16 La Torre, al rev\xC3\xA9s\n\nLa Torre, al rev\xC3\xA9s. ", 0), 0u)
        << torre.out << torre.err;
    const ToolRun turm = cards_tool({"show", "towr"}, "de_DE.UTF-8");
    EXPECT_EQ(turm.code, 1);
    EXPECT_NE(turm.err.find("keine Karte hei\xC3\x9Ft \xE2\x80\x9Etowr\xE2\x80\x9C; die n\xC3\xA4"
                            "chsten Namen sind Der Turm"),
              std::string::npos)
        << turm.err;
    EXPECT_EQ(cards_tool({"search", "tristeza"}, "es_ES.UTF-8").out,
              "40 Cinco de Copas\n52 Tres de Espadas\n");
    const ToolRun unknown = cards_tool({"--language", "xx", "list"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_EQ(unknown.err.rfind("quarnel-cards: --language xx: no such language; the languages are "
                                "en (English), es (Espa\xC3\xB1ol)",
                                0),
              0u)
        << unknown.err;

    for (const std::vector<std::string>& wrong : {std::vector<std::string>{},
                                                  {"shuffle"},
                                                  {"--colour"},
                                                  {"show"},
                                                  {"list", "x"},
                                                  {"today", "--date", "2026-02-30"},
                                                  {"search", "x", "--reversed"},
                                                  {"book"}})
        EXPECT_EQ(cards_tool(wrong).code, 2) << (wrong.empty() ? "" : wrong[0]);
}

TEST(CardsTool, writes_the_guidebook_whole_or_not_at_all) {
    const std::string folder = make_test_folder("book");
    const ToolRun book = cards_tool({"book", folder + "/book.html"});
    EXPECT_EQ(book.code, 0) << book.err;
    const std::string html = read_test_file(folder + "/book.html");
    EXPECT_LT(html.size(), 3u << 20);
    size_t pages = 0;
    for (size_t at = 0; (at = html.find("<section class=\"card\"", at)) != std::string::npos; at++)
        pages++;
    EXPECT_EQ(pages, size_t(CARD_COUNT));
    EXPECT_NE(html.find("id=\"three-of-swords\""), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    // In another language: its names, texts and words.
    EXPECT_EQ(cards_tool({"--language", "fr", "book", folder + "/livret.html"}).code, 0);
    const std::string livret = read_test_file(folder + "/livret.html");
    EXPECT_EQ(livret.rfind("<!DOCTYPE html>\n<html lang=\"fr\">", 0), 0u);
    for (const char* words : {"<title>Quarnel : les cartes et leurs significations</title>",
                              "<section class=\"card\" id=\"trois-d-epees\">",
                              "<h3>\xC3\x80 l'endroit</h3>\n<p>Trois d'\xC3\x89p\xC3\xA9"
                              "es, \xC3\xA0 l'endroit. "})
        EXPECT_NE(livret.find(words), std::string::npos) << words;

    // A folder that is not there, and one that cannot be written: nothing is left behind.
    const ToolRun missing = cards_tool({"book", folder + "/no/book.html"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find(folder + "/no/"), std::string::npos) << missing.err;
    fs::create_directory(folder + "/locked");
    chmod((folder + "/locked").c_str(), 0555);
    if (access((folder + "/locked").c_str(), W_OK) != 0) { // root may write anywhere
        EXPECT_EQ(cards_tool({"book", folder + "/locked/book.html"}).code, 1);
        EXPECT_TRUE(fs::is_empty(folder + "/locked"));
    }
    chmod((folder + "/locked").c_str(), 0755);
}

TEST(CardsTool, reads_a_users_deck_and_refuses_one_it_cannot_use) {
    const std::string folder = make_test_folder("decks");
    // A deck with texts of its own: a Fool of its own words.
    std::string texts = install_file("CardDB.dat");
    texts.replace(texts.find("A fresh beginning"), 17, "A deck of my own");
    write_test_file(folder + "/own/CardDB.dat", texts);
    const ToolRun own = cards_tool({"--deck", folder + "/own", "show", "fool"});
    EXPECT_EQ(own.code, 0) << own.err;
    EXPECT_NE(own.out.find("A deck of my own"), std::string::npos);
    EXPECT_EQ(cards_tool({"--deck", folder + "/own", "book", folder + "/own.html"}).code, 0);
    EXPECT_NE(read_test_file(folder + "/own.html").find("<title>own: the cards"),
              std::string::npos);

    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--deck", folder + "/none", "list"}, ""},
        {{"--deck", folder + "/none", "show", "fool"},
         "the deck folder " + folder + "/none is missing"},
        {{"--deck", folder, "show", "fool"}, "holds neither card.nbf nor CardDB.dat"},
        {{"--deck", folder + "/bad", "book", folder + "/bad.html"},
         "card.nbf cannot be used: "
         "the program refuses it"},
        {{"--install-dir", folder + "/bad", "show", "fool"}, "no card texts: the install folder"},
    };
    fs::create_directories(folder + "/bad");
    write_test_file(folder + "/bad/card.nbf", std::string("not a picture"));
    for (const auto& [args, why] : refused) {
        const ToolRun run = run_tool(QUARNEL_CARDS_TOOL, args);
        EXPECT_EQ(run.code, why.empty() ? 0 : 1) << run.err;
        EXPECT_NE(run.err.find(why), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(folder + "/bad.html"));
}

} // namespace
