// Platform resources: the libraries, the screen and the window, the skin
// picture and its mask, on the headless display.
#include "graphics/graphics.h"
#include "amiga/cybergraphics.h"
#include "amiga/datatypes.h"
#include "game_fixture.h"
#include "picture_files.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

class PlatformTest : public ::testing::Test {
  protected:
    testfiles::TempDir tmp;
    const fs::path dir = tmp.root;

    void SetUp() override {
        host::reset_all();
        host::display_choose("headless");
        testgame::reset_program_state();
    }
    void TearDown() override {
        Zasoby_Zamknij();
        EXPECT_EQ(host::ledger_open(), std::vector<std::string>{});
        testgame::reset_program_state();
        host::reset_all();
    }

    // A skin-sized picture: true colour PNG, or a palette PNG of `colours`.
    std::string picture(int w, int h, int colours = 0) {
        SDL_Surface *s = colours ? testpic::palette_surface(w, h, colours)
                                 : SDL_CreateRGBSurfaceWithFormat(0, w, h, 24, SDL_PIXELFORMAT_RGB24);
        if (!colours) SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 40, 80, 120));
        const std::string path = (dir / ("skin" + std::to_string(w) + ".png")).string();
        EXPECT_EQ(IMG_SavePNG(s, path.c_str()), 0);
        SDL_FreeSurface(s);
        return path;
    }

    LONG load(const std::string &path) {
        snprintf(nazwa_skina, sizeof nazwa_skina, "%s", path.c_str());
        return Wczytaj_Grafike();
    }
};

const char *const library_messages[5] = {
    "Nie mogę otworzyć intuition.library w wersji 36+\n\n",
    "Nie mogę otworzyć graphics.library\n\n",
    "Nie mogę otworzyć gadtools.library\n\n",
    "Nie mogę otworzyć datatypes.library w wersji 36+\n\n",
    "Nie mogę otworzyć icon.library\n\n",
};
const char *const library_names[6] = {"intuition.library", "graphics.library", "gadtools.library",
                                      "datatypes.library", "icon.library", "cybergraphics.library"};

} // namespace

TEST_F(PlatformTest, EveryMissingLibraryIsReportedInOrder) {
    // One missing, or too old, at a time; then two at once, said in table
    // order. icon.library at 36 is still too old; graphics at any version
    // will do.
    const std::vector<std::vector<std::pair<int, int>>> runs = {
        {{0, -1}}, {{1, -1}}, {{2, -1}}, {{3, -1}}, {{4, -1}}, {{0, 35}, {4, -1}}, {{4, 36}, {1, 1}}};
    for (const auto &run : runs) {
        host::reset_all();
        std::string want;
        for (const auto &[lib, version] : run) {
            host::set_library_version(library_names[lib], version);
            if (version != 1) want += library_messages[lib];
        }
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(Zasoby_Otworz(), 0);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), want);
        EXPECT_EQ(host::ledger_count("library"), 6u - run.size() + (run.back().second == 1));
        Zasoby_Zamknij();
        EXPECT_EQ(host::ledger_count(), 0u);
    }
}

// The common places are seen through the program; here a public screen
// narrower than the window.
TEST_F(PlatformTest, AWindowWiderThanThePublicScreenIsCentredOverIt) {
    host::HeadlessConfig cfg;
    cfg.pub_width = 600;
    host::headless_configure(cfg);
    ASSERT_EQ(Zasoby_Otworz(), 1);
    ASSERT_EQ(load(picture(640, 966)), 1);
    ASSERT_EQ(Otworz_Ekran(0, tryb_ekran), 1);
    ASSERT_EQ(Otworz_Okno(0, tryb_ekran), 1);
    EXPECT_EQ(Okno->LeftEdge, -20);
    EXPECT_EQ(Okno->TopEdge, 144);
    EXPECT_EQ(RastPort, Okno->RPort);
}

TEST_F(PlatformTest, OwnTrueColourScreenOfThePicturesSize) {
    ASSERT_EQ(Zasoby_Otworz(), 1);
    ASSERT_EQ(load(picture(320, 483)), 1);
    EXPECT_EQ(Otworz_Ekran(1, 0), 1);
    EXPECT_TRUE(EkranP == 1 && Ekran->Width == 320 && Ekran->Height == 240);
}

TEST_F(PlatformTest, PaletteScreenTakesThePicturesPensBeforeTheFill) {
    host::set_library_version("cybergraphics.library", -1);
    ASSERT_EQ(Zasoby_Otworz(), 1);
    ASSERT_EQ(load(picture(320, 483, 32)), 1);
    ASSERT_EQ(kolor, 5);
    host::trace_enable(true);
    ASSERT_EQ(Otworz_Ekran(1, 0), 1);
    host::trace_enable(false);
    std::vector<std::string> expected;
    for (int i = 0; i < 32; ++i) expected.push_back("SetRGB32 " + std::to_string(i));
    expected.push_back("SetRast 0");
    std::vector<std::string> seen;
    for (const auto &l : host::trace_log())
        if (l.rfind("SetR", 0) == 0) seen.push_back(l);
    EXPECT_EQ(seen, expected);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(Ekran->ViewPort.ColorMap->Colors[i], testpic::colour(i)) << i;
    EXPECT_EQ(host::rec(Ekran->RastPort.BitMap)->Pixels[0], 0);
    EXPECT_EQ(Ekran->Height, 256);
}

TEST_F(PlatformTest, PictureWidthChoosesTheScaleAndSizesAreChecked) {
    ASSERT_EQ(Zasoby_Otworz(), 1);
    const struct {
        int w, h;
        LONG ok, scale;
    } cases[] = {
        {320, 483, 1, 0}, {640, 966, 1, 1}, {700, 1000, 1, 1}, {321, 966, 0, 1},
        {320, 482, 0, 0}, {319, 483, 0, 0}, {639, 966, 0, 1},  {640, 965, 0, 1}, {1, 1, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h);
        tryb_ekran = 0;
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(load(picture(c.w, c.h)), c.ok);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(),
                  c.ok ? "" : "Plik graficzny ma złe wymiary (potrzeba 320 x 483 albo 640 x 966)\n\n");
        EXPECT_EQ(tryb_ekran, c.scale);
        EXPECT_EQ(grafika != nullptr, c.ok == 1);
        DisposeDTObject(grafika);
        grafika = nullptr;
    }
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(load((dir / "missing").string()), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Nie mogę otworzyć pliku graficznego\n\n");
    EXPECT_EQ(host::ledger_count("dtobject"), 0u);
}

TEST_F(PlatformTest, TrueColourMaskFollowsTheColoursOnly) {
    ASSERT_EQ(Zasoby_Otworz(), 1);
    const LONG W = 330, H = 5;
    // All black but four pixels.
    struct BitMap *bm = AllocBitMap(W, H, 24, 0, nullptr);
    for (const auto &[x, y, c] : {std::tuple{329, 2, 0x000001u}, {3, 1, 0xFF000000u}, {4, 1, 0x000100u}, {0, 0, 0x010000u}})
        reinterpret_cast<ULONG *>(host::rec(bm)->Pixels)[y * W + x] = c;
    host::fault_inject("AllocVecPooled", 2); // no room for the colours: a failure, nothing kept
    EXPECT_EQ(Generuj_Maske(bm), 0);
    EXPECT_TRUE(!maska && !mem_pool);
    host::trace_enable(true);
    ASSERT_EQ(Generuj_Maske(bm), 1);
    host::trace_enable(false);
    const auto &t = host::trace_log();
    EXPECT_EQ(std::count(t.begin(), t.end(), "ReadPixelArray8"), 0);
    const size_t row = 42;
    for (LONG y = 0; y <= H; ++y)
        for (size_t b = 0; b < row; ++b) {
            UBYTE want = 0;
            if (y == 2 && b == 41) want = 0x40;
            if (y == 1 && b == 0) want = 0x08; // (4, 1): only green; (3, 1) black at full alpha
            if (y == 0 && b == 0) want = 0x80;
            ASSERT_EQ(maska[y * row + b], want) << "row " << y << " byte " << b;
        }
    FreeBitMap(bm);
}

TEST_F(PlatformTest, PaletteMaskUsesTheScreensBlackPen) {
    ASSERT_EQ(Zasoby_Otworz(), 1);
    Screen scr{};
    ColorMap colors{};
    scr.ViewPort.ColorMap = &colors;
    colors.Count = 16;
    for (int i = 0; i < 16; ++i) colors.Colors[i] = 0x101010u * ULONG(i + 1);
    colors.Colors[3] = 0;
    Ekran = &scr;
    // Depth 8 takes the pen path even with cybergraphics open.
    struct BitMap *bm = AllocBitMap(20, 3, 8, 0, nullptr);
    memset(host::rec(bm)->Pixels, 3, size_t(20) * 3);
    host::rec(bm)->Pixels[0] = 5;
    host::rec(bm)->Pixels[20 + 19] = 1;
    host::trace_enable(true);
    ASSERT_EQ(Generuj_Maske(bm), 1);
    host::trace_enable(false);
    const auto &t = host::trace_log();
    EXPECT_EQ(std::count(t.begin(), t.end(), "ReadPixelArray8"), 1);
    const size_t row = 4; // 32 pixels a row
    // Only the picture's own columns count; the padding beyond them is free.
    auto bit = [&](LONG x, LONG y) { return (maska[size_t(y) * row + size_t(x) / 8] >> (7 - x % 8)) & 1; };
    for (LONG y = 0; y < 3; ++y)
        for (LONG x = 0; x < 20; ++x)
            EXPECT_EQ(bit(x, y), (x == 0 && y == 0) || (x == 19 && y == 1) ? 1 : 0) << x << "," << y;
    Zasoby_Zamknij();
    EXPECT_EQ(host::ledger_count("bitmap"), 1u);

    // No black pen at all: every pixel is opaque, the padding too, and the
    // spare row stays clear.
    ASSERT_EQ(Zasoby_Otworz(), 1);
    colors.Colors[3] = 0x333333;
    ASSERT_EQ(Generuj_Maske(bm), 1);
    for (size_t i = 0; i < row * 3; ++i) EXPECT_EQ(maska[i], 0xFF) << i;
    for (size_t i = row * 3; i < row * 4; ++i) EXPECT_EQ(maska[i], 0) << i;
    FreeBitMap(bm);
    Zasoby_Zamknij();
    Ekran = nullptr;
}
