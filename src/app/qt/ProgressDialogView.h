#pragma once
#include "app/ConformWorker.h"
#include "app/ProgressLogic.h"

#include <QDialog>
#include <QTimer>

#include <atomic>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tabrix {

class ConformProject;

/// The modal progress window: starts the conform on its worker when it is shown, refreshes
/// its bar every 100 ms and offers Cancel, then OK. It cannot close while the conform runs.
/// Its timer notices the worker's end, shows it and joins the worker, which by then is only
/// returning; the window's thread never waits on a running conform.
class ProgressDialogView : public QDialog {
    Q_OBJECT
public:
    /// `project` must have its output prepared and `worker` must not have been started; both
    /// must outlive the window. `job` names the output(s) and the length of the whole conform.
    ProgressDialogView(ConformProject& project, ConformWorker& worker, const ProgressJob& job,
                       QWidget* parent = nullptr);
    ~ProgressDialogView() override;

    const ProgressLogic& logic() const noexcept { return progressLogic; }
    /// The run's progress so far, in percent (may end a little above 100).
    std::atomic<double>& progressPercent() noexcept { return percent; }
    /// True once the worker has been joined.
    bool workerJoined() const noexcept { return joined; }
    QPushButton* button() const noexcept { return actionButton; }
    QProgressBar* bar() const noexcept { return progressBar; }
    QLabel* messageLine() const noexcept { return messageLabel; }

    /// One refresh, as the timer does it: the bar, and the end once the worker has finished.
    void tick();
    /// Escape and the close command act as the button.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onButton();
    void showFields();
    void showEndOfRun();

    ConformProject& project;
    ConformWorker& worker;
    ProgressJob job;
    ProgressLogic progressLogic;
    QProgressBar* progressBar;
    QLabel* messageLabel;
    QPushButton* actionButton;
    QTimer refreshTimer;
    std::atomic<double> percent{0.0};
    bool started = false;
    bool joined = false;
};

} // namespace tabrix
