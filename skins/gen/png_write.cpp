#include "png_write.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include <zlib.h>

namespace gen {

namespace {

void put32(std::vector<uint8_t> &v, uint32_t x)
{
    v.push_back(uint8_t(x >> 24));
    v.push_back(uint8_t(x >> 16));
    v.push_back(uint8_t(x >> 8));
    v.push_back(uint8_t(x));
}

void chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data)
{
    put32(out, uint32_t(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, out.data() + start, uInt(out.size() - start));
    put32(out, uint32_t(crc));
}

void write(const std::string &path, int w, int h, uint8_t colour_type, int bpp,
           const std::vector<uint8_t> &pixels, const std::vector<Rgb8> *palette)
{
    size_t stride = size_t(w) * size_t(bpp);
    if (pixels.size() != stride * size_t(h))
        throw std::runtime_error("pixel buffer does not match the image size");
    // Palette rows go unfiltered; RGB rows use the Up filter, which packs
    // nearly as well as Paeth here and costs a reader next to nothing.
    uint8_t filter = colour_type == 3 ? 0 : 2;
    std::vector<uint8_t> raw;
    raw.reserve((stride + 1) * size_t(h));
    for (int y = 0; y < h; ++y) {
        raw.push_back(filter);
        const uint8_t *row = &pixels[size_t(y) * stride];
        const uint8_t *up = y ? row - stride : nullptr;
        for (size_t i = 0; i < stride; ++i) {
            if (filter == 0) {
                raw.push_back(row[i]);
                continue;
            }
            raw.push_back(uint8_t(row[i] - (up ? up[i] : 0)));
        }
    }
    uLongf zlen = compressBound(uLong(raw.size()));
    std::vector<uint8_t> z(zlen);
    if (compress2(z.data(), &zlen, raw.data(), uLong(raw.size()), 9) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    z.resize(zlen);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> ihdr;
    put32(ihdr, uint32_t(w));
    put32(ihdr, uint32_t(h));
    ihdr.insert(ihdr.end(), {8, colour_type, 0, 0, 0});
    chunk(out, "IHDR", ihdr);
    if (palette) {
        std::vector<uint8_t> plte;
        for (const auto &c : *palette)
            plte.insert(plte.end(), c.begin(), c.end());
        chunk(out, "PLTE", plte);
    }
    chunk(out, "IDAT", z);
    chunk(out, "IEND", {});

    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char *>(out.data()), std::streamsize(out.size()));
    if (!f)
        throw std::runtime_error("cannot write " + path);
}

} // namespace

void write_png_palette(const std::string &path, int w, int h, const std::vector<uint8_t> &pixels,
                       const std::vector<Rgb8> &palette)
{
    if (palette.empty() || palette.size() > 256)
        throw std::runtime_error("palette must hold 1 to 256 colours");
    write(path, w, h, 3, 1, pixels, &palette);
}

void write_png_rgb(const std::string &path, int w, int h, const std::vector<uint8_t> &pixels)
{
    write(path, w, h, 2, 3, pixels, nullptr);
}

} // namespace gen
