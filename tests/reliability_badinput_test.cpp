// Bad skins, bad score files and odd command lines: each gives a clear
// message or a sane default, the right return code, and nothing left open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "reliability_images.h"
#include "reliability_state.h"

extern char **environ;

namespace {

using reliability::Bytes;
using reliability::PngForm;
using reliability::ProgDir;
using reliability::run_program;
using reliability::RunResult;

const std::string NO_PICTURE = "Nie mogę otworzyć pliku graficznego\n\n";
const std::string BAD_SIZE = "Plik graficzny ma złe wymiary (potrzeba 320 x 483 albo 640 x 966)\n\n";
const std::string TOO_LONG = "Za długa ścieżka pliku graficznego (najwyżej 99 znaków)\n\n";

// ---- Running the real program ---------------------------------------------

struct Exit {
    int status = -1;        // exit code, or -1 for a signal or a time-out
    bool timed_out = false;
    std::string out, err;
};

// Runs the program with these words on the headless display, standard input
// from the file 'input' (/dev/null when empty), the ledger report on; kills
// it after 'seconds'.
Exit run_binary(const std::vector<std::string> &words, const std::vector<std::string> &env_extra = {},
                int seconds = 30, const std::string &input = "") {
    std::vector<std::string> argv_s{KWADRON_BINARY};
    argv_s.insert(argv_s.end(), words.begin(), words.end());
    std::vector<char *> argv;
    for (auto &w : argv_s) argv.push_back(w.data());
    argv.push_back(nullptr);
    std::vector<std::string> env_s{"KWADRON_DISPLAY=headless", "KWADRON_LEDGER_REPORT=1"};
    for (char **e = environ; *e; ++e)
        if (strncmp(*e, "KWADRON_", 8) != 0 && strncmp(*e, "DISPLAY=", 8) != 0) env_s.push_back(*e);
    env_s.insert(env_s.end(), env_extra.begin(), env_extra.end());
    std::vector<char *> envp;
    for (auto &e : env_s) envp.push_back(e.data());
    envp.push_back(nullptr);

    int out[2], err[2];
    Exit r;
    if (pipe(out) != 0 || pipe(err) != 0) return r;
    pid_t pid = fork();
    if (pid == 0) {
        int null = open(input.empty() ? "/dev/null" : input.c_str(), O_RDONLY);
        dup2(null, 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open_fds = 2;
    while (open_fds > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            r.timed_out = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, int(left.count())) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i ? r.err : r.out).append(buf, size_t(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_fds;
            }
        }
    }
    for (auto &f : fds)
        if (f.fd >= 0) close(f.fd);
    int st = 0;
    waitpid(pid, &st, 0);
    if (!r.timed_out && WIFEXITED(st)) r.status = WEXITSTATUS(st);
    return r;
}

// A function run in a child process; its exit code, or -1 when it had to be
// killed after 'seconds' or died of a signal.
template <class F> int run_in_child(F f, int seconds) {
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        alarm(unsigned(seconds)); // a hang ends the child, not the suite
        _exit(f());
    }
    int st = 0;
    waitpid(pid, &st, 0);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

class BadInput : public reliability::RunTest {
  protected:
    static std::string first(const std::vector<std::string> &v) { return v.empty() ? "" : v.front(); }
};

// ---- Skins -------------------------------------------------------------------

Bytes ilbm_header_only() {
    Bytes b = reliability::ilbm_file(320, 483, 4);
    return b.substr(0, 60);
}

// Each bad skin with what it must say.
std::vector<std::pair<std::string, Bytes>> bad_skins() {
    using reliability::png_file;
    std::vector<std::pair<std::string, Bytes>> v;
    auto png = [](uint32_t w, uint32_t h, int ct = 2, int depth = 8) {
        PngForm s;
        s.width = w, s.height = h, s.colour_type = ct, s.bit_depth = depth;
        return png_file(s);
    };
    const Bytes good_png = png(320, 483);
    const Bytes good_ilbm = reliability::ilbm_file(320, 483, 4);
    v.emplace_back("empty", "");
    v.emplace_back("png_signature_only", good_png.substr(0, 8));
    v.emplace_back("png_no_iend", good_png.substr(0, good_png.size() - 12));
    v.emplace_back("png_truncated_header", good_png.substr(0, 20));
    v.emplace_back("png_truncated_data", good_png.substr(0, good_png.size() / 2));
    Bytes bad_crc = good_png;
    bad_crc[29] ^= 0x55; // inside the IHDR's CRC
    v.emplace_back("png_bad_crc", bad_crc);
    Bytes bad_zlib = good_png;
    bad_zlib[8 + 25 + 8] = 0x7F; // the zlib header of the IDAT
    v.emplace_back("png_bad_zlib", bad_zlib);
    {
        PngForm s;
        s.width = 100000, s.height = 100000;
        Bytes huge = "\x89PNG\r\n\x1a\n";
        reliability::png_chunk(huge, "IHDR", reliability::png_ihdr(s));
        reliability::png_chunk(huge, "IDAT", reliability::zlib_stored(Bytes(1000, '\0')));
        reliability::png_chunk(huge, "IEND", "");
        v.emplace_back("png_huge_declared", huge);
        s.width = 16384, s.height = 16384; // each side allowed, the whole too big
        Bytes big = "\x89PNG\r\n\x1a\n";
        reliability::png_chunk(big, "IHDR", reliability::png_ihdr(s));
        reliability::png_chunk(big, "IDAT", reliability::zlib_stored(Bytes(1000, '\0')));
        reliability::png_chunk(big, "IEND", "");
        v.emplace_back("png_big_declared", big);
        s.width = 0, s.height = 483;
        Bytes zero = "\x89PNG\r\n\x1a\n";
        reliability::png_chunk(zero, "IHDR", reliability::png_ihdr(s));
        reliability::png_chunk(zero, "IEND", "");
        v.emplace_back("png_zero_width", zero);
    }
    v.emplace_back("png_1x1", png(1, 1));
    v.emplace_back("png_319", png(319, 483));
    v.emplace_back("png_320x482", png(320, 482));
    v.emplace_back("png_321x483", png(321, 483));
    v.emplace_back("png_639x966", png(639, 966));
    v.emplace_back("png_640x965", png(640, 965));
    v.emplace_back("png_9000x966", png(9000, 2, 0)); // too wide, cheap to build
    const Bytes good_gif = reliability::gif_file(320, 483, 4);
    v.emplace_back("gif_truncated", good_gif.substr(0, good_gif.size() / 2));
    v.emplace_back("gif_no_image", good_gif.substr(0, 13 + 48));
    Bytes gif_lzw = good_gif;
    gif_lzw[13 + 48 + 10] = 11; // a minimum code size LZW does not have
    v.emplace_back("gif_bad_code_size", gif_lzw);
    v.emplace_back("gif_header_only", "GIF87a");
    v.emplace_back("ilbm_truncated", good_ilbm.substr(0, good_ilbm.size() / 3));
    v.emplace_back("ilbm_header_only", ilbm_header_only());
    Bytes ilbm_lies = good_ilbm;
    ilbm_lies[4] = '\x7f'; // FORM size far past the end
    v.emplace_back("ilbm_form_too_long", ilbm_lies.substr(0, 2000));
    v.emplace_back("ilbm_9_planes", reliability::ilbm_file(320, 16, 9).substr(0, 300));
    v.emplace_back("text", "This is not a picture.\nSKIN=grafika_aga\n");
    v.emplace_back("bmp_bogus_header", Bytes("BM\xff\xff\xff\x7f\0\0\0\0\x36\0\0\0\x28\0\0\0", 18) +
                                           Bytes("\x40\x01\0\0\xe3\x01\0\0\x01\0\x40\0", 12) + Bytes(64, 'x'));
    v.emplace_back("jpeg_truncated", Bytes("\xff\xd8\xff\xe0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0\xff\xdb\0\x43\0", 25));
    v.emplace_back("pcx_truncated", Bytes("\x0a\x05\x01\x08\0\0\0\0\x3f\x01\xe2\x01", 12) + Bytes(40, '\x01'));
    v.emplace_back("xpm_lies", "/* XPM */\nstatic char *x[] = {\n\"320 483 999999 9\",\n\"a c #000000\",\n};\n");
    v.emplace_back("tga_lies", Bytes("\0\0\x02\0\0\0\0\0\0\0\0\0\x40\x01\xe3\x01\x18\0", 18) + Bytes(100, '\x7f'));
    std::mt19937 rng(7);
    for (int i = 0; i < 4; ++i) {
        Bytes r(size_t(1) << (6 + 3 * i), '\0');
        for (char &c : r) c = char(rng());
        v.emplace_back("random_" + std::to_string(r.size()), r);
    }
    return v;
}

TEST_F(BadInput, BadSkinsAreRefusedWithAMessage) {
    auto skins = bad_skins();
    for (auto &[name, data] : skins) dir.write(name, data);
    std::filesystem::create_directory(dir.path / "a_directory");
    skins.emplace_back("a_directory", "");
    std::filesystem::create_symlink(dir.path / "loop_b", dir.path / "loop_a");
    std::filesystem::create_symlink(dir.path / "loop_a", dir.path / "loop_b");
    skins.emplace_back("loop_a", "");
    skins.emplace_back("missing", "");
    int tried = 0;
    for (auto &[name, data] : skins) {
        for (const char *screen : {"", "SCREEN"}) {
            std::vector<std::string> words{"SKIN=" + dir / name};
            if (*screen) words.push_back(screen);
            RunResult r = run_program(dir, words);
            ++tried;
            EXPECT_TRUE(r.out == NO_PICTURE || r.out == BAD_SIZE) << name << ": " << r.out;
            EXPECT_EQ(r.rc, 20) << name;
            EXPECT_TRUE(r.open.empty()) << name << ": " << first(r.open);
            EXPECT_TRUE(r.handles_clear) << name;
        }
    }
    EXPECT_GE(skins.size(), 30u);
    printf("bad skins tried: %zu (%d runs)\n", skins.size(), tried);
}

// Pictures in unusual but valid forms: only their size decides.
TEST_F(BadInput, OddButValidSkinsLoad) {
    struct Good {
        std::string name;
        Bytes data;
        LONG depth; // expected picture depth, 0: any
    };
    auto png = [](int ct, int depth, bool interlaced, int palette = 256) {
        PngForm s;
        s.colour_type = ct, s.bit_depth = depth, s.interlaced = interlaced, s.palette_size = palette;
        return reliability::png_file(s);
    };
    std::vector<Good> goods{
        {"ilbm_5_planes", reliability::ilbm_file(320, 483, 5), 5},
        {"ilbm_8_planes", reliability::ilbm_file(320, 483, 8), 8},
        {"ilbm_1_plane", reliability::ilbm_file(320, 483, 1), 1},
        {"ilbm_5_planes_wide", reliability::ilbm_file(640, 966, 5), 5},
        {"png_16bit", png(2, 16, false), 0},
        {"png_grey", png(0, 8, false), 0},
        {"png_grey_alpha", png(4, 8, false), 0},
        {"png_alpha", png(6, 8, false), 0},
        {"png_interlaced", png(2, 8, true), 0},
        {"png_interlaced_palette", png(3, 8, true), 8},
        {"png_2_colours", png(3, 1, false, 2), 1},
        {"png_16_colours", png(3, 4, false, 16), 4},
        {"gif_8_colours", reliability::gif_file(320, 483, 3), 3},
        {"gif_wide", reliability::gif_file(640, 966, 8), 8},
    };
    for (auto &g : goods) {
        dir.write(g.name, g.data);
        for (bool cyber : {true, false})
            for (const char *screen : {"", "SCREEN"}) {
                std::vector<std::string> words{"SKIN=" + dir / g.name};
                if (*screen) words.push_back(screen);
                const std::string what = g.name + (cyber ? "" : " without cybergraphics") + " " + screen;
                RunResult r = run_program(dir, words, [cyber] {
                    if (!cyber) host::set_library_version("cybergraphics.library", -1);
                });
                EXPECT_EQ(r.out, "") << what;
                EXPECT_EQ(r.rc, 0) << what;
                EXPECT_TRUE(r.open.empty()) << what << ": " << first(r.open);
                if (g.depth) {
                    EXPECT_EQ(kolor, g.depth) << what;
                }
                EXPECT_EQ(tryb_ekran, g.name.find("wide") != std::string::npos ? 1 : 0) << what;
            }
    }
}

// ---- Score files ---------------------------------------------------------------

TEST_F(BadInput, ScoreFilesGiveANumberOrZero) {
    const std::vector<std::pair<Bytes, LONG>> files{
        {"", 0},
        {"   \n", 0},
        {"\t \t", 0},
        {"+5\n", 5},
        {"-5\n", -5},
        {"--5\n", 0},
        {"+-5\n", 0},
        {"12345678901234567890\n", 123456789},
        {"2147483647\n", 214748364},
        {"-2147483648\n", -21474836},
        {"42", 42},
        {"\n\n5\n", 0},
        {"  56abc\n", 56},
        {"abc\n", 0},
        {Bytes("12\0" "99\n", 6), 12},
        {Bytes("\0\0\0", 3), 0},
        {"99\r\n", 99},
        {Bytes(100000, '7'), 777777777},
        {Bytes(100000, '\n'), 0},
        {"\xff\xfe\x01\x02garbage\x80", 0},
        {"0x1F\n", 0},
        {"1e9\n", 1},
    };
    int tried = 0;
    for (auto &[content, expected] : files) {
        dir.write("score", content);
        RunResult r = run_program(dir, {});
        ++tried;
        const std::string what = "score " + std::to_string(tried);
        EXPECT_EQ(High_Punkty, expected) << what;
        EXPECT_EQ(r.out, "") << what;
        EXPECT_EQ(r.rc, 0) << what;
        EXPECT_TRUE(r.open.empty()) << what << ": " << first(r.open);
        EXPECT_EQ(dir.read("score"), content) << what; // read, never written
    }

    // Things in the file's place that are not files.
    std::filesystem::remove(dir.path / "score");
    auto expect_zero = [&](const std::string &what) {
        RunResult r = run_program(dir, {});
        ++tried;
        EXPECT_EQ(High_Punkty, 0) << what;
        EXPECT_EQ(r.out, "") << what;
        EXPECT_EQ(r.rc, 0) << what;
        EXPECT_TRUE(r.open.empty()) << what << ": " << first(r.open);
    };
    std::filesystem::create_directory(dir.path / "score");
    expect_zero("a directory");
    std::filesystem::remove(dir.path / "score");
    std::filesystem::create_symlink(dir.path / "score2", dir.path / "score");
    std::filesystem::create_symlink(dir.path / "score", dir.path / "score2");
    expect_zero("a symbolic link loop");
    std::filesystem::remove(dir.path / "score");
    std::filesystem::create_symlink("/nonexistent/score", dir.path / "score");
    expect_zero("a dangling link");
    std::filesystem::remove(dir.path / "score");
    std::filesystem::create_symlink("/dev/zero", dir.path / "score");
    expect_zero("a device");
    std::filesystem::remove(dir.path / "score");

    // A program directory under a plain file: nothing there can be read.
    dir.write("plain", "x");
    ProgDir other;
    RunResult r = run_program(other, {"SKIN=" + dir / "grafika_aga"}, [&] {
        host::set_progdir((dir.path / "plain" / "sub").string());
    });
    ++tried;
    EXPECT_EQ(High_Punkty, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.open.empty()) << first(r.open);
    printf("score files tried: %d\n", tried);
}

// A pipe named score, with a writer that never writes: the start must not
// wait for it.
TEST_F(BadInput, AScoreFileThatIsAPipeDoesNotHang) {
    const std::string fifo = dir / "score";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int code = run_in_child([&] {
        RunResult r = run_program(dir, {});
        return r.rc == 0 && r.out.empty() && r.open.empty() && High_Punkty == 0 ? 0 : 1;
    }, 20);
    EXPECT_EQ(code, 0) << "without a writer";
    int writer = open(fifo.c_str(), O_RDWR); // a writer that stays silent
    ASSERT_GE(writer, 0);
    code = run_in_child([&] {
        RunResult r = run_program(dir, {});
        return r.rc == 0 && r.out.empty() && r.open.empty() && High_Punkty == 0 ? 0 : 1;
    }, 20);
    close(writer);
    EXPECT_EQ(code, 0) << "with a silent writer";

    // The host refuses to read anything but a regular file.
    code = run_in_child([&] {
        int w = open(fifo.c_str(), O_RDWR);
        BPTR fh = Open(fifo.c_str(), MODE_OLDFILE);
        const bool refused = fh == 0 && IoErr() == ERROR_OBJECT_WRONG_TYPE && host::ledger_count("file") == 0;
        close(w);
        return refused ? 0 : 1;
    }, 20);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Open("/dev/zero", MODE_OLDFILE), 0);
    EXPECT_EQ(IoErr(), ERROR_OBJECT_WRONG_TYPE);
}

// ---- Icons of a desktop start ------------------------------------------------------

TEST_F(BadInput, IconToolTypesOfEveryShape) {
    struct Case {
        Bytes icon;
        LONG rc;
        std::string out; // "any": no message or a skin message
    };
    std::string many;
    for (int i = 0; i < 20000; ++i) many += "TOOL" + std::to_string(i) + "=" + std::string(40, 'v') + "\n";
    Bytes garbage(5000, '\0');
    std::mt19937 rng(3);
    for (char &c : garbage) c = char(rng());
    const std::vector<Case> cases{
        {"SKIN=progdir:grafika_aga2x\nSCREEN=NO\n", 0, ""},
        {"SKIN=" + std::string(99, 'x') + "\n", 20, NO_PICTURE},
        {"SKIN=" + std::string(100, 'x') + "\n", 10, TOO_LONG},
        {"SKIN=" + std::string(100000, 'x') + "\n", 10, TOO_LONG},
        {"SKIN=\n", 20, NO_PICTURE},
        {"SKIN\n", 20, NO_PICTURE},
        {"skin = progdir:grafika_aga2x \n", 0, ""},
        {"(SKIN=nothing)\nSKINNY=nothing\n", 0, ""},
        {Bytes("SKIN=progdir:grafika_aga\0junk\n", 30), 0, ""},
        {"\n\n\n#SKIN=x\n", 0, ""},
        {many + "SKIN=progdir:nothing\n", 0, "any"},
        {garbage, 0, "any"},
        {"", 0, ""},
    };
    int n = 0;
    for (const auto &c : cases) {
        ++n;
        dir.write("kwadron.info", c.icon);
        RunResult r = run_program(dir, {}, {}, true);
        const std::string what = "icon " + std::to_string(n);
        EXPECT_EQ(r.rc, c.out == "any" && !r.out.empty() ? 20 : c.rc) << what;
        if (c.out == "any") {
            EXPECT_TRUE(r.out.empty() || r.out == NO_PICTURE || r.out == BAD_SIZE) << what << ": " << r.out;
        } else {
            EXPECT_EQ(r.out, c.out) << what;
        }
        EXPECT_TRUE(r.open.empty()) << what << ": " << first(r.open);
        EXPECT_TRUE(r.handles_clear) << what;
    }
    // A directory in the icon's place, and no icon at all.
    std::filesystem::remove(dir.path / "kwadron.info");
    std::filesystem::create_directory(dir.path / "kwadron.info");
    RunResult r = run_program(dir, {}, {}, true);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.open.empty()) << first(r.open);
}

// ---- Command lines --------------------------------------------------------------

bool known_fault_line(const std::string &out) {
    static const char *texts[] = {"value after keyword missing", "wrong number of arguments", "bad template",
                                  "unmatched quotes", "argument line invalid or too long",
                                  "required argument missing"};
    for (const char *t : texts)
        if (out == std::string(KWADRON_BINARY) + ": " + t + "\n") return true;
    return false;
}

TEST_F(BadInput, CommandLinesOfTheRealProgram) {
    struct Case {
        std::vector<std::string> words;
        int status;
        std::string out; // "fault": a fault line headed by the program's name
    };
    // A path of exactly n characters naming the shipped skin.
    auto path_of = [&](size_t n) {
        std::string base = dir.path.string() + "/";
        std::string tail = "/grafika_aga";
        std::string sub(n - base.size() - tail.size(), 'd');
        std::filesystem::create_directories(base + sub);
        std::filesystem::copy_file(dir / "grafika_aga", base + sub + tail,
                                   std::filesystem::copy_options::overwrite_existing);
        return base + sub + tail;
    };
    const std::string p99 = path_of(99), p100 = path_of(100);
    ASSERT_EQ(p99.size(), 99u);
    const std::vector<Case> cases{
        {{}, 0, ""},
        {{"SKIN=" + p99}, 0, ""},
        {{"skin", p99, "screen"}, 0, ""},
        {{"SKIN=" + p100}, 10, TOO_LONG},
        {{"SKIN=" + std::string(1000, 'x')}, 10, TOO_LONG},
        {{"SKIN", std::string(5000, '/')}, 10, TOO_LONG},
        {{"SKIN=\"" + p99 + "\""}, 10, TOO_LONG}, // the quotes are part of the word
        {{"SKIN="}, 10, "fault"},
        {{"SKIN"}, 10, "fault"},
        {{"="}, 10, "fault"},
        {{"=x"}, 10, "fault"},
        {{"SKIN=a", "SKIN=b"}, 10, "fault"},
        {{"SCREEN", "SCREEN"}, 10, "fault"},
        {{"SCREEN=yes"}, 10, "fault"},
        {{"BOGUS"}, 10, "fault"},
        {{"\""}, 10, "fault"},
        {{"SKIN=żółw.png"}, 20, NO_PICTURE},
        {{"SKIN=\x01\x02\x7f"}, 20, NO_PICTURE},
        {{"SKIN=a\nb"}, 20, NO_PICTURE},
        {{"SKIN=" + p99, "SCREEN"}, 0, ""},
        {{"skin=progdir:GRAFIKA_AGA2X"}, 20, NO_PICTURE}, // names keep their case
        {{"sKiN=progdir:grafika_aga2x"}, 0, ""},
        {{"PROGDIR:grafika_aga"}, 10, "fault"},
        {{std::string(100000, 'a')}, 10, "fault"},
        {{"?"}, 0, "SKIN/K,SCREEN/S: "},
    };
    int tried = 0;
    for (auto &c : cases) {
        Exit e = run_binary(c.words);
        ++tried;
        std::string what = c.words.empty() ? "(none)" : c.words.front().substr(0, 60);
        EXPECT_FALSE(e.timed_out) << what;
        EXPECT_EQ(e.status, c.status) << what << "\n" << e.out << e.err;
        if (c.out == "fault")
            EXPECT_TRUE(known_fault_line(e.out)) << what << ": " << e.out;
        else
            EXPECT_EQ(e.out, c.out) << what;
        EXPECT_EQ(e.err.find("still open"), std::string::npos) << what << ": " << e.err;
    }

    // Generated lines: blanks, quotes, '=', keywords in any case, bytes of
    // every kind. Each ends in one of the program's ways, nothing left open.
    std::mt19937 rng(2024);
    const std::vector<std::string> pieces{"SKIN", "skin", "SCREEN", "screen", "=", "\"", " ", "progdir:",
                                          "grafika_aga", "x", "*", "?", "\t", "ł", "\xff", "SKIN=", "\"\"",
                                          "*\"", "*N", p99};
    for (int i = 0; i < 80; ++i) {
        std::vector<std::string> words;
        const int nwords = int(rng() % 4);
        for (int w = 0; w < nwords; ++w) {
            std::string word;
            const int parts = 1 + int(rng() % 4);
            for (int k = 0; k < parts; ++k) word += pieces[rng() % pieces.size()];
            words.push_back(word);
        }
        Exit e = run_binary(words);
        ++tried;
        std::string what;
        for (auto &w : words) what += "[" + w + "]";
        EXPECT_FALSE(e.timed_out) << what;
        EXPECT_TRUE(e.status == 0 || e.status == 10 || e.status == 20) << what << ": " << e.status << " " << e.err;
        if (e.status == 10)
            EXPECT_TRUE(known_fault_line(e.out) || e.out == TOO_LONG) << what << ": " << e.out;
        else
            EXPECT_TRUE(e.out.empty() || e.out == NO_PICTURE || e.out == BAD_SIZE ||
                        e.out.rfind("SKIN/K,SCREEN/S: ", 0) == 0)
                << what << ": " << e.out;
        EXPECT_EQ(e.err.find("still open"), std::string::npos) << what << ": " << e.err;
    }

    // A lone '?' reads the line from standard input.
    const std::vector<std::pair<Bytes, Case>> answers{
        {"SKIN=progdir:grafika_aga2x\n", {{"?"}, 0, "SKIN/K,SCREEN/S: "}},
        {Bytes(2 << 20, 'a'), {{"?"}, 10, "fault"}},
        {Bytes("SKIN=a\0b\n", 9), {{"?"}, 20, "SKIN/K,SCREEN/S: " + NO_PICTURE}},
        {"?\n", {{"?"}, 10, "fault"}},
        {"SCREEN", {{"?"}, 0, "SKIN/K,SCREEN/S: "}},
        {"SKIN=" + std::string(300, 'p') + "\n", {{"?"}, 10, "SKIN/K,SCREEN/S: " + TOO_LONG}},
    };
    for (auto &[text, c] : answers) {
        dir.write("answer", text);
        Exit e = run_binary(c.words, {}, 30, dir / "answer");
        ++tried;
        const std::string what = "answer " + text.substr(0, 40);
        EXPECT_FALSE(e.timed_out) << what;
        EXPECT_EQ(e.status, c.status) << what << "\n" << e.out << e.err;
        if (c.out == "fault") {
            EXPECT_EQ(e.out.rfind("SKIN/K,SCREEN/S: ", 0), 0u) << what;
            EXPECT_TRUE(known_fault_line(e.out.substr(17))) << what << ": " << e.out;
        } else {
            EXPECT_EQ(e.out, c.out) << what;
        }
        EXPECT_EQ(e.err.find("still open"), std::string::npos) << what << ": " << e.err;
    }
    printf("command lines tried: %d\n", tried);
}

} // namespace
