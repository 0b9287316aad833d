// readings.cpp -- the six readings: name, title, spread and questions of each, in one table
// that the program, the generator and the tests read

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

// [SECTION] Questions
//
// Pre-formatted for the 37-character lines of draw_text: leading and inner runs of spaces
// place each row, and a text longer than 37 characters continues on the second row.

namespace {

const char* const love_questions[10] = {
    "     Does my lover care for me?",
    "          Are we compatible?",
    "Do we have similar desires and goals?",
    "   Is my lover faithful and true?",
    "  Are we attracted to each other       sexually only?",
    "  Will my lover consider marriage?",
    "Does my lover have high standards andgood values?",
    "   Can we share out finances and        material possessions?",
    "Will my lover stay with me or leave?",
    "     What is the final outcome?",
};

const char* const business_questions[10] = {
    "   Should I begin my own business?",
    "Should the business be a partnership?",
    "  Will the public be receptive to my   product?",
    "     Will the work be difficult?",
    "Are there changed I need to make now?",
    "   Are there responsibilities I have    overlooked?",
    "       Will I be successful?",
    "   Will I make money through this       business?",
    "   What method of advertising should    I use?",
    "            Final outcome?",
};

const char* const money_questions[8] = {
    "      Concerns regarding money?",
    "  Desire for financial security now?",
    " How can I manifest money to make me  happy?",
    "   Past attitudes regarding money?",
    "Issues regarding responsibility for  financial well-being?",
    "New pans for financial investments orsaving?",
    "What future plans am I contemplating regarding money?",
    "What special abilities do I have for making money?",
};

} // namespace

// [SECTION] The table

// clang-format off
const ReadingInfo readings[READING_COUNT] = {
    // kind         menu entry             title picture             cards  spread          thumbnails  questions
    {kind_desire,   place_menu_desire,     L"\\title_desire.nbf",    1,     one_card,       0,          nullptr},
    {kind_today,    place_menu_today,      L"\\title_today.nbf",     1,     one_card,       0,          nullptr},
    {kind_past,     place_menu_past,       L"\\title_past.nbf",      3,     past_cards,     0,          nullptr},
    {kind_love,     place_menu_love,       L"\\title_love.nbf",      10,    love_cards,     1,          love_questions},
    {kind_business, place_menu_business,   L"\\title_business.nbf",  10,    business_cards, 1,          business_questions},
    {kind_money,    place_menu_money,      L"\\title_money.nbf",     8,     money_cards,    1,          money_questions},
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
    return r ? screen_layout[r->menu_place].label : nullptr;
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
    const ReadingInfo* r = reading_info(kind);
    if (!r || !r->questions || position < 0 || position >= r->card_count) return nullptr;
    return r->questions[position];
}
