#pragma once
#include "WindowBase.h"
#include "WindowDpi.h"
#include "app/ConformWorker.h"
#include "app/ProgressLogic.h"

#include <atomic>

namespace tabrix {
class ConformProject;
}

namespace tabrix::win32 {

/// The progress window: starts the conform on `worker` the moment it opens, refreshes its bar
/// every 100 ms, and offers Cancel, then OK. It cannot close while the conform runs. Each
/// refresh asks the worker whether the run has returned and only then joins it, so the
/// window's thread never waits for a running conform.
class ProgressDialogView : public WindowBase {
public:
    /// `project` must have its output prepared; it and `worker` must outlive the window. `job`
    /// names the output(s) and the length of the whole conform.
    ProgressDialogView(ConformProject& project, ConformWorker& worker, const ProgressJob& job);
    ~ProgressDialogView() override;

    /// Shows the window over `owner` (may be null) and starts the conform. False when the window
    /// could not be created; the conform has not started then.
    bool open(HWND owner);
    /// Opens the window with `owner` disabled and handles messages until it closes.
    void runModal(HWND owner);

    const ProgressLogic& logic() const noexcept { return progressLogic; }
    /// The run's progress so far, in percent (may end a little above 100).
    double progressPercent() const noexcept { return percent.load(); }
    /// True once the worker has ended and been joined.
    bool workerJoined() const noexcept { return joined; }
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
    void showEndOfRun();
    void onButton();
    void showFields();

    ConformProject& project;
    ConformWorker& worker;
    ProgressJob job;
    ProgressLogic progressLogic;
    HWND owner = nullptr;
    HWND progressBar = nullptr;
    HWND messageLabel = nullptr;
    HWND actionButton = nullptr;
    HFONT font = nullptr;
    WindowDpi dpi;
    std::atomic<double> percent{0.0};
    bool started = false;
    bool joined = false;
};

} // namespace tabrix::win32
