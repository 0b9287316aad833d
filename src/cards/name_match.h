// name_match.h -- a card named the way a person types it: case, "the", hyphens and the usual
// other names ("Coins" for Pentacles, "Judgment", "3 of Swords") do not matter; a name that
// matches no card gets the nearest ones. Reads the one table of card names (core/words.h).

#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The card (0 to 77) the words name, or -1. "16" and "00" name cards by the numbers
// quarnel-deck gives their pictures.
int32_t match_card_name(const std::string& words);
// The cards whose names lie nearest the words (fewest letters to change), nearest first: at
// most `count`, and none more than two letters farther than the nearest.
std::vector<int32_t> nearest_card_names(const std::string& words, int32_t count);
// The card's name as a link's last part: "the-fool", "three-of-swords".
std::string card_slug(int32_t card);
// The words of a card's name as a person may type them, each alternative included once
// ("pentacles coins disks"): lower case, for search.
std::string card_name_words(int32_t card);
