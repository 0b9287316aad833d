// output.cpp -- writing a user's files whole or not at all: each is written under a name of its
// own beside its place, then renamed into place

#include "deck.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string reason() {
    return std::strerror(errno);
}

// Writes all bytes to a new file and flushes them to the disk; 0 with the reason otherwise.
int write_new_file(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = "cannot create " + path + ": " + reason();
        return 0;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *error = "cannot write " + path + ": " + (n < 0 ? reason() : "nothing written");
            ::close(fd);
            return 0;
        }
        done += size_t(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        *error = "cannot write " + path + ": " + reason();
        return 0;
    }
    return 1;
}

std::string parent_of(const std::string& path) {
    fs::path p = fs::path(path).lexically_normal();
    if (!p.has_filename()) p = p.parent_path(); // "deck/" names the folder "deck"
    fs::path parent = p.parent_path();
    return parent.empty() ? "." : parent.string();
}

std::string name_of(const std::string& path) {
    fs::path p = fs::path(path).lexically_normal();
    if (!p.has_filename()) p = p.parent_path();
    return p.filename().string();
}

// The name a file or folder is written under before it is renamed into place: hidden, beside
// its place, and this process's own.
std::string part_name(const std::string& path) {
    return parent_of(path) + "/." + name_of(path) + ".part-" + std::to_string(::getpid());
}

} // namespace

// [SECTION] One file

int write_file_whole(const std::string& path, const std::vector<uint8_t>& bytes,
                     std::string* error) {
    const std::string temporary = part_name(path);
    ::unlink(temporary.c_str());
    if (!write_new_file(temporary, bytes, error)) {
        ::unlink(temporary.c_str());
        return 0;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        *error = "cannot put " + path + " in place: " + reason();
        ::unlink(temporary.c_str());
        return 0;
    }
    return 1;
}

// [SECTION] A whole folder

int begin_folder(const std::string& target, StagingFolder* staging, std::string* error) {
    staging->target = target;
    staging->path.clear();
    const std::string path = part_name(target);
    std::error_code ignored;
    fs::remove_all(path, ignored); // left by an earlier run that was stopped
    if (::mkdir(path.c_str(), 0755) != 0) {
        *error = "cannot write in " + parent_of(target) + ": " + reason();
        return 0;
    }
    staging->path = path;
    return 1;
}

int stage_file(const StagingFolder& staging, const std::string& name,
               const std::vector<uint8_t>& bytes, std::string* error) {
    return write_new_file(staging.path + "/" + name, bytes, error);
}

int finish_folder(StagingFolder* staging, std::string* error) {
    // rename() replaces an empty folder and refuses one that holds anything.
    if (::rename(staging->path.c_str(), staging->target.c_str()) != 0) {
        *error = "cannot put " + staging->target + " in place: " + reason();
        abandon_folder(staging);
        return 0;
    }
    staging->path.clear();
    return 1;
}

void abandon_folder(StagingFolder* staging) {
    if (staging->path.empty()) return;
    std::error_code ignored;
    fs::remove_all(staging->path, ignored);
    staging->path.clear();
}

// [SECTION] Reading

int read_whole_file(const std::string& path, std::string* bytes, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *error = std::string("cannot be opened: ") + std::strerror(errno);
        return 0;
    }
    bytes->clear();
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes->append(buffer, n);
    const bool failed = std::ferror(f);
    std::fclose(f);
    if (failed) {
        *error = "cannot be read";
        return 0;
    }
    return 1;
}
