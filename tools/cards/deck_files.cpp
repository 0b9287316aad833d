// deck_files.cpp -- the deck's files on disk: the install folder and a user's deck folder

#include "cards_tool.h"
#include "deck.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool is_folder(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_directory(path, error);
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

// The entry of a folder with this name in any case, as the program opens its files; "" for
// none.
std::string entry_in(const std::string& folder, const std::string& name) {
    std::error_code error;
    if (!is_folder(folder)) return "";
    if (fs::exists(folder + "/" + name, error)) return folder + "/" + name;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (lower(entry.path().filename().string()) == lower(name)) return entry.path().string();
    return "";
}

// The deck folder's file when it has one, else the install folder's; "" for neither.
std::string deck_file(const DeckFolders& folders, const std::string& name) {
    const std::string own = entry_in(folders.deck_dir, name);
    return own.empty() ? entry_in(entry_in(folders.install_dir, "picture"), name) : own;
}

int read_file(const std::string& path, std::string* bytes, std::string* problem) {
    std::string why;
    if (read_whole_file(path, bytes, &why)) return 1;
    *problem = path + " " + why;
    return 0;
}

// Why a file of the deck is missing: where it was looked for.
std::string missing_file(const DeckFolders& folders, const std::string& name) {
    if (folders.install_dir.empty())
        return "no install folder was found (give it with --install-dir)";
    std::string text = "the install folder " + folders.install_dir + " has no " + name;
    if (!folders.deck_dir.empty() && name != "picture/main.plf")
        text += ", nor has the deck folder " + folders.deck_dir + " its own";
    return text;
}

} // namespace

std::string default_install_dir() {
    const char* variable = std::getenv("QUARNEL_INSTALL_DIR");
    if (variable && is_folder(variable)) return variable;
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    const std::string installed = self.parent_path().string() + "/../share/quarnel";
    if (!error && is_folder(installed)) return installed;
#ifdef QUARNEL_DATA_DIR
    if (is_folder(QUARNEL_DATA_DIR)) return QUARNEL_DATA_DIR;
#endif
    return "";
}

int load_deck(const DeckFolders& folders, bool want_texts, bool want_faces, CardDeck* deck,
              std::string* problem) {
    if (!folders.deck_dir.empty()) {
        if (!is_folder(folders.deck_dir)) {
            *problem = "the deck folder " + folders.deck_dir + " is missing";
            return 0;
        }
        if (entry_in(folders.deck_dir, "card.nbf").empty() &&
            entry_in(folders.deck_dir, "CardDB.dat").empty()) {
            *problem = "the deck folder " + folders.deck_dir +
                       " holds neither card.nbf nor CardDB.dat (make them with quarnel-deck)";
            return 0;
        }
    }
    std::string reason;
    if (want_texts) {
        const std::string path = deck_file(folders, "CardDB.dat");
        std::string bytes;
        if (path.empty()) {
            *problem = "no card texts: " + missing_file(folders, "picture/CardDB.dat");
            return 0;
        }
        if (!read_file(path, &bytes, problem)) return 0;
        if (!read_card_texts(bytes.data(), bytes.size(), deck, &reason)) {
            *problem = path + " cannot be used: " + reason;
            return 0;
        }
    }
    if (want_faces) {
        const std::string sheet_path = deck_file(folders, "card.nbf");
        const std::string palette_path =
            entry_in(entry_in(folders.install_dir, "picture"), "main.plf");
        if (sheet_path.empty() || palette_path.empty()) {
            *problem =
                "no card pictures: " +
                missing_file(folders, sheet_path.empty() ? "picture/card.nbf" : "picture/main.plf");
            return 0;
        }
        std::string sheet, palette;
        if (!read_file(sheet_path, &sheet, problem) || !read_file(palette_path, &palette, problem))
            return 0;
        if (!read_card_faces(reinterpret_cast<const uint8_t*>(sheet.data()), sheet.size(),
                             reinterpret_cast<const uint8_t*>(palette.data()), palette.size(), deck,
                             &reason)) {
            *problem = sheet_path + " cannot be used: " + reason;
            return 0;
        }
    }
    return 1;
}
