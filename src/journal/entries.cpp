// entries.cpp -- writing an entry, the entries the program deals and the user draws, and
// what tells entries apart: dates, summaries, keys, filters

#include "journal/journal.h"
#include "platform/platform.h"

#include <cstdio>
#include <ctime>

// [SECTION] Dates

namespace {

bool leap(int32_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int32_t days_in_month(int32_t year, int32_t month) {
    static const int32_t days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap(year) ? 29 : days[month - 1];
}

// Digits at text[at, at + count) into *value; 1/0.
bool digits(const std::string& text, size_t at, size_t count, int32_t* value) {
    int32_t n = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
        n = n * 10 + (text[i] - '0');
    }
    *value = n;
    return true;
}

} // namespace

std::string format_date(const JournalDate& d) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", int(d.year), int(d.month),
                  int(d.day), int(d.hour), int(d.minute));
    return text;
}

int parse_date(const std::string& text, JournalDate* date, bool date_only) {
    JournalDate d;
    if (text.size() != (date_only ? 10u : 16u) || text[4] != '-' || text[7] != '-') return 0;
    if (!digits(text, 0, 4, &d.year) || !digits(text, 5, 2, &d.month) ||
        !digits(text, 8, 2, &d.day))
        return 0;
    if (!date_only && (text[10] != ' ' || text[13] != ':' || !digits(text, 11, 2, &d.hour) ||
                       !digits(text, 14, 2, &d.minute)))
        return 0;
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > days_in_month(d.year, d.month) ||
        d.hour > 23 || d.minute > 59)
        return 0;
    *date = d;
    return 1;
}

int64_t day_number(const JournalDate& d) {
    // Days from the civil date (a proleptic Gregorian calendar), with March as the first
    // month of the year so that a leap day comes last.
    const int64_t y = d.year - (d.month <= 2);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t year_of_era = y - era * 400;
    const int64_t day_of_year = (153 * (d.month + (d.month > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    const int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

JournalDate local_date(int64_t unix_seconds) {
    JournalDate d;
    std::time_t when = std::time_t(unix_seconds);
    struct tm local;
    if (!localtime_r(&when, &local)) return d;
    d.year = local.tm_year + 1900;
    d.month = local.tm_mon + 1;
    d.day = local.tm_mday;
    d.hour = local.tm_hour;
    d.minute = local.tm_min;
    return d;
}

// [SECTION] Kinds of entry

int32_t kind_card_count(int32_t kind) {
    return kind == CARD_OF_THE_DAY ? 1 : reading_card_count(kind);
}

const std::string& card_of_the_day_words(int32_t language) {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> all;
        for (int32_t l = 0; l < language_count(); ++l) {
            const char* text = language_word(l, "cards.of_the_day");
            all.push_back(text ? text : "");
        }
        return all;
    }();
    return words[language > 0 && language < int32_t(words.size()) ? size_t(language) : 0];
}

const char* kind_name_in(int32_t language, int32_t kind) {
    return kind == CARD_OF_THE_DAY ? card_of_the_day_words(language).c_str()
                                   : reading_name_in(language, kind);
}

const char* journal_kind_name(int32_t kind) {
    return kind_name_in(journal_language(), kind);
}

std::string format_entry_date(int32_t kind, const JournalDate& date) {
    const std::string text = format_date(date);
    return kind == CARD_OF_THE_DAY ? text.substr(0, 10) : text;
}

// [SECTION] Writing an entry

namespace {

// "Card 2 of 10: Question" for a spread of more than one position; the question alone (or
// nothing) for one of one.
std::string position_line(const JournalWords& words, int32_t number, int32_t count,
                          const std::string& question) {
    if (count == 1) return question;
    std::string line = words.card + std::to_string(number) + words.of + std::to_string(count);
    return question.empty() ? line : line + ": " + question;
}

std::string card_line(const JournalWords& words, const EntryDraft::Position& p) {
    if (p.card == NO_CARD) return p.not_drawn ? words.not_drawn : words.face_down;
    std::string line = std::string(language_card_name(words.language, p.card)) + ", " +
                       (p.reversed ? words.reversed : words.upright) + ".";
    return p.meaning.empty() ? line : line + " " + p.meaning;
}

// A paragraph of lines: each line that another follows ends in a Markdown line break.
std::string paragraph(const std::vector<std::string>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i)
        out += lines[i] + (i + 1 < lines.size() ? "  \n" : "\n");
    return out;
}

// The user's notes as lines under an entry: no blank line at either end, and no line that
// would start an entry of its own.
std::string note_lines(const std::string& notes) {
    std::string out;
    size_t at = 0;
    while (at <= notes.size()) {
        size_t end = notes.find('\n', at);
        if (end == std::string::npos) end = notes.size();
        std::string line = notes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, 3, "## ") == 0) line = "\\" + line;
        out += line + "\n";
        at = end + 1;
    }
    size_t start = 0;
    while (start < out.size() && out[start] == '\n') ++start;
    out.erase(0, start);
    while (out.size() >= 2 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\n')
        out.pop_back();
    return out == "\n" ? "" : out;
}

} // namespace

std::string entry_heading(const EntryDraft& draft) {
    const JournalWords& words = journal_words(draft.language);
    const char* name = kind_name_in(words.language, draft.reading);
    const std::string kind = draft.reading == CARD_OF_THE_DAY
                                 ? std::string(name)
                                 : words.reading_before + (name ? name : "") + words.reading_after;
    return kind + ", " + format_entry_date(draft.reading, draft.date);
}

std::string format_entry(const EntryDraft& draft) {
    const JournalWords& words = journal_words(draft.language);
    std::string out = "## " + entry_heading(draft) + "\n";
    std::vector<std::string> about;
    if (!words.language_line.empty()) about.push_back(words.language_line);
    if (draft.source == SOURCE_OWN_DECK) about.push_back(words.own_deck);
    if (!draft.deck.empty()) about.push_back(words.deck + draft.deck);
    if (!about.empty()) out += "\n" + paragraph(about);
    const int32_t count = int32_t(draft.positions.size());
    for (int32_t p = 0; p < count; ++p) {
        const EntryDraft::Position& position = draft.positions[size_t(p)];
        std::vector<std::string> block;
        std::string first = position_line(words, p + 1, count, position.question);
        if (!first.empty()) block.push_back(first);
        block.push_back(card_line(words, position));
        out += "\n" + paragraph(block);
    }
    const std::string notes = note_lines(draft.notes);
    if (!notes.empty()) out += "\n" + notes;
    return out;
}

EntryDraft entry_draft(const Journal& journal, const JournalEntry& entry) {
    EntryDraft draft;
    draft.reading = entry.reading;
    draft.language = entry.language;
    draft.date = entry.date;
    draft.source = entry.source;
    draft.deck = span_text(journal, entry.deck);
    const JournalPosition* positions = entry_positions(journal, entry);
    for (uint32_t p = 0; p < entry.position_count; ++p) {
        EntryDraft::Position position;
        position.card = positions[p].card;
        position.reversed = positions[p].reversed;
        position.not_drawn = positions[p].not_drawn;
        position.question = span_text(journal, positions[p].question);
        position.meaning = span_text(journal, positions[p].meaning);
        draft.positions.push_back(position);
    }
    for (uint32_t n = 0; n < entry.note_count; ++n)
        draft.notes += (n ? "\n\n" : "") + span_text(journal, journal.notes[entry.first_note + n]);
    return draft;
}

// [SECTION] What tells entries apart

std::string entry_summary(const Journal& journal, const JournalEntry& entry) {
    if (!entry.readable)
        return journal_words_of("journal.unreadable_summary",
                                {{"first", std::to_string(entry.first_line)},
                                 {"last", std::to_string(entry.last_line)},
                                 {"problem", entry.problem}});
    const JournalWords& words = journal_words(journal_language());
    std::string cards;
    const JournalPosition* positions = entry_positions(journal, entry);
    for (uint32_t p = 0; p < entry.position_count; ++p) {
        if (positions[p].card == NO_CARD) continue;
        cards += std::string(cards.empty() ? "" : ", ") + journal_card_name(positions[p].card) +
                 (positions[p].reversed ? std::string(" ") + words.reversed : "");
    }
    return std::string(journal_kind_name(entry.reading)) + ": " + cards;
}

std::string entry_key(const Journal& journal, const JournalEntry& entry) {
    if (!entry.readable) return "";
    std::string key = format_date(entry.date) + " " + std::to_string(entry.reading) + ":";
    const JournalPosition* positions = entry_positions(journal, entry);
    for (uint32_t p = 0; p < entry.position_count; ++p)
        key += positions[p].card == NO_CARD
                   ? " -"
                   : " " + std::to_string(positions[p].card) + (positions[p].reversed ? "r" : "");
    return key;
}

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Whether text holds every word of words (blanks apart), in any case (ASCII letters).
bool holds_words(const std::string& text, const std::string& words) {
    size_t at = 0;
    while (at < words.size()) {
        while (at < words.size() && (words[at] == ' ' || words[at] == '\t')) ++at;
        size_t end = at;
        while (end < words.size() && words[end] != ' ' && words[end] != '\t') ++end;
        if (end == at) break;
        bool found = false;
        for (size_t start = 0; !found && start + (end - at) <= text.size(); ++start) {
            size_t i = 0;
            while (i < end - at && lower(text[start + i]) == lower(words[at + i])) ++i;
            found = i == end - at;
        }
        if (!found) return false;
        at = end;
    }
    return true;
}

} // namespace

bool entry_matches(const Journal& journal, const JournalEntry& entry, const JournalFilter& filter) {
    if (!entry.readable) {
        if (filter.reading || filter.has_from || filter.has_to) return false;
        return holds_words(entry_text(journal, entry), filter.words);
    }
    if (filter.reading && entry.reading != filter.reading) return false;
    const int64_t day = day_number(entry.date);
    if (filter.has_from && day < day_number(filter.from)) return false;
    if (filter.has_to && day > day_number(filter.to)) return false;
    if (filter.words.empty()) return true;
    // Words that name a card find the entries that hold it (in that orientation, when they
    // give one), and the notes that name it. The words of the last search are read once.
    static std::string words;
    static int32_t card = -1, reversed = 0;
    static bool oriented = false;
    if (words != filter.words) {
        words = filter.words;
        card = match_card(words, &reversed, nullptr, &oriented);
    }
    if (card < 0) return holds_words(entry_text(journal, entry), filter.words);
    const JournalPosition* positions = entry_positions(journal, entry);
    for (uint32_t p = 0; p < entry.position_count; ++p)
        if (positions[p].card == card && (!oriented || positions[p].reversed == reversed))
            return true;
    for (uint32_t n = 0; n < entry.note_count; ++n)
        if (holds_words(span_text(journal, journal.notes[entry.first_note + n]), filter.words))
            return true;
    return false;
}

// [SECTION] Entries the program deals and the user draws

std::string dealt_entry(const std::string& reading_text, int32_t language, const JournalDate& when,
                        const std::string& deck) {
    // The reading's text is an entry without its heading's date, the line of its language and
    // its line breaks: it is read as one, and written again in the journal's form.
    const JournalWords& words = journal_words(language);
    const size_t first_end = reading_text.find('\n');
    std::string text = "## " + reading_text.substr(0, first_end) + ", " + format_date(when) + "\n";
    if (!words.language_line.empty()) text += "\n" + words.language_line + "\n";
    if (first_end != std::string::npos) text += reading_text.substr(first_end + 1);
    Journal journal;
    std::string error;
    if (parse_journal(text, &journal, &error) && journal.entries.size() == 1 &&
        journal.entries[0].readable) {
        EntryDraft draft = entry_draft(journal, journal.entries[0]);
        draft.deck = deck;
        return format_entry(draft);
    }
    // Never the case for the program's own text; kept as it is rather than lost.
    return text;
}

EntryDraft card_of_the_day_entry(const JournalDate& day, int32_t card, int32_t reversed,
                                 const std::string& meaning) {
    EntryDraft draft;
    draft.reading = CARD_OF_THE_DAY;
    draft.language = journal_language();
    draft.date = day;
    draft.date.hour = draft.date.minute = 0;
    EntryDraft::Position position;
    position.card = card;
    position.reversed = reversed ? 1 : 0;
    // One line: each run of blanks and line breaks one space.
    for (char c : meaning) {
        const bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (!blank)
            position.meaning += c;
        else if (!position.meaning.empty() && position.meaning.back() != ' ')
            position.meaning += ' ';
    }
    if (!position.meaning.empty() && position.meaning.back() == ' ') position.meaning.pop_back();
    draft.positions.push_back(position);
    return draft;
}

int drawn_entry(int32_t reading, const std::vector<DrawnCard>& cards, const JournalDate& when,
                const std::string& deck, const char* card_texts, int32_t card_texts_size,
                EntryDraft* draft, std::string* error) {
    const int32_t count = reading_card_count(reading);
    if (count == 0) return match_reading(std::to_string(reading), error);
    if (int32_t(cards.size()) > count) {
        *error = journal_count_words(
            "journal.positions", count,
            {{"reading", journal_reading_name(reading)}, {"given", std::to_string(cards.size())}});
        return 0;
    }
    bool any = false;
    for (size_t a = 0; a < cards.size(); ++a) {
        any = any || cards[a].card != NO_CARD;
        if (cards[a].card != NO_CARD && (cards[a].card < 0 || !journal_card_name(cards[a].card))) {
            *error =
                journal_words_of("journal.no_card_number", {{"n", std::to_string(cards[a].card)}});
            return 0;
        }
        for (size_t b = a + 1; b < cards.size(); ++b)
            if (cards[a].card != NO_CARD && cards[a].card == cards[b].card) {
                *error = journal_words_of("journal.drawn_twice",
                                          {{"card", journal_card_name(cards[a].card)},
                                           {"first", std::to_string(a + 1)},
                                           {"second", std::to_string(b + 1)}});
                return 0;
            }
    }
    if (!any) {
        *error = journal_words_of("journal.no_card_drawn");
        return 0;
    }
    *draft = EntryDraft();
    draft->reading = reading;
    draft->language = journal_language();
    draft->date = when;
    draft->source = SOURCE_OWN_DECK;
    draft->deck = deck;
    char text[READING_TEXT_SIZE];
    for (int32_t p = 0; p < count; ++p) {
        EntryDraft::Position position;
        if (reading_question(draft->language, reading, p, text, READING_TEXT_SIZE))
            position.question = text;
        if (size_t(p) < cards.size() && cards[size_t(p)].card != NO_CARD) {
            position.card = cards[size_t(p)].card;
            position.reversed = cards[size_t(p)].reversed ? 1 : 0;
            if (card_meaning(draft->language, card_texts, card_texts_size, position.card,
                             position.reversed, text, READING_TEXT_SIZE))
                position.meaning = text;
        } else {
            position.not_drawn = 1;
        }
        draft->positions.push_back(position);
    }
    return 1;
}

std::string entry_with_notes(const Journal& journal, const JournalEntry& entry,
                             const std::string& notes) {
    if (!entry.readable) return "";
    EntryDraft draft = entry_draft(journal, entry);
    draft.notes = notes;
    return format_entry(draft);
}
