// main.cpp -- quarnel-cards: the cards and their meanings in the terminal, the card of the day,
// and a printable guidebook of any deck

#include "cards_tool.h"
#include "cards/name_match.h"
#include "deck.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

const int EXIT_REFUSED = 1; // a name, file or folder that cannot be used; nothing written
const int EXIT_USAGE = 2;   // the command line is wrong

const char USAGE[] =
    "usage: quarnel-cards [--install-dir DIR] [--deck DIR] COMMAND ...\n"
    "  list                    the 78 cards in order, numbered as quarnel-deck numbers them\n"
    "  show NAME [--reversed]  a card's meaning (\"the tower\", \"3 of coins\", \"16\")\n"
    "  search WORDS...         the cards whose names or meanings have every word\n"
    "  today [--date Y-M-D]    the card of the day, the same as the web page's\n"
    "  book OUT.html           the deck's guidebook as one HTML file, to read or print\n"
    "  --install-dir DIR  the program's install folder (default: QUARNEL_INSTALL_DIR, else\n"
    "                     the one installed beside this tool)\n"
    "  --deck DIR         a deck folder made by quarnel-deck: its card.nbf and CardDB.dat\n"
    "                     take the installed ones' place\n"
    "  --help, --version\n"
    "Exit code: 0 done, 1 a name, file or folder that cannot be used (nothing written),\n"
    "2 a wrong command line.\n";

struct Options {
    DeckFolders folders;
    bool reversed = false;
    std::string date;               // --date, "" for today
    std::vector<std::string> words; // the command and its words
};

int usage_error(const std::string& what) {
    std::fprintf(stderr, "quarnel-cards: %s\n%s", what.c_str(), USAGE);
    return EXIT_USAGE;
}

int refuse(const std::string& what) {
    std::fprintf(stderr, "quarnel-cards: %s\n", what.c_str());
    return EXIT_REFUSED;
}

// 0 when the options are good; else the exit code, after the message.
int parse_options(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; i++) {
        const std::string word = argv[i];
        if (word == "--help" || word == "-h") {
            std::fputs(USAGE, stdout);
            std::exit(0);
        } else if (word == "--version") {
            std::printf("quarnel-cards %s\n", QUARNEL_VERSION);
            std::exit(0);
        } else if (word == "--reversed") {
            options->reversed = true;
        } else if (word == "--install-dir" || word == "--deck" || word == "--date") {
            if (i + 1 >= argc || argv[i + 1][0] == 0) return usage_error(word + " needs a value");
            const std::string value = argv[++i];
            if (word == "--install-dir") options->folders.install_dir = value;
            if (word == "--deck") options->folders.deck_dir = value;
            if (word == "--date") options->date = value;
        } else if (word.compare(0, 2, "--") == 0) {
            return usage_error("unknown option " + word);
        } else {
            options->words.push_back(word);
        }
    }
    if (options->folders.install_dir.empty()) options->folders.install_dir = default_install_dir();
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

// Characters of UTF-8 text (each counts one column).
size_t columns_of(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

// The text in lines of at most `width` columns, broken between words.
std::string wrapped(const std::string& text, size_t width) {
    std::string out, line;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && columns_of(line) + 1 + columns_of(word) > width) {
            out += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    return out + line + "\n";
}

std::string two_digits(int32_t n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

void print_meaning(const CardDeck& deck, int32_t record, const std::string& heading) {
    std::printf("%s\n\n%s", heading.c_str(),
                wrapped(deck.texts[size_t(record)], terminal_width() - 1).c_str());
}

std::string card_heading(int32_t record) {
    return two_digits(record / 2) + " " + card_name(record / 2) + ", " +
           card_word(record % 2 ? word_card_reversed : word_card_upright);
}

// [SECTION] Commands

int list_cards() {
    for (int32_t card = 0; card < CARD_COUNT; card++)
        std::printf("%s %s\n", two_digits(card).c_str(), card_name(card));
    return 0;
}

std::string joined(const std::vector<std::string>& words, size_t from) {
    std::string text;
    for (size_t i = from; i < words.size(); i++) text += (text.empty() ? "" : " ") + words[i];
    return text;
}

int show_card(const Options& options, const CardDeck& deck) {
    const std::string name = joined(options.words, 1);
    const int32_t card = match_card_name(name);
    if (card < 0) {
        std::string nearest;
        for (int32_t other : nearest_card_names(name, 3))
            nearest += std::string(nearest.empty() ? "" : ", ") + card_name(other);
        return refuse("no card is called \"" + name + "\"; the nearest names are " + nearest +
                      " (quarnel-cards list names them all)");
    }
    const int32_t record = 2 * card + options.reversed;
    print_meaning(deck, record, card_heading(record));
    return 0;
}

int search(const Options& options, const CardDeck& deck) {
    const std::string query = joined(options.words, 1);
    static CardIndex index;
    index_cards(deck, &index);
    uint8_t matches[CARD_COUNT];
    const int32_t count = search_cards(index, query, matches);
    if (count == 0) return refuse("no card's name or meaning has \"" + query + "\"");
    for (int32_t card = 0; card < CARD_COUNT; card++)
        if (matches[card]) std::printf("%s %s\n", two_digits(card).c_str(), card_name(card));
    return 0;
}

int today(const Options& options, const CardDeck& deck) {
    int year = 0, month = 0, day = 0;
    char rest = 0;
    if (options.date.empty()) {
        const std::time_t now = std::time(nullptr);
        std::tm local = {};
        localtime_r(&now, &local);
        year = local.tm_year + 1900, month = local.tm_mon + 1, day = local.tm_mday;
    } else if (std::sscanf(options.date.c_str(), "%d-%d-%d%c", &year, &month, &day, &rest) != 3 ||
               card_of_the_day(year, month, day) < 0) {
        return usage_error("--date must be a date written YEAR-MONTH-DAY, as 2026-12-07, not " +
                           options.date);
    }
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
    const int32_t record = card_of_the_day(year, month, day);
    print_meaning(deck, record,
                  std::string(card_word(word_card_of_the_day)) + ", " + date + ": " +
                      card_heading(record));
    return 0;
}

int write_book(const Options& options, const CardDeck& deck) {
    const std::string path = options.words[1];
    std::string deck_name = "Quarnel";
    if (!options.folders.deck_dir.empty()) {
        std::string folder = options.folders.deck_dir;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        deck_name = folder.substr(folder.find_last_of('/') + 1);
    }
    const std::string html = book_html(deck, deck_name);
    std::string error;
    if (!write_file_whole(path, std::vector<uint8_t>(html.begin(), html.end()), &error))
        return refuse("the book was not written: " + error);
    std::printf("%s: the guidebook of %d cards (%.1f MB)\n", path.c_str(), int(CARD_COUNT),
                double(html.size()) / 1e6);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int code = parse_options(argc, argv, &options)) return code;
    if (options.words.empty()) return usage_error("a command is needed");
    const std::string command = options.words[0];
    const size_t count = options.words.size();
    if (command != "list" && command != "show" && command != "search" && command != "today" &&
        command != "book")
        return usage_error("unknown command " + command);
    if ((command == "list" || command == "today") && count != 1)
        return usage_error(command + " takes no words");
    if ((command == "show" || command == "search") && count < 2)
        return usage_error(command + " needs " + (command == "show" ? "a card's name" : "words"));
    if (command == "book" && count != 2) return usage_error("book needs one file name");
    if (options.reversed && command != "show") return usage_error("--reversed is for show");
    if (!options.date.empty() && command != "today") return usage_error("--date is for today");
    if (command == "list") return list_cards();

    CardDeck deck;
    std::string problem;
    if (!load_deck(options.folders, true, command == "book", &deck, &problem))
        return refuse(problem);
    if (command == "show") return show_card(options, deck);
    if (command == "search") return search(options, deck);
    if (command == "today") return today(options, deck);
    return write_book(options, deck);
}
