// The shipped skins written by everyday tools (ImageMagick, netpbm) in every
// format the host reads: each must decode to the PNG's pixels. A variant
// whose tool is missing is skipped.
#include <gtest/gtest.h>

#include <cstdlib>

#include "datatypes/picture.h"
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

struct Variant {
    const char *format, *name;
    const char *skin;  // source PNG in skins/
    const char *cmd;   // bash command from $S, the source, to $O
    bool exact = true; // false: lossy, only the size must hold
};

void PrintTo(const Variant &v, std::ostream *os) { *os << v.format << " " << v.name; }

// The palette skin keeps its palette in the palette variants; the
// true-colour skin has thousands of colours, so it goes only to the
// true-colour ones (and to GIF and JPEG, reduced).
const Variant variants[] = {
    {"PNG", "palette", "grafika_aga", "convert \"$S\" PNG8:\"$O\""},
    {"PNG", "RGBA", "grafika_aga2x", "convert \"$S\" -alpha on PNG32:\"$O\""},
    {"BMP", "palette RLE8", "grafika_aga", "convert \"$S\" -type Palette -compress RLE BMP3:\"$O\""},
    {"BMP", "RGB v5 header", "grafika_aga2x", "convert \"$S\" -type TrueColor BMP:\"$O\""},
    {"TGA", "RGB RLE", "grafika_aga2x", "convert \"$S\" -type TrueColor -compress RLE \"$O\""},
    {"PCX", "palette", "grafika_aga", "convert \"$S\" -type Palette PCX:\"$O\""},
    {"PCX", "RGB netpbm", "grafika_aga2x", "pngtopnm \"$S\" | ppmtopcx -24bit > \"$O\""},
    {"ILBM", "palette compressed", "grafika_aga", "pngtopnm \"$S\" | ppmtoilbm -maxplanes 8 -compress > \"$O\""},
    {"ILBM", "24 planes uncompressed", "grafika_aga2x",
     "pngtopnm \"$S\" | ppmtoilbm -24force -nocompress > \"$O\""},
    {"GIF", "palette", "grafika_aga", "convert \"$S\" GIF:\"$O\""},
    {"GIF", "reduced from RGB", "grafika_aga2x", "convert \"$S\" GIF:\"$O\"", false},
    {"PNM", "PPM ASCII", "grafika_aga", "pngtopnm -plain \"$S\" > \"$O\""},
    {"WebP", "lossless palette", "grafika_aga", "convert \"$S\" -define webp:lossless=true WEBP:\"$O\""},
    {"TIFF", "RGB LZW big-endian", "grafika_aga2x", "convert \"$S\" -compress LZW -endian MSB TIFF:\"$O\""},
    {"TIFF", "palette deflate", "grafika_aga", "convert \"$S\" -type Palette -compress Zip TIFF:\"$O\""},
    {"JPEG", "quality 95", "grafika_aga2x", "convert \"$S\" -quality 95 JPEG:\"$O\"", false},
};

// The variant written into a temporary folder and decoded, or a skip when
// its tool is missing or cannot write it.
class FormatsTest : public ::testing::TestWithParam<Variant> {
  protected:
    testfiles::TempDir tmp;
    const fs::path dir = tmp.root;
};

host::Picture decode_file(const fs::path &p, std::string &why) {
    const std::string b = testfiles::slurp(p);
    host::Picture pic;
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

    std::string why;
    const host::Picture ref = decode_file(src, why);
    ASSERT_GT(ref.width, 0) << why;
    const host::Picture got = decode_file(file, why);
    ASSERT_GT(got.width, 0) << "refused: " << why;
    EXPECT_EQ(got.width, ref.width);
    ASSERT_EQ(got.height, ref.height);
    if (!v.exact) return;

    const auto a = pixels(ref), b = pixels(got);
    ASSERT_EQ(a.size(), b.size());
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
