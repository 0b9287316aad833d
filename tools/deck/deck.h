// deck.h -- quarnel-deck: turns a folder of ordinary pictures and a text file of meanings into
// a deck folder the program plays with, and checks decks with the program's own loaders

#pragma once
#include "core/geometry.h"
#include <cstdint>
#include <string>
#include <vector>

// [SECTION] The deck's shape

// The program's card sheet is one strip of CARD_FRAMES frames of CARD_WIDTH x CARD_HEIGHT;
// frame CARD_BACK is the back. Its card texts are DEALT_VALUES records: record 2c is card c
// upright, 2c + 1 reversed (core/geometry.h and core/core.h).

// The file name of a frame without its extension: "00" to "77", "back" for CARD_BACK.
std::string frame_file_name(int frame);
// The frame a file name (without extension) stands for, case-insensitively; -1 for none.
int frame_of_name(const std::string& stem);

// A problem list: every refusal names its file and reason, all problems at once.
typedef std::vector<std::string> Problems;

// [SECTION] Pictures (pictures.cpp)

struct Image {
    int width = 0;
    int height = 0;
    int channels = 4;            // 4: red, green, blue, alpha; 3: red, green, blue (opaque)
    std::vector<uint8_t> pixels; // width x height x channels bytes, rows top to bottom
};

// Reads a PNG, JPEG or WebP file, told by its first bytes, with 3 channels when the file
// has no alpha and 4 when it has. A JPEG may be decoded reduced by
// its own scaling as long as it stays at least min_width x min_height. Returns 1, or 0 with
// the reason in *error.
int read_image(const std::string& path, int min_width, int min_height, Image* image,
               std::string* error);
// PNG bytes of an image (RGB when every pixel is opaque, else RGBA). Empty when it cannot.
std::vector<uint8_t> encode_png(const Image& image);

// [SECTION] Fitting pictures onto cards (fit.cpp)

enum FitMode { fit_crop, fit_pad };

// Scales a picture to CARD_WIDTH x CARD_HEIGHT with a proper filter (area averaging when reducing,
// Catmull-Rom when enlarging, in linear light). crop covers the card and keeps the middle;
// pad keeps the whole picture and fills the bars with black. A picture of exactly the card's
// size is taken as it is. Transparent parts are laid over black. The card has 4 channels.
Image fit_card(const Image& picture, FitMode mode);
// Maps a card onto palette indices 0..254 with Floyd-Steinberg error diffusion; index 255,
// the transparent index, is never produced.
std::vector<uint8_t> dither_to_palette(const Image& card, const uint8_t (*palette)[3]);

// [SECTION] Card sheet files (card_sheet.cpp)

// "79 frames of 60 x 100": the shape of every deck's card sheet.
std::string deck_shape();
// The card.nbf bytes of a strip of CARD_SHEET_WIDTH x CARD_HEIGHT indices: run-length encoded
// when that is smaller, raw otherwise.
std::vector<uint8_t> encode_card_sheet(const std::vector<uint8_t>& strip);
// Checks the bytes of a card.nbf (named `name` in the problems) with the program's own picture
// decoder, and its structure: the deck's shape, every pixel given and nothing after them, no
// transparent index. On success *strip holds its CARD_SHEET_WIDTH x CARD_HEIGHT indices and
// *summary a line about it. Adds each problem to *problems.
int check_card_sheet(const std::string& name, const std::string& bytes, std::vector<uint8_t>* strip,
                     std::string* summary, Problems* problems);
// The frames of a strip as RGBA images through the palette.
Image frame_image(const std::vector<uint8_t>& strip, int frame, const uint8_t (*palette)[3]);
// A sheet of all CARD_FRAMES frames in rows of ten, each labelled with its file name in the
// program's font (`font`: its 4 x 12 glyph strip of codes 33..127, null for no labels).
Image contact_sheet(const std::vector<uint8_t>& strip, const uint8_t (*palette)[3],
                    const std::vector<uint8_t>* font, int font_width);

// [SECTION] Card texts (texts.cpp)

struct CardText {
    bool present = false;
    std::string file;            // where its heading is
    int line = 0;                // the heading's line
    std::string name;            // as the heading gives it
    std::string text;            // its lines joined by single spaces, in Windows-1252
    std::vector<int> text_lines; // the line of each of its text lines
    std::vector<std::string> line_texts;
};

// Parses a card text file: "== N Name, upright|reversed" headings, each followed by its
// text; '#' lines and blank lines are skipped. The file is UTF-8 (a byte-order mark is
// allowed); each text is converted to Windows-1252, and a character it lacks is a problem.
// Fills records (resized to DEALT_VALUES) and adds one problem a fault, each with file, line
// and card. Entries already present (from an earlier file) count as given.
void parse_card_texts(const std::string& bytes, const std::string& file_name,
                      std::vector<CardText>* records, Problems* problems);
// Adds a problem for each of the DEALT_VALUES records that no file gave.
void report_missing_texts(const std::vector<CardText>& records, Problems* problems);
// The CardDB.dat bytes of the DEALT_VALUES records.
std::vector<uint8_t> encode_card_db(const std::vector<CardText>& records);

// What the program's card text lookup and layout make of one record.
struct RecordLayout {
    bool found = false;    // the program finds the record
    bool laid_out = false; // it finds the end of the text within the row limit
    bool complete = false; // and every word of the record is in the rows
    int rows = 0;
    std::string text; // the record as the program finds it, without its line end
};
// Finds and lays out each of the DEALT_VALUES records of CardDB.dat bytes with the program's
// own code.
std::vector<RecordLayout> lay_out_card_db(const std::string& bytes);
// Why a record's text does not lay out, in words, with the word at fault in *word (or "").
std::string layout_fault(const std::string& text, const RecordLayout& layout, std::string* word);
// The UTF-8 of Windows-1252 bytes (a card text as the program holds it), for messages.
std::string utf8_of(const std::string& bytes);
// "card 5 reversed" for a record number.
std::string record_name(int record);

// [SECTION] Writing a user's files (output.cpp)

// Writes bytes to path through a temporary file in the same folder and a rename: the file is
// whole or as it was. Returns 1, or 0 with the reason in *error.
int write_file_whole(const std::string& path, const std::vector<uint8_t>& bytes,
                     std::string* error);

// A folder made next to `target` to be renamed into place when complete.
struct StagingFolder {
    std::string path;   // "" when it could not be made
    std::string target; // the folder it becomes
};
// Makes the staging folder; 0 with the reason when it cannot.
int begin_folder(const std::string& target, StagingFolder* staging, std::string* error);
// Writes one file into the staging folder; 0 with the reason when it cannot.
int stage_file(const StagingFolder& staging, const std::string& name,
               const std::vector<uint8_t>& bytes, std::string* error);
// Renames the staging folder to its target (which must be missing or an empty folder).
int finish_folder(StagingFolder* staging, std::string* error);
// Removes the staging folder and all it holds.
void abandon_folder(StagingFolder* staging);
// A whole file's bytes; 0 with the reason in *error when it cannot be read.
int read_whole_file(const std::string& path, std::string* bytes, std::string* error);
