// cards_tool.h -- quarnel-cards: the deck's faces and texts from the install folder or a deck
// folder on disk, and the printable guidebook

#pragma once
#include "cards/cards.h"
#include <string>

// [SECTION] The deck on disk (deck_files.cpp)

// Where the deck's files are: the install folder's picture folder, and a deck folder made by
// quarnel-deck, whose card.nbf and CardDB.dat (either, or both) take the installed ones'
// place, as in the program.
struct DeckFolders {
    std::string install_dir; // the language's install folder; "" when none was found
    std::string deck_dir;    // "" for the installed deck
};

// The install folder as the program finds its own: QUARNEL_INSTALL_DIR, else the one
// installed beside this tool, else the build's; "" when there is none.
std::string default_install_dir();
// Reads the deck's texts (want_texts) and faces (want_faces). Returns 1, or 0 with one message
// naming the file or folder at fault in *problem, in `language`.
int load_deck(const DeckFolders& folders, int32_t language, bool want_texts, bool want_faces,
              CardDeck* deck, std::string* problem);

// [SECTION] The guidebook (book.cpp)

// The whole guidebook as one HTML file in a language: a cover with the deck's back, the
// contents, and a page per card with its face, name and both texts; pictures inside it, no
// scripts.
std::string book_html(const CardDeck& deck, const std::string& deck_name, int32_t language);
