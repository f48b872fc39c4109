#pragma once
#include "app/ConformWorker.h"

#include <atomic>
#include <thread>

namespace tabrix {

/// The conform on a thread of its own. It shares only atomics with the window: the progress
/// percentage, the project's cancel request and its own end and result.
class ThreadWorker : public ConformWorker {
public:
    ThreadWorker() = default;
    ThreadWorker(const ThreadWorker&) = delete;
    ThreadWorker& operator=(const ThreadWorker&) = delete;
    /// Joins a thread still running; the owner asks the run to stop first.
    ~ThreadWorker() override;

    void start(ConformProject& project, std::atomic<double>& progressPercent) override;
    bool finished() const noexcept override { return done.load(); }
    bool result() const noexcept override { return runResult.load(); }
    void join() override;

private:
    std::thread thread;
    std::atomic<bool> done{false};
    std::atomic<bool> runResult{false};
};

} // namespace tabrix
