#pragma once
#include "audio/Types.h"
#include "frontend/TimeFormat.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tabrix {

/// Where a conform stands, as the progress window shows it.
enum class ProgressState { Running, Cancelling, Completed, Cancelled, Failed };

/// Steps of the progress bar: tenths of a percent, so its final position is the fraction of
/// the output written, not a whole percent short of it.
constexpr int progressBarSteps = 1000;

/// What the progress window's controls show.
struct ProgressFields {
    std::string title = "Converting...";
    std::string buttonCaption = "Cancel";
    int barPosition = 0; ///< 0..progressBarSteps
    std::string message; ///< the line under the bar: what is written, and how the run ended
};

/// The conform the progress window runs, as the conform command set it up.
struct ProgressJob {
    std::vector<std::string> outputPaths; ///< UTF-8; two for Dual Mono (left first)
    SamplePos totalFrames = 0;            ///< frames the complete conform writes to each file
    TimeFormat times;                     ///< how the window puts lengths into words
    SamplePos startFrame = 0;             ///< the timeline position of the outputs' first frame
};

/// How a run ended, as the window learns it once the worker is done.
struct RunEnd {
    bool runResult = false;
    SamplePos framesWritten = 0; ///< frames the (left) output file declares after the run
    std::string failure;         ///< why the run failed in words; may be empty
};

/// The progress window's decisions, free of any toolkit and of threads: every call comes on
/// the window's thread (the worker's end is carried over to it before `finishConform`).
class ProgressLogic {
public:
    /// `cancelRun` asks the running conform to stop; it may be called more than once.
    explicit ProgressLogic(std::function<void()> cancelRun, ProgressJob job = {});

    /// Refresh tick (every 100 ms): the bar follows `progressPercent` while running. While
    /// cancelling the stop request is repeated, so one that reached the run before it started
    /// listening is not lost.
    void onTimer(double progressPercent);
    /// The button, the close command or Escape. True when the window should close now (only
    /// once the conform has ended); otherwise the press cancels the run.
    bool onCancelButton();
    /// Enter. True when the window should close now: once the conform has ended Enter is
    /// "OK"; while it runs Enter does nothing, so a stray key never stops hours of work.
    bool onEnterKey() const noexcept { return ended(); }
    /// The worker's run ended: the window shows the outcome in words and offers "OK". A run
    /// that failed is reported as failed, also after Cancel. A complete run fills the bar; a
    /// cancelled or failed one leaves it at the fraction of the output written.
    void finishConform(const RunEnd& end);

    ProgressState state() const noexcept { return current; }
    const ProgressFields& fields() const noexcept { return shown; }
    /// True once the conform has ended ("OK" on the button).
    bool ended() const noexcept;

    /// The whole frames the output file at `path` declares, read from its header as a take
    /// would be; 0 when it can't be read or holds none.
    static SamplePos framesInFile(const std::string& path);
    /// A percentage as a bar position, truncated and kept within 0..progressBarSteps.
    static int barPositionOf(double percent) noexcept;

private:
    std::string outputNames() const;
    std::string writtenText(SamplePos framesWritten) const;

    std::function<void()> cancelRun;
    ProgressJob job;
    ProgressState current = ProgressState::Running;
    ProgressFields shown;
};

} // namespace tabrix
