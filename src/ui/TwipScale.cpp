#include "TwipScale.h"

#include <QtMath>

namespace {
constexpr int TwipsPerInch = 1440;
}

TwipScale::TwipScale(int logicalDpi) : m_logicalDpi(logicalDpi) {}

int TwipScale::toPixels(int twips) const
{
    return qRound(double(twips) * m_logicalDpi / TwipsPerInch);
}

QPoint TwipScale::toPixels(QPoint twips) const
{
    return {toPixels(twips.x()), toPixels(twips.y())};
}

QRect TwipScale::toPixels(const QRect& twips) const
{
    return {toPixels(twips.x()), toPixels(twips.y()), toPixels(twips.width()),
            toPixels(twips.height())};
}
