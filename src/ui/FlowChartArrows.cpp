#include "FlowChartArrows.h"

#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>

namespace {

using Step = CallProcedure::Step;

// The drawing's own measures, in twips.
constexpr int PenWidthTwips = 45; // 3 pixels at 96 DPI
constexpr int HeadLengthTwips = 240;
constexpr int HeadHalfWidthTwips = 120;
constexpr int BendTwips = 120;      // the 45-degree bends, and how far above its step a tip lies
constexpr int FirstLaneTwips = 480; // the nearest lane's distance left of the column
constexpr int LaneSpacingTwips = 360;

struct Loop {
    QRect from;
    QRect to;
};

struct Lane {
    int x;
    int top;
    int bottom;
};

bool overlaps(int top1, int bottom1, int top2, int bottom2)
{
    return top1 <= bottom2 && top2 <= bottom1;
}

// Works the paths out once: the window has a fixed size and its controls never move.
class ArrowRouter {
public:
    ArrowRouter(const QList<QRect>& obstacles, const TwipScale& scale)
        : m_obstacles(obstacles), m_pen(scale.toPixels(PenWidthTwips)),
          m_bend(scale.toPixels(BendTwips)), m_firstLane(scale.toPixels(FirstLaneTwips)),
          m_laneSpacing(scale.toPixels(LaneSpacingTwips))
    {
    }

    // Up the nearest lane that is free between the two steps; nothing when none is.
    QPolygon route(const Loop& loop)
    {
        for (int x = loop.to.left() - m_firstLane; x >= 0; x -= m_laneSpacing) {
            const QPolygon start = leave(loop.from, x);
            if (start.isEmpty() || !laneIsFree(x, loop.to.top(), start.last().y(), loop.from))
                continue;
            m_lanes.append({x, loop.to.top(), start.last().y()});
            const int tipY = loop.to.top() - m_bend;
            return start + QPolygon{{x, loop.to.top()},
                                    {x + m_bend, tipY},
                                    {loop.to.left() - m_bend, tipY}};
        }
        return {};
    }

private:
    // From the button to the foot of the lane: straight up from its top edge when the lane
    // passes through it, else from the middle of its left edge up-slanting to the lane, as steep
    // as it must be to clear every other control.
    QPolygon leave(const QRect& from, int x) const
    {
        if (x >= from.left() && x <= from.right())
            return {QPoint(x, from.top())};
        const QPoint edge(from.left(), from.center().y());
        for (int y = edge.y() - m_bend; y > 0; y -= m_bend) {
            if (clear(QLine(edge, QPoint(x, y)), from))
                return {edge, QPoint(x, y)};
        }
        return {};
    }

    bool laneIsFree(int x, int top, int bottom, const QRect& from) const
    {
        const QRect strip(x - m_pen, top, 2 * m_pen, bottom - top);
        for (const QRect& obstacle : m_obstacles) {
            if (obstacle != from && obstacle.intersects(strip))
                return false;
        }
        return std::none_of(m_lanes.begin(), m_lanes.end(), [&](const Lane& lane) {
            return std::abs(lane.x - x) < m_laneSpacing / 2 &&
                   overlaps(lane.top, lane.bottom, top, bottom);
        });
    }

    // Sampled along the line, a pen's width at a time.
    bool clear(const QLine& line, const QRect& from) const
    {
        const int steps = std::max(1, std::max(std::abs(line.dx()), std::abs(line.dy())) / m_pen);
        for (int i = 0; i <= steps; ++i) {
            const QPoint point = line.p1() + (line.p2() - line.p1()) * i / steps;
            for (const QRect& obstacle : m_obstacles) {
                if (obstacle != from &&
                    obstacle.adjusted(-m_pen, -m_pen, m_pen, m_pen).contains(point))
                    return false;
            }
        }
        return true;
    }

    QList<QRect> m_obstacles;
    int m_pen;
    int m_bend;
    int m_firstLane;
    int m_laneSpacing;
    QList<Lane> m_lanes;
};

QList<QRect> controlRects(const QWidget* panel, const QWidget* arrows)
{
    QList<QRect> rects;
    for (const QWidget* control :
         panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (control != arrows && !control->isHidden())
            rects << control->geometry();
    }
    return rects;
}

// The shortest loops take the lanes nearest the column, so that the longer ones pass outside
// them without crossing.
QList<Loop> loopsShortestFirst(const ReserveFormControls& controls)
{
    QList<Loop> loops;
    for (std::size_t i = 0; i < CallProcedure::StepCount; ++i) {
        const auto step = Step(i);
        if (CallProcedure::loopsBack(step))
            loops.append({controls.button(step)->geometry(),
                          controls.button(CallProcedure::next(step))->geometry()});
    }
    std::stable_sort(loops.begin(), loops.end(), [](const Loop& a, const Loop& b) {
        return a.from.top() - a.to.top() < b.from.top() - b.to.top();
    });
    return loops;
}

QPolygon arrowhead(QPoint tip, const TwipScale& scale)
{
    const int length = scale.toPixels(HeadLengthTwips);
    const int half = scale.toPixels(HeadHalfWidthTwips);
    return {tip + QPoint(-length, -half), tip, tip + QPoint(-length, half)};
}

} // namespace

FlowChartArrows::FlowChartArrows(const ReserveFormControls& controls, const TwipScale& scale,
                                 QWidget* panel)
    : QWidget(panel), m_scale(scale)
{
    setObjectName(QStringLiteral("FlowChartArrows"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(panel->rect());
    lower(); // behind every control

    ArrowRouter router(controlRects(panel, this), scale);
    QList<QPoint> tips;
    for (const Loop& loop : loopsShortestFirst(controls)) {
        const QPolygon path = router.route(loop);
        if (path.isEmpty())
            continue;
        m_paths << path;
        const QPoint tip(loop.to.left(), path.last().y());
        if (!tips.contains(tip))
            tips << tip;
    }
    for (const QPoint& tip : tips)
        m_paths << arrowhead(tip, scale);
}

void FlowChartArrows::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::WindowText), m_scale.toPixels(PenWidthTwips));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    for (const QPolygon& path : m_paths)
        painter.drawPolyline(path);
}
