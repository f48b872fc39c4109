#include "frontend/ConformPlan.h"

#include "audio/TakeList.h"
#include "frontend/ProjectSummary.h"
#include "project/ConformProject.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>

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
    plan.timeFormat = TimeFormat::of(project);
    const std::uint32_t tableStep = std::max<std::uint32_t>(1, project.fadeRate() / 4u);
    plan.fadeLength = 4096 / tableStep;

    std::vector<const TakeSource*> firstPieces;
    std::set<const TakeSource*> placed;
    for (const TimelineSegment* s = timeline->first(); s != nullptr; s = s->next) {
        PlanSegment block;
        block.takeName = sourceName(*s->take);
        if (s->take->isFamily())
            for (const Take* member : s->take->members())
                block.files.push_back(utf8FromPath(member->path().filename()));
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
            plan.unused.push_back({sourceName(*source), source->timeReference(),
                                   source->timeReference() + source->frameCount()});
    return plan;
}

ConformPlan ConformPlan::ofBlocks(std::vector<PlanSegment> blocks, std::uint32_t rateHz,
                                  SamplePos fadeFrames, std::vector<PlanUnusedTake> unused)
{
    ConformPlan plan;
    plan.blocks = std::move(blocks);
    plan.unused = std::move(unused);
    plan.rateHz = rateHz;
    plan.timeFormat = TimeFormat(rateHz);
    plan.fadeLength = fadeFrames;
    for (const PlanSegment& block : plan.blocks)
        plan.recordings = std::max(plan.recordings, block.recording + 1);
    return plan;
}

std::size_t ConformPlan::firstEndingAfter(SamplePos position) const noexcept
{
    const auto found = std::upper_bound(
        blocks.begin(), blocks.end(), position,
        [](SamplePos p, const PlanSegment& block) { return p < block.end; });
    return static_cast<std::size_t>(found - blocks.begin());
}

std::optional<std::size_t> ConformPlan::segmentAt(SamplePos position) const noexcept
{
    const std::size_t index = firstEndingAfter(position);
    if (index == blocks.size() || position < blocks[index].start)
        return std::nullopt;
    return index;
}

std::string ConformPlan::describe(std::size_t index) const
{
    const PlanSegment& block = blocks.at(index);
    const SamplePos frameCount = block.end - block.start;
    std::string files;
    for (const std::string& file : block.files)
        files += (files.empty() ? "\nfiles " : ", ") + file;
    return block.takeName + files + "\nsource " + timeFormat.clock(block.sourceFrame) +
           TimeFormat::rangeDash + timeFormat.clock(block.sourceFrame + frameCount) +
           "\ntimeline " + timeFormat.range(block.start, block.end);
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

} // namespace tabrix
