#include "ProgressDialogView.h"

#include "frontend/ProblemText.h"
#include "project/ConformProject.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tabrix {

namespace {
constexpr int refreshMilliseconds = 100;
}

ProgressDialogView::ProgressDialogView(ConformProject& project, const ProgressJob& job,
                                       QWidget* parent)
    : QDialog(parent), project(project), job(job),
      progressLogic([&project] { project.requestCancel(); }, job),
      progressBar(new QProgressBar(this)), messageLabel(new QLabel(this)),
      actionButton(new QPushButton(this))
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    progressBar->setObjectName("progressBar");
    progressBar->setRange(0, 100);
    progressBar->setTextVisible(false);
    progressBar->setMinimumWidth(420);
    messageLabel->setObjectName("progressMessage");
    messageLabel->setWordWrap(true);
    messageLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for two lines, so the window keeps its size when the end is reported.
    messageLabel->setFixedWidth(420);
    messageLabel->setMinimumHeight(messageLabel->fontMetrics().lineSpacing() * 2);
    messageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    actionButton->setObjectName("progressButton");
    actionButton->setAutoDefault(false);
    actionButton->setMinimumWidth(80);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(actionButton);
    buttonRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 22, 12, 14);
    layout->setSpacing(12);
    layout->addWidget(progressBar);
    layout->addWidget(messageLabel);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    refreshTimer.setInterval(refreshMilliseconds);
    connect(&refreshTimer, &QTimer::timeout, this, &ProgressDialogView::onTimer);
    connect(actionButton, &QPushButton::clicked, this, &ProgressDialogView::onButton);
    showFields();
}

ProgressDialogView::~ProgressDialogView()
{
    if (!worker.joinable())
        return;
    // Only reachable when the window is destroyed without having been closed: stop the run
    // and let the worker go without showing anything.
    project.requestCancel();
    releaseWorker();
    worker.join();
}

void ProgressDialogView::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!started)
        start();
}

void ProgressDialogView::start()
{
    started = true;
    percent.store(0.0);
    refreshTimer.start();
    worker = std::thread([this] { workerMain(); });
}

void ProgressDialogView::workerMain()
{
    runResult.store(project.run(percent));
    runDone.store(true);
    // The window shows the end on its own thread; the worker waits until it has.
    std::unique_lock lock(endMutex);
    endShownSignal.wait(lock, [this] { return endShown; });
    lock.unlock();
    workerFinished.store(true);
}

void ProgressDialogView::onTimer()
{
    progressLogic.onTimer(percent.load());
    if (runDone.load() && !progressLogic.ended())
        showEndOfRun();
    showFields();
    joinFinishedWorker();
    if (workerJoined())
        refreshTimer.stop();
}

void ProgressDialogView::showEndOfRun()
{
    // The worker is done with the project and waits; its failure and the file are settled.
    RunEnd end;
    end.runResult = runResult.load();
    end.failure = failureText(project.lastFailure());
    if (!job.outputPaths.empty())
        end.framesWritten =
            ProgressLogic::framesInFile(job.outputPaths.front(), job.fileFrameBytes);
    progressLogic.finishConform(end);
    showFields();
    releaseWorker();
}

void ProgressDialogView::releaseWorker()
{
    {
        std::lock_guard lock(endMutex);
        endShown = true;
    }
    endShownSignal.notify_all();
}

void ProgressDialogView::joinFinishedWorker()
{
    // Joined only once it has signalled its end, so this thread never waits on a running conform.
    if (worker.joinable() && workerFinished.load())
        worker.join();
}

void ProgressDialogView::onButton()
{
    if (!progressLogic.onCancelButton()) {
        showFields();
        return;
    }
    // Ended: the end is shown and the worker released, so it is at most returning. Let it
    // finish before the window (and its project reference) can go away.
    while (!workerFinished.load())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    joinFinishedWorker();
    refreshTimer.stop();
    QDialog::reject();
}

void ProgressDialogView::reject()
{
    onButton();
}

void ProgressDialogView::showFields()
{
    const ProgressFields& fields = progressLogic.fields();
    setWindowTitle(QString::fromStdString(fields.title));
    actionButton->setText(QString::fromStdString(fields.buttonCaption));
    progressBar->setValue(fields.barPosition);
    messageLabel->setText(QString::fromStdString(fields.message));
}

} // namespace tabrix
