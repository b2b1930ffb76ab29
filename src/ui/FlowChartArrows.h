#pragma once

#include "ReserveFormLayout.h"
#include "TwipScale.h"

#include <QList>
#include <QPolygon>
#include <QWidget>

// The loops of the call flow chart: for every step whose "next" goes back up the procedure (a
// "No", "次予約", "他ｻｰﾋﾞｽ"), a line from its button to the step it returns to, with an
// arrowhead at the left edge of the main column just above that step. The paths are worked out
// from where the buttons are: each runs up a lane of its own left of the column, clear of
// every other control. Sits behind the controls and lets every click through.
class FlowChartArrows : public QWidget {
    Q_OBJECT
public:
    // panel: the controls' parent, which the arrows cover; the controls are placed already.
    FlowChartArrows(const ReserveFormControls& controls, const TwipScale& scale, QWidget* panel);

    // In the panel's pixels: the loops first, then one arrowhead per step returned to.
    const QList<QPolygon>& paths() const { return m_paths; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TwipScale m_scale;
    QList<QPolygon> m_paths;
};
