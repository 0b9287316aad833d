// card_db.cpp -- writes "CardDB.dat" from the card meaning files in tools/card_texts, and
// checks a language's glossary against the words table

#include "gen.h"
#include "core/encoding.h"
#include "core/words.h"
#include <cstdio>
#include <dirent.h>
#include <algorithm>
#include <fstream>
#include <sstream>

namespace {
struct Entry {
    std::string name;
    std::string text; // Windows-1252
    bool present = false;
};

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// The Windows-1252 bytes of a UTF-8 line; 0 with a message naming the first character the
// encoding lacks.
int to_cp1252(const std::string& line, const std::string& where, std::string* out) {
    out->clear();
    size_t at = 0;
    for (uint32_t c; (c = next_utf8(line.c_str(), &at)) != 0;) {
        const uint8_t byte = unicode_to_cp1252(c);
        if (byte == 0) {
            std::fprintf(stderr, "%s: character U+%04X is not in Windows-1252\n", where.c_str(), c);
            return 0;
        }
        out->push_back(char(byte));
    }
    return 1;
}

// "<name>, <orientation>." as the words table gives them, in Windows-1252.
std::string opening(int record) {
    std::string label, bytes;
    label = std::string(face_name(record / 2)) + ", " +
            words(record % 2 ? word_reversed : word_upright) + ".";
    to_cp1252(label, "the words table", &bytes);
    return bytes;
}

// Reads every "== N Name, upright|reversed" entry of one file into entries (record 2N or
// 2N+1). The name must be the card's in the drawn language, and each text must open with the
// card's name and orientation. Returns 0 with a message on any malformed or repeated entry.
int read_text_file(const std::string& path, std::vector<Entry>& entries) {
    std::ifstream in(path);
    if (!in) return std::fprintf(stderr, "cannot read %s\n", path.c_str()), 0;
    std::string line;
    Entry* current = nullptr;
    int line_number = 0;
    while (std::getline(in, line)) {
        line_number++;
        line = trim(line);
        const std::string where = path + ":" + std::to_string(line_number);
        if (line.empty() || line[0] == '#') continue;
        if (line.compare(0, 3, "== ") == 0) {
            std::istringstream head(line.substr(3));
            int card = -1;
            head >> card;
            std::string rest;
            std::getline(head, rest);
            rest = trim(rest);
            size_t comma = rest.rfind(", ");
            std::string orientation = comma == std::string::npos ? "" : rest.substr(comma + 2);
            int reversed = orientation == "reversed" ? 1 : orientation == "upright" ? 0 : -1;
            if (card < 0 || card >= CARD_COUNT || reversed < 0 ||
                rest.substr(0, comma) != face_name(card)) {
                std::fprintf(stderr, "%s: bad entry heading (card %d is \"%s\")\n", where.c_str(),
                             card, card >= 0 && card < CARD_COUNT ? face_name(card) : "?");
                return 0;
            }
            current = &entries[size_t(card * 2 + reversed)];
            if (current->present) {
                std::fprintf(stderr, "%s: %s given twice\n", where.c_str(), rest.c_str());
                return 0;
            }
            current->present = true;
            current->name = rest;
            continue;
        }
        if (!current) {
            std::fprintf(stderr, "%s: text before any heading\n", where.c_str());
            return 0;
        }
        if (line.find('$') != std::string::npos) {
            std::fprintf(stderr, "%s: '$' separates records\n", where.c_str());
            return 0;
        }
        std::string bytes;
        if (!to_cp1252(line, where, &bytes)) return 0;
        if (current->text.empty()) {
            const std::string open = opening(int(current - entries.data()));
            if (bytes.compare(0, open.size(), open) != 0) {
                std::fprintf(stderr,
                             "%s: the text must open with the card's name and "
                             "orientation as the words table gives them\n",
                             where.c_str());
                return 0;
            }
        }
        current->text += (current->text.empty() ? "" : " ") + bytes;
    }
    return 1;
}

// The files of card meanings in a folder: its .txt files but the glossary and the subfolders'.
std::vector<std::string> meaning_files(const std::string& texts_dir) {
    std::vector<std::string> files;
    if (DIR* dir = opendir(texts_dir.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string name = e->d_name;
            if (name.size() > 4 && name.substr(name.size() - 4) == ".txt" && name != "glossary.txt")
                files.push_back(texts_dir + "/" + name);
        }
        closedir(dir);
    }
    std::sort(files.begin(), files.end());
    return files;
}
} // namespace

int write_card_db(const std::string& texts_dir, const std::string& path) {
    std::vector<Entry> entries(156);
    for (const std::string& file : meaning_files(texts_dir))
        if (!read_text_file(file, entries)) return 0;
    std::string out = "Quarnel card meanings: record 2c is card c upright, 2c+1 reversed.\r\n$";
    for (int record = 0; record < 156; record++) {
        if (!entries[size_t(record)].present) {
            std::fprintf(stderr, "%s: no text for card %d %s\n", texts_dir.c_str(), record / 2,
                         record % 2 ? "reversed" : "upright");
            return 0;
        }
        out += entries[size_t(record)].text + "\r\n$";
    }
    return write_bytes(path, std::vector<uint8_t>(out.begin(), out.end()));
}

// [SECTION] The glossary

int check_glossary(const std::string& texts_dir) {
    const std::string path = texts_dir + "/glossary.txt";
    std::ifstream in(path);
    if (!in) return std::fprintf(stderr, "cannot read %s\n", path.c_str()), 0;
    int ok = 1, names = 0;
    std::string line;
    for (int line_number = 1; std::getline(in, line); line_number++) {
        line = trim(line);
        const size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
        const std::string key = trim(line.substr(0, equals)), value = trim(line.substr(equals + 1));
        std::string table;
        int card = -1;
        if (key == "language") {
            table = language_table[drawn_language].name;
        } else if (std::sscanf(key.c_str(), "card %d", &card) == 1 && card >= 0 && card < 78) {
            table = face_name(card);
            names += 1;
        } else {
            // reading.love is the menu entry menu.love; the others are rows of their own.
            const std::string row =
                key.compare(0, 8, "reading.") == 0 ? "menu." + key.substr(8) : key;
            const int word = find_word(row.c_str());
            if (word == word_none) {
                std::fprintf(stderr, "%s:%d: \"%s\" is no row of the words table\n", path.c_str(),
                             line_number, key.c_str());
                ok = 0;
                continue;
            }
            table = words(word);
        }
        if (table != value) {
            std::fprintf(stderr, "%s:%d: %s is \"%s\" here, \"%s\" in the words table\n",
                         path.c_str(), line_number, key.c_str(), value.c_str(), table.c_str());
            ok = 0;
        }
    }
    if (names != 78) {
        std::fprintf(stderr, "%s: %d card names, not 78\n", path.c_str(), names);
        ok = 0;
    }
    return ok;
}
