// The shipped skins written by everyday tools (ImageMagick, netpbm) in every
// format the host reads: each must decode to the PNG's pixels, and the
// program must start with it. A variant whose tool is missing is skipped.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/src/picture.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes slurp(const fs::path &p) {
    std::ifstream f(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

bool have(const char *tool) {
    return system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

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
    const char *tool;  // needed on PATH
    const char *cmd;   // shell command; $S is the source, $O the output
    bool exact = true; // false: lossy, only the size must hold
    bool top_down = false; // an uncompressed BMP turned to rows from the top
};

void PrintTo(const Variant &v, std::ostream *os) { *os << v.format << " " << v.name; }

// No tool at hand writes top-down BMP: the rows of a bottom-up one are
// turned over and its height made negative.
bool turn_bmp_top_down(const fs::path &p) {
    Bytes b = slurp(p);
    if (b.size() < 54) return false;
    auto le32 = [&](size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
    const uint32_t off = le32(10), w = le32(18), h = le32(22), bits = b[28] | b[29] << 8;
    if (int32_t(h) <= 0 || le32(30) != 0) return false;
    const size_t stride = (size_t(w) * bits + 31) / 32 * 4;
    if (off + stride * h > b.size()) return false;
    for (size_t y = 0; y < h / 2; ++y)
        std::swap_ranges(b.begin() + off + y * stride, b.begin() + off + (y + 1) * stride,
                         b.begin() + off + (h - 1 - y) * stride);
    const uint32_t neg = uint32_t(-int32_t(h));
    for (int i = 0; i < 4; ++i) b[22 + i] = uint8_t(neg >> (8 * i));
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char *>(b.data()), long(b.size()));
    return true;
}

// The palette skin keeps its palette in the palette variants; the
// true-colour skin has thousands of colours, so it goes only to the
// true-colour ones (and to GIF and JPEG, reduced).
const Variant variants[] = {
    {"PNG", "palette", "grafika_aga", "convert", "convert $S PNG8:$O"},
    {"PNG", "RGB", "grafika_aga2x", "convert", "convert $S PNG24:$O"},
    {"PNG", "RGBA", "grafika_aga2x", "convert", "convert $S -alpha on PNG32:$O"},
    {"PNG", "RGB from palette", "grafika_aga", "convert", "convert $S PNG24:$O"},
    {"BMP", "palette bottom-up", "grafika_aga", "convert", "convert $S -type Palette -compress None BMP3:$O"},
    {"BMP", "palette top-down", "grafika_aga", "convert", "convert $S -type Palette -compress None BMP3:$O", true, true},
    {"BMP", "RGB top-down", "grafika_aga2x", "convert", "convert $S -type TrueColor BMP3:$O", true, true},
    {"BMP", "palette RLE8", "grafika_aga", "convert", "convert $S -type Palette -compress RLE BMP3:$O"},
    {"BMP", "RGB bottom-up", "grafika_aga2x", "convert", "convert $S -type TrueColor BMP3:$O"},
    {"BMP", "RGB v5 header", "grafika_aga2x", "convert", "convert $S -type TrueColor BMP:$O"},
    {"BMP", "palette netpbm", "grafika_aga", "ppmtobmp", "pngtopnm $S | ppmtobmp -bpp 8 > $O"},
    {"BMP", "RGB netpbm", "grafika_aga2x", "ppmtobmp", "pngtopnm $S | ppmtobmp -bpp 24 > $O"},
    {"TGA", "palette", "grafika_aga", "convert", "convert $S -type Palette -compress None $O"},
    {"TGA", "palette RLE", "grafika_aga", "convert", "convert $S -type Palette -compress RLE $O"},
    {"TGA", "RGB", "grafika_aga2x", "convert", "convert $S -type TrueColor -compress None $O"},
    {"TGA", "RGB RLE", "grafika_aga2x", "convert", "convert $S -type TrueColor -compress RLE $O"},
    {"TGA", "RGB netpbm", "grafika_aga2x", "ppmtotga", "pngtopnm $S | ppmtotga -rgb -norle > $O"},
    {"TGA", "RGB RLE netpbm", "grafika_aga2x", "ppmtotga", "pngtopnm $S | ppmtotga -rgb > $O"},
    {"PCX", "palette", "grafika_aga", "convert", "convert $S -type Palette PCX:$O"},
    {"PCX", "RGB", "grafika_aga2x", "convert", "convert $S -type TrueColor PCX:$O"},
    {"PCX", "palette netpbm", "grafika_aga", "ppmtopcx", "pngtopnm $S | ppmtopcx -8bit > $O"},
    {"PCX", "RGB netpbm", "grafika_aga2x", "ppmtopcx", "pngtopnm $S | ppmtopcx -24bit > $O"},
    {"ILBM", "palette compressed", "grafika_aga", "ppmtoilbm", "pngtopnm $S | ppmtoilbm -maxplanes 8 -compress > $O"},
    {"ILBM", "palette uncompressed", "grafika_aga", "ppmtoilbm", "pngtopnm $S | ppmtoilbm -maxplanes 8 -nocompress > $O"},
    {"ILBM", "24 planes compressed", "grafika_aga2x", "ppmtoilbm", "pngtopnm $S | ppmtoilbm -24force -compress > $O"},
    {"ILBM", "24 planes uncompressed", "grafika_aga2x", "ppmtoilbm",
     "pngtopnm $S | ppmtoilbm -24force -nocompress > $O"},
    {"GIF", "palette", "grafika_aga", "convert", "convert $S GIF:$O"},
    {"GIF", "palette netpbm", "grafika_aga", "ppmtogif", "pngtopnm $S | ppmtogif > $O"},
    {"GIF", "reduced from RGB", "grafika_aga2x", "convert", "convert $S GIF:$O", false},
    {"PNM", "PPM binary", "grafika_aga2x", "pngtopnm", "pngtopnm $S > $O"},
    {"PNM", "PPM ASCII", "grafika_aga", "pngtopnm", "pngtopnm -plain $S > $O"},
    {"PNM", "PPM convert", "grafika_aga2x", "convert", "convert $S PPM:$O"},
    {"WebP", "lossless", "grafika_aga2x", "convert", "convert $S -define webp:lossless=true WEBP:$O"},
    {"WebP", "lossless palette", "grafika_aga", "convert", "convert $S -define webp:lossless=true WEBP:$O"},
    {"TIFF", "RGB", "grafika_aga2x", "convert", "convert $S -compress None TIFF:$O"},
    {"TIFF", "RGB LZW big-endian", "grafika_aga2x", "convert", "convert $S -compress LZW -endian MSB TIFF:$O"},
    {"TIFF", "palette", "grafika_aga", "convert", "convert $S -type Palette -compress None TIFF:$O"},
    {"TIFF", "palette deflate", "grafika_aga", "convert", "convert $S -type Palette -compress Zip TIFF:$O"},
    {"TIFF", "RGB netpbm", "grafika_aga2x", "pnmtotiff", "pngtopnm $S | pnmtotiff -truecolor > $O"},
    {"TIFF", "palette netpbm", "grafika_aga", "pnmtotiff", "pngtopnm $S | pnmtotiff > $O"},
    {"JPEG", "quality 95", "grafika_aga2x", "convert", "convert $S -quality 95 JPEG:$O", false},
};

class FormatsTest : public ::testing::TestWithParam<Variant> {
  protected:
    fs::path dir;
    void SetUp() override {
        char tmpl[] = "/tmp/kwadron_fmt_XXXXXX";
        ASSERT_TRUE(mkdtemp(tmpl));
        dir = tmpl;
    }
    void TearDown() override { fs::remove_all(dir); }

    // The variant written into the temporary folder; empty on failure.
    fs::path make(const Variant &v) {
        const fs::path src = fs::path(KWADRON_SOURCE_DIR) / "skins" / v.skin, out = dir / "pic";
        std::string cmd = v.cmd;
        for (size_t at; (at = cmd.find("$S")) != std::string::npos;) cmd.replace(at, 2, "'" + src.string() + "'");
        for (size_t at; (at = cmd.find("$O")) != std::string::npos;) cmd.replace(at, 2, "'" + out.string() + "'");
        cmd = "set -o pipefail; " + cmd + " 2>/dev/null";
        if (system(("bash -c \"" + cmd + "\"").c_str()) != 0 || !fs::exists(out) || fs::file_size(out) == 0) return {};
        if (v.top_down && !turn_bmp_top_down(out)) return {};
        return out;
    }
};

host::Picture decode_file(const fs::path &p, std::string &why) {
    host::Picture pic;
    Bytes b = slurp(p);
    if (!host::picture_decode(b.data(), b.size(), pic, &why)) pic = host::Picture{};
    return pic;
}

TEST_P(FormatsTest, DecodesToTheSkinsPixels) {
    const Variant &v = GetParam();
    if (!have(v.tool) || (std::string(v.cmd).find("pngtopnm") != std::string::npos && !have("pngtopnm")))
        GTEST_SKIP() << v.tool << " is not installed";
    const fs::path file = make(v);
    if (file.empty()) GTEST_SKIP() << v.tool << " cannot write " << v.format << " " << v.name;

    std::string why;
    const host::Picture ref = decode_file(fs::path(KWADRON_SOURCE_DIR) / "skins" / v.skin, why);
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

// One variant of each format: the program starts with it as its skin.
TEST_P(FormatsTest, ProgramStartsWithIt) {
    const Variant &v = GetParam();
    for (const Variant &o : variants)
        if (!strcmp(o.format, v.format)) {
            if (strcmp(o.name, v.name)) GTEST_SKIP() << "one run a format";
            break;
        }
    if (!have(v.tool)) GTEST_SKIP() << v.tool << " is not installed";
    const fs::path file = make(v);
    if (file.empty()) GTEST_SKIP() << v.tool << " cannot write " << v.format;
    std::ofstream(dir / "script") << "key esc\n";
    const std::string cmd = "cd '" + dir.string() + "' && KWADRON_DISPLAY=headless KWADRON_SCRIPT=script" +
                            " KWADRON_SNAPSHOT=snap.png XDG_DATA_HOME='" + dir.string() + "/data' '" +
                            KWADRON_BINARY + "' SKIN=pic >out 2>err";
    const int rc = system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << slurp(dir / "err").size() << " bytes on stderr";
    ASSERT_TRUE(fs::exists(dir / "snap.png"));
    std::string why;
    const host::Picture snap = decode_file(dir / "snap.png", why);
    EXPECT_GT(snap.width, 0) << why;
}

// A TIFF header whose size cannot be read first is refused, as BigTIFF is.
TEST(TiffHeader, RefusedWithoutAReadableSize) {
    auto tiff = [](bool le, unsigned magic, unsigned tag_w, unsigned type, uint32_t w, uint32_t h) {
        Bytes b;
        auto p16 = [&](unsigned v) { le ? (b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8))) : (b.push_back(uint8_t(v >> 8)), b.push_back(uint8_t(v))); };
        auto p32 = [&](uint32_t v) { le ? (p16(v & 0xFFFF), p16(v >> 16)) : (p16(v >> 16), p16(v & 0xFFFF)); };
        b.push_back(le ? 'I' : 'M'), b.push_back(le ? 'I' : 'M');
        p16(magic), p32(8), p16(2);
        p16(tag_w), p16(type), p32(1), type == 3 ? (p16(w), p16(0)) : p32(w);
        p16(257), p16(type), p32(1), type == 3 ? (p16(h), p16(0)) : p32(h);
        p32(0);
        return b;
    };
    struct { const char *what; Bytes b; const char *why; } cases[] = {
        {"BigTIFF", tiff(true, 43, 256, 4, 100, 100), "without a readable size"},
        {"no width", tiff(true, 42, 258, 3, 100, 100), "without a readable size"},
        {"width as RATIONAL", tiff(false, 42, 256, 5, 100, 100), "without a readable size"},
        {"IFD past the end", [&] { Bytes b = tiff(true, 42, 256, 3, 1, 1); b[4] = 0xF0; return b; }(), "without a readable size"},
        {"cut inside the IFD", [&] { Bytes b = tiff(false, 42, 256, 4, 1, 1); b.resize(20); return b; }(), "without a readable size"},
        {"huge LONG size", tiff(false, 42, 256, 4, 100000, 100000), "refused"},
        {"huge SHORT size", tiff(true, 42, 256, 3, 60000, 60000), "refused"},
        // The size reads well but there are no pixels: the decoder refuses.
        {"no pixels", tiff(true, 42, 256, 3, 10, 10), "cannot decode"},
    };
    for (auto &c : cases) {
        host::Picture p;
        std::string why;
        EXPECT_FALSE(host::picture_decode(c.b.data(), c.b.size(), p, &why)) << c.what;
        EXPECT_NE(why.find(c.why), std::string::npos) << c.what << ": " << why;
        EXPECT_EQ(p.width, 0) << c.what;
    }
}

// A TIFF cut short anywhere is refused or decoded at its full size.
TEST_F(FormatsTest, TiffCutShortIsSafe) {
    const Variant v{"TIFF", "palette", "grafika_aga", "convert", "convert $S -type Palette -compress LZW TIFF:$O"};
    if (!have(v.tool)) GTEST_SKIP() << "convert is not installed";
    const fs::path file = make(v);
    if (file.empty()) GTEST_SKIP() << "convert cannot write TIFF";
    const Bytes b = slurp(file);
    for (size_t n : {size_t(8), size_t(64), b.size() / 4, b.size() / 2, b.size() - 200, b.size() - 1}) {
        host::Picture p;
        std::string why;
        if (host::picture_decode(b.data(), n, p, &why)) {
            EXPECT_EQ(p.width, 320) << n;
        }
    }
}

std::string name_of(const ::testing::TestParamInfo<Variant> &i) {
    std::string n = std::string(i.param.format) + "_" + i.param.name;
    for (char &c : n)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(Skins, FormatsTest, ::testing::ValuesIn(variants), name_of);

} // namespace
