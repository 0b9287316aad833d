// widen.cpp -- the canvas's pixels from the display's 5-6-5 frame

#include "platform/web/web.h"
#include "platform/common/common.h"

// Each 5-6-5 value widened to 8 bits a channel by the display's one rule (widen_pixel), so a
// canvas and the runner's shot compare byte for byte.
// A table of all 65,536 values (256 KB, made at the first call) turns each pixel into one
// load; the same sums pixel by pixel took about twice as long in the browser.
void widen_565(const uint16_t* from, uint32_t* to, int count) {
    static uint32_t table[65536];
    static bool ready = false;
    if (!ready) {
        for (uint32_t v = 0; v < 65536; ++v) {
            uint8_t c[3];
            widen_pixel(uint16_t(v), kfDirect565, c);
            table[v] = c[0] | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16 | 0xFF000000u;
        }
        ready = true;
    }
    for (int i = 0; i < count; ++i) to[i] = table[from[i]];
}
