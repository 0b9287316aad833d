// terminal_text.cpp -- text for a terminal: the columns of UTF-8 text, and words wrapped to
// its lines, for the desktop program's --help and quarnel-cards

#include "platform/common/common.h"

size_t text_columns(const std::string& text) {
    size_t count = 0;
    for (char c : text) count += (uint8_t(c) & 0xC0) != 0x80;
    return count;
}

std::string wrap_words(const std::string& first, size_t indent, const std::string& text,
                       size_t width) {
    std::string out = first, line_start(indent, ' ');
    size_t column = text_columns(first);
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        std::string word = text.substr(at, end - at);
        at = end + 1;
        if (column > indent && column + 1 + text_columns(word) > width) {
            out += "\n" + line_start;
            column = indent;
        } else if (column > indent) {
            out += " ";
            column++;
        }
        out += word;
        column += text_columns(word);
    }
    return out + "\n";
}
