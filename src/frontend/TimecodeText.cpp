#include "frontend/TimecodeText.h"

#include <cstdio>

namespace tabrix {

std::string timecodeText(const Timecode& timecode)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u%c%02u", timecode.hours, timecode.minutes,
                  timecode.seconds, timecode.dropFrame ? ';' : ':', timecode.frames);
    return text;
}

std::string rateLabel(const TimecodeRate& rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", double(rate.numerator) / double(rate.denominator));
    std::string label = text;
    while (label.back() == '0')
        label.pop_back();
    if (label.back() == '.')
        label.pop_back();
    if (rate.dropFrame)
        return label + " DF";
    return rate.denominator == 1001 && rate.flagText == "NDF" ? label + " NDF" : label;
}

std::optional<std::string> projectTimecode(const ConformProject& project, SamplePos position)
{
    const std::optional<TimecodeRate>& rate = project.timecodeRate();
    if (!rate)
        return std::nullopt;
    return timecodeText(timecodeAt(position, project.sampleRate(), *rate));
}

} // namespace tabrix
