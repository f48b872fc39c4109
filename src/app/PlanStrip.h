#pragma once
#include "frontend/ConformPlan.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tabrix {

/// How one end of a block shows its fade.
enum class FadeDrawing {
    None,  ///< no fade there, or the block is too narrow to show one
    Mark,  ///< a fade too short to draw at this zoom: a thin mark at the block's end
    Slope, ///< the fade drawn to its real length, `slopePixels` wide
};

struct FadeEnd {
    FadeDrawing drawing = FadeDrawing::None;
    double slopePixels = 0.0;
};

/// A block to paint, in lane pixels (0 is the lane's left edge). Neighbouring segments of one
/// pixel column are merged into one shape in the first one's colour, so a long plan paints
/// about one shape per pixel whatever its length.
struct PlanBlockShape {
    std::size_t segment = 0;      ///< index of the first segment it shows
    std::size_t segmentCount = 1; ///< segments merged into it
    double left = 0.0;
    double right = 0.0;
    FadeEnd fadeIn;
    FadeEnd fadeOut;
};

/// Silence between two blocks, painted at least `PlanStrip::minGapPixels` wide so that even a
/// short gap in a long day shows.
struct PlanGapShape {
    std::size_t after = 0; ///< the segment before the gap
    SamplePos start = 0;   ///< timeline frames
    SamplePos end = 0;
    double left = 0.0;     ///< lane pixels, already widened
    double right = 0.0;
};

/// A ruler mark at lane pixel `x`.
struct PlanTickShape {
    double x = 0.0;
    std::string label;
};

/// What is under the pointer, with the tooltip that names it.
struct PlanHit {
    enum class Kind { None, Block, Gap } kind = Kind::None;
    std::size_t index = 0; ///< the segment; for a gap the segment before it
    double left = 0.0;     ///< its extent in lane pixels, for the tooltip's area
    double right = 0.0;
    std::string tooltip;   ///< the block's three lines, or "Silence, <from>–<to>, <length>"
};

/// The scroll bar, in whole units a toolkit's scroll bar holds (pixels unless the zoomed plan
/// is too wide for that).
struct PlanScrollState {
    int maximum = 0; ///< 0: the whole plan is shown
    int page = 1;
    int value = 0;
};

/// The keys the strip answers; each front end maps its own key codes to them.
enum class PlanKey { ZoomIn, ZoomOut, FitAll, Left, Right, PageLeft, PageRight, Home, End };

/// The plan strip's decisions, free of any toolkit: which part of the plan is shown at which
/// zoom, what to paint there (only what is visible), how fades and gaps are drawn, and what
/// the pointer is over. The views only paint the shapes and forward input.
class PlanStrip {
public:
    /// One zoom step (a key, a button or a wheel notch) changes the scale by this factor.
    static constexpr double zoomStep = 1.5;
    /// The closest zoom: this many pixels a second of audio (about 0.2 ms a pixel).
    static constexpr double maxPixelsPerSecond = 4800.0;
    /// A fade narrower than this is drawn as a mark; wider, to its real length.
    static constexpr double minFadePixels = 3.0;
    /// Blocks narrower than this show no fade at all: marks would hide their colour.
    static constexpr double minFadeBlockPixels = 12.0;
    /// The narrowest a gap is painted: a line of the lane's background between two blocks.
    static constexpr double minGapPixels = 2.0;
    /// An arrow key scrolls this share of the lane; a page key 9 times as much.
    static constexpr double arrowScrollShare = 0.1;

    /// Shows `plan` whole.
    void setPlan(ConformPlan plan);
    const ConformPlan& plan() const noexcept { return shown; }
    /// The lane's width in pixels. A plan shown whole stays whole; a zoomed one keeps its scale
    /// and left edge as far as the plan allows.
    void setLaneWidth(double pixels);
    double laneWidth() const noexcept { return widthPixels; }

    /// Shows the whole plan.
    void fitAll();
    bool fitted() const noexcept { return fit; }
    bool canZoomIn() const noexcept;
    bool canZoomOut() const noexcept { return !fit; }
    /// One step in or out around the lane's centre.
    void zoomIn();
    void zoomOut();
    /// `steps` steps (fractions allowed, positive zooms in) around lane pixel `x`, which keeps
    /// the time under it.
    void zoomAt(double steps, double x);
    /// Moves the view `pixels` to the right (negative: left), within the plan.
    void scrollBy(double pixels);
    /// Shows the stretch from `from` to `to` (timeline frames) across the lane, as far as the
    /// plan and the closest zoom allow.
    void showStretch(SamplePos from, SamplePos to);
    /// A key: true when the strip used it.
    bool onKey(PlanKey key);
    /// A wheel turned `notches` (positive: away from the user) over lane pixel `x`; with the
    /// zoom modifier it zooms there, without it scrolls a zoomed plan. False when unused, so
    /// the window may scroll instead.
    bool onWheel(double notches, bool zoomModifier, double x);
    PlanScrollState scrollState() const noexcept;
    void scrollToValue(int value);

    /// Timeline frames a pixel stands for; 0 without a plan.
    double framesPerPixel() const noexcept { return scale; }
    /// The first and last frame the lane shows.
    double visibleStart() const noexcept { return leftFrame; }
    double visibleEnd() const noexcept { return leftFrame + widthPixels * scale; }
    /// Lane pixel of a timeline frame, and the frame at a lane pixel.
    double xOf(double frame) const noexcept;
    double frameAt(double x) const noexcept;

    /// The visible blocks, left to right, neighbours within one pixel merged.
    std::vector<PlanBlockShape> blockShapes() const;
    /// The visible gaps, left to right, widened to `minGapPixels`; gaps that would overlap on
    /// screen are merged into one shape.
    std::vector<PlanGapShape> gapShapes() const;
    /// Ruler marks over the visible stretch, at most one per `labelPixels` of lane.
    std::vector<PlanTickShape> rulerTicks(double labelPixels) const;
    /// The gap or block under lane pixel `x`; a gap wins within its widened extent.
    PlanHit hitAt(double x) const;

private:
    double fitScale() const noexcept;
    double closestScale() const noexcept;
    void setScale(double framesPerPixel, double anchorX);
    void clampLeft() noexcept;
    FadeEnd fadeEnd(bool fades, double blockPixels) const noexcept;
    PlanGapShape gapShape(std::size_t after) const;
    std::string gapText(const PlanGapShape& gap) const;
    double scrollUnitPixels() const noexcept;

    ConformPlan shown;
    double widthPixels = 1.0;
    double scale = 0.0;     ///< frames a pixel
    double leftFrame = 0.0; ///< the frame at the lane's left edge
    bool fit = true;
};

} // namespace tabrix
