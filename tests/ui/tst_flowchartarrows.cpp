#include "FakePortOpener.h"
#include "FlowChartArrows.h"
#include "WindowFixture.h"

#include <QPushButton>
#include <QTest>

using Step = CallProcedure::Step;

// The loops of the flow chart are worked out from where the buttons stand: a step, a button or
// a control moved in the layout table must still give every loop its arrow, clear of every
// other control.
class TestFlowChartArrows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyLoopIsDrawnClearOfTheControls()
    {
        FakePortOpener opener;
        WindowFixture f(opener);
        const auto* arrows = f.window().findChild<FlowChartArrows*>();
        QVERIFY(arrows);
        QList<QPolygon> paths = arrows->paths();
        QList<QRect> targets;
        for (std::size_t i = 0; i < CallProcedure::StepCount; ++i) {
            if (!CallProcedure::loopsBack(Step(i)))
                continue;
            const QRect from = f.ui().button(Step(i))->geometry();
            const QRect to = f.ui().button(CallProcedure::next(Step(i)))->geometry();
            const auto path = std::find_if(paths.begin(), paths.end(), [&](const QPolygon& p) {
                return from.adjusted(-1, -1, 1, 1).contains(p.first()) &&
                       p.last().x() < to.left() && p.last().y() < to.top();
            });
            QVERIFY2(path != paths.end(), qPrintable(f.ui().button(Step(i))->text()));
            QVERIFY(crossesNothingBut(*path, from, arrows));
            paths.erase(path);
            if (!targets.contains(to))
                targets << to;
        }
        QCOMPARE(paths.size(), targets.size()); // what is left: one arrowhead per step returned to
    }

private:
    static bool crossesNothingBut(const QPolygon& path, const QRect& from, const QWidget* arrows)
    {
        for (int i = 1; i < path.size(); ++i) {
            const QLine segment(path[i - 1], path[i]);
            for (int step = 0; step <= 20; ++step) {
                const QPoint point = segment.p1() + (segment.p2() - segment.p1()) * step / 20;
                for (const QWidget* control : arrows->parentWidget()->findChildren<QWidget*>(
                         QString(), Qt::FindDirectChildrenOnly)) {
                    if (control != arrows && !control->isHidden() && control->geometry() != from &&
                        control->geometry().contains(point))
                        return false;
                }
            }
        }
        return true;
    }
};

QTEST_MAIN(TestFlowChartArrows)
#include "tst_flowchartarrows.moc"
