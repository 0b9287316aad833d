// screen_info_test.cpp -- what the program answers its hosts about the screen on display: a
// session through every screen, each screen's buttons by their labels in order, the spread's
// cards and which are turned, and a version that changes exactly when the answer does

#include "test_support.h"
#include <gtest/gtest.h>

namespace {

struct Answer {
    std::string line; // the answer in a few words
    uint32_t version;
    std::string text; // the reading as text
};

std::vector<Answer> answers;

std::string describe(const ScreenInfo& info) {
    static const char* const kinds[] = {"none",  "title",   "menu",  "shuffle",
                                        "table", "reading", "about", "publisher"};
    std::string line = std::string(kinds[info.kind]) + " " + info.name;
    if (info.page_count > 1)
        line += " page " + std::to_string(info.page) + "/" + std::to_string(info.page_count);
    if (info.deck_shuffled) line += " shuffled";
    if (info.card_count)
        line += " " + std::to_string(info.turned_count) + "/" + std::to_string(info.card_count);
    if (info.meaning_shown) line += " meaning";
    line += ":";
    for (int32_t i = 0; i < info.button_count; ++i) {
        const ScreenButton& b = info.buttons[i];
        line += i ? ", " : " ";
        line += b.role == BUTTON_CARD ? "card " + std::to_string(b.position + 1) : b.label;
    }
    return line;
}

void note(const std::string&) {
    ScreenInfo info;
    screen_info(&info);
    char text[READING_TEXT_SIZE];
    screen_reading_text(text, sizeof text);
    answers.push_back({describe(info), screen_version(), text});
    for (int32_t p = 0; p < info.card_count; ++p) {
        // A turned card is named in the reading's text; one face down is not.
        const std::string named = std::string(card_name(info.cards[p])) +
                                  (info.reversed[p] ? ", reversed." : ", upright.");
        EXPECT_EQ(answers.back().text.find(named) != std::string::npos, info.turned[p] == 1)
            << named;
    }
}

void queue_note() {
    headless_queue_call(note, "");
}

} // namespace

TEST(ScreenInfo, every_screen_answers_its_name_buttons_and_cards_and_a_version_per_answer) {
    answers.clear();
    run_program(data_dir(), [] {
        queue_note();
        queue_note(); // nothing changed: the same answer and version
        tap(START);
        queue_note();
        tap(MENU_ITEM[2]); // past
        queue_note();
        tap(DECK);
        queue_note();
        tap(NEXT);
        queue_note();
        tap(card_centre(kind_past, 1));
        queue_note();
        tap(TABLE_MENU);
        tap(MENU_ITEM[6]); // about tarot
        queue_note();
        tap(ABOUT_BACK);
        tap(MENU_ITEM[7]); // the publisher pages
        queue_note();
        tap(PUBLISHER_NEXT);
        queue_note();
        headless_queue_quit();
    });
    const std::vector<std::string> expected = {
        "title Quarnel: Start, Exit",
        "title Quarnel: Start, Exit",
        "menu Menu: Desire, Today, Past, Love, Business, Money, About Tarot, About Quarnel, Exit",
        "shuffle Past: Deck, Next, Back",
        "shuffle Past shuffled: Deck, Next, Back",
        "table Past 0/3: card 1, card 2, card 3, Exit, Menu",
        "table Past 1/3 meaning: card 1, card 2, card 3, Up, Down, Exit, Menu",
        "about About Tarot: Back",
        "publisher About Quarnel page 1/2: Back, Next",
        "publisher About Quarnel page 2/2: Back, Menu",
    };
    ASSERT_EQ(answers.size(), expected.size());
    for (size_t i = 0; i < answers.size(); ++i) {
        EXPECT_EQ(answers[i].line, expected[i]) << i;
        if (i > 0) {
            EXPECT_EQ(answers[i].version == answers[i - 1].version, i == 1) << i;
        }
        const bool reading =
            answers[i].line.rfind("shuffle", 0) == 0 || answers[i].line.rfind("table", 0) == 0;
        EXPECT_EQ(answers[i].text.empty(), !reading) << "a reading's screens have its text";
    }
}

TEST(ScreenInfo, no_state_answers_none_and_an_empty_text) {
    headless_reset();
    ScreenInfo info;
    info.kind = SCREEN_MENU;
    ASSERT_EQ(screen_info(&info), 1);
    EXPECT_EQ(info.kind, SCREEN_NONE);
    EXPECT_STREQ(info.name, "");
    EXPECT_EQ(info.button_count, 0);
    char text[8] = "x";
    EXPECT_EQ(screen_reading_text(text, sizeof text), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(card_name(CARD_COUNT), nullptr);
    EXPECT_EQ(reading_name(screen_menu), nullptr);
}
