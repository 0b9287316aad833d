// display.cpp -- the GAPI display every back end shares (see common.h), and the desktop's and
// the web page's 240 x 320 frame

#include "platform/common/common.h"
#include <cstring>

namespace {
FrameBuffer* display = nullptr;

struct WindowDisplay {
    FrameBuffer record;
    uint16_t frame[DISPLAY_PIXELS];
    uint16_t shown[DISPLAY_PIXELS]; // the frame on screen
};
WindowDisplay window_display;
} // namespace

// [SECTION] The back ends' side

void display_use(FrameBuffer* frame_buffer) {
    display = frame_buffer;
}

void use_window_display(void (*show)()) {
    FrameBuffer& record = window_display.record;
    record = FrameBuffer();
    record.properties = {DISPLAY_WIDTH, DISPLAY_HEIGHT, 2, DISPLAY_WIDTH * 2, 16, kfDirect565};
    record.first_pixel = window_display.frame;
    record.shown = window_display.shown;
    record.show = show;
    display_use(&record);
}

const uint16_t* window_display_shown() {
    return window_display.record.shown_valid ? window_display.shown : nullptr;
}

int same_pixels(const uint16_t* a, const uint16_t* b, size_t count) {
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        uint64_t differ = 0;
        for (size_t k = 0; k < 16; k += 4) {
            uint64_t x, y;
            std::memcpy(&x, a + i + k, 8);
            std::memcpy(&y, b + i + k, 8);
            differ |= x ^ y;
        }
        if (differ) return 0;
    }
    for (; i < count; i++)
        if (a[i] != b[i]) return 0;
    return 1;
}

// [SECTION] The program's side (platform.h)

int GXOpenDisplay(WindowHandle window, uint32_t) {
    if (!display || !is_main_window(window)) return 0;
    if (display->opening) display->opening();
    display->open = true;
    return 1;
}

int GXCloseDisplay() {
    if (display) display->open = false;
    return 1;
}

void* GXBeginDraw() {
    return display && display->open ? display->first_pixel : nullptr;
}

int GXEndDraw() {
    if (!display) return 1;
    if (display->shown) {
        // A frame identical to the one on screen is not shown again.
        const uint16_t* frame = static_cast<const uint16_t*>(display->first_pixel);
        size_t count = size_t(display->properties.cxWidth) * display->properties.cyHeight;
        if (display->shown_valid && same_pixels(frame, display->shown, count)) return 1;
        std::memcpy(display->shown, frame, count * 2);
        display->shown_valid = true;
    }
    pacing_wake();
    if (display->show) display->show();
    return 1;
}

GXDisplayProperties GXGetDisplayProperties() {
    return display ? display->properties : GXDisplayProperties{};
}
