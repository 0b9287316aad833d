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

const char USAGE[] =
    "Usage: quarnel-journal [OPTION]... COMMAND [WORD]...\n"
    "Read the journal of Quarnel's readings; log a reading drawn from your own deck.\n"
    "\n"
    "Commands:\n"
    "  list               one line per entry, newest first: number, date, reading, cards\n"
    "  show N             the whole entry numbered N\n"
    "  search WORDS...    the entries that hold the card so named, or every word (in the\n"
    "                     questions, meanings and notes), newest first\n"
    "  stats              how often each card came up; the shares of the Major Arcana, the\n"
    "                     suits and reversed cards beside a fair shuffle's; readings per month\n"
    "  log READING [CARD]...\n"
    "                     append a reading drawn from your own deck, a card per position\n"
    "                     (\"the fool reversed\"; \"-\" for a position not drawn); with no\n"
    "                     card, asks for each position\n"
    "  export             the entries as Markdown, JSON or CSV (--format)\n"
    "  import FILE        append the entries of another journal (a phone's export) that\n"
    "                     this one lacks; the same date, reading and cards count as one\n"
    "\n"
    "Options:\n"
    "  --journal FILE     the journal (default: $XDG_DATA_HOME/quarnel/journal.md, else\n"
    "                     ~/.local/share/quarnel/journal.md)\n"
    "  --reading KIND     only this reading: desire, today, past, love, business, money\n"
    "  --from DATE        only from this day on (YYYY-MM-DD)\n"
    "  --to DATE          only up to this day, included\n"
    "  --json             stats: the figures as JSON\n"
    "  --format FORMAT    export: markdown (default), json or csv (a row per card drawn)\n"
    "  --deck DIR         log: the meanings of a deck made by quarnel-deck (DIR/CardDB.dat),\n"
    "                     and the entry names the deck\n"
    "  --install-dir DIR  log: the install folder whose card texts give the meanings\n"
    "  -h, --help         show this help and exit\n"
    "  --version          show the version and exit\n"
    "Exit code: 0 done, 1 the journal cannot be read or written or nothing was found,\n"
    "2 a wrong word on the command line.\n";

struct Options {
    bool help = false, version = false, json = false;
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
            *error = name + " needs a day as YYYY-MM-DD, not '" + value + "'";
            return 0;
        }
        (from ? o->filter.has_from : o->filter.has_to) = true;
    } else if (name == "--format") {
        if (value != "markdown" && value != "json" && value != "csv") {
            *error = "--format is markdown, json or csv, not '" + value + "'";
            return 0;
        }
        o->format = value;
    } else if (name == "--deck") {
        o->deck = value;
    } else if (name == "--install-dir") {
        o->install_dir = value;
    }
    if (value.empty()) *error = name + " needs a value";
    return value.empty() ? 0 : 1;
}

int parse_command_line(const std::vector<std::string>& words, Options* o, std::string* error) {
    static const std::set<std::string> with_value = {
        "--journal", "--reading", "--from", "--to", "--format", "--deck", "--install-dir"};
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
                *error = name + " takes no value";
                return 0;
            }
            (name == "--version" ? o->version : name == "--json" ? o->json : o->help) = true;
            continue;
        }
        if (!with_value.count(name)) {
            *error = "unknown option '" + name + "'";
            return 0;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < words.size()) {
            value = words[++i];
        } else {
            *error = name + " needs a value";
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
    if (code == JOURNAL_TOOL_USAGE) *c.err << "Try 'quarnel-journal --help'.\n";
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
        fail(c, "no journal at " + c.path +
                    " yet: play a reading in quarnel, or log one with "
                    "'quarnel-journal log'");
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
        fail(c, "cannot write the journal " + c.path + ": " + error + "; nothing was written");
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
        *c.out << format_date(entry.date) << "  " << entry_summary(journal, entry)
               << (entry.source == SOURCE_OWN_DECK ? "  (own deck)" : "") << "\n";
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
        if (c.options.words.size() < 2) return fail(c, "search needs words", JOURNAL_TOOL_USAGE);
        for (size_t i = 1; i < c.options.words.size(); ++i)
            c.options.filter.words += (i > 1 ? " " : "") + c.options.words[i];
    }
    if (!load(c, &journal, false)) return JOURNAL_TOOL_FAILED;
    const std::vector<size_t> order = chosen(journal, c.options.filter);
    const int width = int(std::to_string(journal.entries.size()).size());
    for (size_t index : order) list_line(c, journal, index, width);
    if (search && order.empty()) return fail(c, "no entry holds '" + c.options.filter.words + "'");
    return JOURNAL_TOOL_DONE;
}

int show(Context& c) {
    if (c.options.words.size() != 2)
        return fail(c, "show needs one entry number", JOURNAL_TOOL_USAGE);
    const std::string& word = c.options.words[1];
    size_t number = 0;
    for (char ch : word)
        number = ch >= '0' && ch <= '9' && number < 100000000 ? number * 10 + size_t(ch - '0') : 0;
    if (word.empty() || number == 0)
        return fail(c, "show needs an entry number (1 up), not '" + word + "'", JOURNAL_TOOL_USAGE);
    Journal journal;
    if (!load(c, &journal, false)) return JOURNAL_TOOL_FAILED;
    if (number > journal.entries.size())
        return fail(c, "no entry " + word + ": the journal holds " +
                           std::to_string(journal.entries.size()));
    const JournalEntry& entry = journal.entries[number - 1];
    if (!entry.readable)
        *c.out << "Entry " << number << " cannot be read (lines " << entry.first_line << "-"
               << entry.last_line << "): " << entry.problem << "\n\n";
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

// The card texts the meanings come from: the deck's, else the install folder's (found as the
// desktop program finds it). "" when there are none.
std::string card_texts_path(const Options& o) {
    if (!o.deck.empty() && exists(o.deck + "/CardDB.dat")) return o.deck + "/CardDB.dat";
    const char* variable = std::getenv("QUARNEL_INSTALL_DIR");
    std::vector<std::string> folders = {o.install_dir, variable ? variable : "",
                                        executable_folder() + "/../share/quarnel"};
#ifdef QUARNEL_DATA_DIR
    folders.push_back(QUARNEL_DATA_DIR);
#endif
    if (!o.install_dir.empty()) folders.resize(1); // the folder asked for, or none
    for (const std::string& folder : folders)
        if (!folder.empty() && exists(folder + "/picture/CardDB.dat"))
            return folder + "/picture/CardDB.dat";
    return "";
}

// A card as typed: a name with its orientation, or "-" for a position not drawn.
int read_card(const std::string& word, DrawnCard* card, std::string* error) {
    if (word == "-" || word == "not drawn" || word == "Not drawn" || word == "Not drawn.") {
        *card = DrawnCard();
        return 1;
    }
    card->card = match_card(word, &card->reversed, error);
    return card->card >= 0;
}

// Asks for each position in the terminal, until every card is a card and none is drawn twice.
int ask_cards(Context& c, int32_t reading, std::vector<DrawnCard>* cards) {
    const int32_t count = reading_card_count(reading);
    *c.out << journal_reading_name(reading) << " reading: " << count
           << (count == 1 ? " position" : " positions")
           << ". Type each card's name, with \"reversed\" after it if it lies reversed; an "
              "empty line leaves the position not drawn.\n";
    char question[READING_TEXT_SIZE];
    for (int32_t p = 0; p < count; ++p) {
        for (;;) {
            *c.out << "\nCard " << p + 1 << " of " << count;
            if (reading_question(JOURNAL_LANGUAGE, reading, p, question, READING_TEXT_SIZE))
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
                error = std::string(journal_card_name(card.card)) + " is drawn already (position " +
                        std::to_string(same - cards->begin() + 1) +
                        "); a deck holds each card once";
            }
            *c.out << error << "\n";
        }
    }
    *c.out << "\n";
    return 1;
}

int log_reading(Context& c) {
    const std::vector<std::string>& words = c.options.words;
    if (words.size() < 2)
        return fail(c, "log needs a reading: desire, today, past, love, business or money",
                    JOURNAL_TOOL_USAGE);
    std::string error;
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
        return fail(c, texts.empty() ? "no card texts (CardDB.dat) to take the meanings from: give "
                                       "--install-dir DIR or --deck DIR"
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
        return fail(c, "no reading was logged (the input ended)");
    EntryDraft draft;
    if (!drawn_entry(reading, cards, local_date(std::time(nullptr)), deck, bytes.data(),
                     int32_t(bytes.size()), &draft, &error))
        return fail(c, error, JOURNAL_TOOL_USAGE);
    const std::string entry = format_entry(draft);
    if (!append(c, {entry})) return JOURNAL_TOOL_FAILED;
    *c.out << entry;
    *c.err << "quarnel-journal: logged as entry " << journal.entries.size() + 1 << " of " << c.path
           << "\n";
    return JOURNAL_TOOL_DONE;
}

int import_journal(Context& c) {
    if (c.options.words.size() != 2) return fail(c, "import needs one file", JOURNAL_TOOL_USAGE);
    const std::string& file = c.options.words[1];
    std::string bytes, error;
    Journal other, journal;
    if (!read_journal_file(file, &bytes, &error) ||
        !parse_journal(std::move(bytes), &other, &error))
        return fail(c, file + ": " + error + "; nothing was imported");
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
    *c.out << "Added " << added.size() << ", skipped " << skipped << " already in the journal, "
           << unreadable << " unreadable (not added).\n";
    return JOURNAL_TOOL_DONE;
}

} // namespace

// [SECTION] Entry

int run_journal_tool(const std::vector<std::string>& words, std::istream& in, std::ostream& out,
                     std::ostream& err) {
    Context c;
    c.in = &in;
    c.out = &out;
    c.err = &err;
    std::string error;
    if (!parse_command_line(words, &c.options, &error)) return fail(c, error, JOURNAL_TOOL_USAGE);
    if (c.options.help) {
        out << USAGE;
        return JOURNAL_TOOL_DONE;
    }
    if (c.options.version) {
        out << "quarnel-journal " << QUARNEL_VERSION << "\n";
        return JOURNAL_TOOL_DONE;
    }
    if (c.options.words.empty()) return fail(c, "no command given", JOURNAL_TOOL_USAGE);
    c.path = c.options.journal;
    if (c.path.empty()) {
        c.path = default_journal_path();
        c.is_default = true;
        if (c.path.empty()) return fail(c, "no home folder for the journal: give --journal FILE");
    }
    const std::string& command = c.options.words[0];
    if ((command == "list" || command == "stats" || command == "export") &&
        c.options.words.size() > 1)
        return fail(c, command + " takes no word: '" + c.options.words[1] + "'",
                    JOURNAL_TOOL_USAGE);
    if (command == "list") return list(c, false);
    if (command == "search") return list(c, true);
    if (command == "show") return show(c);
    if (command == "stats") return stats(c);
    if (command == "export") return export_entries(c);
    if (command == "log") return log_reading(c);
    if (command == "import") return import_journal(c);
    return fail(c, "unknown command '" + command + "'", JOURNAL_TOOL_USAGE);
}
