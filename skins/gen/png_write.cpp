// The skins' pictures through the host's PNG writer.
#include "png_write.h"

#include <stdexcept>

#include "datatypes/png.h"

namespace gen {
namespace {
void write(const std::string &path, int w, int h, const std::vector<uint8_t> &pixels,
           const std::vector<uint32_t> *palette)
{
    if (pixels.size() != size_t(w) * size_t(h) * (palette ? 1 : 3))
        throw std::runtime_error("pixel buffer does not match the image size");
    // Packed small: RGB rows with the Up filter, which packs nearly as well
    // as Paeth here and costs a reader next to nothing.
    const std::string png = host::png_encode(w, h, pixels.data(), palette, true);
    if (png.empty() || !host::png_write(path, png))
        throw std::runtime_error("cannot write " + path);
}
} // namespace

void write_png_palette(const std::string &path, int w, int h, const std::vector<uint8_t> &pixels,
                       const std::vector<Rgb8> &palette)
{
    if (palette.empty() || palette.size() > 256)
        throw std::runtime_error("palette must hold 1 to 256 colours");
    std::vector<uint32_t> colours;
    for (const Rgb8 &c : palette)
        colours.push_back(uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2]);
    write(path, w, h, pixels, &colours);
}

void write_png_rgb(const std::string &path, int w, int h, const std::vector<uint8_t> &pixels)
{
    write(path, w, h, pixels, nullptr);
}
} // namespace gen
