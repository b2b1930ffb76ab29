#include "FlowChartArrows.h"

#include <QList>
#include <QPainter>
#include <QPoint>

namespace {

using Polyline = QList<QPoint>;

constexpr int PenWidthTwips = 45; // 3 pixels at 96 DPI

// Two short lines from 240 twips to the left and 120 twips above and below the tip.
Polyline arrowhead(QPoint tip)
{
    return {tip + QPoint(-240, -120), tip, tip + QPoint(-240, 120)};
}

// In twips, as drawn: the five return paths, then the two arrowheads.
QList<Polyline> paths()
{
    const QPoint serviceTip(1920, 840);
    const QPoint facilityTip(1920, 2160);
    return {
        // "他ｻｰﾋﾞｽ" -> "Service", up the left margin
        {{600, 5040}, {360, 4920}, {360, 960}, {480, 840}, {1800, 840}},
        // "No" of the first pair -> "Service"
        {{1440, 1320}, {1440, 960}, {1560, 840}},
        // "次予約" -> "施設・内訳"
        {{1920, 5040}, {720, 4560}, {720, 2280}, {840, 2160}, {1800, 2160}},
        // "No" of the third pair -> "施設・内訳"
        {{1440, 4440}, {1080, 4320}, {1080, 2280}, {1200, 2160}},
        // "No" of the second pair -> "施設・内訳"
        {{1440, 3120}, {1440, 2280}, {1560, 2160}},
        arrowhead(serviceTip),
        arrowhead(facilityTip),
    };
}

} // namespace

FlowChartArrows::FlowChartArrows(const TwipScale& scale, QWidget* parent)
    : QWidget(parent), m_scale(scale)
{
    setObjectName(QStringLiteral("FlowChartArrows"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FlowChartArrows::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::WindowText), m_scale.toPixels(PenWidthTwips));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    for (const Polyline& path : paths()) {
        QPolygon pixels;
        for (const QPoint& point : path)
            pixels << m_scale.toPixels(point);
        painter.drawPolyline(pixels);
    }
}
