// A small floating-point RGBA canvas with anti-aliased shape filling and
// the two kinds of type the skins use.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace gen {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

// 0xRRGGBB to a colour.
Rgb hex(uint32_t v);
// Linear mix: t = 0 gives a, t = 1 gives b.
Rgb mix(Rgb a, Rgb b, float t);
// Positive t lightens toward white, negative darkens toward black.
Rgb shade(Rgb c, float t);
bool same(Rgb a, Rgb b);

using Inside = std::function<bool(double x, double y)>;
using Paint = std::function<Rgb(double x, double y)>;

class Canvas {
public:
    Canvas(int w, int h, bool opaque = true);

    int width() const { return w_; }
    int height() const { return h_; }
    // ss x ss samples per pixel; 1 gives hard pixel edges.
    int ss = 1;

    // Blend colour c over pixel (x, y) with coverage a (0..1).
    void blend(int x, int y, Rgb c, float a);
    void set(int x, int y, Rgb c, float alpha = 1);
    Rgb get(int x, int y) const;
    float alpha(int x, int y) const;

    // Fills every pixel of the box whose samples fall inside the shape,
    // coloured by paint at the pixel centre.
    void fill(double x0, double y0, double x1, double y1, const Inside &in, const Paint &paint,
              float opacity = 1);
    void rect(double x, double y, double w, double h, Rgb c, float opacity = 1);
    void round_rect(double x, double y, double w, double h, double r, const Paint &paint,
                    float opacity = 1);
    void round_rect(double x, double y, double w, double h, double r, Rgb c, float opacity = 1);
    // A ring of thickness t along the inside edge of a rounded box.
    void round_frame(double x, double y, double w, double h, double r, double t, Rgb c,
                     float opacity = 1);
    void disc(double cx, double cy, double r, Rgb c, float opacity = 1);
    void polygon(const std::vector<double> &xy, Rgb c, float opacity = 1);
    // Copies another canvas in at (x, y), pixel for pixel.
    void paste(const Canvas &src, int x, int y);
    void paste(const Canvas &src, int sx, int sy, int w, int h, int x, int y);

private:
    int w_, h_;
    std::vector<float> px_; // premultiplied r, g, b, a
};

// Signed distance to a rounded box (negative inside).
double round_box_distance(double px, double py, double x, double y, double w, double h, double r);

// ---- Bitmap type (normal size) ----
enum class PixelFace { Small, Bold, Narrow };
int pixel_text_width(std::string_view s, PixelFace face, int scale = 1);
int pixel_text_height(PixelFace face, int scale = 1);
// Draws with top-left at (x, y); returns the width drawn.
int pixel_text(Canvas &c, int x, int y, std::string_view s, PixelFace face, Rgb colour,
               int scale = 1, float opacity = 1);

// ---- Smooth stroke type (double size) ----
struct StrokeStyle {
    double height = 14;  // cap height in pixels, stroke included
    double weight = 2.5; // stroke width in pixels
    double narrow = 1.0; // horizontal squeeze, 1 = normal width
    double gap = 0;      // extra spacing between letters, pixels
};
double stroke_text_width(std::string_view s, const StrokeStyle &st);
void stroke_text(Canvas &c, double x, double y, std::string_view s, const StrokeStyle &st,
                 Rgb colour, float opacity = 1);

} // namespace gen
