#include "app/ProgressLogic.h"

#include "audio/BwfFile.h"

#include <utility>

namespace tabrix {

ProgressLogic::ProgressLogic(std::function<void()> cancelRun, ProgressJob job)
    : cancelRun(std::move(cancelRun)), job(std::move(job))
{
    if (!this->job.outputPaths.empty())
        shown.message = "Writing " + outputNames() + ", " +
                        this->job.times.clock(this->job.totalFrames) + " of audio" +
                        (this->job.times.isTimecode()
                             ? " from " + this->job.times.position(this->job.startFrame) + " (" +
                                   this->job.times.rateLabel() + ")"
                             : std::string()) +
                        ".";
}

void ProgressLogic::onTimer(double progressPercent)
{
    if (current == ProgressState::Running)
        shown.barPosition = barPositionOf(progressPercent);
    else if (current == ProgressState::Cancelling && cancelRun)
        cancelRun();
}

bool ProgressLogic::onCancelButton()
{
    if (ended())
        return true;
    current = ProgressState::Cancelling;
    // The dots say something is still going on: the run stops at its next block.
    shown.title = "Cancelling...";
    shown.message = "Stopping at the next block...";
    if (cancelRun)
        cancelRun();
    return false;
}

void ProgressLogic::finishConform(const RunEnd& end)
{
    if (ended())
        return;
    // A failure is reported as one even after Cancel: the file may hold less than the
    // cancel would have left, and the reason is what the user needs.
    if (!end.runResult) {
        current = ProgressState::Failed;
        shown.title = "Conform Failed";
        const std::string reason = end.failure.empty() ? "the run stopped" : end.failure;
        shown.message = "Failed: " + reason + ". " + writtenText(end.framesWritten) +
                        " were written and are readable.";
    } else if (current == ProgressState::Cancelling) {
        current = ProgressState::Cancelled;
        shown.title = "Conform Cancelled";
        shown.message = "Cancelled after " + writtenText(end.framesWritten) + ". " +
                        outputNames() + (job.outputPaths.size() > 1 ? " are" : " is") +
                        " valid up to there.";
    } else {
        current = ProgressState::Completed;
        shown.title = "Conform Complete";
        shown.message = "Complete: " + outputNames() + ", " + job.times.clock(end.framesWritten) +
                        " written.";
    }
    shown.buttonCaption = "OK";
    // The bar says how far the file got: full only when it is complete.
    if (current == ProgressState::Completed)
        shown.barPosition = progressBarSteps;
    else if (job.totalFrames > 0)
        shown.barPosition =
            barPositionOf(100.0 * double(end.framesWritten) / double(job.totalFrames));
}

bool ProgressLogic::ended() const noexcept
{
    return current != ProgressState::Running && current != ProgressState::Cancelling;
}

SamplePos ProgressLogic::framesInFile(const std::string& path)
{
    // The header, not the file's length: chunks may follow the data, and the last frame
    // counts only once the header declares it.
    const std::filesystem::path file = pathFromUtf8(path);
    Take output{file.parent_path(), utf8FromPath(file.filename())};
    if (!output.parse() || output.frameBytes() == 0)
        return 0;
    return output.dataSize() / output.frameBytes();
}

int ProgressLogic::barPositionOf(double percent) noexcept
{
    const double steps = percent * (progressBarSteps / 100.0);
    if (!(steps > 0.0))
        return 0;
    return steps >= progressBarSteps ? progressBarSteps : static_cast<int>(steps);
}

std::string ProgressLogic::outputNames() const
{
    const auto nameOf = [this](std::size_t i) {
        return utf8FromPath(pathFromUtf8(job.outputPaths[i]).filename());
    };
    switch (job.outputPaths.size()) {
    case 0: return "the output";
    case 1: return nameOf(0);
    case 2: return nameOf(0) + " and " + nameOf(1);
    }
    // A file per track: the first names them all, so the message keeps to two lines.
    return nameOf(0) + " and " + std::to_string(job.outputPaths.size() - 1) + " more files";
}

std::string ProgressLogic::writtenText(SamplePos framesWritten) const
{
    // With a timecode, also where the file ends, as an editor will look for it.
    return job.times.clock(framesWritten) + " of " + job.times.clock(job.totalFrames) +
           (job.times.isTimecode() ? ", to " + job.times.position(job.startFrame + framesWritten)
                                   : std::string());
}

} // namespace tabrix
