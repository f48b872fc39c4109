#include "PlanStripView.h"

#include "app/WindowColours.h"

#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace tabrix {

namespace {

constexpr double tickHeight = 4.0;
constexpr double wheelNotch = 120.0; ///< angle delta of one wheel notch, in 1/8 degree

QColor colourOf(const PlanColour& colour)
{
    return QColor(colour.red, colour.green, colour.blue);
}

} // namespace

PlanStripView::PlanStripView(QWidget* parent) : QWidget(parent)
{
    setObjectName("planStrip");
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setToolTip(QString()); // tooltips come from the plan, per position
}

void PlanStripView::setPlan(const ConformPlan& plan)
{
    strip.setPlan(plan);
    strip.setLaneWidth(laneRect().width());
    changed();
}

void PlanStripView::setPlaceholder(const QString& text)
{
    if (text == placeholder)
        return;
    placeholder = text;
    update();
}

double PlanStripView::rulerHeight() const
{
    return tickHeight + fontMetrics().height() + 2.0;
}

QSize PlanStripView::sizeHint() const
{
    return {760, int(4.0 * fontMetrics().height() + rulerHeight()) + 2};
}

int PlanStripView::maximumLaneHeight() const
{
    // Taller blocks show no more; the window's extra height goes elsewhere.
    return 7 * fontMetrics().height();
}

QSize PlanStripView::minimumSizeHint() const
{
    // Room for one line of a take's name inside a block, and the ruler.
    return {200, int(2.0 * fontMetrics().height() + rulerHeight()) + 2};
}

QRectF PlanStripView::laneRect() const
{
    // Room on both sides for half a ruler label, so the first and last rarely need moving in.
    const double side = fontMetrics().horizontalAdvance("00:00:00") / 2.0 + 2.0;
    return {side, 1.0, std::max(1.0, width() - 2 * side),
            std::max(1.0, height() - rulerHeight() - 2.0)};
}

void PlanStripView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    strip.setLaneWidth(laneRect().width());
    changed();
}

void PlanStripView::changed()
{
    update();
    emit viewChanged();
}

void PlanStripView::press(PlanKey key)
{
    if (strip.onKey(key))
        changed();
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
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = lane.toAlignedRect().adjusted(-3, -3, 3, 3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
    labels.clear();
    if (plan().empty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(lane.adjusted(8, 0, -8, 0), Qt::AlignCenter | Qt::TextWordWrap,
                         placeholder);
        return;
    }
    painter.save();
    painter.setClipRect(lane);
    paintBlocks(painter, lane);
    paintGaps(painter, lane);
    painter.restore();
    paintRuler(painter, lane);
}

void PlanStripView::paintBlocks(QPainter& painter, const QRectF& lane) const
{
    const QFontMetricsF metrics(font());
    for (const PlanBlockShape& shape : strip.blockShapes()) {
        const PlanSegment& segment = plan().segments()[shape.segment];
        const QRectF rect(lane.left() + shape.left, lane.top(),
                          std::max(1.0, shape.right - shape.left), lane.height());
        const double in = shape.fadeIn.drawing == FadeDrawing::Slope ? shape.fadeIn.slopePixels : 0;
        const double out =
            shape.fadeOut.drawing == FadeDrawing::Slope ? shape.fadeOut.slopePixels : 0;
        // A fade long enough to see is a slope from silence at the bottom to full level.
        QPainterPath outline;
        outline.moveTo(rect.left() + in, rect.top());
        outline.lineTo(rect.right() - out, rect.top());
        outline.lineTo(rect.right(), rect.bottom());
        outline.lineTo(rect.left(), rect.bottom());
        outline.closeSubpath();
        const QColor fill = colourOf(segment.colour);
        painter.setPen(rect.width() > 3.0 ? QPen(fill.darker(150), 1.0) : Qt::NoPen);
        painter.setBrush(fill);
        painter.drawPath(outline);

        // A fade too short to draw at this zoom is only marked where it is.
        const QColor text = colourOf(WindowColours::textOn(segment.colour));
        QColor mark = text;
        mark.setAlpha(140);
        painter.setPen(QPen(mark, 1.0, Qt::SolidLine, Qt::FlatCap));
        const double markBottom = rect.top() + rect.height() * 0.35;
        if (shape.fadeIn.drawing == FadeDrawing::Mark)
            painter.drawLine(QPointF(rect.left() + 1.5, rect.top()),
                             QPointF(rect.left() + 1.5, markBottom));
        if (shape.fadeOut.drawing == FadeDrawing::Mark)
            painter.drawLine(QPointF(rect.right() - 1.5, rect.top()),
                             QPointF(rect.right() - 1.5, markBottom));

        // A name is drawn only where it fits whole (without ".wav"): a clipped name says less
        // than the tooltip does.
        if (shape.segmentCount != 1)
            continue;
        QString name = QString::fromStdString(segment.takeName);
        if (name.endsWith(".wav", Qt::CaseInsensitive))
            name.chop(4);
        const QRectF visible = rect.intersected(lane);
        const QRectF textRect =
            visible.adjusted(std::max(in, 2.0) + 3, 2, -std::max(out, 2.0) - 3, -2);
        // On one line, or on two broken between words where the block is tall enough.
        const QRectF needed =
            metrics.boundingRect(textRect, Qt::AlignCenter | Qt::TextWordWrap, name);
        if (needed.width() <= textRect.width() && needed.height() <= textRect.height() &&
            needed.height() <= 2.0 * metrics.lineSpacing()) {
            painter.setPen(text);
            painter.drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, name);
        }
    }
}

void PlanStripView::paintGaps(QPainter& painter, const QRectF& lane) const
{
    // Silence is the lane's background, hatched so even a narrow gap stands out of the blocks.
    QColor hatch = palette().color(QPalette::WindowText);
    hatch.setAlpha(70);
    for (const PlanGapShape& gap : strip.gapShapes()) {
        const QRectF rect(lane.left() + gap.left, lane.top(), gap.right - gap.left, lane.height());
        painter.fillRect(rect, palette().color(QPalette::Base));
        if (rect.width() >= 4.0) // narrower, the background alone shows it best
            painter.fillRect(rect, QBrush(hatch, Qt::BDiagPattern));
    }
}

void PlanStripView::paintRuler(QPainter& painter, const QRectF& lane)
{
    const QFontMetricsF metrics(font());
    const double labelPixels = metrics.horizontalAdvance("00:00:00.00") + 12.0;
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1.0));
    const double top = lane.bottom() + 1.0;
    for (const PlanTickShape& tick : strip.rulerTicks(labelPixels)) {
        const double x = std::round(lane.left() + tick.x) + 0.5;
        painter.drawLine(QPointF(x, top), QPointF(x, top + tickHeight));
        const QString label = QString::fromStdString(tick.label);
        const double textWidth = metrics.horizontalAdvance(label) + 2.0;
        // Kept inside the widget: a mark near an edge moves its label in, never clips it.
        const double left = std::clamp(x - textWidth / 2, 0.0, width() - textWidth);
        const QRectF rect(left, top + tickHeight, textWidth, metrics.height());
        painter.drawText(rect, Qt::AlignCenter, label);
        labels.push_back({rect, label});
    }
}

QString PlanStripView::tooltipAt(double x) const
{
    return QString::fromStdString(strip.hitAt(x - laneRect().left()).tooltip);
}

bool PlanStripView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QRectF lane = laneRect();
        const PlanHit hit = strip.hitAt(help->pos().x() - lane.left());
        if (hit.kind != PlanHit::Kind::None)
            QToolTip::showText(help->globalPos(), QString::fromStdString(hit.tooltip), this,
                               QRectF(lane.left() + hit.left, lane.top(),
                                      std::max(1.0, hit.right - hit.left), lane.height())
                                   .toAlignedRect());
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void PlanStripView::wheelEvent(QWheelEvent* event)
{
    const double x = event->position().x() - laneRect().left();
    const QPoint delta = event->angleDelta();
    bool used = false;
    if (delta.x() != 0 && delta.y() == 0) {
        used = strip.onWheel(delta.x() / wheelNotch, false, x); // a tilt or a sideways swipe
    } else {
        const bool zoom = event->modifiers().testFlag(Qt::ControlModifier);
        used = strip.onWheel(delta.y() / wheelNotch, zoom, x);
    }
    if (!used) {
        event->ignore();
        return;
    }
    event->accept();
    changed();
}

void PlanStripView::keyPressEvent(QKeyEvent* event)
{
    PlanKey key;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: key = PlanKey::ZoomIn; break;
    case Qt::Key_Minus: key = PlanKey::ZoomOut; break;
    case Qt::Key_0: key = PlanKey::FitAll; break;
    case Qt::Key_Left: key = PlanKey::Left; break;
    case Qt::Key_Right: key = PlanKey::Right; break;
    case Qt::Key_PageUp: key = PlanKey::PageLeft; break;
    case Qt::Key_PageDown: key = PlanKey::PageRight; break;
    case Qt::Key_Home: key = PlanKey::Home; break;
    case Qt::Key_End: key = PlanKey::End; break;
    default: QWidget::keyPressEvent(event); return;
    }
    press(key);
    event->accept();
}

} // namespace tabrix
