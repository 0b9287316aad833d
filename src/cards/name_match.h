// name_match.h -- card names as people type them, in the card library: the names' slugs and
// search words. The matching itself is the program's (platform.h: card_of_name and
// nearest_card_names, over the words table and its other names), so that "El Loco", "the
// fool" and "LE MAT" are card 0 here as in the journal.

#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The card's name in a language as a link's last part: "the-fool", "three-of-swords",
// "el-ermitano" (accents left out); card_of_name names the card again from it.
std::string card_slug(int32_t card, int32_t language);
// The words of a card's names in every language as a person may type them, each other name
// included once ("pentacles coins disks ... oros"), as folded_words gives them: for search.
std::string card_name_words(int32_t card);
// The words of a UTF-8 text as platform.h's fold_name gives them ("Épées" -> "epees", "ß" ->
// "ss"): runs of letters and digits; punctuation and spaces part them.
std::vector<std::string> folded_words(const std::string& text);
