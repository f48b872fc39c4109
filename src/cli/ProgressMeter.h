#pragma once
#include <string>

namespace tabrix::cli {

/// How a conform shows its progress on the error stream.
enum class ProgressStyle {
    None,  ///< nothing (the error stream is not a terminal and --progress wasn't given)
    Bar,   ///< one line redrawn in place: bar, percentage, elapsed time and time left
    Lines, ///< one line per 10 %, for logs
};

/// Turns the run's percentage and the time since it started into the text to write. Knows
/// nothing of clocks or streams, so the same figures always give the same text.
class ProgressMeter {
  public:
    /// `label` (the project's name; may be empty) leads every line.
    ProgressMeter(ProgressStyle style, std::string label);

    /// Text to write now for `percent` (0..100, more is taken as 100) after `elapsedSeconds`;
    /// empty when what is shown would not change.
    std::string update(double percent, double elapsedSeconds);
    /// Text to write once the run has ended: the bar's line is ended, nothing else is added.
    std::string finish();

    /// "[#####.....]  50%  0:10 elapsed, 0:10 left" with a bar of `barCells` cells.
    static std::string barText(int percent, double elapsedSeconds, int barCells);

  private:
    std::string prefix() const;

    ProgressStyle style;
    std::string label;
    std::string shownBar;
    int decilesShown = 0;
};

} // namespace tabrix::cli
