#include "frontend/TimeFormat.h"

#include "frontend/TimecodeText.h"
#include "project/ConformProject.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tabrix {

namespace {

// Round ruler spacings in hundredths of a second.
constexpr std::array<std::uint64_t, 22> tickSpacings{
    1,     2,     5,     10,    20,     50,     100,    200,    500,     1000,    1500,
    3000,  6000,  12000, 30000, 60000,  90000,  180000, 360000, 720000,  1080000, 2160000};

constexpr std::uint64_t hundredthsPerMinute = 6000;
constexpr std::uint64_t hundredthsPerHour = 360000;

std::string clockFromHundredths(std::uint64_t hundredths, bool withHundredths, bool withSeconds)
{
    const auto h = static_cast<unsigned long long>(hundredths / hundredthsPerHour);
    const auto m = static_cast<unsigned>(hundredths / hundredthsPerMinute % 60);
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

} // namespace

TimeFormat TimeFormat::of(const ConformProject& project)
{
    return TimeFormat(project.sampleRate(), project.timecodeRate());
}

std::string TimeFormat::rateLabel() const
{
    return timecodeRate ? tabrix::rateLabel(*timecodeRate) : std::string();
}

std::uint64_t TimeFormat::hundredthsOf(SamplePos frames) const noexcept
{
    // Split first so frames x 100 can't wrap for any position the timeline holds.
    return rateHz == 0 ? 0 : frames / rateHz * 100 + frames % rateHz * 100 / rateHz;
}

SamplePos TimeFormat::frameOf(std::uint64_t hundredths) const noexcept
{
    // The first frame that reads as `hundredths`.
    return hundredths / 100 * rateHz + (hundredths % 100 * rateHz + 99) / 100;
}

std::string TimeFormat::position(SamplePos frames) const
{
    if (timecodeRate)
        return timecodeText(timecodeAt(frames, rateHz, *timecodeRate));
    return clockFromHundredths(hundredthsOf(frames), true, true);
}

std::string TimeFormat::range(SamplePos start, SamplePos end) const
{
    return position(start) + rangeDash + position(end);
}

std::string TimeFormat::clock(SamplePos frameCount) const
{
    return clockFromHundredths(hundredthsOf(frameCount), true, true);
}

std::string TimeFormat::length(SamplePos frameCount) const
{
    const std::uint64_t hundredths = hundredthsOf(frameCount);
    char text[48];
    if (hundredths < hundredthsPerMinute)
        std::snprintf(text, sizeof text, "%u.%02u s", static_cast<unsigned>(hundredths / 100),
                      static_cast<unsigned>(hundredths % 100));
    else if (hundredths < hundredthsPerHour)
        std::snprintf(text, sizeof text, "%u min %02u s",
                      static_cast<unsigned>(hundredths / hundredthsPerMinute),
                      static_cast<unsigned>(hundredths / 100 % 60));
    else
        std::snprintf(text, sizeof text, "%llu h %02u min",
                      static_cast<unsigned long long>(hundredths / hundredthsPerHour),
                      static_cast<unsigned>(hundredths / hundredthsPerMinute % 60));
    return text;
}

std::vector<RulerTick> TimeFormat::rulerTicks(SamplePos from, SamplePos to,
                                              std::size_t maxTicks) const
{
    std::vector<RulerTick> ticks;
    if (maxTicks == 0 || to < from || rateHz == 0)
        return ticks;
    if (timecodeRate)
        return timecodeTicks(from, to, maxTicks);
    std::uint64_t first = hundredthsOf(from);
    if (frameOf(first) < from)
        ++first; // the first hundredth that starts inside the range
    const std::uint64_t last = hundredthsOf(to);
    std::uint64_t spacing = tickSpacings.back();
    for (const std::uint64_t candidate : tickSpacings) {
        const std::uint64_t firstMark = (first + candidate - 1) / candidate;
        const std::uint64_t count = last / candidate + 1 - std::min(firstMark, last / candidate + 1);
        if (count <= maxTicks) {
            spacing = candidate;
            break;
        }
    }
    const bool withHundredths = spacing < 100;
    const bool withSeconds = spacing % hundredthsPerMinute != 0;
    for (std::uint64_t t = (first + spacing - 1) / spacing * spacing; t <= last; t += spacing) {
        ticks.push_back({frameOf(t), clockFromHundredths(t, withHundredths, withSeconds)});
    }
    return ticks;
}

// Marks at round timecode labels: frames while a second holds several marks, else whole
// seconds and minutes, labelled "10:00:05:12" or "10:00:05".
std::vector<RulerTick> TimeFormat::timecodeTicks(SamplePos from, SamplePos to,
                                                 std::size_t maxTicks) const
{
    const TimecodeRate& rate = *timecodeRate;
    const std::uint64_t n = rate.nominal();
    const std::uint64_t first = labelCount(timecodeAt(from, rateHz, rate), rate);
    const std::uint64_t last = labelCount(timecodeAt(to, rateHz, rate), rate);
    const std::uint64_t spacings[] = {1,       2,        5,        10,        n,
                                      2 * n,   5 * n,    10 * n,   15 * n,    30 * n,
                                      60 * n,  120 * n,  300 * n,  600 * n,   900 * n,
                                      1800 * n, 3600 * n, 7200 * n, 10800 * n, 21600 * n};
    std::uint64_t spacing = spacings[std::size(spacings) - 1];
    for (const std::uint64_t candidate : spacings) {
        if (candidate == 0 || (candidate < n && n % candidate != 0))
            continue; // a mark every so many frames must fall on each second
        if (last / candidate + 1 - std::min((first + candidate - 1) / candidate, last / candidate + 1) <=
            maxTicks) {
            spacing = candidate;
            break;
        }
    }
    std::vector<RulerTick> ticks;
    for (std::uint64_t label = (first + spacing - 1) / spacing * spacing; label <= last;
         label += spacing) {
        const SamplePos at = positionOfLabel(label, rateHz, rate);
        if (at < from || at > to)
            continue;
        std::string text = timecodeText(timecodeAt(at, rateHz, rate));
        if (spacing >= n)
            text.resize(8); // whole seconds: the frames add nothing
        ticks.push_back({at, text});
    }
    return ticks;
}

} // namespace tabrix
