#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <numbers>
#include <stdexcept>

#include "pixel_fonts.h"
#include "stroke_font.h"

namespace gen {

Rgb hex(uint32_t v)
{
    return {float((v >> 16) & 255) / 255.f, float((v >> 8) & 255) / 255.f, float(v & 255) / 255.f};
}

Rgb mix(Rgb a, Rgb b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb shade(Rgb c, float t)
{
    return t >= 0 ? mix(c, Rgb{1, 1, 1}, t) : mix(c, Rgb{0, 0, 0}, -t);
}

bool same(Rgb a, Rgb b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

Canvas::Canvas(int w, int h, bool opaque) : w_(w), h_(h), px_(size_t(w) * size_t(h) * 4, 0.f)
{
    if (opaque)
        for (size_t i = 3; i < px_.size(); i += 4)
            px_[i] = 1;
}

void Canvas::blend(int x, int y, Rgb c, float a)
{
    if (x < 0 || y < 0 || x >= w_ || y >= h_ || a <= 0)
        return;
    a = std::min(a, 1.f);
    float *p = &px_[(size_t(y) * size_t(w_) + size_t(x)) * 4];
    p[0] = c.r * a + p[0] * (1 - a);
    p[1] = c.g * a + p[1] * (1 - a);
    p[2] = c.b * a + p[2] * (1 - a);
    p[3] = a + p[3] * (1 - a);
}

void Canvas::set(int x, int y, Rgb c, float alpha)
{
    if (x < 0 || y < 0 || x >= w_ || y >= h_)
        return;
    float *p = &px_[(size_t(y) * size_t(w_) + size_t(x)) * 4];
    p[0] = c.r * alpha;
    p[1] = c.g * alpha;
    p[2] = c.b * alpha;
    p[3] = alpha;
}

Rgb Canvas::get(int x, int y) const
{
    const float *p = &px_[(size_t(y) * size_t(w_) + size_t(x)) * 4];
    if (p[3] <= 0)
        return {};
    return {p[0] / p[3], p[1] / p[3], p[2] / p[3]};
}

float Canvas::alpha(int x, int y) const
{
    return px_[(size_t(y) * size_t(w_) + size_t(x)) * 4 + 3];
}

void Canvas::fill(double x0, double y0, double x1, double y1, const Inside &in, const Paint &paint,
                  float opacity)
{
    int ix0 = std::max(0, int(std::floor(x0)));
    int iy0 = std::max(0, int(std::floor(y0)));
    int ix1 = std::min(w_, int(std::ceil(x1)));
    int iy1 = std::min(h_, int(std::ceil(y1)));
    int n = std::max(1, ss);
    for (int y = iy0; y < iy1; ++y)
        for (int x = ix0; x < ix1; ++x) {
            int hits = 0;
            for (int j = 0; j < n; ++j)
                for (int i = 0; i < n; ++i)
                    if (in(x + (i + 0.5) / n, y + (j + 0.5) / n))
                        ++hits;
            if (hits)
                blend(x, y, paint(x + 0.5, y + 0.5), opacity * float(hits) / float(n * n));
        }
}

void Canvas::rect(double x, double y, double w, double h, Rgb c, float opacity)
{
    fill(
        x, y, x + w, y + h,
        [=](double px, double py) { return px >= x && px < x + w && py >= y && py < y + h; },
        [=](double, double) { return c; }, opacity);
}

double round_box_distance(double px, double py, double x, double y, double w, double h, double r)
{
    double cx = x + w / 2, cy = y + h / 2;
    double qx = std::abs(px - cx) - (w / 2 - r);
    double qy = std::abs(py - cy) - (h / 2 - r);
    double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - r;
}

void Canvas::round_rect(double x, double y, double w, double h, double r, const Paint &paint,
                        float opacity)
{
    fill(
        x, y, x + w, y + h,
        [=](double px, double py) { return round_box_distance(px, py, x, y, w, h, r) <= 0; }, paint,
        opacity);
}

void Canvas::round_rect(double x, double y, double w, double h, double r, Rgb c, float opacity)
{
    round_rect(x, y, w, h, r, [=](double, double) { return c; }, opacity);
}

void Canvas::round_frame(double x, double y, double w, double h, double r, double t, Rgb c,
                         float opacity)
{
    double ri = std::max(0.0, r - t);
    fill(
        x, y, x + w, y + h,
        [=](double px, double py) {
            return round_box_distance(px, py, x, y, w, h, r) <= 0 &&
                   round_box_distance(px, py, x + t, y + t, w - 2 * t, h - 2 * t, ri) > 0;
        },
        [=](double, double) { return c; }, opacity);
}

void Canvas::disc(double cx, double cy, double r, Rgb c, float opacity)
{
    fill(
        cx - r, cy - r, cx + r, cy + r,
        [=](double px, double py) { return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= r * r; },
        [=](double, double) { return c; }, opacity);
}

void Canvas::polygon(const std::vector<double> &xy, Rgb c, float opacity)
{
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    for (size_t i = 0; i + 1 < xy.size(); i += 2) {
        x0 = std::min(x0, xy[i]);
        x1 = std::max(x1, xy[i]);
        y0 = std::min(y0, xy[i + 1]);
        y1 = std::max(y1, xy[i + 1]);
    }
    size_t n = xy.size() / 2;
    fill(
        x0, y0, x1, y1,
        [&xy, n](double px, double py) {
            bool in = false;
            for (size_t i = 0, j = n - 1; i < n; j = i++) {
                double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
                if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi)
                    in = !in;
            }
            return in;
        },
        [=](double, double) { return c; }, opacity);
}

void Canvas::paste(const Canvas &src, int x, int y)
{
    paste(src, 0, 0, src.w_, src.h_, x, y);
}

void Canvas::paste(const Canvas &src, int sx, int sy, int w, int h, int x, int y)
{
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            int fx = sx + i, fy = sy + j, tx = x + i, ty = y + j;
            if (fx < 0 || fy < 0 || fx >= src.w_ || fy >= src.h_ || tx < 0 || ty < 0 ||
                tx >= w_ || ty >= h_)
                continue;
            const float *s = &src.px_[(size_t(fy) * size_t(src.w_) + size_t(fx)) * 4];
            float *d = &px_[(size_t(ty) * size_t(w_) + size_t(tx)) * 4];
            std::copy(s, s + 4, d);
        }
}

// ---- Bitmap type ----

namespace {

struct Face {
    const PixelGlyph *glyphs;
    size_t count;
    int rows;
};

Face face_of(PixelFace f)
{
    switch (f) {
    case PixelFace::Bold:
        return {kBoldDigits, std::size(kBoldDigits), 11};
    case PixelFace::Narrow:
        return {kNarrowDigits, std::size(kNarrowDigits), 9};
    case PixelFace::Small:
        break;
    }
    return {kSmallFace, std::size(kSmallFace), 7};
}

const PixelGlyph *find_glyph(const Face &f, char ch)
{
    for (size_t i = 0; i < f.count; ++i)
        if (f.glyphs[i].ch == ch)
            return &f.glyphs[i];
    throw std::runtime_error(std::string("no bitmap glyph for '") + ch + "'");
}

} // namespace

int pixel_text_height(PixelFace face, int scale)
{
    return face_of(face).rows * scale;
}

int pixel_text_width(std::string_view s, PixelFace face, int scale)
{
    Face f = face_of(face);
    int w = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        w += int(find_glyph(f, s[i])->rows[0].size()) * scale;
        if (i + 1 < s.size())
            w += scale;
    }
    return w;
}

int pixel_text(Canvas &c, int x, int y, std::string_view s, PixelFace face, Rgb colour, int scale,
               float opacity)
{
    Face f = face_of(face);
    int pen = x;
    for (size_t i = 0; i < s.size(); ++i) {
        const PixelGlyph *g = find_glyph(f, s[i]);
        int gw = int(g->rows[0].size());
        for (int r = 0; r < f.rows; ++r)
            for (int k = 0; k < gw && k < int(g->rows[size_t(r)].size()); ++k)
                if (g->rows[size_t(r)][size_t(k)] == '#')
                    for (int dy = 0; dy < scale; ++dy)
                        for (int dx = 0; dx < scale; ++dx)
                            c.blend(pen + k * scale + dx, y + r * scale + dy, colour, opacity);
        pen += gw * scale + (i + 1 < s.size() ? scale : 0);
    }
    return pen - x;
}

// ---- Stroke type ----

namespace {

using Stroke = std::vector<std::pair<double, double>>;

struct Outline {
    std::vector<Stroke> strokes;
    double x0 = 0, x1 = 0;
};

void catmull_rom(const Stroke &pts, Stroke &out)
{
    size_t n = pts.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        auto p0 = pts[i ? i - 1 : 0], p1 = pts[i], p2 = pts[i + 1], p3 = pts[i + 2 < n ? i + 2 : n - 1];
        for (int k = 0; k < 10; ++k) {
            double t = k / 10.0, t2 = t * t, t3 = t2 * t;
            auto f = [&](double a, double b, double c, double d) {
                return 0.5 * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 +
                              (-a + 3 * b - 3 * c + d) * t3);
            };
            out.push_back({f(p0.first, p1.first, p2.first, p3.first),
                           f(p0.second, p1.second, p2.second, p3.second)});
        }
    }
    if (n)
        out.push_back(pts.back());
}

Outline parse(std::string_view path)
{
    Outline o;
    Stroke cur;
    bool smooth = false;
    auto finish = [&] {
        if (cur.empty())
            return;
        if (smooth) {
            Stroke s;
            catmull_rom(cur, s);
            cur = s;
        }
        o.strokes.push_back(cur);
        cur.clear();
        smooth = false;
    };
    std::string p(path);
    size_t i = 0;
    while (i < p.size()) {
        char ch = p[i];
        if (ch == ' ') {
            ++i;
        } else if (ch == '|') {
            finish();
            ++i;
        } else if (ch == 's') {
            smooth = true;
            ++i;
        } else if (ch == 'a') {
            size_t close = p.find(')', i);
            double v[6];
            const char *q = p.c_str() + i + 2;
            for (double &x : v) {
                char *end = nullptr;
                x = std::strtod(q, &end);
                q = end + 1;
            }
            int steps = std::max(8, int(std::abs(v[5] - v[4]) / 6));
            for (int k = 0; k <= steps; ++k) {
                double a = (v[4] + (v[5] - v[4]) * k / steps) * std::numbers::pi / 180;
                cur.push_back({v[0] + v[2] * std::cos(a), v[1] + v[3] * std::sin(a)});
            }
            i = close + 1;
        } else {
            char *end = nullptr;
            double x = std::strtod(p.c_str() + i, &end);
            double y = std::strtod(end + 1, &end);
            cur.push_back({x, y});
            i = size_t(end - p.c_str());
        }
    }
    finish();
    o.x0 = 1e9;
    o.x1 = -1e9;
    for (auto &s : o.strokes)
        for (auto &pt : s) {
            o.x0 = std::min(o.x0, pt.first);
            o.x1 = std::max(o.x1, pt.first);
        }
    return o;
}

const Outline &outline(char ch)
{
    static std::map<char, Outline> cache;
    auto it = cache.find(ch);
    if (it != cache.end())
        return it->second;
    if (ch == ' ') {
        Outline o;
        o.x0 = 0;
        o.x1 = 1.6;
        return cache[ch] = o;
    }
    for (const auto &g : kStrokeFace)
        if (g.ch == ch)
            return cache[ch] = parse(g.path);
    throw std::runtime_error(std::string("no stroke glyph for '") + ch + "'");
}

double segment_distance(double px, double py, double ax, double ay, double bx, double by)
{
    double dx = bx - ax, dy = by - ay;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0, 1.0) : 0.0;
    double ex = ax + t * dx - px, ey = ay + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

} // namespace

static double glyph_scale(const StrokeStyle &st)
{
    return (st.height - st.weight) / 6.0;
}

double stroke_text_width(std::string_view s, const StrokeStyle &st)
{
    double k = glyph_scale(st), w = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const Outline &o = outline(s[i]);
        w += (o.x1 - o.x0) * k * st.narrow + st.weight;
        if (i + 1 < s.size())
            w += st.weight * 0.55 + k * 0.5 + st.gap;
    }
    return w;
}

void stroke_text(Canvas &c, double x, double y, std::string_view s, const StrokeStyle &st,
                 Rgb colour, float opacity)
{
    double k = glyph_scale(st), half = st.weight / 2, pen = x;
    for (size_t i = 0; i < s.size(); ++i) {
        const Outline &o = outline(s[i]);
        std::vector<double> seg; // ax, ay, bx, by
        double ox = pen + half - o.x0 * k * st.narrow, oy = y + half;
        for (auto &str : o.strokes) {
            if (str.size() == 1) {
                double px = ox + str[0].first * k * st.narrow, py = oy + str[0].second * k;
                seg.insert(seg.end(), {px, py, px, py});
            }
            for (size_t j = 0; j + 1 < str.size(); ++j)
                seg.insert(seg.end(), {ox + str[j].first * k * st.narrow, oy + str[j].second * k,
                                       ox + str[j + 1].first * k * st.narrow,
                                       oy + str[j + 1].second * k});
        }
        double gw = (o.x1 - o.x0) * k * st.narrow + st.weight;
        if (!seg.empty())
            c.fill(
                pen - 1, y - 1, pen + gw + 1, y + st.height + k * 1.5 + 1,
                [&seg, half](double px, double py) {
                    for (size_t j = 0; j < seg.size(); j += 4)
                        if (segment_distance(px, py, seg[j], seg[j + 1], seg[j + 2], seg[j + 3]) <=
                            half)
                            return true;
                    return false;
                },
                [=](double, double) { return colour; }, opacity);
        pen += gw + st.weight * 0.55 + k * 0.5 + st.gap;
    }
}

} // namespace gen
