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

namespace {

// How many bytes a character led by `lead` takes and the range its second byte must fall in
// (later ones are 0x80..0xBF); a length of 0 marks a byte that can't lead. The narrowed ranges
// keep out overlong forms, surrogates and code points past U+10FFFF.
struct Utf8Lead {
    std::size_t byteCount;
    unsigned char low, high;
};

Utf8Lead utf8Lead(unsigned char lead)
{
    if (lead < 0x80)
        return {1, 0, 0};
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2, 0x80, 0xBF};
    if (lead == 0xE0)
        return {3, 0xA0, 0xBF};
    if (lead == 0xED)
        return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF)
        return {3, 0x80, 0xBF};
    if (lead == 0xF0)
        return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {4, 0x80, 0xBF};
    if (lead == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

} // namespace

std::string validUtf8(const std::string& text)
{
    std::string valid;
    valid.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Lead lead = utf8Lead(static_cast<unsigned char>(text[at]));
        std::size_t taken = 1; // the lead, then each byte that may follow it
        while (taken < lead.byteCount && at + taken < text.size()) {
            const auto next = static_cast<unsigned char>(text[at + taken]);
            const unsigned char low = taken == 1 ? lead.low : 0x80;
            const unsigned char high = taken == 1 ? lead.high : 0xBF;
            if (next < low || next > high)
                break;
            ++taken;
        }
        if (lead.byteCount != 0 && taken == lead.byteCount)
            valid.append(text, at, taken);
        else
            valid += "\xEF\xBF\xBD"; // U+FFFD for the whole broken run
        at += taken;
    }
    return valid;
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
