#pragma once
#include "audio/ByteOrder.h"
#include "project/ConformProject.h" // the timeline, the renderer and the output converter

#include "TempDir.h"
#include "WrittenWav.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <type_traits>

// Synthetic projects, a loop driving the renderer the way a conform does, and a slow per-frame
// model of what a conform should produce.
namespace tabrix::testing {

struct TakeDef {
    SamplePos start = 0;
    std::uint64_t frames = 0;
    int tfid = -1;                 ///< fill byte of the TFID chunk; -1 for none
    std::string time = "10:00:00"; ///< the later recording wins an overlap
    std::uint16_t channels = 2;
    std::uint16_t bits = 24;       ///< 16 or 24; 32 for float samples
    std::vector<std::uint32_t> keys = {}; ///< iXML track key of each channel; empty: none
    std::vector<std::string> names = {};  ///< iXML track names, with `keys`
    std::string family = {};              ///< iXML FAMILY_UID; empty: none
    std::string scene = {}, takeNumber = {}, project = {}, tape = {}; ///< iXML; empty: none
    std::string timecodeRate = {}, timecodeFlag = {};                 ///< iXML SPEED
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

/// Sample `c` of frame `f` of a float take `k`: within +-3, well past full scale.
inline float floatSampleAt(std::size_t k, std::uint64_t f, unsigned c)
{
    return float(wordAt(k, f, c, 24)) * 0x1p-31f * 3.0f;
}

/// A take's sample as a working word: integer samples as they are, float ones scaled by 2^31,
/// saturated and truncated toward zero.
inline std::int32_t modelWord(const TakeDef& take, std::size_t k, std::uint64_t f, unsigned c)
{
    if (take.bits != 32)
        return wordAt(k, f, c, take.bits);
    const double scaled = std::trunc(double(floatSampleAt(k, f, c)) * 2147483648.0);
    return std::int32_t(std::clamp(scaled, -2147483648.0, 2147483647.0));
}

/// A take's sample as a working float: float samples as they are, words over 2^31.
inline float modelFloat(const TakeDef& take, std::size_t k, std::uint64_t f, unsigned c)
{
    return take.bits == 32 ? floatSampleAt(k, f, c) : float(double(wordAt(k, f, c, take.bits)) / 2147483648.0);
}

inline std::string takeName(std::size_t k) { return "take" + std::to_string(100 + k) + ".wav"; }

/// The iXML a recorder would write for `take`; empty when it has nothing to say.
inline std::string ixmlOf(const TakeDef& take)
{
    const auto field = [](const char* name, const std::string& value) {
        return value.empty() ? std::string()
                             : "<" + std::string(name) + ">" + value + "</" + name + ">";
    };
    const std::string fields = field("PROJECT", take.project) + field("SCENE", take.scene) +
                               field("TAKE", take.takeNumber) + field("TAPE", take.tape);
    const std::string speed = field("TIMECODE_RATE", take.timecodeRate) +
                              field("TIMECODE_FLAG", take.timecodeFlag);
    if (take.keys.empty() && take.family.empty() && fields.empty() && speed.empty())
        return {};
    std::string xml = "<?xml version=\"1.0\"?><BWFXML>" + fields +
                      (speed.empty() ? "" : "<SPEED>" + speed + "</SPEED>") +
                      "<FILE_SET><FAMILY_UID>" + take.family +
                      "</FAMILY_UID></FILE_SET><TRACK_LIST>";
    for (std::size_t c = 0; c < take.keys.size(); ++c)
        xml += "<TRACK><CHANNEL_INDEX>" + std::to_string(take.keys[c]) +
               "</CHANNEL_INDEX><INTERLEAVE_INDEX>" + std::to_string(c + 1) +
               "</INTERLEAVE_INDEX><NAME>" + (c < take.names.size() ? take.names[c] : "") +
               "</NAME></TRACK>";
    return xml + "</TRACK_LIST></BWFXML>";
}

/// Writes the takes into "<dir>/Audio Files" and loads the project.
inline bool loadProject(ConformProject& project, const TempDir& dir, std::uint32_t rate,
                        const std::vector<TakeDef>& takes)
{
    for (std::size_t k = 0; k < takes.size(); ++k) {
        const TakeDef& t = takes[k];
        Bytes data;
        for (std::uint64_t f = 0; f < t.frames; ++f)
            for (unsigned c = 0; c < t.channels; ++c) {
                const std::uint32_t bits = t.bits == 32 ? std::bit_cast<std::uint32_t>(floatSampleAt(k, f, c))
                                                        : std::uint32_t(wordAt(k, f, c, t.bits));
                for (unsigned b = t.bits == 32 ? 0 : 32 - t.bits; b < 32; b += 8)
                    data.push_back(std::uint8_t(bits >> b));
            }
        dir.write("Audio Files/" + takeName(k),
                  takeBytes({.timeReference = t.start, .time = t.time, .channels = t.channels,
                             .rate = rate, .bits = t.bits, .tfid = t.tfid, .data = data,
                             .tag = std::uint16_t(t.bits == 32 ? 3 : 1), .ixml = ixmlOf(t)}));
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

/// What plays as one take in the model: a take, or the takes of one family (same FAMILY_UID,
/// start, length and time), in listing order.
inline std::vector<std::vector<std::size_t>> modelSources(const std::vector<TakeDef>& takes)
{
    std::vector<std::vector<std::size_t>> sources;
    for (std::size_t k = 0; k < takes.size(); ++k) {
        const TakeDef& t = takes[k];
        std::vector<std::size_t> family;
        for (std::size_t j = 0; j < takes.size() && !t.family.empty(); ++j)
            if (takes[j].family == t.family && takes[j].start == t.start &&
                takes[j].frames == t.frames && takes[j].time == t.time)
                family.push_back(j);
        if (family.size() < 2)
            sources.push_back({k});
        else if (family.front() == k)
            sources.push_back(family);
    }
    return sources;
}

/// The model. Frame by frame the newest take wins, gaps are silent; then each splice between
/// recordings dips through equal-power fades, in the order the renderer meets them. A fade-out
/// never crosses a block edge: one of a segment shorter than a fade stops at the edge before
/// the segment's end (`blockStarts`). Without `laneKeys` each frame has two lanes, a take's
/// first two channels (mono on both) or a family's two lowest tracks; with them, one lane per
/// key, silent where the playing take has no such track. `Sample` is std::int32_t (working
/// words) or float.
template <typename Sample>
std::vector<Sample> referenceLanes(const std::vector<TakeDef>& takes, std::uint32_t rate,
                                   const std::vector<SamplePos>& blockStarts = {},
                                   const std::vector<std::uint32_t>& laneKeys = {})
{
    const std::vector<std::vector<std::size_t>> sources = modelSources(takes);
    // Where each lane of each source is read: (take, channel), or none.
    const std::size_t lanes = laneKeys.empty() ? 2 : laneKeys.size();
    std::vector<std::vector<std::pair<std::size_t, int>>> where(sources.size());
    for (std::size_t s = 0; s < sources.size(); ++s) {
        std::vector<std::pair<std::uint32_t, std::pair<std::size_t, int>>> tracks; // first wins
        for (const std::size_t k : sources[s])
            for (int c = 0; c < takes[k].channels; ++c) {
                const std::uint32_t key = takes[k].keys.empty() ? std::uint32_t(c + 1)
                                                                : takes[k].keys[std::size_t(c)];
                if (std::none_of(tracks.begin(), tracks.end(), [&](auto& t) { return t.first == key; }))
                    tracks.push_back({key, {k, c}});
            }
        std::sort(tracks.begin(), tracks.end(), [](auto& a, auto& b) { return a.first < b.first; });
        const TakeDef& lead = takes[sources[s].front()];
        if (laneKeys.empty() && sources[s].size() == 1)
            where[s] = {{sources[s].front(), 0}, {sources[s].front(), lead.channels >= 2 ? 1 : 0}};
        else if (laneKeys.empty())
            where[s] = {tracks[0].second, tracks[tracks.size() > 1 ? 1 : 0].second};
        for (const std::uint32_t key : laneKeys) {
            auto found = std::find_if(tracks.begin(), tracks.end(), [&](auto& t) { return t.first == key; });
            where[s].push_back(found != tracks.end() ? found->second : std::pair<std::size_t, int>{0, -1});
        }
    }
    SamplePos from = ~SamplePos(0), to = 0;
    for (const TakeDef& t : takes)
        from = std::min(from, t.start), to = std::max(to, t.start + t.frames);
    struct Segment { SamplePos start, end; std::size_t source; };
    std::vector<Segment> segments;
    std::vector<Sample> out((to - from) * lanes);
    for (SamplePos p = from; p < to; ++p) {
        std::size_t s = sources.size();
        for (std::size_t j = 0; j < sources.size(); ++j) {
            const TakeDef& t = takes[sources[j].front()];
            // The newest recording wins; of two recorded at once, the one listed later.
            if (p >= t.start && p < t.start + t.frames &&
                (s == sources.size() || t.time >= takes[sources[s].front()].time))
                s = j;
        }
        if (s == sources.size())
            continue;
        const std::uint64_t f = p - takes[sources[s].front()].start;
        for (std::size_t l = 0; l < lanes; ++l) {
            const auto [k, c] = where[s][l];
            if (c < 0)
                continue;
            if constexpr (std::is_same_v<Sample, float>)
                out[(p - from) * lanes + l] = modelFloat(takes[k], k, f, unsigned(c));
            else
                out[(p - from) * lanes + l] = modelWord(takes[k], k, f, unsigned(c));
        }
        if (segments.empty() || segments.back().end != p || segments.back().source != s)
            segments.push_back({p, p, s});
        ++segments.back().end;
    }
    // Gain i is floor(sqrt(i / 4096) x (2^31 - 1)), 0 below 4. For words only the top 16 bits of
    // gain and sample take part (>> rounds toward minus infinity); a float is multiplied by the
    // gain over 2^31 as a float.
    const auto scale = [&](std::size_t frame, std::uint64_t i) {
        const std::int64_t gain = i < 4 ? 0 : std::int64_t(std::sqrt(double(i) / 4096.0) * 2147483647.0);
        for (std::size_t l = 0; l < lanes; ++l) {
            Sample& v = out[frame * lanes + l];
            if constexpr (std::is_same_v<Sample, float>)
                v = v * float(double(gain) / 2147483648.0);
            else
                v = std::int32_t((v >> 16) * (gain >> 16) * 2);
        }
    };
    const std::uint64_t step = rate < 88000 ? 4 : rate < 176000 ? 2 : 1, fadeLength = 4096 / step;
    // One recording: one source, or two whose every file carries the same TFID record.
    const auto same = [&](std::size_t a, std::size_t b) {
        const int tfid = takes[sources[segments[a].source].front()].tfid;
        const auto all = [&](std::size_t s) {
            return std::all_of(sources[s].begin(), sources[s].end(),
                               [&](std::size_t k) { return tfid >= 0 && takes[k].tfid == tfid; });
        };
        return segments[a].source == segments[b].source ||
               (all(segments[a].source) && all(segments[b].source));
    };
    for (std::size_t k = 0; k < segments.size(); ++k) {
        const Segment& s = segments[k];
        const std::uint64_t fadeIn = k == 0 || !same(k - 1, k) ? s.end - s.start : 0;
        for (std::uint64_t i = 0; i < std::min(fadeLength, fadeIn); ++i)
            scale(s.start + i - from, step * i);
        if (k + 1 < segments.size() && same(k, k + 1))
            continue;
        const std::int64_t region = std::int64_t(s.end) - std::int64_t(fadeLength);
        std::int64_t first = std::max(region, std::int64_t(from));
        for (SamplePos b : blockStarts)
            if (s.end - s.start < fadeLength && b < s.end)
                first = std::max(first, std::int64_t(b));
        for (std::int64_t p = first; p < std::int64_t(s.end); ++p)
            scale(std::size_t(p) - from, 4095 - step * std::uint64_t(p - region));
    }
    return out;
}

/// The two-lane model as working frames.
inline std::vector<WorkFrame> referenceRender(const std::vector<TakeDef>& takes, std::uint32_t rate,
                                              const std::vector<SamplePos>& blockStarts = {})
{
    const std::vector<std::int32_t> words = referenceLanes<std::int32_t>(takes, rate, blockStarts);
    std::vector<WorkFrame> frames(words.size() / 2);
    for (std::size_t i = 0; i < frames.size(); ++i)
        frames[i] = {words[2 * i], words[2 * i + 1]};
    return frames;
}

/// The sample bytes a written file declares, once its sizes agree with what it holds.
inline Bytes outputData(const std::filesystem::path& path)
{
    const WrittenWav wav = readWrittenWav(path);
    EXPECT_TRUE(wav.wellFormed) << path;
    return wav.data;
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
