// Picture objects: decoding by content, depth and colour table, layout for
// true-colour and palette screens, refusal of anything that is no picture.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "amiga/datatypes.h"
#include "amiga/dos.h"
#include "amiga/graphics.h"
#include "host/control.h"
#include "host/headless.h"
#include "datatypes/picture.h"
#include "picture_files.h"
#include "support.h"

namespace {

using namespace testpic;

class DatatypesTest : public ::testing::Test {
  protected:
    testfiles::TempDir tmp;
    Screen *pub = nullptr;

    void SetUp() override {
        host::reset_all();
        host::display_choose("headless");
        pub = LockPubScreen(nullptr);
    }
    void TearDown() override {
        UnlockPubScreen(nullptr, pub);
        EXPECT_EQ(host::ledger_count(), 0u) << "left open";
        host::reset_all();
    }
    std::string path(const std::string &name) { return (tmp.root / name).string(); }
    std::string save(const std::string &name, const Bytes &b) {
        std::ofstream(path(name), std::ios::binary).write(reinterpret_cast<const char *>(b.data()), long(b.size()));
        return path(name);
    }
    std::string save_png(const std::string &name, SDL_Surface *s) {
        EXPECT_EQ(IMG_SavePNG(s, path(name).c_str()), 0);
        SDL_FreeSurface(s);
        return path(name);
    }
    Object *open(const std::string &p) {
        return NewDTObject(const_cast<char *>(p.c_str()), DTA_GroupID, GID_PICTURE, PDTA_DestMode,
                           PMODE_V43, TAG_DONE);
    }
    BitMap *layout(Object *o, Screen *s, bool remap) {
        SetDTAttrs(o, nullptr, nullptr, PDTA_Screen, s, PDTA_Remap, remap, OBP_Precision,
                   PRECISION_IMAGE, TAG_DONE);
        DoDTMethod(o, nullptr, nullptr, DTM_PROCLAYOUT, nullptr, 1);
        BitMap *bm = nullptr;
        GetDTAttrs(o, PDTA_DestBitMap, &bm, TAG_DONE);
        return bm;
    }
};

TEST_F(DatatypesTest, PalettePicturesReportTheirOwnDepthAndColourTable) {
    struct Case {
        std::string file;
        int w, h, depth, colours;
    } cases[] = {
        {save_png("p32.png", palette_surface(37, 9, 32)), 37, 9, 5, 32},
        {save("p32.iff", ilbm(19, 5, 5)), 19, 5, 5, 32},
        {save("p4.iff", ilbm(16, 3, 2)), 16, 3, 2, 4},
        {save_png("p2.png", palette_surface(8, 8, 2)), 8, 8, 1, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        Object *o = open(c.file);
        ASSERT_NE(o, nullptr);
        BitMapHeader *bmh = nullptr;
        ULONG *cregs = nullptr, n = 0;
        BitMap *dest = reinterpret_cast<BitMap *>(1);
        EXPECT_EQ(GetDTAttrs(o, PDTA_BitMapHeader, &bmh, PDTA_CRegs, &cregs, PDTA_NumColors, &n,
                             PDTA_DestBitMap, &dest, TAG_DONE),
                  4u);
        ASSERT_TRUE(bmh && cregs);
        EXPECT_EQ(bmh->bmh_Width, c.w);
        EXPECT_EQ(bmh->bmh_Height, c.h);
        EXPECT_EQ(bmh->bmh_Depth, c.depth);
        EXPECT_EQ(n, ULONG(c.colours));
        EXPECT_EQ(dest, nullptr); // nothing laid out yet
        for (int i = 0; i < 3 * c.colours; ++i)
            EXPECT_EQ(cregs[i], (colour(i / 3) >> (16 - 8 * (i % 3)) & 0xFF) * 0x01010101u) << i;
        // Read as far as the depth reaches: padded with zeros.
        for (int i = c.colours; i < (1 << c.depth); ++i) EXPECT_EQ(cregs[3 * i] | cregs[3 * i + 2], 0u);
        DisposeDTObject(o);
    }
}

// The two ways the game lays a skin out: its colours on a true-colour
// screen, its own pens on a palette screen made from its colour table.
TEST_F(DatatypesTest, LayoutFollowsTheScreensPixelForm) {
    Object *o = open(save_png("p.png", palette_surface(12, 6, 32)));
    ASSERT_NE(o, nullptr);
    BitMap *bm = layout(o, pub, true);
    ASSERT_NE(bm, nullptr);
    EXPECT_EQ(GetBitMapAttr(bm, BMA_WIDTH), 12u);
    EXPECT_EQ(GetBitMapAttr(bm, BMA_HEIGHT), 6u);
    EXPECT_EQ(reinterpret_cast<const uint32_t *>(host::rec(bm)->Pixels)[4 * host::rec(bm)->Width + 5], colour(index_at(5, 4, 32)));

    Screen *s = OpenScreenTags(nullptr, SA_Width, 320, SA_Height, 256, SA_Depth, 5, SA_DisplayID, 0x21000,
                               SA_Quiet, TRUE, TAG_DONE);
    ASSERT_NE(s, nullptr);
    bm = layout(o, s, false);
    ASSERT_NE(bm, nullptr);
    EXPECT_EQ(host::rec(bm)->BytesPerPixel, 1);
    EXPECT_EQ(GetBitMapAttr(bm, BMA_DEPTH), 5u);
    EXPECT_EQ(host::rec(bm)->Pixels[3 * host::rec(bm)->Width + 7], index_at(7, 3, 32));
    DisposeDTObject(o);

    // A true-colour picture on that screen: each pixel its nearest pen, the
    // first as every other.
    SetRGB32(&s->ViewPort, 2, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
    SetRGB32(&s->ViewPort, 3, 0x66666666, 0x88888888, 0xBBBBBBBB);
    SDL_Surface *rgb = SDL_CreateRGBSurfaceWithFormat(0, 3, 1, 24, SDL_PIXELFORMAT_RGB24);
    const Uint8 white_blue_white[9] = {0xFF, 0xFF, 0xFF, 0x66, 0x88, 0xBB, 0xFE, 0xFF, 0xFF};
    memcpy(rgb->pixels, white_blue_white, sizeof white_blue_white);
    o = open(save_png("rgb.png", rgb));
    ASSERT_NE(o, nullptr);
    bm = layout(o, s, false);
    ASSERT_NE(bm, nullptr);
    EXPECT_EQ(std::vector<UBYTE>(host::rec(bm)->Pixels, host::rec(bm)->Pixels + 3), (std::vector<UBYTE>{2, 3, 2}));
    DisposeDTObject(o);
    CloseScreen(s);
}

// A file whose own kind's loader refuses it is not passed on to SDL_image,
// which would pick another loader by content (its SVG loader leaks).
TEST_F(DatatypesTest, FilesTheDecoderWouldMisreadAreRefused) {
    const Bytes jpeg_then_svg = {0xFF, 0xD8, 0xFF, 0xFF, '_', '<', 's', 'v', 'g', 0x8D};
    host::Picture p;
    std::string why;
    EXPECT_FALSE(host::picture_decode(jpeg_then_svg.data(), jpeg_then_svg.size(), p, &why));
    EXPECT_NE(why.find("damaged"), std::string::npos) << why;
}

} // namespace
