#pragma once

#include "TwipScale.h"

#include <QWidget>

// The loops of the call flow chart: plain lines from a "No", "次予約" or "他ｻｰﾋﾞｽ" button back
// to the step they return to, with an arrowhead at the left edge of the main column. Sits
// behind the buttons and lets every click through.
class FlowChartArrows : public QWidget {
    Q_OBJECT
public:
    FlowChartArrows(const TwipScale& scale, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TwipScale m_scale;
};
