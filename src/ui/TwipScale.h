#pragma once

#include <QPoint>
#include <QRect>

// The window is designed on a grid of twips (1/1440 inch). Converting with the screen's
// logical DPI keeps its proportions on high-DPI screens: 15 twips are one pixel at 96 DPI.
class TwipScale {
public:
    explicit TwipScale(int logicalDpi);

    int toPixels(int twips) const;
    QPoint toPixels(QPoint twips) const;
    // A rectangle given as left, top, width and height in twips.
    QRect toPixels(const QRect& twips) const;

private:
    int m_logicalDpi;
};
