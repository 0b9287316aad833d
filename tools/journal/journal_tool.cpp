// journal_tool.cpp -- quarnel-journal: list, show, search, stats, log, export and import
// over the journal the desktop program keeps. It never rewrites the journal: log and import
// only append whole entries.

#include "journal_tool.h"
#include "journal/journal.h"
#include "journal/journal_file.h"
#include "platform/common/common.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <istream>
#include <ostream>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#ifndef QUARNEL_VERSION
#define QUARNEL_VERSION "0"
#endif

namespace {

// [SECTION] The command line

struct Options {
    bool help = false, version = false, json = false;
    int32_t language = -1; // --language; -1: the locale's
    std::string journal, format = "markdown", deck, install_dir;
    JournalFilter filter;
    std::vector<std::string> words; // the command and its words
};

// Takes one word of the command line; 0 with *error when it is wrong.
int take_option(const std::string& name, const std::string& value, Options* o, std::string* error) {
    if (name == "--journal") {
        o->journal = value;
    } else if (name == "--reading") {
        o->filter.reading = match_reading(value, error);
        return o->filter.reading != 0;
    } else if (name == "--from" || name == "--to") {
        const bool from = name == "--from";
        if (!parse_date(value, from ? &o->filter.from : &o->filter.to, true)) {
            *error =
                journal_words_of("tool.journal.needs_day", {{"option", name}, {"value", value}});
            return 0;
        }
        (from ? o->filter.has_from : o->filter.has_to) = true;
    } else if (name == "--format") {
        if (value != "markdown" && value != "json" && value != "csv") {
            *error = journal_words_of("tool.journal.format", {{"value", value}});
            return 0;
        }
        o->format = value;
    } else if (name == "--deck") {
        o->deck = value;
    } else if (name == "--install-dir") {
        o->install_dir = value;
    } else if (name == "--language") {
        o->language = language_of_code(value.c_str());
        if (o->language < 0) {
            *error = journal_words_of("tool.journal.no_language",
                                      {{"value", value}, {"languages", language_list()}});
            return 0;
        }
    }
    if (value.empty()) *error = journal_words_of("tool.journal.needs_value", {{"option", name}});
    return value.empty() ? 0 : 1;
}

int parse_command_line(const std::vector<std::string>& words, Options* o, std::string* error) {
    static const std::set<std::string> with_value = {"--journal",     "--reading", "--from",
                                                     "--to",          "--format",  "--deck",
                                                     "--install-dir", "--language"};
    bool options_done = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (options_done || word.empty() || word[0] != '-' || word == "-") {
            o->words.push_back(word);
            continue;
        }
        if (word == "--") {
            options_done = true;
            continue;
        }
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        if (name == "-h" || name == "--help" || name == "--version" || name == "--json") {
            if (equals != std::string::npos) {
                *error = journal_words_of("tool.journal.takes_no_value", {{"option", name}});
                return 0;
            }
            (name == "--version" ? o->version : name == "--json" ? o->json : o->help) = true;
            continue;
        }
        if (!with_value.count(name)) {
            *error = journal_words_of("tool.journal.unknown_option", {{"option", name}});
            return 0;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < words.size()) {
            value = words[++i];
        } else {
            *error = journal_words_of("tool.journal.needs_value", {{"option", name}});
            return 0;
        }
        if (!take_option(name, value, o, error)) return 0;
    }
    return 1;
}

// [SECTION] The journal's file

struct Context {
    Options options;
    std::istream* in;
    std::ostream* out;
    std::ostream* err;
    std::string path;
    bool is_default = false;
};

int fail(Context& c, const std::string& what, int code = JOURNAL_TOOL_FAILED) {
    *c.err << "quarnel-journal: " << what << "\n";
    if (code == JOURNAL_TOOL_USAGE) *c.err << journal_words_of("tool.journal.try_help") << "\n";
    return code;
}

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Reads the journal; `missing_is_empty` for the commands that make it. 1/0 (said).
int load(Context& c, Journal* journal, bool missing_is_empty) {
    std::string bytes, error;
    if (!exists(c.path)) {
        if (missing_is_empty) return parse_journal("", journal, &error);
        fail(c, journal_words_of("tool.journal.no_journal", {{"path", c.path}}));
        return 0;
    }
    if (!read_journal_file(c.path, &bytes, &error) ||
        !parse_journal(std::move(bytes), journal, &error)) {
        fail(c, c.path + ": " + error);
        return 0;
    }
    return 1;
}

int append(Context& c, const std::vector<std::string>& entries) {
    std::string error;
    bool made = false;
    if ((c.is_default && !make_journal_folders(c.path, &error)) ||
        !append_entries(c.path, entries, &made, &error)) {
        fail(c,
             journal_words_of("tool.journal.cannot_write", {{"path", c.path}, {"error", error}}));
        return 0;
    }
    return 1;
}

// [SECTION] Reading the journal

// "  12  2026-12-07 15:03  Love: Nine of Cups reversed, ..." and " (own deck)".
void list_line(Context& c, const Journal& journal, size_t index, int width) {
    const JournalEntry& entry = journal.entries[index];
    std::string number = std::to_string(index + 1);
    number.insert(0, size_t(std::max(0, width - int(number.size()))), ' ');
    *c.out << number << "  ";
    if (entry.readable) {
        // A card of the day's date, the day alone, stands in the width of a reading's.
        std::string date = format_entry_date(entry.reading, entry.date);
        date.resize(std::max(date.size(), format_date(entry.date).size()), ' ');
        *c.out << date << "  " << entry_summary(journal, entry)
               << (entry.source == SOURCE_OWN_DECK
                       ? "  " + journal_words_of("tool.journal.own_deck")
                       : "")
               << "\n";
    } else {
        *c.out << entry_summary(journal, entry) << "\n";
    }
}

// The entries the filter passes, newest first: by date, and in the file's order between
// equals. An unreadable entry stands where the entry before it in the file does.
std::vector<size_t> chosen(const Journal& journal, const JournalFilter& filter) {
    std::vector<std::pair<std::string, size_t>> order;
    std::string date;
    for (size_t i = 0; i < journal.entries.size(); ++i) {
        const JournalEntry& entry = journal.entries[i];
        if (entry.readable) date = format_date(entry.date);
        if (entry_matches(journal, entry, filter)) order.push_back({date, i});
    }
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a > b; });
    std::vector<size_t> indices;
    for (const auto& o : order) indices.push_back(o.second);
    return indices;
}

int list(Context& c, bool search) {
    Journal journal;
    if (search) {
        if (c.options.words.size() < 2)
            return fail(c, journal_words_of("tool.journal.search_needs_words"), JOURNAL_TOOL_USAGE);
        for (size_t i = 1; i < c.options.words.size(); ++i)
            c.options.filter.words += (i > 1 ? " " : "") + c.options.words[i];
    }
    if (!load(c, &journal, false)) return JOURNAL_TOOL_FAILED;
    const std::vector<size_t> order = chosen(journal, c.options.filter);
    const int width = int(std::to_string(journal.entries.size()).size());
    for (size_t index : order) list_line(c, journal, index, width);
    if (search && order.empty())
        return fail(
            c, journal_words_of("tool.journal.nothing_found", {{"words", c.options.filter.words}}));
    return JOURNAL_TOOL_DONE;
}

int show(Context& c) {
    if (c.options.words.size() != 2)
        return fail(c, journal_words_of("tool.journal.show_needs_number"), JOURNAL_TOOL_USAGE);
    const std::string& word = c.options.words[1];
    size_t number = 0;
    for (char ch : word)
        number = ch >= '0' && ch <= '9' && number < 100000000 ? number * 10 + size_t(ch - '0') : 0;
    if (word.empty() || number == 0)
        return fail(c, journal_words_of("tool.journal.show_not_number", {{"word", word}}),
                    JOURNAL_TOOL_USAGE);
    Journal journal;
    if (!load(c, &journal, false)) return JOURNAL_TOOL_FAILED;
    if (number > journal.entries.size())
        return fail(
            c, journal_words_of("tool.journal.no_entry",
                                {{"n", word}, {"count", std::to_string(journal.entries.size())}}));
    const JournalEntry& entry = journal.entries[number - 1];
    if (!entry.readable)
        *c.out << journal_words_of("tool.journal.unreadable_entry",
                                   {{"n", std::to_string(number)},
                                    {"first", std::to_string(entry.first_line)},
                                    {"last", std::to_string(entry.last_line)},
                                    {"problem", entry.problem}})
               << "\n\n";
    *c.out << entry_text(journal, entry);
    return JOURNAL_TOOL_DONE;
}

int stats(Context& c) {
    Journal journal;
    if (!load(c, &journal, false)) return JOURNAL_TOOL_FAILED;
    const JournalStats figures = journal_stats(journal, c.options.filter);
    *c.out << (c.options.json ? stats_json(figures) + "\n" : stats_table(figures));
    return JOURNAL_TOOL_DONE;
}

int export_entries(Context& c) {
    Journal journal;
    if (!load(c, &journal, false)) return JOURNAL_TOOL_FAILED;
    const JournalFilter& f = c.options.filter;
    *c.out << (c.options.format == "json"  ? export_json(journal, f)
               : c.options.format == "csv" ? export_csv(journal, f)
                                           : export_markdown(journal, f));
    return JOURNAL_TOOL_DONE;
}

// [SECTION] Writing to the journal

// The card texts the meanings come from: the deck's, else the install folder's of the
// journal's language (found as the desktop program finds it). "" when there are none.
std::string card_texts_path(const Options& o) {
    if (!o.deck.empty() && exists(o.deck + "/CardDB.dat")) return o.deck + "/CardDB.dat";
    const char* variable = std::getenv("QUARNEL_INSTALL_DIR");
    std::vector<std::string> folders = {o.install_dir, variable ? variable : "",
                                        executable_folder() + "/../share/quarnel"};
#ifdef QUARNEL_DATA_DIR
    folders.push_back(QUARNEL_DATA_DIR);
#endif
    if (!o.install_dir.empty()) folders.resize(1); // the folder asked for, or none
    for (const std::string& folder : folders) {
        const std::string texts =
            language_install_dir(folder, journal_language()) + "/picture/CardDB.dat";
        if (!folder.empty() && exists(texts)) return texts;
    }
    return "";
}

// A card as typed: a name with its orientation, or "-" (or "not drawn", in any language) for
// a position not drawn.
int read_card(const std::string& word, DrawnCard* card, std::string* error) {
    std::string plain = word;
    while (!plain.empty() && plain.back() == '.') plain.pop_back();
    for (char& ch : plain) ch = ch >= 'A' && ch <= 'Z' ? char(ch - 'A' + 'a') : ch;
    for (int32_t language = 0; language < language_count(); ++language) {
        std::string not_drawn = journal_words(language).not_drawn;
        not_drawn.erase(not_drawn.find_last_not_of('.') + 1);
        for (char& ch : not_drawn) ch = ch >= 'A' && ch <= 'Z' ? char(ch - 'A' + 'a') : ch;
        if (plain == "-" || plain == not_drawn) {
            *card = DrawnCard();
            return 1;
        }
    }
    card->card = match_card(word, &card->reversed, error);
    return card->card >= 0;
}

// Asks for each position in the terminal, until every card is a card and none is drawn twice.
int ask_cards(Context& c, int32_t reading, std::vector<DrawnCard>* cards) {
    const JournalWords& words = journal_words(journal_language());
    const int32_t count = reading_card_count(reading);
    *c.out << journal_count_words(
                  "tool.journal.ask", count,
                  {{"reading", journal_reading_name(reading)}, {"reversed", words.reversed}})
           << "\n";
    char question[READING_TEXT_SIZE];
    for (int32_t p = 0; p < count; ++p) {
        for (;;) {
            *c.out << "\n" << words.card << p + 1 << words.of << count;
            if (reading_question(journal_language(), reading, p, question, READING_TEXT_SIZE))
                *c.out << ": " << question;
            *c.out << "\n> " << std::flush;
            std::string line, error;
            if (!std::getline(*c.in, line)) return 0;
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
            DrawnCard card;
            if (line.empty() || read_card(line, &card, &error)) {
                auto same = std::find_if(cards->begin(), cards->end(), [&](const DrawnCard& d) {
                    return card.card != NO_CARD && d.card == card.card;
                });
                if (same == cards->end()) {
                    cards->push_back(card);
                    break;
                }
                error = journal_words_of("tool.journal.drawn_already",
                                         {{"card", journal_card_name(card.card)},
                                          {"n", std::to_string(same - cards->begin() + 1)}});
            }
            *c.out << error << "\n";
        }
    }
    *c.out << "\n";
    return 1;
}

int log_reading(Context& c) {
    const std::vector<std::string>& words = c.options.words;
    std::string error;
    if (words.size() < 2)
        return fail(
            c, journal_words_of("tool.journal.log_needs_reading", {{"readings", reading_names()}}),
            JOURNAL_TOOL_USAGE);
    const int32_t reading = match_reading(words[1], &error);
    if (!reading) return fail(c, error, JOURNAL_TOOL_USAGE);
    std::vector<DrawnCard> cards;
    for (size_t i = 2; i < words.size(); ++i) {
        DrawnCard card;
        if (!read_card(words[i], &card, &error)) return fail(c, error, JOURNAL_TOOL_USAGE);
        cards.push_back(card);
    }
    const std::string texts = card_texts_path(c.options);
    std::string bytes;
    if (texts.empty() || !read_journal_file(texts, &bytes, &error))
        return fail(c, texts.empty()
                           ? journal_words_of("tool.journal.no_card_texts",
                                              {{"language", language_name(journal_language())}})
                           : texts + ": " + error);
    std::string deck;
    if (!c.options.deck.empty()) {
        char* real = realpath(c.options.deck.c_str(), nullptr);
        deck = real ? real : c.options.deck;
        std::free(real);
    }
    Journal journal;
    if (!load(c, &journal, true)) return JOURNAL_TOOL_FAILED;
    if (words.size() == 2 && !ask_cards(c, reading, &cards))
        return fail(c, journal_words_of("tool.journal.input_ended"));
    EntryDraft draft;
    if (!drawn_entry(reading, cards, local_date(std::time(nullptr)), deck, bytes.data(),
                     int32_t(bytes.size()), &draft, &error))
        return fail(c, error, JOURNAL_TOOL_USAGE);
    const std::string entry = format_entry(draft);
    if (!append(c, {entry})) return JOURNAL_TOOL_FAILED;
    *c.out << entry;
    *c.err << "quarnel-journal: "
           << journal_words_of(
                  "tool.journal.logged",
                  {{"n", std::to_string(journal.entries.size() + 1)}, {"path", c.path}})
           << "\n";
    return JOURNAL_TOOL_DONE;
}

int import_journal(Context& c) {
    if (c.options.words.size() != 2)
        return fail(c, journal_words_of("tool.journal.import_needs_file"), JOURNAL_TOOL_USAGE);
    const std::string& file = c.options.words[1];
    std::string bytes, error;
    Journal other, journal;
    if (!read_journal_file(file, &bytes, &error) ||
        !parse_journal(std::move(bytes), &other, &error))
        return fail(
            c, journal_words_of("tool.journal.not_imported", {{"file", file}, {"error", error}}));
    if (!load(c, &journal, true)) return JOURNAL_TOOL_FAILED;
    std::set<std::string> kept;
    for (const JournalEntry& entry : journal.entries) kept.insert(entry_key(journal, entry));
    std::vector<std::string> added;
    size_t skipped = 0, unreadable = 0;
    for (const JournalEntry& entry : other.entries) {
        if (!entry.readable) {
            ++unreadable;
            *c.err << "quarnel-journal: " << file << ": " << entry_summary(other, entry) << "\n";
        } else if (!kept.insert(entry_key(other, entry)).second) {
            ++skipped;
        } else {
            std::string text = entry_text(other, entry);
            if (text.back() != '\n') text += "\n";
            added.push_back(text);
        }
    }
    if (!added.empty() && !append(c, added)) return JOURNAL_TOOL_FAILED;
    *c.out << journal_words_of("tool.journal.imported",
                               {{"added", std::to_string(added.size())},
                                {"skipped", std::to_string(skipped)},
                                {"unreadable", std::to_string(unreadable)}})
           << "\n";
    return JOURNAL_TOOL_DONE;
}

} // namespace

// [SECTION] Entry

int run_journal_tool(const std::vector<std::string>& words, std::istream& in, std::ostream& out,
                     std::ostream& err) {
    // The language of the locale, as the desktop program's (its messages and the entries it
    // logs); --language overrides it. The journal's language is given back at the end.
    struct Speaking {
        int32_t before = journal_language();
        ~Speaking() { set_journal_language(before); }
    } speaking;
    const int32_t from_locale =
        locale_language(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    set_journal_language(from_locale < 0 ? 0 : from_locale);
    Context c;
    c.in = &in;
    c.out = &out;
    c.err = &err;
    std::string error;
    if (!parse_command_line(words, &c.options, &error)) return fail(c, error, JOURNAL_TOOL_USAGE);
    if (c.options.language >= 0) set_journal_language(c.options.language);
    if (c.options.help) {
        out << journal_words_of("tool.journal.usage",
                                {{"readings", reading_names()}, {"codes", language_list()}});
        return JOURNAL_TOOL_DONE;
    }
    if (c.options.version) {
        out << "quarnel-journal " << QUARNEL_VERSION << "\n";
        return JOURNAL_TOOL_DONE;
    }
    if (c.options.words.empty())
        return fail(c, journal_words_of("tool.journal.no_command"), JOURNAL_TOOL_USAGE);
    c.path = c.options.journal;
    if (c.path.empty()) {
        c.path = default_journal_path();
        c.is_default = true;
        if (c.path.empty()) return fail(c, journal_words_of("tool.journal.no_home"));
    }
    const std::string& command = c.options.words[0];
    if ((command == "list" || command == "stats" || command == "export") &&
        c.options.words.size() > 1)
        return fail(c,
                    journal_words_of("tool.journal.takes_no_word",
                                     {{"command", command}, {"word", c.options.words[1]}}),
                    JOURNAL_TOOL_USAGE);
    if (command == "list") return list(c, false);
    if (command == "search") return list(c, true);
    if (command == "show") return show(c);
    if (command == "stats") return stats(c);
    if (command == "export") return export_entries(c);
    if (command == "log") return log_reading(c);
    if (command == "import") return import_journal(c);
    return fail(c, journal_words_of("tool.journal.unknown_command", {{"command", command}}),
                JOURNAL_TOOL_USAGE);
}
