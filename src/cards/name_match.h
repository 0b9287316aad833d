// name_match.h -- a card named the way a person types it, in any of the program's languages:
// case, accents, articles ("the", "el", "der"), hyphens and the usual other names ("Coins" for
// Pentacles, "Judgment", "3 of Swords", "3 de Copas") do not matter; a name that matches no
// card gets the nearest ones. The names are the program's (platform.h: card_of_name and
// language_card_name, from the words table), the other names this file's one table.
//
// Anything that reads card names people write (the journal's statistics too) can stand on
// match_card_name: "El Loco", "the fool" and "LE MAT" are all card 0.

#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The card (0 to 77) the words name in any language, or -1. "16" and "00" name cards by the
// numbers quarnel-deck gives their pictures. *language, when not null, gets the language of
// the name matched (-1 for a number, and for an other name of no one language).
int32_t match_card_name(const std::string& words, int32_t* language = nullptr);
// The cards whose names, in any language, lie nearest the words (fewest letters to change),
// nearest first: at most `count`, and none more than two letters farther than the nearest.
std::vector<int32_t> nearest_card_names(const std::string& words, int32_t count);
// The card's name in a language as a link's last part: "the-fool", "three-of-swords",
// "el-ermitano" (accents left out); match_card_name names the card again from it.
std::string card_slug(int32_t card, int32_t language);
// The words of a card's names in every language as a person may type them, each other name
// included once ("pentacles coins disks ... oros"), as folded_words gives them: for search.
std::string card_name_words(int32_t card);
// The words of a UTF-8 text, each in lower case without accents ("Épées" -> "epees", "ß" ->
// "ss"): runs of letters and digits; punctuation and spaces part them.
std::vector<std::string> folded_words(const std::string& text);
