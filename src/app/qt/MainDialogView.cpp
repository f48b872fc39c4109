#include "MainDialogView.h"

#include "AppIcon.h"
#include "PlanStripView.h"

#include <QButtonGroup>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

namespace tabrix {

namespace {

// The widest summary a real project can produce; the line is sized for it so nothing clips.
constexpr const char* widestSummary = "24 Bit, Mono Right, 176.4Khz, 23:59:59.99-23:59:59.99, 1000 MB";

// The one local folder among dropped items; empty when there is none.
QString droppedFolder(const QMimeData* mime)
{
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1)
        return {};
    const QUrl url = mime->urls().front();
    if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isDir())
        return {};
    return QDir::toNativeSeparators(QFileInfo(url.toLocalFile()).absoluteFilePath());
}

} // namespace

MainDialogView::MainDialogView(DialogServices* services, QWidget* parent)
    : QDialog(parent), ownServices(this)
{
    setWindowTitle("Tabrix Conform");
    setWindowIcon(AppIcon::create());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setAcceptDrops(true);
    buildControls();
    dialogLogic = std::make_unique<MainDialog>(*this, services ? *services : ownServices);
    dialogLogic->onInitDialog();
}

MainDialogView::~MainDialogView() = default;

void MainDialogView::buildControls()
{
    chooseProjectButton = new QPushButton("Choose Project...", this);
    chooseProjectButton->setObjectName("chooseProject");
    chooseProjectButton->setAutoDefault(false);
    pathLabel = new QLabel(this);
    pathLabel->setObjectName("projectPath");
    pathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* topRow = new QHBoxLayout;
    topRow->addWidget(chooseProjectButton);
    topRow->addSpacing(16);
    topRow->addWidget(pathLabel, 1);

    auto* options = new QGroupBox(this);
    auto* grid = new QGridLayout(options);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(10);
    grid->setContentsMargins(18, 14, 18, 12);
    grid->addWidget(new QLabel("Width", options), 0, 0, Qt::AlignRight);
    grid->addWidget(new QLabel("Channels", options), 1, 0, Qt::AlignRight);
    widthGroup = new QButtonGroup(this);
    channelGroup = new QButtonGroup(this);
    const char* widthTexts[] = {"16 Bit", "24 Bit"};
    for (int i = 0; i < 2; ++i) {
        widthButtons[i] = new QRadioButton(widthTexts[i], options);
        widthButtons[i]->setObjectName(QString("width%1").arg(i));
        widthGroup->addButton(widthButtons[i], i);
        grid->addWidget(widthButtons[i], 0, i + 1);
    }
    const char* channelTexts[] = {"Stereo", "Mono L", "Mono R", "Mono Sum", "Dual Mono"};
    for (int i = 0; i < 5; ++i) {
        channelButtons[i] = new QRadioButton(channelTexts[i], options);
        channelButtons[i]->setObjectName(QString("channel%1").arg(i));
        channelGroup->addButton(channelButtons[i], i);
        grid->addWidget(channelButtons[i], 1, i + 1);
    }
    summaryLabel = new QLabel(options);
    summaryLabel->setObjectName("summary");
    summaryLabel->setAlignment(Qt::AlignCenter);
    summaryLabel->setMinimumWidth(QFontMetrics(summaryLabel->font()).horizontalAdvance(widestSummary) + 8);
    summaryLabel->setWordWrap(true);
    grid->addWidget(summaryLabel, 2, 0, 1, 6);
    // Two lines' room: a refusal naming a long folder wraps without the window changing size.
    grid->setRowMinimumHeight(2, 2 * summaryLabel->fontMetrics().lineSpacing() + 4);
    pathLabel->setMinimumWidth(summaryLabel->minimumWidth() + 40 -
                               chooseProjectButton->sizeHint().width());

    conformProjectButton = new QPushButton("Conform Project", this);
    conformProjectButton->setObjectName("conformProject");
    conformProjectButton->setMinimumWidth(150);
    conformProjectButton->setEnabled(false);
    conformProjectButton->setDefault(true); // Enter conforms once a project can be conformed
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addStretch();
    bottomRow->addWidget(conformProjectButton);
    bottomRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 18);
    layout->setSpacing(16);
    layout->addLayout(topRow);
    layout->addWidget(options);
    buildPlanRows(layout);
    layout->addLayout(bottomRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder();

    connect(chooseProjectButton, &QPushButton::clicked, this, [this] { dialogLogic->onChooseProject(); });
    connect(conformProjectButton, &QPushButton::clicked, this, [this] { dialogLogic->onConformProject(); });
    connect(skippedDetailsButton, &QPushButton::clicked, this, [this] { dialogLogic->onDetails(); });
    connect(widthButtons[0], &QRadioButton::clicked, this, [this] { dialogLogic->onWidth16(); });
    connect(widthButtons[1], &QRadioButton::clicked, this, [this] { dialogLogic->onWidth24(); });
    connect(channelGroup, &QButtonGroup::idClicked, this, [this] { dialogLogic->onChannelChoice(); });
}

void MainDialogView::buildPlanRows(QVBoxLayout* layout)
{
    takesLabel = new QLabel(this);
    takesLabel->setObjectName("takeCount");
    skippedDetailsButton = new QPushButton("Details...", this);
    skippedDetailsButton->setObjectName("skippedDetails");
    skippedDetailsButton->setAutoDefault(false);
    skippedDetailsButton->setEnabled(false);
    skippedDetailsButton->setToolTip("The files that are not takes, and why");
    auto* takesRow = new QHBoxLayout;
    takesRow->addWidget(new QLabel("<b>Conform plan</b>", this));
    takesRow->addStretch();
    takesRow->addWidget(takesLabel);
    takesRow->addWidget(skippedDetailsButton);

    strip = new PlanStripView(this);
    unusedLabel = new QLabel(this);
    unusedLabel->setObjectName("unusedTakes");
    unusedLabel->setWordWrap(false);

    auto* planRows = new QVBoxLayout;
    planRows->setSpacing(6);
    planRows->addLayout(takesRow);
    planRows->addWidget(strip);
    planRows->addWidget(unusedLabel);
    layout->addLayout(planRows);
}

void MainDialogView::setTabOrder()
{
    // Along the window, top to bottom: the project, the options, the plan's details, conform.
    QWidget* order[] = {chooseProjectButton, widthButtons[0], widthButtons[1], channelButtons[0],
                        channelButtons[1],   channelButtons[2], channelButtons[3],
                        channelButtons[4],   skippedDetailsButton, conformProjectButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void MainDialogView::show(const MainDialogFields& fields)
{
    fullPath = QString::fromStdString(fields.projectPath);
    pathLabel->setText(elidedPath(fullPath));
    pathLabel->setToolTip(fullPath);
    summaryLabel->setText(QString::fromStdString(fields.summaryText));
    summaryLabel->setStyleSheet(fields.refused ? "color: #b3261e;" : QString());
    if (fields.widthChoice >= 0 && fields.widthChoice < int(widthButtons.size()))
        widthButtons[fields.widthChoice]->setChecked(true);
    if (fields.channelChoice >= 0 && fields.channelChoice < int(channelButtons.size()))
        channelButtons[fields.channelChoice]->setChecked(true);
    conformProjectButton->setEnabled(fields.conformEnabled);
    takesLabel->setText(QString::fromStdString(fields.takesText));
    skippedDetailsButton->setEnabled(fields.detailsEnabled);
    strip->setPlan(fields.plan);
    strip->setPlaceholder(fields.refused ? "Nothing in this folder can be conformed."
                                         : "Choose a project folder, or drop one here, to see "
                                           "what plays where.");
    const QString unused = QString::fromStdString(fields.unusedText);
    unusedLabel->setText(QFontMetrics(unusedLabel->font())
                             .elidedText(unused, Qt::ElideRight, summaryLabel->minimumWidth()));
    unusedLabel->setToolTip(unused);
}

MainDialogFields MainDialogView::read() const
{
    MainDialogFields fields = dialogLogic ? dialogLogic->shownFields() : MainDialogFields{};
    fields.projectPath = fullPath.toStdString();
    fields.summaryText = summaryLabel->text().toStdString();
    fields.widthChoice = widthGroup->checkedId() < 0 ? 0 : widthGroup->checkedId();
    fields.channelChoice = channelGroup->checkedId() < 0 ? 0 : channelGroup->checkedId();
    fields.conformEnabled = conformProjectButton->isEnabled();
    return fields;
}

void MainDialogView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFolder(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainDialogView::dropEvent(QDropEvent* event)
{
    const QString folder = droppedFolder(event->mimeData());
    if (!folder.isEmpty() && dialogLogic->onDrop(folder.toStdString()))
        event->acceptProposedAction();
}

QString MainDialogView::elidedPath(const QString& path) const
{
    // A long path keeps its end, where the project's own folder name is.
    return QFontMetrics(pathLabel->font()).elidedText(path, Qt::ElideMiddle, pathLabel->minimumWidth());
}

} // namespace tabrix
