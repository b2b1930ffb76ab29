#pragma once

#include <QString>
#include <QTest>

#include <optional>

// Readable QCOMPARE failures for optional texts.
namespace QTest {
template <> inline char* toString(const std::optional<QString>& value)
{
    return value ? QTest::toString(*value) : qstrdup("(nothing)");
}
} // namespace QTest
