// The shipped skins written by everyday tools (ImageMagick, netpbm) in every
// format the host reads: each file must be the format named and decode to
// the PNG's pixels. A variant whose tool is missing is skipped. Then TGA
// files of every kind, made here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "datatypes/picture.h"
#include "picture_files.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;

// The picture as one 0xRRGGBB a pixel, whatever form it was decoded to.
std::vector<uint32_t> pixels(const host::Picture &p) {
    std::vector<uint32_t> v(size_t(p.width) * size_t(p.height));
    if (p.has_palette()) {
        if (p.indices.size() != v.size()) return {};
        for (size_t i = 0; i < v.size(); ++i)
            v[i] = p.indices[i] < p.palette.size() ? p.palette[p.indices[i]] : 0xFF000000u;
    } else {
        if (p.rgb.size() != v.size()) return {};
        std::copy(p.rgb.begin(), p.rgb.end(), v.begin());
    }
    return v;
}

using namespace std::literals;

// Bytes a file of the format holds at an offset.
using Head = std::pair<size_t, std::string_view>;

// How the decoded file must match the skin: pixel for pixel, or only in
// size (lossy), or pixel for pixel with the rows in the opposite order.
enum Match { Exact, Size, UpsideDown };

struct Variant {
    const char *format, *name;
    const char *skin;    // source PNG in skins/
    const char *cmd;     // bash command from $S, the source, to $O
    Head head[2];        // what the file must hold to be the format named
    Match match = Exact;
};

void PrintTo(const Variant &v, std::ostream *os) { *os << v.format << " " << v.name; }

constexpr std::string_view PNG = "\x89PNG\r\n\x1a\n";

// The palette skin keeps its palette in the palette variants; the
// true-colour skin has thousands of colours, so it goes only to the
// true-colour ones (and to GIF and JPEG, reduced). A TGA header says at 1
// whether it has a colour map and its kind (1 mapped, 2 RGB, +8 RLE), at 16
// the bits a pixel and the row order (0x20: top row first). ImageMagick 6
// stores the top row first under a header that says bottom row first (so
// netpbm's tgatoppm and SDL2_image show its TGA upside down too); netpbm
// writes the bottom row first.
const Variant variants[] = {
    {"PNG", "palette", "grafika_aga", "convert \"$S\" PNG8:\"$O\"", {{0, PNG}, {25, "\x03"}}},
    {"PNG", "RGBA", "grafika_aga2x", "convert \"$S\" -alpha on PNG32:\"$O\"", {{0, PNG}, {25, "\x06"}}},
    {"BMP", "palette RLE8", "grafika_aga", "convert \"$S\" -type Palette -compress RLE BMP3:\"$O\"",
     {{0, "BM"}, {28, "\x08\0\x01\0"sv}}},
    {"BMP", "RGB v5 header", "grafika_aga2x", "convert \"$S\" -type TrueColor BMP:\"$O\"",
     {{0, "BM"}, {14, "\x7C\0"sv}}},
    {"TGA", "palette ImageMagick", "grafika_aga", "convert \"$S\" TGA:\"$O\"", {{1, "\x01\x01"}, {16, "\x08\0"sv}},
     UpsideDown},
    {"TGA", "RGB ImageMagick", "grafika_aga2x", "convert \"$S\" TGA:\"$O\"", {{1, "\0\x02"sv}, {16, "\x18\0"sv}},
     UpsideDown},
    {"TGA", "palette RLE top-down", "grafika_aga", "convert \"$S\" -compress RLE -orient TopLeft TGA:\"$O\"",
     {{1, "\x01\x09"}, {16, "\x08\x20"}}},
    {"TGA", "RGB top-down", "grafika_aga2x", "convert \"$S\" -orient TopLeft TGA:\"$O\"",
     {{1, "\0\x02"sv}, {16, "\x18\x20"}}},
    {"TGA", "palette RLE bottom-up", "grafika_aga", "pngtopnm \"$S\" | pamtotga > \"$O\"",
     {{1, "\x01\x09"}, {16, "\x08\0"sv}}},
    {"TGA", "RGB RLE bottom-up", "grafika_aga2x", "pngtopnm \"$S\" | pamtotga > \"$O\"",
     {{1, "\0\x0A"sv}, {16, "\x18\0"sv}}},
    {"PCX", "palette", "grafika_aga", "convert \"$S\" -type Palette PCX:\"$O\"", {{0, "\x0A\x05\x01\x08"}}},
    {"PCX", "RGB netpbm", "grafika_aga2x", "pngtopnm \"$S\" | ppmtopcx -24bit > \"$O\"",
     {{0, "\x0A\x05\x01\x08"}, {65, "\x03"}}},
    {"ILBM", "palette compressed", "grafika_aga", "pngtopnm \"$S\" | ppmtoilbm -maxplanes 8 -compress > \"$O\"",
     {{0, "FORM"}, {8, "ILBMBMHD"}}},
    {"ILBM", "24 planes uncompressed", "grafika_aga2x", "pngtopnm \"$S\" | ppmtoilbm -24force -nocompress > \"$O\"",
     {{0, "FORM"}, {8, "ILBMBMHD"}}},
    {"GIF", "palette", "grafika_aga", "convert \"$S\" GIF:\"$O\"", {{0, "GIF8"}}},
    {"GIF", "reduced from RGB", "grafika_aga2x", "convert \"$S\" GIF:\"$O\"", {{0, "GIF8"}}, Size},
    {"PNM", "PPM ASCII", "grafika_aga", "pngtopnm -plain \"$S\" > \"$O\"", {{0, "P3"}}},
    {"QOI", "netpbm", "grafika_aga", "pngtopnm \"$S\" | pamtoqoi > \"$O\"", {{0, "qoif"}}},
    {"WebP", "lossless palette", "grafika_aga", "convert \"$S\" -define webp:lossless=true WEBP:\"$O\"",
     {{0, "RIFF"}, {8, "WEBPVP8L"}}},
    {"TIFF", "RGB LZW big-endian", "grafika_aga2x", "convert \"$S\" -compress LZW -define tiff:endian=msb TIFF:\"$O\"",
     {{0, "MM\0*"sv}}},
    {"TIFF", "palette deflate", "grafika_aga", "convert \"$S\" -type Palette -compress Zip TIFF:\"$O\"",
     {{0, "II*\0"sv}}},
    {"JPEG", "default", "grafika_aga2x", "convert \"$S\" JPEG:\"$O\"", {{0, "\xFF\xD8\xFF"}}, Size},
};

// The variant written into a temporary folder and decoded, or a skip when
// its tool is missing or cannot write it.
class FormatsTest : public ::testing::TestWithParam<Variant> {
  protected:
    testfiles::TempDir tmp;
    const fs::path dir = tmp.root;
};

// The picture a file's bytes decode to; none, with the reason, if refused.
host::Picture decode(const std::string &b, std::string &why) {
    host::Picture pic;
    why.clear();
    if (!host::picture_decode(reinterpret_cast<const uint8_t *>(b.data()), b.size(), pic, &why)) pic = host::Picture{};
    return pic;
}

TEST_P(FormatsTest, DecodesToTheSkinsPixels) {
    const Variant &v = GetParam();
    const fs::path src = fs::path(KWADRON_SOURCE_DIR) / "skins" / v.skin, file = dir / "pic";
    const std::string cmd = "S='" + src.string() + "' O='" + file.string() + "' bash -o pipefail -c '" + v.cmd +
                            "' >/dev/null 2>&1";
    if (system(cmd.c_str()) != 0 || !fs::exists(file) || fs::file_size(file) == 0)
        GTEST_SKIP() << "no tool to write " << v.format << " " << v.name;

    // A tool that writes something else than it was asked for fails the row.
    const std::string bytes = testfiles::slurp(file);
    for (const auto &[at, head] : v.head)
        ASSERT_EQ(bytes.substr(std::min(at, bytes.size()), head.size()), head)
            << "not " << v.format << " " << v.name << ": " << ::testing::PrintToString(bytes.substr(0, 32));

    std::string why;
    const host::Picture ref = decode(testfiles::slurp(src), why);
    ASSERT_GT(ref.width, 0) << why;
    const host::Picture got = decode(bytes, why);
    ASSERT_GT(got.width, 0) << "refused: " << why;
    EXPECT_EQ(got.width, ref.width);
    ASSERT_EQ(got.height, ref.height);
    if (v.match == Size) return;

    auto a = pixels(ref);
    const auto b = pixels(got);
    ASSERT_EQ(a.size(), b.size());
    const long w = ref.width;
    if (v.match == UpsideDown)
        for (long y = 0; y < ref.height / 2; ++y)
            std::swap_ranges(a.begin() + y * w, a.begin() + (y + 1) * w, a.end() - (y + 1) * w);
    size_t wrong = 0, first = 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && !wrong++) first = i;
    EXPECT_EQ(wrong, 0u) << "first at (" << first % ref.width << ", " << first / ref.width << "): " << std::hex
                         << b[first] << " for " << a[first];
}

std::string name_of(const ::testing::TestParamInfo<Variant> &i) {
    std::string n = std::string(i.param.format) + "_" + i.param.name;
    for (char &c : n)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(Skins, FormatsTest, ::testing::ValuesIn(variants), name_of);

} // namespace

// ---- TGA files as any writer may make them ---------------------------------

namespace {

// A TGA file: the header's fields, an image ID of 'id' bytes, then 'body'
// (the colour map, if any, and the pixels as stored).
std::string tga(int type, int bits, int desc, int w, int h, const std::string &body, int id = 0, int map_first = 0,
                int map_len = 0, int map_bits = 0) {
    const int fields[18] = {id, map_len > 0, type, map_first, map_first >> 8, map_len, map_len >> 8,
                            map_bits, 0, 0, 0, 0, w, w >> 8, h, h >> 8, bits, desc};
    std::string f;
    for (int v : fields) f += char(v);
    return f + std::string(size_t(id), '#') + body;
}

} // namespace

// The four corners a TGA may start from, plain and run-length encoded with
// packets that run on into the next row; palettes, grey, 16 and 32 bits;
// damaged files.
TEST(Tga, OriginsRunsPalettesDepthsAndDamage) {
    // Stored in this order: A A A A B C, 3 pixels a row, blue green red; the
    // runs after a colour map of one entry, which RGB pixels do not use.
    const uint32_t A = 0x102030, B = 0x405060, C = 0x708090;
    const std::string a = "\x30\x20\x10", bc = "\x60\x50\x40\x90\x80\x70";
    const std::string plain = a + a + a + a + bc, runs = "\x09\x09\x09\x83" + a + "\x01" + bc;
    const std::pair<int, std::vector<uint32_t>> origins[] = {
        {0x00, {A, B, C, A, A, A}}, // bottom row first, left to right
        {0x10, {C, B, A, A, A, A}}, // bottom row first, right to left
        {0x20, {A, A, A, A, B, C}}, // top row first
        {0x30, {A, A, A, C, B, A}}};
    std::string why;
    for (const auto &[desc, want] : origins)
        for (const std::string &f : {tga(2, 24, desc, 3, 2, plain, 5), tga(10, 24, desc, 3, 2, runs, 0, 0, 1, 24)}) {
            const host::Picture p = decode(f, why);
            EXPECT_EQ(std::vector<uint32_t>(p.rgb.begin(), p.rgb.end()), want)
                << "kind " << int(f[2]) << ", origin " << desc << why;
        }

    // A map of 16-bit entries starting at index 2; indices keep their
    // entries, and the picture keeps its palette.
    host::Picture p = decode(tga(1, 8, 0x20, 2, 2, "\0\x7C\xE0\x03\x1F\x42\x02\x03\x04\x04"s, 0, 2, 3, 16), why);
    ASSERT_TRUE(p.has_palette()) << why;
    EXPECT_EQ(p.colours, 5);
    EXPECT_EQ(p.depth, 3);
    EXPECT_EQ(p.palette, (std::vector<uint32_t>{0, 0, 0xFF0000, 0x00FF00, 0x8484FF}));
    EXPECT_EQ(p.indices, (std::vector<uint8_t>{2, 3, 4, 4}));
    p = decode(tga(3, 8, 0x20, 2, 1, "\0\x80"s), why);
    ASSERT_TRUE(p.has_palette() && p.palette.size() == 256) << why;
    EXPECT_EQ(p.palette[0x80], 0x808080u);
    EXPECT_EQ(p.indices, (std::vector<uint8_t>{0x00, 0x80}));
    EXPECT_EQ(decode(tga(2, 16, 0x20, 1, 1, "\x1F\x7C"), why).rgb.at(0), 0xFF00FFu) << why;
    EXPECT_EQ(decode(tga(2, 32, 0x28, 1, 1, "\x11\x22\x33\0"s), why).rgb.at(0), 0x332211u) << why;

    // Refused with a reason: every cut of a file, an index outside the map,
    // a depth the kind does not have.
    const std::string map = "\x01\x02\x03\x04\x05\x06";
    for (const std::string &f :
         {tga(10, 24, 0, 3, 2, runs, 0, 0, 1, 24), tga(1, 8, 0, 2, 1, map + "\0\x01"s, 0, 0, 2, 24)})
        for (size_t n = 0; n < f.size(); ++n) {
            EXPECT_EQ(decode(f.substr(0, n), why).width, 0) << n;
            EXPECT_FALSE(why.empty()) << n;
        }
    EXPECT_EQ(decode(tga(1, 8, 0, 2, 1, map + "\0\x02"s, 0, 0, 2, 24), why).width, 0);
    EXPECT_EQ(why, "TGA colour index outside its map");
    EXPECT_EQ(decode(tga(2, 8, 0, 1, 1, "\0"s), why).width, 0);
    EXPECT_EQ(why, "TGA pixel depth not taken");
}

// ---- IFF ILBM in hold-and-modify --------------------------------------------

// Each pixel takes a palette colour, or the colour to its left with one of
// blue, red or green set from its low bits (4 of them in HAM6, 6 in HAM8).
TEST(Ilbm, HoldAndModifyChangesOneComponentAtATime) {
    using testpic::colour;
    auto decoded = [](int planes, const std::vector<int> &row) {
        const testpic::Bytes f = testpic::ilbm(int(row.size()), 1, planes, 0x800, row);
        std::string why;
        const host::Picture p = decode(std::string(f.begin(), f.end()), why);
        return std::vector<uint32_t>(p.rgb.begin(), p.rgb.end());
    };
    // HAM6: palette 1, blue A, red 3, green C, palette 2, green 0.
    const uint32_t c1 = colour(1), c2 = colour(2), c3 = colour(3);
    EXPECT_EQ(decoded(6, {0x01, 0x1A, 0x23, 0x3C, 0x02, 0x30}),
              (std::vector<uint32_t>{c1, (c1 & 0xFFFF00) | 0xAA, (c1 & 0xFF00) | 0x3300AA, 0x33CCAA, c2,
                                     c2 & 0xFF00FF}));
    // HAM8: six bits of a component, widened as 0b101010 -> 0b10101010.
    EXPECT_EQ(decoded(8, {0x03, 0x40 | 0x2A, 0x80 | 0x3F, 0xC0 | 0x01}),
              (std::vector<uint32_t>{c3, (c3 & 0xFFFF00) | 0xAA, (c3 & 0xFF00) | 0xFF00AA, 0xFF04AA}));
}
