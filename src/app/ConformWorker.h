#pragma once
#include <atomic>

namespace tabrix {

class ConformProject;

/// Runs a prepared project's conform away from the window's thread. The progress window starts
/// it, polls `finished` on its timer and joins it once finished, so the window never waits on
/// a running conform. Tests put a scripted worker in its place to drive the window step by
/// step.
class ConformWorker {
public:
    virtual ~ConformWorker() = default;
    /// Starts `project.run(progressPercent)`; both must outlive the run. Called once.
    virtual void start(ConformProject& project, std::atomic<double>& progressPercent) = 0;
    /// True once the run has returned.
    virtual bool finished() const noexcept = 0;
    /// What the run returned; valid once `finished`.
    virtual bool result() const noexcept = 0;
    /// Waits for the worker to end: at once after `finished`, otherwise until the run stops.
    virtual void join() = 0;
};

} // namespace tabrix
