#include "MainDialogView.h"

#include "AppIcon.h"
#include "PlanStripView.h"
#include "app/WindowColours.h"
#include "frontend/ProjectSummary.h"

#include <QButtonGroup>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace tabrix {

namespace {

// The widest summary a real project can produce; the line is sized for it so nothing clips.
constexpr const char* widestSummary =
    "32 Bit Float, Split Tracks (32), 176.4Khz, 23:59:59.99-23:59:59.99, 99999 MB";

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Each dropped item as a path: a local file or folder as such, anything else as its address,
// which the logic then reports as not found.
std::vector<std::string> droppedPaths(const QMimeData* mime)
{
    std::vector<std::string> paths;
    if (mime == nullptr)
        return paths;
    for (const QUrl& url : mime->urls())
        paths.push_back(url.isLocalFile()
                            ? QDir::toNativeSeparators(url.toLocalFile()).toStdString()
                            : url.toDisplayString().toStdString());
    return paths;
}

PlanColour planColourOf(const QColor& colour)
{
    return {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
            static_cast<std::uint8_t>(colour.blue())};
}

} // namespace

MainDialogView::MainDialogView(DialogServices* services, QWidget* parent)
    : QDialog(parent), ownServices(this)
{
    setWindowTitle("Tabrix Conform");
    setWindowIcon(AppIcon::create());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
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
    pathLabel = new QLabel(this);
    pathLabel->setObjectName("projectPath");
    pathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The path is elided to whatever room the window gives it; the tooltip has it whole.
    pathLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    pathLabel->setMinimumHeight(pathLabel->fontMetrics().height());
    auto* topRow = new QHBoxLayout;
    topRow->addWidget(chooseProjectButton);
    topRow->addSpacing(16);
    topRow->addWidget(pathLabel, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 18);
    layout->setSpacing(14);
    layout->addLayout(topRow);
    buildOptions(layout);
    buildPlanRows(layout);

    conformProjectButton = new QPushButton("Conform Project", this);
    conformProjectButton->setObjectName("conformProject");
    conformProjectButton->setMinimumWidth(conformProjectButton->fontMetrics().horizontalAdvance(
                                              conformProjectButton->text()) * 3 / 2);
    conformProjectButton->setEnabled(false);
    conformProjectButton->setDefault(true); // drawn as what Enter presses from the options
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addStretch();
    bottomRow->addWidget(conformProjectButton);
    bottomRow->addStretch();
    layout->addLayout(bottomRow);
    setTabOrder();
    connectControls();
    // Keyboard focus is drawn from the start, so the focused button always shows it has it.
    setAttribute(Qt::WA_KeyboardFocusChange);
}

void MainDialogView::buildOptions(QVBoxLayout* layout)
{
    auto* options = new QGroupBox(this);
    auto* grid = new QGridLayout(options);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(10);
    grid->setContentsMargins(18, 14, 18, 12);
    widthGroup = new QButtonGroup(this);
    channelGroup = new QButtonGroup(this);
    // Each group takes as many rows as its buttons need at MainDialog::optionColumns a row.
    const auto addGroup = [&](const char* caption, const std::vector<std::string>& texts,
                              const char* name, QButtonGroup* group,
                              std::vector<QRadioButton*>& buttons, int firstRow) {
        grid->addWidget(new QLabel(caption, options), firstRow, 0, Qt::AlignRight);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            auto* button = new QRadioButton(fromUtf8(texts[i]), options);
            button->setObjectName(QString("%1%2").arg(name).arg(i));
            group->addButton(button, int(i));
            buttons.push_back(button);
            grid->addWidget(button, firstRow + int(i) / MainDialog::optionColumns,
                            1 + int(i) % MainDialog::optionColumns);
        }
        return firstRow + (int(texts.size()) + MainDialog::optionColumns - 1) /
                              MainDialog::optionColumns;
    };
    const int channelRow =
        addGroup("Width", widthChoiceTexts(), "width", widthGroup, widthButtons, 0);
    const int summaryRow = addGroup("Channels", channelChoiceTexts(), "channel",
                                    channelGroup, channelButtons, channelRow);
    grid->setColumnStretch(MainDialog::optionColumns + 1, 1);

    summaryLabel = new QLabel(options);
    summaryLabel->setObjectName("summary");
    summaryLabel->setAlignment(Qt::AlignCenter);
    summaryLabel->setMinimumWidth(summaryLabel->fontMetrics().horizontalAdvance(widestSummary) +
                                  8);
    summaryLabel->setWordWrap(true);
    summaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(summaryLabel, summaryRow, 0, 1, MainDialog::optionColumns + 2);
    // Two lines' room: a refusal naming a long folder wraps without the window changing size.
    grid->setRowMinimumHeight(summaryRow, 2 * summaryLabel->fontMetrics().lineSpacing() + 4);
    tracksLabel = new QLabel(options);
    tracksLabel->setObjectName("tracks");
    tracksLabel->setAlignment(Qt::AlignCenter);
    tracksLabel->setWordWrap(true); // a recorder's sixteen named tracks take more than a line
    tracksLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(tracksLabel, summaryRow + 1, 0, 1, MainDialog::optionColumns + 2);
    layout->addWidget(options);
}

void MainDialogView::buildPlanRows(QVBoxLayout* layout)
{
    const auto toolButton = [this](const char* text, const char* name, const char* tip) {
        auto* button = new QToolButton(this);
        button->setText(text);
        button->setObjectName(name);
        button->setToolTip(tip);
        button->setFocusPolicy(Qt::StrongFocus);
        return button;
    };
    zoomOut = toolButton("\u2212", "zoomOut", "Zoom out (\u2212, or Ctrl and the wheel)");
    zoomIn = toolButton("+", "zoomIn", "Zoom in (+, or Ctrl and the wheel)");
    fitAll = toolButton("Fit All", "fitAll", "Show the whole plan (0)");
    takesLabel = new QLabel(this);
    takesLabel->setObjectName("takeCount");
    skippedDetailsButton = new QPushButton("Details...", this);
    skippedDetailsButton->setObjectName("skippedDetails");
    skippedDetailsButton->setEnabled(false);
    skippedDetailsButton->setToolTip("The files that are not takes, and the takes not used");
    auto* takesRow = new QHBoxLayout;
    takesRow->addWidget(new QLabel("<b>Conform plan</b>", this));
    takesRow->addSpacing(12);
    takesRow->addWidget(zoomOut);
    takesRow->addWidget(zoomIn);
    takesRow->addWidget(fitAll);
    takesRow->addStretch();
    takesRow->addWidget(takesLabel);
    takesRow->addWidget(skippedDetailsButton);

    strip = new PlanStripView(this);
    strip->setMaximumHeight(strip->maximumLaneHeight() + strip->minimumSizeHint().height() -
                            2 * strip->fontMetrics().height());
    planScroll = new QScrollBar(Qt::Horizontal, this);
    planScroll->setObjectName("planScroll");
    unusedLabel = new QLabel(this);
    unusedLabel->setObjectName("unusedTakes");
    unusedLabel->setWordWrap(true);
    showUnusedButton = new QPushButton("Show All...", this);
    showUnusedButton->setObjectName("showUnused");
    showUnusedButton->setToolTip("Every take not used, where it would play and what plays there");
    auto* unusedRow = new QHBoxLayout;
    unusedRow->addWidget(unusedLabel, 1);
    unusedRow->addWidget(showUnusedButton, 0, Qt::AlignTop);

    auto* planRows = new QVBoxLayout;
    planRows->setSpacing(6);
    planRows->addLayout(takesRow);
    planRows->addWidget(strip, 1);
    planRows->addWidget(planScroll);
    planRows->addLayout(unusedRow);
    planRows->addStretch(0); // takes what the strip, at its tallest, leaves
    layout->addLayout(planRows, 1);
}

void MainDialogView::connectControls()
{
    connect(chooseProjectButton, &QPushButton::clicked, this, [this] { dialogLogic->onChooseProject(); });
    connect(conformProjectButton, &QPushButton::clicked, this, [this] { dialogLogic->onConformProject(); });
    connect(skippedDetailsButton, &QPushButton::clicked, this, [this] { dialogLogic->onDetails(); });
    connect(showUnusedButton, &QPushButton::clicked, this, [this] { dialogLogic->onShowUnused(); });
    connect(widthGroup, &QButtonGroup::idClicked, this, [this] { dialogLogic->onWidthChoice(); });
    connect(channelGroup, &QButtonGroup::idClicked, this, [this] { dialogLogic->onChannelChoice(); });
    connect(zoomIn, &QToolButton::clicked, this, [this] { strip->press(PlanKey::ZoomIn); });
    connect(zoomOut, &QToolButton::clicked, this, [this] { strip->press(PlanKey::ZoomOut); });
    connect(fitAll, &QToolButton::clicked, this, [this] { strip->press(PlanKey::FitAll); });
    connect(strip, &PlanStripView::viewChanged, this, &MainDialogView::showPlanView);
    connect(planScroll, &QScrollBar::valueChanged, this, [this](int value) {
        strip->logic().scrollToValue(value);
        strip->update();
    });
    // Enter is decided by the logic, whichever control has the focus.
    for (QWidget* child : findChildren<QWidget*>())
        if (child->focusPolicy() != Qt::NoFocus)
            child->installEventFilter(this);
}

void MainDialogView::setTabOrder()
{
    // Along the window, top to bottom: the project, the options, the plan, conform.
    std::vector<QWidget*> order{chooseProjectButton};
    order.insert(order.end(), widthButtons.begin(), widthButtons.end());
    order.insert(order.end(), channelButtons.begin(), channelButtons.end());
    for (QWidget* widget : std::initializer_list<QWidget*>{
             zoomOut, zoomIn, fitAll, skippedDetailsButton, strip, planScroll, showUnusedButton,
             conformProjectButton})
        order.push_back(widget);
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void MainDialogView::show(const MainDialogFields& fields)
{
    fullPath = fromUtf8(fields.projectPath);
    showPath();
    pathLabel->setToolTip(fullPath);
    summaryLabel->setText(fromUtf8(fields.summaryText));
    QPalette summaryPalette = palette();
    if (fields.refused) {
        const PlanColour red =
            WindowColours::refusalOn(planColourOf(palette().color(QPalette::Window)));
        summaryPalette.setColor(QPalette::WindowText, QColor(red.red, red.green, red.blue));
    }
    summaryLabel->setPalette(summaryPalette);
    tracksLabel->setText(fromUtf8(fields.projectFacts()));
    tracksLabel->setVisible(!fields.projectFacts().empty() && !fields.refused);
    if (fields.widthChoice >= 0 && std::size_t(fields.widthChoice) < widthButtons.size())
        widthButtons[std::size_t(fields.widthChoice)]->setChecked(true);
    if (fields.channelChoice >= 0 && std::size_t(fields.channelChoice) < channelButtons.size())
        channelButtons[std::size_t(fields.channelChoice)]->setChecked(true);
    conformProjectButton->setEnabled(fields.conformEnabled);
    takesLabel->setText(fromUtf8(fields.takesText));
    skippedDetailsButton->setEnabled(fields.detailsEnabled);
    if (fields.planRevision != planRevision) { // an option click keeps the zoom
        planRevision = fields.planRevision;
        strip->setPlan(fields.plan);
    }
    strip->setPlaceholder(fromUtf8(fields.planPlaceholder));
    unusedLabel->setText(fromUtf8(fields.unusedText));
    unusedLabel->setVisible(!fields.unusedText.empty());
    showUnusedButton->setVisible(!fields.unusedText.empty());
    showPlanView();
    keepWrappedTextsWhole();
}

void MainDialogView::showPlanView()
{
    const PlanStrip& plan = strip->logic();
    const PlanScrollState scroll = plan.scrollState();
    const QSignalBlocker quiet(planScroll); // the bar follows the strip, not the other way
    planScroll->setRange(0, scroll.maximum);
    planScroll->setPageStep(scroll.page);
    planScroll->setSingleStep(std::max(1, scroll.page / 10));
    planScroll->setValue(scroll.value);
    planScroll->setEnabled(scroll.maximum > 0);
    zoomIn->setEnabled(plan.canZoomIn());
    zoomOut->setEnabled(plan.canZoomOut());
    fitAll->setEnabled(!plan.fitted());
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

void MainDialogView::showPath()
{
    // A long path keeps its end, where the project's own folder name is.
    pathLabel->setText(
        pathLabel->fontMetrics().elidedText(fullPath, Qt::ElideMiddle, pathLabel->width()));
}

void MainDialogView::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    showPath();
    keepWrappedTextsWhole();
}

void MainDialogView::keepWrappedTextsWhole()
{
    // Wrapped lines (a refusal, the unused takes) need more height as the window narrows; the
    // window may not be made shorter than that, or the rows above would be squeezed.
    if (layout() == nullptr || !layout()->hasHeightForWidth())
        return;
    const int needed = std::max(layout()->totalMinimumSize().height(),
                                layout()->totalHeightForWidth(width()));
    if (needed != minimumHeight())
        setMinimumHeight(needed);
}

void MainDialogView::restoreSize()
{
    const QSize minimum = minimumSizeHint();
    const QRect available = screen() ? screen()->availableGeometry() : QRect();
    const std::optional<WindowSize> size = dialogLogic->initialSize(
        {minimum.width(), minimum.height()}, {available.width(), available.height()});
    resize(size ? QSize(size->width, size->height)
                : QSize(std::max(minimum.width(), sizeHint().width()), sizeHint().height()));
}

void MainDialogView::done(int result)
{
    dialogLogic->onClose({width(), height()});
    QDialog::done(result);
}

FocusedControl MainDialogView::focusedControl(QObject* widget) const
{
    if (widget == chooseProjectButton)
        return FocusedControl::ChooseProject;
    if (widget == skippedDetailsButton)
        return FocusedControl::Details;
    if (widget == showUnusedButton)
        return FocusedControl::UnusedTakes;
    if (widget == conformProjectButton)
        return FocusedControl::Conform;
    if (widget == zoomIn || widget == zoomOut || widget == fitAll)
        return FocusedControl::PlanButton;
    return FocusedControl::Other;
}

bool MainDialogView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return QDialog::eventFilter(watched, event);
    if (!dialogLogic->onEnterKey(focusedControl(watched)))
        if (auto* button = qobject_cast<QAbstractButton*>(watched))
            button->click();
    return true;
}

void MainDialogView::dragEnterEvent(QDragEnterEvent* event)
{
    // Anything may be dropped: what can't be opened is answered with the reason, not ignored.
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainDialogView::dropEvent(QDropEvent* event)
{
    const std::vector<std::string> paths = droppedPaths(event->mimeData());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    dialogLogic->onDrop(paths);
}

} // namespace tabrix
