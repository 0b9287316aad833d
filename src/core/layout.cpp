// layout.cpp -- the screens' places, tap areas and pressed looks

#include "core/layout.h"

namespace {
const HitBox no_tap = {0, 0, 0, 0};
// The corner buttons of the shuffle screen and the card table: 20 x 50 at the bottom corners.
const HitBox left_corner = {0, 20, 270, 320};
const HitBox right_corner = {220, 240, 270, 320};
} // namespace

// clang-format off
const LayoutEntry screen_layout[PLACE_COUNT] = {
    // name               label                    picture                   x    y    tap                   pressed                        px   py
    {"title",             word_none,               L"\\main.nbf",            0,   0,   no_tap,               nullptr,                       0,   0},
    {"title start",       word_title_start,        nullptr,                  0,   0,   {173, 222, 273, 290}, L"\\button_start_02.nbf",      164, 268},
    {"title exit",        word_title_exit,         nullptr,                  0,   0,   {176, 219, 297, 312}, L"\\buttonexit03.nbf",         164, 292},

    {"menu",              word_none,               L"\\menu.nbf",            0,   0,   no_tap,               nullptr,                       0,   0},
    {"menu desire",       word_menu_desire,        nullptr,                  0,   0,   {85, 140, 111, 125},  L"\\menu_sub_desire2.nbf",     0,   107},
    {"menu today",        word_menu_today,         nullptr,                  0,   0,   {92, 134, 130, 145},  L"\\menu_sub_today2.nbf",      0,   127},
    {"menu past",         word_menu_past,          nullptr,                  0,   0,   {50, 177, 149, 164},  L"\\menu_sub_past2.nbf",       0,   147},
    {"menu love",         word_menu_love,          nullptr,                  0,   0,   {101, 130, 171, 185}, L"\\menu_sub_love2.nbf",       0,   167},
    {"menu business",     word_menu_business,      nullptr,                  0,   0,   {87, 143, 191, 202},  L"\\menu_sub_business2.nbf",   0,   187},
    {"menu money",        word_menu_money,         nullptr,                  0,   0,   {88, 139, 211, 223},  L"\\menu_sub_money2.nbf",      0,   207},
    {"menu about tarot",  word_menu_about_tarot,   nullptr,                  0,   0,   {38, 194, 232, 258},  L"\\menu_sub_tarot2.nbf",      2,   232},
    {"menu publisher",    word_menu_about_quarnel, nullptr,                  0,   0,   {46, 190, 257, 285},  L"\\menu_sub_vorn2.nbf",       2,   257},
    {"menu exit",         word_menu_exit,          nullptr,                  0,   0,   {99, 137, 283, 316},  L"\\menu_sub_exit2.nbf",       2,   283},

    {"frame",             word_none,               L"\\title_frame.nbf",     0,   0,   no_tap,               nullptr,                       0,   0},
    {"reading title",     word_none,               nullptr,                  38,  12,  no_tap,               nullptr,                       0,   0},
    {"shuffle text",      word_none,               L"\\shuffletext.nbf",     40,  80,  no_tap,               nullptr,                       0,   0},
    {"shuffle table",     word_none,               L"\\shuffletable.nbf",    0,   256, no_tap,               nullptr,                       0,   0},
    {"shuffle deck",      word_label_deck,         L"\\shuffle_01.nbf",      88,  175, {95, 145, 200, 243},  nullptr,                       0,   0},
    {"shuffle animation", word_none,               L"\\shuffle.nbf",         88,  175, no_tap,               nullptr,                       0,   0},
    {"shuffle first",     word_none,               L"\\shuffle_pop.nbf",     45,  70,  no_tap,               nullptr,                       0,   0},
    {"shuffle back",      word_corner_back,        L"\\newback.nbf",         0,   270, left_corner,          L"\\newback02.nbf",            0,   270},
    {"shuffle next",      word_corner_next,        L"\\newnext.nbf",         220, 270, right_corner,         L"\\newnext02.nbf",            220, 270},

    {"card table",        word_none,               L"\\table.nbf",           0,   173, no_tap,               nullptr,                       0,   0},
    {"enlarged card",     word_none,               L"\\card.nbf",            10,  46,  no_tap,               nullptr,                       0,   0},
    {"question board",    word_none,               L"\\fontboard.nbf",       0,   5,   no_tap,               nullptr,                       0,   0},
    {"scroll bar",        word_none,               L"\\frame_scroll_01.nbf", 224, 48,  no_tap,               nullptr,                       0,   0},
    {"scroll up",         word_label_up,           nullptr,                  0,   0,   {224, 236, 48, 66},   L"\\frame_scroll_02_up.nbf",   224, 48},
    {"scroll down",       word_label_down,         nullptr,                  0,   0,   {224, 236, 129, 146}, L"\\frame_scroll_02_down.nbf", 224, 129},
    {"table exit",        word_corner_exit,        L"\\newexit.nbf",         0,   270, left_corner,          L"\\newexit02.nbf",            0,   270},
    {"table menu",        word_corner_menu,        L"\\newmenu.nbf",         220, 270, right_corner,         L"\\newmenu02.nbf",            220, 270},

    {"about",             word_none,               L"\\abouttarot.nbf",      0,   0,   no_tap,               nullptr,                       0,   0},
    {"about back",        word_button_back,        nullptr,                  0,   0,   {96, 149, 296, 311},  L"\\button_back_02.nbf",       87,  291},
    {"publisher 1",       word_none,               L"\\vorngame01.nbf",      0,   0,   no_tap,               nullptr,                       0,   0},
    {"publisher 1 back",  word_button_back,        nullptr,                  0,   0,   {17, 70, 297, 314},   L"\\button_back_02.nbf",       9,   294},
    {"publisher 1 next",  word_button_next,        nullptr,                  0,   0,   {168, 218, 299, 313}, L"\\button_next_02.nbf",       156, 293},
    {"publisher 2",       word_none,               L"\\vorngame02.nbf",      0,   0,   no_tap,               nullptr,                       0,   0},
    {"publisher 2 back",  word_button_back,        nullptr,                  0,   0,   {23, 76, 298, 314},   L"\\button_back_02.nbf",       14,  294},
    {"publisher 2 menu",  word_button_menu,        nullptr,                  0,   0,   {168, 218, 299, 316}, L"\\button_menu_02.nbf",       158, 294},

    {"farewell 1",        word_none,               L"\\vorngame01.nbf",      0,   25,  no_tap,               nullptr,                       0,   0},
    {"farewell 2",        word_none,               L"\\vorngame02.nbf",      0,   25,  no_tap,               nullptr,                       0,   0},
};
// clang-format on

int is_tappable(LayoutId place) {
    const HitBox& t = screen_layout[place].tap;
    return t.left < t.right && t.top < t.bottom;
}

const char* place_label(LayoutId place) {
    return word(screen_layout[place].label);
}
