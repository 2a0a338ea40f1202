#include "skin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

namespace gen {

namespace {

using namespace layout;

// ---- Theme: night ink with a cool-to-warm jewel ramp ----
namespace col {
const Rgb ink = hex(0x0d1024);       // screen fill, deepest sky
const Rgb sky_top = hex(0x1c2348);
const Rgb text = hex(0xf1f4ff);      // credits text
const Rgb outline = hex(0x0a0c1a);   // credits outline, dark edges
const Rgb panel = hex(0x1f2750);
const Rgb panel_hi = hex(0x3a4785);
const Rgb panel_lo = hex(0x141a38);
const Rgb board = hex(0x1a2148);
const Rgb board_hi = hex(0x34407c);
const Rgb slot = hex(0x11162f);
const Rgb slot_shadow = hex(0x0b0e21);
const Rgb slot_hi = hex(0x262f5e);
const Rgb display = hex(0x08171f);
const Rgb display_rim = hex(0x2b3868);
const Rgb lcd = hex(0x7cf2d6);
const Rgb caption = hex(0x93a3dc);
const Rgb faint = hex(0x5e6aa6);
const Rgb button_top = hex(0x3d4b8e);
const Rgb button_bottom = hex(0x2a3468);
const Rgb button_hi = hex(0x6b7dd0);
const Rgb button_down = hex(0x1d2550);
const Rgb mint = hex(0x6fe8c8);
const Rgb rose = hex(0xff7596);
const Rgb gold = hex(0xffd870);
const Rgb star = hex(0xc9d4ff);
} // namespace col

const int kSkyBands = 12;

struct TileLook {
    uint32_t face, text, rim;
};
// Exponent 1 (value 2) to 16 (65536): pale ice through blue, violet and
// raspberry to dark jewel tiles with glowing numbers.
const TileLook kTiles[16] = {
    {0xdde7f2, 0x1b2342, 0},        {0xb7d5ef, 0x1b2342, 0},        {0x86c3ec, 0x12203e, 0},
    {0x53a7e2, 0xffffff, 0},        {0x3a83d6, 0xffffff, 0},        {0x4762cc, 0xffffff, 0},
    {0x6651c4, 0xffffff, 0},        {0x8747ba, 0xffffff, 0},        {0xa73fab, 0xffffff, 0},
    {0xc43c8f, 0xffffff, 0},        {0xde416d, 0xffffff, 0xffd870}, {0xa82a52, 0xffe0ea, 0xff8fb0},
    {0x6c2352, 0xffcde6, 0xf06fb0}, {0x3e2166, 0xe8d2ff, 0xb48cff}, {0x182c62, 0xb0f0ff, 0x5cc8ff},
    {0x0d3b45, 0xb8ffe2, 0x5ff0c0},
};

struct Pen {
    Canvas &c;
    int k;
    double px() const { return 1.0 / k; } // one pixel in layout units
    double u(double v) const { return v * k; }
};

// Text centred on cx, top at y (layout units). size 1 = small, 2 = headline.
void label(Pen p, double cx, double y, std::string_view s, int size, Rgb colour,
           float opacity = 1)
{
    if (p.k == 1) {
        int w = pixel_text_width(s, PixelFace::Small, size);
        pixel_text(p.c, int(std::floor(cx - w / 2.0)), int(y), s, PixelFace::Small, colour, size,
                   opacity);
        return;
    }
    StrokeStyle st;
    st.height = 7.0 * size * p.k;
    st.weight = size == 1 ? 2.3 : 4.0;
    double w = stroke_text_width(s, st);
    stroke_text(p.c, p.u(cx) - w / 2, p.u(y), s, st, colour, opacity);
}

void label_left(Pen p, double x, double y, std::string_view s, Rgb colour, float opacity = 1)
{
    if (p.k == 1) {
        pixel_text(p.c, int(x), int(y), s, PixelFace::Small, colour, 1, opacity);
        return;
    }
    StrokeStyle st;
    st.height = 7.0 * p.k;
    st.weight = 2.3;
    stroke_text(p.c, p.u(x), p.u(y), s, st, colour, opacity);
}

Paint vertical(double y0, double y1, Rgb top, Rgb bottom)
{
    return [=](double, double y) {
        return mix(top, bottom, float(std::clamp((y - y0) / (y1 - y0), 0.0, 1.0)));
    };
}

// Deterministic scatter for the stars.
uint32_t next(uint32_t &s)
{
    s = s * 1664525u + 1013904223u;
    return s >> 8;
}

// ---- Pieces ----

// An empty board cell: a recessed slot with a shadowed upper edge.
void draw_cell(Pen p, int x, int y)
{
    Canvas &c = p.c;
    double q = p.px();
    c.rect(p.u(x), p.u(y), p.u(kCell), p.u(kCell), col::board);
    double sx = x + 2, sy = y + 2, s = kCell - 4;
    c.round_rect(p.u(sx), p.u(sy), p.u(s), p.u(s), p.u(4), col::slot_hi);
    c.round_rect(p.u(sx), p.u(sy), p.u(s), p.u(s - q), p.u(4), col::slot_shadow);
    c.round_rect(p.u(sx), p.u(sy + 2 * q), p.u(s), p.u(s - 3 * q), p.u(4), col::slot);
    if (p.k > 1)
        c.round_rect(p.u(sx), p.u(sy + q), p.u(s), p.u(s - 2 * q), p.u(4),
                     mix(col::slot, col::slot_shadow, 0.5f));
    if (p.k > 1)
        c.round_rect(p.u(sx), p.u(sy + 2 * q), p.u(s), p.u(s - 3 * q), p.u(4), col::slot);
}

std::string value_text(int e)
{
    return std::to_string(1L << e);
}

void draw_tile(Pen p, int x, int y, int e)
{
    Canvas &c = p.c;
    const TileLook &t = kTiles[e - 1];
    Rgb face = hex(t.face), ink = hex(t.text);
    double q = p.px();
    draw_cell(p, x, y);
    double fx = x + 2, fy = y + 2, s = kCell - 4, r = 4;
    // Body with a darker lower lip, lit upper edge.
    c.round_rect(p.u(fx), p.u(fy), p.u(s), p.u(s), p.u(r), shade(face, -0.38f));
    // The palette skin keeps the face flat: a gradient would band.
    if (p.k == 1)
        c.round_rect(fx, fy, s, s - 2, r, face);
    else
        c.round_rect(p.u(fx), p.u(fy), p.u(s), p.u(s - 2), p.u(r),
                     vertical(p.u(fy), p.u(fy + s), shade(face, 0.12f), shade(face, -0.06f)));
    c.rect(p.u(fx + r), p.u(fy + q), p.u(s - 2 * r), p.u(q), shade(face, 0.45f), 0.8f);
    if (t.rim)
        c.round_frame(p.u(fx), p.u(fy), p.u(s), p.u(s - 2), p.u(r), p.k == 1 ? 1 : 2.5,
                      hex(t.rim), 0.9f);

    std::string v = value_text(e);
    double cx = fx + s / 2, cy = fy + (s - 2) / 2;
    bool dark_text = (ink.r + ink.g + ink.b) < 1.5f;
    Rgb shadow = dark_text ? shade(face, 0.4f) : shade(face, -0.55f);
    if (p.k == 1) {
        PixelFace f = v.size() <= 3 ? PixelFace::Bold : PixelFace::Narrow;
        int w = pixel_text_width(v, f), h = pixel_text_height(f);
        int tx = int(std::floor(cx - w / 2.0)), ty = int(std::floor(cy - h / 2.0 + 0.5));
        pixel_text(c, tx, ty + 1, v, f, shadow, 1, 0.6f);
        pixel_text(c, tx, ty, v, f, ink);
        return;
    }
    StrokeStyle st;
    switch (v.size()) {
    case 1:
    case 2:
        st = {24, 4.6, 1.0, 1.0};
        break;
    case 3:
        st = {22, 4.2, 0.86, 0.4};
        break;
    case 4:
        st = {19, 3.6, 0.74, 0};
        break;
    default:
        st = {17, 3.2, 0.6, 0};
        break;
    }
    double w = stroke_text_width(v, st);
    double tx = p.u(cx) - w / 2, ty = p.u(cy) - st.height / 2;
    stroke_text(c, tx, ty + 1.5, v, st, shadow, 0.6f);
    stroke_text(c, tx, ty, v, st, ink);
}

void draw_digit(Pen p, int x, int y, int d)
{
    Canvas &c = p.c;
    c.rect(p.u(x), p.u(y), p.u(kDigitW), p.u(kDigitH), col::display);
    std::string s(1, char('0' + d));
    Rgb ghost = mix(col::display, col::lcd, 0.1f);
    if (p.k == 1) {
        pixel_text(c, x + 2, y, "8", PixelFace::Bold, ghost);
        pixel_text(c, x + 2, y, s, PixelFace::Bold, col::lcd);
        return;
    }
    StrokeStyle st{19, 3.4, 0.9, 0};
    double w8 = stroke_text_width("8", st);
    double ty = p.u(y) + (p.u(kDigitH) - st.height) / 2;
    stroke_text(c, p.u(x) + (p.u(kDigitW) - w8) / 2, ty, "8", st, ghost);
    double w = stroke_text_width(s, st);
    stroke_text(c, p.u(x) + (p.u(kDigitW) - w) / 2, ty, s, st, col::lcd);
}

const Rgb kButtonAccent[4] = {col::mint, hex(0xb48cff), col::rose, hex(0x5cc8ff)};

void draw_button(Pen p, int x, int y, int which, bool pressed)
{
    Canvas &c = p.c;
    double q = p.px();
    double w = kButtonW, h = kButtonH;
    c.rect(p.u(x), p.u(y), p.u(w), p.u(h), col::ink);
    c.round_rect(p.u(x), p.u(y), p.u(w), p.u(h), p.u(3), col::outline);
    if (!pressed) {
        c.round_rect(p.u(x + 1), p.u(y + 1), p.u(w - 2), p.u(h - 2), p.u(2), shade(col::button_bottom, -0.3f));
        c.round_rect(p.u(x + 1), p.u(y + 1), p.u(w - 2), p.u(h - 2 - q), p.u(2),
                     vertical(p.u(y + 1), p.u(y + h - 1), col::button_top, col::button_bottom));
        c.rect(p.u(x + 3), p.u(y + 1), p.u(w - 6), p.u(q), col::button_hi);
    } else {
        c.round_rect(p.u(x + 1), p.u(y + 1), p.u(w - 2), p.u(h - 2), p.u(2), shade(col::button_down, 0.12f));
        c.round_rect(p.u(x + 1), p.u(y + 1 + q), p.u(w - 2), p.u(h - 2 - q), p.u(2),
                     vertical(p.u(y + 1), p.u(y + h - 1), shade(col::button_down, -0.35f),
                              col::button_down));
        c.rect(p.u(x + 1), p.u(y + 1), p.u(w - 2), p.u(q), shade(col::button_down, -0.5f));
    }
    double shift = pressed ? 1 : 0;
    Rgb accent = kButtonAccent[which];
    c.round_rect(p.u(x + 6 + shift), p.u(y + 6 + shift), p.u(3), p.u(3), p.u(0.6),
                 pressed ? shade(accent, -0.35f) : accent);
    Rgb ink = pressed ? hex(0xc3ccf5) : col::text;
    label(p, x + w / 2 + 3 + shift, y + 4 + shift + q, kButtons[which].label, 1,
          shade(col::button_bottom, -0.6f), 0.7f);
    label(p, x + w / 2 + 3 + shift, y + 4 + shift, kButtons[which].label, 1, ink);
}

void draw_star(Pen p, double cx, double cy, double r, Rgb colour)
{
    std::vector<double> pts;
    for (int i = 0; i < 10; ++i) {
        double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5, rr = (i % 2 ? r * 0.45 : r);
        pts.push_back(p.u(cx + rr * std::cos(a)));
        pts.push_back(p.u(cy + rr * std::sin(a)));
    }
    p.c.polygon(pts, colour);
}

// Places an overlay drawn with coverage into the skin: covered pixels become
// opaque (never pure black), uncovered ones pure black.
void put_overlay(Skin &s, const Canvas &ov, int x, int y)
{
    for (int j = 0; j < ov.height(); ++j)
        for (int i = 0; i < ov.width(); ++i) {
            int tx = x + i, ty = y + j;
            bool opaque = ov.alpha(i, j) >= 0.5f;
            s.canvas.set(tx, ty, opaque ? ov.get(i, j) : Rgb{});
            s.keyed[size_t(ty) * size_t(s.canvas.width()) + size_t(tx)] = opaque ? 0 : 1;
        }
}

void overlay_panel(Pen p, double w, double h, Rgb top, Rgb bottom, Rgb rim)
{
    Canvas &c = p.c;
    double q = p.px();
    c.round_rect(0, 0, p.u(w), p.u(h), p.u(11), col::outline);
    c.round_rect(p.u(1), p.u(1), p.u(w - 2), p.u(h - 2), p.u(10), vertical(0, p.u(h), top, bottom));
    c.round_frame(p.u(3), p.u(3), p.u(w - 6), p.u(h - 6), p.u(8), p.k == 1 ? 1 : 1.5, rim, 0.75f);
    c.rect(p.u(12), p.u(1 + q), p.u(w - 24), p.u(q), shade(top, 0.25f));
}

Canvas draw_game_over(int k)
{
    Canvas ov(kGameOverW * k, kGameOverH * k, false);
    ov.ss = k == 1 ? 1 : 4;
    Pen p{ov, k};
    overlay_panel(p, kGameOverW, kGameOverH, hex(0x2a1a40), hex(0x160f2a), col::rose);
    double cx = kGameOverW / 2.0;
    label(p, cx, 15 + 1, "NO MOVES", 2, col::outline, 0.8f);
    label(p, cx, 15, "NO MOVES", 2, hex(0xff8aa8));
    label(p, cx, 38, "THE BOARD IS FULL", 1, col::text);
    label(p, cx, 54, "TRY A NEW GAME", 1, hex(0xa795d8));
    for (int i = -1; i <= 1; ++i)
        p.c.round_rect(p.u(cx + i * 8 - 1.5), p.u(67), p.u(3), p.u(3), p.u(0.8),
                       i ? hex(0x8a4f86) : col::rose);
    return ov;
}

Canvas draw_win(int k)
{
    Canvas ov(kWinW * k, kWinH * k, false);
    ov.ss = k == 1 ? 1 : 4;
    Pen p{ov, k};
    overlay_panel(p, kWinW, kWinH, hex(0x123246), hex(0x0d1a33), col::mint);
    double cx = kWinW / 2.0;
    draw_star(p, cx, 14, 6.5, col::gold);
    draw_star(p, cx - 15, 16, 4, col::mint);
    draw_star(p, cx + 15, 16, 4, col::mint);
    label(p, cx, 26 + 1, "BRAVO!", 2, col::outline, 0.8f);
    label(p, cx, 26, "BRAVO!", 2, col::gold);
    label(p, cx, 48, "YOU MADE IT", 1, col::text);
    label(p, cx, 62, "BACK TO PLAY ON", 1, hex(0x8fd8c8));
    return ov;
}

void draw_background(Pen p)
{
    Canvas &c = p.c;
    int k = p.k;
    double q = p.px();
    c.rect(0, 0, p.u(320), p.u(240), col::ink);
    if (k == 1) {
        // Banded sky: a few flat steps read cleaner than a dither.
        for (int b = 0; b < kSkyBands; ++b)
            c.rect(0, b * 20, 320, 20, mix(col::sky_top, col::ink, b / float(kSkyBands - 1)));
    } else {
        c.fill(0, 0, p.u(320), p.u(240), [](double, double) { return true; },
               vertical(0, p.u(240), col::sky_top, col::ink));
    }

    // Stars, kept clear of the panel, the board and the line under it.
    uint32_t seed = 2024u;
    for (int i = 0; i < 70; ++i) {
        double x = next(seed) % 3200 / 10.0, y = next(seed) % 2400 / 10.0;
        int bright = int(next(seed) % 100);
        bool in_panel = x > 8 && x < 110 && y > 8 && y < 222;
        bool in_board = x > 120 && x < 297 && y > 37 && y < 230;
        bool in_title = x > 150 && x < 270 && y > 8 && y < 34;
        if (in_panel || in_board || in_title)
            continue;
        float a = 0.25f + bright / 150.f;
        if (k == 1) {
            c.blend(int(x), int(y), col::star, a);
            if (bright > 92) {
                c.blend(int(x) - 1, int(y), col::star, a * 0.4f);
                c.blend(int(x) + 1, int(y), col::star, a * 0.4f);
                c.blend(int(x), int(y) - 1, col::star, a * 0.4f);
                c.blend(int(x), int(y) + 1, col::star, a * 0.4f);
            }
        } else {
            c.disc(p.u(x) + 1, p.u(y) + 1, 0.7 + bright / 70.0, col::star, a);
        }
    }

    // Title over the board.
    label(p, 209, 14 + 1, "KWADRON", 2, col::outline, 0.9f);
    label(p, 209, 14, "KWADRON", 2, hex(0xdfe6ff));
    for (int i = 0; i < 4; ++i) {
        Rgb t = hex(kTiles[i * 3 + 2].face);
        c.round_rect(p.u(147 + (i % 2) * 5), p.u(16 + (i / 2) * 5), p.u(4), p.u(4), p.u(1), t);
        c.round_rect(p.u(265 + (i % 2) * 5), p.u(16 + (i / 2) * 5), p.u(4), p.u(4), p.u(1),
                     hex(kTiles[15 - i * 3].face));
    }
    label(p, 209, 220, "SLIDE: ARROW KEYS, SWIPE OR PAD", 1, col::faint);

    // Left panel.
    c.round_rect(p.u(12), p.u(12), p.u(94), p.u(206), p.u(7), col::outline);
    c.round_rect(p.u(13), p.u(13), p.u(92), p.u(204), p.u(6),
                 vertical(p.u(13), p.u(217), col::panel, col::panel_lo));
    c.rect(p.u(19), p.u(13), p.u(80), p.u(q), col::panel_hi);
    // Little emblem: four tiles.
    for (int i = 0; i < 4; ++i)
        c.round_rect(p.u(51 + (i % 2) * 8), p.u(19 + (i / 2) * 8), p.u(7), p.u(7), p.u(1.5),
                     hex(kTiles[(i == 3 ? 10 : i * 3)].face));

    // Counter displays.
    auto display = [&](int y, const char *caption) {
        label_left(p, 28, y - 11, caption, col::caption);
        c.round_rect(p.u(26), p.u(y - 3), p.u(74), p.u(17), p.u(3), col::outline);
        c.round_rect(p.u(27), p.u(y - 2), p.u(72), p.u(15), p.u(2), col::display_rim);
        c.rect(p.u(28), p.u(y - 1), p.u(70), p.u(13), col::display);
        c.rect(p.u(28), p.u(y - 1), p.u(70), p.u(q), shade(col::display, -0.4f));
    };
    display(kScoreY, "SCORE");
    display(kBestY, "BEST");
    // The value ramp as two rows of chips.
    for (int i = 0; i < 16; ++i)
        c.round_rect(p.u(28.5 + 8 * (i % 8)), p.u(124 + 8 * (i / 8)), p.u(6), p.u(6), p.u(1.5),
                     hex(kTiles[i].face));

    // Wells under the buttons.
    for (int i = 0; i < 3; ++i)
        c.round_rect(p.u(kButtons[i].x - 2), p.u(kButtons[i].y - 2), p.u(kButtonW + 4),
                     p.u(kButtonH + 4), p.u(4), col::panel_lo);

    // Board frame and cells.
    c.round_rect(p.u(124), p.u(41), p.u(170), p.u(170), p.u(9), col::outline);
    c.round_rect(p.u(125), p.u(42), p.u(168), p.u(168), p.u(8), col::board);
    c.round_frame(p.u(125), p.u(42), p.u(168), p.u(168), p.u(8), p.k == 1 ? 1 : 1.5,
                  col::board_hi, 0.6f);
    for (int r = 0; r < 4; ++r)
        for (int cc = 0; cc < 4; ++cc)
            draw_cell(p, kBoardX + kCell * cc, kBoardY + kCell * r);
}

} // namespace

Skin draw_skin(int k)
{
    Skin s{Canvas(kWidth * k, kHeight * k), {}, k};
    s.keyed.assign(size_t(s.canvas.width()) * size_t(s.canvas.height()), 0);
    s.canvas.ss = k == 1 ? 1 : 4;
    Pen p{s.canvas, k};
    s.canvas.rect(0, 0, s.canvas.width(), s.canvas.height(), col::ink);
    draw_background(p);
    for (int i = 0; i < 16; ++i)
        draw_tile(p, tile_x(i), tile_y(i), i + 1);
    for (int d = 0; d < 10; ++d)
        draw_digit(p, kDigitX, kDigitY + kDigitPitch * d, d);
    for (int b = 0; b < 4; ++b) {
        draw_button(p, kButtonSrcX, kButtons[b].src_y, b, false);
        draw_button(p, kButtonSrcX, kButtons[b].src_y + kButtonH + 1, b, true);
    }
    put_overlay(s, draw_game_over(k), kGameOverX * k, kGameOverY * k);
    put_overlay(s, draw_win(k), kWinX * k, kWinY * k);
    return s;
}

std::vector<Rgb> skin_palette()
{
    std::vector<Rgb> pal = {col::ink, col::text, col::outline, Rgb{0, 0, 0}};
    auto add = [&](Rgb c) {
        for (const Rgb &e : pal)
            if (std::lround(e.r * 255) == std::lround(c.r * 255) &&
                std::lround(e.g * 255) == std::lround(c.g * 255) &&
                std::lround(e.b * 255) == std::lround(c.b * 255))
                return;
        pal.push_back(c);
    };
    // Sky steps, exactly as drawn.
    for (int b = 0; b < kSkyBands; ++b)
        add(mix(col::sky_top, col::ink, b / float(kSkyBands - 1)));
    const Rgb theme[] = {col::panel,  col::panel_hi, col::panel_lo,   col::board,       col::board_hi,
                         col::slot,   col::slot_hi,  col::slot_shadow, col::display,    col::display_rim,
                         col::lcd,    col::caption,  col::faint,      col::button_top,  col::button_bottom,
                         col::button_hi, col::button_down, col::mint, col::rose,       col::gold,
                         col::star,   hex(0xdfe6ff), hex(0x2a1a40),   hex(0x160f2a),    hex(0xff8aa8),
                         hex(0xa795d8), hex(0x8a4f86), hex(0x123246), hex(0x0d1a33),    hex(0x8fd8c8),
                         hex(0xb48cff), hex(0x5cc8ff), hex(0xc3ccf5)};
    for (const Rgb &c : theme)
        add(c);
    // Shades of the theme for edges, lips and blends.
    for (const Rgb &c : theme)
        for (float t : {-0.35f, 0.25f})
            add(shade(c, t));
    for (const TileLook &t : kTiles) {
        Rgb f = hex(t.face);
        for (float s : {-0.55f, -0.38f, 0.0f, 0.45f})
            add(shade(f, s));
        add(hex(t.text));
        if (t.rim)
            add(hex(t.rim));
    }
    if (pal.size() > 256)
        pal.resize(256);
    return pal;
}

Canvas draw_guide(const Skin &skin)
{
    int k = skin.k;
    Canvas g(kWidth * k, (kHeight + 62) * k);
    g.ss = k == 1 ? 1 : 3;
    g.rect(0, 0, g.width(), g.height(), hex(0x05060c));
    g.paste(skin.canvas, 0, 0);
    // Dim the picture so the outlines stand out.
    g.rect(0, 0, skin.canvas.width(), skin.canvas.height(), hex(0x05060c), 0.45f);
    Pen p{g, k};
    // Numbers in the guide are pixels of this skin.
    auto n = [k](int v) { return std::to_string(v * k); };
    auto at = [&](int x, int y) { return n(x) + "," + n(y); };
    auto size = [&](int w, int h) { return n(w) + "x" + n(h); };
    auto box = [&](double x, double y, double w, double h, Rgb c) {
        double t = 1.0 / k;
        g.rect(p.u(x), p.u(y), p.u(w), p.u(t), c);
        g.rect(p.u(x), p.u(y + h - t), p.u(w), p.u(t), c);
        g.rect(p.u(x), p.u(y), p.u(t), p.u(h), c);
        g.rect(p.u(x + w - t), p.u(y), p.u(t), p.u(h), c);
    };
    auto tag = [&](double x, double y, const std::string &s, Rgb c) {
        double w = k == 1 ? pixel_text_width(s, PixelFace::Small) : 0;
        if (k > 1) {
            StrokeStyle st;
            st.height = 14;
            st.weight = 2.3;
            w = stroke_text_width(s, st) / k;
        }
        g.rect(p.u(x - 1), p.u(y - 1), p.u(w + 2), p.u(9), hex(0x05060c), 0.85f);
        label_left(p, x, y, s, c);
    };
    const Rgb yellow = hex(0xffe45c), cyan = hex(0x5ce8ff), pink = hex(0xff6ad5),
              green = hex(0x7dff8a), orange = hex(0xffa04a);
    box(0, 0, 320, 240, yellow);
    tag(2, 2, "BACKGROUND " + size(320, 240), yellow);
    box(kBoardX, kBoardY, 4 * kCell, 4 * kCell, yellow);
    for (int i = 1; i < 4; ++i) {
        g.rect(p.u(kBoardX + i * kCell), p.u(kBoardY), p.u(1.0 / k), p.u(4 * kCell), yellow, 0.5f);
        g.rect(p.u(kBoardX), p.u(kBoardY + i * kCell), p.u(4 * kCell), p.u(1.0 / k), yellow, 0.5f);
    }
    tag(kBoardX + 2, kBoardY + 2, "BOARD " + at(kBoardX, kBoardY), yellow);
    tag(kBoardX + 2, kBoardY + 12, "CELL " + size(kCell, kCell), yellow);
    box(kOverlayAtX, kOverlayAtY, kGameOverW, kGameOverH + 1, orange);
    tag(kOverlayAtX + 2, kOverlayAtY + 2, "OVERLAYS LAND " + at(kOverlayAtX, kOverlayAtY), orange);
    for (int row : {kScoreY, kBestY}) {
        for (int d = 0; d < 6; ++d)
            box(kCounterX + kCounterPitch * d, row, kDigitW, kDigitH, green);
        tag(kCounterX, row + 14, (row == kScoreY ? "SCORE " : "BEST ") + at(kCounterX, row), green);
    }
    for (const auto &b : kButtons) {
        box(b.x, b.y, kButtonW, kButtonH, pink);
        tag(b.x + 2, b.y + 4,
            std::string(b.label).substr(0, 4) + " " + at(b.x, b.y),
            pink);
    }
    for (int i = 0; i < 16; ++i)
        box(tile_x(i), tile_y(i), kCell, kCell, cyan);
    tag(1, tile_y(0) + 1, "TILE 2", cyan);
    for (int d = 0; d < 10; ++d)
        box(kDigitX, kDigitY + kDigitPitch * d, kDigitW, kDigitH, green);
    tag(262, kDigitY + 2, "DIGITS", green);
    tag(262, kDigitY + 12, at(kDigitX, kDigitY), green);
    for (const auto &b : kButtons) {
        box(kButtonSrcX, b.src_y, kButtonW, kButtonH, pink);
        box(kButtonSrcX, b.src_y + kButtonH + 1, kButtonW, kButtonH, pink);
    }
    tag(233, 343, "UP", pink);
    tag(233, 359, "DOWN", pink);
    box(kGameOverX, kGameOverY, kGameOverW, kGameOverH, orange);
    box(kWinX, kWinY, kWinW, kWinH, orange);
    tag(kGameOverX + 2, kGameOverY + 71, "LOST " + at(kGameOverX, kGameOverY) + " " + size(kGameOverW, kGameOverH), orange);
    tag(kWinX + 2, kWinY + 72, "WON " + at(kWinX, kWinY) + " " + size(kWinW, kWinH), orange);

    const std::string legend[] = {
        "TILES FOR 2 TO 65536, EACH " + size(kCell, kCell) + ", FOUR TO A",
        "ROW FROM " + at(0, kTileY) + ", PITCH " + n(kTilePitch) + ". BUTTONS " + size(kButtonW, kButtonH),
        "AT X " + n(kButtonSrcX) + ", Y " + n(241) + "/" + n(273) + "/" + n(305) + "/" + n(337) +
            ", PRESSED " + n(16) + " LOWER.",
        "DIGITS " + size(kDigitW, kDigitH) + " AT " + at(kDigitX, kDigitY) + ", PITCH " + n(kDigitPitch) +
            ". PURE BLACK IN",
        std::string("THE OVERLAYS IS SEE-THROUGH. ") +
            (k == 1 ? "320 WIDE: THIS SIZE." : "WIDER THAN 320: DOUBLE."),
    };
    for (int i = 0; i < 5; ++i)
        label_left(p, 4, kHeight + 5 + 11 * i, legend[i], hex(0xdfe6ff));
    return g;
}

Canvas draw_preview(const Skin &skin)
{
    int k = skin.k, gap = 6;
    const Canvas &src = skin.canvas;
    Canvas v((3 * kWidth + 2 * gap) * k, 240 * k);
    v.rect(0, 0, v.width(), v.height(), hex(0x05060c));
    // A late position, each tile once.
    const int board[16] = {16, 15, 14, 13, 9, 10, 11, 12, 8, 7, 6, 5, 1, 2, 3, 4};
    const char *score = "137260", *best = "894152";
    auto copy = [&](int ox, int sx, int sy, int w, int h, int x, int y, bool masked) {
        for (int j = 0; j < h * k; ++j)
            for (int i = 0; i < w * k; ++i) {
                int fx = sx * k + i, fy = sy * k + j;
                if (masked && skin.keyed[size_t(fy) * size_t(src.width()) + size_t(fx)])
                    continue;
                v.set(ox + x * k + i, y * k + j, src.get(fx, fy));
            }
    };
    for (int panel = 0; panel < 3; ++panel) {
        int ox = panel * (kWidth + gap) * k;
        copy(ox, 0, 0, 320, 240, 0, 0, false);
        for (int i = 0; i < 16; ++i) {
            int e = board[i];
            copy(ox, tile_x(e - 1), tile_y(e - 1), kCell, kCell, kBoardX + kCell * (i % 4),
                 kBoardY + kCell * (i / 4), false);
        }
        for (int d = 0; d < 6; ++d) {
            copy(ox, kDigitX, kDigitY + kDigitPitch * (score[d] - '0'), kDigitW, kDigitH,
                 kCounterX + kCounterPitch * d, kScoreY, false);
            copy(ox, kDigitX, kDigitY + kDigitPitch * (best[d] - '0'), kDigitW, kDigitH,
                 kCounterX + kCounterPitch * d, kBestY, false);
        }
        for (int b = 0; b < 3; ++b) {
            bool down = panel == 0 && b == 1;
            copy(ox, kButtonSrcX, kButtons[b].src_y + (down ? kButtonH + 1 : 0), kButtonW,
                 kButtonH, kButtons[b].x, kButtons[b].y, false);
        }
        if (panel == 1)
            copy(ox, kGameOverX, kGameOverY, kGameOverW, kGameOverH, kOverlayAtX, kOverlayAtY,
                 true);
        if (panel == 2) {
            copy(ox, kWinX, kWinY, kWinW, kWinH, kOverlayAtX, kOverlayAtY, true);
            copy(ox, kButtonSrcX, kButtons[3].src_y, kButtonW, kButtonH, kButtons[3].x,
                 kButtons[3].y, false);
        }
    }
    return v;
}

} // namespace gen
