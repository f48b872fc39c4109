#include "ProgressDialogView.h"

#include "app/ConformRunEnd.h"
#include "project/ConformProject.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tabrix {

namespace {

constexpr int refreshMilliseconds = 100;

// The longest message the window shows, sized for so that the window keeps its size at the end.
constexpr const char* widestMessage =
    "Cancelled after 10:00:00.00 of 10:00:00.00. Day 17 Main Unit L.wav and Day 17 Main Unit "
    "R.wav are valid up to there.";

} // namespace

ProgressDialogView::ProgressDialogView(ConformProject& project, ConformWorker& worker,
                                       const ProgressJob& job, QWidget* parent)
    : QDialog(parent), project(project), worker(worker), job(job),
      progressLogic([&project] { project.requestCancel(); }, job),
      progressBar(new QProgressBar(this)), messageLabel(new QLabel(this)),
      actionButton(new QPushButton(this))
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    const QFontMetrics metrics = fontMetrics();
    // Wide enough for most messages on two lines, in the window's own font.
    const int textWidth = metrics.horizontalAdvance(widestMessage) / 2 + metrics.height();
    progressBar->setObjectName("progressBar");
    progressBar->setRange(0, progressBarSteps);
    progressBar->setTextVisible(false);
    progressBar->setMinimumWidth(textWidth);
    messageLabel->setObjectName("progressMessage");
    messageLabel->setWordWrap(true);
    messageLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    messageLabel->setFixedWidth(textWidth);
    messageLabel->setMinimumHeight(metrics.lineSpacing() * 2);
    messageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    actionButton->setObjectName("progressButton");
    actionButton->setAutoDefault(false); // Enter goes through the logic (keyPressEvent)
    actionButton->setMinimumWidth(metrics.horizontalAdvance("Cancel") * 2);

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
    connect(&refreshTimer, &QTimer::timeout, this, &ProgressDialogView::tick);
    connect(actionButton, &QPushButton::clicked, this, &ProgressDialogView::onButton);
    showFields();
}

ProgressDialogView::~ProgressDialogView()
{
    if (!started || joined)
        return;
    // Only reachable when the window is destroyed without having been closed: stop the run
    // and wait for it, so it never outlives the project it writes.
    project.requestCancel();
    worker.join();
}

void ProgressDialogView::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (started)
        return;
    started = true;
    percent.store(0.0);
    refreshTimer.start();
    worker.start(project, percent);
}

void ProgressDialogView::tick()
{
    progressLogic.onTimer(percent.load());
    if (started && !joined && worker.finished())
        showEndOfRun();
    showFields();
}

void ProgressDialogView::showEndOfRun()
{
    // The run has returned: its failure and the file are settled, and the worker is only
    // returning, so joining it does not wait.
    worker.join();
    joined = true;
    refreshTimer.stop();
    progressLogic.finishConform(runEndOf(project, worker.result(), job));
    actionButton->setFocus();
}

void ProgressDialogView::onButton()
{
    if (progressLogic.onCancelButton())
        QDialog::reject(); // ended: the worker has been joined
    else
        showFields();
}

void ProgressDialogView::reject()
{
    onButton();
}

void ProgressDialogView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (progressLogic.onEnterKey())
            QDialog::accept();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
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
