#pragma once
#include "app/PlanStrip.h"

#include <QRectF>
#include <QWidget>

class QPainter;

namespace tabrix {

/// The conform plan as a strip across the window: the blocks, fades, gaps and ruler PlanStrip
/// lays out for the visible stretch, a tooltip for what the pointer rests on, and zoom and
/// scroll by wheel and keys. It only paints and forwards; PlanStrip decides.
class PlanStripView : public QWidget {
    Q_OBJECT
public:
    explicit PlanStripView(QWidget* parent = nullptr);

    void setPlan(const ConformPlan& plan);
    /// What the strip says while the plan is empty.
    void setPlaceholder(const QString& text);
    const ConformPlan& plan() const noexcept { return strip.plan(); }
    PlanStrip& logic() noexcept { return strip; }
    const PlanStrip& logic() const noexcept { return strip; }
    /// Runs a key of the strip, as if pressed with the strip focused.
    void press(PlanKey key);
    /// The lane the blocks are painted in, in widget coordinates.
    QRectF laneRect() const;
    /// The tooltip for widget position `x`; empty where there is nothing.
    QString tooltipAt(double x) const;
    /// Ruler labels as last painted, with their rectangles, for checks that none is clipped.
    const QVector<QPair<QRectF, QString>>& paintedLabels() const noexcept { return labels; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    /// The tallest the blocks are drawn, in pixels.
    int maximumLaneHeight() const;

signals:
    /// The zoom or the visible stretch changed: scroll bar and zoom buttons follow.
    void viewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    double rulerHeight() const;
    void paintBlocks(QPainter& painter, const QRectF& lane) const;
    void paintGaps(QPainter& painter, const QRectF& lane) const;
    void paintRuler(QPainter& painter, const QRectF& lane);
    void changed();

    PlanStrip strip;
    QString placeholder;
    QVector<QPair<QRectF, QString>> labels;
};

} // namespace tabrix
