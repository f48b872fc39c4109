#pragma once
#include "project/ConformProject.h" // the timeline, the renderer and the output converter

#include "TempDir.h"

#include <algorithm>
#include <cmath>

// Synthetic projects, a loop driving the renderer the way a conform does, and a slow per-frame
// model of what a conform should produce.
namespace tabrix::testing {

struct TakeDef {
    SamplePos start = 0;
    std::uint64_t frames = 0;
    int tfid = -1;                 ///< fill byte of the TFID chunk; -1 for none
    std::string time = "10:00:00"; ///< the later recording wins an overlap
    std::uint16_t channels = 2;
    std::uint16_t bits = 24;       ///< 16 or 24
};

/// Sample `c` of frame `f` of take `k` as a working word: `bits` of a hash in the top bits, so
/// that a frame taken from the wrong place shows.
inline std::int32_t wordAt(std::size_t k, std::uint64_t f, unsigned c, unsigned bits)
{
    std::uint32_t h = std::uint32_t(f + 1) * 2654435761u ^ std::uint32_t(k + 1) * 0x9E3779B9u ^
                      (c + 1) * 0x85EBCA6Bu;
    h = (h ^ h >> 15) * 0x2C1B3C6Du;
    return std::int32_t((h ^ h >> 13) & ~0u << (32 - bits));
}

/// Frame `f` of take `k` as the renderer should place it; mono plays on both sides.
inline WorkFrame sourceFrame(const TakeDef& take, std::size_t k, std::uint64_t f)
{
    return {wordAt(k, f, 0, take.bits), wordAt(k, f, take.channels >= 2 ? 1 : 0, take.bits)};
}

inline std::string takeName(std::size_t k) { return "take" + std::to_string(100 + k) + ".wav"; }

/// Writes the takes into "<dir>/Audio Files" and loads the project.
inline bool loadProject(ConformProject& project, const TempDir& dir, std::uint32_t rate,
                        const std::vector<TakeDef>& takes)
{
    for (std::size_t k = 0; k < takes.size(); ++k) {
        const TakeDef& t = takes[k];
        Bytes data;
        for (std::uint64_t f = 0; f < t.frames; ++f)
            for (unsigned c = 0; c < t.channels; ++c)
                for (unsigned b = 32 - t.bits; b < 32; b += 8)
                    data.push_back(std::uint8_t(std::uint32_t(wordAt(k, f, c, t.bits)) >> b));
        dir.write("Audio Files/" + takeName(k),
                  takeBytes({.timeReference = t.start, .time = t.time, .channels = t.channels,
                             .rate = rate, .bits = t.bits, .tfid = t.tfid, .data = data}));
    }
    return project.load(dir.path().string());
}

struct Rendered {
    std::vector<WorkFrame> frames; ///< from the timeline's first start to its last end
    std::vector<SamplePos> blockStarts;
};

/// Calls renderBlock as a conform does, over the loaded project's whole timeline.
inline Rendered renderTimeline(const ConformProject& project)
{
    Rendered r;
    const TakeTimeline* timeline = project.timeline();
    RenderState state;
    state.resetRender();
    for (SamplePos p = timeline->first()->start, to = timeline->last()->end; p < to;) {
        const SamplePos from = p;
        if (!state.renderBlock(timeline, p, std::int8_t(project.fadeRate())) || p <= from ||
            p - from > blockFrames)
            break; // a failure, a stall or an overrun: the frames will differ
        r.blockStarts.push_back(from);
        r.frames.insert(r.frames.end(), state.frames(), state.frames() + (std::min(p, to) - from));
    }
    return r;
}

/// The model. Frame by frame the newest take wins, gaps are silent; then each splice between
/// recordings dips through equal-power fades, in the order the renderer meets them. A fade-out
/// never crosses a block edge: one of a segment shorter than a fade stops at the edge before
/// the segment's end (`blockStarts`).
inline std::vector<WorkFrame> referenceRender(const std::vector<TakeDef>& takes, std::uint32_t rate,
                                              const std::vector<SamplePos>& blockStarts = {})
{
    SamplePos from = ~SamplePos(0), to = 0;
    for (const TakeDef& t : takes)
        from = std::min(from, t.start), to = std::max(to, t.start + t.frames);
    struct Segment { SamplePos start, end; std::size_t take; };
    std::vector<Segment> segments;
    std::vector<WorkFrame> out(to - from);
    for (SamplePos p = from; p < to; ++p) {
        std::size_t k = takes.size();
        for (std::size_t j = 0; j < takes.size(); ++j)
            if (p >= takes[j].start && p < takes[j].start + takes[j].frames &&
                (k == takes.size() || takes[j].time > takes[k].time))
                k = j;
        if (k == takes.size())
            continue;
        out[p - from] = sourceFrame(takes[k], k, p - takes[k].start);
        if (segments.empty() || segments.back().end != p || segments.back().take != k)
            segments.push_back({p, p, k});
        ++segments.back().end;
    }
    // Gain i is floor(sqrt(i / 4096) x (2^31 - 1)), 0 below 4; only the top 16 bits of gain and
    // sample take part (>> rounds toward minus infinity).
    const auto scale = [](WorkFrame& f, std::uint64_t i) {
        const auto g = i < 4 ? 0 : std::int64_t(std::sqrt(double(i) / 4096.0) * 2147483647.0) >> 16;
        f = {std::int32_t((f.left >> 16) * g * 2), std::int32_t((f.right >> 16) * g * 2)};
    };
    const std::uint64_t step = rate < 88000 ? 4 : rate < 176000 ? 2 : 1, fadeLength = 4096 / step;
    // One recording: one take, or two takes carrying equal TFID records.
    const auto same = [&](std::size_t a, std::size_t b) {
        const int tfid = takes[segments[a].take].tfid;
        return segments[a].take == segments[b].take ||
               (tfid >= 0 && tfid == takes[segments[b].take].tfid);
    };
    for (std::size_t k = 0; k < segments.size(); ++k) {
        const Segment& s = segments[k];
        const std::uint64_t fadeIn = k == 0 || !same(k - 1, k) ? s.end - s.start : 0;
        for (std::uint64_t i = 0; i < std::min(fadeLength, fadeIn); ++i)
            scale(out[s.start + i - from], step * i);
        if (k + 1 < segments.size() && same(k, k + 1))
            continue;
        const std::int64_t region = std::int64_t(s.end) - std::int64_t(fadeLength);
        std::int64_t first = std::max(region, std::int64_t(from));
        for (SamplePos b : blockStarts)
            if (s.end - s.start < fadeLength && b < s.end)
                first = std::max(first, std::int64_t(b));
        for (std::int64_t p = first; p < std::int64_t(s.end); ++p)
            scale(out[std::size_t(p) - from], 4095 - step * std::uint64_t(p - region));
    }
    return out;
}

/// A written file's bytes after its 1024-byte header.
inline Bytes outputData(const std::filesystem::path& path)
{
    const Bytes file = readFile(path);
    return file.size() < 1024 ? Bytes{} : Bytes(file.begin() + 1024, file.end());
}

/// What an OutputConverter writes for `frames` handed over in pieces that cross the run's
/// block edges: the first file and, for Dual Mono, the second.
inline std::pair<Bytes, Bytes> convertEach(const std::vector<WorkFrame>& frames, std::uint8_t bits,
                                           int mode)
{
    TempDir dir;
    BwfFile first(dir.path() / "1.wav", mode == 0 ? 2 : 1, 48000, bits, 0);
    BwfFile second(dir.path() / "2.wav", 1, 48000, bits, 0);
    OutputConverter converter;
    const OutputLayout layout{mode == 4 ? std::vector{&first, &second} : std::vector{&first}, mode,
                              bits == 24 ? OutputFormat::Int24 : OutputFormat::Int16};
    bool written = first.create() && second.create() && converter.bindOutput(layout);
    constexpr std::size_t piece = 1021; // output files are unbuffered: not one frame a write
    for (std::size_t i = 0; i < frames.size() && written; i += piece)
        written = converter.convertBlock({&frames[i]}, std::min(piece, frames.size() - i));
    converter.closeOutputs();
    second.close();
    return {written ? outputData(dir.path() / "1.wav") : Bytes{}, outputData(dir.path() / "2.wav")};
}

/// -1 when the frames are equal, else the index of the first that differs.
inline std::ptrdiff_t firstDiff(const std::vector<WorkFrame>& a, const std::vector<WorkFrame>& b)
{
    const auto same = [](auto x, auto y) { return x.left == y.left && x.right == y.right; };
    const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end(), same).first - a.begin();
    return a.size() == b.size() && at == std::ssize(a) ? -1 : at;
}

} // namespace tabrix::testing
