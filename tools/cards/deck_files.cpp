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
std::string missing_file(const DeckFolders& folders, int32_t language, const std::string& name) {
    if (folders.install_dir.empty())
        return library_words(language, word_quarnel_cards_no_install_folder);
    if (!folders.deck_dir.empty() && name != "picture/main.plf")
        return library_words(
            language, word_quarnel_cards_both_lack,
            {{"folder", folders.install_dir}, {"file", name}, {"deck", folders.deck_dir}});
    return library_words(language, word_quarnel_cards_install_lacks,
                         {{"folder", folders.install_dir}, {"file", name}});
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

int load_deck(const DeckFolders& folders, int32_t language, bool want_texts, bool want_faces,
              CardDeck* deck, std::string* problem) {
    if (!folders.deck_dir.empty()) {
        if (!is_folder(folders.deck_dir)) {
            *problem = library_words(language, word_quarnel_cards_no_deck_folder,
                                     {{"folder", folders.deck_dir}});
            return 0;
        }
        if (entry_in(folders.deck_dir, "card.nbf").empty() &&
            entry_in(folders.deck_dir, "CardDB.dat").empty()) {
            *problem = library_words(language, word_quarnel_cards_empty_deck_folder,
                                     {{"folder", folders.deck_dir}});
            return 0;
        }
    }
    std::string reason;
    if (want_texts) {
        const std::string path = deck_file(folders, "CardDB.dat");
        std::string bytes;
        if (path.empty()) {
            *problem =
                library_words(language, word_quarnel_cards_no_texts,
                              {{"why", missing_file(folders, language, "picture/CardDB.dat")}});
            return 0;
        }
        if (!read_file(path, &bytes, problem)) return 0;
        if (!read_card_texts(bytes.data(), bytes.size(), language, deck, &reason)) {
            *problem = library_words(language, word_quarnel_cards_cannot_use,
                                     {{"file", path}, {"reason", reason}});
            return 0;
        }
    }
    if (want_faces) {
        const std::string sheet_path = deck_file(folders, "card.nbf");
        const std::string palette_path =
            entry_in(entry_in(folders.install_dir, "picture"), "main.plf");
        if (sheet_path.empty() || palette_path.empty()) {
            *problem =
                library_words(language, word_quarnel_cards_no_pictures,
                              {{"why", missing_file(folders, language,
                                                    sheet_path.empty() ? "picture/card.nbf"
                                                                       : "picture/main.plf")}});
            return 0;
        }
        std::string sheet, palette;
        if (!read_file(sheet_path, &sheet, problem) || !read_file(palette_path, &palette, problem))
            return 0;
        if (!read_card_faces(reinterpret_cast<const uint8_t*>(sheet.data()), sheet.size(),
                             reinterpret_cast<const uint8_t*>(palette.data()), palette.size(),
                             language, deck, &reason)) {
            *problem = library_words(language, word_quarnel_cards_cannot_use,
                                     {{"file", sheet_path}, {"reason", reason}});
            return 0;
        }
    }
    return 1;
}
