// test_support.cpp -- shared helpers of the tests

#include "test_support.h"
#include "shell/shell.h"
#include <gtest/gtest.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

// Folders live under a short name of the running test, so tests run in parallel processes
// never share one, and install folders stay short enough for the registry.
std::string make_test_folder(const std::string& name) {
    // Suite set-up runs outside any test: it is named by the process's test filter, which
    // ctest sets to one test per process.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string owner = test ? std::string(test->test_suite_name()) + "." + test->name()
                             : "suite:" + std::string(GTEST_FLAG_GET(filter));
    char tag[16];
    std::snprintf(tag, sizeof tag, "t%08x", fnv1a(owner.data(), owner.size()));
    std::string path = std::string(QUARNEL_TEST_OUTPUT_DIR) + "/" + tag + "/" + name;
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
}

std::string read_test_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_test_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void write_test_file(const std::string& path, const std::string& text) {
    write_test_file(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::wstring wide_path(const std::string& host) {
    std::wstring out;
    for (char c : host) out.push_back(c == '/' ? L'\\' : wchar_t(c));
    return out;
}

ToolRun run_tool(const std::string& program, const std::vector<std::string>& args, long file_limit,
                 bool kill_at_limit) {
    static int runs = 0;
    const std::string base = make_test_folder("runs") + "/" + std::to_string(runs++);
    const std::string out_path = base + ".out", err_path = base + ".err";
    const pid_t child = fork();
    if (child == 0) {
        std::freopen(out_path.c_str(), "w", stdout);
        std::freopen(err_path.c_str(), "w", stderr);
        if (file_limit > 0) {
            rlimit limit = {rlim_t(file_limit), rlim_t(file_limit)};
            setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, kill_at_limit ? SIG_DFL : SIG_IGN);
        }
        std::vector<char*> argv = {const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ToolRun run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = read_test_file(out_path);
    run.err = read_test_file(err_path);
    return run;
}

std::string data_dir() {
    return QUARNEL_DATA_DIR;
}

std::string language_dir(int32_t language) {
    return language == 0 ? data_dir() : data_dir() + "/" + language_code(language);
}

void copy_install_into(const std::string& folder, int32_t language) {
    fs::create_directories(folder);
    for (const char* part : {"picture", "sound"})
        fs::copy(language_dir(language) + "/" + part, folder + "/" + part,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

std::string copy_install_folder(const std::string& name, int32_t language) {
    std::string folder = make_test_folder(name);
    copy_install_into(folder, language);
    return folder;
}

std::string full_rows(int32_t count) {
    std::string text;
    for (int32_t i = 0; i < count; ++i) {
        if (i) text += " ";
        text += std::string(22, char('a' + i % 26)) + ".";
    }
    return text;
}

int run_program(const std::string& install, void (*script)()) {
    headless_reset();
    headless_set_install_dir(install.empty() ? nullptr : install.c_str());
    if (script) script();
    int code = app_main(1, 0, L"", 1);
    release_objects();
    return code;
}

std::vector<std::string> log_lines_with(const std::string& what) {
    std::vector<std::string> out;
    for (const std::string& line : headless_log())
        if (line.find(what) != std::string::npos) out.push_back(line);
    return out;
}

bool log_has(const std::string& what) {
    return !log_lines_with(what).empty();
}

// [SECTION] Taps

const TapPoint START = {200, 280}, TITLE_EXIT = {200, 300}, MENU_EXIT = {118, 300};
const TapPoint MENU_ITEM[8] = {{110, 118}, {110, 137}, {110, 156}, {115, 178},
                               {115, 196}, {110, 217}, {110, 245}, {110, 270}};
const TapPoint BACK = {10, 300}, NEXT = {230, 300}, DECK = {120, 220};
const TapPoint TABLE_EXIT = {10, 300}, TABLE_MENU = {230, 300};
const TapPoint ARROW_UP = {230, 57}, ARROW_DOWN = {230, 137};
const TapPoint ABOUT_BACK = {100, 300}, PUBLISHER_NEXT = {200, 305}, PUBLISHER_MENU = {200, 315};

void tap(TapPoint p) {
    headless_queue_tap(p.x, p.y);
}

void queue_love_reading_to_first_card() {
    tap(START);
    tap(MENU_ITEM[3]); // love
    tap(DECK);
    tap(NEXT); // the table
    tap(card_centre(5, 0));
    headless_queue_steps(1);
}

TapPoint card_centre(int32_t kind, int32_t position) {
    const ReadingInfo* r = reading_info(kind);
    SpreadPoint at = r->spread[position];
    if (!r->thumbnails) return {at.x + CARD_WIDTH / 2, at.y + CARD_HEIGHT / 2};
    return {at.x + CARD_WIDTH / THUMB_DIVISOR / 2, at.y + CARD_HEIGHT / THUMB_DIVISOR / 2};
}

ScopedVariable::ScopedVariable(const char* variable, const std::string& value) : name(variable) {
    const char* v = std::getenv(variable);
    had = v != nullptr;
    old = v ? v : "";
    setenv(variable, value.c_str(), 1);
}

ScopedVariable::~ScopedVariable() {
    if (had)
        setenv(name.c_str(), old.c_str(), 1);
    else
        unsetenv(name.c_str());
}
