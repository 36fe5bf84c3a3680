#include "test_chart.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tz::ctl {

namespace {

using Colour = std::array<uint8_t, 3>;

constexpr Colour kBlack{0, 0, 0};
constexpr Colour kWhite{255, 255, 255};

class Canvas {
public:
    Canvas(int width, int height) {
        image_.width = width;
        image_.height = height;
        image_.pixels.assign(size_t(width) * height * 3, 255);
    }
    int width() const { return image_.width; }
    int height() const { return image_.height; }
    // Relative positions: fractions of the width and the height.
    int x(double fraction) const { return static_cast<int>(std::lround(fraction * image_.width)); }
    int y(double fraction) const { return static_cast<int>(std::lround(fraction * image_.height)); }

    void set(int px, int py, const Colour& c) {
        if (px < 0 || py < 0 || px >= image_.width || py >= image_.height) return;
        uint8_t* p = image_.pixels.data() + (size_t(py) * image_.width + px) * 3;
        p[0] = c[0];
        p[1] = c[1];
        p[2] = c[2];
    }
    // The rectangle [x0, x1) x [y0, y1), clipped to the canvas.
    void fill(int x0, int y0, int x1, int y1, const Colour& c) {
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, image_.width);
        y1 = std::min(y1, image_.height);
        for (int py = y0; py < y1; ++py)
            for (int px = x0; px < x1; ++px) set(px, py, c);
    }
    void outline(int x0, int y0, int x1, int y1, int thickness, const Colour& c) {
        fill(x0, y0, x1, y0 + thickness, c);
        fill(x0, y1 - thickness, x1, y1, c);
        fill(x0, y0, x0 + thickness, y1, c);
        fill(x1 - thickness, y0, x1, y1, c);
    }
    RgbImage take() { return std::move(image_); }

private:
    RgbImage image_;
};

uint8_t ramp(int position, int length) {
    return static_cast<uint8_t>(length <= 1 ? 0 : (position * 255 + (length - 1) / 2) / (length - 1));
}

void patches(Canvas& canvas, int line) {
    static constexpr std::array<Colour, 8> kPatches{Colour{255, 0, 0}, Colour{0, 255, 0}, Colour{0, 0, 255},
                                                    Colour{0, 255, 255}, Colour{255, 0, 255}, Colour{255, 255, 0},
                                                    kBlack, kWhite};
    const int top = canvas.y(0.08), bottom = canvas.y(0.22);
    const int left = canvas.x(0.05), right = canvas.x(0.95);
    const int n = static_cast<int>(kPatches.size());
    for (int i = 0; i < n; ++i) {
        const int x0 = left + (right - left) * i / n, x1 = left + (right - left) * (i + 1) / n;
        canvas.fill(x0, top, x1, bottom, kPatches[i]);
    }
    const int last = left + (right - left) * (n - 1) / n;
    canvas.outline(last, top, right, bottom, line, kBlack);  // the white patch, outlined
}

void grey_ramp(Canvas& canvas) {
    const int top = canvas.y(0.24), bottom = canvas.y(0.32);
    const int left = canvas.x(0.05), right = canvas.x(0.95);
    constexpr int kSteps = 11;
    for (int i = 0; i < kSteps; ++i) {
        const uint8_t v = ramp(i, kSteps);
        canvas.fill(left + (right - left) * i / kSteps, top, left + (right - left) * (i + 1) / kSteps, bottom,
                    Colour{v, v, v});
    }
}

void gradients(Canvas& canvas) {
    const int left = canvas.x(0.05), right = canvas.x(0.95);
    const double tops[4] = {0.34, 0.39, 0.44, 0.49};
    for (int band = 0; band < 4; ++band) {
        const int top = canvas.y(tops[band]), bottom = canvas.y(tops[band] + 0.045);
        for (int px = left; px < right; ++px) {
            const uint8_t v = ramp(px - left, right - left);
            Colour c{0, 0, 0};
            if (band == 3)
                c = Colour{v, v, v};
            else
                c[band] = v;
            canvas.fill(px, top, px + 1, bottom, c);
        }
    }
}

// A ring with cross hairs, round only when the print keeps the proportions,
// and an upright F (which no rotation or mirror image leaves unchanged).
void circle_and_letter(Canvas& canvas, int line) {
    const int cx = canvas.x(0.27), cy = canvas.y(0.76);
    const int radius = std::min(canvas.x(0.2), canvas.y(0.2));
    const double outer = radius, inner = radius - std::max(2, line);
    for (int py = cy - radius; py <= cy + radius; ++py)
        for (int px = cx - radius; px <= cx + radius; ++px) {
            const double d = std::hypot(px - cx, py - cy);
            if (d <= outer && d >= inner) canvas.set(px, py, kBlack);
        }
    canvas.fill(cx - radius, cy, cx + radius + 1, cy + 1, Colour{128, 128, 128});
    canvas.fill(cx, cy - radius, cx + 1, cy + radius + 1, Colour{128, 128, 128});
    const int s = std::max(1, radius / 8);  // stroke
    const int fx = cx - 2 * s, fy = cy - 4 * s;
    canvas.fill(fx, fy, fx + s, fy + 8 * s, Colour{200, 0, 0});          // stem
    canvas.fill(fx, fy, fx + 4 * s, fy + s, Colour{200, 0, 0});          // top bar
    canvas.fill(fx, fy + 3 * s, fx + 3 * s, fy + 4 * s, Colour{200, 0, 0});  // middle bar
}

void fine_lines(Canvas& canvas) {
    const int left = canvas.x(0.55), right = canvas.x(0.95);
    const int top = canvas.y(0.58), bottom = canvas.y(0.95);
    const int middle = (top + bottom) / 2;
    for (int group = 0; group < 3; ++group) {
        const int pitch = group + 1;  // one black line, then `pitch` white ones
        const int x0 = left + (right - left) * group / 3, x1 = left + (right - left) * (group + 1) / 3 - 4;
        for (int px = x0; px < x1; px += pitch + 1) canvas.fill(px, top, px + 1, middle - 4, kBlack);
        for (int py = middle + 4; py < bottom; py += pitch + 1) canvas.fill(x0, py, x1, py + 1, kBlack);
    }
}

void orientation_marks(Canvas& canvas, int frame) {
    // Top left: a solid right triangle in the corner.
    const int leg = std::max(8, std::min(canvas.width(), canvas.height()) / 16);
    for (int py = 0; py < leg; ++py) canvas.fill(frame, frame + py, frame + leg - py, frame + py + 1, kBlack);
    // Top centre: an arrow pointing up.
    const int cx = canvas.width() / 2, head = std::max(6, canvas.y(0.03)), top = frame + std::max(2, canvas.y(0.005));
    for (int py = 0; py < head; ++py) canvas.fill(cx - py, top + py, cx + py + 1, top + py + 1, kBlack);
    canvas.fill(cx - head / 3, top + head, cx + head / 3 + 1, top + 2 * head, kBlack);
}

}  // namespace

RgbImage make_test_chart(int width, int height) {
    Canvas canvas(width, height);
    const int frame = std::max(2, std::min(width, height) / 200);
    patches(canvas, frame);
    grey_ramp(canvas);
    gradients(canvas);
    circle_and_letter(canvas, frame);
    fine_lines(canvas);
    canvas.outline(0, 0, width, height, frame, kBlack);
    orientation_marks(canvas, frame);
    return canvas.take();
}

}  // namespace tz::ctl
