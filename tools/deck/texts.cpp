// texts.cpp -- the deck's CardDB.dat: reading a text file of meanings, writing the records, and
// laying every record out with the program's own card text code

#include "deck.h"
#include "reading/reading.h"
#include "core/encoding.h"

#include <cstdio>
#include <cstdlib>

std::string record_name(int record) {
    return "card " + std::to_string(record / 2) + (record % 2 ? " reversed" : " upright");
}

// [SECTION] The text file

namespace {

std::string trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// Runs of spaces and tabs become one space: only single spaces separate words on a card.
std::string single_spaced(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\t') c = ' ';
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out.push_back(c);
    }
    return out;
}

std::string where(const std::string& file, int line) {
    return file + ":" + std::to_string(line) + ": ";
}

// The Windows-1252 bytes of a UTF-8 line of text, one a letter as the program shows them. The
// first character the card texts cannot hold is named in *fault ("" when there is none); it
// and any other such character stand as '?' in the bytes.
std::string card_bytes(const std::string& line, std::string* fault) {
    std::string out;
    fault->clear();
    auto refuse = [&](const std::string& why) {
        if (fault->empty()) *fault = why;
        out.push_back('?');
    };
    for (size_t at = 0; at < line.size();) {
        const size_t start = at;
        uint32_t c = 0;
        if (line[at] == 0)
            at += 1;
        else
            c = next_utf8(line.c_str(), &at);
        char code[16];
        if (c == 0xFFFD && at - start == 1) {
            std::snprintf(code, sizeof code, "0x%02X", uint8_t(line[start]));
            refuse(std::string("byte ") + code +
                   " is not UTF-8 (save the file as UTF-8; the texts are converted to the "
                   "program's Windows-1252)");
        } else if (c == '$') {
            refuse("'$' separates the records and cannot be in a text");
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            std::snprintf(code, sizeof code, "0x%02X", unsigned(c));
            refuse(std::string("control character ") + code + " cannot be in a text");
        } else if (unicode_to_cp1252(c) == 0) {
            std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
            refuse("character \"" + line.substr(start, at - start) + "\" (" + code +
                   ") is not in Windows-1252, the program's one byte per letter");
        } else {
            out.push_back(char(unicode_to_cp1252(c)));
        }
    }
    return out;
}

} // namespace

std::string utf8_of(const std::string& bytes) {
    std::string out;
    for (char byte : bytes) {
        const uint32_t c = cp1252_to_unicode(uint8_t(byte));
        char utf8[4];
        out.append(utf8, size_t(put_utf8(c ? c : 0xFFFD, utf8)));
    }
    return out;
}

namespace {

// A heading's card number: plain decimal digits, 0 to 77; -1 otherwise.
int card_number(const std::string& digits) {
    if (digits.empty() || digits.size() > 2) return -1;
    for (char c : digits)
        if (c < '0' || c > '9') return -1;
    const int card = std::atoi(digits.c_str());
    return card < CARD_BACK ? card : -1;
}

} // namespace

void parse_card_texts(const std::string& bytes, const std::string& file_name,
                      std::vector<CardText>* records, Problems* problems) {
    records->resize(DEALT_VALUES);
    CardText* current = nullptr;
    bool skipping = false; // after a bad heading, its text is not blamed on the entry before
    int line_number = 0;
    size_t at = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) at = 3; // a byte-order mark some editors write
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = trim(bytes.substr(at, end - at));
        at = end + 1;
        line_number++;
        if (line.empty() || line[0] == '#') continue;
        const std::string here = where(file_name, line_number);
        if (line.compare(0, 2, "==") == 0) {
            // "== N Name, upright" or "== N Name, reversed"; the name is the deck's own.
            const std::string rest = trim(line.substr(2));
            // The number is the leading digits; the name runs from there to the last comma.
            const size_t space = rest.find_first_not_of("0123456789");
            const bool number_ends = space == std::string::npos || rest[space] == ' ' ||
                                     rest[space] == ',' || rest[space] == '\t';
            const int card = number_ends ? card_number(rest.substr(0, space)) : -1;
            const size_t comma = rest.rfind(',');
            const std::string orientation =
                comma == std::string::npos ? "" : trim(rest.substr(comma + 1));
            const int reversed = orientation == "reversed" ? 1 : orientation == "upright" ? 0 : -1;
            current = nullptr;
            skipping = true;
            if (card < 0) {
                problems->push_back(here + "heading needs a card number 0 to 77: \"" + line + "\"");
                continue;
            }
            if (reversed < 0) {
                problems->push_back(here + "card " + std::to_string(card) +
                                    ": heading must end with \", upright\" or \", reversed\"");
                continue;
            }
            const int record = card * 2 + reversed;
            CardText& entry = (*records)[size_t(record)];
            if (entry.present) {
                problems->push_back(here + record_name(record) + " is given twice (first at " +
                                    entry.file + ":" + std::to_string(entry.line) + ")");
                continue;
            }
            entry = CardText();
            entry.present = true;
            entry.file = file_name;
            entry.line = line_number;
            entry.name = space == std::string::npos || comma == std::string::npos || comma <= space
                             ? ""
                             : trim(rest.substr(space, comma - space));
            current = &entry;
            skipping = false;
            continue;
        }
        if (!current) {
            if (!skipping)
                problems->push_back(here + "text before the first \"== N Name, upright\" heading");
            skipping = true;
            continue;
        }
        const int record = int(current - records->data());
        std::string fault;
        const std::string bytes = card_bytes(single_spaced(line), &fault);
        if (!fault.empty()) problems->push_back(here + record_name(record) + ": " + fault);
        const std::string words = bytes;
        current->text += (current->text.empty() ? "" : " ") + words;
        current->text_lines.push_back(line_number);
        current->line_texts.push_back(words);
    }
}

void report_missing_texts(const std::vector<CardText>& records, Problems* problems) {
    for (int record = 0; record < DEALT_VALUES; record++) {
        const CardText& entry = records[size_t(record)];
        if (entry.present && !entry.text.empty()) continue;
        if (entry.present) {
            problems->push_back(where(entry.file, entry.line) + record_name(record) +
                                ": the heading has no text under it");
            continue;
        }
        // Named by the neighbour a reader would look beside: the other orientation, else the
        // record before.
        const CardText* near = &records[size_t(record ^ 1)];
        if (!near->present && record > 0) near = &records[size_t(record - 1)];
        std::string message = record_name(record) + ": no text";
        if (near->present)
            message = where(near->file, near->line) + message + " (" +
                      record_name(int(near - records.data())) + " is here)";
        problems->push_back(message);
    }
}

// [SECTION] CardDB.dat

std::vector<uint8_t> encode_card_db(const std::vector<CardText>& records) {
    std::string out = "Quarnel card meanings: record 2c is card c upright, 2c+1 reversed.\r\n$";
    for (const CardText& entry : records) out += entry.text + "\r\n$";
    return std::vector<uint8_t>(out.begin(), out.end());
}

// [SECTION] Layout by the program's own code

namespace {

// The words of a text, whatever spaces, line ends or zero bytes stand between them.
std::vector<std::string> words_of(const char* text, size_t length) {
    std::vector<std::string> words;
    std::string word;
    for (size_t i = 0; i <= length; i++) {
        const char c = i < length ? text[i] : ' ';
        if (c == ' ' || c == 0 || c == '\r' || c == '\n' || c == '\t') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    return words;
}

// Everything of a text but its spaces, line ends and zero bytes.
std::string ink_of(const char* text, size_t length) {
    std::string ink;
    for (size_t i = 0; i < length; i++)
        if (text[i] != ' ' && text[i] != 0 && text[i] != '\r' && text[i] != '\n' && text[i] != '\t')
            ink.push_back(text[i]);
    return ink;
}

} // namespace

std::vector<RecordLayout> lay_out_card_db(const std::string& bytes) {
    std::vector<RecordLayout> layouts(DEALT_VALUES);
    for (int record = 0; record < DEALT_VALUES; record++) {
        RecordLayout& layout = layouts[size_t(record)];
        const char* text = nullptr;
        int32_t held = 0, length = 0;
        if (!find_card_record(bytes.data(), bytes.size(), record, &text, &held, &length)) break;
        layout.found = true;
        layout.text.assign(text, size_t(length));
        if (!layout.text.empty() && layout.text.back() == '\r') layout.text.pop_back();
        char rows[WRAPPED_TEXT_SIZE] = {};
        const int32_t text_length = lay_out_card_text(text, held, length, rows, WRAPPED_TEXT_SIZE);
        if (text_length <= 0) continue;
        layout.laid_out = true;
        layout.rows = text_length == 165 ? 7 : (text_length + 1) / TEXT_COLUMNS;
        // Rows may part a word after a hyphen or an apostrophe, so the characters are compared
        // and the spaces are not.
        layout.complete = ink_of(rows, size_t(layout.rows) * TEXT_COLUMNS) ==
                          ink_of(layout.text.data(), layout.text.size());
    }
    return layouts;
}

std::string layout_fault(const std::string& text, const RecordLayout& layout, std::string* word) {
    word->clear();
    // The program reads at most RECORD_TEXT_SIZE bytes of a record, its line end included.
    if (text.size() + 1 > size_t(RECORD_TEXT_SIZE))
        return "is " + std::to_string(text.size()) +
               " characters long; a card's text holds at most " +
               std::to_string(RECORD_TEXT_SIZE - 1);
    for (const std::string& w : words_of(text.data(), text.size()))
        if (w.size() > size_t(TEXT_COLUMNS)) {
            *word = w;
            return "the word \"" + utf8_of(w) + "\" is longer than a row (" +
                   std::to_string(TEXT_COLUMNS) + " characters)";
        }
    const std::string body = trim(text);
    if (body.empty() || body.back() != '.')
        return "must end with a period: the program ends a card's text at its last period";
    if (body.find(".   ") != std::string::npos)
        return "has three spaces after a period, where the program ends the text";
    if (!layout.laid_out)
        return "needs more than " + std::to_string(TEXT_ROWS_MAX) + " rows of " +
               std::to_string(TEXT_COLUMNS) + " characters (every period ends a row)";
    return "does not lay out completely";
}
