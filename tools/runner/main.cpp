// main.cpp -- quarnel-headless: runs the real program on the headless back end from a
// script, printing its log and optionally writing shots and a GIF of every frame

#include "session.h"
#include "platform/common/common.h"
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;

// [SECTION] Options

namespace {
const int EXIT_USAGE = 2;  // bad options or script: nothing ran
const int EXIT_OUTPUT = 1; // the program ran but the recording could not be written

const char USAGE[] =
    "usage: quarnel-headless [options]\n"
    "  --install-dir DIR  install folder, as the registry would give it\n"
    "                     (default: the build's generated folder; \"\" = no registry key)\n"
    "  --language CODE    run in a language: its folder DIR/CODE under the install folder\n"
    "                     (en, the default, is DIR itself)\n"
    "  --deck DIR         a deck folder whose card.nbf and/or CardDB.dat replace the\n"
    "                     installed ones (made by quarnel-deck)\n"
    "  --script FILE      script to run (default: standard input)\n"
    "  --demo             run the built-in demo script instead of --script\n"
    "  --shots DIR        folder where `shot NAME` writes NAME.png (default: .)\n"
    "  --format F         display pixels: 565, 555 or 444 (default: 565)\n"
    "  --pitch X,Y        byte steps to the next pixel right and down, negative to lay\n"
    "                     the frame buffer the other way (default: 2,480)\n"
    "  --clock MS         tick count at start; the same value deals the same cards (default: 0)\n"
    "  --steps N          screen steps run after each command (default: 3)\n"
    "  --record FILE.gif  write every presented frame as an animated GIF\n"
    "  --journal FILE     append each card table left with a card turned to FILE\n"
    "Script, one command a line (# starts a comment):\n"
    "  tap X Y | steps N | wait MS | shot NAME | text NAME | quit\n"
    "Prints the log; exits with the program's exit code, 2 for bad options or script.\n";

struct CommandLine {
    RunnerOptions run;
    int32_t language = 0;    // English
    std::string script_path; // "" = standard input
    bool demo = false;
    std::string record_path;
};

int fail(const std::string& what) {
    std::cerr << "quarnel-headless: " << what << "\n";
    return 0;
}

// A decimal integer, optionally signed, within [low, high]. Returns 1/0.
int parse_integer(const std::string& text, long long low, long long high, long long* value) {
    if (text.empty() || text.size() > 12) return 0;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno || *end || v < low || v > high || std::isspace(static_cast<unsigned char>(text[0])))
        return 0;
    *value = v;
    return 1;
}

// Pitches must be even (whole 16-bit pixels), non-zero, and keep the 240 x 320 pixels apart:
// either rows do not overlap (|y| covers a row) or columns do not (|x| covers a column).
int parse_pitch(const std::string& text, HeadlessDisplay* display) {
    size_t comma = text.find(',');
    long long x, y;
    if (comma == std::string::npos || !parse_integer(text.substr(0, comma), -65536, 65536, &x) ||
        !parse_integer(text.substr(comma + 1), -65536, 65536, &y))
        return fail("--pitch needs two numbers X,Y, such as 2,480 or -640,2");
    long long ax = std::llabs(x), ay = std::llabs(y);
    if (x == 0 || y == 0 || x % 2 || y % 2)
        return fail("--pitch steps must be even and non-zero (pixels are 16 bits)");
    if (ay < ax * display->width && ax < ay * display->height)
        return fail("--pitch " + text + " makes pixels overlap");
    display->x_pitch = int32_t(x);
    display->y_pitch = int32_t(y);
    return 1;
}

int parse_options(int argc, char** argv, CommandLine* c) {
    c->run.install_dir = QUARNEL_DATA_DIR;
    std::string pitch;
    for (int i = 1; i < argc; i++) {
        std::string option = argv[i], value;
        bool has_value = false;
        size_t equals = option.find('=');
        if (option.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.erase(equals);
            has_value = true;
        }
        auto take = [&](std::string* out) {
            if (!has_value) {
                if (i + 1 >= argc) return fail(option + " needs a value");
                value = argv[++i];
            }
            *out = value;
            return 1;
        };
        std::string text;
        long long number;
        if (option == "--help" || option == "-h") {
            std::cout << USAGE;
            std::exit(0);
        } else if (option == "--demo" && !has_value) {
            c->demo = true;
        } else if (option == "--install-dir") {
            if (!take(&c->run.install_dir)) return 0;
        } else if (option == "--language") {
            if (!take(&text)) return 0;
            c->language = language_of_code(text.c_str());
            if (c->language < 0)
                return fail("--language " + text + ": no such language; the languages are " +
                            language_list());
        } else if (option == "--deck") {
            if (!take(&c->run.deck_dir)) return 0;
            if (c->run.deck_dir.empty()) return fail("--deck needs a folder");
        } else if (option == "--script") {
            if (!take(&c->script_path)) return 0;
            if (c->script_path.empty()) return fail("--script needs a file name");
        } else if (option == "--shots") {
            if (!take(&c->run.shots_dir)) return 0;
            if (c->run.shots_dir.empty()) return fail("--shots needs a folder");
        } else if (option == "--record") {
            if (!take(&c->record_path)) return 0;
            if (c->record_path.empty()) return fail("--record needs a file name");
        } else if (option == "--journal") {
            if (!take(&c->run.journal)) return 0;
            if (c->run.journal.empty()) return fail("--journal needs a file name");
        } else if (option == "--format") {
            if (!take(&text)) return 0;
            if (text == "565")
                c->run.display.format = kfDirect565;
            else if (text == "555")
                c->run.display.format = kfDirect555;
            else if (text == "444")
                c->run.display.format = kfDirect444;
            else
                return fail("--format must be 565, 555 or 444");
        } else if (option == "--pitch") {
            if (!take(&pitch)) return 0;
        } else if (option == "--clock") {
            if (!take(&text)) return 0;
            if (!parse_integer(text, 0, 4294967295LL, &number))
                return fail("--clock needs a number of milliseconds, 0 to 4294967295");
            c->run.clock = uint32_t(number);
        } else if (option == "--steps") {
            if (!take(&text)) return 0;
            if (!parse_integer(text, 0, 1000000, &number))
                return fail("--steps needs a number, 0 to 1000000");
            c->run.steps = int(number);
        } else {
            return fail("unknown option " + std::string(argv[i]) + " (see --help)");
        }
    }
    if (!pitch.empty() && !parse_pitch(pitch, &c->run.display)) return 0;
    if (c->demo && !c->script_path.empty()) return fail("--demo and --script exclude each other");
    return 1;
}

// The program finds files from the root of the file system, so the folder is made absolute.
// The registry value holds at most 126 characters; a longer one reads as missing.
std::string registry_folder(const std::string& folder) {
    if (folder.empty()) return folder;
    std::error_code error;
    std::string path = fs::absolute(folder, error).lexically_normal().string();
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (!fs::is_directory(path, error))
        std::cerr << "quarnel-headless: warning: no install folder at " << path << "\n";
    if (path.size() > 126)
        std::cerr << "quarnel-headless: warning: install folder path longer than 126 "
                     "characters; the program will not find it\n";
    return path;
}

int read_text(const std::string& path, std::string* text) {
    std::ostringstream buffer;
    if (path.empty()) {
        buffer << std::cin.rdbuf();
        *text = buffer.str();
        return !std::cin.bad();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return 0;
    buffer << in.rdbuf();
    *text = buffer.str();
    return !in.bad();
}
} // namespace

// [SECTION] Main

int main(int argc, char** argv) {
    CommandLine c;
    if (!parse_options(argc, argv, &c)) return EXIT_USAGE;

    std::string text;
    if (c.demo)
        text = DEMO_SCRIPT;
    else if (!read_text(c.script_path, &text)) {
        fail("cannot read script " + c.script_path);
        return EXIT_USAGE;
    }
    std::vector<ScriptCommand> commands;
    std::string error;
    if (!parse_script(text, &commands, &error)) {
        std::cerr << error << "\n";
        return EXIT_USAGE;
    }

    // A deck is checked before anything is written.
    if (!c.run.deck_dir.empty()) {
        std::error_code failure;
        c.run.deck_dir = fs::absolute(c.run.deck_dir, failure).lexically_normal().string();
        if (!files_set_deck_dir(c.run.deck_dir.c_str())) {
            fail("--deck " + c.run.deck_dir + ": no folder with card.nbf or CardDB.dat (the " +
                 "path must be plain ASCII)");
            return EXIT_USAGE;
        }
    }

    // Outputs are checked before the run, so a long run never ends in a lost recording.
    for (const ScriptCommand& command : commands) {
        if (command.kind != script_shot && command.kind != script_text) continue;
        std::error_code failure;
        fs::create_directories(c.run.shots_dir, failure);
        if (!fs::is_directory(c.run.shots_dir)) {
            fail("cannot make the shots folder " + c.run.shots_dir);
            return EXIT_USAGE;
        }
        break;
    }
    if (!c.record_path.empty()) {
        std::FILE* f = std::fopen(c.record_path.c_str(), "wb");
        if (!f) {
            fail("cannot write " + c.record_path);
            return EXIT_USAGE;
        }
        std::fclose(f);
    }

    c.run.install_dir = registry_folder(language_install_dir(c.run.install_dir, c.language));
    GifRecording recording;
    int code = run_session(c.run, commands, stdout, c.record_path.empty() ? nullptr : &recording);
    if (!c.record_path.empty() && !gif_write(c.record_path, recording, headless_clock())) {
        fail("cannot write " + c.record_path);
        return EXIT_OUTPUT;
    }
    return code;
}
