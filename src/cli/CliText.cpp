#include "cli/CliText.h"

#include "cli/Platform.h"
#include "frontend/ProjectSummary.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tabrix::cli {

std::string clockText(const ClockTime& time)
{
    char text[24];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%02d", time.hours, time.minutes, time.seconds,
                  time.fraction);
    return text;
}

std::string clockTextAt(const ConformProject& project, SamplePos position)
{
    ClockTime time;
    project.timeOfDay(position, time);
    return clockText(time);
}

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::optional<std::string> recordedText(const BwfFile& take)
{
    // The sort key is the origination read as local time; turning it back gives the date and
    // time the recorder wrote, checked and normalised by the same conversion the ordering used.
    if (take.key() == BwfFile::undatedKey)
        return std::nullopt;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!localCalendarTime(take.key(), year, month, day, hour, minute, second))
        return std::nullopt;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    return text;
}

std::string durationText(double seconds)
{
    const long long whole =
        std::isfinite(seconds) && seconds > 0 ? static_cast<long long>(seconds) : 0;
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

std::string projectName(const std::string& projectFolder)
{
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(pathFromUtf8(projectFolder), error);
    if (error)
        folder = pathFromUtf8(projectFolder);
    folder = folder.lexically_normal();
    if (!folder.has_filename() && folder.has_parent_path() && folder != folder.root_path())
        folder = folder.parent_path();
    return utf8FromPath(folder.filename());
}

std::string notConformableText(const ConformProject& project)
{
    const std::string reason = projectRefusalText(project);
    return reason.empty() ? "the project can't be conformed." : reason;
}

} // namespace tabrix::cli
