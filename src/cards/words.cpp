// words.cpp -- every word the card library shows, in the web page's Cards panel and in the
// printed guidebook, by key: a language replaces them here at once. {n}, {deck} and {file}
// stand for what the page or the book puts in their place.

#include "cards/cards.h"

// clang-format off
constexpr CardWordText card_words[word_count] = {
    {word_cards,           "cards.button",          "Cards"},
    {word_cards_title,     "cards.title",           "The cards"},
    {word_search,          "cards.search",          "Search by name or meaning"},
    {word_no_match,        "cards.no_match",        "No card matches."},
    {word_close,           "cards.close",           "Close"},
    {word_previous,        "cards.previous",        "Previous card"},
    {word_next,            "cards.next",            "Next card"},
    {word_card_upright,         "cards.upright",         "upright"},
    {word_card_reversed,        "cards.reversed",        "reversed"},
    {word_major_arcana,    "cards.major_arcana",    "Major Arcana"},
    {word_wands,           "cards.wands",           "Wands"},
    {word_cups,            "cards.cups",            "Cups"},
    {word_swords,          "cards.swords",          "Swords"},
    {word_pentacles,       "cards.pentacles",       "Pentacles"},
    {word_card_of_the_day, "cards.of_the_day",      "Card of the day"},
    {word_dismiss,         "cards.dismiss",         "Dismiss"},
    {word_journal_count,   "cards.journal_count",   "In your journal: {n} times"},
    {word_use_deck,        "cards.use_deck",        "Use a deck"},
    {word_use_deck_hint,   "cards.use_deck_hint",   "Choose or drop a deck's card.nbf and CardDB.dat, made by quarnel-deck"},
    {word_built_in_deck,   "cards.built_in_deck",   "Back to the built-in deck"},
    {word_deck_in_use,     "cards.deck_in_use",     "Your own deck is in use."},
    {word_built_in_in_use, "cards.built_in_in_use", "The built-in deck is in use."},
    {word_next_start,      "cards.next_start",      "Readings deal it from the next start."},
    {word_restart,         "cards.restart",         "Start again now"},
    {word_deck_refused,    "cards.deck_refused",    "{file} cannot be used: {reason}. Nothing was changed."},
    {word_not_deck_file,   "cards.not_deck_file",   "a deck holds card.nbf and CardDB.dat, made by quarnel-deck"},
    {word_no_deck_file,    "cards.no_deck_file",    "Choose card.nbf, CardDB.dat or both."},
    {word_no_storage,      "cards.no_storage",      "This browser keeps no files for this page, so the deck cannot be kept."},
    {word_back_of_cards,   "cards.back",            "The back of the cards"},
    {word_book_title,      "book.title",            "{deck}: the cards and their meanings"},
    {word_book_subtitle,   "book.subtitle",         "78 cards, each upright and reversed"},
    {word_contents,        "book.contents",         "Contents"},
};
// clang-format on

// Each row stands at its word's place.
constexpr bool rows_in_order() {
    for (int32_t i = 0; i < word_count; i++)
        if (card_words[i].word != i) return false;
    return true;
}
static_assert(rows_in_order(), "card_words: a row out of its word's place");

const char* group_name(int32_t group) {
    static const CardWord GROUPS[CARD_GROUPS] = {word_major_arcana, word_wands, word_cups,
                                                 word_swords, word_pentacles};
    return group >= 0 && group < CARD_GROUPS ? card_word(GROUPS[group]) : "";
}
