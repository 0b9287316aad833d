// places.cpp -- the back buffer and palette of the run, drawing the install folder's pictures
// at their places, presenting, and freeing the graphics objects

#include "graphics/graphics.h"

Surface* surface = nullptr;
Palette* palette = nullptr;

void show_picture_at_path(const wchar_t* path, int32_t x, int32_t y) {
    load_result = path ? load_picture(work_picture, path) : 0;
    if (!load_result) destroy_window(main_window);
    draw_picture(surface, x, y, work_picture, plain);
}

void show_picture(const wchar_t* name, int32_t x, int32_t y) {
    show_picture_at_path(picture_path(name), x, y);
}

void show_place(LayoutId place) {
    const LayoutEntry& e = screen_layout[place];
    show_picture(e.picture, e.x, e.y);
}

void show_pressed(LayoutId place) {
    const LayoutEntry& e = screen_layout[place];
    show_picture(e.pressed, e.pressed_x, e.pressed_y);
}

void draw_title_frame() {
    draw_picture(surface, screen_layout[place_frame].x, screen_layout[place_frame].y, frame_picture,
                 plain);
}

void present_screen() {
    present_surface(surface, palette, &display_properties);
}

void clear_area(const ClearArea& area) {
    clear_surface(surface, area.left, area.top, area.right, area.rows, 0);
}

static void free_picture(Picture*& picture) {
    if (picture) release_picture(picture);
    release_memory(picture);
    picture = nullptr;
}

void release_graphics() {
    if (surface) release_surface(surface);
    release_memory(surface);
    surface = nullptr;
    release_memory(palette);
    palette = nullptr;
    free_picture(work_picture);
    free_picture(thumb_picture);
    free_picture(font_picture);
    free_picture(card_sheet);
    free_picture(frame_picture);
}
