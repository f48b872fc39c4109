#include "DetailsDialogView.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QScreen>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tabrix {

namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QTreeWidget* tableOf(const DetailsSection& section, QWidget* parent)
{
    auto* table = new QTreeWidget(parent);
    table->setRootIsDecorated(false);
    table->setUniformRowHeights(true);
    table->setAlternatingRowColors(true);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setTextElideMode(Qt::ElideNone);
    QStringList columns;
    for (const std::string& column : section.columns)
        columns << fromUtf8(column);
    table->setHeaderLabels(columns);
    for (const std::vector<std::string>& row : section.rows) {
        QStringList cells;
        for (const std::string& cell : row)
            cells << fromUtf8(cell);
        table->addTopLevelItem(new QTreeWidgetItem(cells));
    }
    // Every cell in full: columns as wide as their widest cell or title and a little room
    // between them; a scroll bar when the window is narrower. The user may still move them.
    table->header()->setStretchLastSection(false);
    table->header()->setSectionResizeMode(QHeaderView::Interactive);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    for (int column = 0; column < table->columnCount(); ++column) {
        table->resizeColumnToContents(column);
        table->setColumnWidth(column, std::max(table->columnWidth(column),
                                               table->header()->sectionSizeHint(column)) +
                                          2 * table->fontMetrics().averageCharWidth());
    }
    return table;
}

int tableWidth(QTreeWidget* table)
{
    int width = 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < table->columnCount(); ++column)
        width += table->columnWidth(column);
    return width;
}

} // namespace

DetailsDialogView::DetailsDialogView(const DetailsContent& content, QWidget* parent)
    : QDialog(parent)
{
    setObjectName("detailsDialog");
    setWindowTitle(fromUtf8(content.title));
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    // A path has no spaces to wrap at: it is shown in a field that scrolls, ending in view.
    auto* folder = new QLineEdit(fromUtf8(content.folder), this);
    folder->setObjectName("detailsFolder");
    folder->setReadOnly(true);
    folder->setToolTip(folder->text());
    folder->setCursorPosition(int(folder->text().size()));
    auto* introRow = new QHBoxLayout;
    introRow->addWidget(new QLabel(fromUtf8(content.intro), this));
    introRow->addWidget(folder, 1);
    layout->addLayout(introRow);

    // The sections share the height; the user can move the border between them.
    auto* sections = new QSplitter(Qt::Vertical, this);
    sections->setChildrenCollapsible(false);
    int widest = 0;
    int rowCount = 0;
    for (const DetailsSection& section : content.sections) {
        auto* box = new QWidget(sections);
        auto* boxLayout = new QVBoxLayout(box);
        boxLayout->setContentsMargins(0, 6, 0, 0);
        auto* heading = new QLabel("<b>" + fromUtf8(section.heading).toHtmlEscaped() + "</b>", box);
        boxLayout->addWidget(heading);
        sectionHeadings.push_back(heading);
        if (section.rows.empty()) {
            auto* empty = new QLabel(fromUtf8(section.emptyText), box);
            empty->setWordWrap(true);
            boxLayout->addWidget(empty);
            boxLayout->addStretch();
            sectionTables.push_back(nullptr);
            continue;
        }
        QTreeWidget* table = tableOf(section, box);
        boxLayout->addWidget(table);
        sectionTables.push_back(table);
        widest = std::max(widest, tableWidth(table));
        rowCount += int(section.rows.size()) + 3;
    }
    layout->addWidget(sections, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    const std::size_t focus = std::min<std::size_t>(content.focusSection, sectionTables.size());
    if (focus < std::size_t(sectionTables.size()) && sectionTables[qsizetype(focus)] != nullptr) {
        QTreeWidget* table = sectionTables[qsizetype(focus)];
        table->setCurrentItem(table->topLevelItem(0));
        table->setFocus();
    }
    // Wide enough for the widest table and tall enough for the rows, within the screen.
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1600, 1000);
    const int rowHeight = fontMetrics().height() + 6;
    resize(std::clamp(widest + 40, fontMetrics().averageCharWidth() * 60, screen.width() * 9 / 10),
           std::clamp(rowHeight * (rowCount + 8), rowHeight * 14, screen.height() * 8 / 10));
}

} // namespace tabrix
