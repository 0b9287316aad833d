// fuzz_support.cpp -- scratch files, checks and field readers of the fuzz harnesses

#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string scratch_folder() {
    static std::string folder;
    if (!folder.empty()) return folder;
    struct stat st;
    const char* base =
        (stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) && access("/dev/shm", W_OK) == 0)
            ? "/dev/shm"
            : "/tmp";
    folder = std::string(base) + "/quarnel-fuzz-" + std::to_string(getpid());
    mkdir(folder.c_str(), 0700);
    return folder;
}

std::wstring program_path_of(const std::string& host) {
    std::wstring out;
    for (char c : host) out.push_back(c == '/' ? L'\\' : wchar_t(c));
    return out;
}

} // namespace

std::wstring fuzz_file(const char* name, const uint8_t* data, size_t size) {
    std::string host = scratch_folder() + "/" + name;
    std::FILE* out = std::fopen(host.c_str(), "wb");
    fuzz_require(out != nullptr, "cannot write the scratch file");
    if (size) fuzz_require(std::fwrite(data, 1, size, out) == size, "short scratch write");
    std::fclose(out);
    return program_path_of(host);
}

void fuzz_require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "PROPERTY FAILED: %s\n", what);
    std::abort();
}

size_t fuzz_message_count() {
    return headless_messages().size();
}

bool fuzz_last_message_is(const char* text) {
    const auto& messages = headless_messages();
    return !messages.empty() && messages.back() == std::string("|") + text;
}

uint32_t fuzz_u32(const uint8_t* data, size_t size, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= uint32_t(fuzz_u8(data, size, at + i)) << (8 * i);
    return value;
}

uint8_t fuzz_u8(const uint8_t* data, size_t size, size_t at) {
    return at < size ? data[at] : 0;
}
