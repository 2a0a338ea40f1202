// Checks the shipped skins against the layout the game copies from.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kSkins = std::string(KWADRON_SOURCE_DIR) + "/skins/";

using Surface = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// The picture as 24-bit RGB, whatever its stored form.
Surface load_rgb(const std::string &path)
{
    Surface raw(IMG_Load(path.c_str()), SDL_FreeSurface);
    if (!raw)
        return Surface(nullptr, SDL_FreeSurface);
    return Surface(SDL_ConvertSurfaceFormat(raw.get(), SDL_PIXELFORMAT_RGB24, 0), SDL_FreeSurface);
}

struct Pixel {
    uint8_t r, g, b;
    bool black() const { return r == 0 && g == 0 && b == 0; }
    bool operator==(const Pixel &) const = default;
};

Pixel at(const SDL_Surface *s, int x, int y)
{
    const uint8_t *p = static_cast<const uint8_t *>(s->pixels) + y * s->pitch + x * 3;
    return {p[0], p[1], p[2]};
}

struct Rect {
    int x, y, w, h;
};

bool same_pixels(const SDL_Surface *s, Rect a, Rect b)
{
    for (int j = 0; j < a.h; ++j)
        for (int i = 0; i < a.w; ++i)
            if (!(at(s, a.x + i, a.y + j) == at(s, b.x + i, b.y + j)))
                return false;
    return true;
}

// Every region the game copies from, in normal-size units.
std::vector<Rect> regions()
{
    std::vector<Rect> r = {{0, 0, 320, 240}, {0, 402, 140, 80}, {141, 402, 132, 81}};
    for (int i = 0; i < 16; ++i)
        r.push_back({40 * (i % 4), 241 + 40 * (i / 4), 39, 39});
    for (int d = 0; d < 10; ++d)
        r.push_back({309, 241 + 12 * d, 10, 11});
    for (int y : {241, 273, 305, 337}) {
        r.push_back({160, y, 71, 15});
        r.push_back({160, y + 16, 71, 15});
    }
    return r;
}

Rect scaled(Rect r, int s)
{
    return {r.x << s, r.y << s, r.w << s, r.h << s};
}

class ShippedSkin : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() { ASSERT_NE(IMG_Init(IMG_INIT_PNG) & IMG_INIT_PNG, 0); }
    int scale() const { return GetParam(); }
    std::string path() const { return kSkins + (scale() ? "grafika_aga2x" : "grafika_aga"); }
};

TEST_P(ShippedSkin, SizeSelectsTheScaleAndHoldsEveryRegion)
{
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

TEST_P(ShippedSkin, OverlaysMixSeeThroughAndOpaquePixels)
{
    Surface s = load_rgb(path());
    ASSERT_TRUE(s) << IMG_GetError();
    for (Rect r : {Rect{0, 402, 140, 80}, Rect{141, 402, 132, 81}}) {
        Rect o = scaled(r, scale());
        long clear = 0, opaque = 0;
        for (int y = o.y; y < o.y + o.h; ++y)
            for (int x = o.x; x < o.x + o.w; ++x)
                (at(s.get(), x, y).black() ? clear : opaque)++;
        EXPECT_GT(clear, 0) << "overlay at " << r.x << "," << r.y;
        // Mostly opaque: the text must stand on a solid panel.
        EXPECT_GT(opaque, clear * 4) << "overlay at " << r.x << "," << r.y;
        // The centre of the picture carries its message, so it must be solid.
        EXPECT_FALSE(at(s.get(), o.x + o.w / 2, o.y + o.h / 2).black());
    }
}

TEST_P(ShippedSkin, TilesDigitsAndButtonStatesAreDistinct)
{
    Surface s = load_rgb(path());
    ASSERT_TRUE(s) << IMG_GetError();
    const int k = 1 << scale();
    Rect empty = {131 * k, 48 * k, 39 * k, 39 * k};
    for (int i = 0; i < 16; ++i) {
        Rect a = scaled({40 * (i % 4), 241 + 40 * (i / 4), 39, 39}, scale());
        EXPECT_FALSE(same_pixels(s.get(), a, empty)) << "tile " << i << " looks like an empty cell";
        for (int j = i + 1; j < 16; ++j)
            EXPECT_FALSE(same_pixels(s.get(), a, scaled({40 * (j % 4), 241 + 40 * (j / 4), 39, 39}, scale())))
                << "tiles " << i << " and " << j;
    }
    for (int d = 0; d < 10; ++d)
        for (int e = d + 1; e < 10; ++e)
            EXPECT_FALSE(same_pixels(s.get(), scaled({309, 241 + 12 * d, 10, 11}, scale()),
                                     scaled({309, 241 + 12 * e, 10, 11}, scale())))
                << "digits " << d << " and " << e;
    for (int y : {241, 273, 305, 337})
        EXPECT_FALSE(same_pixels(s.get(), scaled({160, y, 71, 15}, scale()),
                                 scaled({160, y + 16, 71, 15}, scale())))
            << "button at y " << y << " has no pressed look";
}

INSTANTIATE_TEST_SUITE_P(Scales, ShippedSkin, ::testing::Values(0, 1),
                         [](const auto &info) { return info.param ? std::string("Double") : std::string("Normal"); });

} // namespace
