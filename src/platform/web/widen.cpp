// widen.cpp -- the canvas's pixels from the display's 5-6-5 frame

#include "platform/web/web.h"

// Each 5-6-5 value widened to 8 bits a channel by repeating its high bits below, the same
// rule as the headless runner's PNG shots, so a canvas and a shot compare byte for byte.
// Written as plain arithmetic so that the compiler can use vector instructions.
void widen_565(const uint16_t* from, uint32_t* to, int count) {
    for (int i = 0; i < count; ++i) {
        uint32_t v = from[i];
        uint32_t r = v >> 11, g = (v >> 5) & 63, b = v & 31;
        to[i] = (r << 3 | r >> 2) | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2) << 16 | 0xFF000000u;
    }
}
