// script.h -- the headless runner's script language: one command a line, parsed whole
// before anything runs
//
//   tap X Y     a stylus tap at display pixel (X, Y), 0 to 65535 each
//   key NAME    a key: the tap on the button it stands for on the screen of that moment
//   steps N     let the program run N screen steps with an empty queue
//   wait MS     advance the virtual clock by MS milliseconds
//   shot NAME   write the display as NAME.png in the shots folder
//   text NAME   write the reading on screen as text, NAME.txt in the shots folder
//   quit        close the program's window (the run ends)
//
// `#` starts a comment; blank lines are ignored. Numbers are plain decimal digits.

#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum ScriptCommandKind {
    script_tap,
    script_steps,
    script_wait,
    script_shot,
    script_quit,
    script_key,
    script_text
};

struct ScriptCommand {
    ScriptCommandKind kind;
    int32_t a;        // tap: x; steps: count; wait: milliseconds; key: the key
    int32_t b;        // tap: y
    std::string name; // shot, text: file name without ".png" or ".txt"
    int line;         // line number in the script, from 1
};

// Parses a whole script. Returns 1 with every command in *commands, or 0 with *commands
// empty and *error holding "script:LINE: what is wrong" for the first malformed line.
int parse_script(const std::string& text, std::vector<ScriptCommand>* commands, std::string* error);

// Hands the commands to the headless back end in order; a shot goes to
// shots_dir/NAME.png (just NAME.png when shots_dir is "."), a text to shots_dir/NAME.txt.
void queue_script(const std::vector<ScriptCommand>& commands, const std::string& shots_dir);

// The built-in demo: a love reading from the title screen back to the menu, with a shot of
// each stage.
extern const char DEMO_SCRIPT[];
