#include "IconPicture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace tabrix::win32 {

namespace {

struct Colour {
    double red, green, blue, alpha;
};

Colour mix(const Colour& under, const Colour& over)
{
    const double a = over.alpha;
    return {under.red * (1 - a) + over.red * a, under.green * (1 - a) + over.green * a,
            under.blue * (1 - a) + over.blue * a, under.alpha * (1 - a) + a};
}

// Equal-power curves: the outgoing take's gain is cos, the incoming one's sin.
double fadeOut(double x)
{
    return x < 0.45 ? 1.0 : x > 0.65 ? 0.0 : std::cos((x - 0.45) / 0.2 * std::numbers::pi / 2);
}

double fadeIn(double x)
{
    return x < 0.45 ? 0.0 : x > 0.65 ? 1.0 : std::sin((x - 0.45) / 0.2 * std::numbers::pi / 2);
}

// Distance from (px, py) to the tone y = sin(x * cycles * 2 pi) * gain(x) drawn across the
// wave area, measured to a polyline of 240 steps near px.
template <typename Gain>
double distanceToWave(double px, double py, double s, double cycles, Gain gain)
{
    const double left = s * 0.14, width = s * 0.72, middle = s * 0.5, height = s * 0.56;
    constexpr int steps = 240;
    const auto pointAt = [&](int i) {
        const double x = double(i) / steps;
        return std::array<double, 2>{left + x * width,
                                     middle - std::sin(x * cycles * 2 * std::numbers::pi) *
                                                  gain(x) * height / 2};
    };
    const int centre = int((px - left) / width * steps);
    const int reach = int(steps * s * 0.06 / width) + 2;
    double best = 1e9;
    for (int i = std::max(0, centre - reach); i < std::min(steps, centre + reach); ++i) {
        const auto a = pointAt(i), b = pointAt(i + 1);
        const double dx = b[0] - a[0], dy = b[1] - a[1];
        const double t =
            std::clamp(((px - a[0]) * dx + (py - a[1]) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        best = std::min(best, std::hypot(px - a[0] - t * dx, py - a[1] - t * dy));
    }
    return best;
}

// The colour at one point of the drawing.
Colour sample(double x, double y, double s)
{
    Colour colour{0, 0, 0, 0};
    // The tile: a rounded square with a diagonal gradient.
    const double inset = s * 0.04, size = s * 0.92, radius = s * 0.2;
    const double cx = std::clamp(x, inset + radius, inset + size - radius);
    const double cy = std::clamp(y, inset + radius, inset + size - radius);
    if (std::hypot(x - cx, y - cy) > radius || x < inset || y < inset || x > inset + size ||
        y > inset + size)
        return colour;
    const double along = std::clamp(((x - inset) + (y - inset)) / (2 * size), 0.0, 1.0);
    colour = {(0x1d + (0x0c - 0x1d) * along) / 255.0, (0x4e + (0x23 - 0x4e) * along) / 255.0,
              (0x6b + (0x33 - 0x6b) * along) / 255.0, 1.0};
    const double pen = std::max(1.0, s * 0.035) / 2;
    if (distanceToWave(x, y, s, 5.0, fadeOut) <= pen)
        colour = mix(colour, {0x7f / 255.0, 0xe0 / 255.0, 0xd0 / 255.0, 1.0});
    if (distanceToWave(x, y, s, 8.0, fadeIn) <= pen)
        colour = mix(colour, {1.0, 0xb3 / 255.0, 0x47 / 255.0, 1.0});
    // The splice: a faint line down the middle.
    if (std::abs(x - s * 0.55) <= std::max(0.5, s * 0.0075) && y >= s * 0.16 && y <= s * 0.84 &&
        std::fmod(y / std::max(1.0, s * 0.045), 2.0) < 1.0)
        colour = mix(colour, {1.0, 1.0, 1.0, 110 / 255.0});
    return colour;
}

} // namespace

std::vector<std::uint32_t> IconPicture::render(int sizePixels)
{
    // Four by four samples a pixel smooth the edges as an antialiased painter would.
    constexpr int grid = 4;
    const double s = sizePixels;
    std::vector<std::uint32_t> pixels(std::size_t(sizePixels) * std::size_t(sizePixels));
    for (int py = 0; py < sizePixels; ++py)
        for (int px = 0; px < sizePixels; ++px) {
            Colour sum{0, 0, 0, 0};
            for (int sy = 0; sy < grid; ++sy)
                for (int sx = 0; sx < grid; ++sx) {
                    const Colour c = sample(px + (sx + 0.5) / grid, py + (sy + 0.5) / grid, s);
                    sum = {sum.red + c.red * c.alpha, sum.green + c.green * c.alpha,
                           sum.blue + c.blue * c.alpha, sum.alpha + c.alpha};
                }
            const double alpha = sum.alpha / (grid * grid);
            const auto channel = [&](double premultiplied) {
                return sum.alpha > 0 ? std::uint32_t(std::lround(255 * premultiplied / sum.alpha))
                                     : 0u;
            };
            pixels[std::size_t(py) * std::size_t(sizePixels) + std::size_t(px)] =
                std::uint32_t(std::lround(alpha * 255)) << 24 | channel(sum.red) << 16 |
                channel(sum.green) << 8 | channel(sum.blue);
        }
    return pixels;
}

} // namespace tabrix::win32
