// The presenting scaler against a pixel-by-pixel reference: blocks, offsets,
// clipping on every side (part blocks included), pens through their table.
#include <gtest/gtest.h>

#include <vector>

#include "display/scale.h"

TEST(HostScale, MatchesReferenceAtEveryPlacement) {
    const int w = 5, h = 4, dw = 17, dh = 13;
    std::vector<uint32_t> rgb(w * h), lut(256);
    std::vector<uint8_t> pens(w * h);
    for (int i = 0; i < w * h; ++i) rgb[i] = 0x00010000u * i + 7, pens[i] = uint8_t(250 - i);
    for (int i = 0; i < 256; ++i) lut[i] = 0xFF000000u | uint32_t(i * 3);
    struct Case { int z, ox, oy; } cases[] = {{1, 0, 0}, {1, 14, 11}, {3, 1, 0}, {3, -4, -2}, {3, 4, 5},
                                              {9, -20, -5}, {7, 3, 2}, {2, 30, 0}, {3, -16, 0}};
    for (bool pen : {false, true}) {
        for (Case c : cases) {
            std::vector<uint32_t> out(dw * dh, 0xDEADBEEF);
            host::ScaleTarget t{out.data(), dw * 4, dw, dh};
            if (pen)
                host::scale_pens(pens.data(), w, w, h, lut.data(), t, c.z, c.ox, c.oy);
            else
                host::scale_rgb(rgb.data(), w * 4, w, h, t, c.z, c.ox, c.oy);
            for (int y = 0; y < dh; ++y)
                for (int x = 0; x < dw; ++x) {
                    const int sx = x - c.ox, sy = y - c.oy;
                    uint32_t want = 0xDEADBEEF;
                    if (sx >= 0 && sy >= 0 && sx < w * c.z && sy < h * c.z) {
                        const int i = sy / c.z * w + sx / c.z;
                        want = pen ? lut[pens[i]] : rgb[i];
                    }
                    ASSERT_EQ(out[y * dw + x], want) << "pen " << pen << " zoom " << c.z << " at "
                                                     << c.ox << "," << c.oy << " pixel " << x << "," << y;
                }
        }
    }
}
