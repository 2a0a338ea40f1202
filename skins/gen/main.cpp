// Writes the shipped skins, their guides and previews into a folder:
//   skingen <output-folder>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <unordered_map>

#include "png_write.h"
#include "skin.h"

using namespace gen;

namespace {

Rgb8 to8(Rgb c)
{
    auto ch = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.f, 1.f) * 255)); };
    return {ch(c.r), ch(c.g), ch(c.b)};
}

// Every pixel as RGB bytes; opaque pixels never come out pure black.
std::vector<uint8_t> rgb_bytes(const Canvas &c, const std::vector<uint8_t> *keyed)
{
    std::vector<uint8_t> out;
    out.reserve(size_t(c.width()) * size_t(c.height()) * 3);
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            size_t i = size_t(y) * size_t(c.width()) + size_t(x);
            Rgb8 v = to8(c.get(x, y));
            if (keyed && (*keyed)[i])
                v = {0, 0, 0};
            else if (keyed && v == Rgb8{0, 0, 0})
                v = {8, 8, 12};
            out.insert(out.end(), v.begin(), v.end());
        }
    return out;
}

std::vector<uint8_t> palette_indices(const Skin &s, const std::vector<Rgb8> &pal)
{
    std::unordered_map<uint32_t, uint8_t> cache;
    auto nearest = [&](Rgb8 v) {
        uint32_t key = uint32_t(v[0]) << 16 | uint32_t(v[1]) << 8 | v[2];
        auto it = cache.find(key);
        if (it != cache.end())
            return it->second;
        long best = -1;
        uint8_t pick = 0;
        for (size_t i = 0; i < pal.size(); ++i) {
            if (int(i) == kBlackPen)
                continue;
            long dr = long(v[0]) - pal[i][0], dg = long(v[1]) - pal[i][1], db = long(v[2]) - pal[i][2];
            long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (best < 0 || d < best) {
                best = d;
                pick = uint8_t(i);
            }
        }
        cache[key] = pick;
        return pick;
    };
    const Canvas &c = s.canvas;
    std::vector<uint8_t> out(size_t(c.width()) * size_t(c.height()));
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            size_t i = size_t(y) * size_t(c.width()) + size_t(x);
            out[i] = s.keyed[i] ? uint8_t(kBlackPen) : nearest(to8(c.get(x, y)));
        }
    return out;
}

void save_rgb(const std::string &path, const Canvas &c)
{
    write_png_rgb(path, c.width(), c.height(), rgb_bytes(c, nullptr));
    std::printf("wrote %s\n", path.c_str());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output-folder>\n", argv[0]);
        return 2;
    }
    std::string dir = std::string(argv[1]) + "/";
    try {
        std::vector<Rgb8> pal;
        for (const Rgb &c : skin_palette()) {
            Rgb8 v = to8(c);
            if (!pal.empty() && v == Rgb8{0, 0, 0})
                v = {8, 8, 12};
            pal.push_back(v);
        }
        pal[kBlackPen] = {0, 0, 0};

        Skin small = draw_skin(1);
        write_png_palette(dir + "grafika_aga", small.canvas.width(), small.canvas.height(),
                          palette_indices(small, pal), pal);
        std::printf("wrote %sgrafika_aga (%zu colours)\n", dir.c_str(), pal.size());
        Skin big = draw_skin(2);
        write_png_rgb(dir + "grafika_aga2x", big.canvas.width(), big.canvas.height(),
                      rgb_bytes(big.canvas, &big.keyed));
        std::printf("wrote %sgrafika_aga2x\n", dir.c_str());

        // Guides and previews show the palette skin as it ships.
        Skin shipped = small;
        {
            std::vector<uint8_t> idx = palette_indices(small, pal);
            for (int y = 0; y < shipped.canvas.height(); ++y)
                for (int x = 0; x < shipped.canvas.width(); ++x) {
                    const Rgb8 &v = pal[idx[size_t(y) * size_t(shipped.canvas.width()) + size_t(x)]];
                    shipped.canvas.set(x, y, Rgb{v[0] / 255.f, v[1] / 255.f, v[2] / 255.f});
                }
        }
        save_rgb(dir + "guide_1x.png", draw_guide(shipped));
        save_rgb(dir + "guide_2x.png", draw_guide(big));
        save_rgb(dir + "preview_1x.png", draw_preview(shipped));
        save_rgb(dir + "preview_2x.png", draw_preview(big));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "skingen: %s\n", e.what());
        return 1;
    }
    return 0;
}
