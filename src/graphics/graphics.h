// graphics.h -- the graphics engine: picture files, palette and back buffer, presenting,
// blitters, bitmap font, and drawing the pictures of the install folder at their places

#pragma once
#include "core/core.h"
#include "core/geometry.h"
#include "core/layout.h"

// [SECTION] Pictures

// A fixed-capacity picture: the buffer is allocated once, any file whose pixel count fits
// can be loaded into it again and again.
struct Picture {
    uint16_t capacity_width;
    uint16_t capacity_height;
    // the 28-byte file header, field by field
    uint32_t data_size;   // raw pixel bytes after the header
    int32_t width;        // row length in pixels
    int32_t height;       // number of rows
    int32_t frame_width;  // width of one frame of a strip
    int32_t frame_height; // height of one frame of a strip
    int32_t reserved;
    uint8_t flag; // 1 = run-length pixels and index 255 transparent
    uint8_t reserved2[3];
    uint8_t* pixels; // owned buffer of capacity_width x capacity_height bytes; null if none
    uint8_t* cursor; // read position of the blitters; null after release_picture
};

enum : uint32_t { PICTURE_HEADER_SIZE = 28 };
enum : uint8_t { TRANSPARENT_INDEX = 255 };

extern Picture* work_picture;   // every screen loads into it just before drawing
extern Picture* thumb_picture;  // a card reduced to a third, made by the card reveal
extern Picture* font_picture;   // "\font.nbf", loaded at start-up
extern Picture* card_sheet;     // "\card.nbf", 79 frames of 60 x 100, loaded at start-up
extern Picture* frame_picture;  // "\title_frame.nbf", loaded at start-up
extern struct Surface* surface; // the back buffer, created by create_objects
extern struct Palette* palette; // the palette block, created by create_objects

// Gives the picture its buffer; shows "3456456" and leaves pixels null when allocation fails.
Picture* init_picture(Picture* picture, uint16_t capacity_width, uint16_t capacity_height);
// Loads a picture file; returns 1, or 0 after showing the failure's message.
int load_picture(Picture* picture, const wchar_t* path);
// What decode_picture made of a file, beside the picture.
struct PictureDecoding {
    const wchar_t* fault; // the message load_picture shows for the failure; null: none
    int64_t wanted;       // the pixels the header asks for (raw pixels: its data size)
    int64_t delivered;    // those the file's bytes gave; the rest of the buffer is 0
    size_t used;          // the file's bytes taken; any after them are never read
};
// Decodes a whole picture file held in memory exactly as load_picture decodes it from disk:
// the header's fields (where the bytes stop short of them, the fields stay as they were),
// then the pixels, the rest of the buffer 0. Shows nothing: returns 1, or 0 with the message
// load_picture would show in decoding->fault. decoding may be null.
int decode_picture(const uint8_t* bytes, size_t size, Picture* picture,
                   PictureDecoding* decoding = nullptr);
// Frees the buffer; later loads fail and blitters refuse the picture.
void release_picture(Picture* picture);

// [SECTION] Palette and back buffer

enum : uint32_t {
    SURFACE_WIDTH = SCREEN_WIDTH,
    SURFACE_HEIGHT = SCREEN_HEIGHT,
    SURFACE_SIZE = SURFACE_WIDTH * SURFACE_HEIGHT
};

struct Surface {
    uint8_t* cursor; // write position of the drawing operations; null without a buffer
    uint8_t* pixels; // 320 rows of 240 palette indices
};

struct Palette {
    uint8_t rgb[256][3];
    uint16_t display_colours[256];
};
static_assert(sizeof(Palette) == 1280, "the palette block is 1,280 bytes");

// Allocates the 76,800-byte buffer; shows "8712134" when it cannot.
void init_surface(Surface* surface);
void release_surface(Surface* surface);
// Fills rows top .. top + rows - 1, columns left .. left + |right - left| - 1 with index.
// Never writes outside the back buffer, whatever the arguments.
void clear_surface(Surface* surface, int32_t left, int32_t top, int32_t right, int32_t rows,
                   int32_t index);
// Reads the 768-byte palette file; returns 1, or 0 after its message.
int load_palette(const wchar_t* path, Palette* palette);
// Fills display_colours for the display's format (565, then 555, then 444).
void prepare_palette(Palette* palette, const GXDisplayProperties* properties);
// One colour for the display (565, then 444, then 555); leaves *value alone for no format.
void colour_to_display(uint8_t red, uint8_t green, uint8_t blue,
                       const GXDisplayProperties* properties, uint16_t* value);

// [SECTION] Presenting

// Copies the back buffer through the palette to the display; 0 when it cannot be opened.
// Never reads outside the back buffer; display pixels outside its area are black.
int present_surface(Surface* surface, const Palette* palette,
                    const GXDisplayProperties* properties);
// The copying part of present_surface: writes the back buffer into the frame buffer whose
// pixel (0, 0) is at frame, laid out by the properties' size and pitches.
void present_to_frame(uint16_t* frame, const Surface* surface, const Palette* palette,
                      const GXDisplayProperties* properties);
// Fills the display with one colour (red in bits 0-7, green 8-15, blue 16-23).
int clear_display(const GXDisplayProperties* properties, uint32_t colour);

// [SECTION] Blitters

enum DrawMode : int32_t { plain = 0, mirrored = 5, turned = 11 };

// Each returns 1 when carried out (also when nothing was visible or the mode is unknown),
// 0 for a missing buffer (after its message) or a rectangle wholly left of or above the
// buffer. Never reads outside the picture's pixels nor writes outside the back buffer.
int draw_picture(Surface* surface, int32_t x, int32_t y, const Picture* picture, int32_t mode);
int draw_picture_frame(Surface* surface, int32_t x, int32_t y, int32_t w, int32_t h, int32_t index,
                       const Picture* picture, int32_t mode);
int draw_picture_region(Surface* surface, int32_t x, int32_t y, int32_t w, int32_t h,
                        int32_t source_x, int32_t source_y, const Picture* picture, int32_t mode);

// [SECTION] Bitmap font and text

enum : int32_t { GLYPH_WIDTH = 4, GLYPH_HEIGHT = 12 };

// Draws the glyph of code c (33..255, Windows-1252) from font_picture at (x, y) when the font
// holds it (the English font ends at 127); other codes draw nothing.
void draw_glyph(int32_t c, int32_t x, int32_t y);
// 1 when draw_glyph draws code c: 33..127 always, 128..255 when the font holds them.
int font_has_glyph(int32_t c);
// Draws a pre-formatted text on the question board's grid (QUESTION_GRID): a row ends after
// its last cell, whatever the bytes.
void draw_text(const char* text);

// [SECTION] Pictures of the install folder on screen

// Loads the named picture ("\menu.nbf") into work_picture, stores the result in load_result,
// destroys the main window when it failed, then draws work_picture at (x, y), plain.
void show_picture(const wchar_t* name, int32_t x, int32_t y);
// The same from a full path; a null path fails like a missing file.
void show_picture_at_path(const wchar_t* path, int32_t x, int32_t y);
// A place's own picture at its place, and its pressed look at the pressed look's place.
void show_place(LayoutId place);
void show_pressed(LayoutId place);
// The reading frame (frame_picture, loaded at start-up) at its place.
void draw_title_frame();
// Presents the back buffer through the palette to the display.
void present_screen();
// Clears one of the screens' areas of the back buffer to index 0.
void clear_area(const ClearArea& area);

// Frees the back buffer, the palette and every picture; later runs start as a new process.
void release_graphics();
