// Drawing helpers for the disc's artwork: anti-aliased shapes, gradients and text
// rendered with FreeType into platform::Image. The program itself never draws like
// this; only the tool does, when it paints skins, buttons and screenshots.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/image.h"

namespace art {

struct PointF {
    double x = 0, y = 0;
};

platform::Rgb Mix(platform::Rgb a, platform::Rgb b, double t);  // t = 0 gives a, t = 1 gives b
platform::Rgb Lighten(platform::Rgb c, double t);     // towards white
platform::Rgb Darken(platform::Rgb c, double t);      // towards black
platform::Rgb Grey(platform::Rgb c);                  // the same brightness without colour

// Puts c over the pixel with the given opacity (0 to 1); points outside are ignored.
void BlendPixel(platform::Image& img, int x, int y, platform::Rgb c, double alpha);
void FillRect(platform::Image& img, platform::Rect r, platform::Rgb c, double alpha = 1.0);
// Top-to-bottom (or left-to-right) colour ramp over a rectangle.
void GradientV(platform::Image& img, platform::Rect r, platform::Rgb top, platform::Rgb bottom);
void GradientH(platform::Image& img, platform::Rect r, platform::Rgb left, platform::Rgb right);
// A 1-pixel outline just inside the rectangle.
void FrameRect(platform::Image& img, platform::Rect r, platform::Rgb c, double alpha = 1.0);

// Fills a polygon (non-zero winding, coordinates in pixels, pixel centres at .5)
// with anti-aliased edges. Several contours can be given at once, so holes work.
void FillPolygon(platform::Image& img, const std::vector<std::vector<PointF>>& contours, platform::Rgb c, double alpha = 1.0);
void FillPolygon(platform::Image& img, const std::vector<PointF>& contour, platform::Rgb c, double alpha = 1.0);
std::vector<PointF> RoundRectPath(double x, double y, double w, double h, double radius);
std::vector<PointF> EllipsePath(double cx, double cy, double rx, double ry, int segments = 64);
void FillRoundRect(platform::Image& img, double x, double y, double w, double h, double radius, platform::Rgb c, double alpha = 1.0);
// An outline of the given thickness whose outer edge is the rounded rectangle.
void StrokeRoundRect(platform::Image& img, double x, double y, double w, double h, double radius, double thickness, platform::Rgb c,
                     double alpha = 1.0);
void FillEllipse(platform::Image& img, double cx, double cy, double rx, double ry, platform::Rgb c, double alpha = 1.0);
void StrokeEllipse(platform::Image& img, double cx, double cy, double rx, double ry, double thickness, platform::Rgb c, double alpha = 1.0);
// A straight stroke with square ends.
void StrokeLine(platform::Image& img, PointF a, PointF b, double thickness, platform::Rgb c, double alpha = 1.0);

// The rectangle r of src as an image of its own (parts outside src stay black).
platform::Image Crop(const platform::Image& src, platform::Rect r);
// Area-averaged reduction to w x h; what a thumbnail maker does.
platform::Image Downscale(const platform::Image& src, int w, int h);

// A TrueType face at one pixel size, drawing UTF-8 text with grey-scale
// anti-aliasing blended over whatever is already in the image.
class TextFace {
public:
    // Throws std::runtime_error when the file cannot be opened as a font.
    TextFace(const std::string& ttfPath, int pixelSize);
    ~TextFace();
    TextFace(const TextFace&) = delete;
    TextFace& operator=(const TextFace&) = delete;

    int Ascent() const;   // pixels above the baseline
    int Descent() const;  // pixels below it (positive)
    int LineHeight() const { return Ascent() + Descent(); }
    int Measure(std::string_view utf8) const;
    // Draws with the top of the line box at y; returns the pen position after the text.
    int Draw(platform::Image& img, int x, int y, std::string_view utf8, platform::Rgb c, double alpha = 1.0) const;
    // Centres the text in r, both ways.
    void DrawCentred(platform::Image& img, platform::Rect r, std::string_view utf8, platform::Rgb c, double alpha = 1.0) const;
    // Draws the longest prefix that fits maxWidth, ending it with "..." when cut.
    void DrawFitted(platform::Image& img, int x, int y, int maxWidth, std::string_view utf8, platform::Rgb c, double alpha = 1.0) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// DejaVu faces by role; the folder comes from fonts-dejavu-core.
std::string FontPath(const char* file);  // "DejaVuSans.ttf" -> full path
const TextFace& Face(const char* file, int pixelSize);  // cached for the process

}  // namespace art
