#include "app/PlanStrip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace tabrix;

namespace {

constexpr std::uint32_t rate = 48000;
constexpr SamplePos second = rate;
constexpr SamplePos tenOClock = 10 * 3600 * second;
constexpr SamplePos fadeFrames = 1024;

// `count` back-to-back takes of `seconds` each from 10:00:00, each its own recording, with a
// second of silence after every `gapEvery`-th (0: none).
ConformPlan dayPlan(std::size_t count, double seconds, std::size_t gapEvery = 0)
{
    std::vector<PlanSegment> blocks;
    SamplePos at = tenOClock;
    for (std::size_t i = 0; i < count; ++i) {
        const auto frames = SamplePos(seconds * rate);
        blocks.push_back({"T" + std::to_string(i) + ".wav", at, at + frames, 0, i,
                          ConformPlan::colourOf(i), true, true});
        at += frames + (gapEvery != 0 && (i + 1) % gapEvery == 0 ? second : 0);
    }
    return ConformPlan::ofBlocks(std::move(blocks), rate, fadeFrames);
}

PlanStrip stripOf(ConformPlan plan, double widthPixels = 1000.0)
{
    PlanStrip strip;
    strip.setLaneWidth(widthPixels);
    strip.setPlan(std::move(plan));
    return strip;
}

} // namespace

TEST(PlanStripZoom, KeepsTheTimeUnderThePointerWithinTheClosestAndTheWholeView)
{
    for (const double x : {0.0, 250.5, 999.0}) {
        SCOPED_TRACE(x);
        PlanStrip strip = stripOf(dayPlan(100, 10.0)); // 1000 s on 1000 pixels
        EXPECT_DOUBLE_EQ(strip.framesPerPixel(), 48000.0);
        const double before = strip.frameAt(x);
        strip.zoomAt(2.0, x);
        EXPECT_DOUBLE_EQ(strip.framesPerPixel(), 48000.0 / 2.25);
        EXPECT_NEAR(strip.frameAt(x), before, 1e-3);
        EXPECT_FALSE(strip.fitted());
        for (int step = 0; step < 100; ++step)
            strip.zoomIn();
        EXPECT_DOUBLE_EQ(strip.framesPerPixel(), rate / PlanStrip::maxPixelsPerSecond);
        EXPECT_FALSE(strip.canZoomIn());
        // Zooming out near an end never shows anything outside the plan.
        strip.zoomAt(-3.0, x);
        EXPECT_GE(strip.visibleStart(), double(tenOClock));
        EXPECT_LE(strip.visibleEnd(), double(tenOClock + 1000 * second) + 1e-3);
        for (int step = 0; step < 100 && strip.canZoomOut(); ++step)
            strip.zoomOut();
        EXPECT_TRUE(strip.fitted());
        EXPECT_DOUBLE_EQ(strip.visibleStart(), double(tenOClock));
        EXPECT_DOUBLE_EQ(strip.framesPerPixel(), 48000.0);
    }
}

TEST(PlanStripZoom, ShowsAStretchAcrossTheLaneWithinWhatThePlanAllows)
{
    PlanStrip strip = stripOf(dayPlan(100, 10.0)); // 10:00:00 to 10:16:40
    struct Case { SamplePos from, to; double start, end; bool fitted; };
    const Case cases[] = {
        {tenOClock + 60 * second, tenOClock + 120 * second, 60.0, 120.0, false},
        {tenOClock + 990 * second, tenOClock + 1050 * second, 940.0, 1000.0, false}, // kept in
        {tenOClock - 60 * second, tenOClock + 2000 * second, 0.0, 1000.0, true},
        {tenOClock, tenOClock + 10, 0.0, 1000.0 * 10.0 / 48000.0, false}, // the closest zoom
    };
    for (const Case& c : cases) {
        strip.showStretch(c.from, c.to);
        EXPECT_NEAR((strip.visibleStart() - double(tenOClock)) / second, c.start, 1e-9);
        EXPECT_NEAR((strip.visibleEnd() - double(tenOClock)) / second, c.end, 1e-9);
        EXPECT_EQ(strip.fitted(), c.fitted);
    }
}

TEST(PlanStripZoom, AResizedLaneKeepsTheWholePlanOrTheZoomAndLeftEdge)
{
    PlanStrip strip = stripOf(dayPlan(100, 10.0));
    strip.setLaneWidth(2000.0);
    EXPECT_TRUE(strip.fitted());
    EXPECT_DOUBLE_EQ(strip.framesPerPixel(), 24000.0);
    strip.zoomAt(3.0, 500.0);
    const double scale = strip.framesPerPixel(), left = strip.visibleStart();
    strip.setLaneWidth(1500.0);
    EXPECT_DOUBLE_EQ(strip.framesPerPixel(), scale);
    EXPECT_DOUBLE_EQ(strip.visibleStart(), left);
    strip.setLaneWidth(1e7); // wider than the zoomed plan: all of it shows
    EXPECT_TRUE(strip.fitted());
}

TEST(PlanStripScroll, KeysWheelAndScrollBarMoveAZoomedPlanWithinItsEnds)
{
    PlanStrip strip = stripOf(dayPlan(100, 10.0));
    EXPECT_FALSE(strip.onWheel(1.0, false, 500.0)); // whole: the window may use the wheel
    EXPECT_EQ(strip.scrollState().maximum, 0);
    EXPECT_TRUE(strip.onWheel(4.0, true, 0.0)); // zoom at the left edge
    const double scale = strip.framesPerPixel(); // 48000 / 1.5^4 frames a pixel
    EXPECT_DOUBLE_EQ(strip.visibleStart(), double(tenOClock));

    struct Step { PlanKey key; double expectedLeftPixels; };
    const double contentPixels = 1000.0 * second / scale, last = contentPixels - 1000.0;
    const Step steps[] = {
        {PlanKey::Right, 100.0}, {PlanKey::PageRight, 1000.0}, {PlanKey::Left, 900.0},
        {PlanKey::End, last},    {PlanKey::Right, last},       {PlanKey::PageLeft, last - 900.0},
        {PlanKey::Home, 0.0},    {PlanKey::Left, 0.0},
    };
    for (const Step& step : steps) {
        EXPECT_TRUE(strip.onKey(step.key));
        EXPECT_NEAR((strip.visibleStart() - double(tenOClock)) / scale, step.expectedLeftPixels,
                    1e-6)
            << int(step.key);
    }
    EXPECT_TRUE(strip.onWheel(-2.0, false, 500.0)); // towards the user: later in the day
    EXPECT_NEAR((strip.visibleStart() - double(tenOClock)) / scale, 200.0, 1e-6);

    const PlanScrollState state = strip.scrollState();
    EXPECT_EQ(state.page, 1000);
    EXPECT_EQ(state.maximum, int(std::ceil(last)));
    EXPECT_EQ(state.value, 200);
    strip.scrollToValue(state.maximum);
    EXPECT_DOUBLE_EQ(strip.visibleEnd(), double(tenOClock + 1000 * second));
    EXPECT_TRUE(strip.onKey(PlanKey::FitAll));
    EXPECT_TRUE(strip.fitted());
}

// A day of 2000 takes is painted at about one shape per pixel, and zoomed in only where it shows.
TEST(PlanStripPainting, PaintsOnlyWhatIsVisibleAtAboutOneShapePerPixel)
{
    PlanStrip strip = stripOf(dayPlan(2000, 14.4, 50)); // 8 hours, a second's gap every 12 min
    const std::vector<PlanBlockShape> whole = strip.blockShapes();
    EXPECT_LE(whole.size(), 1001u);
    EXPECT_EQ(whole.front().segment, 0u);
    EXPECT_EQ(whole.back().segment + whole.back().segmentCount, 2000u);
    std::size_t shown = 0;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        shown += whole[i].segmentCount;
        if (i > 0) {
            EXPECT_EQ(whole[i].segment, whole[i - 1].segment + whole[i - 1].segmentCount);
            EXPECT_GE(whole[i].left, whole[i - 1].right - 1e-9); // in order, none on another
        }
    }
    EXPECT_EQ(shown, 2000u); // every take is in some shape
    const std::vector<PlanGapShape> gaps = strip.gapShapes();
    ASSERT_EQ(gaps.size(), 39u);
    for (const PlanGapShape& gap : gaps)
        EXPECT_NEAR(gap.right - gap.left, PlanStrip::minGapPixels, 1e-9);

    strip.zoomAt(40.0, 510.0); // 1000 pixels are now about 0.2 s, inside take 1018
    const std::vector<PlanBlockShape> zoomed = strip.blockShapes();
    ASSERT_GE(zoomed.size(), 1u);
    EXPECT_LE(zoomed.size(), 2u);
    for (const PlanBlockShape& shape : zoomed) {
        const PlanSegment& segment = strip.plan().segments()[shape.segment];
        EXPECT_LT(double(segment.start), strip.visibleEnd());
        EXPECT_GT(double(segment.end), strip.visibleStart());
        EXPECT_GE(shape.left, -4.0);
        EXPECT_LE(shape.right, 1004.0);
    }
}

TEST(PlanStripPainting, FadesShowTheirRealLengthWhenZoomedInAndAMarkOtherwise)
{
    // A, then B and C: two files of one recording, which meet without a fade.
    const std::vector<PlanSegment> blocks{
        {"A.wav", 0, 10 * second, 0, 0, {}, true, true},
        {"B.wav", 10 * second, 20 * second, 0, 1, {}, true, false},
        {"C.wav", 20 * second, 30 * second, 0, 1, {}, false, true},
        {"D.wav", 30 * second, 30 * second + 100, 0, 2, {}, true, true}, // 2 ms
    };
    PlanStrip strip = stripOf(ConformPlan::ofBlocks(blocks, rate, fadeFrames));
    struct Case { double scale; FadeDrawing splice; double slopePixels; };
    const Case cases[] = {
        {30.0 * second / 1000.0, FadeDrawing::Mark, 0.0}, // whole: 0.7 pixels a fade
        {1024.0 / 2.9, FadeDrawing::Mark, 0.0},
        {1024.0 / 3.0, FadeDrawing::Slope, 3.0},
        {10.0, FadeDrawing::Slope, 102.4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        strip.fitAll();
        strip.zoomAt(std::log(strip.framesPerPixel() / c.scale) / std::log(PlanStrip::zoomStep),
                     0.0);
        ASSERT_NEAR(strip.framesPerPixel(), c.scale, 1e-6);
        // Bring the splice between A and B (and the one of B and C) into view.
        strip.scrollBy(strip.xOf(double(10 * second)) - 500.0);
        for (const PlanBlockShape& shape : strip.blockShapes()) {
            const PlanSegment& segment = blocks[shape.segment];
            ASSERT_EQ(shape.segmentCount, 1u);
            const bool wide = shape.right - shape.left >= PlanStrip::minFadeBlockPixels;
            // An end outside the lane shows no fade at the lane's edge.
            const bool startShown = strip.xOf(double(segment.start)) >= -4.0;
            const bool endShown = strip.xOf(double(segment.end)) <= 1004.0;
            const auto expect = [&](const FadeEnd& end, bool fades) {
                EXPECT_EQ(end.drawing, fades && wide ? c.splice : FadeDrawing::None)
                    << segment.takeName;
                if (end.drawing == FadeDrawing::Slope) {
                    EXPECT_NEAR(end.slopePixels, c.slopePixels, 1e-6);
                }
            };
            expect(shape.fadeIn, segment.fadeIn && startShown);
            expect(shape.fadeOut, segment.fadeOut && endShown);
        }
    }
}

// The issue's own case: one second of silence in a day is found, named and timed.
TEST(PlanStripHover, AGapSaysItIsSilenceWhereverItIsEvenBelowAPixel)
{
    const std::vector<PlanSegment> blocks{
        {"A.wav", tenOClock, tenOClock + 9 * second, 0, 0, {}, true, true},
        {"B.wav", tenOClock + 10 * second, tenOClock + 8 * 3600 * second, 0, 1, {}, true, true},
    };
    PlanStrip strip = stripOf(ConformPlan::ofBlocks(blocks, rate, fadeFrames));
    const std::string silence = "Silence, 10:00:09.00\u201310:00:10.00, 1.00 s";
    const double gapX = strip.xOf(double(tenOClock + 9 * second)); // 0.3 pixels in
    struct Probe { double x; PlanHit::Kind kind; std::size_t index; };
    const Probe whole[] = {{gapX, PlanHit::Kind::Gap, 0}, {gapX + 0.9, PlanHit::Kind::Gap, 0},
                           {gapX + 1.1, PlanHit::Kind::Block, 1}, {600.0, PlanHit::Kind::Block, 1},
                           {-1.0, PlanHit::Kind::None, 0}, {1000.0, PlanHit::Kind::None, 0}};
    for (const Probe& p : whole) {
        SCOPED_TRACE(p.x);
        const PlanHit hit = strip.hitAt(p.x);
        EXPECT_EQ(hit.kind, p.kind);
        EXPECT_EQ(hit.index, p.index);
        if (hit.kind == PlanHit::Kind::Gap) {
            EXPECT_EQ(hit.tooltip, silence);
            EXPECT_LE(hit.left, p.x);
            EXPECT_GT(hit.right, p.x);
        }
    }
    EXPECT_EQ(strip.hitAt(600.0).tooltip, strip.plan().describe(1));

    // Zoomed in, the gap is as wide as it is long and the blocks begin at its edges.
    strip.zoomAt(21.0, gapX); // a second is now about 140 pixels
    strip.scrollBy(strip.xOf(double(tenOClock + 9 * second)) - 400.0);
    const double left = strip.xOf(double(tenOClock + 9 * second));
    const double right = strip.xOf(double(tenOClock + 10 * second));
    ASSERT_GT(right - left, 100.0);
    EXPECT_EQ(strip.hitAt(left - 1.0).kind, PlanHit::Kind::Block);
    EXPECT_EQ(strip.hitAt(left + 1.0).tooltip, silence);
    EXPECT_EQ(strip.hitAt(right - 1.0).kind, PlanHit::Kind::Gap);
    EXPECT_EQ(strip.hitAt(right + 1.0).index, 1u);
    ASSERT_EQ(strip.gapShapes().size(), 1u);
    EXPECT_NEAR(strip.gapShapes()[0].left, left, 1e-9);
}

TEST(PlanStripRuler, MarksTheVisibleStretchAtItsOwnSpacing)
{
    PlanStrip strip = stripOf(dayPlan(3, 10.0)); // 10:00:00 to 10:00:30
    std::vector<std::string> labels;
    for (const PlanTickShape& tick : strip.rulerTicks(100.0))
        labels.push_back(tick.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"10:00:00", "10:00:05", "10:00:10", "10:00:15",
                                                "10:00:20", "10:00:25", "10:00:30"}));
    EXPECT_NEAR(strip.rulerTicks(100.0)[1].x, 1000.0 / 6.0, 1e-9);
    strip.zoomAt(std::log(30.0) / std::log(PlanStrip::zoomStep), 500.0); // one second shown
    labels.clear();
    for (const PlanTickShape& tick : strip.rulerTicks(100.0)) {
        labels.push_back(tick.label);
        EXPECT_GE(tick.x, 0.0);
        EXPECT_LE(tick.x, 1000.0);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"10:00:14.60", "10:00:14.80", "10:00:15.00",
                                                "10:00:15.20", "10:00:15.40"}));
    EXPECT_TRUE(PlanStrip{}.rulerTicks(100.0).empty());
}

