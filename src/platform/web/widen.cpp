// widen.cpp -- the canvas's pixels from the display's 5-6-5 frame

#include "platform/web/web.h"

// Each 5-6-5 value widened to 8 bits a channel by repeating its high bits below, the same
// rule as the headless runner's PNG shots, so a canvas and a shot compare byte for byte.
// A table of all 65,536 values (256 KB, made at the first call) turns each pixel into one
// load; the same sums pixel by pixel took about twice as long in the browser.
void widen_565(const uint16_t* from, uint32_t* to, int count) {
    static uint32_t table[65536];
    static bool ready = false;
    if (!ready) {
        for (uint32_t v = 0; v < 65536; ++v) {
            uint32_t r = v >> 11, g = (v >> 5) & 63, b = v & 31;
            table[v] =
                (r << 3 | r >> 2) | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2) << 16 | 0xFF000000u;
        }
        ready = true;
    }
    for (int i = 0; i < count; ++i) to[i] = table[from[i]];
}
