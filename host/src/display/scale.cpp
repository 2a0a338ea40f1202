// Each source row is scaled once into the first of its destination rows;
// the other zoom − 1 rows are plain copies of it. The common zooms have a
// loop of their own with the block width fixed, which the compiler unrolls
// into straight stores.
#include "display/scale.h"

#include <algorithm>
#include <cstring>

namespace host {
namespace {

struct RgbRow {
    const uint32_t *px;
    uint32_t operator()(int x) const { return px[x]; }
};
struct PenRow {
    const uint8_t *px;
    const uint32_t *lut;
    uint32_t operator()(int x) const { return lut[px[x]]; }
};

// n whole blocks from source column sx on.
template <int Z, class Row> void blocks(uint32_t *out, Row row, int sx, int n, int) {
    for (int i = 0; i < n; ++i, out += Z) {
        const uint32_t c = row(sx + i);
        for (int k = 0; k < Z; ++k) out[k] = c;
    }
}
template <class Row> void blocks_any(uint32_t *out, Row row, int sx, int n, int z) {
    for (int i = 0; i < n; ++i, out += z) std::fill_n(out, z, row(sx + i));
}

template <class Row> using BlockFn = void (*)(uint32_t *, Row, int, int, int);

template <class Row> BlockFn<Row> block_fn(int z) {
    switch (z) {
    case 1: return blocks<1, Row>;
    case 2: return blocks<2, Row>;
    case 3: return blocks<3, Row>;
    case 4: return blocks<4, Row>;
    case 5: return blocks<5, Row>;
    case 6: return blocks<6, Row>;
    case 8: return blocks<8, Row>;
    case 9: return blocks<9, Row>;
    default: return blocks_any<Row>;
    }
}

// Destination columns x0..x1 of one row (out points at column x0); the
// blocks start at ox. A block cut by the clip edge is filled in part.
template <class Row> void build_row(uint32_t *out, Row row, int x0, int x1, int ox, int z, BlockFn<Row> fn) {
    int sx = (x0 - ox) / z;
    if (const int into = (x0 - ox) % z) {
        const int n = std::min(z - into, x1 - x0);
        std::fill_n(out, n, row(sx));
        out += n;
        x0 += n;
        ++sx;
    }
    const int whole = (x1 - x0) / z;
    fn(out, row, sx, whole, z);
    const int rest = (x1 - x0) - whole * z;
    if (rest > 0) std::fill_n(out + size_t(whole) * z, rest, row(sx + whole));
}

template <class Row, class RowAt>
void scale(RowAt row_at, int w, int h, const ScaleTarget &dst, int z, int ox, int oy) {
    if (!dst.pixels || w <= 0 || h <= 0 || z <= 0) return;
    const int x0 = std::max(0, ox), y0 = std::max(0, oy);
    const int x1 = int(std::min<long long>(dst.width, ox + (long long)w * z));
    const int y1 = int(std::min<long long>(dst.height, oy + (long long)h * z));
    if (x0 >= x1 || y0 >= y1) return;
    const BlockFn<Row> fn = block_fn<Row>(z);
    const size_t bytes = size_t(x1 - x0) * sizeof(uint32_t);
    auto line = [&](int y) {
        return reinterpret_cast<uint32_t *>(reinterpret_cast<uint8_t *>(dst.pixels) + size_t(y) * dst.pitch) + x0;
    };
    for (int y = y0; y < y1;) {
        const int sy = (y - oy) / z;
        const int rows = std::min(z - (y - oy) % z, y1 - y);
        uint32_t *first = line(y);
        build_row<Row>(first, row_at(sy), x0, x1, ox, z, fn);
        for (int k = 1; k < rows; ++k) memcpy(line(y + k), first, bytes);
        y += rows;
    }
}

} // namespace

void scale_rgb(const uint32_t *src, size_t src_pitch, int w, int h, const ScaleTarget &dst, int zoom,
               int ox, int oy) {
    if (!src) return;
    auto row_at = [&](int y) {
        return RgbRow{reinterpret_cast<const uint32_t *>(reinterpret_cast<const uint8_t *>(src) + size_t(y) * src_pitch)};
    };
    scale<RgbRow>(row_at, w, h, dst, zoom, ox, oy);
}

void scale_pens(const uint8_t *src, size_t src_pitch, int w, int h, const uint32_t lut[256],
                const ScaleTarget &dst, int zoom, int ox, int oy) {
    if (!src || !lut) return;
    auto row_at = [&](int y) { return PenRow{src + size_t(y) * src_pitch, lut}; };
    scale<PenRow>(row_at, w, h, dst, zoom, ox, oy);
}

} // namespace host
