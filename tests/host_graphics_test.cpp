// graphics.library stand-in: rectangle copies, plain and through a mask,
// cut at every edge of both bitmaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "graphics/graphics.h"
#include "amiga/graphics.h"
#include "amiga/intuition.h"

namespace {

constexpr ULONG UNTOUCHED = 0xFF000000u;

// A source whose every pixel names its place, and a smaller destination.
struct Copy : ::testing::Test {
    BitMap *src = nullptr, *dst = nullptr;
    RastPort rp{};
    static bool opaque(LONG x, LONG y) { return (x * 7 + y * 3) % 5 < 2; }

    void make(LONG sw, LONG sh, LONG dw, LONG dh) {
        TearDown(); // the previous pair, if any
        src = AllocBitMap(ULONG(sw), ULONG(sh), 24, 0, nullptr);
        dst = AllocBitMap(ULONG(dw), ULONG(dh), 24, 0, nullptr);
        for (LONG y = 0; y < sh; ++y)
            for (LONG x = 0; x < sw; ++x) px(src, x, y) = ULONG(x << 12 | y);
        InitRastPort(&rp);
        rp.BitMap = dst;
    }
    void TearDown() override {
        FreeBitMap(src);
        FreeBitMap(dst);
    }
    static ULONG &px(BitMap *bm, LONG x, LONG y) { return reinterpret_cast<ULONG *>(host::rec(bm)->Pixels)[y * host::rec(bm)->Width + x]; }
    // A mask for the source, rows padded to whole 16-bit words.
    std::vector<UBYTE> mask() const {
        const size_t row = size_t((host::rec(src)->Width + 15) / 16) * 2;
        std::vector<UBYTE> m(row * size_t(src->Rows));
        for (LONG y = 0; y < src->Rows; ++y)
            for (LONG x = 0; x < host::rec(src)->Width; ++x)
                if (opaque(x, y)) m[size_t(y) * row + size_t(x / 8)] |= UBYTE(0x80 >> (x & 7));
        return m;
    }
    // Copies (sx, sy, w, h) to (dx, dy) and compares every destination pixel
    // with what the copy must leave there.
    void check(LONG sx, LONG sy, LONG dx, LONG dy, LONG w, LONG h, const UBYTE *m) {
        std::fill_n(reinterpret_cast<ULONG *>(host::rec(dst)->Pixels), size_t(host::rec(dst)->Width) * dst->Rows, UNTOUCHED);
        if (m)
            BltMaskBitMapRastPort(src, sx, sy, &rp, dx, dy, w, h, 0xE0, m);
        else
            BltBitMapRastPort(src, sx, sy, &rp, dx, dy, w, h, 0xC0);
        for (LONG y = 0; y < dst->Rows; ++y)
            for (LONG x = 0; x < host::rec(dst)->Width; ++x) {
                const LONG fx = sx + x - dx, fy = sy + y - dy;
                const bool inside = x >= dx && x < dx + w && y >= dy && y < dy + h && fx >= 0 && fy >= 0 &&
                                    fx < host::rec(src)->Width && fy < src->Rows;
                const ULONG want = inside && (!m || opaque(fx, fy)) ? ULONG(fx << 12 | fy) : UNTOUCHED;
                ASSERT_EQ(px(dst, x, y), want) << (m ? "masked " : "") << "copy (" << sx << "," << sy << ") to ("
                                               << dx << "," << dy << ") " << w << "x" << h << ", at " << x << "," << y;
            }
    }
};

TEST_F(Copy, CutAtEveryEdgeOfBothBitmaps) {
    make(40, 30, 12, 10); // 40 is not a multiple of 16 and its mask rows are words
    const std::vector<UBYTE> m = mask();
    const LONG cases[][6] = {
        {5, 5, 2, 2, 6, 5},    // inside
        {5, 5, 8, 2, 6, 5},    // past the right edge of the destination
        {5, 5, 11, 9, 6, 5},   // past its lower right corner
        {5, 5, -3, 2, 6, 5},   // past its left edge: the source moves along
        {5, 5, 2, -2, 6, 5},   // past its top edge
        {-2, 3, 1, 1, 6, 5},   // before the source's left edge
        {36, 27, 1, 1, 8, 8},  // past the source's right and lower edges
        {0, 0, -20, 0, 6, 5},  // wholly outside
        {5, 5, 0, 0, 0, 5},    // empty
        {0, 0, -1, -1, 40, 30},
    };
    for (const UBYTE *mp : {static_cast<const UBYTE *>(nullptr), m.data()})
        for (const auto &c : cases) check(c[0], c[1], c[2], c[3], c[4], c[5], mp);
}

TEST_F(Copy, MaskedCopyFromAPictureWhoseWidthIsNoMultipleOf16) {
    for (LONG w : {LONG(24), LONG(33), LONG(648)}) {
        make(w, 20, w, 20);
        const std::vector<UBYTE> m = mask();
        check(0, 0, 0, 0, w, 20, m.data());
        check(w / 3, 5, 1, 2, w / 2, 10, m.data());
    }
}

} // namespace

// Pens drawn into an 8-bit bitmap cover their rectangle inside it and
// nothing else: text in the ROM font across every edge (JAM2 paints every
// pixel of its cells), and a masked copy of pens.
TEST(Pens, TextAndMaskedCopiesCoverTheirRectangleOnly) {
    BitMap *bm = AllocBitMap(20, 12, 8, 0, nullptr), *src = AllocBitMap(16, 4, 8, 0, nullptr);
    ASSERT_TRUE(bm && src);
    RastPort rp{};
    InitRastPort(&rp);
    rp.BitMap = bm;
    auto expect_rect = [&](LONG x, LONG y, LONG w, LONG h, auto draw) {
        for (LONG r = 0; r < bm->Rows; ++r) std::fill_n(host::rec(bm)->Pixels + r * bm->BytesPerRow, host::rec(bm)->Width, UBYTE(0));
        draw();
        for (LONG py = 0; py < bm->Rows; ++py)
            for (LONG px = 0; px < host::rec(bm)->Width; ++px)
                ASSERT_EQ(host::rec(bm)->Pixels[py * bm->BytesPerRow + px] != 0, px >= x && px < x + w && py >= y && py < y + h)
                    << x << "," << y << " " << w << "x" << h << ", pixel " << px << "," << py;
    };
    UBYTE text[] = "AB";
    IntuiText it{3, 4, JAM2, 0, 0, nullptr, text, nullptr};
    for (const auto &[x, y] : {std::pair{0, 0}, {-3, 2}, {10, 2}, {2, -5}, {2, 9}, {-15, -7}, {19, 11}, {4, 4}})
        expect_rect(x, y, 16, 8, [&, x = x, y = y] { PrintIText(&rp, &it, x, y); });
    for (LONG r = 0; r < src->Rows; ++r) std::fill_n(host::rec(src)->Pixels + r * src->BytesPerRow, host::rec(src)->Width, UBYTE(7));
    const std::vector<UBYTE> mask(2 * 4, 0xFF);
    expect_rect(2, 1, 5, 3, [&] { BltMaskBitMapRastPort(src, 1, 0, &rp, 2, 1, 5, 3, 0xE0, mask.data()); });
    FreeBitMap(bm);
    FreeBitMap(src);
}
