// Checks the shipped skins against the layout the game copies from.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "picture_files.h"

namespace {

const std::string kSkins = std::string(KWADRON_SOURCE_DIR) + "/skins/";

using testpic::Surface;

struct Rect {
    int x, y, w, h;
};

// Equal pixels in the two rectangles of a 32-bit picture.
bool same_pixels(const SDL_Surface *s, Rect a, Rect b) {
    for (int j = 0; j < a.h; ++j)
        if (memcmp(static_cast<const uint8_t *>(s->pixels) + (a.y + j) * s->pitch + a.x * 4,
                   static_cast<const uint8_t *>(s->pixels) + (b.y + j) * s->pitch + b.x * 4, size_t(a.w) * 4))
            return false;
    return true;
}

bool black(const SDL_Surface *s, int x, int y) { return testpic::at(s, x, y) == 0; }

Rect tile(int i) { return {40 * (i % 4), 241 + 40 * (i / 4), 39, 39}; }
Rect digit(int d) { return {309, 241 + 12 * d, 10, 11}; }
const Rect overlays[2] = {{0, 402, 140, 80}, {141, 402, 132, 81}};

// Every region the game copies from, in normal-size units.
std::vector<Rect> regions() {
    std::vector<Rect> r = {{0, 0, 320, 240}, overlays[0], overlays[1]};
    for (int i = 0; i < 16; ++i) r.push_back(tile(i));
    for (int d = 0; d < 10; ++d) r.push_back(digit(d));
    for (int y : {241, 273, 305, 337}) r.push_back({160, y, 71, 31});
    return r;
}

Rect scaled(Rect r, int s) { return {r.x << s, r.y << s, r.w << s, r.h << s}; }

class ShippedSkin : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() { ASSERT_NE(IMG_Init(IMG_INIT_PNG) & IMG_INIT_PNG, 0); }
    int scale() const { return GetParam(); }
    std::string path() const { return kSkins + (scale() ? "grafika_aga2x" : "grafika_aga"); }
};

TEST_P(ShippedSkin, SizeSelectsTheScaleAndHoldsEveryRegion) {
    Surface raw(IMG_Load(path().c_str()), SDL_FreeSurface);
    ASSERT_TRUE(raw) << IMG_GetError();
    EXPECT_EQ(raw->w, 320 << scale());
    if (scale() == 0) {
        // A palette picture with exactly one see-through black.
        ASSERT_NE(raw->format->palette, nullptr);
        int blacks = 0;
        for (int i = 0; i < raw->format->palette->ncolors; ++i) {
            const SDL_Color c = raw->format->palette->colors[i];
            blacks += c.r == 0 && c.g == 0 && c.b == 0;
        }
        EXPECT_EQ(blacks, 1);
    }
    for (Rect r : regions()) {
        Rect s = scaled(r, scale());
        EXPECT_LE(s.x + s.w, raw->w) << r.x << "," << r.y;
        EXPECT_LE(s.y + s.h, raw->h) << r.x << "," << r.y;
    }
}

TEST_P(ShippedSkin, OverlaysTilesDigitsAndButtonStatesLookRight) {
    Surface s = testpic::load_rgb(path());
    ASSERT_TRUE(s) << IMG_GetError();
    const int k = scale();
    for (Rect r : overlays) {
        // See-through in places, but mostly opaque and solid in the centre,
        // so that the message stands on a panel.
        Rect o = scaled(r, k);
        long clear = 0;
        for (int y = o.y; y < o.y + o.h; ++y)
            for (int x = o.x; x < o.x + o.w; ++x) clear += black(s.get(), x, y);
        EXPECT_GT(clear, 0) << "overlay at " << r.x;
        EXPECT_GT(long(o.w) * o.h - clear, clear * 4) << "overlay at " << r.x;
        EXPECT_FALSE(black(s.get(), o.x + o.w / 2, o.y + o.h / 2)) << "overlay at " << r.x;
    }
    for (int i = 0; i < 16; ++i) {
        EXPECT_FALSE(same_pixels(s.get(), scaled(tile(i), k), scaled({131, 48, 39, 39}, k))) << "tile " << i << " looks empty";
        for (int j = i + 1; j < 16; ++j)
            EXPECT_FALSE(same_pixels(s.get(), scaled(tile(i), k), scaled(tile(j), k))) << "tiles " << i << ", " << j;
    }
    for (int d = 0; d < 10; ++d)
        for (int e = d + 1; e < 10; ++e)
            EXPECT_FALSE(same_pixels(s.get(), scaled(digit(d), k), scaled(digit(e), k))) << "digits " << d << ", " << e;
    for (int y : {241, 273, 305, 337})
        EXPECT_FALSE(same_pixels(s.get(), scaled({160, y, 71, 15}, k), scaled({160, y + 16, 71, 15}, k)))
            << "button at y " << y << " has no pressed look";
}

INSTANTIATE_TEST_SUITE_P(Scales, ShippedSkin, ::testing::Values(0, 1),
                         [](const auto &info) { return info.param ? std::string("Double") : std::string("Normal"); });

} // namespace
