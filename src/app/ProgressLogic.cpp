#include "app/ProgressLogic.h"

#include <utility>

namespace tabrix {

ProgressLogic::ProgressLogic(std::function<void()> cancelRun) : cancelRun(std::move(cancelRun)) {}

void ProgressLogic::onTimer(double progressPercent)
{
    if (current == ProgressState::Running)
        shown.barPosition = barPositionFor(progressPercent);
    else if (current == ProgressState::Cancelling && cancelRun)
        cancelRun();
}

bool ProgressLogic::onCancelButton()
{
    if (ended())
        return true;
    current = ProgressState::Cancelling;
    shown.title = "Conform Cancelled...";
    if (cancelRun)
        cancelRun();
    return false;
}

void ProgressLogic::finishConform(bool runResult)
{
    if (ended())
        return;
    // A cancelled run keeps its title whatever it returned; only an uncancelled run that
    // failed is reported as failed rather than complete.
    if (current == ProgressState::Cancelling) {
        current = ProgressState::Cancelled;
    } else if (runResult) {
        current = ProgressState::Completed;
        shown.title = "Conform Complete...";
    } else {
        current = ProgressState::Failed;
        shown.title = "Conform Failed...";
    }
    shown.buttonCaption = "OK";
    shown.barPosition = 100;
}

bool ProgressLogic::ended() const noexcept
{
    return current != ProgressState::Running && current != ProgressState::Cancelling;
}

int ProgressLogic::barPositionFor(double percent) noexcept
{
    if (!(percent > 0.0))
        return 0;
    if (percent >= 100.0)
        return 100;
    return static_cast<int>(percent);
}

} // namespace tabrix
