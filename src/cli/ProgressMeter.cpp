#include "cli/ProgressMeter.h"

#include "cli/CliText.h"
#include "frontend/ProjectSummary.h"

#include <cstdio>
#include <utility>

namespace tabrix::cli {

namespace {

constexpr int barCellCount = 30;

std::string timesText(int percent, double elapsedSeconds)
{
    // Until the first block has counted, nothing says how long the rest will take.
    const std::string left =
        percent > 0 ? durationText(elapsedSeconds * (100 - percent) / percent) : "-:--";
    return durationText(elapsedSeconds) + " elapsed, " + left + " left";
}

} // namespace

ProgressMeter::ProgressMeter(ProgressStyle style, std::string label)
    : style(style), label(std::move(label))
{
}

std::string ProgressMeter::prefix() const
{
    return label.empty() ? std::string() : label + ": ";
}

std::string ProgressMeter::barText(int percent, double elapsedSeconds, int barCells)
{
    const int filled = percent * barCells / 100;
    char figure[8];
    std::snprintf(figure, sizeof figure, "%3d%%", percent);
    return "[" + std::string(std::size_t(filled), '#') +
           std::string(std::size_t(barCells - filled), '.') + "] " + figure + "  " +
           timesText(percent, elapsedSeconds);
}

std::string ProgressMeter::update(double percent, double elapsedSeconds)
{
    const int shownPercent = wholePercent(percent);
    if (style == ProgressStyle::Bar) {
        const std::string bar = prefix() + barText(shownPercent, elapsedSeconds, barCellCount);
        if (bar == shownBar)
            return std::string();
        // Pad over the remains of a longer line drawn before.
        const std::size_t padding = shownBar.size() > bar.size() ? shownBar.size() - bar.size() : 0;
        shownBar = bar;
        return "\r" + bar + std::string(padding, ' ');
    }
    if (style == ProgressStyle::Lines) {
        std::string text;
        while (decilesShown < shownPercent / 10) {
            ++decilesShown;
            text += prefix() + std::to_string(decilesShown * 10) + "%, " +
                    timesText(shownPercent, elapsedSeconds) + "\n";
        }
        return text;
    }
    return std::string();
}

std::string ProgressMeter::finish()
{
    return style == ProgressStyle::Bar && !shownBar.empty() ? "\n" : std::string();
}

} // namespace tabrix::cli
