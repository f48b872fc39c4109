#include "PlanStripView.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace tabrix {

namespace {

constexpr double laneHeight = 30.0;
constexpr double tickHeight = 4.0;
constexpr double fadeSlope = 6.0; ///< width of a fade's slope; a real fade is far narrower

QColor colourOf(const PlanColour& colour)
{
    return QColor(colour.red, colour.green, colour.blue);
}

} // namespace

PlanStripView::PlanStripView(QWidget* parent) : QWidget(parent)
{
    setObjectName("planStrip");
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PlanStripView::setPlan(const ConformPlan& plan)
{
    shownPlan = plan;
    blocks.clear();
    update();
}

void PlanStripView::setPlaceholder(const QString& text)
{
    if (text == placeholder)
        return;
    placeholder = text;
    update();
}

QSize PlanStripView::sizeHint() const
{
    return {480, minimumSizeHint().height()};
}

QSize PlanStripView::minimumSizeHint() const
{
    const int rulerHeight = int(tickHeight) + fontMetrics().height() + 2;
    return {160, int(laneHeight) + 2 + rulerHeight};
}

QRectF PlanStripView::laneRect() const
{
    // Room on both sides for half a ruler label, so the first and last never clip.
    const double side = fontMetrics().horizontalAdvance("00:00:00") / 2.0 + 2.0;
    return {side, 1.0, std::max(1.0, width() - 2 * side), laneHeight};
}

int PlanStripView::segmentAtX(double x) const
{
    for (int i = 0; i < blocks.size(); ++i)
        if (x >= blocks[i].left() && x < blocks[i].right())
            return i;
    return -1;
}

void PlanStripView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF lane = laneRect();
    // The lane's own background is what a gap looks like: nothing plays there.
    painter.setPen(QPen(palette().color(QPalette::Mid), 1.0));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRect(lane.adjusted(-0.5, -0.5, 0.5, 0.5));

    blocks.clear();
    if (shownPlan.empty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(lane, Qt::AlignCenter, placeholder);
        return;
    }
    for (const PlanSegment& segment : shownPlan.segments()) {
        const double left = lane.left() + shownPlan.fractionOf(segment.start) * lane.width();
        const double right = lane.left() + shownPlan.fractionOf(segment.end) * lane.width();
        const QRectF rect(left, lane.top(), std::max(1.0, right - left), lane.height());
        blocks.push_back(rect);
        paintBlock(painter, segment, rect);
    }
    paintRuler(painter, lane);
}

void PlanStripView::paintBlock(QPainter& painter, const PlanSegment& segment,
                               const QRectF& rect) const
{
    // Sloped ends mark the fades at splices; pieces of one recording meet square.
    const double slope = std::min(fadeSlope, rect.width() / 3.0);
    QPainterPath shape;
    shape.moveTo(rect.left() + (segment.fadeIn ? slope : 0.0), rect.top());
    shape.lineTo(rect.right() - (segment.fadeOut ? slope : 0.0), rect.top());
    shape.lineTo(rect.right(), rect.bottom());
    shape.lineTo(rect.left(), rect.bottom());
    shape.closeSubpath();
    const QColor fill = colourOf(segment.colour);
    painter.setPen(QPen(fill.darker(150), 1.0));
    painter.setBrush(fill);
    painter.drawPath(shape);

    // A name is drawn only where it fits whole (without ".wav"); a clipped name says less
    // than the tooltip does.
    QString name = QString::fromStdString(segment.takeName);
    if (name.endsWith(".wav", Qt::CaseInsensitive))
        name.chop(4);
    const QRectF textRect = rect.adjusted(slope + 3, 0, -slope - 3, 0);
    if (fontMetrics().horizontalAdvance(name) <= textRect.width()) {
        painter.setPen(Qt::white);
        painter.drawText(textRect, Qt::AlignCenter, name);
    }
}

void PlanStripView::paintRuler(QPainter& painter, const QRectF& lane) const
{
    const QFontMetrics metrics = fontMetrics();
    const int labelWidth = metrics.horizontalAdvance("00:00:00.00") + 12;
    const auto maxTicks = static_cast<std::size_t>(std::max(1, int(lane.width()) / labelWidth));
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1.0));
    const double top = lane.bottom() + 1.0;
    for (const RulerTick& tick : shownPlan.rulerTicks(maxTicks)) {
        const double x =
            std::round(lane.left() + shownPlan.fractionOf(tick.position) * lane.width()) + 0.5;
        painter.drawLine(QPointF(x, top), QPointF(x, top + tickHeight));
        const QString label = QString::fromStdString(tick.label);
        const double textWidth = metrics.horizontalAdvance(label);
        painter.drawText(QRectF(x - textWidth / 2 - 1, top + tickHeight, textWidth + 2,
                                metrics.height()),
                         Qt::AlignCenter, label);
    }
}

bool PlanStripView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int index = segmentAtX(help->pos().x());
        if (index >= 0)
            QToolTip::showText(help->globalPos(),
                               QString::fromStdString(shownPlan.describe(std::size_t(index))), this,
                               blocks[index].toAlignedRect());
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

} // namespace tabrix
