// reading_text_test.cpp -- the reading on screen as text, checked against the card texts'
// source files and the questions as a user reads them, for every reading; and the runner's
// `text` command, which must leave the program's frames exactly as they were

#include "test_support.h"
#include "platform/keep/keep.h"
#include "../tools/runner/script.h"
#include "../tools/runner/session.h"
#include <gtest/gtest.h>
#include <dirent.h>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// [SECTION] The independent expectation: the card texts' source files

struct SourceEntry {
    std::string label; // "Ace of Cups, upright", from the entry's heading
    std::string text;  // its lines joined, runs of blanks made one space
};

std::string collapse_blanks(const std::string& text) {
    std::istringstream in(text);
    std::string out, word;
    while (in >> word) out += (out.empty() ? "" : " ") + word;
    return out;
}

// Every "== N Name, orientation" entry of a language's tools/card_texts, by record number
// 2N + reversed (UTF-8, as the files hold them).
const std::map<int, SourceEntry>& source_entries(int32_t language = 0) {
    static std::map<int, SourceEntry> all[LANGUAGE_COUNT];
    std::map<int, SourceEntry>& entries = all[language];
    if (!entries.empty()) return entries;
    std::string folder = std::string(QUARNEL_SOURCE_DIR) + "/tools/card_texts";
    if (language != 0) folder += std::string("/") + language_code(language);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return entries;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name.size() < 5 || name.substr(name.size() - 4) != ".txt") continue;
        std::ifstream in(folder + "/" + name);
        int record = -1;
        for (std::string line; std::getline(in, line);) {
            if (line.compare(0, 3, "== ") == 0) {
                std::istringstream head(line.substr(3));
                int card = -1;
                head >> card;
                std::string label;
                std::getline(head, label);
                label = collapse_blanks(label);
                record = 2 * card + (label.find(", reversed") != std::string::npos ? 1 : 0);
                entries[record].label = label;
            } else if (record >= 0 && !line.empty() && line[0] != '#') {
                entries[record].text = collapse_blanks(entries[record].text + " " + line);
            }
        }
    }
    closedir(dir);
    return entries;
}

// The love spread's questions as a user reads them on the question board.
const char* const LOVE_QUESTIONS[10] = {
    "Does my lover care for me?",
    "Are we compatible?",
    "Do we have similar desires and goals?",
    "Is my lover faithful and true?",
    "Are we attracted to each other sexually only?",
    "Will my lover consider marriage?",
    "Does my lover have high standards and good values?",
    "Can we share out finances and material possessions?",
    "Will my lover stay with me or leave?",
    "What is the final outcome?",
};
const char* const READING_NAMES[6] = {"Desire", "Today", "Past", "Love", "Business", "Money"};

// [SECTION] Sessions that take the text between steps, as the clipboard does

struct Capture {
    std::string text;
    int32_t dealt[10];
};
std::vector<Capture> captures;

void capture_text(const std::string&) {
    Capture c;
    c.text = reading_as_text();
    std::memcpy(c.dealt, app_state->drawn_cards, sizeof c.dealt);
    captures.push_back(c);
}

void queue_capture() {
    headless_queue_call(capture_text, "");
}

int32_t kind_under_test = 0;

void queue_reading_with_last_card_turned() {
    tap(START);
    tap(MENU_ITEM[kind_under_test - 2]);
    queue_capture(); // the shuffle screen
    tap(DECK);
    tap(NEXT);
    queue_capture(); // every card face down
    tap(card_centre(kind_under_test, spread_size(kind_under_test) - 1));
    queue_capture(); // the last card turned
    tap(TABLE_MENU);
    queue_capture(); // the menu
}

std::vector<std::string> blocks_of(const std::string& text) {
    std::vector<std::string> blocks;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find("\n\n", at);
        if (end == std::string::npos) end = text.size();
        blocks.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return blocks;
}

} // namespace

// [SECTION] The text

TEST(ReadingText, love_reading_with_three_turned_cards_gives_questions_names_and_meanings) {
    ASSERT_EQ(source_entries().size(), 156u) << "the card texts' source files";
    captures.clear();
    run_program(data_dir(), [] {
        queue_love_reading_to_first_card();
        tap(card_centre(5, 1));
        tap(card_centre(5, 2));
        queue_capture();
    });
    ASSERT_EQ(captures.size(), 1u);
    const Capture& c = captures[0];
    std::string expected = "Love reading\n";
    for (int p = 0; p < 10; ++p) {
        expected += "\nCard " + std::to_string(p + 1) + " of 10: " + LOVE_QUESTIONS[p] + "\n";
        if (p < 3) {
            const SourceEntry& entry = source_entries().at(c.dealt[p]);
            ASSERT_EQ(entry.text.compare(0, entry.label.size() + 1, entry.label + "."), 0)
                << "the source text opens with its card's name and orientation";
            expected += entry.text + "\n";
        } else {
            expected += "Face down.\n";
        }
    }
    EXPECT_EQ(c.text, expected);
}

TEST(ReadingText, a_reading_in_another_language_names_its_cards_and_keeps_their_accents) {
    const int32_t spanish = language_of_code("es");
    ASSERT_EQ(source_entries(spanish).size(), 156u);
    captures.clear();
    run_program(language_dir(spanish), [] {
        queue_love_reading_to_first_card();
        tap(card_centre(5, 1));
        queue_capture();
    });
    ASSERT_EQ(captures.size(), 1u);
    const std::vector<std::string> blocks = blocks_of(captures[0].text);
    ASSERT_EQ(blocks.size(), 11u) << captures[0].text;
    EXPECT_EQ(blocks[0], "Lectura de Amor");
    // "Carta 1 de 10: ¿Le importo a mi pareja?", then the card's text as its file has it.
    EXPECT_EQ(blocks[1].rfind("Carta 1 de 10: \xC2\xBF", 0), 0u) << blocks[1];
    for (int p = 0; p < 2; ++p) {
        const SourceEntry& entry = source_entries(spanish).at(captures[0].dealt[p]);
        EXPECT_EQ(blocks[size_t(p + 1)].substr(blocks[size_t(p + 1)].find('\n') + 1), entry.text);
    }
    EXPECT_EQ(blocks[3], "Carta 3 de 10: \xC2\xBFTenemos deseos y metas parecidos?\nBoca abajo.");
}

TEST(ReadingText, every_reading_names_itself_and_lists_each_position_face_down_then_turned) {
    for (int32_t kind = 2; kind <= 7; ++kind) {
        SCOPED_TRACE(READING_NAMES[kind - 2]);
        const int32_t size = spread_size(kind);
        kind_under_test = kind;
        captures.clear();
        ASSERT_EQ(run_program(data_dir(), queue_reading_with_last_card_turned), 0);
        ASSERT_EQ(captures.size(), 4u);
        const std::string title = std::string(READING_NAMES[kind - 2]) + " reading";
        EXPECT_EQ(captures[0].text, title + "\n\nThe cards are not laid out yet.\n");
        EXPECT_EQ(captures[3].text, "") << "the menu is no reading";

        for (int turned = 0; turned < 2; ++turned) {
            std::vector<std::string> blocks = blocks_of(captures[1 + turned].text);
            ASSERT_EQ(blocks.size(), size_t(size) + 1);
            EXPECT_EQ(blocks[0], title);
            for (int32_t p = 0; p < size; ++p) {
                const std::string& block = blocks[size_t(p) + 1];
                std::string heading = block.substr(0, block.find('\n'));
                std::string body = block.substr(block.find('\n') + 1);
                if (size == 1) {
                    heading = "", body = block;
                } else {
                    std::string position =
                        "Card " + std::to_string(p + 1) + " of " + std::to_string(size);
                    EXPECT_EQ(heading.compare(0, position.size(), position), 0) << heading;
                    if (kind >= 5) { // love, business and money ask a question at each card
                        EXPECT_EQ(heading.compare(position.size(), 2, ": "), 0) << heading;
                        EXPECT_EQ(heading.back(), '?') << heading;
                        EXPECT_EQ(heading.find("  "), std::string::npos) << heading;
                    } else {
                        EXPECT_EQ(heading, position);
                    }
                }
                const bool turned_here = turned == 1 && p == size - 1;
                if (turned_here)
                    EXPECT_EQ(body, source_entries().at(captures[2].dealt[p]).text + "\n");
                else
                    EXPECT_EQ(body, p == size - 1 ? "Face down.\n" : "Face down.");
            }
        }
    }
}

TEST(ReadingText, questions_laid_out_over_two_board_lines_read_as_one_sentence) {
    // The money spread's questions run over both lines of the board, some words cut at
    // the line's end ("or" + "saving?").
    kind_under_test = 7;
    captures.clear();
    run_program(data_dir(), queue_reading_with_last_card_turned);
    ASSERT_EQ(captures.size(), 4u);
    const std::string& text = captures[1].text;
    EXPECT_NE(text.find("Card 1 of 8: Concerns regarding money?\n"), std::string::npos);
    EXPECT_NE(text.find("Card 3 of 8: How can I manifest money to make me happy?\n"),
              std::string::npos);
    EXPECT_NE(text.find("Card 6 of 8: New pans for financial investments or saving?\n"),
              std::string::npos);
    EXPECT_NE(text.find("Card 8 of 8: What special abilities do I have for making money?\n"),
              std::string::npos);
}

TEST(ReadingText, nothing_outside_a_reading_and_a_small_buffer_is_cut_not_overrun) {
    captures.clear();
    run_program(data_dir(), [] {
        queue_capture(); // the title screen
        tap(START);
        queue_capture(); // the menu
        queue_love_reading_to_first_card();
        queue_capture();
    });
    ASSERT_EQ(captures.size(), 3u);
    EXPECT_EQ(captures[0].text, "");
    EXPECT_EQ(captures[1].text, "");
    EXPECT_EQ(reading_text(nullptr, nullptr, 0), 0);

    // The same reading into a buffer of 20 bytes: the first 19 and a terminator, no more.
    AppState state = {};
    state.screen = 5;
    state.reading_shown = 0;
    char small[24];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(reading_text(&state, small, 20), 19);
    EXPECT_EQ(std::string(small), std::string("Love reading\n\nThe cards").substr(0, 19));
    EXPECT_EQ(small[20], 'x');
}

// [SECTION] The runner's `text` command

TEST(ReadingText, a_session_with_copies_between_its_taps_presents_the_same_frames) {
    // Copies on the shuffle screen, after each card (the next tap shows another card, or the
    // same card again from the buffers the copy must not touch), before scrolling and at the
    // end; the same session with an idle wait in each place must log the same frames.
    const std::string taps[] = {
        "tap 200 280", "tap 115 178", "@",           "tap 120 220", "tap 230 300",
        "@",           "tap 120 191", "@",           "tap 96 226",  "@",
        "tap 96 226",  "@",           "tap 230 137", "tap 230 137", "@",
        "tap 230 57",  "tap 120 191", "@",           "tap 230 300", "@",
    };
    std::string with_copies, without;
    int copies = 0;
    for (const std::string& line : taps) {
        if (line == "@") {
            with_copies += "text copy" + std::to_string(++copies) + "\n";
            without += "wait 0\n";
        } else {
            with_copies += line + "\n";
            without += line + "\n";
        }
    }
    RunnerOptions options;
    options.install_dir = data_dir();
    options.shots_dir = make_test_folder("texts");
    std::vector<ScriptCommand> commands;
    std::string error;

    ASSERT_EQ(parse_script(without, &commands, &error), 1) << error;
    ASSERT_EQ(run_session(options, commands, nullptr, nullptr), 0);
    std::vector<std::string> plain = headless_log();

    ASSERT_EQ(parse_script(with_copies, &commands, &error), 1) << error;
    ASSERT_EQ(run_session(options, commands, nullptr, nullptr), 0);
    std::vector<std::string> copied;
    int text_lines = 0;
    for (const std::string& line : headless_log()) {
        if (line.find(" text copy") != std::string::npos)
            text_lines++;
        else
            copied.push_back(line);
    }
    EXPECT_EQ(text_lines, copies);
    EXPECT_EQ(copied, plain);

    auto read = [&](int n) {
        std::ifstream in(options.shots_dir + "/copy" + std::to_string(n) + ".txt");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    EXPECT_EQ(read(1), "Love reading\n\nThe cards are not laid out yet.\n");
    EXPECT_NE(read(2).find("Card 1 of 10: Does my lover care for me?\nFace down."),
              std::string::npos);
    EXPECT_EQ(read(3).find("Does my lover care for me?\nFace down."), std::string::npos);
    EXPECT_NE(read(3).find("Are we compatible?\nFace down."), std::string::npos);
    EXPECT_EQ(read(4), read(5)) << "the same card tapped again";
    EXPECT_EQ(read(5), read(6)) << "scrolling changes no text";
    EXPECT_EQ(read(7), read(6));
    EXPECT_EQ(read(8), "") << "the menu";
}

TEST(ReadingText, text_command_is_parsed_like_shot) {
    std::vector<ScriptCommand> c;
    std::string error;
    ASSERT_EQ(parse_script("text love-1.a\n", &c, &error), 1) << error;
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].kind, script_text);
    EXPECT_EQ(c[0].name, "love-1.a");
    EXPECT_EQ(parse_script("text\n", &c, &error), 0);
    EXPECT_EQ(error, "script:1: text needs one name");
    EXPECT_EQ(parse_script("tap 1 1\ntext ../x\n", &c, &error), 0);
    EXPECT_EQ(error.compare(0, 34, "script:2: text name may hold only "), 0) << error;
}

// [SECTION] The record lookup of its own

TEST(ReadingText, own_record_lookup_reports_nothing_and_leaves_the_file_to_the_program) {
    std::string folder = make_test_folder("card_db");
    write_test_file(folder + "/CardDB.dat", std::string("head\r\n$First record.\r\n$Second one. "
                                                        "Two sentences.\r\n$"));
    headless_reset();
    AppState* state = new AppState();
    ASSERT_EQ(open_card_db(state, 0, wide_path(folder + "/CardDB.dat").c_str()), 1);
    char buffer[64];
    EXPECT_EQ(card_record(state->card_db_file, 1, buffer, sizeof buffer), 28);
    EXPECT_EQ(std::string(buffer, 28), "Second one. Two sentences.\r\n");
    EXPECT_EQ(card_record(state->card_db_file, 1, buffer, 6), 6) << "cut to the buffer";
    EXPECT_EQ(card_record(state->card_db_file, 2, buffer, sizeof buffer), 0) << "no such record";
    EXPECT_EQ(card_record(state->card_db_file, -1, buffer, sizeof buffer), 0);
    EXPECT_TRUE(headless_messages().empty()) << "a failed lookup of its own says nothing";
    EXPECT_NE(state->card_db_file, 0) << "and leaves the file open";

    // The program's own lookup after it reads as it would have.
    EXPECT_EQ(read_card_text(state, 0), 22) << "one row of 23 columns";
    EXPECT_EQ(std::string(state->wrapped_text, 13), "First record.");
    EXPECT_EQ(card_record(0, 0, buffer, sizeof buffer), 0) << "no file";
    close_file(state->card_db_file);
    delete state;
}

TEST(ReadingText, a_damaged_record_gives_plain_ascii_and_a_record_without_its_label_keeps_all) {
    std::string folder = make_test_folder("card_db");
    write_test_file(folder + "/CardDB.dat",
                    std::string("head\r\n$Fresh start.\r\n$The Fool, reversed.\x01Odd\xC3 "
                                "bytes\ttab.\x7F\r\n$"));
    headless_reset();
    AppState state = {};
    ASSERT_EQ(open_card_db(&state, 0, wide_path(folder + "/CardDB.dat").c_str()), 1);
    state.screen = 3; // today: one card, no question
    state.reading_shown = 1;
    state.table.turned_positions[0] = 1;
    char text[256];
    state.drawn_cards[0] = 1; // The Fool, reversed
    reading_text(&state, text, sizeof text);
    EXPECT_EQ(std::string(text), "Today reading\n\nThe Fool, reversed. Odd? bytes tab.?\n");
    state.drawn_cards[0] = 0; // The Fool, upright: its record does not name it
    reading_text(&state, text, sizeof text);
    EXPECT_EQ(std::string(text), "Today reading\n\nThe Fool, upright. Fresh start.\n");
    state.drawn_cards[0] = 40; // Judgement: no record at all, the name alone
    reading_text(&state, text, sizeof text);
    EXPECT_EQ(std::string(text), "Today reading\n\nJudgement, upright.\n");
    close_file(state.card_db_file);
}
