// journal_test.cpp -- the journal: entries the program deals and the user logs read back and
// written again byte for byte; a person's edits kept as notes or unreadable entries, never
// dropped; card names as people type them; statistics worked out by hand; quarnel-journal's
// commands and refusals; writes that fail and are made good later

#include "test_support.h"
#include "journal/journal.h"
#include "journal/journal_file.h"
#include "platform/keep/keep.h"
#include "../tools/journal/journal_tool.h"
#include "../tools/runner/script.h"
#include "../tools/runner/session.h"
#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// [SECTION] Helpers

Journal parsed(const std::string& text) {
    Journal journal;
    std::string error;
    EXPECT_EQ(parse_journal(text, &journal, &error), 1) << error;
    return journal;
}

// Every reading of the menu dealt, one or two cards turned, left by Menu; then Exit.
std::string every_reading_script() {
    std::string script = "tap 200 280\n";
    for (int k = 0; k < 6; ++k) {
        script += "tap " + std::to_string(MENU_ITEM[k].x) + " " + std::to_string(MENU_ITEM[k].y) +
                  "\ntap 120 220\ntap 230 300\nkey 1\n" + (k >= 2 ? "key 3\n" : "") +
                  "tap 230 300\n";
    }
    return script + "tap 10 300\n";
}

std::string play(const std::string& script, const std::string& journal, const std::string& deck) {
    RunnerOptions options;
    options.install_dir = data_dir();
    options.journal = journal;
    options.deck_dir = deck;
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_EQ(parse_script(script, &commands, &error), 1) << error;
    EXPECT_EQ(run_session(options, commands, nullptr, nullptr), 0);
    return read_test_file(journal);
}

struct Tool {
    int code;
    std::string out, err;
};

Tool tool(const std::vector<std::string>& words, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    int code = run_journal_tool(words, in, out, err);
    return {code, out.str(), err.str()};
}

std::string card_texts() {
    return read_test_file(data_dir() + "/picture/CardDB.dat");
}

// A journal worked out by hand (see the statistics test), with a title, notes, an unreadable
// entry and a reading drawn from the user's own deck.
const char HAND_JOURNAL[] =
    "# My readings\n"
    "\n"
    "## Past reading, 2026-01-30 21:15\n"
    "\n"
    "Card 1 of 3  \n"
    "The Fool, reversed. Meaning one.\n"
    "\n"
    "Card 2 of 3  \n"
    "Three of Cups, upright.\n"
    "\n"
    "Card 3 of 3  \n"
    "Ten of Swords, upright. Meaning three.\n"
    "\n"
    "## Desire reading, 2026-01-31 08:00\n"
    "\n"
    "the fool, upright. A lower-case name still names the card.\n"
    "Felt hopeful.\n"
    "\n"
    "## Love reading, 2026-02-01 19:00\n"
    "\n"
    "Card 1 of 10: Does my lover care for me?  \n"
    "The Tower, upright.\n"
    "\n"
    "A thought between the blocks.\n"
    "\n"
    "Card 2 of 10: Are we compatible?  \n"
    "Ace of Rods, reversed.\n"
    "\n"
    "Card 3 of 10  \nFace down.\n\nCard 4 of 10  \nFace down.\n\nCard 5 of 10  \nFace down.\n\n"
    "Card 6 of 10  \nFace down.\n\nCard 7 of 10  \nFace down.\n\nCard 8 of 10  \nFace down.\n\n"
    "Card 9 of 10  \nFace down.\n\nCard 10 of 10  \nFace down.\n"
    "\n"
    "## Past reading, 2026-02-02 10:00\n"
    "\n"
    "Card 1 of 3  \n"
    "The Foool, upright.\n"
    "\n"
    "## Today reading, 2026-02-03 07:30\r\n"
    "\r\n"
    "Drawn from my own deck.\r\n"
    "\r\n"
    "Three of Cups, reversed.\r\n"
    "\n"
    "## Money reading, 2026-04-02 12:00\n"
    "\n"
    "Card 1 of 8  \nAce of Pentacles, upright.\n\nCard 2 of 8  \nFace down.\n\n"
    "Card 3 of 8  \nFace down.\n\nCard 4 of 8  \nFace down.\n\nCard 5 of 8  \nFace down.\n\n"
    "Card 6 of 8  \nFace down.\n\nCard 7 of 8  \nFace down.\n\nCard 8 of 8  \nFace down.\n";

} // namespace

// [SECTION] Round trips

TEST(JournalFormat, every_entry_the_program_deals_or_the_user_logs_is_written_again_byte_for_byte) {
    const std::string folder = make_test_folder("journal_round_trip");
    // With the installed card texts, then with a deck's (the entry names the deck).
    const std::string deck = folder + "/deck";
    fs::create_directories(deck);
    write_test_file(deck + "/CardDB.dat", card_texts());
    std::string file = play(every_reading_script(), folder + "/journal.md", "");
    file = play(every_reading_script(), folder + "/journal.md", deck);
    const std::string texts = card_texts();
    for (int32_t i = 0; reading_kind(i); ++i) {
        EntryDraft drawn;
        std::string error;
        ASSERT_TRUE(drawn_entry(reading_kind(i), {{77, 1}, {NO_CARD, 0}, {0, 0}},
                                JournalDate{2026, 12, 7, 15, 3}, "", texts.data(),
                                int32_t(texts.size()), &drawn, &error) ||
                    reading_card_count(reading_kind(i)) < 3)
            << error;
        if (reading_card_count(reading_kind(i)) >= 3) file += "\n" + format_entry(drawn);
    }

    const Journal journal = parsed(file);
    ASSERT_EQ(journal.entries.size(), 16u);
    EXPECT_EQ(export_markdown(journal, JournalFilter()), file) << "every byte, in order";
    for (const JournalEntry& entry : journal.entries) {
        ASSERT_TRUE(entry.readable) << entry.problem;
        EXPECT_EQ(format_entry(entry_draft(journal, entry)), entry_text(journal, entry));
    }
    // What the entries hold: the deck in the second session, and the reading drawn by hand
    // as its spread, with the meanings a dealt card of the same value shows.
    const JournalEntry& dealt = journal.entries[6];
    EXPECT_EQ(span_text(journal, dealt.deck), deck);
    EXPECT_EQ(journal.entries[0].deck.size, 0u);
    const JournalEntry& love = journal.entries[13];
    EXPECT_EQ(love.reading, 5);
    EXPECT_EQ(love.source, SOURCE_OWN_DECK);
    ASSERT_EQ(love.position_count, 10u);
    const JournalPosition* p = entry_positions(journal, love);
    EXPECT_EQ(p[0].card, 77);
    EXPECT_EQ(p[0].reversed, 1);
    EXPECT_EQ(span_text(journal, p[0].question), "Does my lover care for me?");
    EXPECT_EQ(p[1].card, NO_CARD);
    EXPECT_EQ(p[1].not_drawn, 1);
    EXPECT_EQ(p[3].not_drawn, 1) << "positions past the cards given are not drawn";
    const std::string source = read_test_file(QUARNEL_SOURCE_DIR "/tools/card_texts/pentacles.txt");
    const size_t meaning = source.find("\nKing of Pentacles, reversed. ");
    ASSERT_NE(meaning, std::string::npos);
    EXPECT_NE(
        entry_text(journal, love)
            .find("Card 1 of 10: Does my lover care for me?  \n" + source.substr(meaning + 1, 40)),
        std::string::npos)
        << entry_text(journal, love);
}

TEST(JournalFormat, a_persons_edits_are_notes_or_unreadable_entries_and_nothing_is_dropped) {
    const Journal journal = parsed(HAND_JOURNAL);
    EXPECT_EQ(span_text(journal, journal.preamble), "# My readings\n\n");
    ASSERT_EQ(journal.entries.size(), 6u);
    // The entries' texts and the blank lines between them are the whole file.
    std::string whole = span_text(journal, journal.preamble);
    for (const JournalEntry& entry : journal.entries)
        whole += entry_text(journal, entry) + (&entry == &journal.entries.back() ? "" : "\n");
    EXPECT_EQ(whole, HAND_JOURNAL);

    const JournalEntry& desire = journal.entries[1];
    ASSERT_TRUE(desire.readable) << desire.problem;
    EXPECT_EQ(entry_positions(journal, desire)[0].card, 0);
    EXPECT_EQ(entry_draft(journal, desire).notes, "Felt hopeful.");
    const JournalEntry& love = journal.entries[2];
    ASSERT_TRUE(love.readable) << love.problem;
    EXPECT_EQ(entry_positions(journal, love)[1].card, 22) << "Rods are Wands";
    EXPECT_EQ(entry_draft(journal, love).notes, "A thought between the blocks.");

    const JournalEntry& broken = journal.entries[3];
    EXPECT_FALSE(broken.readable);
    EXPECT_EQ(broken.first_line, 53);
    EXPECT_EQ(broken.last_line, 56);
    EXPECT_EQ(broken.problem, "line 56: no card is named 'The Foool'; the nearest is 'The Fool'");
    EXPECT_EQ(entry_summary(journal, broken),
              "unreadable entry, lines 53-56: line 56: no card is named 'The Foool'; the nearest "
              "is 'The Fool'");
    EXPECT_EQ(entry_key(journal, broken), "");

    const JournalEntry& today = journal.entries[4];
    ASSERT_TRUE(today.readable) << "lines that end in CR LF: " << today.problem;
    EXPECT_EQ(today.source, SOURCE_OWN_DECK);
    EXPECT_EQ(entry_summary(journal, today), "Today: Three of Cups reversed");

    // Notes written from the page's field: a line that would start an entry does not.
    const std::string noted =
        entry_with_notes(journal, desire, "\n## Love reading, 2026-01-01 00:00\nMore.\n\n");
    const Journal again = parsed(noted);
    ASSERT_EQ(again.entries.size(), 1u);
    EXPECT_EQ(entry_draft(again, again.entries[0]).notes,
              "\\## Love reading, 2026-01-01 00:00\nMore.");
    EXPECT_EQ(entry_with_notes(again, again.entries[0], entry_draft(again, again.entries[0]).notes),
              noted);
    EXPECT_EQ(entry_with_notes(journal, broken, "x"), "") << "an unreadable entry takes no notes";
}

TEST(JournalFormat,
     blocks_that_cannot_be_read_make_unreadable_entries_and_foreign_files_are_refused) {
    const std::string heading = "## Past reading, 2026-01-30 21:15\n\n";
    const std::string three = "Card 1 of 3\nThe Fool, upright.\n\nCard 2 of 3\nDeath, upright.\n\n"
                              "Card 3 of 3\nThe Sun, reversed.\n";
    const struct {
        std::string text, problem;
    } cases[] = {
        {"## Past reading, yesterday\n",
         "line 1: the heading ends in no date and time (YYYY-MM-DD HH:MM)"},
        {"## Past reading, 2026-02-30 10:00\n",
         "line 1: the heading ends in no date and time (YYYY-MM-DD HH:MM)"},
        {"## Pst reading, 2026-01-30 21:15\n", "line 1: no reading is named 'Pst' (the readings: "
                                               "desire, today, past, love, business, money)"},
        {heading + "Card 1 of 3\nThe Fool, upright.\n", "line 4: position 2 of 3 is missing"},
        {heading + "Card 2 of 3\nThe Fool, upright.\n",
         "line 3: 'Card 2 of 3' where Card 1 of 3 was due"},
        {heading + "Card 1 of 3\n", "line 3: position 1 has no card"},
        {heading + "Card 1 of 3\nThe Fool sideways.\n",
         "line 4: 'The Fool sideways.' is not a card: a card's name with ', upright.' or ', "
         "reversed.', or 'Face down.'"},
        {heading + "Card 1 of 3\nThe Fool, upright.\n\nCard 2 of 3\nDeath, upright.\n\nCard 3 of "
                   "3\nThe Fool, reversed.\n",
         "lines 1-10: The Fool lies twice in one reading"},
    };
    for (const auto& c : cases) {
        const Journal journal = parsed(c.text + "\n" + heading + three);
        ASSERT_EQ(journal.entries.size(), 2u) << c.text;
        EXPECT_FALSE(journal.entries[0].readable) << c.text;
        EXPECT_EQ(journal.entries[0].problem, c.problem);
        EXPECT_TRUE(journal.entries[1].readable);
    }
    EXPECT_TRUE(parsed(heading + three).entries[0].readable);

    Journal journal;
    std::string error;
    EXPECT_EQ(
        parse_journal(std::string("## Past reading, 2026-01-30 21:15\n\0\n", 37), &journal, &error),
        0);
    EXPECT_EQ(error, "it is not text (a zero byte at offset 34)");
    EXPECT_EQ(parse_journal("# Quarnel\n\n## Install\n\nRun make.\n", &journal, &error), 0);
    EXPECT_EQ(error, "it is not a journal: no entry has a heading such as '## Love reading, "
                     "2026-12-07 15:03'");
    EXPECT_EQ(parse_journal("", &journal, &error), 1) << "an empty journal";
    EXPECT_EQ(parse_journal("# My readings\n\n", &journal, &error), 1) << "a title alone";
    EXPECT_TRUE(journal.entries.empty());
}

// [SECTION] Names

TEST(JournalNames, cards_match_by_any_case_and_common_other_names_and_else_suggest_the_nearest) {
    const struct {
        const char* typed;
        int32_t card, reversed;
    } cases[] = {
        {"The Fool", 0, 0},
        {"the fool reversed", 0, 1},
        {"THE FOOL, Upright.", 0, 0},
        {"fool (reversed)", 0, 1},
        {"Wheel of Fortune", 10, 0},
        {"The Wheel of Fortune", 10, 0},
        {"Judgment", 20, 0},
        {"judgement r", 20, 1},
        {"Ace of Coins", 64, 0},
        {"2  of  cups", 37, 0},
        {"Knight of Staves rev", 55 - 22, 1},
        {"The Universe", 21, 0},
        {"Queen of Disks", 76, 0},
        {"  The  Hanged   Man ", 12, 0},
        {"Knave of Cups", 46, 0},
        {"16 rev", 16, 1},
        {"El Loco, al rev\xC3\xA9s.", 0, 1},
        {"L\xE2\x80\x99\xC3\x89toile (invers\xC3\xA9)", 17, 1},
    };
    for (const auto& c : cases) {
        int32_t reversed = -1;
        std::string error;
        EXPECT_EQ(match_card(c.typed, &reversed, &error), c.card) << c.typed << ": " << error;
        EXPECT_EQ(reversed, c.reversed) << c.typed;
    }
    std::string error;
    EXPECT_EQ(match_card("Tree of Cups", nullptr, &error), -1);
    EXPECT_EQ(error, "no card is named 'Tree of Cups'; the nearest is 'Three of Cups'");
    EXPECT_EQ(match_card("Kniht of Pentacels", nullptr, &error), -1);
    EXPECT_EQ(error, "no card is named 'Kniht of Pentacels'; the nearest is 'Knight of Pentacles'");
    EXPECT_EQ(match_card("the fool reversed", nullptr, &error), -1)
        << "without room for an orientation, the word is part of the name";
    EXPECT_EQ(match_reading("LOVE", &error), 5);
    EXPECT_EQ(match_reading("money reading", &error), 7);
    EXPECT_EQ(match_reading("luck", &error), 0);
    EXPECT_EQ(
        error,
        "no reading is named 'luck' (the readings: desire, today, past, love, business, money)");
}

// [SECTION] Statistics

TEST(JournalStats, figures_of_a_small_journal_match_those_worked_out_by_hand) {
    // By hand: eight cards over five readings (the unreadable entry passed over): The Fool
    // twice (once reversed), Three of Cups twice (once reversed), Ten of Swords, The Tower,
    // Ace of Wands reversed, Ace of Pentacles. Major Arcana 3, Wands 1, Cups 2, Swords 1,
    // Pentacles 1, reversed 3.
    const Journal journal = parsed(HAND_JOURNAL);
    const JournalStats s = journal_stats(journal, JournalFilter());
    EXPECT_EQ(s.readings, 5);
    EXPECT_EQ(s.unreadable, 1);
    EXPECT_EQ(s.cards, 8);
    EXPECT_EQ(s.dealt, 4);
    EXPECT_EQ(s.own_deck, 1);
    EXPECT_EQ(format_date(s.first), "2026-01-30 21:15");
    EXPECT_EQ(format_date(s.last), "2026-04-02 12:00");
    EXPECT_EQ(s.upright[0], 1);
    EXPECT_EQ(s.reversed[0], 1);
    EXPECT_EQ(s.reversed[22], 1);
    EXPECT_EQ(s.top, (std::vector<int32_t>{0, 38, 16, 22, 59, 64}));
    EXPECT_DOUBLE_EQ(s.fair_count, 8.0 / 78);
    const int64_t counts[6] = {3, 1, 2, 1, 1, 3};
    const char* names[6] = {"Major Arcana", "Wands", "Cups", "Swords", "Pentacles", "Reversed"};
    ASSERT_EQ(s.shares.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(s.shares[i].name, names[i]);
        EXPECT_EQ(s.shares[i].count, counts[i]);
        EXPECT_EQ(s.shares[i].total, 8);
        EXPECT_FALSE(s.shares[i].far);
    }
    // Three reversed of eight at one half: every count but four is at most as likely.
    EXPECT_NEAR(s.shares[5].p_value, 1 - 70.0 / 256, 1e-12);
    EXPECT_EQ(s.months, (std::vector<std::pair<std::string, int64_t>>{
                            {"2026-01", 2}, {"2026-02", 2}, {"2026-03", 0}, {"2026-04", 1}}));
    EXPECT_EQ(s.longest_run, 3);
    EXPECT_EQ(format_date(s.run_first).substr(0, 10), "2026-01-30");
    EXPECT_EQ(format_date(s.run_last).substr(0, 10), "2026-02-01");

    JournalFilter love;
    love.reading = 5;
    EXPECT_EQ(journal_stats(journal, love).cards, 2);
    JournalFilter february;
    february.has_from = february.has_to = true;
    parse_date("2026-02-01", &february.from, true);
    parse_date("2026-02-28", &february.to, true);
    const JournalStats f = journal_stats(journal, february);
    EXPECT_EQ(f.readings, 2);
    EXPECT_EQ(f.unreadable, 0) << "an unreadable entry has no date to pass a range";
}

TEST(JournalStats, a_card_of_the_day_is_read_and_written_again_and_counted_apart_from_readings) {
    JournalDate day;
    parse_date("2026-12-08", &day, true);
    const std::string english =
        format_entry(card_of_the_day_entry(day, 17, 0, " Hope returns,\n  quietly. "));
    EXPECT_EQ(english,
              "## Card of the day, 2026-12-08\n\nThe Star, upright. Hope returns, quietly.\n");
    set_journal_language(1);
    const std::string spanish = format_entry(card_of_the_day_entry(day, 16, 1, ""));
    set_journal_language(0);
    EXPECT_EQ(spanish, "## Carta del día, 2026-12-08\n\nIdioma: Español\n\nLa Torre, al revés.\n");

    // Beside the readings worked out by hand: read back byte for byte, listed and found, and
    // left out of every reading's figure.
    const std::string text = std::string(HAND_JOURNAL) + "\n" + english + "\n" + spanish;
    const Journal journal = parsed(text);
    ASSERT_EQ(journal.entries.size(), 8u);
    for (size_t i : {6u, 7u}) {
        const JournalEntry& entry = journal.entries[i];
        ASSERT_TRUE(entry.readable) << entry.problem;
        EXPECT_EQ(entry.reading, CARD_OF_THE_DAY);
        EXPECT_EQ(format_entry(entry_draft(journal, entry)), entry_text(journal, entry));
    }
    EXPECT_EQ(entry_summary(journal, journal.entries[7]), "Card of the day: The Tower reversed");
    const JournalStats s = journal_stats(journal, JournalFilter());
    const JournalStats readings = journal_stats(parsed(HAND_JOURNAL), JournalFilter());
    EXPECT_EQ(s.cards_of_the_day, 2);
    std::string json = stats_json(s);
    const std::string days = ",\"cards_of_the_day\":2";
    ASSERT_NE(json.find(days), std::string::npos);
    json.replace(json.find(days), days.size(), ",\"cards_of_the_day\":0");
    EXPECT_EQ(json, stats_json(readings)) << "every reading's figure is as without them";
    EXPECT_NE(stats_table(s).find("2 cards of the day kept, counted apart from the readings"),
              std::string::npos);

    const std::string file = make_test_folder("journal_day") + "/journal.md";
    write_test_file(file, text);
    EXPECT_EQ(tool({"--journal", file, "list", "--from", "2026-12-01"}).out,
              "8  2026-12-08        Card of the day: The Tower reversed\n"
              "7  2026-12-08        Card of the day: The Star\n");
    EXPECT_EQ(tool({"--journal", file, "search", "the", "star"}).out,
              "7  2026-12-08        Card of the day: The Star\n");
    EXPECT_EQ(tool({"--journal", file, "show", "8"}).out, spanish);
}

TEST(JournalStats,
     the_binomial_test_matches_sums_worked_out_by_hand_and_notes_a_share_far_from_chance) {
    EXPECT_NEAR(binomial_p_value(9, 10, 0.5), 22.0 / 1024, 1e-12);
    EXPECT_NEAR(binomial_p_value(7, 10, 0.5), 352.0 / 1024, 1e-12);
    EXPECT_DOUBLE_EQ(binomial_p_value(5, 10, 0.5), 1);
    // Three cards at 22/78: all three majors is the least likely count; none is likelier
    // than two or three, less likely than one.
    EXPECT_NEAR(binomial_p_value(3, 3, 22.0 / 78), 10648.0 / 474552, 1e-12);
    EXPECT_NEAR(binomial_p_value(0, 3, 22.0 / 78), 267576.0 / 474552, 1e-12);
    EXPECT_LT(binomial_p_value(40000, 60000, 22.0 / 78), 1e-300);
    EXPECT_GT(binomial_p_value(16923, 60000, 22.0 / 78), 0.9);

    // Thirty past readings of three majors each: ninety majors of ninety cards.
    std::string text;
    for (int day = 1; day <= 30; ++day) {
        EntryDraft draft;
        draft.reading = 4;
        draft.date = JournalDate{2026, 6, day, 9, 0};
        for (int p = 0; p < 3; ++p) {
            EntryDraft::Position position;
            position.card = (day + p * 7) % 22;
            position.reversed = (day + p) % 2;
            draft.positions.push_back(position);
        }
        text += (text.empty() ? "" : "\n") + format_entry(draft);
    }
    const JournalStats s = journal_stats(parsed(text), JournalFilter());
    EXPECT_EQ(s.longest_run, 30);
    EXPECT_TRUE(s.shares[0].far);
    EXPECT_FALSE(s.shares[5].far) << "half of them reversed";
    const std::string table = stats_table(s);
    EXPECT_NE(table.find("  Major Arcana: 100.0% of your 90 cards, against 28.2% from a fair "
                         "shuffle. Chance alone\n"
                         "  lands this far above 28.2% less than once in 100 journals of this size "
                         "(p < 0.0001).\n"),
              std::string::npos)
        << table;
    const std::string json = stats_json(s);
    EXPECT_NE(json.find("{\"name\":\"Major Arcana\",\"count\":90,\"total\":90,"),
              std::string::npos);
    EXPECT_NE(json.find("\"far\":true"), std::string::npos);
    EXPECT_NE(
        json.find("\"longest_run\":{\"days\":30,\"from\":\"2026-06-01\",\"to\":\"2026-06-30\"}"),
        std::string::npos);
}

// [SECTION] Search and export

TEST(JournalExport, search_finds_cards_by_name_and_orientation_and_words_anywhere) {
    const Journal journal = parsed(HAND_JOURNAL);
    auto found = [&](const std::string& words) {
        JournalFilter filter;
        filter.words = words;
        std::vector<size_t> hits;
        for (size_t i = 0; i < journal.entries.size(); ++i)
            if (entry_matches(journal, journal.entries[i], filter)) hits.push_back(i);
        return hits;
    };
    EXPECT_EQ(found("the fool"), (std::vector<size_t>{0, 1}));
    EXPECT_EQ(found("Fool reversed"), (std::vector<size_t>{0}));
    EXPECT_EQ(found("ace of wands"), (std::vector<size_t>{2}));
    EXPECT_EQ(found("HOPEFUL"), (std::vector<size_t>{1})) << "a note";
    EXPECT_EQ(found("compatible lover"), (std::vector<size_t>{2})) << "a question, every word";
    EXPECT_EQ(found("foool"), (std::vector<size_t>{3})) << "an unreadable entry's text";
    EXPECT_TRUE(found("Three of Cups reversed Tower").empty());

    const std::string csv = export_csv(journal, JournalFilter());
    EXPECT_EQ(csv.substr(0, csv.find('\n') + 1),
              "entry,date,time,language,reading,source,deck,position,question,card,name,"
              "orientation,meaning\r\n");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 9) << "a header and the 8 cards";
    EXPECT_NE(
        csv.find(
            "3,2026-02-01,19:00,en,Love,dealt,,2,Are we compatible?,22,Ace of Wands,reversed,\r\n"),
        std::string::npos)
        << csv;
    const std::string json = export_json(journal, JournalFilter());
    EXPECT_NE(json.find("\"readable\":false,\"problem\":\"line 56: no card is named 'The Foool'"),
              std::string::npos);
    EXPECT_NE(json.find("\"notes\":\"Felt hopeful.\""), std::string::npos);
    EXPECT_EQ(json_string("a\"b\\\n\x01\xff\xc3\xa9"),
              "\"a\\\"b\\\\\\n\\u0001\xEF\xBF\xBD\xc3\xa9\"");
}

// [SECTION] quarnel-journal

TEST(JournalTool, lists_shows_searches_counts_and_exports_the_journal_newest_first) {
    const std::string folder = make_test_folder("journal_tool");
    const std::string file = folder + "/journal.md";
    write_test_file(file, std::string(HAND_JOURNAL));
    Tool list = tool({"--journal", file, "list"});
    EXPECT_EQ(list.code, 0);
    EXPECT_EQ(list.out,
              "6  2026-04-02 12:00  Money: Ace of Pentacles\n"
              "5  2026-02-03 07:30  Today: Three of Cups reversed  (own deck)\n"
              "4  unreadable entry, lines 53-56: line 56: no card is named 'The Foool'; the "
              "nearest is 'The Fool'\n"
              "3  2026-02-01 19:00  Love: The Tower, Ace of Wands reversed\n"
              "2  2026-01-31 08:00  Desire: The Fool\n"
              "1  2026-01-30 21:15  Past: The Fool reversed, Three of Cups, Ten of Swords\n");
    EXPECT_EQ(tool({"list", "--journal=" + file, "--reading", "past"}).out,
              "1  2026-01-30 21:15  Past: The Fool reversed, Three of Cups, Ten of Swords\n");
    EXPECT_EQ(tool({"--journal", file, "list", "--from", "2026-02-02", "--to", "2026-03-01"}).out,
              "5  2026-02-03 07:30  Today: Three of Cups reversed  (own deck)\n");
    EXPECT_EQ(tool({"--journal", file, "show", "2"}).out.substr(0, 35),
              "## Desire reading, 2026-01-31 08:00");
    Tool unreadable = tool({"--journal", file, "show", "4"});
    EXPECT_EQ(unreadable.out.substr(0, 40), "Entry 4 cannot be read (lines 53-56): li");
    EXPECT_EQ(tool({"--journal", file, "search", "Three", "of", "Cups"}).out.substr(0, 3), "5  ");
    Tool none = tool({"--journal", file, "search", "Empress"});
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.err, "quarnel-journal: no entry holds 'Empress'\n");
    Tool stats = tool({"--journal", file, "stats", "--json"});
    EXPECT_EQ(stats.out.substr(0, 50),
              "{\"readings\":5,\"unreadable\":1,\"dealt\":4,\"own_deck\":");
    EXPECT_EQ(tool({"--journal", file, "export", "--format", "csv"}).out,
              export_csv(parsed(HAND_JOURNAL), JournalFilter()));
    EXPECT_EQ(read_test_file(file), HAND_JOURNAL) << "reading never rewrites the journal";

    const struct {
        std::vector<std::string> words;
        int code;
        std::string message;
    } wrong[] = {
        {{"list", "--colour"}, 2, "unknown option '--colour'"},
        {{"dance"}, 2, "unknown command 'dance'"},
        {{}, 2, "no command given"},
        {{"list", "--reading", "luck"},
         2,
         "no reading is named 'luck' (the readings: desire, today, past, love, business, money)"},
        {{"list", "--from", "2026-13-01"}, 2, "--from needs a day as YYYY-MM-DD, not '2026-13-01'"},
        {{"export", "--format", "pdf"}, 2, "--format is markdown, json or csv, not 'pdf'"},
        {{"show", "x"}, 2, "show needs an entry number (1 up), not 'x'"},
        {{"show", "7"}, 1, "no entry 7: the journal holds 6"},
        {{"--journal", folder + "/none.md", "list"},
         1,
         "no journal at " + folder +
             "/none.md yet: play a reading in quarnel, or log one with 'quarnel-journal log'"},
        {{"--journal", QUARNEL_SOURCE_DIR "/README.md", "list"},
         1,
         QUARNEL_SOURCE_DIR "/README.md: it is not a journal: no entry has a heading such as '## "
                            "Love reading, 2026-12-07 15:03'"},
    };
    for (const auto& w : wrong) {
        std::vector<std::string> words = w.words;
        if (words.size() && words[0] != "--journal")
            words.insert(words.begin(), {"--journal", file});
        Tool run = tool(words);
        EXPECT_EQ(run.code, w.code) << run.err;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "quarnel-journal: " + w.message);
    }
    EXPECT_EQ(tool({"--version"}).out, "quarnel-journal 1.0\n");
    EXPECT_NE(tool({"--help"}).out.find("  log READING [CARD]...\n"), std::string::npos);
    // Every language's help names the readings and the languages: no placeholder left.
    for (int32_t language = 0; language < language_count(); ++language) {
        const std::string help = tool({"--language", language_code(language), "--help"}).out;
        EXPECT_EQ(help.find('{'), std::string::npos) << help;
        EXPECT_NE(help.find(language_code(language)), std::string::npos);
    }
    set_journal_language(0);
}

TEST(JournalTool, logs_a_drawn_reading_from_words_or_answers_and_refuses_what_a_deck_cannot_give) {
    const std::string folder = make_test_folder("journal_log");
    ScopedVariable data_home("XDG_DATA_HOME", folder + "/data");
    const std::string file = folder + "/data/quarnel/journal.md";
    Tool logged = tool({"--install-dir", data_dir(), "log", "past", "Three of Cups",
                        "the fool reversed", "Ten of Swords"});
    ASSERT_EQ(logged.code, 0) << logged.err;
    EXPECT_EQ(logged.err, "quarnel-journal: logged as entry 1 of " + file + "\n")
        << "the default journal, its folders made";
    EXPECT_EQ(read_test_file(file), logged.out);

    // Asked in the terminal: a wrong name and a card drawn twice are asked again.
    Tool asked = tool({"--install-dir", data_dir(), "log", "today"}, "");
    EXPECT_EQ(asked.code, 1);
    EXPECT_EQ(asked.err, "quarnel-journal: no reading was logged (the input ended)\n");
    asked = tool({"--install-dir", data_dir(), "log", "past"}, "Tree of Cups\nDeath\n\ndeath r\n");
    EXPECT_EQ(asked.code, 1) << "the third position was never answered";
    asked =
        tool({"--install-dir", data_dir(), "log", "past"}, "Tree of Cups\nDeath\ndeath r\n\n\n");
    ASSERT_EQ(asked.code, 0) << asked.err;
    EXPECT_NE(asked.out.find("\nCard 1 of 3\n> no card is named 'Tree of Cups'; the nearest is "
                             "'Three of Cups'\n\nCard 1 of 3\n> \nCard 2 of 3\n> Death is drawn "
                             "already (position 1); a deck holds each card once\n"),
              std::string::npos)
        << asked.out;
    const Journal journal = parsed(read_test_file(file));
    ASSERT_EQ(journal.entries.size(), 2u);
    EXPECT_EQ(entry_summary(journal, journal.entries[1]), "Past: Death");
    EXPECT_EQ(entry_positions(journal, journal.entries[1])[1].not_drawn, 1);

    const struct {
        std::vector<std::string> cards;
        std::string message;
    } refused[] = {
        {{"desire", "The Sun", "The Moon"}, "the Desire reading has 1 position, not 2"},
        {{"past", "The Sun", "the sun reversed"},
         "The Sun is drawn twice (positions 1 and 2); a deck holds each card once"},
        {{"past", "-", "-"}, "no card is drawn"},
        {{"past", "Tree of Cups"},
         "no card is named 'Tree of Cups'; the nearest is 'Three of Cups'"},
        {{"luck", "The Sun"},
         "no reading is named 'luck' (the readings: desire, today, past, love, business, money)"},
    };
    for (const auto& r : refused) {
        std::vector<std::string> words = {"--install-dir", data_dir(), "log"};
        words.insert(words.end(), r.cards.begin(), r.cards.end());
        Tool run = tool(words);
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "quarnel-journal: " + r.message);
    }
    EXPECT_EQ(parsed(read_test_file(file)).entries.size(), 2u) << "nothing refused was written";

    // A journal that cannot be written: said, and the file as it was.
    const std::string before = read_test_file(file);
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    Tool blocked = tool({"--install-dir", data_dir(), "log", "today", "The Star"});
    EXPECT_EQ(blocked.code, 1);
    EXPECT_EQ(blocked.err, "quarnel-journal: cannot write the journal " + file +
                               ": the file is read-only; nothing was written\n");
    EXPECT_EQ(read_test_file(file), before);
}

TEST(JournalTool, import_appends_the_entries_the_journal_lacks_and_lists_the_unreadable_ones) {
    const std::string folder = make_test_folder("journal_import");
    const std::string file = folder + "/journal.md", phone = folder + "/phone.md";
    const Journal hand = parsed(HAND_JOURNAL);
    // The desktop journal holds the first two entries; the phone's export all six.
    write_test_file(file,
                    entry_text(hand, hand.entries[0]) + "\n" + entry_text(hand, hand.entries[1]));
    write_test_file(phone, std::string(HAND_JOURNAL));
    Tool run = tool({"--journal", file, "import", phone});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "Added 3, skipped 2 already in the journal, 1 unreadable (not added).\n");
    EXPECT_EQ(run.err, "quarnel-journal: " + phone +
                           ": unreadable entry, lines 53-56: line 56: no "
                           "card is named 'The Foool'; the nearest is 'The Fool'\n");
    const Journal merged = parsed(read_test_file(file));
    ASSERT_EQ(merged.entries.size(), 5u);
    for (const JournalEntry& entry : merged.entries) EXPECT_TRUE(entry.readable);
    EXPECT_EQ(tool({"--journal", file, "import", phone}).out,
              "Added 0, skipped 5 already in the journal, 1 unreadable (not added).\n");
    Tool foreign = tool({"--journal", file, "import", QUARNEL_SOURCE_DIR "/LICENSE"});
    EXPECT_EQ(foreign.code, 1);
    EXPECT_NE(foreign.err.find("it is not a journal"), std::string::npos);
}

// [SECTION] The desktop's journal

TEST(JournalKeep, entries_a_failed_write_could_not_keep_are_written_with_the_next_that_succeeds) {
    const std::string folder = make_test_folder("journal_waiting");
    const std::string file = folder + "/journal.md";
    write_test_file(file, std::string("# Readings"));
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    const std::string desire = "Desire reading\n\nThe Star, upright. Hope.\n";
    const std::string past = "Past reading\n\nCard 1 of 3\nThe Sun, upright.\n\nCard 2 of 3\n"
                             "Face down.\n\nCard 3 of 3\nFace down.\n";
    testing::internal::CaptureStderr();
    journal_open(file, "", false);
    EXPECT_EQ(journal_append(desire, 0, 1796000000), 0);
    EXPECT_EQ(journal_waiting(), 1);
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    EXPECT_EQ(journal_append(past, 0, 1796000060), 1);
    journal_finish();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quarnel: cannot write the journal " + file +
                  ": the file is read-only; the readings are kept in memory until it can be "
                  "written\nquarnel: the journal " +
                  file + " is written again (2 readings)\n");
    const Journal journal = parsed(read_test_file(file));
    ASSERT_EQ(journal.entries.size(), 2u) << "both, in order, after a blank line";
    EXPECT_EQ(span_text(journal, journal.preamble), "# Readings\n\n");
    EXPECT_EQ(entry_summary(journal, journal.entries[0]), "Desire: The Star");
    EXPECT_EQ(entry_summary(journal, journal.entries[1]), "Past: The Sun");
    EXPECT_EQ(journal.entries[0].date.year, local_date(1796000000).year);

    // A write that never succeeds: the readings are printed at the end, whole.
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    testing::internal::CaptureStderr();
    journal_open(file, "", false);
    journal_append(desire, 0, 1796000000);
    journal_finish();
    const std::string said = testing::internal::GetCapturedStderr();
    const std::string tail = "quarnel: 1 reading could not be written to the journal " + file +
                             "; here it is, to keep by hand:\n\n";
    ASSERT_NE(said.find(tail), std::string::npos) << said;
    const Journal printed = parsed(said.substr(said.find(tail) + tail.size()));
    ASSERT_EQ(printed.entries.size(), 1u);
    EXPECT_TRUE(printed.entries[0].readable);
}

TEST(JournalKeep, the_default_journal_makes_its_folders_and_says_where_at_its_first_write) {
    const std::string folder = make_test_folder("journal_default");
    ScopedVariable data_home("XDG_DATA_HOME", folder + "/data");
    EXPECT_EQ(default_journal_path(), folder + "/data/quarnel/journal.md");
    {
        ScopedVariable relative("XDG_DATA_HOME", "data");
        ScopedVariable home("HOME", folder + "/home");
        EXPECT_EQ(default_journal_path(), folder + "/home/.local/share/quarnel/journal.md");
    }
    testing::internal::CaptureStderr();
    journal_open(default_journal_path(), "", true);
    EXPECT_FALSE(fs::exists(folder + "/data")) << "nothing made before a reading is kept";
    journal_append("Today reading\n\nThe Moon, reversed.\n", 0, 1796000000);
    journal_append("Today reading\n\nThe Sun, upright.\n", 0, 1796000100);
    journal_finish();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quarnel: the readings are kept in " + folder +
                  "/data/quarnel/journal.md (--no-journal keeps none)\n");
    EXPECT_EQ(parsed(read_test_file(default_journal_path())).entries.size(), 2u);
    struct stat st;
    ASSERT_EQ(stat((folder + "/data/quarnel").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}
