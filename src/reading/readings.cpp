// readings.cpp -- the six readings: name, title, spread and questions of each, in one table
// that the program, the generator and the tests read (their words are the words table's)

#include "reading/reading.h"

// [SECTION] Spreads

namespace {

const SpreadPoint one_card[1] = {{90, 180}};
const SpreadPoint past_cards[3] = {{25, 180}, {90, 180}, {155, 180}};
const SpreadPoint love_cards[10] = {{110, 175}, {86, 210},  {110, 210}, {134, 210}, {86, 245},
                                    {110, 245}, {134, 245}, {86, 280},  {110, 280}, {134, 280}};
const SpreadPoint business_cards[10] = {{110, 175}, {90, 210}, {130, 210}, {70, 245},  {110, 245},
                                        {150, 245}, {50, 280}, {90, 280},  {130, 280}, {170, 280}};
const SpreadPoint money_cards[8] = {{110, 175}, {86, 210},  {110, 210}, {134, 210},
                                    {86, 245},  {110, 245}, {134, 245}, {110, 280}};

} // namespace

// [SECTION] The table

// clang-format off
const ReadingInfo readings[READING_COUNT] = {
    // kind         menu entry             title picture             cards  spread          thumbnails  questions
    {kind_desire,   place_menu_desire,     L"\\title_desire.nbf",    1,     one_card,       0,          word_none},
    {kind_today,    place_menu_today,      L"\\title_today.nbf",     1,     one_card,       0,          word_none},
    {kind_past,     place_menu_past,       L"\\title_past.nbf",      3,     past_cards,     0,          word_none},
    {kind_love,     place_menu_love,       L"\\title_love.nbf",      10,    love_cards,     1,          word_love_q1},
    {kind_business, place_menu_business,   L"\\title_business.nbf",  10,    business_cards, 1,          word_business_q1},
    {kind_money,    place_menu_money,      L"\\title_money.nbf",     8,     money_cards,    1,          word_money_q1},
};
// clang-format on

// [SECTION] Lookups

const ReadingInfo* reading_info(int32_t kind) {
    for (const ReadingInfo& r : readings)
        if (r.kind == kind) return &r;
    return nullptr;
}

const char* reading_name(int32_t kind) {
    const ReadingInfo* r = reading_info(kind);
    return r ? place_label(r->menu_place) : nullptr;
}

const wchar_t* title_picture_name(int32_t kind) {
    const ReadingInfo* r = reading_info(kind);
    return r ? r->title_picture : nullptr;
}

int32_t reading_kind(int32_t index) {
    return index >= 0 && index < READING_COUNT ? readings[index].kind : 0;
}

int32_t reading_card_count(int32_t kind) {
    return spread_size(kind);
}

int32_t spread_size(int32_t kind) {
    const ReadingInfo* r = reading_info(kind);
    return r ? r->card_count : 0;
}

const char* question_text(int32_t kind, int32_t position) {
    return question_text_in(current_language, kind, position);
}

const char* question_text_in(int32_t language, int32_t kind, int32_t position) {
    const ReadingInfo* r = reading_info(kind);
    if (!r || r->first_question == word_none || position < 0 || position >= r->card_count)
        return nullptr;
    return word_in(language, r->first_question + position);
}

const char* reading_name_in(int32_t language, int32_t kind) {
    const ReadingInfo* r = reading_info(kind);
    return r ? word_in(language, screen_layout[r->menu_place].label) : nullptr;
}
