#pragma once
#include "WindowBase.h"
#include "WindowDpi.h"
#include "app/ProgressLogic.h"

#include <atomic>
#include <thread>

namespace tabrix {
class ConformProject;
}

namespace tabrix::win32 {

/// The progress window: runs `project.run` on a worker thread from the moment it opens,
/// refreshes its bar every 100 ms and offers Cancel, then OK. It cannot close while the
/// conform runs. The worker and the window share only atomics: the worker posts a message
/// when the run has ended, and the window's thread never waits for a running conform.
class ProgressDialogView : public WindowBase {
public:
    /// `project` must have its output prepared and must outlive the window; `job` names the
    /// output(s) and the length of the whole conform.
    ProgressDialogView(ConformProject& project, const ProgressJob& job);
    ~ProgressDialogView() override;

    /// Shows the window over `owner` (may be null) and starts the conform. False when the window
    /// could not be created; the conform has not started then.
    bool open(HWND owner);
    /// Opens the window with `owner` disabled and handles messages until it closes.
    void runModal(HWND owner);

    const ProgressLogic& logic() const noexcept { return progressLogic; }
    /// The run's progress so far, in percent (may end a little above 100).
    double progressPercent() const noexcept { return percent.load(); }
    /// True once the worker thread has ended and been joined.
    bool workerJoined() const noexcept { return started && !worker.joinable(); }
    /// True from `open` until the window has closed.
    bool isOpen() const noexcept { return handle() != nullptr; }
    HWND button() const noexcept { return actionButton; }
    HWND bar() const noexcept { return progressBar; }
    HWND messageLine() const noexcept { return messageLabel; }

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void createControls();
    void layOut();
    void onTimer();
    void onRunEnded();
    void onButton();
    void showFields();

    ConformProject& project;
    ProgressJob job;
    ProgressLogic progressLogic;
    HWND owner = nullptr;
    HWND progressBar = nullptr;
    HWND messageLabel = nullptr;
    HWND actionButton = nullptr;
    HFONT font = nullptr;
    WindowDpi dpi;
    std::atomic<double> percent{0.0};
    std::atomic<bool> runDone{false};
    std::atomic<bool> runResult{false};
    std::thread worker;
    bool started = false;
};

} // namespace tabrix::win32
