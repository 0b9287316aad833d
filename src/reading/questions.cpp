// questions.cpp -- the questions that each position of the love, business and money spreads
// answers, drawn over the title on the font board

#include "reading/reading.h"
#include "graphics/graphics.h"
#include "screens/screens.h"

// [SECTION] Question tables
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

// [SECTION] Drawing

const char* question_text(int32_t kind, int32_t position) {
    if (position < 0) return nullptr;
    if (kind == kind_love && position < 10) return love_questions[position];
    if (kind == kind_business && position < 10) return business_questions[position];
    if (kind == kind_money && position < 8) return money_questions[position];
    return nullptr;
}

void draw_question(int32_t position) {
    show_picture(L"\\fontboard.nbf", 0, 5);
    const char* text = question_text(app_state->screen, position);
    if (text) draw_text(text);
}
