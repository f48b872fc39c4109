#include "AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tabrix {

namespace {

// A tone whose amplitude follows `gain(x)`, x running 0..1 across the drawing.
template <typename Gain>
QPainterPath waveform(const QRectF& area, double cycles, Gain gain)
{
    QPainterPath path;
    constexpr int steps = 240;
    for (int i = 0; i <= steps; ++i) {
        const double x = double(i) / steps;
        const double y = std::sin(x * cycles * 2.0 * std::numbers::pi) * gain(x);
        const QPointF point(area.left() + x * area.width(),
                            area.center().y() - y * area.height() / 2.0);
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    return path;
}

} // namespace

QPixmap AppIcon::render(int sizePixels)
{
    QPixmap pixmap(sizePixels, sizePixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    const double s = sizePixels;
    const QRectF tile(s * 0.04, s * 0.04, s * 0.92, s * 0.92);
    QLinearGradient background(tile.topLeft(), tile.bottomRight());
    background.setColorAt(0.0, QColor(0x1d, 0x4e, 0x6b));
    background.setColorAt(1.0, QColor(0x0c, 0x23, 0x33));
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(tile, s * 0.2, s * 0.2);

    const QRectF wave(s * 0.14, s * 0.22, s * 0.72, s * 0.56);
    const double penWidth = std::max(1.0, s * 0.035);
    // Equal-power curves: the outgoing take's gain is cos, the incoming one's sin.
    auto fadeOut = [](double x) { return x < 0.45 ? 1.0 : x > 0.65 ? 0.0 : std::cos((x - 0.45) / 0.2 * std::numbers::pi / 2); };
    auto fadeIn = [](double x) { return x < 0.45 ? 0.0 : x > 0.65 ? 1.0 : std::sin((x - 0.45) / 0.2 * std::numbers::pi / 2); };
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x7f, 0xe0, 0xd0), penWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(waveform(wave, 5.0, fadeOut));
    painter.setPen(QPen(QColor(0xff, 0xb3, 0x47), penWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(waveform(wave, 8.0, fadeIn));

    painter.setPen(QPen(QColor(255, 255, 255, 110), std::max(1.0, s * 0.015), Qt::DashLine));
    painter.drawLine(QPointF(s * 0.55, s * 0.16), QPointF(s * 0.55, s * 0.84));
    return pixmap;
}

QIcon AppIcon::create()
{
    QIcon icon;
    for (int sizePixels : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(render(sizePixels));
    return icon;
}

} // namespace tabrix
