#include "RenderHarness.h"

#include "project/TakeTimeline.h"
#include "render/RenderState.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>

namespace tabrix::testing {

namespace {

constexpr std::uint64_t referenceBlockFrames = 16384;
constexpr std::size_t outputHeaderBytes = 1024;

std::uint32_t tableStepFor(std::uint32_t rate)
{
    return rate < 88000 ? 4 : (rate < 176000 ? 2 : 1);
}

std::string takeName(std::size_t takeIndex)
{
    char name[32];
    std::snprintf(name, sizeof name, "take%02zu.wav", takeIndex);
    return name;
}

void putSample(Bytes& out, std::int32_t sample, std::uint16_t bits)
{
    for (unsigned b = 0; b < bits / 8u; ++b)
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(sample) >> (8 * b)));
}

// A segment of the reference layout: a run of frames owned by one take.
struct RefSegment {
    SamplePos start = 0;
    SamplePos end = 0;
    std::size_t take = 0;
};

// Frame by frame, the newest take covering the frame owns it.
std::vector<RefSegment> layOut(const std::vector<TakeDef>& takes, SamplePos from, SamplePos to)
{
    std::vector<RefSegment> segments;
    for (SamplePos p = from; p < to; ++p) {
        int owner = -1;
        for (std::size_t k = 0; k < takes.size(); ++k) {
            const TakeDef& t = takes[k];
            if (p >= t.start && p < t.start + t.frames &&
                (owner < 0 || t.time > takes[std::size_t(owner)].time))
                owner = int(k);
        }
        if (owner < 0)
            continue;
        if (!segments.empty() && segments.back().end == p &&
            segments.back().take == std::size_t(owner))
            segments.back().end = p + 1;
        else
            segments.push_back({p, p + 1, std::size_t(owner)});
    }
    return segments;
}

// Frames one refill of a segment's read cache holds; refills follow one another from the
// segment's start.
std::uint64_t refillFrames(const TakeDef& take)
{
    const std::uint64_t frameBytes = (take.bits / 8u) * take.channels;
    return (take.bits == 24 ? 122880u : 131072u) / frameBytes;
}

// A block ends when full, or after the run (a stretch of one segment up to its next refill)
// during which the segment's fade-out region would straddle the block's end: there, at the
// run's end or where the region begins, whichever comes first.
std::vector<SamplePos> blockStartsFor(const std::vector<TakeDef>& takes,
                                      const std::vector<RefSegment>& segments, SamplePos from,
                                      SamplePos to, std::uint64_t fadeLength)
{
    std::vector<SamplePos> starts;
    for (SamplePos b = from; b < to;) {
        starts.push_back(b);
        const SamplePos full = b + referenceBlockFrames;
        SamplePos blockEnd = full;
        for (SamplePos p = b; p < full;) {
            const RefSegment* s = nullptr;
            for (const RefSegment& candidate : segments)
                if (candidate.end > p) {
                    s = &candidate;
                    break;
                }
            if (s == nullptr)
                break;
            if (p < s->start) {
                p = s->start;
                continue;
            }
            const std::uint64_t refill = refillFrames(takes[s->take]);
            const SamplePos runEnd =
                std::min({s->start + ((p - s->start) / refill + 1) * refill, s->end, full});
            const SamplePos room = full - p;
            if (s->end >= fadeLength && p <= s->end - fadeLength &&
                room > s->end - fadeLength - p && room < s->end - p) {
                blockEnd = std::min(runEnd, s->end - fadeLength);
                break;
            }
            p = runEnd;
        }
        b = blockEnd;
    }
    return starts;
}

void scale(WorkFrame& frame, std::uint32_t gain)
{
    frame.left = withGain(frame.left, gain);
    frame.right = withGain(frame.right, gain);
}

} // namespace

std::int32_t sampleAt(std::size_t takeIndex, std::uint64_t frame, unsigned channel,
                      std::uint16_t bits)
{
    std::uint32_t h = static_cast<std::uint32_t>(frame + 1) * 2654435761u;
    h ^= static_cast<std::uint32_t>(takeIndex + 1) * 0x9E3779B9u;
    h ^= (channel + 1) * 0x85EBCA6Bu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 13;
    return static_cast<std::int32_t>(h) >> (32 - bits); // signed, full range of the width
}

WorkFrame sourceFrame(const TakeDef& take, std::size_t takeIndex, std::uint64_t frame)
{
    const int shift = 32 - take.bits;
    const auto word = [&](unsigned channel) {
        return static_cast<std::int32_t>(
            static_cast<std::uint32_t>(sampleAt(takeIndex, frame, channel, take.bits)) << shift);
    };
    return {word(0), take.channels >= 2 ? word(1) : word(0)};
}

Bytes takeFileBytes(const TakeDef& take, std::size_t takeIndex, std::uint32_t rate)
{
    Bytes data;
    data.reserve(std::size_t(take.frames) * take.channels * (take.bits / 8u));
    for (std::uint64_t f = 0; f < take.frames; ++f)
        for (unsigned c = 0; c < take.channels; ++c)
            putSample(data, sampleAt(takeIndex, f, c, take.bits), take.bits);
    return takeBytes({.timeReference = take.start,
                      .time = take.time,
                      .channels = take.channels,
                      .rate = rate,
                      .bits = take.bits,
                      .tfid = take.tfid,
                      .data = std::move(data)});
}

void writeProject(const TempDir& dir, std::uint32_t rate, const std::vector<TakeDef>& takes)
{
    for (std::size_t k = 0; k < takes.size(); ++k)
        dir.write("Audio Files/" + takeName(k), takeFileBytes(takes[k], k, rate));
}

Rendered renderTimeline(const ConformProject& project)
{
    Rendered out;
    const TakeTimeline* timeline = project.timeline();
    if (timeline == nullptr || timeline->first() == nullptr)
        return out;
    const SamplePos from = timeline->first()->start;
    const SamplePos to = timeline->last()->end;
    out.from = from;
    RenderState state;
    state.resetRender();
    for (SamplePos position = from; position < to;) {
        const SamplePos previous = position;
        if (!state.renderBlock(timeline, position, static_cast<std::int8_t>(project.fadeRate())))
            break;
        if (position <= previous || position - previous > referenceBlockFrames)
            break; // a renderer that stalls or overruns ends the loop; the frames will differ
        out.blockStarts.push_back(previous);
        const std::uint64_t frameCount = std::min(position, to) - previous;
        out.frames.insert(out.frames.end(), state.frames(), state.frames() + frameCount);
    }
    return out;
}

Rendered referenceRender(const std::vector<TakeDef>& takes, std::uint32_t rate)
{
    Rendered out;
    if (takes.empty())
        return out;
    SamplePos from = takes[0].start;
    SamplePos to = 0;
    for (const TakeDef& t : takes) {
        from = std::min(from, t.start);
        to = std::max(to, t.start + t.frames);
    }
    const std::uint32_t tableStep = tableStepFor(rate);
    const std::uint64_t fadeLength = 4096 / tableStep;
    const std::vector<RefSegment> segments = layOut(takes, from, to);
    out.from = from;
    out.blockStarts = blockStartsFor(takes, segments, from, to, fadeLength);
    out.frames.assign(std::size_t(to - from), WorkFrame{});
    for (const RefSegment& s : segments)
        for (SamplePos p = s.start; p < s.end; ++p)
            out.frames[std::size_t(p - from)] =
                sourceFrame(takes[s.take], s.take, p - takes[s.take].start);

    const auto sameRecording = [&](const RefSegment& a, const RefSegment& b) {
        return takes[a.take].tfid == takes[b.take].tfid;
    };
    for (std::size_t k = 0; k < segments.size(); ++k) {
        const RefSegment& s = segments[k];
        if (k == 0 || !sameRecording(segments[k - 1], s)) {
            const std::uint64_t fadeFrames = std::min(fadeLength, s.end - s.start);
            for (std::uint64_t i = 0; i < fadeFrames; ++i)
                scale(out.frames[std::size_t(s.start + i - from)], tableEntry(tableStep * i));
        }
        if (k + 1 < segments.size() && sameRecording(s, segments[k + 1]))
            continue;
        // The fade-out reaches only as far back as the block that holds the segment's end.
        SamplePos blockStart = from;
        for (SamplePos b : out.blockStarts)
            if (b < s.end)
                blockStart = b;
        for (std::uint64_t i = 0; i < fadeLength; ++i) {
            const auto p = std::int64_t(s.end) - std::int64_t(fadeLength) + std::int64_t(i);
            if (p >= std::int64_t(blockStart))
                scale(out.frames[std::size_t(p - std::int64_t(from))],
                      tableEntry(4095 - tableStep * i));
        }
    }
    return out;
}

std::uint32_t tableEntry(std::size_t i)
{
    if (i < 4)
        return 0;
    return static_cast<std::uint32_t>(std::floor(std::sqrt(double(i) / 4096.0) * 2147483647.0));
}

std::int32_t withGain(std::int32_t sample, std::uint32_t gain)
{
    const std::int64_t top = sample >> 16; // arithmetic: toward minus infinity
    return static_cast<std::int32_t>(top * std::int64_t(gain >> 16) * 2);
}

Bytes outputData(const std::filesystem::path& path)
{
    const Bytes file = readFile(path);
    if (file.size() < outputHeaderBytes)
        return {};
    return Bytes(file.begin() + std::ptrdiff_t(outputHeaderBytes), file.end());
}

Bytes convertFrames(const std::vector<WorkFrame>& frames, std::uint16_t bits, int mode)
{
    Bytes out;
    const auto put = [&](std::int32_t word) {
        putSample(out, word >> (32 - bits), bits);
    };
    for (const WorkFrame& f : frames) {
        switch (mode) {
        case 0: put(f.left); put(f.right); break;
        case 1: put(f.left); break;
        case 2: put(f.right); break;
        default: {
            const std::int64_t sum = std::int64_t(f.left) + f.right;
            put(static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX)));
            break;
        }
        }
    }
    return out;
}

bool conform(ConformProject& project, const TempDir& dir, const std::filesystem::path& outPath,
             bool bits24, int mode)
{
    if (!project.load(dir.path().string()))
        return false;
    project.setOutputOptions(bits24, mode);
    if (!project.prepareOutput(outPath.string()))
        return false;
    std::atomic<double> progress{0.0};
    return project.run(progress);
}

} // namespace tabrix::testing
