// Drawing of the skin picture, its guide and its preview at either size.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas.h"

namespace gen {

// Region table in layout units (normal size); the double size doubles all.
namespace layout {
inline constexpr int kWidth = 320, kHeight = 483;
inline constexpr int kBoardX = 131, kBoardY = 48, kCell = 39;
inline constexpr int kCounterX = 30, kCounterPitch = 11, kScoreY = 52, kBestY = 100;
inline constexpr int kDigitX = 309, kDigitY = 241, kDigitPitch = 12, kDigitW = 10, kDigitH = 11;
inline constexpr int kTileY = 241, kTilePitch = 40;
inline constexpr int kButtonW = 71, kButtonH = 15, kButtonSrcX = 160;
inline constexpr int kGameOverX = 0, kGameOverY = 402, kGameOverW = 140, kGameOverH = 80;
inline constexpr int kWinX = 141, kWinY = 402, kWinW = 132, kWinH = 81;
inline constexpr int kOverlayAtX = 140, kOverlayAtY = 85;

struct Button {
    const char *label;
    int x, y;   // place in the window
    int src_y;  // released image; the pressed one is 16 below
};
inline constexpr Button kButtons[4] = {
    {"NEW GAME", 23, 149, 241},
    {"CREDITS", 23, 169, 273},
    {"QUIT", 23, 189, 305},
    {"BACK", 174, 175, 337},
};
inline int tile_x(int i) { return kTilePitch * (i % 4); }
inline int tile_y(int i) { return kTileY + kTilePitch * (i / 4); }
} // namespace layout

struct Skin {
    Canvas canvas;
    // 1 where a pixel is a see-through pixel of an overlay picture.
    std::vector<uint8_t> keyed;
    int k; // pixels per layout unit
};

Skin draw_skin(int k);
Canvas draw_guide(const Skin &skin);
Canvas draw_preview(const Skin &skin);

// Colours of the palette skin: pens 0..3 are fixed (background, text,
// outline, black); the rest follow from the theme.
std::vector<Rgb> skin_palette();
inline constexpr int kTextPen = 1, kOutlinePen = 2, kBlackPen = 3;

} // namespace gen
