// dos.library stand-in: the argument parser, fault texts, files and locks.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <iterator>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "amiga/dos.h"
#include "host/control.h"
#include "support.h"

namespace fs = std::filesystem;
using testfiles::slurp;
using testfiles::spit;

namespace {

const IPTR kTrue = static_cast<IPTR>(static_cast<intptr_t>(DOSTRUE));

class DosTest : public testfiles::FilesTest {
protected:
    void TearDown() override {
        FilesTest::TearDown();
        host::set_command_line(std::vector<std::string>{});
    }
    size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {})); }
};

// Parses a native line (as a shell would hand it over) against tmpl, the
// slots starting from init; err is IoErr on failure, 0 on success. The
// values stay valid as long as the result (which frees them).
struct Parsed {
    LONG err = 0;
    std::vector<IPTR> slots;
    std::shared_ptr<RDArgs> rda;
    std::string str(size_t i) const { return slots[i] ? reinterpret_cast<const char *>(slots[i]) : "(null)"; }
    LONG num(size_t i) const { return *reinterpret_cast<const LONG *>(slots[i]); }
};

Parsed parse_line(const char *tmpl, std::string line, std::vector<IPTR> init, LONG flags = RDAF_NOPROMPT) {
    Parsed p;
    auto *rda = new RDArgs{};
    rda->RDA_Source = {line.data(), static_cast<LONG>(line.size()), 0};
    rda->RDA_Flags = flags;
    p.slots = init;
    p.slots.push_back(0xDEADBEEF); // guard past the last slot
    RDArgs *r = ReadArgs(tmpl, p.slots.data(), rda);
    EXPECT_EQ(p.slots.back(), 0xDEADBEEFu) << "wrote past the template's slots";
    p.slots.pop_back();
    p.rda.reset(rda, [](RDArgs *a) {
        FreeArgs(a); // also after a failure, as callers with their own RDArgs do
        delete a;
    });
    if (!r) {
        p.err = IoErr();
        EXPECT_NE(p.err, 0);
        EXPECT_EQ(p.slots, init) << "a failed parse changed the slots";
    } else {
        EXPECT_EQ(r, rda);
    }
    return p;
}

const IPTR kDefault = reinterpret_cast<IPTR>("progdir:grafika_aga");

TEST_F(DosTest, GameTemplateAcceptsKeywordsInAnyForm) {
    struct Case {
        const char *line;
        const char *skin;
        IPTR screen;
    } cases[] = {
        {"\n", "progdir:grafika_aga", 0},
        {"", "progdir:grafika_aga", 0},
        {"SCREEN\n", "progdir:grafika_aga", kTrue},
        {"screen skin=foo\n", "foo", kTrue},
        {"Skin foo\n", "foo", 0},
        {"SKIN = foo\n", "foo", 0},
        {"SKIN \"my skins/x\" ScReEn\n", "my skins/x", kTrue},
        {"SKIN=\"a=b c\"\n", "a=b c", 0},
        {"SKIN \"a**b*\"c*Nd*ee*x\"\n", "a*b\"c\nd\x1B" "ex", 0},
        {"SKIN SCREEN\n", "SCREEN", 0}, // a keyword's value is never a keyword
        {"SKIN=x ; SCREEN\n", "x", 0},
        {"  \t SKIN=x\t\n", "x", 0},
        {"SKIN=a SC\xC3\x93REEN\n", nullptr, 0}, // non-ASCII: an unknown word
    };
    for (auto &c : cases) {
        Parsed p = parse_line("SKIN/K,SCREEN/S", c.line, {kDefault, 0});
        if (!c.skin) {
            EXPECT_EQ(p.err, ERROR_TOO_MANY_ARGS) << c.line;
            continue;
        }
        EXPECT_EQ(p.err, 0) << c.line;
        EXPECT_EQ(p.str(0), c.skin) << c.line;
        EXPECT_EQ(p.slots[1], c.screen) << c.line;
    }
}

TEST_F(DosTest, GameTemplateRejectsBadLinesWithTheirCodes) {
    struct Case {
        const char *line;
        LONG code;
    } cases[] = {
        {"SKIN\n", ERROR_KEY_NEEDS_ARG},
        {"SKIN=\n", ERROR_KEY_NEEDS_ARG},
        {"SKIN=a SKIN=b\n", ERROR_TOO_MANY_ARGS},
        {"SCREEN SCREEN\n", ERROR_TOO_MANY_ARGS},
        {"foo\n", ERROR_TOO_MANY_ARGS},
        {"\"SKIN\" x\n", ERROR_TOO_MANY_ARGS}, // a quoted word is never a keyword
        {"WIDTH=3\n", ERROR_TOO_MANY_ARGS},
        {"SKIN \"abc\n", ERROR_UNMATCHED_QUOTES},
        {"SKIN \"abc*\"\n", ERROR_UNMATCHED_QUOTES},
        {"= x\n", ERROR_BAD_TEMPLATE},
        {"SKIN == x\n", ERROR_BAD_TEMPLATE},
    };
    for (auto &c : cases) {
        Parsed p = parse_line("SKIN/K,SCREEN/S", c.line, {kDefault, 0});
        EXPECT_EQ(p.err, c.code) << c.line;
    }
}

TEST_F(DosTest, ArgvWordsStayWholeValues) {
    const std::pair<std::vector<std::string>, const char *> cases[] = {
        {{"SKIN=my skins/x", "SCREEN"}, "my skins/x"},
        {{"skin", "a \"q\" *b;c"}, "a \"q\" *b;c"},
        {{"SKIN=a=b"}, "a=b"},
        {{"SKIN", ""}, ""},
        {{"SKIN=line\nbreak\x01\x7f\xff"}, "line\nbreak\x01\x7f\xff"},
        {{"x y"}, nullptr}, // a word that is not a keyword, whatever it holds
        {{"SKIN x"}, nullptr},
    };
    for (const auto &[words, skin] : cases) {
        host::set_command_line(words);
        IPTR slots[2] = {kDefault, 0};
        RDArgs *r = ReadArgs("SKIN/K,SCREEN/S", slots, nullptr);
        if (!skin) {
            EXPECT_EQ(r, nullptr) << words[0];
            EXPECT_EQ(IoErr(), ERROR_TOO_MANY_ARGS) << words[0];
            continue;
        }
        ASSERT_NE(r, nullptr) << host::command_line();
        EXPECT_STREQ(reinterpret_cast<char *>(slots[0]), skin) << host::command_line();
        FreeArgs(r);
    }
}

// Runs ReadArgs on a lone "?" with stdin fed from text; returns the output.
std::string prompt_with(const std::string &input, IPTR *slots, RDArgs **result) {
    int pipefd[2];
    EXPECT_EQ(pipe(pipefd), 0);
    EXPECT_EQ(write(pipefd[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    close(pipefd[1]);
    int saved = dup(0);
    dup2(pipefd[0], 0);
    close(pipefd[0]);
    host::set_command_line(std::vector<std::string>{"?"});
    testing::internal::CaptureStdout();
    *result = ReadArgs("SKIN/K,SCREEN/S", slots, nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    dup2(saved, 0);
    close(saved);
    return out;
}

// The answer itself is seen through the program; here the ends of input.
TEST_F(DosTest, LoneQuestionMarkReadsOneLineOfTheAnswer) {
    RDArgs *r;
    // End of input at once is an empty answer; only the first line counts,
    // and a last line without a newline is still a line.
    IPTR fresh[2] = {kDefault, 0};
    EXPECT_EQ(prompt_with("bogus\nSCREEN\n", fresh, &r), "SKIN/K,SCREEN/S: ");
    EXPECT_EQ(r, nullptr);
    EXPECT_EQ(IoErr(), ERROR_TOO_MANY_ARGS);
    prompt_with("", fresh, &r);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(fresh[0], kDefault);
    FreeArgs(r);
    prompt_with("SCREEN", fresh, &r);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(fresh[1], kTrue);
    FreeArgs(r);

    // With prompting switched off the "?" is an ordinary word.
    EXPECT_EQ(parse_line("SKIN/K,SCREEN/S", " ? \n", {0, 0}, RDAF_NOPROMPT).err, ERROR_TOO_MANY_ARGS);
}

TEST_F(DosTest, FaultTexts) {
    testing::internal::CaptureStdout();
    for (LONG code : std::vector<LONG>{ERROR_KEY_NEEDS_ARG, ERROR_BAD_TEMPLATE, ERROR_UNMATCHED_QUOTES, ERROR_LINE_TOO_LONG, 0, 999})
        PrintFault(code, "kwadron");
    PrintFault(ERROR_NO_FREE_STORE, nullptr);
    EXPECT_EQ(IoErr(), ERROR_NO_FREE_STORE);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "kwadron: value after keyword missing\nkwadron: bad template\nkwadron: unmatched quotes\n"
              "kwadron: argument line invalid or too long\nkwadron: Error code 999\nnot enough memory available\n");
}

TEST_F(DosTest, FGetsKeepsToTheBufferAndTheLine) {
    // An empty file has no line at all.
    for (const std::string text : {"123456789012\nab\n\nlast", ""}) {
        spit(dir + "/f", text);
        BPTR fh = Open((dir + "/f").c_str(), MODE_OLDFILE);
        ASSERT_NE(fh, 0);
        char buf[10 + 1];
        buf[10] = '#';
        std::vector<std::string> lines;
        while (FGets(fh, buf, 10)) lines.push_back(buf);
        EXPECT_EQ(buf[10], '#');
        EXPECT_EQ(IoErr(), 0);
        const std::vector<std::string> want = {"123456789", "012\n", "ab\n", "\n", "last"};
        EXPECT_EQ(lines, text.empty() ? std::vector<std::string>{} : want);
        EXPECT_EQ(Close(fh), DOSTRUE);
    }
}

TEST_F(DosTest, OpenRefusesWhatIsNotAFile) {
    // A device or a pipe with a silent writer would hold the start up.
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    const int writer = open((dir + "/fifo").c_str(), O_RDWR);
    const std::pair<std::string, LONG> cases[] = {{dir + "/missing", ERROR_OBJECT_NOT_FOUND},
                                                  {dir, ERROR_OBJECT_WRONG_TYPE},
                                                  {"/dev/zero", ERROR_OBJECT_WRONG_TYPE},
                                                  {dir + "/fifo", ERROR_OBJECT_WRONG_TYPE}};
    for (const auto &[name, code] : cases) {
        EXPECT_EQ(Open(name.c_str(), MODE_OLDFILE), 0) << name;
        EXPECT_EQ(IoErr(), code) << name;
    }
    close(writer);
    EXPECT_EQ(Lock((dir + "/missing").c_str(), ACCESS_READ), 0);
    EXPECT_EQ(IoErr(), ERROR_OBJECT_NOT_FOUND);
}

int write_file(const std::string &name, const char *text) {
    BPTR fh = Open(name.c_str(), MODE_NEWFILE);
    if (!fh) return 1;
    Write(fh, text, LONG(strlen(text)));
    return Close(fh) == DOSTRUE ? 0 : 1;
}

TEST_F(DosTest, NewFileReplacesTheOldContentOnlyAtClose) {
    std::string score = dir + "/score";
    spit(score, "1234\n");
    chmod(score.c_str(), 0640);
    BPTR fh = Open(score.c_str(), MODE_NEWFILE);
    ASSERT_NE(fh, 0);
    EXPECT_EQ(Write(fh, "56\n", 3), 3);
    EXPECT_EQ(slurp(score), "1234\n");
    EXPECT_EQ(Close(fh), DOSTRUE);
    EXPECT_EQ(slurp(score), "56\n");
    struct stat st;
    stat(score.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the old file's permissions are kept";

    // A failed write, or a failing close, keeps the old file whole.
    for (const char *call : {"Write", "Close"}) {
        fh = Open(score.c_str(), MODE_NEWFILE);
        host::fault_inject(call);
        Write(fh, "789\n", 4);
        EXPECT_EQ(Close(fh), DOSFALSE) << call;
        EXPECT_EQ(slurp(score), "56\n") << call;
    }
    EXPECT_EQ(entries(), 1u) << "temporary file left behind";

    // A new file is made as any file the player makes; one reached through
    // a link is written where the link points, and the link stays.
    const mode_t mask = umask(022);
    EXPECT_EQ(write_file(dir + "/new", "1\n"), 0);
    stat((dir + "/new").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    ASSERT_EQ(symlink("score", (dir + "/link").c_str()), 0);
    EXPECT_EQ(write_file(dir + "/link", "77\n"), 0);
    EXPECT_EQ(slurp(score), "77\n");
    EXPECT_TRUE(fs::is_symlink(dir + "/link"));
    umask(mask);
}

TEST_F(DosTest, NewFileFailsCleanlyWhereItCannotWrite) {
    spit(dir + "/plain", "keep");
    fs::create_directory(dir + "/sub");
    const std::pair<std::string, LONG> cases[] = {{dir + "/plain/score", ERROR_OBJECT_WRONG_TYPE},
                                                  {dir + "/nodir/score", ERROR_DIR_NOT_FOUND},
                                                  {dir + "/sub/", ERROR_OBJECT_WRONG_TYPE}};
    for (const auto &[name, code] : cases) {
        EXPECT_EQ(Open(name.c_str(), MODE_NEWFILE), 0) << name;
        EXPECT_EQ(IoErr(), code) << name;
    }
    EXPECT_EQ(slurp(dir + "/plain"), "keep");
    EXPECT_EQ(entries(), 2u);
}

int write_score(const char *text) { return write_file("progdir:score", text); }

std::string read_score() {
    BPTR fh = Open("progdir:score", MODE_OLDFILE);
    char buf[16] = "";
    if (fh) {
        FGets(fh, buf, sizeof buf);
        Close(fh);
    }
    return buf;
}

TEST_F(DosTest, ProgdirIsLayeredOverThePlayersDataFolder) {
    const std::string prog = dir + "/prog", data = dir + "/home/data/kwadron";
    fs::create_directories(prog);
    fs::create_directories(dir + "/home");
    fs::permissions(dir, fs::perms::all);
    fs::permissions(dir + "/home", fs::perms::all);
    host::set_progdir(prog);
    host::set_datadir(data);
    const std::string saved = host::datadir();

    // A writable program folder takes the file, the data folder stays unmade.
    EXPECT_EQ(write_score("5\n"), 0);
    EXPECT_EQ(slurp(prog + "/score"), "5\n");
    EXPECT_FALSE(fs::exists(data));
    // A player's own file hides the program's, and is the one replaced.
    fs::create_directories(data);
    spit(data + "/score", "9\n");
    EXPECT_EQ(read_score(), "9\n");
    EXPECT_EQ(write_score("11\n"), 0);
    EXPECT_EQ(slurp(data + "/score"), "11\n");
    EXPECT_EQ(slurp(prog + "/score"), "5\n");
    host::set_datadir(saved);
}

// Writers of one folder take turns: a second process's Open waits until
// the first has closed its file, so what it reads then is the first one's.
TEST_F(DosTest, WritersOfAFolderTakeTurns) {
    const std::string score = dir + "/score";
    int go[2], seen[2];
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(seen), 0);
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        char c;
        if (read(go[0], &c, 1) != 1) _exit(2);
        BPTR second = Open(score.c_str(), MODE_NEWFILE);
        const std::string now = slurp(score);
        _exit(second && write(seen[1], now.data(), now.size()) >= 0 && Close(second) == DOSTRUE ? 0 : 1);
    }
    close(seen[1]);
    BPTR first = Open(score.c_str(), MODE_NEWFILE);
    ASSERT_NE(first, 0);
    ASSERT_EQ(Write(first, "1\n", 2), 2);
    ASSERT_EQ(write(go[1], "!", 1), 1);
    usleep(100000);
    EXPECT_EQ(Close(first), DOSTRUE);
    char buf[16] = "";
    EXPECT_EQ(read(seen[0], buf, sizeof buf - 1), 2);
    EXPECT_STREQ(buf, "1\n");
    for (int fd : {go[0], go[1], seen[0]}) close(fd);
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0);

    // A writer that keeps its turn past five seconds: Open fails as "object
    // in use", leaving nothing open.
    const int held = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    auto open_fds = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()); };
    const auto fds = open_fds();
    EXPECT_EQ(Open(score.c_str(), MODE_NEWFILE), 0);
    EXPECT_EQ(IoErr(), ERROR_OBJECT_IN_USE);
    EXPECT_EQ(open_fds(), fds);
    close(held);
}

} // namespace
