// card_db.cpp -- writes "CardDB.dat" from the card meaning files in tools/card_texts

#include "gen.h"
#include "core/core.h"
#include <cstdio>
#include <dirent.h>
#include <algorithm>
#include <fstream>
#include <sstream>

namespace {
struct Entry {
    std::string name;
    std::string text;
    bool present = false;
};

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// Reads every "== N Name, upright|reversed" entry of one file into entries (record 2N or
// 2N+1). Returns 0 with a message on any malformed or repeated entry.
int read_text_file(const std::string& path, std::vector<Entry>& entries) {
    std::ifstream in(path);
    if (!in) return std::fprintf(stderr, "cannot read %s\n", path.c_str()), 0;
    std::string line;
    Entry* current = nullptr;
    int line_number = 0;
    while (std::getline(in, line)) {
        line_number++;
        line = trim(line);
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
                rest.substr(0, comma) != card_name(card)) {
                std::fprintf(stderr, "%s:%d: bad entry heading\n", path.c_str(), line_number);
                return 0;
            }
            current = &entries[size_t(card * 2 + reversed)];
            if (current->present) {
                std::fprintf(stderr, "%s:%d: %s given twice\n", path.c_str(), line_number,
                             rest.c_str());
                return 0;
            }
            current->present = true;
            current->name = rest;
            continue;
        }
        if (!current) {
            std::fprintf(stderr, "%s:%d: text before any heading\n", path.c_str(), line_number);
            return 0;
        }
        if (line.find('$') != std::string::npos) {
            std::fprintf(stderr, "%s:%d: '$' separates records\n", path.c_str(), line_number);
            return 0;
        }
        current->text += (current->text.empty() ? "" : " ") + line;
    }
    return 1;
}
} // namespace

int write_card_db(const std::string& texts_dir, const std::string& path) {
    std::vector<std::string> files;
    if (DIR* dir = opendir(texts_dir.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string name = e->d_name;
            if (name.size() > 4 && name.substr(name.size() - 4) == ".txt")
                files.push_back(texts_dir + "/" + name);
        }
        closedir(dir);
    }
    std::sort(files.begin(), files.end());
    std::vector<Entry> entries(156);
    for (const std::string& file : files)
        if (!read_text_file(file, entries)) return 0;
    std::string out = "Quarnel card meanings: record 2c is card c upright, 2c+1 reversed.\r\n$";
    for (int record = 0; record < 156; record++) {
        if (!entries[size_t(record)].present) {
            std::fprintf(stderr, "no text for card %d %s\n", record / 2,
                         record % 2 ? "reversed" : "upright");
            return 0;
        }
        out += entries[size_t(record)].text + "\r\n$";
    }
    return write_bytes(path, std::vector<uint8_t>(out.begin(), out.end()));
}
