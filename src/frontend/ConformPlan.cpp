#include "frontend/ConformPlan.h"

#include "audio/TakeList.h"
#include "frontend/ProjectSummary.h"
#include "project/ConformProject.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>

namespace tabrix {

namespace {

// Muted, distinct hues that read on light and dark window backgrounds alike; ordered so that
// neighbours differ clearly in hue.
constexpr std::array<PlanColour, 8> palette{{
    {0x3b, 0x7d, 0xc4}, // blue
    {0xe0, 0x8a, 0x2e}, // orange
    {0x4c, 0xa6, 0x6b}, // green
    {0xc4, 0x4e, 0x6a}, // raspberry
    {0x8a, 0x6b, 0xc9}, // violet
    {0x2e, 0xa8, 0xad}, // teal
    {0xc9, 0xa8, 0x2e}, // ochre
    {0x9a, 0x6a, 0x4a}, // brown
}};

// Round ruler spacings in hundredths of a second.
constexpr std::array<std::uint64_t, 19> tickSpacings{
    10, 20, 50, 100, 200, 500, 1000, 1500, 3000, 6000, 12000, 30000, 60000, 90000, 180000,
    360000, 720000, 1080000, 2160000};

std::string clockFromHundredths(std::uint64_t hundredths, bool withHundredths, bool withSeconds)
{
    const auto h = static_cast<unsigned long long>(hundredths / 360000);
    const auto m = static_cast<unsigned>(hundredths / 6000 % 60);
    const auto s = static_cast<unsigned>(hundredths / 100 % 60);
    const auto f = static_cast<unsigned>(hundredths % 100);
    char text[48];
    if (withHundredths)
        std::snprintf(text, sizeof text, "%llu:%02u:%02u.%02u", h, m, s, f);
    else if (withSeconds)
        std::snprintf(text, sizeof text, "%llu:%02u:%02u", h, m, s);
    else
        std::snprintf(text, sizeof text, "%llu:%02u", h, m);
    return text;
}

std::uint64_t hundredthsOf(SamplePos frames, std::uint32_t rateHz)
{
    // Split first so frames x 100 can't wrap for any position the timeline holds.
    return frames / rateHz * 100 + frames % rateHz * 100 / rateHz;
}

// Each take's recording: the index of the first segment's take, in timeline order, that is
// one recording with it.
std::size_t recordingOf(const TakeSource* take, std::vector<const TakeSource*>& firstPieces)
{
    for (std::size_t i = 0; i < firstPieces.size(); ++i)
        if (firstPieces[i]->sameRecording(take))
            return i;
    firstPieces.push_back(take);
    return firstPieces.size() - 1;
}

} // namespace

ConformPlan ConformPlan::of(const ConformProject& project)
{
    ConformPlan plan;
    const TakeTimeline* timeline = project.timeline();
    if (timeline == nullptr || !projectRefusalText(project).empty() || project.sampleRate() == 0)
        return plan;
    plan.rateHz = project.sampleRate();
    const std::uint32_t tableStep = std::max<std::uint32_t>(1, project.fadeRate() / 4u);
    plan.fadeLength = 4096 / tableStep;

    std::vector<const TakeSource*> firstPieces;
    std::set<const TakeSource*> placed;
    for (const TimelineSegment* s = timeline->first(); s != nullptr; s = s->next) {
        PlanSegment block;
        block.takeName = sourceName(*s->take);
        block.start = s->start;
        block.end = s->end;
        block.sourceFrame = s->sourceOffset;
        block.recording = recordingOf(s->take, firstPieces);
        block.colour = colourOf(block.recording);
        // The renderer fades wherever the neighbour on that side is missing or another recording.
        block.fadeIn = s->previous == nullptr || !s->previous->take->sameRecording(s->take);
        block.fadeOut = s->next == nullptr || !s->next->take->sameRecording(s->take);
        plan.blocks.push_back(std::move(block));
        placed.insert(s->take);
    }
    plan.recordings = firstPieces.size();
    for (const std::unique_ptr<TakeSource>& source : project.sources())
        if (!placed.contains(source.get()))
            plan.unused.push_back(sourceName(*source));
    return plan;
}

std::optional<std::size_t> ConformPlan::segmentAt(SamplePos position) const noexcept
{
    const auto after = std::upper_bound(
        blocks.begin(), blocks.end(), position,
        [](SamplePos p, const PlanSegment& block) { return p < block.start; });
    if (after == blocks.begin())
        return std::nullopt;
    const auto index = static_cast<std::size_t>(after - blocks.begin() - 1);
    if (position >= blocks[index].end)
        return std::nullopt;
    return index;
}

std::string ConformPlan::describe(std::size_t index) const
{
    const PlanSegment& block = blocks.at(index);
    const SamplePos frameCount = block.end - block.start;
    return block.takeName + "\nsource " + clockText(block.sourceFrame, rateHz) + "-" +
           clockText(block.sourceFrame + frameCount, rateHz) + "\ntimeline " +
           clockText(block.start, rateHz) + "-" + clockText(block.end, rateHz);
}

std::vector<RulerTick> ConformPlan::rulerTicks(std::size_t maxTicks) const
{
    std::vector<RulerTick> ticks;
    if (empty() || maxTicks == 0)
        return ticks;
    const std::uint64_t first = hundredthsOf(start(), rateHz);
    const std::uint64_t last = hundredthsOf(end(), rateHz);
    std::uint64_t spacing = tickSpacings.back();
    for (const std::uint64_t candidate : tickSpacings) {
        const std::uint64_t count = last / candidate - (first + candidate - 1) / candidate + 1;
        if (count <= maxTicks) {
            spacing = candidate;
            break;
        }
    }
    const bool withHundredths = spacing < 100;
    const bool withSeconds = spacing % 6000 != 0;
    for (std::uint64_t t = (first + spacing - 1) / spacing * spacing; t <= last; t += spacing) {
        const SamplePos position = t / 100 * rateHz + t % 100 * rateHz / 100;
        ticks.push_back({position, clockFromHundredths(t, withHundredths, withSeconds)});
    }
    return ticks;
}

double ConformPlan::fractionOf(SamplePos position) const noexcept
{
    if (end() <= start())
        return 0.0;
    const SamplePos clamped = std::clamp(position, start(), end());
    return double(clamped - start()) / double(end() - start());
}

PlanColour ConformPlan::colourOf(std::size_t index) noexcept
{
    return palette[index % palette.size()];
}

std::string ConformPlan::sourceName(const TakeSource& source)
{
    std::string name = utf8FromPath(source.lead().path().filename());
    const std::size_t others = source.members().size() - 1;
    if (others > 0)
        name += " + " + std::to_string(others) + (others == 1 ? " file" : " files");
    return name;
}

std::string ConformPlan::clockText(SamplePos frames, std::uint32_t rateHz)
{
    return rateHz == 0 ? std::string("0:00:00.00")
                       : clockFromHundredths(hundredthsOf(frames, rateHz), true, true);
}

} // namespace tabrix
