// stats.cpp -- what a journal says over time: how often each card came up, the cards that
// keep coming back, the shares of the Major Arcana, the suits and reversed cards beside a
// fair shuffle's, readings per month and the longest run of days with a reading

#include "journal/journal.h"
#include "platform/platform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

// [SECTION] The binomial test

double binomial_p_value(int64_t k, int64_t n, double p) {
    if (n <= 0 || k < 0 || k > n) return 1;
    if (p <= 0) return k == 0 ? 1 : 0;
    if (p >= 1) return k == n ? 1 : 0;
    const double q = 1 - p;
    auto log_pmf = [&](int64_t i) {
        return std::lgamma(double(n) + 1) - std::lgamma(double(i) + 1) -
               std::lgamma(double(n - i) + 1) + double(i) * std::log(p) +
               double(n - i) * std::log(q);
    };
    // Every count at most as likely as k, the tiny relative margin of R's binom.test for
    // counts exactly as likely. The terms are walked from the most likely count outwards,
    // each from its neighbour, until they vanish.
    const double threshold = std::exp(log_pmf(k)) * (1 + 1e-7);
    int64_t mode = int64_t(std::floor(double(n + 1) * p));
    if (mode > n) mode = n;
    const double top = std::exp(log_pmf(mode));
    double sum = 0, term = top;
    for (int64_t i = mode; i >= 0 && term > 1e-300; --i) {
        if (term <= threshold) sum += term;
        term *= double(i) / double(n - i + 1) * q / p;
    }
    term = top;
    for (int64_t i = mode; i < n;) {
        term *= double(n - i) / double(i + 1) * p / q;
        ++i;
        if (term <= 1e-300) break;
        if (term <= threshold) sum += term;
    }
    return sum > 1 ? 1 : sum;
}

// [SECTION] The figures

namespace {

enum : int32_t { MAJOR_ARCANA = 22, SUIT_CARDS = 14, SUITS = 4, TOP_CARDS = 10 };

// The shares' names: the Major Arcana, the suits in the cards' order, reversed cards.
const char* const SHARE_NAMES[] = {"arcana.major", "suit.wands",     "suit.cups",
                                   "suit.swords",  "suit.pentacles", "journal.stats.reversed"};

ShareFigure share(const std::string& name, int64_t count, int64_t total, double fair) {
    ShareFigure figure;
    figure.name = name;
    figure.count = count;
    figure.total = total;
    figure.fair = fair;
    figure.p_value = binomial_p_value(count, total, fair);
    figure.far = total > 0 && figure.p_value < FAR_FROM_CHANCE;
    return figure;
}

std::string month_of(const JournalDate& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d", int(d.year), int(d.month));
    return text;
}

} // namespace

JournalStats journal_stats(const Journal& journal, const JournalFilter& filter) {
    JournalStats stats;
    std::set<int64_t> days;
    std::vector<std::pair<int64_t, JournalDate>> day_dates; // for the run's ends
    int64_t by_kind[64] = {};
    int64_t majors = 0, suits[SUITS] = {}, reversed = 0;
    std::vector<std::pair<int32_t, int64_t>> month_counts; // year * 12 + month - 1, readings
    for (const JournalEntry& entry : journal.entries) {
        if (!entry.readable) {
            if (entry_matches(journal, entry, filter)) stats.unreadable++;
            continue;
        }
        if (!entry_matches(journal, entry, filter)) continue;
        // A card of the day comes from the date, not a shuffle of the user's: it is counted
        // on its own, so that the shares and the months are the readings'.
        if (entry.reading == CARD_OF_THE_DAY) {
            stats.cards_of_the_day++;
            continue;
        }
        stats.readings++;
        (entry.source == SOURCE_OWN_DECK ? stats.own_deck : stats.dealt)++;
        if (entry.reading >= 0 && entry.reading < 64) by_kind[entry.reading]++;
        const int64_t day = day_number(entry.date);
        if (!stats.has_dates || day < day_number(stats.first)) stats.first = entry.date;
        if (!stats.has_dates || day > day_number(stats.last)) stats.last = entry.date;
        stats.has_dates = true;
        if (days.insert(day).second) day_dates.push_back({day, entry.date});
        const int32_t month = entry.date.year * 12 + entry.date.month - 1;
        auto found =
            std::find_if(month_counts.rbegin(), month_counts.rend(),
                         [&](const std::pair<int32_t, int64_t>& m) { return m.first == month; });
        if (found != month_counts.rend())
            found->second++;
        else
            month_counts.push_back({month, 1});
        const JournalPosition* positions = entry_positions(journal, entry);
        for (uint32_t p = 0; p < entry.position_count; ++p) {
            const int32_t card = positions[p].card;
            if (card == NO_CARD) continue;
            stats.cards++;
            (positions[p].reversed ? stats.reversed : stats.upright)[card]++;
            reversed += positions[p].reversed;
            if (card < MAJOR_ARCANA)
                majors++;
            else
                suits[(card - MAJOR_ARCANA) / SUIT_CARDS]++;
        }
    }
    for (int32_t i = 0; reading_kind(i); ++i)
        stats.by_reading.push_back({reading_kind(i), by_kind[reading_kind(i) & 63]});

    // The cards that came up most; a fair deck gives each the same share.
    std::vector<int32_t> order;
    for (int32_t card = 0; card < 78; ++card)
        if (stats.upright[card] + stats.reversed[card] > 0) order.push_back(card);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        return stats.upright[a] + stats.reversed[a] > stats.upright[b] + stats.reversed[b];
    });
    if (order.size() > TOP_CARDS) order.resize(TOP_CARDS);
    stats.top = order;
    stats.fair_count = double(stats.cards) / 78;

    stats.shares.push_back(share(journal_words_of(SHARE_NAMES[0]), majors, stats.cards, 22.0 / 78));
    for (int32_t s = 0; s < SUITS; ++s)
        stats.shares.push_back(
            share(journal_words_of(SHARE_NAMES[1 + s]), suits[s], stats.cards, 14.0 / 78));
    stats.shares.push_back(
        share(journal_words_of(SHARE_NAMES[SUITS + 1]), reversed, stats.cards, 0.5));

    // Every month from the first to the last, those without a reading too.
    std::sort(month_counts.begin(), month_counts.end());
    for (size_t i = 0; i < month_counts.size(); ++i) {
        const int32_t month = month_counts[i].first;
        JournalDate d;
        d.year = month / 12;
        d.month = month % 12 + 1;
        stats.months.push_back({month_of(d), month_counts[i].second});
        if (i + 1 < month_counts.size())
            for (int32_t gap = month + 1; gap < month_counts[i + 1].first; ++gap) {
                d.year = gap / 12;
                d.month = gap % 12 + 1;
                stats.months.push_back({month_of(d), 0});
            }
    }

    // The longest run of days in a row with a reading; the earliest of equal runs.
    std::sort(day_dates.begin(), day_dates.end(),
              [](const std::pair<int64_t, JournalDate>& a,
                 const std::pair<int64_t, JournalDate>& b) { return a.first < b.first; });
    size_t run_start = 0;
    for (size_t i = 0; i < day_dates.size(); ++i) {
        if (i > 0 && day_dates[i].first != day_dates[i - 1].first + 1) run_start = i;
        const int64_t length = int64_t(i - run_start + 1);
        if (length > stats.longest_run) {
            stats.longest_run = length;
            stats.run_first = day_dates[run_start].second;
            stats.run_last = day_dates[i].second;
        }
    }
    return stats;
}

// [SECTION] Words about the figures

namespace {

// Decimals in JSON, whatever the language.
std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// "0.0004", "< 0.0001"
std::string p_text(double p) {
    if (p < 0.0001) return "< " + number_text(0.0001, 4);
    return number_text(p, p < 0.01 ? 4 : 2);
}

std::string day_of(const JournalDate& d) {
    return format_date(d).substr(0, 10);
}

// The plain-words note on a share far from a fair shuffle's; "" for one within chance.
std::string share_note(const ShareFigure& f) {
    if (!f.far) return "";
    const double share = double(f.count) / double(f.total);
    return journal_words_of(share > f.fair ? "journal.stats.far_above" : "journal.stats.far_below",
                            {{"name", f.name},
                             {"share", percent_text(share)},
                             {"total", std::to_string(f.total)},
                             {"fair", percent_text(f.fair)},
                             {"times", std::to_string(int(std::round(1 / FAR_FROM_CHANCE)))},
                             {"p", (f.p_value < 0.0001 ? "p " : "p = ") + p_text(f.p_value)}});
}

// The columns a UTF-8 text takes on a terminal: one a character.
size_t columns(const std::string& text) {
    size_t count = 0;
    for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// Words in lines of at most 90 columns, each after two spaces.
std::string wrapped(const std::string& text) {
    std::string out, line;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(at, end - at);
        if (!line.empty() && columns(line) + 1 + columns(word) > 88) {
            out += "  " + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        at = end + 1;
    }
    return out + "  " + line + "\n";
}

std::string padded(std::string text, size_t width, bool right) {
    const size_t used = columns(text);
    if (used >= width) return text;
    return right ? std::string(width - used, ' ') + text : text + std::string(width - used, ' ');
}

// A column of the table: its heading, and its width (at least `least`, and one more than the
// heading's).
struct Column {
    std::string heading;
    size_t width;
};
Column column(const char* key, size_t least) {
    const std::string heading = journal_words_of(key);
    return {heading, std::max(least, columns(heading) + 1)};
}

} // namespace

std::string stats_table(const JournalStats& s) {
    std::string out;
    const std::string days =
        s.cards_of_the_day
            ? journal_count_words("journal.stats.cards_of_the_day", s.cards_of_the_day) + "\n"
            : "";
    if (s.readings == 0) {
        out += journal_words_of("journal.stats.none") + "\n" + days;
        if (s.unreadable)
            out += journal_count_words("journal.stats.unreadable", s.unreadable) + "\n";
        return out;
    }
    out += journal_count_words("journal.stats.readings", s.readings,
                               {{"first", day_of(s.first)},
                                {"last", day_of(s.last)},
                                {"dealt", std::to_string(s.dealt)},
                                {"own", std::to_string(s.own_deck)}}) +
           "\n" + days;
    if (s.unreadable) out += journal_count_words("journal.stats.unreadable", s.unreadable) + "\n";
    std::string kinds;
    for (const auto& k : s.by_reading)
        if (k.second)
            kinds += std::string(kinds.empty() ? "" : ", ") + journal_reading_name(k.first) + " " +
                     std::to_string(k.second);
    out += journal_words_of("journal.stats.by_reading", {{"readings", kinds}}) + "\n";
    out += journal_count_words("journal.stats.cards", s.cards,
                               {{"fair", number_text(s.fair_count, 1)}}) +
           "\n";

    size_t longest = 20; // the widest name, and two spaces
    for (int32_t c : s.top) longest = std::max(longest, columns(journal_card_name(c)));
    const Column card = column("journal.stats.card", longest + 2),
                 times = column("journal.stats.times", 6),
                 upright = column("journal.stats.upright", 9),
                 reversed = column("journal.stats.reversed_column", 10),
                 fair = column("journal.stats.fair_deck", 11);
    out += "\n" + journal_words_of("journal.stats.top") + "\n";
    out += "  " + padded(card.heading, card.width, false) +
           padded(times.heading, times.width, true) + padded(upright.heading, upright.width, true) +
           padded(reversed.heading, reversed.width, true) + padded(fair.heading, fair.width, true) +
           "\n";
    for (int32_t c : s.top)
        out += "  " + padded(journal_card_name(c), card.width, false) +
               padded(std::to_string(s.upright[c] + s.reversed[c]), times.width, true) +
               padded(std::to_string(s.upright[c]), upright.width, true) +
               padded(std::to_string(s.reversed[c]), reversed.width, true) +
               padded(number_text(s.fair_count, 1), fair.width, true) + "\n";

    const Column cards = column("journal.stats.cards_column", 7),
                 share = column("journal.stats.share", 8),
                 shuffle = column("journal.stats.fair_shuffle", 14);
    size_t kind = 14, p = 10;
    for (const ShareFigure& f : s.shares) kind = std::max(kind, columns(f.name) + 2);
    out += "\n" + journal_words_of("journal.stats.shares") + "\n";
    out += "  " + padded("", kind, false) + padded(cards.heading, cards.width, true) +
           padded(share.heading, share.width, true) + padded(shuffle.heading, shuffle.width, true) +
           padded("p", p, true) + "\n";
    std::string notes;
    for (const ShareFigure& f : s.shares) {
        out += "  " + padded(f.name, kind, false) +
               padded(std::to_string(f.count), cards.width, true) +
               padded(percent_text(f.total ? double(f.count) / double(f.total) : 0), share.width,
                      true) +
               padded(percent_text(f.fair), shuffle.width, true) +
               padded(p_text(f.p_value), p, true) +
               (f.far ? "  " + journal_words_of("journal.stats.far") : "") + "\n";
        if (f.far) notes += wrapped(share_note(f));
    }
    out += notes.empty() ? "  " + journal_words_of("journal.stats.within_chance") + "\n" : notes;
    out += wrapped(journal_words_of("journal.stats.test"));

    out += "\n" + journal_words_of("journal.stats.months") + "\n";
    int64_t most = 1;
    for (const auto& m : s.months) most = std::max(most, m.second);
    for (const auto& m : s.months)
        out += "  " + m.first + padded(std::to_string(m.second), 6, true) + "  " +
               std::string(size_t((m.second * 40 + most - 1) / most), '#') + "\n";
    out += "\n" +
           journal_count_words("journal.stats.run", s.longest_run,
                               {{"first", day_of(s.run_first)}, {"last", day_of(s.run_last)}}) +
           "\n";
    return out;
}

std::string stats_json(const JournalStats& s) {
    auto card_object = [&](int32_t card) {
        return "{\"card\":" + std::to_string(card) +
               ",\"name\":" + json_string(journal_card_name(card)) +
               ",\"count\":" + std::to_string(s.upright[card] + s.reversed[card]) +
               ",\"upright\":" + std::to_string(s.upright[card]) +
               ",\"reversed\":" + std::to_string(s.reversed[card]) + "}";
    };
    std::string out =
        "{\"readings\":" + std::to_string(s.readings) +
        ",\"unreadable\":" + std::to_string(s.unreadable) +
        ",\"dealt\":" + std::to_string(s.dealt) + ",\"own_deck\":" + std::to_string(s.own_deck) +
        ",\"cards\":" + std::to_string(s.cards) +
        ",\"cards_of_the_day\":" + std::to_string(s.cards_of_the_day) +
        ",\"first\":" + (s.has_dates ? json_string(day_of(s.first)) : "null") +
        ",\"last\":" + (s.has_dates ? json_string(day_of(s.last)) : "null") + ",\"by_reading\":[";
    for (size_t i = 0; i < s.by_reading.size(); ++i)
        out += std::string(i ? "," : "") + "{\"kind\":" + std::to_string(s.by_reading[i].first) +
               ",\"reading\":" + json_string(journal_reading_name(s.by_reading[i].first)) +
               ",\"readings\":" + std::to_string(s.by_reading[i].second) + "}";
    out += "],\"fair_count\":" + fixed(s.fair_count, 4) + ",\"top\":[";
    for (size_t i = 0; i < s.top.size(); ++i) out += (i ? "," : "") + card_object(s.top[i]);
    out += "],\"shares\":[";
    for (size_t i = 0; i < s.shares.size(); ++i) {
        const ShareFigure& f = s.shares[i];
        out += std::string(i ? "," : "") + "{\"name\":" + json_string(f.name) +
               ",\"count\":" + std::to_string(f.count) + ",\"total\":" + std::to_string(f.total) +
               ",\"share\":" + fixed(f.total ? double(f.count) / double(f.total) : 0, 6) +
               ",\"fair\":" + fixed(f.fair, 6) + ",\"p_value\":" + fixed(f.p_value, 8) +
               ",\"far\":" + (f.far ? "true" : "false") +
               ",\"note\":" + json_string(share_note(f)) + "}";
    }
    out += "],\"test\":" + json_string(journal_words_of("journal.stats.test")) + ",\"months\":[";
    for (size_t i = 0; i < s.months.size(); ++i)
        out += std::string(i ? "," : "") + "{\"month\":" + json_string(s.months[i].first) +
               ",\"readings\":" + std::to_string(s.months[i].second) + "}";
    out += "],\"longest_run\":{\"days\":" + std::to_string(s.longest_run) +
           ",\"from\":" + (s.longest_run ? json_string(day_of(s.run_first)) : "null") +
           ",\"to\":" + (s.longest_run ? json_string(day_of(s.run_last)) : "null") +
           "},\"cards_by_number\":[";
    for (int32_t card = 0; card < 78; ++card) out += (card ? "," : "") + card_object(card);
    return out + "]}";
}
