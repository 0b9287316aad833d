// journal_file.cpp -- the journal's file on the desktop: its place, reading it, and appends
// that add whole entries or nothing

#include "journal/journal_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// [SECTION] Where

std::string default_journal_path() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/quarnel/journal.md";
    const char* home = std::getenv("HOME");
    if (!home || !home[0]) return "";
    return std::string(home) + "/.local/share/quarnel/journal.md";
}

int make_journal_folders(const std::string& path, std::string* error) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            *error = folder + ": " + std::strerror(errno);
            return 0;
        }
    }
    return 1;
}

// [SECTION] Reading

int read_journal_file(const std::string& path, std::string* bytes, std::string* error) {
    // Read straight into a string of the file's size: a journal of 10,000 entries is some
    // 25 MB, held once.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        *error = std::strerror(errno);
        if (fd >= 0) close(fd);
        return 0;
    }
    if (S_ISDIR(st.st_mode)) {
        close(fd);
        *error = "it is a folder";
        return 0;
    }
    bytes->clear();
    bytes->resize(S_ISREG(st.st_mode) ? size_t(st.st_size) + 1 : 0); // + 1: room to see the end
    size_t held = 0;
    for (;;) {
        if (held == bytes->size()) bytes->resize(held + 65536);
        const ssize_t n = read(fd, &(*bytes)[held], bytes->size() - held);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int failure = n < 0 ? errno : 0;
            close(fd);
            bytes->resize(held);
            if (failure) *error = std::strerror(failure);
            return failure ? 0 : 1;
        }
        held += size_t(n);
    }
}

// [SECTION] Appending

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

int append_entries(const std::string& path, const std::vector<std::string>& entries, bool* made,
                   std::string* error) {
    *made = false;
    if (entries.empty()) return 1;
    *error = unwritable_reason(path);
    if (!error->empty()) return 0;
    struct stat before;
    const bool existed = stat(path.c_str(), &before) == 0;
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = std::strerror(errno);
        return 0;
    }
    *made = !existed;
    struct stat st;
    off_t size = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : 0;
    // A blank line between what the file holds and the first entry, and between entries.
    std::string block;
    if (size > 0) {
        char last = '\n';
        const int reader = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (reader >= 0 && pread(reader, &last, 1, size - 1) != 1) last = '\n';
        if (reader >= 0) close(reader);
        block = last == '\n' ? "\n" : "\n\n";
    }
    for (size_t i = 0; i < entries.size(); ++i) block += (i ? "\n" : "") + entries[i];
    // One write, so that no other append lands inside an entry; a short one is taken back.
    ssize_t written;
    do {
        written = write(fd, block.data(), block.size());
    } while (written < 0 && errno == EINTR);
    int failure = written < 0 ? errno : 0;
    if (written >= 0 && size_t(written) < block.size()) {
        failure = ENOSPC;
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == size + written &&
            ftruncate(fd, size) != 0)
            *error = "only " + std::to_string(written) + " of " + std::to_string(block.size()) +
                     " bytes were written, and they could not be taken back";
    }
    if (close(fd) != 0 && !failure) failure = errno;
    if (!failure) return 1;
    if (*made && stat(path.c_str(), &st) == 0 && st.st_size == 0) {
        unlink(path.c_str()); // no file made for nothing
        *made = false;
    }
    if (error->empty()) *error = std::strerror(failure);
    return 0;
}
