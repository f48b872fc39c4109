// Renders the main window with a project loaded into a PNG, for the documentation: 24 bit, and
// the tooltip of a split take's second piece drawn in as if the pointer rested on it.
#include "MainDialogView.h"
#include "PlanStripView.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QToolTip>

#include <algorithm>
#include <cstdio>

namespace {

// The second piece of the first take that the plan shows twice: the split the README describes.
int splitPiece(const tabrix::ConformPlan& plan)
{
    const auto& blocks = plan.segments();
    for (std::size_t i = 1; i < blocks.size(); ++i)
        for (std::size_t j = 0; j + 1 < i; ++j)
            if (blocks[i].takeName == blocks[j].takeName)
                return int(i);
    return -1;
}

// Draws the visible tooltip (a window of its own) into `shot`, above the strip and clear of
// the take count.
void drawTooltip(QPixmap& shot, const tabrix::MainDialogView& window,
                 const tabrix::PlanStripView& strip, const QRectF& block)
{
    const int countLeft = window.takesLine()->mapTo(&window, QPoint(0, 0)).x();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible() || !widget->inherits("QTipLabel"))
            continue;
        const QPoint blockTop = strip.mapTo(&window, block.center().toPoint());
        const int left =
            std::min(blockTop.x() - widget->width() / 2, countLeft - 12 - widget->width());
        const QPoint at(left,
                        strip.mapTo(&window, QPoint(0, 0)).y() - widget->height() - 4);
        QPainter painter(&shot);
        painter.drawPixmap(at, widget->grab());
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tabrix-screenshot <project folder> <png file>\n");
        return 2;
    }
    const QFileInfo folder(QString::fromLocal8Bit(argv[1]));
    tabrix::MainDialogView window;
    window.QDialog::show();
    window.logic().openProject(QDir::toNativeSeparators(folder.absoluteFilePath()).toStdString(),
                               folder.fileName().toStdString());
    window.widthButton(1)->click();
    QApplication::processEvents();
    QPixmap shot = window.grab(); // also lays the strip's blocks out

    tabrix::PlanStripView& strip = *window.planStrip();
    const int piece = splitPiece(strip.plan());
    if (piece >= 0) {
        const tabrix::PlanSegment& segment = strip.plan().segments()[std::size_t(piece)];
        const QRectF lane = strip.laneRect();
        const double left = lane.left() + strip.logic().xOf(double(segment.start));
        const double right = lane.left() + strip.logic().xOf(double(segment.end));
        const QRectF block(left, lane.top(), right - left, lane.height());
        QToolTip::showText(strip.mapToGlobal(block.center().toPoint()),
                           QString::fromStdString(strip.plan().describe(std::size_t(piece))),
                           &strip);
        QApplication::processEvents();
        drawTooltip(shot, window, strip, block);
    }
    if (!shot.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "tabrix-screenshot: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
