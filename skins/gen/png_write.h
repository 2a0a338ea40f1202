// The skins' pictures as PNG files: 8-bit palette and 8-bit RGB images.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace gen {

using Rgb8 = std::array<uint8_t, 3>;

// Writes an 8-bit palette image (colour type 3); pixels are palette indices.
void write_png_palette(const std::string &path, int w, int h, const std::vector<uint8_t> &pixels,
                       const std::vector<Rgb8> &palette);
// Writes an 8-bit RGB image (colour type 2); pixels hold 3 bytes each.
void write_png_rgb(const std::string &path, int w, int h, const std::vector<uint8_t> &pixels);

} // namespace gen
