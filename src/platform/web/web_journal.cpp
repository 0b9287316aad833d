// web_journal.cpp -- the page's journal: each card table left with a card turned becomes an
// entry the page keeps in the browser's storage (journal.js), and the answers the journal
// panel asks of the journal library (src/journal): entries read from their Markdown,
// statistics, search, exports, notes, and readings drawn from the user's own deck
//
// The page calls the jw_ functions with UTF-8 strings; each answer stays valid until the next
// call. They read the program's tables and answers only, and change nothing the program
// draws or reads.

#include "platform/web/web.h"
#include "platform/common/common.h"
#include "platform/platform.h"
#include "journal/journal.h"
#include <emscripten.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>

// [SECTION] Keeping the readings the program deals

namespace {

ReadingWatch watch;

// The card texts the meanings of a reading drawn by hand come from, in the journal's
// language: its unpacked folder's (web_main.cpp), read once.
const std::string& card_texts() {
    static std::map<int32_t, std::string> texts;
    const int32_t language = journal_language();
    auto found = texts.find(language);
    if (found != texts.end()) return found->second;
    std::string& bytes = texts[language];
    const std::string path =
        language_install_dir(WEB_INSTALL_FOLDER, language) + "/picture/CardDB.dat";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    char piece[65536];
    for (size_t n; (n = std::fread(piece, 1, sizeof piece, file)) > 0;) bytes.append(piece, n);
    std::fclose(file);
    return bytes;
}

const char* source_name(int32_t source) {
    return source == SOURCE_OWN_DECK ? "own deck" : "dealt";
}

// What the page stores beside an entry's Markdown, to list, find and merge it without
// reading it again: {"readable", "key", "when", "kind", "line", "source", "lines", "problem"}.
std::string entry_info(const Journal& journal, size_t index) {
    const JournalEntry& entry = journal.entries[index];
    std::string out = "{\"index\":" + std::to_string(index) +
                      ",\"readable\":" + (entry.readable ? "true" : "false") +
                      ",\"key\":" + json_string(entry_key(journal, entry)) +
                      ",\"line\":" + json_string(entry_summary(journal, entry)) + ",\"lines\":[" +
                      std::to_string(entry.first_line) + "," + std::to_string(entry.last_line) +
                      "]";
    if (!entry.readable) return out + ",\"problem\":" + json_string(entry.problem) + "}";
    return out + ",\"when\":" + json_string(format_entry_date(entry.reading, entry.date)) +
           ",\"kind\":" + std::to_string(entry.reading) +
           ",\"language\":" + json_string(language_code(entry.language)) +
           ",\"source\":" + json_string(source_name(entry.source)) + "}";
}

// The info of one entry's Markdown; "null" when it is no journal.
std::string markdown_info(const std::string& markdown) {
    Journal journal;
    std::string error;
    if (!parse_journal(markdown, &journal, &error) || journal.entries.size() != 1) return "null";
    return entry_info(journal, 0);
}

void keep(const LeftReading& reading, int provisional) {
    const std::string entry =
        dealt_entry(reading.text, reading.language, local_date(std::time(nullptr)), "");
    web_journal_keep(entry.c_str(), markdown_info(entry).c_str(), provisional);
}

} // namespace

void web_watch_journal() {
    // The journal speaks the language the program speaks (the page's), also once it ends.
    set_journal_language(program_language());
    LeftReading left;
    if (watch_reading(&watch, &left)) keep(left, 0);
}

void web_finish_journal() {
    LeftReading left;
    if (finish_watching(&watch, &left)) keep(left, 0);
}

// [SECTION] The panel's questions

namespace {

Journal journals[2]; // 0: the journal kept in the browser; 1: a file to import
std::string answer, problem;
std::string incoming; // a journal's text, written by the page before jw_load reads it

const char* give(std::string text) {
    answer = std::move(text);
    return answer.c_str();
}

Journal* slot(int which) {
    return which == 1 ? &journals[1] : &journals[0];
}

JournalFilter filter_of(int kind, const char* from, const char* to, const char* words) {
    JournalFilter filter;
    filter.reading = kind;
    filter.has_from = from && parse_date(from, &filter.from, true);
    filter.has_to = to && parse_date(to, &filter.to, true);
    filter.words = words ? words : "";
    return filter;
}

} // namespace

extern "C" {

// Room for a journal's text of `size` bytes for slot 0 or 1, which the page writes there for
// jw_load: a journal of 10,000 entries is held once, not copied again, and the slot's old
// journal goes first.
EMSCRIPTEN_KEEPALIVE char* jw_buffer(int which, int size) {
    *slot(which) = Journal();
    incoming.assign(size_t(size > 0 ? size : 0), '\0');
    return &incoming[0];
}

// Reads the text the page wrote (jw_buffer) into slot 0 or 1; returns its entries, or -1
// (jw_problem says why).
EMSCRIPTEN_KEEPALIVE int jw_load(int which) {
    Journal* journal = slot(which);
    const int read = parse_journal(std::move(incoming), journal, &problem);
    incoming = std::string();
    return read ? int(journal->entries.size()) : -1;
}

EMSCRIPTEN_KEEPALIVE const char* jw_problem() {
    return problem.c_str();
}

// Every entry of a slot as JSON: [info, ...].
EMSCRIPTEN_KEEPALIVE const char* jw_entries(int which) {
    const Journal& journal = *slot(which);
    std::string out = "[";
    for (size_t i = 0; i < journal.entries.size(); ++i)
        out += (i ? "," : "") + entry_info(journal, i);
    return give(out + "]");
}

EMSCRIPTEN_KEEPALIVE const char* jw_entry_text(int which, int index) {
    const Journal& journal = *slot(which);
    if (index < 0 || size_t(index) >= journal.entries.size()) return give("");
    return give(entry_text(journal, journal.entries[size_t(index)]));
}

// One entry's Markdown read: {"info": what the page stores beside it, "entry": [the entry as
// export_json gives it]}; null when it is no entry.
EMSCRIPTEN_KEEPALIVE const char* jw_info(const char* markdown) {
    Journal journal;
    std::string error;
    if (!parse_journal(markdown ? markdown : "", &journal, &error) || journal.entries.size() != 1)
        return give("null");
    return give("{\"info\":" + entry_info(journal, 0) +
                ",\"entry\":" + export_json(journal, JournalFilter()) + "}");
}

// The entries of slot 0 a filter passes: [index, ...].
EMSCRIPTEN_KEEPALIVE const char* jw_matches(int kind, const char* from, const char* to,
                                            const char* words) {
    const Journal& journal = journals[0];
    const JournalFilter filter = filter_of(kind, from, to, words);
    std::string out = "[";
    bool first = true;
    for (size_t i = 0; i < journal.entries.size(); ++i) {
        if (!entry_matches(journal, journal.entries[i], filter)) continue;
        out += (first ? "" : ",") + std::to_string(i);
        first = false;
    }
    return give(out + "]");
}

// How often each card came up in the readings of slot 0 (the statistics' counts; cards of
// the day apart): {"readings", "counts": [78 numbers]}.
EMSCRIPTEN_KEEPALIVE const char* jw_card_counts() {
    const JournalStats stats = journal_stats(journals[0], JournalFilter());
    std::string out = "{\"readings\":" + std::to_string(stats.readings) + ",\"counts\":[";
    for (int32_t card = 0; card < 78; ++card)
        out += (card ? "," : "") + std::to_string(stats.upright[card] + stats.reversed[card]);
    return give(out + "]}");
}

EMSCRIPTEN_KEEPALIVE const char* jw_stats(int kind, const char* from, const char* to,
                                          const char* words) {
    return give(stats_json(journal_stats(journals[0], filter_of(kind, from, to, words))));
}

// Slot 0 as "markdown", "json" or "csv".
EMSCRIPTEN_KEEPALIVE const char* jw_export(const char* format) {
    const std::string kind = format ? format : "";
    const JournalFilter every;
    return give(kind == "json"  ? export_json(journals[0], every)
                : kind == "csv" ? export_csv(journals[0], every)
                                : export_markdown(journals[0], every));
}

// An entry's Markdown with its notes replaced; "" for an entry that cannot be read.
EMSCRIPTEN_KEEPALIVE const char* jw_with_notes(const char* markdown, const char* notes) {
    Journal journal;
    std::string error;
    if (!parse_journal(markdown ? markdown : "", &journal, &error) || journal.entries.size() != 1)
        return give("");
    return give(entry_with_notes(journal, journal.entries[0], notes ? notes : ""));
}

// The readings, their positions' questions and the cards' names in the journal's language,
// for the form that logs a reading drawn by hand and the list's lines: {"language", "card_of"
// ("Card {n} of {count}"), "reversed", "readings": [{"kind", "name", "questions": [...]}],
// "cards": [...]}.
EMSCRIPTEN_KEEPALIVE const char* jw_readings() {
    const int32_t language = journal_language();
    std::string out = "{\"language\":" + json_string(language_code(language)) +
                      ",\"card_of\":" + json_string(language_word(language, "text.card_of")) +
                      ",\"reversed\":" + json_string(language_word(language, "reversed")) +
                      ",\"card_of_the_day\":" + json_string(journal_kind_name(CARD_OF_THE_DAY)) +
                      ",\"readings\":[";
    char question[READING_TEXT_SIZE];
    for (int32_t i = 0; reading_kind(i); ++i) {
        const int32_t kind = reading_kind(i);
        out += std::string(i ? "," : "") + "{\"kind\":" + std::to_string(kind) +
               ",\"name\":" + json_string(journal_reading_name(kind)) + ",\"questions\":[";
        for (int32_t p = 0; p < reading_card_count(kind); ++p) {
            reading_question(language, kind, p, question, READING_TEXT_SIZE);
            out += (p ? "," : "") + json_string(question);
        }
        out += "]}";
    }
    out += "],\"cards\":[";
    for (int32_t card = 0; journal_card_name(card); ++card)
        out += (card ? "," : "") + json_string(journal_card_name(card));
    return give(out + "]}");
}

// A card as typed: {"card", "reversed"}, or {"card": -1, "error"}.
EMSCRIPTEN_KEEPALIVE const char* jw_match_card(const char* text) {
    int32_t reversed = 0;
    std::string error;
    const int32_t card = match_card(text ? text : "", &reversed, &error);
    if (card < 0) return give("{\"card\":-1,\"error\":" + json_string(error) + "}");
    return give("{\"card\":" + std::to_string(card) +
                ",\"reversed\":" + (reversed ? "true" : "false") + "}");
}

// Keeps a reading drawn from the user's own deck: cards "12r,-,40" (a card number, "r" when
// reversed, "-" for a position not drawn). Answers {"markdown", "info"} or {"error"}; the
// entry goes to the page as a dealt one does.
EMSCRIPTEN_KEEPALIVE const char* jw_log(int kind, const char* cards) {
    std::vector<DrawnCard> drawn;
    const std::string list = cards ? cards : "";
    size_t at = 0;
    while (at < list.size()) {
        size_t end = list.find(',', at);
        if (end == std::string::npos) end = list.size();
        const std::string word = list.substr(at, end - at);
        DrawnCard card;
        if (word != "-") {
            card.card = std::atoi(word.c_str());
            card.reversed = !word.empty() && word.back() == 'r';
        }
        drawn.push_back(card);
        at = end + 1;
    }
    EntryDraft draft;
    std::string error;
    const std::string& texts = card_texts();
    if (!drawn_entry(kind, drawn, local_date(std::time(nullptr)), "", texts.data(),
                     int32_t(texts.size()), &draft, &error))
        return give("{\"error\":" + json_string(error) + "}");
    const std::string entry = format_entry(draft);
    return give("{\"markdown\":" + json_string(entry) + ",\"info\":" + markdown_info(entry) + "}");
}

// The card of the day's entry, for its day ("2026-12-08"), card (0 to 77) and orientation, in
// the page's language (its code): {"markdown", "info"}, or null for a day or card that is
// none. Its meaning is a reading's, from the card texts a reading drawn by hand takes;
// `shown`, the text the page showed, where those have none.
EMSCRIPTEN_KEEPALIVE const char* jw_card_of_the_day(const char* day, int card, int reversed,
                                                    const char* shown, const char* code) {
    JournalDate date;
    if (!day || !parse_date(day, &date, true) || card < 0 || card >= 78) return give("null");
    const int32_t language = language_of_code(code ? code : "");
    if (language >= 0) set_journal_language(language); // the program may not have stepped yet
    const std::string& texts = card_texts();
    char meaning[READING_TEXT_SIZE];
    if (!card_meaning(journal_language(), texts.data(), int32_t(texts.size()), card, reversed,
                      meaning, READING_TEXT_SIZE))
        std::snprintf(meaning, sizeof meaning, "%s", shown ? shown : "");
    const std::string entry = format_entry(card_of_the_day_entry(date, card, reversed, meaning));
    return give("{\"markdown\":" + json_string(entry) + ",\"info\":" + markdown_info(entry) + "}");
}

// The page is hidden (and may not come back): a card table on display with a card turned is
// kept as it is now, for the page to replace when the table is left.
EMSCRIPTEN_KEEPALIVE void jw_page_hidden() {
    if (watch.table_seen) keep(watch.reading, 1);
}

} // extern "C"
