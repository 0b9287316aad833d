// journal.h -- the journal of readings: one Markdown format (docs/journal.md), read and
// written here for the desktop program, quarnel-journal and the web page alike
//
// A layer above the program: it knows the cards, the readings, the languages and the words
// of a reading's text only through platform.h's answers (language_card_name, reading_name_in,
// language_word, card_of_name, ...), and asks nothing else of the program. Parsing is
// tolerant and loses nothing: every byte of a journal belongs to its preamble or to one
// entry, readable or not.

#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// [SECTION] Languages and words
//
// An entry is written in one of the program's languages (platform.h's languages: 0 English,
// then "es", "pt", ...): its heading, the words of its blocks and its card names, as the
// program of that language writes its reading's text. What the journal says to the person
// reading it (summaries, statistics, messages) and the entries it makes (a reading drawn by
// hand) are in the journal's language: quarnel-journal's, the page's or the program's.

// The journal's language (English until set); a language the program lacks is English.
void set_journal_language(int32_t language);
int32_t journal_language();

// "The Fool" .. "King of Pentacles", and "Love", in the journal's language.
const char* journal_card_name(int32_t card);
const char* journal_reading_name(int32_t kind);

// A row of the words table ("journal.no_card") in the journal's language, each "{name}" of it
// filled with the value given for name; numbers as the language writes them (number_text).
struct JournalFilling {
    const char* name;
    std::string value;
};
std::string journal_words_of(const char* key, std::initializer_list<JournalFilling> fillings = {});
// The row for a count: its "_one" row when count is 1 ("journal.readings_one"), else the row
// itself, with "{n}" filled with the count and the fillings given.
std::string journal_count_words(const char* key, int64_t count,
                                std::initializer_list<JournalFilling> fillings = {});
// A number with `decimals` decimals, and a share as a percentage ("29.9%", "29,9 %"), as the
// journal's language writes them.
std::string number_text(double value, int decimals);
std::string percent_text(double share);

// The fixed words of an entry in one language: the reading's text's (the words table's
// "text.reading", "text.card_of", "upright", "reversed" and "text.face_down") and the
// journal's own.
struct JournalWords {
    int32_t language = 0;
    std::string reading_before; // "Lectura de ": before the reading's name in the heading
    std::string reading_after;  // " reading": after it
    std::string card;           // "Card ", before the position's number
    std::string of;             // " of ", between the position's number and the spread's size
    std::string upright;        // "upright"
    std::string reversed;       // "reversed"
    std::string face_down;      // "Face down." (a dealt card left face down)
    std::string not_drawn;      // "Not drawn." (a position left empty in a reading drawn by hand)
    std::string own_deck;       // "Drawn from my own deck."
    std::string deck;          // "Deck: ", before the folder of a deck other than the installed one
    std::string language_line; // "Idioma: Español": the line that says an entry's language; ""
                               // for English, whose entries say none
};
// The words of a language (English for a language the program lacks).
const JournalWords& journal_words(int32_t language);
// "Card of the day" in a language (English for one the program lacks), the name the page and
// quarnel-cards give it (the words table's "cards.of_the_day"): the heading of a
// card-of-the-day entry, before its date.
const std::string& card_of_the_day_words(int32_t language);

// [SECTION] Names a person writes

// The card a person means by `text`: a card's name in any of the program's languages, or one
// of its other names ("Judgment", "Ace of Coins", "2 of cups", "the wheel of fortune", "el
// ahorcado"), any case, accents or none, blanks as they come. With `reversed` given, a
// trailing orientation is read too ("the fool reversed", "El Loco, al revés.") into *reversed
// (0 without one) and, when `oriented` is given, whether there was one. Returns the card (0
// to 77), or -1 with a message naming the word and the nearest card name in *error.
int32_t match_card(const std::string& text, int32_t* reversed, std::string* error,
                   bool* oriented = nullptr);
// The card name nearest to text (platform.h's nearest_card_names), in the language it is
// nearest in.
std::string nearest_card_name(const std::string& text);
// The readings' names in the journal's language, in lower case: "desire, today, past, ...".
std::string reading_names();
// A reading's kind from its name in any language ("love", "Love reading", "amor"), any case;
// 0 with a message listing the readings in *error.
int32_t match_reading(const std::string& text, std::string* error);

// [SECTION] Entries as written

// A local date and time to the minute, as the headings give it.
struct JournalDate {
    int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
};
// "2026-12-07 15:03".
std::string format_date(const JournalDate& date);
// Reads "YYYY-MM-DD HH:MM", or with `date_only` "YYYY-MM-DD" (the time 00:00); 1/0. The day
// must exist (2026-02-30 does not).
int parse_date(const std::string& text, JournalDate* date, bool date_only);
// Days since 1970-01-01 of the date's day.
int64_t day_number(const JournalDate& date);
// The local date and time of a moment.
JournalDate local_date(int64_t unix_seconds);

enum : int32_t { NO_CARD = -1 };
// The kind of a card-of-the-day entry: one card the day gave, kept once a day beside the
// readings (whose kinds are 2 to 7) but no reading of the user's.
enum : int32_t { CARD_OF_THE_DAY = 1 };
// The positions of an entry of a kind: a reading's spread, 1 for a card of the day, 0 for none.
int32_t kind_card_count(int32_t kind);
// An entry's kind by name in a language ("Love", "Card of the day"); null for none.
const char* kind_name_in(int32_t language, int32_t kind);
// ... in the journal's language.
const char* journal_kind_name(int32_t kind);
// The date as an entry of the kind's heading gives it: "2026-12-07 15:03", or the day alone
// ("2026-12-08") for a card of the day.
std::string format_entry_date(int32_t kind, const JournalDate& date);
enum JournalSource : int32_t {
    SOURCE_DEALT = 0,    // dealt by Quarnel
    SOURCE_OWN_DECK = 1, // drawn by hand from the user's own deck, then logged
};

// One entry in owned strings: what the program and the logging of a reading make, and what
// format_entry writes.
struct EntryDraft {
    struct Position {
        int32_t card = NO_CARD; // 0 to 77, or NO_CARD
        int32_t reversed = 0;
        int32_t not_drawn = 0; // NO_CARD only: 1 "Not drawn.", 0 "Face down."
        std::string question;  // "" where the reading has none
        std::string meaning;   // the card's meaning, "" when it has none
    };
    int32_t reading = 0;  // its kind: a reading's, or CARD_OF_THE_DAY
    int32_t language = 0; // the language it is written in
    JournalDate date;
    int32_t source = SOURCE_DEALT;
    std::string deck; // the deck's folder when it is not the installed one
    std::vector<Position> positions;
    std::string notes; // the user's own lines, kept as written
};

// Its heading without the "## ": "Love reading, 2026-12-07 15:03", "Card of the day, 2026-12-08".
std::string entry_heading(const EntryDraft& draft);
// The entry's Markdown in its language: its heading, the lines about its language and source,
// one block per position, then the notes. Ends in one newline; entries in a file stand one blank
// line apart.
std::string format_entry(const EntryDraft& draft);

// [SECTION] A parsed journal
// Parsed entries point into the journal's text rather than copy it: a journal of 10,000
// entries holds its text once.

struct Span {
    uint32_t at = 0, size = 0; // bytes of Journal::text
};

struct JournalPosition {
    int32_t card = NO_CARD;
    int32_t reversed = 0;
    int32_t not_drawn = 0;
    Span question, meaning;
};

struct JournalEntry {
    Span text;                             // heading to last line, its newline included
    int32_t first_line = 0, last_line = 0; // 1 up
    int32_t readable = 0;                  // 0: an unreadable entry, kept as its text
    std::string problem;                   // why it is unreadable ("line 12: ...")
    int32_t reading = 0;                   // its kind: a reading's, or CARD_OF_THE_DAY
    int32_t language = 0; // the language it says it is in, else the one its heading is in
    JournalDate date;
    int32_t source = SOURCE_DEALT;
    Span deck;
    uint32_t first_position = 0, position_count = 0; // in Journal::positions
    uint32_t first_note = 0, note_count = 0;         // in Journal::notes, each a paragraph
};

struct Journal {
    std::string text;
    Span preamble; // what stands before the first entry (a title, say)
    std::vector<JournalEntry> entries;
    std::vector<JournalPosition> positions;
    std::vector<Span> notes;
};

// Reads a journal's bytes into *journal (which keeps them). Returns 1, or 0 with a message
// when the bytes are not a journal at all: binary data, or text with no entry heading
// ("## <reading> reading, <date> <time>") beside other lines than "# " titles.
int parse_journal(std::string bytes, Journal* journal, std::string* error);

std::string span_text(const Journal& journal, Span span);
std::string entry_text(const Journal& journal, const JournalEntry& entry);
const JournalPosition* entry_positions(const Journal& journal, const JournalEntry& entry);
// A readable entry as a draft: format_entry(entry_draft(...)) gives back the bytes of every
// entry Quarnel wrote.
EntryDraft entry_draft(const Journal& journal, const JournalEntry& entry);
// The reading's name, the cards and their orientation: "Love: Nine of Cups reversed, Three
// of Pentacles" ("unreadable entry, lines 40-52: <problem>" for one that cannot be read).
std::string entry_summary(const Journal& journal, const JournalEntry& entry);
// What makes two entries the same reading: date, reading and cards ("" when unreadable).
std::string entry_key(const Journal& journal, const JournalEntry& entry);

// [SECTION] Making entries

// The entry of a reading the program dealt, from its text (screen_reading_text) in the
// language the program spoke, and the moment it was left; deck: the deck folder played with,
// "" for the installed one. Returns the entry's Markdown.
std::string dealt_entry(const std::string& reading_text, int32_t language, const JournalDate& when,
                        const std::string& deck);

// A card of a reading drawn by hand: NO_CARD where the position was left empty.
struct DrawnCard {
    int32_t card = NO_CARD;
    int32_t reversed = 0;
};
// The entry of the card of the day: its day, the card and its meaning (as card_meaning gives
// a reading's; line breaks become spaces), in the journal's language.
EntryDraft card_of_the_day_entry(const JournalDate& day, int32_t card, int32_t reversed,
                                 const std::string& meaning);

// The entry of a reading drawn from the user's own deck, in the journal's language, with each
// card's meaning from the card texts (of that language) held in memory (null: none). Refuses more
// cards than positions, no card at all and the same card twice: returns 0 with the reason in
// *error.
int drawn_entry(int32_t reading, const std::vector<DrawnCard>& cards, const JournalDate& when,
                const std::string& deck, const char* card_texts, int32_t card_texts_size,
                EntryDraft* draft, std::string* error);
// The entry with its notes replaced (as the user typed them; lines that would start an
// entry are kept from doing so). Returns the new Markdown, or "" for an unreadable entry.
std::string entry_with_notes(const Journal& journal, const JournalEntry& entry,
                             const std::string& notes);

// [SECTION] Choosing entries

struct JournalFilter {
    int32_t reading = 0; // 0: every reading
    bool has_from = false, has_to = false;
    JournalDate from, to; // by day, both included
    std::string words;    // search: "" for every entry
};
// Whether a readable entry passes the filter. Words match an entry when the whole of them
// names a card it holds (in that orientation, when one is given), or when every word is in
// its text (questions, meanings and notes; any case). Unreadable entries pass only a filter
// with no reading and no dates, and their text must hold the words.
bool entry_matches(const Journal& journal, const JournalEntry& entry, const JournalFilter& filter);

// [SECTION] Statistics

// A share of the cards beside what a fair shuffle gives, with its binomial test.
struct ShareFigure {
    std::string name;   // "Major Arcana", "Wands", ..., "Reversed"
    int64_t count = 0;  // cards of the kind
    int64_t total = 0;  // cards drawn
    double fair = 0;    // the share a fair shuffle gives (22/78, 14/78, 1/2)
    double p_value = 1; // two-sided exact binomial test of count out of total at `fair`
    bool far = false;   // p_value < FAR_FROM_CHANCE
};
constexpr double FAR_FROM_CHANCE = 0.01;

// The readings' figures leave cards of the day out: those are counted on their own.
struct JournalStats {
    int64_t readings = 0;         // readable entries counted, cards of the day apart
    int64_t cards_of_the_day = 0; // cards of the day kept, among the entries chosen
    int64_t unreadable = 0;       // entries passed over for they cannot be read
    int64_t cards = 0;            // cards drawn (turned or drawn by hand)
    int64_t dealt = 0, own_deck = 0;
    bool has_dates = false;
    JournalDate first, last;
    std::vector<std::pair<int32_t, int64_t>> by_reading; // kind, readings
    int64_t upright[78] = {}, reversed[78] = {};
    std::vector<int32_t> top;        // the cards that came up most, most first (at most 10)
    double fair_count = 0;           // the count a fair deck gives any one card: cards / 78
    std::vector<ShareFigure> shares; // Major Arcana, the four suits, reversed
    std::vector<std::pair<std::string, int64_t>> months; // "2026-12", readings; in order
    int64_t longest_run = 0;                             // days in a row with a reading
    JournalDate run_first, run_last;
};

JournalStats journal_stats(const Journal& journal, const JournalFilter& filter);
// Two-sided exact binomial test: the probability, under a share p, of a count at most as
// likely as k out of n.
double binomial_p_value(int64_t k, int64_t n, double p);
// The figures as a table for the terminal, and as JSON.
std::string stats_table(const JournalStats& stats);
std::string stats_json(const JournalStats& stats);

// [SECTION] Export

// One row per card drawn, for spreadsheets (RFC 4180, a header row first).
std::string export_csv(const Journal& journal, const JournalFilter& filter);
// Every entry as JSON: date, reading, source, deck, positions, notes; unreadable ones with
// their lines, problem and text.
std::string export_json(const Journal& journal, const JournalFilter& filter);
// The entries chosen, as Markdown in the journal's own format, one blank line apart.
std::string export_markdown(const Journal& journal, const JournalFilter& filter);
// text as a JSON string, in quotes; bytes that are not UTF-8 become U+FFFD.
std::string json_string(const std::string& text);

// [SECTION] Keeping the readings the program deals

// The reading on screen as text (screen_reading_text), "" off a reading.
std::string reading_on_screen();

// What the program showed between its steps: the card table last seen with a card turned,
// and its text as it was then (when the table is left, the card text file may be closed).
struct LeftReading {
    std::string text;     // the reading's text (screen_reading_text)
    int32_t language = 0; // the language the program spoke (program_language)
};
struct ReadingWatch {
    bool table_seen = false;
    uint32_t version = 0; // screen_version when the text was taken
    LeftReading reading;
};
// Looks at the program's state; call it between screen steps. Returns 1 with the reading in
// *left when a card table on which at least one card was turned has just been left.
int watch_reading(ReadingWatch* watch, LeftReading* left);
// Once the program has ended: a card table with a card turned that was on display at the
// end counts as left. Returns 1 with its reading, or 0.
int finish_watching(ReadingWatch* watch, LeftReading* left);
