#pragma once
#include <functional>
#include <string>

namespace tabrix {

/// Where a conform stands, as the progress window shows it.
enum class ProgressState { Running, Cancelling, Completed, Cancelled, Failed };

/// What the progress window's controls show.
struct ProgressFields {
    std::string title = "Converting...";
    std::string buttonCaption = "Cancel";
    int barPosition = 0; ///< 0..100
};

/// The progress window's decisions, free of any toolkit and of threads: every call comes on
/// the window's thread (the worker's end is carried over to it before `finishConform`).
class ProgressLogic {
public:
    /// `cancelRun` asks the running conform to stop; it may be called more than once.
    explicit ProgressLogic(std::function<void()> cancelRun);

    /// Refresh tick (every 100 ms): the bar follows `progressPercent` while running. While
    /// cancelling the stop request is repeated, so one that reached the run before it started
    /// listening is not lost.
    void onTimer(double progressPercent);
    /// The button, the close command or Escape. True when the window should close now (only
    /// once the conform has ended); otherwise the press cancels the run.
    bool onCancelButton();
    /// The worker's run returned `runResult`: the window shows the end and offers "OK".
    void finishConform(bool runResult);

    ProgressState state() const noexcept { return current; }
    const ProgressFields& fields() const noexcept { return shown; }
    /// True once the conform has ended ("OK" on the button).
    bool ended() const noexcept;

    /// `percent` truncated towards zero and kept within 0..100 (NaN gives 0).
    static int barPositionFor(double percent) noexcept;

private:
    std::function<void()> cancelRun;
    ProgressState current = ProgressState::Running;
    ProgressFields shown;
};

} // namespace tabrix
