// The program's windows on a bare 1920 x 1080 Xvfb (no window manager): both
// skins open at the same size, the largest whole-number zoom that fits; a
// screen of its own is named; switching it to fullscreen and back with F11
// lays the picture out for the size the window really has.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

bool have(const char *tool) {
    std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
    return system(cmd.c_str()) == 0;
}

std::string slurp(const fs::path &p) {
    std::ifstream f(p);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Runs the program with ARGS until its window shows, writes the window's
// geometry and name to OUT.geom and OUT.name, presses F11 KEYS times (a
// screenshot of the whole display after each, OUT.N.png), then ends it.
const char *script = R"(#!/usr/bin/env bash
set -u
prog=$1 out=$2 keys=$3
shift 3
export SDL_RENDER_DRIVER=software
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
"$prog" "$@" >"$out.stdout" 2>"$out.stderr" &
pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --classname '^kwadron$' 2>/dev/null | head -1)
if [ -z "$wid" ]; then kill "$pid" 2>/dev/null; wait "$pid"; exit 1; fi
sleep 0.5
xdotool getwindowgeometry --shell "$wid" >"$out.geom"
xdotool getwindowname "$wid" >"$out.name"
for n in $(seq "$keys"); do
  xdotool key --window "$wid" F11
  sleep 0.7
  import -window root "$out.$n.png"
done
kill "$pid" 2>/dev/null
wait "$pid"
exit 0
)";

int field(const std::string &geom, const std::string &key) {
    auto at = geom.find(key + "=");
    return at == std::string::npos ? -1 : std::stoi(geom.substr(at + key.size() + 1));
}

// The box around everything that is not black on a screenshot.
struct Box {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0, w = 0, h = 0;
};

bool picture_box(const fs::path &png, Box &b) {
    SDL_Surface *raw = IMG_Load(png.c_str());
    if (!raw) return false;
    SDL_Surface *s = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(raw);
    if (!s) return false;
    b.w = s->w;
    b.h = s->h;
    b.x0 = s->w, b.y0 = s->h, b.x1 = 0, b.y1 = 0;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            if (static_cast<const Uint32 *>(s->pixels)[y * (s->pitch / 4) + x] & 0xFFFFFF) {
                b.x0 = std::min(b.x0, x), b.y0 = std::min(b.y0, y);
                b.x1 = std::max(b.x1, x + 1), b.y1 = std::max(b.y1, y + 1);
            }
    SDL_FreeSurface(s);
    return true;
}

} // namespace

TEST(WindowTest, SizeTitleAndFullscreenOnABareDisplay) {
    if (!have("xvfb-run") || !have("xdotool") || !have("import")) GTEST_SKIP() << "no Xvfb, xdotool or import";
    const fs::path dir = fs::temp_directory_path() / ("kwadron-window-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "game");
    fs::copy_file(KWADRON_BINARY, dir / "game" / "kwadron");
    for (const char *skin : {"grafika_aga", "grafika_aga2x"})
        fs::copy_file(fs::path(KWADRON_SOURCE_DIR) / "skins" / skin, dir / "game" / skin);
    std::ofstream(dir / "run.sh") << script;
    const std::string run = "bash '" + (dir / "run.sh").string() + "' '" + (dir / "game" / "kwadron").string() + "' '";
    const std::string all = "set -e; " + run + (dir / "small").string() + "' 0 SKIN=progdir:grafika_aga; " + run +
                            (dir / "large").string() + "' 0 SKIN=progdir:grafika_aga2x; " + run +
                            (dir / "screen").string() + "' 2 SCREEN";
    const std::string cmd = "xvfb-run -a -s '-screen 0 1920x1080x24' bash -c \"" + all + "\" >/dev/null 2>&1";
    const int rc = system(cmd.c_str());

    // Both skins: 320 x 240 at zoom 4 and 640 x 480 at zoom 2.
    for (const char *name : {"small", "large"}) {
        const std::string geom = slurp(dir / (std::string(name) + ".geom"));
        EXPECT_EQ(field(geom, "WIDTH"), 1280) << name << "\n" << geom << slurp(dir / (std::string(name) + ".stderr"));
        EXPECT_EQ(field(geom, "HEIGHT"), 960) << name;
    }
    EXPECT_EQ(slurp(dir / "small.name"), "Kwadron\n");

    // A screen of its own gets the program's name, fullscreen and as a window.
    EXPECT_EQ(slurp(dir / "screen.name"), "Kwadron\n") << slurp(dir / "screen.stderr");
    const std::string geom = slurp(dir / "screen.geom");
    EXPECT_EQ(field(geom, "WIDTH"), 1920) << geom;
    EXPECT_EQ(field(geom, "HEIGHT"), 1080) << geom;

    // F11 makes it a window of 1280 x 960 in the middle of the display, and
    // F11 again fills the display with the picture centred between equal bars.
    Box win, full;
    ASSERT_TRUE(picture_box(dir / "screen.1.png", win)) << "rc " << rc;
    ASSERT_TRUE(picture_box(dir / "screen.2.png", full)) << "rc " << rc;
    for (const Box &b : {win, full}) {
        ASSERT_EQ(b.w, 1920);
        ASSERT_EQ(b.h, 1080);
        EXPECT_EQ(b.x1 - b.x0, 1280);
        EXPECT_EQ(b.y1 - b.y0, 960);
        EXPECT_EQ(b.x0, b.w - b.x1);
        EXPECT_EQ(b.y0, b.h - b.y1);
    }
    EXPECT_EQ(rc, 0);
    fs::remove_all(dir);
}
