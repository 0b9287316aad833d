// journal.cpp -- the opt-in journal: each card table left with a card turned becomes one
// Markdown entry appended to the user's file, and the reading's text for the clipboard

#include "platform/keep/keep.h"
#include "platform/platform.h"
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// [SECTION] The reading as text

std::string reading_as_text() {
    std::string text(READING_TEXT_SIZE, '\0');
    text.resize(size_t(screen_reading_text(&text[0], READING_TEXT_SIZE)));
    return text;
}

// [SECTION] State

namespace {

struct Journal {
    std::string path; // "" = no journal
    int warnings = 0;
    // The card table last seen with a card turned, and its text as it was then: when the
    // table is left, the card text file may already be closed (Exit).
    bool table_seen = false;
    uint32_t version = 0; // screen_version when the text was taken
    std::string text;
};

Journal journal;

void warn(const std::string& reason) {
    journal.warnings++;
    if (journal.warnings > 1) return;
    std::fprintf(stderr, "quarnel: cannot write the journal %s: %s; readings are not kept\n",
                 journal.path.c_str(), reason.c_str());
}

// "" when the file can be appended to (or made), else why not. Honours a file made
// read-only even for a user whom the system would let write.
std::string unwritable_reason(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return "it is a folder";
        if (S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0) return "the file is read-only";
        if (access(path.c_str(), W_OK) != 0) return std::strerror(errno);
        return "";
    }
    if (errno != ENOENT) return std::strerror(errno);
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "."
                         : slash == 0               ? "/"
                                                    : path.substr(0, slash);
    if (access(folder.c_str(), W_OK) != 0) return std::strerror(errno);
    return "";
}

// The reading's text as Markdown: its first line (the reading's name) goes into the heading,
// and every line that another follows in the same block ends in a line break.
std::string markdown_entry(const std::string& text, std::time_t when) {
    char date[32] = "";
    struct tm local;
    if (localtime_r(&when, &local)) std::strftime(date, sizeof date, "%Y-%m-%d %H:%M", &local);
    size_t first_end = text.find('\n');
    std::string name = text.substr(0, first_end);
    std::string entry = "## " + name + ", " + date + "\n";
    size_t at = first_end == std::string::npos ? text.size() : first_end + 1;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        bool more = end + 1 < text.size() && text[end + 1] != '\n' && !line.empty();
        entry += line + (more ? "  \n" : "\n");
        at = end + 1;
    }
    return entry;
}

} // namespace

// [SECTION] Journal

void journal_open(const std::string& path) {
    journal = Journal();
    journal.path = path;
    if (path.empty()) return;
    std::string reason = unwritable_reason(path);
    if (!reason.empty()) warn(reason);
}

int journal_warnings() {
    return journal.warnings;
}

int journal_append(const std::string& text, std::time_t when) {
    if (journal.path.empty() || text.empty()) return 0;
    std::string reason = unwritable_reason(journal.path);
    if (!reason.empty()) {
        warn(reason);
        return 0;
    }
    // Appended, never truncated: an entry lands after whatever the file holds.
    int fd = open(journal.path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        warn(std::strerror(errno));
        return 0;
    }
    struct stat st;
    std::string entry = markdown_entry(text, when);
    if (fstat(fd, &st) == 0 && st.st_size > 0) entry = "\n" + entry; // a blank line between
    size_t written = 0;
    int error = 0;
    while (written < entry.size() && !error) {
        ssize_t n = write(fd, entry.data() + written, entry.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            error = n < 0 ? errno : EIO;
        else
            written += size_t(n);
    }
    if (close(fd) != 0 && !error) error = errno;
    if (error) {
        warn(std::strerror(error));
        return 0;
    }
    return 1;
}

void journal_watch() {
    if (journal.path.empty()) return;
    ScreenInfo info;
    screen_info(&info);
    if (info.kind == SCREEN_CARD_TABLE && info.turned_count > 0) {
        const uint32_t version = screen_version();
        if (!journal.table_seen || version != journal.version) {
            journal.text = reading_as_text();
            journal.version = version;
        }
        journal.table_seen = true;
        return;
    }
    if (!journal.table_seen) return;
    journal.table_seen = false;
    journal_append(journal.text, std::time(nullptr));
}

void journal_finish() {
    if (journal.table_seen) journal_append(journal.text, std::time(nullptr));
    journal.table_seen = false;
    journal.text.clear();
    journal.path.clear();
}
