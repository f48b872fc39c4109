#pragma once
#include "app/ProgressLogic.h"

#include <QDialog>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tabrix {

class ConformProject;

/// The modal progress window: runs `project.run` on a worker thread from the moment it is
/// shown, refreshes its bar every 100 ms and offers Cancel, then OK. It cannot close while
/// the conform runs. The worker's end is shown by the window's own timer while the worker
/// waits; the window's thread never blocks on the worker.
class ProgressDialogView : public QDialog {
    Q_OBJECT
public:
    /// `project` must have its output prepared and must outlive the window; `job` names the
    /// output(s) and the length of the whole conform.
    ProgressDialogView(ConformProject& project, const ProgressJob& job, QWidget* parent = nullptr);
    ~ProgressDialogView() override;

    const ProgressLogic& logic() const noexcept { return progressLogic; }
    /// The run's progress so far, in percent (may end a little above 100).
    double progressPercent() const noexcept { return percent.load(); }
    /// True once the worker thread has been joined.
    bool workerJoined() const noexcept { return started && !worker.joinable(); }
    QPushButton* button() const noexcept { return actionButton; }
    QProgressBar* bar() const noexcept { return progressBar; }
    QLabel* messageLine() const noexcept { return messageLabel; }

    /// Escape and the close command act as the button.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void start();
    void onTimer();
    void onButton();
    void workerMain();
    void showFields();
    void showEndOfRun();
    void releaseWorker();
    void joinFinishedWorker();

    ConformProject& project;
    ProgressJob job;
    ProgressLogic progressLogic;
    QProgressBar* progressBar;
    QLabel* messageLabel;
    QPushButton* actionButton;
    QTimer refreshTimer;
    std::atomic<double> percent{0.0};
    std::atomic<bool> runDone{false};
    std::atomic<bool> runResult{false};
    std::atomic<bool> workerFinished{false};
    std::mutex endMutex;
    std::condition_variable endShownSignal;
    bool endShown = false; ///< guarded by endMutex
    std::thread worker;
    bool started = false;
};

} // namespace tabrix
