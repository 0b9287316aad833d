// words.cpp -- every word the card library shows, in the web page's Cards panel and in the
// printed guidebook, by key: a language replaces them here at once. {n}, {deck} and {file}
// stand for what the page or the book puts in their place.

#include "cards/cards.h"

// clang-format off
const CardWordText card_words[word_count] = {
    {"cards.button",          "Cards"},
    {"cards.title",           "The cards"},
    {"cards.search",          "Search by name or meaning"},
    {"cards.no_match",        "No card matches."},
    {"cards.close",           "Close"},
    {"cards.previous",        "Previous card"},
    {"cards.next",            "Next card"},
    {"cards.upright",         "upright"},
    {"cards.reversed",        "reversed"},
    {"cards.major_arcana",    "Major Arcana"},
    {"cards.wands",           "Wands"},
    {"cards.cups",            "Cups"},
    {"cards.swords",          "Swords"},
    {"cards.pentacles",       "Pentacles"},
    {"cards.of_the_day",      "Card of the day"},
    {"cards.dismiss",         "Dismiss"},
    {"cards.journal_count",   "In your journal: {n} times"},
    {"cards.use_deck",        "Use a deck"},
    {"cards.use_deck_hint",   "Choose or drop a deck's card.nbf and CardDB.dat, made by quarnel-deck"},
    {"cards.built_in_deck",   "Back to the built-in deck"},
    {"cards.deck_in_use",     "Your own deck is in use."},
    {"cards.built_in_in_use", "The built-in deck is in use."},
    {"cards.next_start",      "Readings deal it from the next start."},
    {"cards.restart",         "Start again now"},
    {"cards.deck_refused",    "{file} cannot be used: {reason}. Nothing was changed."},
    {"cards.back",            "The back of the cards"},
    {"book.title",            "{deck}: the cards and their meanings"},
    {"book.subtitle",         "78 cards, each upright and reversed"},
    {"book.contents",         "Contents"},
};
// clang-format on

const char* group_name(int32_t group) {
    static const CardWord GROUPS[CARD_GROUPS] = {word_major_arcana, word_wands, word_cups,
                                                 word_swords, word_pentacles};
    return group >= 0 && group < CARD_GROUPS ? card_word(GROUPS[group]) : "";
}
