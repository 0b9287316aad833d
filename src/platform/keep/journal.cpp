// journal.cpp -- the desktop's journal: each card table left with a card turned becomes one
// entry appended to the user's file (src/journal writes it); and the reading's text for the
// clipboard. Its messages are the desktop program's, in the language of its messages (GNU
// gettext, po/).

#include "platform/keep/keep.h"
#include "journal/journal.h"
#include "journal/journal_file.h"
#include <cstdio>
#include <libintl.h>

// [SECTION] The reading as text

std::string reading_as_text() {
    return reading_on_screen();
}

// [SECTION] State

namespace {

struct KeptJournal {
    std::string path; // "" = no journal
    std::string deck;
    bool is_default = false;
    bool announced = false;
    bool failing = false; // the last write failed, and said so
    int warnings = 0;
    ReadingWatch watch;
    std::vector<std::string> waiting; // entries not written yet, oldest first
};

KeptJournal journal;

void warn(const std::string& reason) {
    journal.warnings++;
    if (journal.failing) return;
    journal.failing = true;
    std::fprintf(stderr,
                 gettext("quarnel: cannot write the journal %s: %s; the readings are kept in "
                         "memory until it can be written\n"),
                 journal.path.c_str(), reason.c_str());
}

} // namespace

// [SECTION] Journal

void journal_open(const std::string& path, const std::string& deck, bool is_default) {
    journal = KeptJournal();
    journal.path = path;
    journal.deck = deck;
    journal.is_default = is_default;
    if (path.empty() || is_default) return;
    std::string reason = unwritable_reason(path);
    if (!reason.empty()) warn(reason);
}

int journal_warnings() {
    return journal.warnings;
}

int journal_waiting() {
    return int(journal.waiting.size());
}

int journal_append(const std::string& text, int32_t language, std::time_t when) {
    if (journal.path.empty() || text.empty()) return 0;
    journal.waiting.push_back(dealt_entry(text, language, local_date(when), journal.deck));
    std::string error;
    bool made = false;
    if (journal.is_default && !make_journal_folders(journal.path, &error)) {
        warn(error);
        return 0;
    }
    if (!append_entries(journal.path, journal.waiting, &made, &error)) {
        warn(error);
        return 0;
    }
    if (journal.failing)
        std::fprintf(stderr,
                     ngettext("quarnel: the journal %s is written again (%zu reading)\n",
                              "quarnel: the journal %s is written again (%zu readings)\n",
                              journal.waiting.size()),
                     journal.path.c_str(), journal.waiting.size());
    else if (journal.is_default && !journal.announced)
        std::fprintf(stderr,
                     gettext("quarnel: the readings are kept in %s (--no-journal keeps none)\n"),
                     journal.path.c_str());
    journal.announced = true;
    journal.failing = false;
    journal.waiting.clear();
    return 1;
}

void journal_watch() {
    if (journal.path.empty()) return;
    LeftReading left;
    if (watch_reading(&journal.watch, &left))
        journal_append(left.text, left.language, std::time(nullptr));
}

void journal_finish() {
    LeftReading left;
    if (!journal.path.empty() && finish_watching(&journal.watch, &left))
        journal_append(left.text, left.language, std::time(nullptr));
    if (!journal.waiting.empty()) {
        std::fprintf(stderr,
                     ngettext("quarnel: %zu reading could not be written to the journal %s; here "
                              "it is, to keep by hand:\n",
                              "quarnel: %zu readings could not be written to the journal %s; here "
                              "they are, to keep by hand:\n",
                              journal.waiting.size()),
                     journal.waiting.size(), journal.path.c_str());
        for (const std::string& entry : journal.waiting)
            std::fprintf(stderr, "\n%s", entry.c_str());
    }
    journal.path.clear();
    journal.waiting.clear();
}
