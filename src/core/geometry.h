// geometry.h -- the sizes the program draws by: the card and its sheet, the capacity of each
// picture, the two text grids, the meaning window and the scroll ball's track
//
// Beside the layout table (layout.h), which places whole pictures and tap areas, this says
// the measures inside them once; the program, the generator, the tools and the tests read it.

#pragma once
#include "core/core.h"

// [SECTION] Cards

enum : int32_t {
    CARD_WIDTH = 60,                             // one frame of the card sheet
    CARD_HEIGHT = 100,                           //
    CARD_FRAMES = CARD_COUNT + 1,                // the 78 faces, then the back
    CARD_SHEET_WIDTH = CARD_FRAMES * CARD_WIDTH, // the frames side by side in one row
    THUMB_DIVISOR = 3,                           // a spread's small cards are a third of a card
};

// [SECTION] Pictures

struct PictureSize {
    uint16_t width, height;
};

// The capacity the program gives each of its pictures at start-up: any file whose pixel
// count fits can be loaded into it.
constexpr PictureSize WORK_PICTURE_SIZE = {1500, 300}; // the widest strip of the install folder
constexpr PictureSize THUMB_PICTURE_SIZE = {30, 50};
constexpr PictureSize FONT_PICTURE_SIZE = {240, 320};
constexpr PictureSize CARD_SHEET_SIZE = {CARD_SHEET_WIDTH, CARD_HEIGHT};
constexpr PictureSize FRAME_PICTURE_SIZE = {240, 174};

// [SECTION] Text grids

// Text drawn in the bitmap font: one cell per byte, rows of `columns` cells.
struct TextGrid {
    int32_t left, top;               // top-left pixel of the first cell's glyph
    int32_t cell_width, cell_height; // glyphs are narrower and taller: see GLYPH_WIDTH
    int32_t columns;                 // cells in a row
    int32_t rows;                    // rows on view at once
};

// The meaning window beside the enlarged card: eight rows of the laid-out card text.
constexpr TextGrid MEANING_GRID = {83, 58, 6, 10, TEXT_COLUMNS, 8};
// The question board over the reading's title: questions pre-formatted in rows of 37.
constexpr TextGrid QUESTION_GRID = {11, 10, 6, 10, 37, 2};

// A text of this many bytes or fewer fills no more rows than the window shows.
constexpr int32_t SHORT_TEXT_MAX = MEANING_GRID.columns * MEANING_GRID.rows;

// [SECTION] Areas the screens clear

// A rectangle cleared with clear_surface: columns left .. right - 1, `rows` rows from top.
struct ClearArea {
    int32_t left, top, right, rows;
};

constexpr ClearArea MEANING_WINDOW = {80, 55, 222, 85}; // the meaning's rows, before drawing
constexpr ClearArea CARD_TABLE_TOP = {5, 50, 235, 150}; // above the card table, as it opens
constexpr ClearArea SHUFFLE_TEXT = {5, 60, 230, 80};    // the shuffle screen's words
constexpr ClearArea SHUFFLE_POP = {5, 50, 230, 90};     // behind "Shuffle the deck first!"

// [SECTION] Scroll ball

enum : int32_t {
    BALL_X = 226,     // x of the ball
    BALL_TOP = 67,    // y of the ball at the top of its track
    BALL_TRAVEL = 57, // pixels from the top of the track to its foot
};
