// gen.h -- the install-folder generator: canvas, palette, file writers and the parts that
// make each group of files

#pragma once
#include <cstdint>
#include <string>
#include <vector>

// [SECTION] Canvas (full colour; mapped onto the shared palette when written)

struct Rgb {
    uint8_t r, g, b;
};

// An RGBA image; alpha 0 pixels become the transparent index 255 when written.
struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba; // width x height x 4
};

Canvas make_canvas(int width, int height, Rgb fill, uint8_t alpha = 255);
// Shapes are anti-aliased and blended over the canvas with the given opacity (0..1).
void fill_rect(Canvas& c, double x0, double y0, double x1, double y1, Rgb colour,
               double opacity = 1.0);
void fill_rounded_rect(Canvas& c, double x0, double y0, double x1, double y1, double radius,
                       Rgb colour, double opacity = 1.0);
void fill_ellipse(Canvas& c, double cx, double cy, double rx, double ry, Rgb colour,
                  double opacity = 1.0);
void fill_polygon(Canvas& c, const std::vector<double>& xy, Rgb colour, double opacity = 1.0);
void stroke_line(Canvas& c, double x0, double y0, double x1, double y1, double width, Rgb colour,
                 double opacity = 1.0);
void stroke_ellipse(Canvas& c, double cx, double cy, double rx, double ry, double width, Rgb colour,
                    double opacity = 1.0);
void vertical_gradient(Canvas& c, double x0, double y0, double x1, double y1, Rgb top, Rgb bottom);
// Sets every pixel of a rectangle to fully transparent.
void clear_rect(Canvas& c, int x0, int y0, int x1, int y1);
// Copies src over dst at (x, y), blending by src's alpha.
void blit(Canvas& dst, const Canvas& src, int x, int y);
// Text with a DejaVu face (serif or sans, bold or not); size in pixels; align 0 left,
// 1 centre, 2 right of x. y is the baseline.
enum FontFace { face_sans, face_sans_bold, face_serif, face_serif_bold };
void draw_string(Canvas& c, const std::string& text, double x, double y, double size, Rgb colour,
                 FontFace face = face_serif, int align = 0);
double string_width(const std::string& text, double size, FontFace face = face_serif);

// [SECTION] The language being drawn (labels.cpp)

// The language whose install folder is being drawn (a LanguageId of core/words.h); the parts
// take their words from its column of the words table.
extern int drawn_language;
// A row of the words table in the drawn language ("" for none).
std::string words(int word);
// The largest size from `size` down to `least`, in half pixels, at which `text` (the words of
// row `word`) fits `room` pixels. When it fits at none, the label is noted as a problem that
// fails the build, named by its row and language, and `least` is returned.
double fit_label(int word, const std::string& text, double size, double least, double room,
                 FontFace face);
// Notes a label that overflows its plate in some other way, in words.
void note_label_problem(int word, const std::string& what);
// The problems noted since the last call, one line each.
std::vector<std::string> take_label_problems();

// [SECTION] Palette and files

// The shared palette: index 0 black, 255 the transparent key, the rest for all art.
const std::vector<Rgb>& main_palette();
// Nearest palette index (never 255).
uint8_t palette_index(Rgb colour);
// Maps a canvas onto palette indices, ordered dithering where dither is set; pixels with
// alpha below 128 become 255.
std::vector<uint8_t> canvas_to_indices(const Canvas& c, bool dither);
// Writes a picture file: 28-byte header, run-length pixels (flag 1, index 255 transparent)
// when rle is set, raw pixels (flag 0) otherwise. Returns 1/0.
int write_picture(const std::string& path, const std::vector<uint8_t>& indices, int width,
                  int height, int frame_width, int frame_height, bool rle);
int write_palette_file(const std::string& path);
int write_png(const std::string& path, const Canvas& c);
int write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
// The file name of one of the program's picture names: L"\\menu.nbf" gives "menu.nbf".
std::string picture_file(const wchar_t* picture);
// Appends v little-endian, in 2 or 4 bytes.
void put_u16le(std::vector<uint8_t>& out, uint32_t v);
void put_u32le(std::vector<uint8_t>& out, uint32_t v);

// [SECTION] Parts of the install folder (each returns 1/0; folders are picture_dir, sound_dir)

int write_screen_pictures(const std::string& picture_dir); // screens, buttons, titles
int write_card_sheet(const std::string& picture_dir);      // card.nbf
Canvas draw_card_face(int card);                           // one frame of card.nbf, 0..CARD_BACK
const char* face_name(int card); // "The Fool", "Ace of Wands", in the drawn language
// font.nbf: the glyphs of ASCII, and with high_glyphs those of Windows-1252 above 127 too.
int write_font(const std::string& picture_dir, bool high_glyphs);
int write_sounds(const std::string& sound_dir);  // the WAV files
int write_icons(const std::string& picture_dir); // window icons
// The icon theme's icons, icons_dir/hicolor/NxN/apps/NAME.png for N = 16 to 256.
int write_theme_icons(const std::string& icons_dir, const std::string& name);
// The web page's home-screen icons (192, 512, maskable 512), its manifest and colours.txt.
int write_web_files(const std::string& web_dir);
// words.js: the web page's own words in every language and the languages' names.
int write_web_words(const std::string& web_dir);
// The title screen's night sky, at its top and at its foot.
void title_sky(Rgb* top, Rgb* bottom);
// CardDB.dat of the drawn language from the meaning files of texts_dir, in Windows-1252.
int write_card_db(const std::string& texts_dir, const std::string& path);
// The glossary.txt of texts_dir names every card, orientation, suit and reading as the words
// table does in the drawn language; 0 after naming each line that differs.
int check_glossary(const std::string& texts_dir);
