#include "app/WindowColours.h"

#include <cmath>

namespace tabrix {

namespace {

constexpr PlanColour black{0, 0, 0};
constexpr PlanColour white{255, 255, 255};
constexpr PlanColour darkRed{0xa6, 0x1f, 0x17};  // on light windows
constexpr PlanColour lightRed{0xff, 0x8a, 0x80}; // on dark ones

double linear(std::uint8_t component) noexcept
{
    const double c = component / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

PlanColour better(PlanColour first, PlanColour second, PlanColour background) noexcept
{
    return WindowColours::contrast(first, background) >= WindowColours::contrast(second, background)
               ? first
               : second;
}

} // namespace

double WindowColours::luminance(PlanColour colour) noexcept
{
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
           0.0722 * linear(colour.blue);
}

double WindowColours::contrast(PlanColour a, PlanColour b) noexcept
{
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return la > lb ? la / lb : lb / la;
}

PlanColour WindowColours::textOn(PlanColour background) noexcept
{
    return better(white, black, background);
}

PlanColour WindowColours::refusalOn(PlanColour background) noexcept
{
    return better(darkRed, lightRed, background);
}

} // namespace tabrix
