// parse.cpp -- reading a journal: its preamble, then entries heading to heading, each read
// block by block into a reading, or kept whole as an unreadable entry with its lines
//
// See docs/journal.md for the format. Nothing is dropped: every line belongs to the preamble
// or to an entry, and a line a person added under an entry is one of that entry's notes.

#include "journal/journal.h"
#include "platform/platform.h"

#include <cstring>
#include <string_view>
#include <unordered_map>

namespace {

// [SECTION] Lines

struct Line {
    uint32_t begin; // first byte
    uint32_t end;   // after the last byte that is not a blank (nor the line break)
    uint32_t next;  // first byte of the next line (after the '\n')
    int32_t number; // 1 up
    bool empty() const { return end == begin; }
};

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::vector<Line> split_lines(const std::string& text) {
    std::vector<Line> lines;
    lines.reserve(text.size() / 40 + 1);
    const char* data = text.data();
    const uint32_t size = uint32_t(text.size());
    uint32_t at = 0;
    int32_t number = 1;
    while (at < size) {
        const void* found = std::memchr(data + at, '\n', size - at);
        uint32_t stop = found ? uint32_t(static_cast<const char*>(found) - data) : size;
        uint32_t end = stop;
        while (end > at && is_blank(data[end - 1])) --end;
        lines.push_back({at, end, found ? stop + 1 : size, number++});
        at = found ? stop + 1 : size;
    }
    return lines;
}

bool starts_with(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

bool is_heading(std::string_view line) {
    return starts_with(line, "## ");
}

// A heading that ends as every entry's does: ", YYYY-MM-DD HH:MM", or ", YYYY-MM-DD" for a
// card of the day.
bool has_dated_heading_shape(std::string_view line) {
    auto ends_as = [&](std::string_view pattern) {
        if (!is_heading(line) || line.size() < 3 + pattern.size()) return false;
        std::string_view tail = line.substr(line.size() - pattern.size());
        for (size_t i = 0; i < pattern.size(); ++i) {
            const char c = tail[i];
            if (pattern[i] == 'd' ? !(c >= '0' && c <= '9') : c != pattern[i]) return false;
        }
        return true;
    };
    return ends_as(", dddd-dd-dd dd:dd") || ends_as(", dddd-dd-dd");
}

// Reads digits at *at into *value (at most 9 of them); 1/0.
bool read_number(std::string_view text, size_t* at, int32_t* value) {
    size_t start = *at;
    int32_t n = 0;
    while (*at < text.size() && text[*at] >= '0' && text[*at] <= '9' && *at - start < 9)
        n = n * 10 + (text[(*at)++] - '0');
    *value = n;
    return *at > start;
}

// [SECTION] Entries

// "## Love reading, 2026-12-07 15:03" in the journal's language, for messages.
std::string heading_example() {
    const JournalWords& words = journal_words(journal_language());
    return "## " + words.reading_before + journal_reading_name(reading_kind(3)) +
           words.reading_after + ", 2026-12-07 15:03";
}

std::string at_line(int32_t number, const std::string& problem) {
    return journal_words_of("journal.at_line",
                            {{"n", std::to_string(number)}, {"problem", problem}});
}

struct EntryParser {
    Journal* journal;
    const JournalWords* words; // the words of the entry being read, in its language
    std::unordered_map<std::string_view, int32_t> known_cards; // names read so far: their cards

    std::string_view view(const Line& line) const {
        return std::string_view(journal->text).substr(line.begin, line.end - line.begin);
    }
    Span span(uint32_t begin, uint32_t end) const { return Span{begin, end - begin}; }

    // A card's name as the entries write it, in any language (the program's own names, asked
    // once each), or as a person typed it; -1 with *why.
    int32_t card_of(std::string_view name, std::string* why) {
        auto found = known_cards.find(name);
        if (found != known_cards.end()) return found->second;
        const std::string written(name);
        int32_t card = card_of_name(written.c_str(), nullptr);
        if (card < 0) card = match_card(written, nullptr, why);
        if (card >= 0) known_cards.emplace(name, card);
        return card;
    }

    // "Name, upright. Meaning", "Name, reversed.", "Face down." or "Not drawn.".
    bool card_line(const Line& line, JournalPosition* position, std::string* why) {
        std::string_view text = view(line);
        if (text == words->face_down || text == words->not_drawn) {
            position->card = NO_CARD;
            position->not_drawn = text == words->not_drawn;
            return true;
        }
        const size_t comma = text.find(", ");
        for (int reversed = 0; comma != std::string_view::npos && reversed < 2; ++reversed) {
            const std::string_view orientation = reversed ? words->reversed : words->upright;
            std::string_view rest = text.substr(comma + 2);
            if (!starts_with(rest, orientation) || rest.size() <= orientation.size() ||
                rest[orientation.size()] != '.')
                continue;
            rest = rest.substr(orientation.size() + 1);
            if (!rest.empty() && rest[0] != ' ') continue;
            const int32_t card = card_of(text.substr(0, comma), why);
            if (card < 0) return false;
            position->card = card;
            position->reversed = reversed;
            uint32_t meaning = line.begin + uint32_t(comma + 2 + orientation.size() + 1);
            while (meaning < line.end && journal->text[meaning] == ' ') ++meaning;
            position->meaning = span(meaning, line.end);
            return true;
        }
        *why = journal_words_of("journal.not_a_card_line", {{"text", std::string(text)},
                                                            {"upright", words->upright},
                                                            {"reversed", words->reversed},
                                                            {"face_down", words->face_down}});
        return false;
    }

    // "Card 2 of 10: Question" (the question may be missing): 1 with the numbers.
    bool position_line(const Line& line, int32_t* number, int32_t* count, Span* question) const {
        std::string_view text = view(line);
        if (!starts_with(text, words->card)) return false;
        size_t at = words->card.size();
        if (!read_number(text, &at, number)) return false;
        if (!starts_with(text.substr(at), words->of)) return false;
        at += words->of.size();
        if (!read_number(text, &at, count)) return false;
        *question = Span{line.end, 0};
        if (at == text.size()) return true;
        if (!starts_with(text.substr(at), ": ")) return false;
        at += 2;
        while (at < text.size() && text[at] == ' ') ++at;
        *question = span(line.begin + uint32_t(at), line.end);
        return true;
    }

    // Every line says what the entry is: its language ("Idioma: Español"), where the reading
    // came from ("Drawn from my own deck.", "Deck: DIR").
    bool about_paragraph(const std::vector<Line>& lines, size_t first, size_t last,
                         JournalEntry* entry) const {
        JournalEntry about = *entry;
        for (size_t i = first; i < last; ++i) {
            std::string_view text = view(lines[i]);
            const size_t deck = words->deck.size();
            if (text == words->own_deck) {
                about.source = SOURCE_OWN_DECK;
            } else if (starts_with(text, words->deck) && text.size() > deck) {
                about.deck = span(lines[i].begin + uint32_t(deck), lines[i].end);
            } else if (words->language_line.empty() || text != words->language_line) {
                return false;
            }
        }
        *entry = about;
        return true;
    }

    void add_note(const std::vector<Line>& lines, size_t first, size_t last, JournalEntry* entry) {
        journal->notes.push_back(span(lines[first].begin, lines[last - 1].end));
        entry->note_count++;
    }

    // Reads lines [first, last) of one entry (its heading first, no blank line last). An
    // entry that cannot be read keeps its lines and says why.
    void read_entry(const std::vector<Line>& lines, size_t first, size_t last) {
        JournalEntry entry;
        entry.text = span(lines[first].begin, lines[last - 1].next);
        entry.first_line = lines[first].number;
        entry.last_line = lines[last - 1].number;
        entry.first_position = uint32_t(journal->positions.size());
        entry.first_note = uint32_t(journal->notes.size());
        std::string problem;
        if (read_blocks(lines, first, last, &entry, &problem)) {
            entry.readable = 1;
        } else {
            journal->positions.resize(entry.first_position);
            journal->notes.resize(entry.first_note);
            JournalEntry unreadable;
            unreadable.text = entry.text;
            unreadable.first_line = entry.first_line;
            unreadable.last_line = entry.last_line;
            unreadable.problem = problem;
            unreadable.first_position = entry.first_position;
            unreadable.first_note = entry.first_note;
            entry = unreadable;
        }
        journal->entries.push_back(std::move(entry));
    }

    // The language the entry says it is in: a line of its first paragraph ("Idioma:
    // Español"); -1 when none says.
    int32_t stated_language(const std::vector<Line>& lines, size_t first, size_t last) const {
        size_t i = first + 1;
        while (i < last && lines[i].empty()) ++i;
        for (; i < last && !lines[i].empty(); ++i)
            for (int32_t language = 1; language < language_count(); ++language)
                if (view(lines[i]) == journal_words(language).language_line) return language;
        return -1;
    }

    bool read_heading(const Line& line, JournalEntry* entry, std::string* problem) const {
        std::string_view text = view(line).substr(3);
        const size_t comma = text.rfind(", ");
        std::string_view name = text.substr(0, comma);
        // "## Card of the day, 2026-12-08": the day alone.
        const bool day_card =
            comma != std::string_view::npos && name == card_of_the_day_words(words->language);
        if (comma == std::string_view::npos ||
            !parse_date(std::string(text.substr(comma + 2)), &entry->date, day_card)) {
            *problem = at_line(line.number, journal_words_of("journal.heading_without_date"));
            return false;
        }
        if (day_card) {
            entry->reading = CARD_OF_THE_DAY;
            return true;
        }
        const std::string& before = words->reading_before;
        const std::string& after = words->reading_after;
        if (name.size() <= before.size() + after.size() || !starts_with(name, before) ||
            name.compare(name.size() - after.size(), after.size(), after) != 0) {
            *problem = at_line(line.number, journal_words_of("journal.heading_without_reading",
                                                             {{"example", heading_example()}}));
            return false;
        }
        name = name.substr(before.size(), name.size() - before.size() - after.size());
        entry->reading = match_reading(std::string(name), problem);
        if (!entry->reading) *problem = at_line(line.number, *problem);
        return entry->reading != 0;
    }

    // The heading in the entry's language: the one it says, else English, else any other
    // whose words the heading has.
    bool read_heading_in_language(const std::vector<Line>& lines, size_t first, size_t last,
                                  JournalEntry* entry, std::string* problem) {
        const int32_t stated = stated_language(lines, first, last);
        words = &journal_words(stated > 0 ? stated : 0);
        if (read_heading(lines[first], entry, problem)) {
            entry->language = words->language;
            return true;
        }
        if (stated > 0) return false;
        for (int32_t language = 1; language < language_count(); ++language) {
            words = &journal_words(language);
            std::string other;
            if (read_heading(lines[first], entry, &other)) {
                entry->language = language;
                return true;
            }
        }
        words = &journal_words(0);
        return false;
    }

    bool read_blocks(const std::vector<Line>& lines, size_t first, size_t last, JournalEntry* entry,
                     std::string* problem) {
        if (!read_heading_in_language(lines, first, last, entry, problem)) return false;
        const int32_t count = kind_card_count(entry->reading);
        int32_t read = 0;
        bool about_seen = false;
        size_t i = first + 1;
        while (i < last) {
            if (lines[i].empty()) {
                ++i;
                continue;
            }
            size_t end = i;
            while (end < last && !lines[end].empty()) ++end;
            JournalPosition position;
            int32_t number = 0, of = 0;
            if (read == count) {
                add_note(lines, i, end, entry);
            } else if (position_line(lines[i], &number, &of, &position.question)) {
                if (number != read + 1 || of != count) {
                    *problem =
                        at_line(lines[i].number,
                                journal_words_of("journal.position_due",
                                                 {{"text", std::string(view(lines[i]))},
                                                  {"due", words->card + std::to_string(read + 1) +
                                                              words->of + std::to_string(count)}}));
                    return false;
                }
                if (end - i < 2) {
                    *problem =
                        at_line(lines[i].number, journal_words_of("journal.position_without_card",
                                                                  {{"n", std::to_string(number)}}));
                    return false;
                }
                if (!card_line(lines[i + 1], &position, problem)) {
                    *problem = at_line(lines[i + 1].number, *problem);
                    return false;
                }
                journal->positions.push_back(position);
                if (end - i > 2) add_note(lines, i + 2, end, entry);
                ++read;
            } else if (read == 0 && !about_seen && about_paragraph(lines, i, end, entry)) {
                about_seen = true;
            } else if (count == 1) {
                // A one-card reading's block has no position line: its card line, after the
                // position's question where it has one.
                size_t card = i;
                if (!card_line(lines[card], &position, problem)) {
                    card = i + 1;
                    std::string second;
                    if (end - i < 2 || !card_line(lines[card], &position, &second)) {
                        *problem = at_line(lines[i].number, *problem);
                        return false;
                    }
                    position.question = span(lines[i].begin, lines[i].end);
                }
                journal->positions.push_back(position);
                if (end > card + 1) add_note(lines, card + 1, end, entry);
                ++read;
            } else {
                add_note(lines, i, end, entry);
            }
            i = end;
        }
        if (read < count) {
            *problem = at_line(
                lines[last - 1].number,
                journal_words_of("journal.position_missing", {{"n", std::to_string(read + 1)},
                                                              {"count", std::to_string(count)}}));
            return false;
        }
        entry->position_count = uint32_t(read);
        // A deck holds each card once.
        const JournalPosition* p = &journal->positions[entry->first_position];
        for (int32_t a = 0; a < read; ++a)
            for (int32_t b = a + 1; b < read; ++b)
                if (p[a].card != NO_CARD && p[a].card == p[b].card) {
                    *problem = journal_words_of("journal.lies_twice",
                                                {{"first", std::to_string(entry->first_line)},
                                                 {"last", std::to_string(entry->last_line)},
                                                 {"card", journal_card_name(p[a].card)}});
                    return false;
                }
        return true;
    }
};

bool is_title(std::string_view line) {
    return starts_with(line, "# ") || line == "#";
}

} // namespace

// [SECTION] The journal

int parse_journal(std::string bytes, Journal* journal, std::string* error) {
    *journal = Journal();
    journal->text = std::move(bytes);
    const std::string& text = journal->text;
    if (text.size() > UINT32_MAX - 1) {
        *error = journal_words_of("journal.too_large");
        return 0;
    }
    const void* nul = std::memchr(text.data(), 0, text.size());
    if (nul) {
        *error = journal_words_of(
            "journal.not_text",
            {{"offset", std::to_string(static_cast<const char*>(nul) - text.data())}});
        return 0;
    }
    const std::vector<Line> lines = split_lines(text);
    EntryParser parser{journal, &journal_words(0), {}};
    parser.known_cards.reserve(128);

    size_t first_heading = lines.size();
    bool journal_shaped = false, only_titles = true;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = parser.view(lines[i]);
        if (is_heading(line)) {
            if (first_heading == lines.size()) first_heading = i;
            journal_shaped = journal_shaped || has_dated_heading_shape(line);
        }
        if (!lines[i].empty() && !is_title(line)) only_titles = false;
    }
    if (!journal_shaped && !only_titles) {
        *error = journal_words_of("journal.not_a_journal", {{"example", heading_example()}});
        journal->text.clear();
        return 0;
    }
    journal->preamble =
        Span{0, first_heading < lines.size() ? lines[first_heading].begin : uint32_t(text.size())};
    for (size_t i = first_heading; i < lines.size();) {
        size_t next = i + 1;
        while (next < lines.size() && !is_heading(parser.view(lines[next]))) ++next;
        size_t last = next;
        while (last > i + 1 && lines[last - 1].empty()) --last;
        parser.read_entry(lines, i, last);
        i = next;
    }
    return 1;
}

std::string span_text(const Journal& journal, Span span) {
    return journal.text.substr(span.at, span.size);
}

std::string entry_text(const Journal& journal, const JournalEntry& entry) {
    return span_text(journal, entry.text);
}

const JournalPosition* entry_positions(const Journal& journal, const JournalEntry& entry) {
    return journal.positions.data() + entry.first_position;
}
