// journal_fuzz.cpp -- fuzzes the journal's reader (the desktop's file, quarnel-journal and
// the web page's import all take it): any bytes are refused with a reason or read into a
// preamble and entries that cover them in order; every readable entry writes out as an entry
// that reads back the same; statistics and exports take whatever was read

#include "fuzz_support.h"
#include "journal/journal.h"

#include <cstring>

namespace {

bool blank_lines(const std::string& text, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
        if (text[i] != '\n' && text[i] != '\r' && text[i] != ' ' && text[i] != '\t') return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Journal journal;
    std::string error;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!parse_journal(bytes, &journal, &error)) {
        fuzz_require(!error.empty(), "a refusal says why");
        return 0;
    }
    fuzz_require(journal.text == bytes, "the journal keeps its bytes");
    fuzz_require(journal.preamble.at == 0, "the preamble starts the file");
    size_t at = journal.preamble.size;
    for (const JournalEntry& entry : journal.entries) {
        fuzz_require(entry.text.at >= at && blank_lines(bytes, at, entry.text.at),
                     "only blank lines stand between entries");
        fuzz_require(entry.text.at + entry.text.size <= bytes.size(), "an entry lies in the file");
        fuzz_require(bytes.compare(entry.text.at, 3, "## ") == 0, "an entry starts at its heading");
        fuzz_require(entry.first_line >= 1 && entry.last_line >= entry.first_line, "lines");
        at = entry.text.at + entry.text.size;
        if (!entry.readable) {
            fuzz_require(!entry.problem.empty(), "an unreadable entry says why");
            continue;
        }
        // Written again, the entry reads back as the same reading, and writes the same.
        const std::string written = format_entry(entry_draft(journal, entry));
        Journal again;
        fuzz_require(parse_journal(written, &again, &error) == 1, "a written entry is a journal");
        fuzz_require(again.entries.size() == 1 && again.entries[0].readable,
                     "a written entry reads back");
        fuzz_require(entry_key(again, again.entries[0]) == entry_key(journal, entry),
                     "the same date, reading and cards");
        fuzz_require(format_entry(entry_draft(again, again.entries[0])) == written,
                     "written twice, the same bytes");
    }
    fuzz_require(blank_lines(bytes, at, bytes.size()), "nothing after the last entry but blanks");

    const JournalStats stats = journal_stats(journal, JournalFilter());
    int64_t counted = 0;
    for (int card = 0; card < 78; ++card) counted += stats.upright[card] + stats.reversed[card];
    fuzz_require(counted == stats.cards, "every card drawn is counted once");
    stats_table(stats);
    stats_json(stats);
    export_csv(journal, JournalFilter());
    export_json(journal, JournalFilter());
    JournalFilter search;
    search.words = "the fool";
    for (const JournalEntry& entry : journal.entries) entry_matches(journal, entry, search);
    return 0;
}
