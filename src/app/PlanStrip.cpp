#include "app/PlanStrip.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace tabrix {

namespace {

// Shapes reaching far outside the lane are cut a little beyond it, so no painter is handed
// coordinates in the millions.
constexpr double offLanePixels = 4.0;

// Scroll bars hold ints; a plan wider than this many pixels is scrolled in coarser units.
constexpr double maxScrollUnits = 1.0e9;

} // namespace

void PlanStrip::setPlan(ConformPlan plan)
{
    shown = std::move(plan);
    fitAll();
}

void PlanStrip::setLaneWidth(double pixels)
{
    widthPixels = std::max(1.0, pixels);
    if (fit || scale >= fitScale())
        fitAll();
    else
        clampLeft();
}

void PlanStrip::fitAll()
{
    fit = true;
    scale = fitScale();
    leftFrame = double(shown.start());
}

double PlanStrip::fitScale() const noexcept
{
    return shown.empty() ? 0.0 : double(shown.end() - shown.start()) / widthPixels;
}

double PlanStrip::closestScale() const noexcept
{
    return std::min(fitScale(), double(shown.sampleRate()) / maxPixelsPerSecond);
}

bool PlanStrip::canZoomIn() const noexcept
{
    return !shown.empty() && scale > closestScale();
}

void PlanStrip::zoomIn()
{
    zoomAt(1.0, widthPixels / 2.0);
}

void PlanStrip::zoomOut()
{
    zoomAt(-1.0, widthPixels / 2.0);
}

void PlanStrip::zoomAt(double steps, double x)
{
    if (shown.empty())
        return;
    setScale(scale / std::pow(zoomStep, steps), x);
}

void PlanStrip::setScale(double framesPerPixel, double anchorX)
{
    const double wanted = std::clamp(framesPerPixel, closestScale(), fitScale());
    if (wanted >= fitScale()) {
        fitAll();
        return;
    }
    const double anchorFrame = frameAt(anchorX);
    fit = false;
    scale = wanted;
    leftFrame = anchorFrame - anchorX * scale;
    clampLeft();
}

void PlanStrip::clampLeft() noexcept
{
    const double lastLeft = double(shown.end()) - widthPixels * scale;
    leftFrame = std::clamp(leftFrame, double(shown.start()),
                           std::max(double(shown.start()), lastLeft));
}

void PlanStrip::scrollBy(double pixels)
{
    leftFrame += pixels * scale;
    clampLeft();
}

void PlanStrip::showStretch(SamplePos from, SamplePos to)
{
    if (shown.empty() || to <= from)
        return;
    setScale(double(to - from) / widthPixels, 0.0);
    leftFrame = double(from);
    clampLeft();
}

bool PlanStrip::onKey(PlanKey key)
{
    const double arrow = arrowScrollShare * widthPixels;
    switch (key) {
    case PlanKey::ZoomIn: zoomIn(); break;
    case PlanKey::ZoomOut: zoomOut(); break;
    case PlanKey::FitAll: fitAll(); break;
    case PlanKey::Left: scrollBy(-arrow); break;
    case PlanKey::Right: scrollBy(arrow); break;
    case PlanKey::PageLeft: scrollBy(-9.0 * arrow); break;
    case PlanKey::PageRight: scrollBy(9.0 * arrow); break;
    case PlanKey::Home: leftFrame = double(shown.start()); clampLeft(); break;
    case PlanKey::End: leftFrame = double(shown.end()); clampLeft(); break;
    }
    return !shown.empty();
}

bool PlanStrip::onWheel(double notches, bool zoomModifier, double x)
{
    if (shown.empty())
        return false;
    if (zoomModifier) {
        zoomAt(notches, x);
        return true;
    }
    if (fit)
        return false;
    // Away from the user moves towards the plan's start, as a wheel scrolls a page up.
    scrollBy(-notches * arrowScrollShare * widthPixels);
    return true;
}

double PlanStrip::scrollUnitPixels() const noexcept
{
    const double contentPixels = fitScale() * widthPixels / std::max(scale, 1e-9);
    return contentPixels > maxScrollUnits ? contentPixels / maxScrollUnits : 1.0;
}

PlanScrollState PlanStrip::scrollState() const noexcept
{
    if (fit || shown.empty())
        return {0, std::max(1, int(widthPixels)), 0};
    const double unit = scrollUnitPixels();
    const double contentPixels = double(shown.end() - shown.start()) / scale;
    const double pageUnits = std::max(1.0, widthPixels / unit);
    return {int(std::ceil(contentPixels / unit - pageUnits)), int(pageUnits),
            int(std::lround((leftFrame - double(shown.start())) / scale / unit))};
}

void PlanStrip::scrollToValue(int value)
{
    if (fit)
        return;
    leftFrame = double(shown.start()) + double(value) * scrollUnitPixels() * scale;
    clampLeft();
}

double PlanStrip::xOf(double frame) const noexcept
{
    return scale > 0.0 ? (frame - leftFrame) / scale : 0.0;
}

double PlanStrip::frameAt(double x) const noexcept
{
    return leftFrame + x * scale;
}

FadeEnd PlanStrip::fadeEnd(bool fades, double blockPixels) const noexcept
{
    if (!fades || blockPixels < minFadeBlockPixels || scale <= 0.0)
        return {};
    const double fadePixels = double(shown.fadeFrames()) / scale;
    if (fadePixels < minFadePixels)
        return {FadeDrawing::Mark, 0.0};
    return {FadeDrawing::Slope, std::min(fadePixels, blockPixels / 2.0)};
}

std::vector<PlanBlockShape> PlanStrip::blockShapes() const
{
    std::vector<PlanBlockShape> shapes;
    const std::vector<PlanSegment>& segments = shown.segments();
    // An end cut off at the lane's edge has no fade to show there.
    const auto fadeInShown = [&](std::size_t i) {
        return segments[i].fadeIn && xOf(double(segments[i].start)) >= -offLanePixels;
    };
    const auto fadeOutShown = [&](std::size_t i) {
        return segments[i].fadeOut && xOf(double(segments[i].end)) <= widthPixels + offLanePixels;
    };
    const double lastFrame = visibleEnd();
    for (std::size_t i = shown.firstEndingAfter(SamplePos(std::max(0.0, leftFrame)));
         i < segments.size() && double(segments[i].start) < lastFrame; ++i) {
        const double trueLeft = xOf(double(segments[i].start));
        const double trueRight = xOf(double(segments[i].end));
        const double left = std::max(trueLeft, -offLanePixels);
        const double right = std::min(trueRight, widthPixels + offLanePixels);
        // A block ending in the pixel column where the last shape ends can't be told apart
        // from it: it widens that shape instead (a gap between them is painted over it).
        if (!shapes.empty() && right <= std::ceil(shapes.back().right)) {
            PlanBlockShape& last = shapes.back();
            last.right = std::max(last.right, right);
            ++last.segmentCount;
            last.fadeIn = fadeEnd(fadeInShown(last.segment), last.right - last.left);
            last.fadeOut = fadeEnd(fadeOutShown(i), last.right - last.left);
            continue;
        }
        shapes.push_back({i, 1, left, right, fadeEnd(fadeInShown(i), trueRight - trueLeft),
                          fadeEnd(fadeOutShown(i), trueRight - trueLeft)});
    }
    return shapes;
}

PlanGapShape PlanStrip::gapShape(std::size_t after) const
{
    const PlanSegment& before = shown.segments()[after];
    const PlanSegment& next = shown.segments()[after + 1];
    PlanGapShape gap{after, before.end, next.start, xOf(double(before.end)),
                     xOf(double(next.start))};
    const double missing = minGapPixels - (gap.right - gap.left);
    if (missing > 0.0) {
        gap.left -= missing / 2.0;
        gap.right += missing / 2.0;
    }
    return gap;
}

std::vector<PlanGapShape> PlanStrip::gapShapes() const
{
    std::vector<PlanGapShape> gaps;
    const std::vector<PlanSegment>& segments = shown.segments();
    if (segments.size() < 2)
        return gaps;
    // Start one block early: a widened gap may reach into the lane from just outside it.
    const double margin = minGapPixels * scale;
    std::size_t first = shown.firstEndingAfter(SamplePos(std::max(0.0, leftFrame - margin)));
    first = first > 0 ? first - 1 : 0;
    const double lastFrame = visibleEnd() + margin;
    for (std::size_t i = first; i + 1 < segments.size() && double(segments[i].end) < lastFrame;
         ++i) {
        if (segments[i].end == segments[i + 1].start)
            continue;
        PlanGapShape gap = gapShape(i);
        if (gap.right < -offLanePixels || gap.left > widthPixels + offLanePixels)
            continue;
        gap.left = std::max(gap.left, -offLanePixels);
        gap.right = std::min(gap.right, widthPixels + offLanePixels);
        if (!gaps.empty() && gap.left <= gaps.back().right) {
            gaps.back().right = std::max(gaps.back().right, gap.right);
            gaps.back().end = gap.end;
            continue;
        }
        gaps.push_back(gap);
    }
    return gaps;
}

std::vector<PlanTickShape> PlanStrip::rulerTicks(double labelPixels) const
{
    std::vector<PlanTickShape> ticks;
    if (shown.empty() || labelPixels <= 0.0)
        return ticks;
    const auto maxTicks = static_cast<std::size_t>(std::max(1.0, widthPixels / labelPixels));
    const auto from = SamplePos(std::max(0.0, std::ceil(leftFrame)));
    const auto to = std::min(shown.end(), SamplePos(std::max(0.0, visibleEnd())));
    for (RulerTick& tick : shown.times().rulerTicks(from, to, maxTicks))
        ticks.push_back({xOf(double(tick.position)), std::move(tick.label)});
    return ticks;
}

std::string PlanStrip::gapText(const PlanGapShape& gap) const
{
    const TimeFormat& times = shown.times();
    return "Silence, " + times.range(gap.start, gap.end) + ", " + times.length(gap.end - gap.start);
}

PlanHit PlanStrip::hitAt(double x) const
{
    PlanHit hit;
    if (shown.empty() || x < 0.0 || x >= widthPixels)
        return hit;
    // The gaps nearest the pointer first: a widened gap covers the blocks' edges.
    const std::vector<PlanSegment>& segments = shown.segments();
    const double reach = minGapPixels * scale;
    std::size_t i = shown.firstEndingAfter(SamplePos(std::max(0.0, frameAt(x) - reach)));
    i = i > 0 ? i - 1 : 0;
    double nearest = std::numeric_limits<double>::max();
    for (; i + 1 < segments.size() && double(segments[i].end) <= frameAt(x) + reach; ++i) {
        if (segments[i].end == segments[i + 1].start)
            continue;
        const PlanGapShape gap = gapShape(i);
        const double distance = std::abs((gap.left + gap.right) / 2.0 - x);
        if (x >= gap.left && x < gap.right && distance < nearest) {
            nearest = distance;
            hit = {PlanHit::Kind::Gap, i, gap.left, gap.right, gapText(gap)};
        }
    }
    if (hit.kind == PlanHit::Kind::Gap)
        return hit;
    const double frame = frameAt(x);
    if (frame < 0.0)
        return hit;
    if (const std::optional<std::size_t> index = shown.segmentAt(SamplePos(frame))) {
        const PlanSegment& segment = segments[*index];
        hit = {PlanHit::Kind::Block, *index, std::max(0.0, xOf(double(segment.start))),
               std::min(widthPixels, xOf(double(segment.end))), shown.describe(*index)};
    }
    return hit;
}

} // namespace tabrix
