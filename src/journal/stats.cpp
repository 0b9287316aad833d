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

// "Wands" from "Ace of Wands": the suit as the program's card names give it.
std::string suit_name(int32_t suit) {
    const std::string ace = journal_card_name(MAJOR_ARCANA + suit * SUIT_CARDS);
    const size_t of = ace.rfind(' ');
    return of == std::string::npos ? ace : ace.substr(of + 1);
}

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

    stats.shares.push_back(share("Major Arcana", majors, stats.cards, 22.0 / 78));
    for (int32_t s = 0; s < SUITS; ++s)
        stats.shares.push_back(share(suit_name(s), suits[s], stats.cards, 14.0 / 78));
    stats.shares.push_back(share("Reversed", reversed, stats.cards, 0.5));

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

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string percent(double share) {
    return fixed(share * 100, 1) + "%";
}

// "0.0004", "< 0.0001"
std::string p_text(double p) {
    if (p < 0.0001) return "< 0.0001";
    return fixed(p, p < 0.01 ? 4 : 2);
}

std::string day_of(const JournalDate& d) {
    return format_date(d).substr(0, 10);
}

// The plain-words note on a share far from a fair shuffle's; "" for one within chance.
std::string share_note(const ShareFigure& f) {
    if (!f.far) return "";
    const double share = double(f.count) / double(f.total);
    return f.name + ": " + percent(share) + " of your " + std::to_string(f.total) +
           " cards, against " + percent(f.fair) + " from a fair shuffle. Chance alone lands " +
           (share > f.fair ? "this far above " : "this far below ") + percent(f.fair) +
           " less than once in " + std::to_string(int(std::round(1 / FAR_FROM_CHANCE))) +
           " journals of this size (p " + (f.p_value < 0.0001 ? "" : "= ") + p_text(f.p_value) +
           ").";
}

// Words in lines of at most 90 columns, each after two spaces.
std::string wrapped(const std::string& text) {
    std::string out, line;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(at, end - at);
        if (!line.empty() && line.size() + 1 + word.size() > 88) {
            out += "  " + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        at = end + 1;
    }
    return out + "  " + line + "\n";
}

std::string padded(std::string text, size_t width, bool right) {
    if (text.size() >= width) return text;
    return right ? std::string(width - text.size(), ' ') + text
                 : text + std::string(width - text.size(), ' ');
}

} // namespace

const char HOW_THE_TEST_WORKS[] =
    "p: the chance that a fair shuffle gives a count at most as likely as yours (a two-sided "
    "exact binomial test over the cards drawn); below 0.01 it is far from chance.";

std::string stats_table(const JournalStats& s) {
    std::string out;
    if (s.readings == 0) {
        out += "No readings to count.\n";
        if (s.unreadable)
            out += std::to_string(s.unreadable) + " unreadable entries passed over.\n";
        return out;
    }
    out += std::to_string(s.readings) + (s.readings == 1 ? " reading" : " readings") + " from " +
           day_of(s.first) + " to " + day_of(s.last) + ": " + std::to_string(s.dealt) +
           " dealt by Quarnel, " + std::to_string(s.own_deck) + " drawn from your own deck\n";
    if (s.unreadable) out += std::to_string(s.unreadable) + " unreadable entries passed over\n";
    std::string kinds;
    for (const auto& k : s.by_reading)
        if (k.second)
            kinds += std::string(kinds.empty() ? "" : ", ") + journal_reading_name(k.first) + " " +
                     std::to_string(k.second);
    out += "By reading: " + kinds + "\n";
    out += std::to_string(s.cards) + " cards drawn; a fair deck gives each card " +
           fixed(s.fair_count, 1) + "\n";

    out += "\nThe cards that keep coming back\n";
    out += "  " + padded("Card", 22, false) + padded("Times", 6, true) +
           padded("Upright", 9, true) + padded("Reversed", 10, true) +
           padded("Fair deck", 11, true) + "\n";
    for (int32_t card : s.top)
        out += "  " + padded(journal_card_name(card), 22, false) +
               padded(std::to_string(s.upright[card] + s.reversed[card]), 6, true) +
               padded(std::to_string(s.upright[card]), 9, true) +
               padded(std::to_string(s.reversed[card]), 10, true) +
               padded(fixed(s.fair_count, 1), 11, true) + "\n";

    out += "\nShares of the cards drawn\n";
    out += "  " + padded("", 14, false) + padded("Cards", 7, true) + padded("Share", 8, true) +
           padded("Fair shuffle", 14, true) + padded("p", 10, true) + "\n";
    std::string notes;
    for (const ShareFigure& f : s.shares) {
        out += "  " + padded(f.name, 14, false) + padded(std::to_string(f.count), 7, true) +
               padded(percent(f.total ? double(f.count) / double(f.total) : 0), 8, true) +
               padded(percent(f.fair), 14, true) + padded(p_text(f.p_value), 10, true) +
               (f.far ? "  far from chance" : "") + "\n";
        if (f.far) notes += wrapped(share_note(f));
    }
    out += notes.empty() ? "  Every share lies within what chance gives.\n" : notes;
    out += wrapped(HOW_THE_TEST_WORKS);

    out += "\nReadings per month\n";
    int64_t most = 1;
    for (const auto& m : s.months) most = std::max(most, m.second);
    for (const auto& m : s.months)
        out += "  " + m.first + padded(std::to_string(m.second), 6, true) + "  " +
               std::string(size_t((m.second * 40 + most - 1) / most), '#') + "\n";
    out += "\nLongest run: " + std::to_string(s.longest_run) +
           (s.longest_run == 1 ? " day" : " days in a row") + " with a reading (" +
           day_of(s.run_first) + (s.longest_run > 1 ? " to " + day_of(s.run_last) : "") + ")\n";
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
    out += "],\"test\":" + json_string(HOW_THE_TEST_WORKS) + ",\"months\":[";
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
