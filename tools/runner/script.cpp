// script.cpp -- parses the headless runner's scripts and queues them on the back end

#include "script.h"
#include "platform/headless/headless.h"
#include "platform/common/common.h"
#include "platform/keep/keep.h"
#include <cstdio>

// [SECTION] Parsing

namespace {
const int32_t TAP_MAX = 65535;       // taps reach the program as two 16-bit halves
const int32_t STEPS_MAX = 1000000;   // far beyond any screen's need, short of the step limit
const int32_t WAIT_MAX = 2147483647; // the virtual clock is 32 bits

std::vector<std::string> split_words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f') {
            if (!word.empty()) words.push_back(word), word.clear();
        } else {
            word.push_back(c);
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

// Plain decimal digits only ("+5", "-1", "0x10" and "5ms" are not numbers). Returns 1/0.
int parse_number(const std::string& word, int32_t limit, int32_t* value) {
    if (word.empty() || word.size() > 10) return 0;
    int64_t v = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return 0;
        v = v * 10 + (c - '0');
    }
    if (v > limit) return 0;
    *value = int32_t(v);
    return 1;
}

int all_digits(const std::string& word) {
    if (word.empty()) return 0;
    for (char c : word)
        if (c < '0' || c > '9') return 0;
    return 1;
}

int valid_shot_name(const std::string& name) {
    if (name.empty() || name[0] == '.' || name.size() > 100) return 0;
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '-' || c == '_' || c == '.';
        if (!ok) return 0;
    }
    return 1;
}

// Reads one command from its words; returns "" or what is wrong with the line.
std::string parse_command(const std::vector<std::string>& words, ScriptCommand* command) {
    const std::string& verb = words[0];
    size_t args = words.size() - 1;
    *command = ScriptCommand{script_quit, 0, 0, "", 0};
    if (verb == "tap") {
        command->kind = script_tap;
        if (args != 2 || !all_digits(words[1]) || !all_digits(words[2]))
            return "tap needs two numbers";
        if (!parse_number(words[1], TAP_MAX, &command->a) ||
            !parse_number(words[2], TAP_MAX, &command->b))
            return "tap position must be 0 to 65535";
    } else if (verb == "steps") {
        command->kind = script_steps;
        if (args != 1 || !all_digits(words[1])) return "steps needs one number";
        if (!parse_number(words[1], STEPS_MAX, &command->a)) return "steps must be 0 to 1000000";
    } else if (verb == "wait") {
        command->kind = script_wait;
        if (args != 1 || !all_digits(words[1])) return "wait needs one number of milliseconds";
        if (!parse_number(words[1], WAIT_MAX, &command->a)) return "wait must be 0 to 2147483647";
    } else if (verb == "shot") {
        command->kind = script_shot;
        if (args != 1) return "shot needs one name";
        if (!valid_shot_name(words[1]))
            return "shot name may hold only letters, digits, '-', '_' and '.', and not begin "
                   "with '.'";
        command->name = words[1];
    } else if (verb == "key") {
        command->kind = script_key;
        if (args != 1) return "key needs one key name";
        command->a = key_named(words[1]);
        if (command->a == KEY_NONE)
            return "unknown key \"" + words[1] + "\" (" + key_name_list() + ")";
    } else if (verb == "text") {
        command->kind = script_text;
        if (args != 1) return "text needs one name";
        if (!valid_shot_name(words[1]))
            return "text name may hold only letters, digits, '-', '_' and '.', and not begin "
                   "with '.'";
        command->name = words[1];
    } else if (verb == "quit") {
        command->kind = script_quit;
        if (args != 0) return "quit takes nothing after it";
    } else {
        return "unknown command \"" + verb + "\" (tap, key, steps, wait, shot, text, quit)";
    }
    return "";
}
} // namespace

int parse_script(const std::string& text, std::vector<ScriptCommand>* commands,
                 std::string* error) {
    commands->clear();
    error->clear();
    bool quit_seen = false;
    int line_number = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        line_number++;

        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::vector<std::string> words = split_words(line);
        if (words.empty()) continue;

        ScriptCommand command;
        std::string wrong = parse_command(words, &command);
        if (wrong.empty() && quit_seen) wrong = "nothing may follow quit";
        if (!wrong.empty()) {
            *error = "script:" + std::to_string(line_number) + ": " + wrong;
            commands->clear();
            return 0;
        }
        command.line = line_number;
        if (command.kind == script_quit) quit_seen = true;
        commands->push_back(command);
    }
    return 1;
}

// [SECTION] Queueing

namespace {
// The reading on screen as text (empty outside a reading), the way the clipboard gets it.
void write_reading_text(const std::string& path) {
    std::string text = reading_as_text();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f && std::fclose(f) != 0) ok = false;
    std::string name = path.substr(path.find_last_of('/') + 1);
    headless_log_line(ok ? "text " + name : "text-failed " + name);
}
} // namespace

void queue_script(const std::vector<ScriptCommand>& commands, const std::string& shots_dir) {
    for (const ScriptCommand& c : commands) {
        switch (c.kind) {
        case script_tap:
            headless_queue_tap(c.a, c.b);
            break;
        case script_steps:
            headless_queue_steps(c.a);
            break;
        case script_wait:
            headless_queue_wait(uint32_t(c.a));
            break;
        case script_shot:
            headless_queue_shot(shots_dir == "." ? c.name + ".png"
                                                 : shots_dir + "/" + c.name + ".png");
            break;
        case script_quit:
            headless_queue_quit();
            break;
        case script_key:
            headless_queue_key(c.a);
            break;
        case script_text:
            headless_queue_call(write_reading_text, shots_dir == "."
                                                        ? c.name + ".txt"
                                                        : shots_dir + "/" + c.name + ".txt");
            break;
        }
    }
}

// [SECTION] Demo

// A love reading. The waits give each stage a moment in the recording; the deal depends
// only on the clock, so a given --clock always turns up the same cards.
const char DEMO_SCRIPT[] = R"(# Quarnel demo: a love reading, from the title screen back to the menu
shot 01-title
wait 1000
tap 200 280       # Start
shot 02-menu
wait 1000
tap 115 178       # Love
shot 03-shuffle
wait 1000
tap 120 220       # the deck: shuffle
shot 04-shuffled
wait 1000
tap 230 300       # Next: the spread face down on the card table
shot 05-table
wait 1000
tap 120 191       # the first card of the spread
shot 06-first-card
wait 1500
tap 96 226        # the second card
wait 1500
tap 120 226       # the third card
shot 07-third-card
wait 1500
tap 230 137       # the meaning's down arrow, three rows
wait 400
tap 230 137
wait 400
tap 230 137
shot 08-scrolled
wait 1500
tap 230 300       # Menu
shot 09-menu
wait 1000
quit
)";
