// words.h -- every word Quarnel shows or says, in each of its languages: one table of the
// screens' labels and texts, the questions and the reading's text, and one of the card names,
// each with a column per language. The program, the generator, the hosts (through platform.h)
// and the tests all read them; the generator draws each install folder's pictures from its
// language's column, and the program speaks the language of the install folder it runs from.
//
// Texts are UTF-8. The questions are pre-formatted for the question board's rows of 37
// characters (QUESTION_GRID), which count characters, not bytes; the program draws them in
// the bitmap font through Windows-1252 (core/encoding.h).

#pragma once
#include "core/core.h"

// [SECTION] Languages

enum LanguageId : int32_t {
    language_en, // English: the default install folder
    language_es,
    language_pt,
    language_fr,
    language_it,
    language_de,
    LANGUAGE_COUNT
};

struct LanguageInfo {
    const char* code; // "es": the language's install folder, and the locale's language
    const char* name; // "Español", as the language names itself
};

extern const LanguageInfo language_table[LANGUAGE_COUNT];

// [SECTION] Words

// One row of the words table by its key, in the table's order.
enum WordId : int32_t {
    word_none = -1, // no words: a place that is no button
    word_title_subtitle,
    word_title_start,
    word_title_exit,
    word_title_version,
    word_menu_heading,
    word_menu_desire,
    word_menu_today,
    word_menu_past,
    word_menu_love,
    word_menu_business,
    word_menu_money,
    word_menu_about_tarot,
    word_menu_about_quarnel,
    word_menu_exit,
    word_shuffle_line1,
    word_shuffle_line2,
    word_shuffle_line3,
    word_shuffle_pop1,
    word_shuffle_pop2,
    word_shuffle_pop3,
    word_corner_back,
    word_corner_next,
    word_corner_exit,
    word_corner_menu,
    word_button_back,
    word_button_next,
    word_button_menu,
    word_label_deck,
    word_label_up,
    word_label_down,
    word_about_heading,
    word_about_intro,
    word_about_arcana_heading,
    word_about_arcana_text,
    word_about_reversed_heading,
    word_about_reversed_text,
    word_about_howto_heading,
    word_about_howto_text,
    word_publisher_subtitle,
    word_publisher_version,
    word_publisher_production,
    word_publisher_credit1_role,
    word_publisher_credit2_role,
    word_publisher_credit2_who,
    word_publisher_credit3_role,
    word_publisher_credit3_who,
    word_publisher_licence_heading,
    word_publisher_licence_text1,
    word_publisher_licence_text2,
    word_publisher_word_heading,
    word_publisher_word_text,
    word_publisher_thanks,
    word_text_reading,
    word_text_card_of,
    word_text_face_down,
    word_text_not_laid_out,
    word_upright,
    word_reversed,
    word_card_ace,
    word_card_page,
    word_card_knight,
    word_card_queen,
    word_card_king,
    word_suit_wands,
    word_suit_cups,
    word_suit_swords,
    word_suit_pentacles,
    word_arcana_major,
    word_arcana_minor,
    word_page_copy,
    word_page_share,
    word_page_save,
    word_page_copy_title,
    word_page_share_title,
    word_page_save_title,
    word_page_nothing_title,
    word_page_nothing,
    word_page_copied,
    word_page_not_copied,
    word_page_shared,
    word_page_saved,
    word_page_not_saved,
    word_page_display,
    word_page_keep,
    word_page_language,
    word_page_dismiss,
    word_page_ok,
    word_page_ended,
    word_page_thanks,
    word_page_again,
    word_page_failed,
    word_page_failed_text,
    word_page_update,
    word_page_reload,
    word_page_install_offer,
    word_page_install,
    word_page_ios_install,
    word_page_journal,
    word_page_journal_title,
    word_web_screen_starting,
    word_web_screen_title,
    word_web_screen_page,
    word_web_screen_shuffle,
    word_web_screen_shuffled,
    word_web_screen_unshuffled,
    word_web_screen_table,
    word_web_buttons,
    word_web_button,
    word_web_cards,
    word_web_arrows,
    word_love_q1,
    word_love_q2,
    word_love_q3,
    word_love_q4,
    word_love_q5,
    word_love_q6,
    word_love_q7,
    word_love_q8,
    word_love_q9,
    word_love_q10,
    word_business_q1,
    word_business_q2,
    word_business_q3,
    word_business_q4,
    word_business_q5,
    word_business_q6,
    word_business_q7,
    word_business_q8,
    word_business_q9,
    word_business_q10,
    word_money_q1,
    word_money_q2,
    word_money_q3,
    word_money_q4,
    word_money_q5,
    word_money_q6,
    word_money_q7,
    word_money_q8,
    WORD_COUNT
};

struct WordRow {
    const char* key;                  // "title.start": how tools, the web page and
                                      // messages name the row
    const char* text[LANGUAGE_COUNT]; // the words in each language, UTF-8
};

extern const WordRow word_table[WORD_COUNT];

// "The Fool" .. "King of Pentacles" in each language, by card number (dealt value / 2): the
// Major Arcana, then Wands, Cups, Swords and Pentacles, each from Ace to King.
extern const char* const card_name_table[CARD_COUNT][LANGUAGE_COUNT];

// [SECTION] The language of the run

// The install folder's language, read at start-up (shell/startup.cpp); English until then and
// after reset_core.
extern int32_t current_language;

// [SECTION] Lookups

// The words of a row in the current language; null for word_none or a number out of range.
const char* word(int32_t id);
// The same in a given language; null for a language or row out of range.
const char* word_in(int32_t language, int32_t id);
// The row whose key this is, or word_none.
int32_t find_word(const char* key);
// The language of a code ("es"), or -1.
int32_t find_language(const char* code);
