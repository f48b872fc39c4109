#pragma once
#include "frontend/ConformPlan.h"

namespace tabrix {

/// Colours the windows pick by contrast, so that text reads on light and dark themes alike.
class WindowColours {
public:
    /// The contrast every text colour chosen here keeps against its background (the ratio
    /// asked of body text).
    static constexpr double minimumContrast = 4.5;

    /// Relative luminance of a colour: 0 for black, 1 for white.
    static double luminance(PlanColour colour) noexcept;
    /// Contrast ratio of two colours: 1 (none) to 21 (black on white).
    static double contrast(PlanColour a, PlanColour b) noexcept;
    /// Black or white, whichever reads better on `background` (a take's name on its block).
    static PlanColour textOn(PlanColour background) noexcept;
    /// A red for the refusal on the summary line that reads on the window's `background`.
    static PlanColour refusalOn(PlanColour background) noexcept;
};

} // namespace tabrix
