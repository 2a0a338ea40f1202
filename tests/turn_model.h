// The board as the player sees it: the moves worked out apart from the
// game's own, a turn checked against them, and the 16 cells and the
// counters read from a picture of the window by matching the skin's images.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "amiga/rawkeycodes.h"
#include "game_fixture.h"
#include "picture_files.h"

namespace testturn {


using Board = std::array<LONG, 16>;

// The board after a cursor key: each line packed toward its edge, equal
// neighbours merged once.
inline Board model_move(const Board &b, UWORD key, LONG &gain) {
    Board r = b;
    gain = 0;
    for (int l = 0; l < 4; ++l) {
        int idx[4];
        for (int k = 0; k < 4; ++k)
            idx[k] = key == RAWKEY_UP ? k * 4 + l : key == RAWKEY_DOWN ? (3 - k) * 4 + l : key == RAWKEY_RIGHT ? l * 4 + 3 - k : l * 4 + k;
        std::vector<LONG> tiles, out;
        for (int k : idx)
            if (b[size_t(k)]) tiles.push_back(b[size_t(k)]);
        for (size_t i = 0; i < tiles.size(); ++i) {
            const bool merge = i + 1 < tiles.size() && tiles[i] == tiles[i + 1];
            out.push_back(tiles[i] + merge);
            if (merge) gain += LONG(1) << (tiles[i++] + 1);
        }
        out.resize(4, 0);
        for (int k = 0; k < 4; ++k) r[size_t(idx[k])] = out[size_t(k)];
    }
    return r;
}

// Empty when 'after' is the model's move of 'before' plus one new tile of
// exponent 1 or 2 on a cell the move left empty, or 'before' itself when
// the move changes nothing; otherwise what is wrong.
inline std::string turn_fault(const Board &before, const Board &after, UWORD key) {
    LONG gain;
    const Board moved = model_move(before, key, gain);
    int changed = 0, spawned = 0;
    for (size_t i = 0; i < 16; ++i) {
        changed += after[i] != moved[i];
        spawned += after[i] != moved[i] && moved[i] == 0 && (after[i] == 1 || after[i] == 2);
    }
    if (moved == before ? after == before : changed == 1 && spawned == 1) return "";
    using ::testing::PrintToString;
    return PrintToString(before) + " then " + PrintToString(after) + ", the model moves it to " + PrintToString(moved);
}

using namespace testpic;

// The cells of a picture of the normal-size board, its pixels zoom times
// as large: the exponent whose tile image of the skin a cell shows, 0 for
// the empty board, -1 for neither.
inline Board read_board(const SDL_Surface *shot, int zoom, const SDL_Surface *skin) {
    Board b;
    for (int i = 0; i < 16; ++i) {
        const int X = 131 + 39 * (i % 4), Y = 48 + 39 * (i / 4);
        b[size_t(i)] = -1;
        for (int e = 0; e <= 16 && b[size_t(i)] < 0; ++e) {
            const Prostokat *k = e ? &testgame::tables_at_load.kafle[e - 1] : nullptr;
            bool same = true;
            for (int y = 0; y < 39 && same; ++y)
                for (int x = 0; x < 39 && same; ++x)
                    same = at(shot, (X + x) * zoom + zoom / 2, (Y + y) * zoom + zoom / 2) ==
                           at(skin, (k ? k->x : X) + x, (k ? k->y : Y) + y);
            if (same) b[size_t(i)] = e;
        }
    }
    return b;
}

// The number on a counter (row 52: the score, 100: the best) of a picture of
// the inner area, at any whole zoom: each of the six places matched against
// the default skin's digit glyphs. -1 when a place shows none.
inline long counter(const std::filesystem::path &png, int row) {
    static const Surface skin = load_rgb(std::filesystem::path(KWADRON_SOURCE_DIR) / "skins" / "grafika_aga");
    const Surface shot = load_rgb(png);
    const int zoom = shot ? shot->w / 320 : 0;
    if (!skin || zoom < 1 || shot->h < 240 * zoom) return -1;
    long value = 0;
    for (int place = 0; place < 6; ++place) {
        int digit = -1;
        for (int d = 0; d < 10 && digit < 0; ++d) {
            bool same = true;
            for (int y = 0; y < 11 && same; ++y)
                for (int x = 0; x < 10 && same; ++x)
                    same = at(shot.get(), (30 + 11 * place + x) * zoom + zoom / 2, (row + y) * zoom + zoom / 2) ==
                           at(skin.get(), 309 + x, 241 + 12 * d + y);
            if (same) digit = d;
        }
        if (digit < 0) return -1;
        value = value * 10 + digit;
    }
    return value;
}

// From the fixed start (the clock at ARROWS_START as the game starts), the
// pictures 0.png, then 1.png to 4.png after Up, Down, Left and Right, in a
// folder, zoom times the game's size: each key changes the board and moves
// it its way.
constexpr const char *ARROWS_START = "2026-01-01 02:00:00";
inline void expect_each_arrow_its_way(const std::filesystem::path &dir, int zoom, const SDL_Surface *skin) {
    std::vector<Board> seen;
    for (int i = 0; i <= 4; ++i) {
        const Surface shot = load_rgb(dir / (std::to_string(i) + ".png"));
        ASSERT_TRUE(shot && skin) << i;
        seen.push_back(read_board(shot.get(), zoom, skin));
    }
    EXPECT_EQ(seen[0], (Board{0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0}));
    const UWORD keys[] = {RAWKEY_UP, RAWKEY_DOWN, RAWKEY_LEFT, RAWKEY_RIGHT};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NE(seen[i + 1], seen[i]) << "key " << i << " changes the board from this start";
        EXPECT_EQ(turn_fault(seen[i], seen[i + 1], keys[i]), "") << "key " << i;
    }
}

} // namespace testturn
