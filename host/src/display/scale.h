// Whole-number nearest-neighbour scaling of a framebuffer into 32-bit
// pixels, for presenting through a window's own surface. No SDL here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace host {

// A block of 32-bit pixels to scale into; pitch in bytes.
struct ScaleTarget {
    uint32_t *pixels;
    size_t pitch;
    int width, height;
};

// Copies the w × h pixels at src (pitch in bytes) into the target with each
// pixel becoming a zoom × zoom block, the top-left block at (ox, oy). What
// falls outside the target is left out; the pixels are copied as they are.
void scale_rgb(const uint32_t *src, size_t src_pitch, int w, int h, const ScaleTarget &dst, int zoom,
               int ox, int oy);

// The same from 8-bit pens, each shown as its entry in lut.
void scale_pens(const uint8_t *src, size_t src_pitch, int w, int h, const uint32_t lut[256],
                const ScaleTarget &dst, int zoom, int ox, int oy);

} // namespace host
