#pragma once
#include "frontend/ConformPlan.h"

#include <QRectF>
#include <QVector>
#include <QWidget>

class QPainter;

namespace tabrix {

/// The conform plan as a strip across the window: one block per segment in its recording's
/// colour, sloped ends where a fade is, empty gaps, a clock-time ruler below, and a tooltip
/// naming the take under the pointer. It only paints what ConformPlan decided.
class PlanStripView : public QWidget {
    Q_OBJECT
public:
    explicit PlanStripView(QWidget* parent = nullptr);

    void setPlan(const ConformPlan& plan);
    /// What the strip says while the plan is empty.
    void setPlaceholder(const QString& text);
    const ConformPlan& plan() const noexcept { return shownPlan; }
    /// The blocks as last painted, in widget coordinates, one per segment.
    const QVector<QRectF>& paintedBlocks() const noexcept { return blocks; }
    /// The segment drawn at `x` (widget coordinates); -1 in a gap or outside the plan.
    int segmentAtX(double x) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRectF laneRect() const;
    void paintBlock(QPainter& painter, const PlanSegment& segment, const QRectF& rect) const;
    void paintRuler(QPainter& painter, const QRectF& lane) const;

    ConformPlan shownPlan;
    QString placeholder;
    QVector<QRectF> blocks;
};

} // namespace tabrix
