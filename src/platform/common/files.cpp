// files.cpp -- the read-only file layer: program paths onto host paths, buffered reads

#include "platform/common/common.h"
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

// [SECTION] Paths

std::wstring program_path(const std::string& host) {
    std::wstring out;
    for (unsigned char c : host) out.push_back(c == '/' ? L'\\' : wchar_t(c));
    return out;
}

static bool is_directory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

static bool same_ignoring_case(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return false;
    }
    return true;
}

std::string host_path(const wchar_t* path) {
    if (!path || !path[0]) return "";
    std::string current = "/";
    std::string component;
    for (const wchar_t* p = path;; p++) {
        if (*p == L'\\' || *p == L'/' || *p == 0) {
            if (!component.empty() && component != ".") {
                if (component == "..") return ""; // never leave the given folders upward
                if (!is_directory(current)) return "";
                std::string exact = current + (current == "/" ? "" : "/") + component;
                struct stat st;
                if (stat(exact.c_str(), &st) == 0) {
                    current = exact;
                } else {
                    std::error_code error;
                    std::string found;
                    for (const auto& entry : fs::directory_iterator(current, error)) {
                        std::string name = entry.path().filename().string();
                        if (same_ignoring_case(name, component)) {
                            found = entry.path().string();
                            break;
                        }
                    }
                    if (found.empty()) return "";
                    current = found;
                }
            }
            component.clear();
            if (*p == 0) break;
        } else {
            wchar_t c = *p;
            if (c >= 0x80 || c < 0x20) return ""; // the program's paths are plain ASCII
            component.push_back(char(c));
        }
    }
    return current;
}

// [SECTION] A user's deck

// The deck folder holds replacements for the two files that make a deck, under their own names.
static const char* const DECK_FILES[] = {"card.nbf", "CardDB.dat"};
static std::string deck_folder; // host folder; "" when no deck is in use

int files_set_deck_dir(const char* host_folder) {
    deck_folder.clear();
    if (!host_folder) return 1;
    std::string folder = host_folder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    std::string reached = host_path(program_path(folder).c_str());
    if (reached.empty() || !is_directory(reached)) return 0;
    for (const char* name : DECK_FILES) {
        std::string file = host_path(program_path(reached + "/" + name).c_str());
        struct stat st;
        if (!file.empty() && stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            deck_folder = reached;
            return 1;
        }
    }
    return 0;
}

// The deck's file for a program path that names the install folder's card faces or card
// texts; "" for any other path, and when the deck has no file of that name.
static std::string deck_file_for(const wchar_t* path) {
    if (deck_folder.empty() || !path) return "";
    std::wstring full = path;
    size_t slash = full.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return "";
    std::string name;
    for (size_t i = slash + 1; i < full.size(); i++) {
        if (full[i] >= 0x80) return "";
        name.push_back(char(full[i]));
    }
    const char* deck_name = nullptr;
    for (const char* candidate : DECK_FILES)
        if (same_ignoring_case(name, candidate)) deck_name = candidate;
    std::string install = registry_install_dir();
    if (!deck_name || install.empty()) return "";
    std::string pictures = host_path(program_path(install + "/picture").c_str());
    if (pictures.empty() || host_path(full.substr(0, slash).c_str()) != pictures) return "";
    return host_path(program_path(deck_folder + "/" + name).c_str());
}

// [SECTION] Open files

namespace {
const int FILE_SLOTS = 16;
const uint32_t BUFFER_SIZE = 64 * 1024;

struct OpenFile {
    std::FILE* stream = nullptr;
    uint8_t* buffer = nullptr;
    uint32_t start = 0;    // file offset of buffer[0]
    uint32_t length = 0;   // valid bytes in the buffer
    uint32_t position = 0; // read position within the buffer
};

OpenFile open_files[FILE_SLOTS];

OpenFile* slot_of(FileHandle file) {
    if (file < 1 || file > FILE_SLOTS) return nullptr;
    OpenFile* f = &open_files[file - 1];
    return f->stream ? f : nullptr;
}
} // namespace

// The most recent open that failed, "cannot open PATH: REASON"; a successful open clears it.
static std::string open_failure;

std::string take_open_failure() {
    std::string out;
    out.swap(open_failure);
    return out;
}

static FileHandle failed_open(const std::string& shown_path, const char* reason) {
    open_failure = "cannot open " + shown_path + ": " + reason;
    return INVALID_FILE;
}

// The path as the user would look for it: the host path when it was found, else the
// program path with slashes.
static std::string shown(const wchar_t* path) {
    std::string out;
    for (const wchar_t* p = path; p && *p; p++)
        out.push_back(*p == L'\\' ? '/' : (*p < 0x80 && *p >= 0x20 ? char(*p) : '?'));
    return out;
}

FileHandle open_file(const wchar_t* path) {
    std::string host = deck_file_for(path);
    if (host.empty()) host = host_path(path);
    if (host.empty()) {
        for (const wchar_t* p = path; p && *p; p++)
            if (p[0] == L'.' && p[1] == L'.' && (p == path || p[-1] == L'\\' || p[-1] == L'/') &&
                (p[2] == 0 || p[2] == L'\\' || p[2] == L'/'))
                return failed_open(shown(path), "a path may not lead out of its folder with ..");
        return failed_open(shown(path), std::strerror(ENOENT));
    }
    struct stat st;
    if (stat(host.c_str(), &st) != 0) return failed_open(host, std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        return failed_open(host, S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "not a file");
    for (int i = 0; i < FILE_SLOTS; i++) {
        if (open_files[i].stream) continue;
        std::FILE* stream = std::fopen(host.c_str(), "rb");
        if (!stream) return failed_open(host, std::strerror(errno));
        open_failure.clear();
        OpenFile& f = open_files[i];
        if (!f.buffer) f.buffer = new uint8_t[BUFFER_SIZE];
        f.stream = stream;
        f.start = f.length = f.position = 0;
        return FileHandle(i + 1);
    }
    return failed_open(host, "too many open files");
}

// Fills the request from the buffer, refilling it from the file as often as needed.
[[gnu::noinline]] static int read_through(FileHandle file, void* destination, uint32_t count,
                                          uint32_t* bytes_read) {
    OpenFile* f = slot_of(file);
    if (bytes_read) *bytes_read = 0;
    if (!f || (!destination && count)) return 0;
    uint8_t* out = static_cast<uint8_t*>(destination);
    uint32_t done = 0;
    while (done < count) {
        if (f->position == f->length) {
            f->start += f->length;
            f->position = 0;
            f->length = uint32_t(std::fread(f->buffer, 1, BUFFER_SIZE, f->stream));
            if (f->length == 0) break;
        }
        uint32_t n = f->length - f->position;
        if (n > count - done) n = count - done;
        std::memcpy(out + done, f->buffer + f->position, n);
        f->position += n;
        done += n;
    }
    if (bytes_read) *bytes_read = done;
    return 1;
}

// The picture and card text decoders read one byte at a time, tens of thousands of times a
// picture: that case is served from the buffer here, without saving a register, and
// everything else goes through read_through.
int read_file(FileHandle file, void* destination, uint32_t count, uint32_t* bytes_read) {
    if (count == 1 && destination && file >= 1 && file <= FILE_SLOTS) {
        OpenFile& f = open_files[file - 1];
        if (f.stream && f.position < f.length) {
            *static_cast<uint8_t*>(destination) = f.buffer[f.position++];
            if (bytes_read) *bytes_read = 1;
            return 1;
        }
    }
    return read_through(file, destination, count, bytes_read);
}

int seek_file(FileHandle file, uint32_t offset) {
    OpenFile* f = slot_of(file);
    if (!f) return 0;
    if (offset >= f->start && offset <= f->start + f->length) {
        f->position = offset - f->start;
        return 1;
    }
    if (std::fseek(f->stream, long(offset), SEEK_SET) != 0) return 0;
    f->start = offset;
    f->length = f->position = 0;
    return 1;
}

int close_file(FileHandle file) {
    OpenFile* f = slot_of(file);
    if (!f) return 0;
    std::fclose(f->stream);
    f->stream = nullptr;
    return 1;
}

void close_all_files() {
    for (int i = 0; i < FILE_SLOTS; i++) close_file(FileHandle(i + 1));
}

// [SECTION] The program's own folder

std::string executable_folder() {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "";
    buffer[n] = 0;
    const std::string path(buffer);
    return path.substr(0, path.find_last_of('/'));
}
