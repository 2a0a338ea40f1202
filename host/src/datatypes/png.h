// Writing PNG files: the host's snapshots and the skin generator's pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace host {
// A PNG of w x h pixels of 8-bit samples: three bytes (R, G, B) a pixel, or
// one byte a pixel indexing palette (0x00RRGGBB colours, at most 256).
// Small: packed hard, RGB rows with the "up" filter (pictures to keep);
// else quickly, rows as they are (snapshots). Empty when it cannot be made.
std::string png_encode(int w, int h, const uint8_t *pixels, const std::vector<uint32_t> *palette, bool small);
// The file replaced whole (written aside, then renamed); false when that
// fails. The browser edition writes none.
bool png_write(const std::string &path, const std::string &png);
} // namespace host
