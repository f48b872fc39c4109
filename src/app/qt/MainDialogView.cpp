#include "MainDialogView.h"

#include "AppIcon.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tabrix {

namespace {

// The widest summary a real project can produce; the line is sized for it so nothing clips.
constexpr const char* widestSummary = "24 Bit, Mono Right, 176.4Khz, 23:59:59.99-23:59:59.99, 1000 MB";

} // namespace

MainDialogView::MainDialogView(DialogServices* services, QWidget* parent)
    : QDialog(parent), ownServices(this)
{
    setWindowTitle("Tabrix Conform");
    setWindowIcon(AppIcon::create());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
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
    grid->addWidget(summaryLabel, 2, 0, 1, 6);
    grid->setRowMinimumHeight(2, 30);
    pathLabel->setMinimumWidth(summaryLabel->minimumWidth() + 40 -
                               chooseProjectButton->sizeHint().width());

    conformProjectButton = new QPushButton("Conform Project", this);
    conformProjectButton->setObjectName("conformProject");
    conformProjectButton->setAutoDefault(false);
    conformProjectButton->setMinimumWidth(150);
    conformProjectButton->setEnabled(false);
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addStretch();
    bottomRow->addWidget(conformProjectButton);
    bottomRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 18);
    layout->setSpacing(16);
    layout->addLayout(topRow);
    layout->addWidget(options);
    layout->addLayout(bottomRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(chooseProjectButton, &QPushButton::clicked, this, [this] { dialogLogic->onChooseProject(); });
    connect(conformProjectButton, &QPushButton::clicked, this, [this] { dialogLogic->onConformProject(); });
    connect(widthButtons[0], &QRadioButton::clicked, this, [this] { dialogLogic->onWidth16(); });
    connect(widthButtons[1], &QRadioButton::clicked, this, [this] { dialogLogic->onWidth24(); });
    connect(channelGroup, &QButtonGroup::idClicked, this, [this] { dialogLogic->onChannelChoice(); });
}

void MainDialogView::show(const MainDialogFields& fields)
{
    fullPath = QString::fromStdString(fields.projectPath);
    pathLabel->setText(elidedPath(fullPath));
    pathLabel->setToolTip(fullPath);
    summaryLabel->setText(QString::fromStdString(fields.summaryText));
    if (fields.widthChoice >= 0 && fields.widthChoice < int(widthButtons.size()))
        widthButtons[fields.widthChoice]->setChecked(true);
    if (fields.channelChoice >= 0 && fields.channelChoice < int(channelButtons.size()))
        channelButtons[fields.channelChoice]->setChecked(true);
    conformProjectButton->setEnabled(fields.conformEnabled);
}

MainDialogFields MainDialogView::read() const
{
    MainDialogFields fields;
    fields.projectPath = fullPath.toStdString();
    fields.summaryText = summaryLabel->text().toStdString();
    fields.widthChoice = widthGroup->checkedId() < 0 ? 0 : widthGroup->checkedId();
    fields.channelChoice = channelGroup->checkedId() < 0 ? 0 : channelGroup->checkedId();
    fields.conformEnabled = conformProjectButton->isEnabled();
    return fields;
}

QString MainDialogView::elidedPath(const QString& path) const
{
    // A long path keeps its end, where the project's own folder name is.
    return QFontMetrics(pathLabel->font()).elidedText(path, Qt::ElideMiddle, pathLabel->minimumWidth());
}

} // namespace tabrix
