// Platform resources: the libraries, the screen and the window, the skin
// picture and its mask, on the headless display.
#include <unistd.h>

#include <filesystem>

#include "amiga/cybergraphics.h"
#include "amiga/datatypes.h"
#include "game_fixture.h"
#include "picture_files.h"

namespace fs = std::filesystem;

namespace {

class PlatformTest : public ::testing::Test {
  protected:
    fs::path dir;

    void SetUp() override {
        host::reset_all();
        host::headless_select();
        testgame::reset_program_state();
        dir = fs::temp_directory_path() / ("kwadron-platform-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        Zasoby_Zamknij();
        EXPECT_EQ(host::ledger_open(), std::vector<std::string>{});
        testgame::reset_program_state();
        host::reset_all();
        fs::remove_all(dir);
    }

    // A skin-sized picture: true colour PNG, or a palette PNG of `colours`.
    std::string picture(int w, int h, int colours = 0, const char *name = "skin.png") {
        SDL_Surface *s = colours ? testpic::palette_surface(w, h, colours)
                                 : SDL_CreateRGBSurfaceWithFormat(0, w, h, 24, SDL_PIXELFORMAT_RGB24);
        if (!colours) SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 40, 80, 120));
        const std::string path = (dir / name).string();
        EXPECT_EQ(IMG_SavePNG(s, path.c_str()), 0);
        SDL_FreeSurface(s);
        return path;
    }

    LONG load(const std::string &path) {
        snprintf(nazwa_skina, sizeof nazwa_skina, "%s", path.c_str());
        return Wczytaj_Grafike();
    }

    std::vector<std::string> releases() {
        std::vector<std::string> out;
        for (const auto &l : host::trace_log())
            if (l.rfind("release", 0) == 0) out.push_back(l);
        return out;
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
    for (int i = 0; i < 5; ++i) {
        host::reset_all();
        host::set_library_version(library_names[i], -1);
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(Zasoby_Otworz(), 0);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), library_messages[i]);
        EXPECT_EQ(host::ledger_count("library"), 5u);
        Zasoby_Zamknij();
        EXPECT_EQ(host::ledger_count(), 0u);
    }
    // Too old an intuition and no icon library: both said, in table order.
    host::reset_all();
    host::set_library_version("intuition.library", 35);
    host::set_library_version("icon.library", -1);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Zasoby_Otworz(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              std::string(library_messages[0]) + library_messages[4]);
    EXPECT_EQ(IntuitionBase, nullptr);
    EXPECT_EQ(IconBase, nullptr);
    EXPECT_NE(GfxBase, nullptr);
    EXPECT_NE(GadToolsBase, nullptr);
    EXPECT_NE(DataTypesBase, nullptr);
    EXPECT_NE(CyberGfxBase, nullptr);
    // icon.library at 36 is still too old; graphics at any version will do.
    host::reset_all();
    host::set_library_version("icon.library", 36);
    host::set_library_version("graphics.library", 1);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Zasoby_Otworz(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), library_messages[4]);
}

TEST_F(PlatformTest, ReleaseOrderWithEverySubsetOfResources) {
    const std::string skin = picture(320, 483);
    for (int subset = 0; subset < 16; ++subset) {
        SCOPED_TRACE(subset);
        host::reset_all();
        host::headless_select();
        testgame::reset_program_state();
        ASSERT_EQ(Zasoby_Otworz(), 1);
        if (subset & 1) {
            ASSERT_EQ(load(skin), 1);
        }
        if (subset & 2) {
            Ekran = OpenScreenTags(nullptr, SA_Width, 320, SA_Height, 240, SA_Depth, 24, TAG_DONE);
            ASSERT_NE(Ekran, nullptr);
            EkranP = 1;
        } else {
            Ekran = LockPubScreen(nullptr);
        }
        if (subset & 4) {
            Okno = OpenWindowTags(nullptr, WA_InnerWidth, 320, WA_InnerHeight, 240, WA_PubScreen, Ekran,
                                  TAG_DONE);
            ASSERT_NE(Okno, nullptr);
        }
        if (!(subset & 2)) UnlockPubScreen(nullptr, Ekran);
        if (subset & 8) {
            ASSERT_EQ(createPool(), 1);
            maska = static_cast<UBYTE *>(AllocVecPooled(mem_pool, 64));
        }
        host::trace_clear();
        host::trace_enable(true);
        Zasoby_Zamknij();
        host::trace_enable(false);
        std::vector<std::string> expected;
        if (subset & 1) expected.push_back("release dtobject");
        if (subset & 4) expected.push_back("release window");
        if (subset & 2) expected.push_back("release screen");
        if (subset & 8) expected.push_back("release pool");
        for (const char *l : {"cybergraphics.library", "datatypes.library", "icon.library", "gadtools.library",
                              "graphics.library", "intuition.library"})
            expected.push_back(std::string("release library ") + l);
        EXPECT_EQ(releases(), expected);
        EXPECT_EQ(host::ledger_open(), std::vector<std::string>{});
        // A second release finds nothing left to give back.
        Zasoby_Zamknij();
    }
}

TEST_F(PlatformTest, WindowPlaces) {
    struct Case {
        int pub_w, pub_h;
        LONG screen, scale;
        bool cyber;
        int colours;
        WORD left, top;
        WORD screen_w, screen_h;
    };
    const Case cases[] = {
        {1024, 768, 0, 0, true, 0, 352, 264, 1024, 768},
        {1024, 768, 0, 1, true, 0, 192, 144, 1024, 768},
        {600, 768, 0, 1, true, 0, -20, 144, 600, 768},
        {1024, 768, 1, 1, true, 0, 0, 0, 640, 480},
        {1024, 768, 1, 0, false, 256, 0, 8, 320, 256},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.pub_w << " screen " << c.screen << " scale " << c.scale);
        host::reset_all();
        host::headless_select();
        host::HeadlessConfig cfg;
        cfg.pub_width = c.pub_w;
        cfg.pub_height = c.pub_h;
        host::headless_select(cfg);
        testgame::reset_program_state();
        if (!c.cyber) host::set_library_version("cybergraphics.library", -1);
        ASSERT_EQ(Zasoby_Otworz(), 1);
        ASSERT_EQ(load(c.scale ? picture(640, 966, c.colours, "w.png") : picture(320, 483, c.colours, "n.png")), 1);
        ASSERT_EQ(tryb_ekran, c.scale);
        args[1] = IPTR(c.screen);
        ASSERT_EQ(Otworz_Ekran(c.screen, tryb_ekran), 1);
        ASSERT_EQ(Otworz_Okno(LONG(args[1]), tryb_ekran), 1);
        EXPECT_EQ(Ekran->Width, c.screen_w);
        EXPECT_EQ(Ekran->Height, c.screen_h);
        EXPECT_EQ(Okno->LeftEdge, c.left);
        EXPECT_EQ(Okno->TopEdge, c.top);
        EXPECT_EQ(EkranP, c.screen);
        EXPECT_EQ(RastPort, Okno->RPort);
        Zasoby_Zamknij();
        EXPECT_EQ(host::ledger_open(), std::vector<std::string>{});
    }
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
    EXPECT_EQ(Ekran->host_BitMap->Pixels[0], 0);
    EXPECT_EQ(Ekran->Height, 256);
}

TEST_F(PlatformTest, DeepPictureWithoutCybergraphicsFallsBackToThePublicScreen) {
    host::set_library_version("cybergraphics.library", -1);
    ASSERT_EQ(Zasoby_Otworz(), 1);
    ASSERT_EQ(load(picture(320, 483)), 1);
    ASSERT_EQ(kolor, 24);
    args[1] = 1;
    ASSERT_EQ(Otworz_Ekran(1, 0), 1);
    EXPECT_EQ(args[1], 0u);
    EXPECT_EQ(EkranP, 0);
    ASSERT_EQ(Otworz_Okno(LONG(args[1]), 0), 1);
    EXPECT_STREQ(Okno->Title, "Kwadron");
    EXPECT_TRUE(Okno->host_DepthGadget);
    EXPECT_TRUE(Okno->host_CloseGadget);
    EXPECT_TRUE(Okno->host_Backdrop);
    EXPECT_FALSE(Okno->host_Activate);
    EXPECT_EQ(Okno->IDCMPFlags, 0x618u);
    EXPECT_EQ(host::ledger_count("publock"), 0u);
}

TEST_F(PlatformTest, PictureWidthChoosesTheScaleAndSizesAreChecked) {
    ASSERT_EQ(Zasoby_Otworz(), 1);
    struct Case {
        int w, h;
        LONG ok, scale;
    };
    const Case cases[] = {
        {320, 483, 1, 0}, {640, 966, 1, 1}, {700, 1000, 1, 1}, {321, 966, 0, 1},
        {320, 482, 0, 0}, {319, 483, 0, 0}, {639, 966, 0, 1},  {640, 965, 0, 1}, {1, 1, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h);
        tryb_ekran = 0;
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(load(picture(c.w, c.h)), c.ok);
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(tryb_ekran, c.scale);
        if (c.ok) {
            EXPECT_EQ(out, "");
            EXPECT_EQ(BM_Header->bmh_Width, c.w);
            DisposeDTObject(grafika);
            grafika = nullptr;
        } else {
            EXPECT_EQ(out, "Plik graficzny ma złe wymiary (potrzeba 320 x 483 albo 640 x 966)\n\n");
            EXPECT_EQ(grafika, nullptr);
        }
    }
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(load((dir / "missing").string()), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Nie mogę otworzyć pliku graficznego\n\n");
    EXPECT_EQ(host::ledger_count("dtobject"), 0u);
}

namespace {
// A true-colour bitmap of w x h, all black but the listed pixels.
struct BitMap *black_bitmap(LONG w, LONG h, std::initializer_list<std::tuple<LONG, LONG, ULONG>> pixels) {
    struct BitMap *bm = AllocBitMap(ULONG(w), ULONG(h), 24, 0, nullptr);
    for (const auto &[x, y, c] : pixels) reinterpret_cast<ULONG *>(bm->Pixels)[y * w + x] = c;
    return bm;
}
} // namespace

TEST_F(PlatformTest, TrueColourMaskFollowsTheColoursOnly) {
    ASSERT_EQ(Zasoby_Otworz(), 1);
    const LONG W = 330, H = 5;
    struct BitMap *bm = black_bitmap(W, H, {{329, 2, 0x000001}, {3, 1, 0xFF000000}, {4, 1, 0x000100}});
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
            ASSERT_EQ(maska[y * row + b], want) << "row " << y << " byte " << b;
        }
    FreeBitMap(bm);
}

TEST_F(PlatformTest, PaletteMaskUsesTheScreensBlackPen) {
    ASSERT_EQ(Zasoby_Otworz(), 1);
    Screen scr{};
    scr.ViewPort.ColorMap = &scr.host_ColorMap;
    scr.host_ColorMap.Count = 16;
    for (int i = 0; i < 16; ++i) scr.host_ColorMap.Colors[i] = 0x101010u * ULONG(i + 1);
    scr.host_ColorMap.Colors[3] = 0;
    Ekran = &scr;
    // Depth 8 takes the pen path even with cybergraphics open.
    struct BitMap *bm = AllocBitMap(20, 3, 8, 0, nullptr);
    memset(bm->Pixels, 3, size_t(20) * 3);
    bm->Pixels[0] = 5;
    bm->Pixels[20 + 19] = 1;
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
    scr.host_ColorMap.Colors[3] = 0x333333;
    ASSERT_EQ(Generuj_Maske(bm), 1);
    for (size_t i = 0; i < row * 3; ++i) EXPECT_EQ(maska[i], 0xFF) << i;
    for (size_t i = row * 3; i < row * 4; ++i) EXPECT_EQ(maska[i], 0) << i;
    FreeBitMap(bm);
    Zasoby_Zamknij();
    Ekran = nullptr;
}

TEST_F(PlatformTest, MaskFailuresLeaveNothingBehind) {
    ASSERT_EQ(Zasoby_Otworz(), 1);
    Screen scr{};
    scr.ViewPort.ColorMap = &scr.host_ColorMap;
    scr.host_ColorMap.Count = 2;
    Ekran = &scr;
    struct BitMap *deep = black_bitmap(40, 4, {});
    struct BitMap *pens = AllocBitMap(40, 4, 8, 0, nullptr);
    struct Case {
        struct BitMap *bm;
        const char *fault;
        int nth;
        const char *message;
    };
    const Case cases[] = {
        {nullptr, nullptr, 0, ""},
        {deep, "CreatePool", 1, "Nie moge zaalokowac pamieci\n\n"},
        {deep, "AllocVecPooled", 1, ""},
        {deep, "AllocVecPooled", 2, ""},
        {pens, "AllocVecPooled", 1, ""},
        {pens, "AllocVecPooled", 2, ""},
        {pens, "AllocBitMap", 1, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.fault ? c.fault : "null bitmap") << " " << c.nth);
        if (c.fault) host::fault_inject(c.fault, c.nth);
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(Generuj_Maske(c.bm), 0);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.message);
        EXPECT_EQ(maska, nullptr);
        EXPECT_EQ(mem_pool, nullptr);
        EXPECT_EQ(host::ledger_count("pool"), 0u);
        EXPECT_EQ(host::ledger_count("bitmap"), 2u);
        host::faults_reset();
    }
    FreeBitMap(deep);
    FreeBitMap(pens);
    Ekran = nullptr;
}
