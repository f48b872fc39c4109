#include "app/ProgressLogic.h"

#include "frontend/ConformPlan.h"
#include "frontend/OutputChecks.h"
#include "frontend/ProjectSummary.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace tabrix {

ProgressLogic::ProgressLogic(std::function<void()> cancelRun, ProgressJob job)
    : cancelRun(std::move(cancelRun)), job(std::move(job))
{
    if (!this->job.outputPaths.empty())
        shown.message = "Writing " + outputNames() + ", " +
                        ConformPlan::clockText(this->job.totalFrames, this->job.sampleRate) +
                        " of audio.";
}

void ProgressLogic::onTimer(double progressPercent)
{
    if (current == ProgressState::Running)
        shown.barPosition = wholePercent(progressPercent);
    else if (current == ProgressState::Cancelling && cancelRun)
        cancelRun();
}

bool ProgressLogic::onCancelButton()
{
    if (ended())
        return true;
    current = ProgressState::Cancelling;
    shown.title = "Conform Cancelled...";
    shown.message = "Stopping at the next block...";
    if (cancelRun)
        cancelRun();
    return false;
}

void ProgressLogic::finishConform(const RunEnd& end)
{
    if (ended())
        return;
    // A cancelled run keeps its title whatever it returned; only an uncancelled run that
    // failed is reported as failed rather than complete.
    if (current == ProgressState::Cancelling) {
        current = ProgressState::Cancelled;
        shown.message = "Cancelled after " + writtenText(end.framesWritten) + ". " +
                        outputNames() + (job.outputPaths.size() > 1 ? " are" : " is") +
                        " valid up to there.";
    } else if (end.runResult) {
        current = ProgressState::Completed;
        shown.title = "Conform Complete...";
        shown.message = "Complete: " + outputNames() + ", " +
                        ConformPlan::clockText(end.framesWritten, job.sampleRate) + " written.";
    } else {
        current = ProgressState::Failed;
        shown.title = "Conform Failed...";
        const std::string reason = end.failure.empty() ? "the run stopped" : end.failure;
        shown.message = "Failed: " + reason + ". " + writtenText(end.framesWritten) +
                        " were written and are readable.";
    }
    shown.buttonCaption = "OK";
    // The bar says how far the file got: full only when it is complete.
    if (current == ProgressState::Completed)
        shown.barPosition = 100;
    else if (job.totalFrames > 0)
        shown.barPosition =
            wholePercent(100.0 * double(end.framesWritten) / double(job.totalFrames));
}

bool ProgressLogic::ended() const noexcept
{
    return current != ProgressState::Running && current != ProgressState::Cancelling;
}

SamplePos ProgressLogic::framesInFile(const std::string& path, std::uint32_t frameBytes)
{
    std::error_code error;
    const std::uintmax_t byteCount = std::filesystem::file_size(pathFromUtf8(path), error);
    if (error || frameBytes == 0 || byteCount <= outputHeaderBytes)
        return 0;
    return (byteCount - outputHeaderBytes) / frameBytes; // a pad byte is less than a frame
}

std::string ProgressLogic::outputNames() const
{
    std::string names;
    for (const std::string& path : job.outputPaths) {
        if (!names.empty())
            names += " and ";
        names += utf8FromPath(pathFromUtf8(path).filename());
    }
    return names.empty() ? std::string("the output") : names;
}

std::string ProgressLogic::writtenText(SamplePos framesWritten) const
{
    return ConformPlan::clockText(framesWritten, job.sampleRate) + " of " +
           ConformPlan::clockText(job.totalFrames, job.sampleRate);
}

} // namespace tabrix
