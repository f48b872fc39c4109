#pragma once
#include "audio/Types.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tabrix {

/// Where a conform stands, as the progress window shows it.
enum class ProgressState { Running, Cancelling, Completed, Cancelled, Failed };

/// What the progress window's controls show.
struct ProgressFields {
    std::string title = "Converting...";
    std::string buttonCaption = "Cancel";
    int barPosition = 0; ///< 0..100
    std::string message; ///< the line under the bar: what is written, and how the run ended
};

/// The conform the progress window runs, as the conform command set it up.
struct ProgressJob {
    std::vector<std::string> outputPaths; ///< UTF-8; two for Dual Mono (left first)
    std::uint32_t fileFrameBytes = 0;     ///< bytes of one frame in each output file
    SamplePos totalFrames = 0;            ///< frames the complete conform writes to each file
    std::uint32_t sampleRate = 0;         ///< Hz
};

/// How a run ended, as the window learns it once the worker is done.
struct RunEnd {
    bool runResult = false;
    SamplePos framesWritten = 0; ///< frames in the (left) output file after the run
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
    /// The worker's run ended: the window shows the outcome in words and offers "OK". A
    /// complete run fills the bar; a cancelled or failed one leaves it at what was written.
    void finishConform(const RunEnd& end);

    ProgressState state() const noexcept { return current; }
    const ProgressFields& fields() const noexcept { return shown; }
    /// True once the conform has ended ("OK" on the button).
    bool ended() const noexcept;

    /// Whole frames in the output file at `path` after its 1024 header bytes; 0 when it can't
    /// be measured.
    static SamplePos framesInFile(const std::string& path, std::uint32_t frameBytes);

private:
    std::string outputNames() const;
    std::string writtenText(SamplePos framesWritten) const;

    std::function<void()> cancelRun;
    ProgressJob job;
    ProgressState current = ProgressState::Running;
    ProgressFields shown;
};

} // namespace tabrix
