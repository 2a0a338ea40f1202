// PNG files through zlib.
#include <zlib.h>

#include <cstdio>

#include "datatypes/png.h"

namespace host {
namespace {
void put32(std::string &out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out += char(v >> s);
}

void chunk(std::string &out, const char *type, const std::string &data) {
    put32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out += type;
    out += data;
    put32(out, uint32_t(crc32(0, reinterpret_cast<const Bytef *>(out.data() + start), uInt(out.size() - start))));
}
} // namespace

std::string png_encode(int w, int h, const uint8_t *pixels, const std::vector<uint32_t> *palette, bool small) {
    const bool up = small && !palette;
    if (w <= 0 || h <= 0 || !pixels || (palette && (palette->empty() || palette->size() > 256))) return {};
    const size_t stride = size_t(w) * (palette ? 1 : 3);
    std::string raw;
    raw.reserve((stride + 1) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const uint8_t *row = pixels + size_t(y) * stride, *above = y ? row - stride : nullptr;
        raw += char(up ? 2 : 0);
        for (size_t i = 0; i < stride; ++i) raw += char(row[i] - (up && above ? above[i] : 0));
    }
    uLongf size = compressBound(uLong(raw.size()));
    std::string z(size, '\0');
    if (compress2(reinterpret_cast<Bytef *>(z.data()), &size, reinterpret_cast<const Bytef *>(raw.data()),
                  uLong(raw.size()), small ? 9 : 1) != Z_OK)
        return {};
    z.resize(size);
    std::string header;
    put32(header, uint32_t(w));
    put32(header, uint32_t(h));
    header += std::string{8, char(palette ? 3 : 2), 0, 0, 0};
    std::string out = "\x89PNG\r\n\x1a\n";
    chunk(out, "IHDR", header);
    if (palette) {
        std::string plte;
        for (uint32_t c : *palette) plte += {char(c >> 16), char(c >> 8), char(c)};
        chunk(out, "PLTE", plte);
    }
    chunk(out, "IDAT", z);
    chunk(out, "IEND", "");
    return out;
}

bool png_write(const std::string &path, const std::string &png) {
    if (png.empty() || path.empty()) return false;
    const std::string aside = path + ".part";
    FILE *f = fopen(aside.c_str(), "wb");
    bool ok = f && fwrite(png.data(), 1, png.size(), f) == png.size();
    if (f && fclose(f) != 0) ok = false;
    if (ok) ok = rename(aside.c_str(), path.c_str()) == 0;
    if (!ok) remove(aside.c_str());
    return ok;
}
} // namespace host
