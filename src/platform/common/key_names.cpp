// key_names.cpp -- the names of the program's keys, as scripts and messages spell them

#include "platform/common/common.h"

namespace {
struct KeyName {
    int32_t key;
    const char* name;
};

const KeyName KEY_NAMES[] = {
    {KEY_ENTER, "enter"},
    {KEY_SPACE, "space"},
    {KEY_ESCAPE, "escape"},
    {KEY_BACKSPACE, "backspace"},
    {KEY_TAB, "tab"},
    {KEY_BACK_TAB, "shift-tab"},
    {KEY_UP, "up"},
    {KEY_DOWN, "down"},
    {KEY_LEFT, "left"},
    {KEY_RIGHT, "right"},
    {KEY_PAGE_UP, "pageup"},
    {KEY_PAGE_DOWN, "pagedown"},
    {KEY_HOME, "home"},
    {KEY_END, "end"},
    {KEY_0, "0"},
    {KEY_0 + 1, "1"},
    {KEY_0 + 2, "2"},
    {KEY_0 + 3, "3"},
    {KEY_0 + 4, "4"},
    {KEY_0 + 5, "5"},
    {KEY_0 + 6, "6"},
    {KEY_0 + 7, "7"},
    {KEY_0 + 8, "8"},
    {KEY_9, "9"},
};
} // namespace

int32_t key_named(const std::string& name) {
    for (const KeyName& k : KEY_NAMES)
        if (name == k.name) return k.key;
    return KEY_NONE;
}

const char* key_name(int32_t key) {
    for (const KeyName& k : KEY_NAMES)
        if (key == k.key) return k.name;
    return "";
}

std::string key_name_list() {
    std::string out;
    for (const KeyName& k : KEY_NAMES) out += (out.empty() ? "" : ", ") + std::string(k.name);
    return out;
}
