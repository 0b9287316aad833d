// main.cpp -- quarnel-cards: the cards and their meanings in the terminal, the card of the day,
// and a printable guidebook of any deck

#include "cards_tool.h"
#include "deck.h"
#include "platform/common/common.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

const int EXIT_REFUSED = 1; // a name, file or folder that cannot be used; nothing written
const int EXIT_USAGE = 2;   // the command line is wrong

struct Options {
    DeckFolders folders;
    int32_t chosen = -1;  // --language, -1 for none
    int32_t language = 0; // of the messages: --language's, else the locale's, else English
    int32_t names = 0;    // of the cards' names and the book: its install folder's
    bool reversed = false;
    std::string date;               // --date, "" for today
    std::vector<std::string> words; // the command and its words
};
Options options;

std::string says(int32_t word, std::initializer_list<Filling> fillings = {}) {
    return library_words(options.language, word, fillings);
}

std::string usage() {
    std::string codes;
    for (int32_t language = 0; language < language_count(); language++)
        codes += std::string(language ? ", " : "") + language_code(language);
    return says(word_quarnel_cards_usage, {{"languages", codes}});
}

int usage_error(const std::string& what) {
    std::fprintf(stderr, "quarnel-cards: %s\n%s", what.c_str(), usage().c_str());
    return EXIT_USAGE;
}

int refuse(const std::string& what) {
    std::fprintf(stderr, "quarnel-cards: %s\n", what.c_str());
    return EXIT_REFUSED;
}

// 0 when the options are good; else the exit code, after the message. The messages speak the
// locale's language until --language names another.
int parse_options(int argc, char** argv) {
    const int32_t from_locale =
        locale_language(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    options.language = from_locale < 0 ? 0 : from_locale;
    std::string install_dir;
    for (int i = 1; i < argc; i++) {
        const std::string word = argv[i];
        if (word == "--help" || word == "-h") {
            std::fputs(usage().c_str(), stdout);
            std::exit(0);
        } else if (word == "--version") {
            std::printf("quarnel-cards %s\n", QUARNEL_VERSION);
            std::exit(0);
        } else if (word == "--reversed") {
            options.reversed = true;
        } else if (word == "--install-dir" || word == "--deck" || word == "--date" ||
                   word == "--language") {
            if (i + 1 >= argc || argv[i + 1][0] == 0)
                return usage_error(says(word_quarnel_cards_needs_value, {{"option", word}}));
            const std::string value = argv[++i];
            if (word == "--install-dir") install_dir = value;
            if (word == "--deck") options.folders.deck_dir = value;
            if (word == "--date") options.date = value;
            if (word == "--language") {
                options.chosen = language_of_code(value.c_str());
                if (options.chosen < 0)
                    return usage_error(says(word_quarnel_cards_bad_language,
                                            {{"code", value}, {"languages", language_list()}}));
                options.language = options.chosen;
            }
        } else if (word.compare(0, 2, "--") == 0) {
            return usage_error(says(word_quarnel_cards_unknown_option, {{"option", word}}));
        } else {
            options.words.push_back(word);
        }
    }
    // The language's install folder, as the desktop program chooses it.
    options.folders.install_dir =
        chosen_language_dir(install_dir.empty() ? default_install_dir() : install_dir,
                            options.chosen, from_locale, &options.names);
    return 0;
}

// [SECTION] Printing

// The terminal's width; 80 when the output is no terminal.
size_t terminal_width() {
    winsize size = {};
    if (isatty(STDOUT_FILENO) && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    const char* columns = std::getenv("COLUMNS");
    if (columns && std::atoi(columns) > 0) return size_t(std::atoi(columns));
    return 80;
}

std::string two_digits(int32_t n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

void print_meaning(const CardDeck& deck, int32_t record, const std::string& heading) {
    std::printf("%s\n\n%s", heading.c_str(),
                wrap_words("", 0, deck.texts[size_t(record)], terminal_width() - 1).c_str());
}

const char* name_of(int32_t card) {
    return language_card_name(options.names, card);
}

std::string card_heading(int32_t record) {
    return two_digits(record / 2) + " " + record_name(record, options.names);
}

// [SECTION] Commands

int list_cards() {
    for (int32_t card = 0; card < CARD_COUNT; card++)
        std::printf("%s %s\n", two_digits(card).c_str(), name_of(card));
    return 0;
}

std::string joined(const std::vector<std::string>& words, size_t from) {
    std::string text;
    for (size_t i = from; i < words.size(); i++) text += (text.empty() ? "" : " ") + words[i];
    return text;
}

int show_card(const CardDeck& deck) {
    const std::string name = joined(options.words, 1);
    const int32_t card = card_of_name(name.c_str(), nullptr);
    if (card < 0) {
        std::string nearest;
        int32_t others[3];
        const int32_t count = nearest_card_names(name.c_str(), others, nullptr, 3);
        for (int32_t i = 0; i < count; i++)
            nearest += std::string(nearest.empty() ? "" : ", ") + name_of(others[i]);
        return refuse(
            says(word_quarnel_cards_no_such_card, {{"name", name}, {"nearest", nearest}}));
    }
    const int32_t record = 2 * card + options.reversed;
    print_meaning(deck, record, card_heading(record));
    return 0;
}

int search(const CardDeck& deck) {
    const std::string query = joined(options.words, 1);
    static CardIndex index;
    index_cards(deck, &index);
    uint8_t matches[CARD_COUNT];
    const int32_t count = search_cards(index, query, matches);
    if (count == 0) return refuse(says(word_quarnel_cards_nothing_found, {{"words", query}}));
    for (int32_t card = 0; card < CARD_COUNT; card++)
        if (matches[card]) std::printf("%s %s\n", two_digits(card).c_str(), name_of(card));
    return 0;
}

int today(const CardDeck& deck) {
    int year = 0, month = 0, day = 0;
    char rest = 0;
    if (options.date.empty()) {
        const std::time_t now = std::time(nullptr);
        std::tm local = {};
        localtime_r(&now, &local);
        year = local.tm_year + 1900, month = local.tm_mon + 1, day = local.tm_mday;
    } else if (std::sscanf(options.date.c_str(), "%d-%d-%d%c", &year, &month, &day, &rest) != 3 ||
               card_of_the_day(year, month, day) < 0) {
        return usage_error(says(word_quarnel_cards_bad_date, {{"date", options.date}}));
    }
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
    const int32_t record = card_of_the_day(year, month, day);
    print_meaning(deck, record,
                  library_words(options.names, word_cards_of_the_day) + ", " + date + ": " +
                      card_heading(record));
    return 0;
}

int write_book(const CardDeck& deck) {
    const std::string path = options.words[1];
    std::string deck_name = "Quarnel";
    if (!options.folders.deck_dir.empty()) {
        std::string folder = options.folders.deck_dir;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        deck_name = folder.substr(folder.find_last_of('/') + 1);
    }
    const std::string html = book_html(deck, deck_name, options.names);
    std::string error;
    if (!write_file_whole(path, std::vector<uint8_t>(html.begin(), html.end()), &error))
        return refuse(says(word_quarnel_cards_not_written, {{"error", error}}));
    char size[32];
    std::snprintf(size, sizeof size, "%.1f", double(html.size()) / 1e6);
    if (options.language != language_en) *std::strchr(size, '.') = ','; // a decimal comma
    std::printf("%s\n",
                says(word_quarnel_cards_written,
                     {{"file", path}, {"count", std::to_string(CARD_COUNT)}, {"size", size}})
                    .c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (const int code = parse_options(argc, argv)) return code;
    if (options.words.empty()) return usage_error(says(word_quarnel_cards_no_command));
    const std::string command = options.words[0];
    const size_t count = options.words.size();
    if (command != "list" && command != "show" && command != "search" && command != "today" &&
        command != "book")
        return usage_error(says(word_quarnel_cards_unknown_command, {{"command", command}}));
    if ((command == "list" || command == "today") && count != 1)
        return usage_error(says(word_quarnel_cards_no_words, {{"command", command}}));
    if (command == "show" && count < 2) return usage_error(says(word_quarnel_cards_needs_name));
    if (command == "search" && count < 2) return usage_error(says(word_quarnel_cards_needs_words));
    if (command == "book" && count != 2) return usage_error(says(word_quarnel_cards_needs_file));
    if (options.reversed && command != "show")
        return usage_error(says(word_quarnel_cards_reversed_for_show));
    if (!options.date.empty() && command != "today")
        return usage_error(says(word_quarnel_cards_date_for_today));
    if (command == "list") return list_cards();

    CardDeck deck;
    std::string problem;
    if (!load_deck(options.folders, options.language, true, command == "book", &deck, &problem))
        return refuse(problem);
    if (command == "show") return show_card(deck);
    if (command == "search") return search(deck);
    if (command == "today") return today(deck);
    return write_book(deck);
}
